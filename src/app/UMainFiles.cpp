// Program files: new, open, save, save as and the start-up load from the
// command line. The header line is never part of the editor's text.
#include "UMain.h"

#include "UDialogs.h"
#include "UEinstellungen.h"
#include "UProgrammText.h"
#include "USHControl.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString Filter = QStringLiteral("ZAK-Programme (*.zak)");
const QString DefaultSuffix = QStringLiteral("zak");

QString DiscardQuestion() { return QStringLiteral("Soll das aktuelle Programm verworfen werden?"); }

} // namespace

bool TFMain::ConfirmDiscard() {
    return Dialogs().Confirm(this, DiscardQuestion(), QStringLiteral("Warnung")) == TAnswer::Ok;
}

void TFMain::LoadCommandLine(const QStringList& arguments) {
    // The first argument is this program's own path; on this platform it
    // may end in "zak" itself and must not be loaded as a program.
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.right(3).toLower().endsWith(QStringLiteral("zak"))) continue;
        std::string header;
        if (LoadProgram(argument, header)) FFileName = QFileInfo(argument).absoluteFilePath();
    }
}

bool TFMain::LoadProgram(const QString& path, std::string& header) {
    const QFileInfo info(path);
    auto refuse = [&](const QString& reason) {
        Dialogs().Message(this, QStringLiteral("Die Datei %1 kann nicht geladen werden:\n%2")
                                    .arg(QDir::toNativeSeparators(path), reason),
                          QStringLiteral("Fehler"), TMessageIcon::Warning);
        return false;
    };
    if (info.exists() && info.isDir()) return refuse(QStringLiteral("Das ist ein Verzeichnis."));
    if (info.exists() && info.size() > MaxProgramFileSize)
        return refuse(QStringLiteral("Sie ist mit %1 Bytes zu gro\u00DF f\u00FCr ein ZAK-Programm.").arg(info.size()));
    QString error;
    if (FEditor->Load(path, header, &error)) return true;
    // An empty reason means the user kept the current program.
    if (!error.isEmpty()) refuse(error);
    return false;
}

bool TFMain::SaveProgram(const QString& path) {
    QString error;
    if (FEditor->Save(path, FileHeader, &error)) return true;
    Dialogs().Message(this, QStringLiteral("Die Datei %1 kann nicht gespeichert werden:\n%2")
                                .arg(QDir::toNativeSeparators(path), error),
                      QStringLiteral("Fehler"), TMessageIcon::Warning);
    return false;
}

QString TFMain::OpenDirectory() const {
    if (FForms.Einstellungen && !FForms.Einstellungen->WorkingDirectory().isEmpty())
        return FForms.Einstellungen->WorkingDirectory();
    return FOpenDir;
}

void TFMain::NeuExecute() {
    if (RunMode()) BBearbeitenClick();
    if (Dialogs().Confirm(this, DiscardQuestion(), QStringLiteral("Warnung")) == TAnswer::Ok) {
        FEditor->Clear();
        FFileName.clear();
        // The old program's hint must not stay in the list.
        FEditor->NotifyTextChanged();
    }
    UpdateCaption();
}

void TFMain::OeffnenExecute() {
    if (RunMode()) BBearbeitenClick();
    Timer.stop();
    const QString path = Dialogs().OpenFileName(this, QStringLiteral("Programm \u00F6ffnen"), OpenDirectory(), Filter);
    if (!path.isEmpty()) {
        FOpenDir = QFileInfo(path).absolutePath();
        std::string header;
        if (LoadProgram(path, header)) {
            FFileName = QFileInfo(path).absoluteFilePath();
            if (!HeaderFitsVersion(header))
                Dialogs().Message(this, QStringLiteral("Dieses Programm wurde nicht f\u00FCr ZAK 1.5 geschrieben."),
                                  QStringLiteral("Warnung!"), TMessageIcon::Warning);
            UpdateCaption();
            FSaveDir = QFileInfo(FFileName).absolutePath();
            FEditor->ResetLineColors();
            FEditor->Paint();
        }
    }
    Timer.start();
}

void TFMain::SpeichernExecute() {
    if (RunMode()) BBearbeitenClick();
    if (FFileName.isEmpty())
        SpeichernUnterExecute();
    else
        SaveProgram(FFileName);
}

void TFMain::SpeichernUnterExecute() {
    QString path = Dialogs().SaveFileName(this, QStringLiteral("Programm speichern unter"), FSaveDir, FFileName,
                                          Filter, DefaultSuffix);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".") + DefaultSuffix;
    FFileName = QFileInfo(path).absoluteFilePath();
    UpdateCaption();
    if (RunMode()) BBearbeitenClick();
    SaveProgram(FFileName);
}
