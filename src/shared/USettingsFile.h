#pragma once
// The settings file "zak.set" without the file: its token format and the
// four settings read from it. The desktop reads its file through this, the
// browser page a teacher's file that lies beside the page.
//
// The format: a key as a bracketed string token, then its value as a string,
// integer or boolean token, entries one after the other with nothing between
// them. Values are read in the order they were written; a key that does not
// match leaves the key read pending for the next request, so a missing entry
// yields its default without losing the ones after it.
//
// Strings are bytes. Inside brackets "[", "]" and "\" are written with a
// backslash before them; a backslash takes the next byte literally.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace SettingsFile {

// The smallest font size the editor takes; a smaller one read is raised.
inline constexpr int kMinFontSize = 10;
// An empty password is stored as the scrambled form of this word, and this
// word read from the file means "no password".
inline constexpr std::string_view kNoPassword = "Keins";

// Reads the entries of a file byte by byte, as far as they are asked for, so
// that a huge file is never held as a whole.
class TReader {
public:
    // Gives the file's next byte; false at its end.
    using TNextByte = std::function<bool(char&)>;

    explicit TReader(TNextByte next) : FNext(std::move(next)) {}
    // Over bytes in memory, which must outlive the reader.
    explicit TReader(std::string_view bytes);

    // Forgets the pending key, for a file opened anew.
    void Restart() { FPendingKey.clear(); }

    std::string ReadString(const std::string& key, const std::string& defaultValue);
    std::int32_t ReadInteger(const std::string& key, std::int32_t defaultValue);
    bool ReadBoolean(const std::string& key, bool defaultValue);

    // Strings longer than this are read to their end but cut here, so that
    // a binary file without "]" cannot fill the memory.
    static constexpr std::size_t kMaxTokenLength = 32768;

private:
    bool Get(char& c) { return FNext(c); }
    std::string ReadToken();
    // True when the pending key (read now if there is none) equals `key`;
    // the pending key is then used up.
    bool TakeKey(const std::string& key);

    TNextByte FNext;
    std::string FPendingKey;
};

// The bytes of one entry: the key's token, then the value's.
std::string StringEntry(std::string_view key, std::string_view value);
std::string IntegerEntry(std::string_view key, std::int32_t value);
std::string BooleanEntry(std::string_view key, bool value);

// The text of stored bytes as UTF-8. Bytes that form valid UTF-8 with a
// non-ASCII character are UTF-8 (a leading byte order mark dropped);
// everything else is Windows-1252, as older files hold it.
std::string Text(std::string_view bytes);

// The settings as a file gives them. Texts are UTF-8.
struct TSettings {
    std::string Password;  // in plain form; empty: the dialog is not locked
    bool NoAttributeAssignment = false;
    std::string WorkingDirectory;
    int FontSize = kMinFontSize;
};

// Reads "pass", "KeineZuweisungZuAttributen", "Arbeitsverzeichnis" and
// "Schriftgroesse" in this order. A file without a password of its own (the
// value empty, unreadable or missing) is locked with the built-in default.
TSettings Read(TReader& reader);
TSettings Read(std::string_view bytes);

}  // namespace SettingsFile
