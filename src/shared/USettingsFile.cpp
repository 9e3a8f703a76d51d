#include "USettingsFile.h"

#include "UCodepage.h"
#include "Uencrypt.h"

#include <algorithm>
#include <limits>

namespace SettingsFile {

TReader::TReader(std::string_view bytes)
    : FNext([bytes, at = std::size_t{0}](char& c) mutable {
          if (at >= bytes.size()) return false;
          c = bytes[at++];
          return true;
      }) {}

std::string TReader::ReadToken() {
    char c = 0;
    do {
        if (!Get(c)) return {};
    } while (c == ' ' || c == '\r' || c == '\n');
    if (c != '[') return {};
    std::string token;
    while (Get(c)) {
        if (c == ']') break;
        // An escaped "]" belongs to the string; files whose writer did not
        // escape "]" never hold one, since it escaped every backslash.
        if (c == '\\' && !Get(c)) break;
        if (token.size() < kMaxTokenLength) token += c;
    }
    return token;
}

bool TReader::TakeKey(const std::string& key) {
    if (FPendingKey.empty()) FPendingKey = ReadToken();
    if (FPendingKey != key) return false;
    FPendingKey.clear();
    return true;
}

std::string TReader::ReadString(const std::string& key, const std::string& defaultValue) {
    if (!TakeKey(key)) return defaultValue;
    return ReadToken();
}

std::int32_t TReader::ReadInteger(const std::string& key, std::int32_t defaultValue) {
    if (!TakeKey(key)) return defaultValue;
    char c = 0;
    do {
        if (!Get(c)) return defaultValue;
    } while (c != '-' && (c < '0' || c > '9'));
    const bool negative = c == '-';
    std::int64_t value = negative ? 0 : c - '0';
    bool digits = !negative;
    bool overflow = false;
    while (Get(c) && c >= '0' && c <= '9') {
        digits = true;
        value = value * 10 + (c - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) {
            overflow = true;
            value = 0;  // keeps reading the digits without growing
        }
    }
    if (negative) value = -value;
    // A lone "-" or a number beyond 32 bits is no number: the default holds.
    if (!digits || overflow || value > std::numeric_limits<std::int32_t>::max()) return defaultValue;
    return static_cast<std::int32_t>(value);
}

bool TReader::ReadBoolean(const std::string& key, bool defaultValue) {
    if (!TakeKey(key)) return defaultValue;
    char c = 0;
    do {
        if (!Get(c)) return defaultValue;
    } while (c < 'a' || c > 'z');
    std::string word(1, c);
    while (Get(c) && c >= 'a' && c <= 'z')
        if (word.size() < 8) word += c;
    // The byte that ended the word is consumed, as after a number: the writer
    // puts a blank there.
    return word == "true";
}

namespace {

std::string StringToken(std::string_view value) {
    std::string token = "[";
    for (char c : value) {
        if (c == '[' || c == ']' || c == '\\') token += '\\';
        token += c;
    }
    token += ']';
    return token;
}

// The length of the well-formed UTF-8 sequence at `at`, or 0: no overlong
// forms, no surrogates, nothing beyond U+10FFFF, nothing cut short.
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() - at < length) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    return length;
}

bool IsUtf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

}  // namespace

std::string StringEntry(std::string_view key, std::string_view value) { return StringToken(key) + StringToken(value); }

std::string IntegerEntry(std::string_view key, std::int32_t value) {
    return StringToken(key) + ' ' + std::to_string(value) + ' ';
}

std::string BooleanEntry(std::string_view key, bool value) { return StringToken(key) + (value ? " true " : " false "); }

std::string Text(std::string_view bytes) {
    const bool ascii =
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !IsUtf8(bytes)) return Codepage::Win1252ToUtf8(bytes);
    // The desktop's decoder has always dropped a byte order mark in front.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) bytes.remove_prefix(kByteOrderMark.size());
    return std::string(bytes);
}

TSettings Read(TReader& reader) {
    TSettings settings;
    std::string password = Unscramble(reader.ReadString("pass", ""));
    if (password.empty()) password = Unscramble(kDefaultPasswordScrambled);
    if (password != kNoPassword) settings.Password = Text(password);
    settings.NoAttributeAssignment = reader.ReadBoolean("KeineZuweisungZuAttributen", false);
    settings.WorkingDirectory = Text(reader.ReadString("Arbeitsverzeichnis", ""));
    settings.FontSize = std::max(reader.ReadInteger("Schriftgroesse", kMinFontSize), kMinFontSize);
    return settings;
}

TSettings Read(std::string_view bytes) {
    TReader reader(bytes);
    return Read(reader);
}

}  // namespace SettingsFile
