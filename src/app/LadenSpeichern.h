#pragma once
// The settings file on disk: opening, reading through the token format of
// USettingsFile.h, and replacing the file as a whole when writing.
#include "USettingsFile.h"

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

    // The entries of the file open for reading (none when no file is open).
    SettingsFile::TReader& Reader() { return FReader; }
    std::string ReadString(const std::string& key, const std::string& defaultValue) {
        return FReader.ReadString(key, defaultValue);
    }
    std::int32_t ReadInteger(const std::string& key, std::int32_t defaultValue) {
        return FReader.ReadInteger(key, defaultValue);
    }
    bool ReadBoolean(const std::string& key, bool defaultValue) { return FReader.ReadBoolean(key, defaultValue); }

    void WriteString(const std::string& key, const std::string& value);
    void WriteInteger(const std::string& key, std::int32_t value);
    void WriteBoolean(const std::string& key, bool value);

    static constexpr size_t kMaxTokenLength = SettingsFile::TReader::kMaxTokenLength;

private:
    void Write(const std::string& bytes);

    std::unique_ptr<QFile> FIn;
    std::unique_ptr<QSaveFile> FOut;
    QString FWriteError;
    SettingsFile::TReader FReader{[this](char& c) { return FIn && FIn->getChar(&c); }};
};
