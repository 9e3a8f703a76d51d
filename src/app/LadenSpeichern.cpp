#include "LadenSpeichern.h"

#include "UFileErrors.h"
#include "URegularFile.h"

#include <limits>

TLoadSave::~TLoadSave() { Close(); }

bool TLoadSave::OpenRead(const QString& path) {
    Close();
    FPendingKey.clear();
    if (path.isEmpty()) return false;
    auto file = std::make_unique<QFile>(path);
    if (!OpenRegularFile(*file)) return false;
    FIn = std::move(file);
    return true;
}

bool TLoadSave::OpenWrite(const QString& path) {
    Close();
    FWriteError.clear();
    if (path.isEmpty()) return false;
    auto file = std::make_unique<QSaveFile>(path);
    // A writable file in a folder that takes no new files is written in
    // place rather than not at all.
    file->setDirectWriteFallback(true);
    if (!file->open(QIODevice::WriteOnly)) {
        FWriteError = FileErrorReason(*file);
        return false;
    }
    FOut = std::move(file);
    return true;
}

bool TLoadSave::Close() {
    bool ok = true;
    if (FIn) {
        FIn->close();
        FIn.reset();
    }
    if (FOut) {
        ok = FOut->commit();
        if (!ok) FWriteError = FileErrorReason(*FOut);
        FOut.reset();
    }
    return ok;
}

bool TLoadSave::Get(char& c) { return FIn && FIn->getChar(&c); }

std::string TLoadSave::ReadToken() {
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

bool TLoadSave::TakeKey(const std::string& key) {
    if (FPendingKey.empty()) FPendingKey = ReadToken();
    if (FPendingKey != key) return false;
    FPendingKey.clear();
    return true;
}

std::string TLoadSave::ReadString(const std::string& key, const std::string& defaultValue) {
    if (!TakeKey(key)) return defaultValue;
    return ReadToken();
}

std::int32_t TLoadSave::ReadInteger(const std::string& key, std::int32_t defaultValue) {
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

bool TLoadSave::ReadBoolean(const std::string& key, bool defaultValue) {
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

std::string TLoadSave::StringToken(const std::string& value) {
    std::string token = "[";
    for (char c : value) {
        if (c == '[' || c == ']' || c == '\\') token += '\\';
        token += c;
    }
    token += ']';
    return token;
}

void TLoadSave::Write(const std::string& bytes) {
    if (FOut) FOut->write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void TLoadSave::WriteString(const std::string& key, const std::string& value) {
    Write(StringToken(key) + StringToken(value));
}

void TLoadSave::WriteInteger(const std::string& key, std::int32_t value) {
    Write(StringToken(key) + ' ' + std::to_string(value) + ' ');
}

void TLoadSave::WriteBoolean(const std::string& key, bool value) {
    Write(StringToken(key) + (value ? " true " : " false "));
}
