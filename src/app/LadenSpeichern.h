#pragma once
// The token format of the settings file: a key as a bracketed string token,
// then its value as a string, integer or boolean token, entries one after
// the other with nothing between them. Values are read in the order they
// were written; a key that does not match leaves the key read pending for
// the next request, so a missing entry yields its default without losing
// the ones after it.
//
// Strings are bytes. Inside brackets "[", "]" and "\" are written with a
// backslash before them; a backslash takes the next byte literally.
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

class TLoadSave {
public:
    TLoadSave() = default;
    ~TLoadSave();
    TLoadSave(const TLoadSave&) = delete;
    TLoadSave& operator=(const TLoadSave&) = delete;

    // Opens `path` for reading and clears the pending key. False when the
    // path is empty or the file cannot be opened or is no regular file.
    bool OpenRead(const QString& path);
    // Prepares `path` for writing. The file is replaced as a whole by Close,
    // so a write that fails half-way leaves the old file as it was. False
    // when the file cannot be created.
    bool OpenWrite(const QString& path);
    // Ends reading, or commits what was written; false when the commit failed.
    bool Close();
    // Why the last OpenWrite or Close failed, as a German sentence.
    const QString& WriteError() const { return FWriteError; }

    std::string ReadString(const std::string& key, const std::string& defaultValue);
    std::int32_t ReadInteger(const std::string& key, std::int32_t defaultValue);
    bool ReadBoolean(const std::string& key, bool defaultValue);

    void WriteString(const std::string& key, const std::string& value);
    void WriteInteger(const std::string& key, std::int32_t value);
    void WriteBoolean(const std::string& key, bool value);

    // Strings longer than this are read to their end but cut here, so that
    // a binary file without "]" cannot fill the memory.
    static constexpr size_t kMaxTokenLength = 32768;

private:
    bool Get(char& c);
    std::string ReadToken();
    // True when the pending key (read now if there is none) equals `key`;
    // the pending key is then used up.
    bool TakeKey(const std::string& key);
    void Write(const std::string& bytes);
    static std::string StringToken(const std::string& value);

    std::unique_ptr<QFile> FIn;
    std::unique_ptr<QSaveFile> FOut;
    QString FWriteError;
    std::string FPendingKey;
};
