#include "LadenSpeichern.h"

#include "UFileErrors.h"
#include "URegularFile.h"

TLoadSave::~TLoadSave() { Close(); }

bool TLoadSave::OpenRead(const QString& path) {
    Close();
    FReader.Restart();
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

void TLoadSave::Write(const std::string& bytes) {
    if (FOut) FOut->write(bytes.data(), static_cast<qint64>(bytes.size()));
}

void TLoadSave::WriteString(const std::string& key, const std::string& value) {
    Write(SettingsFile::StringEntry(key, value));
}

void TLoadSave::WriteInteger(const std::string& key, std::int32_t value) {
    Write(SettingsFile::IntegerEntry(key, value));
}

void TLoadSave::WriteBoolean(const std::string& key, bool value) { Write(SettingsFile::BooleanEntry(key, value)); }
