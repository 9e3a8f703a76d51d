// Program files: new, open, save, save as, the start-up load from the
// command line and the recovery copies of unsaved text. The header line is
// never part of the editor's text; a first line that is no header is.
#include "UMain.h"

#include "UDialogs.h"
#include "UEinstellungen.h"
#include "UProgrammText.h"
#include "UQtText.h"
#include "URecovery.h"
#include "USHControl.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>

namespace {

const QString Filter = QStringLiteral("ZAK-Programme (*.zak)");
const QString DefaultSuffix = QStringLiteral("zak");

QString DiscardQuestion() { return QStringLiteral("Soll das aktuelle Programm verworfen werden?"); }

QString ChangedOnDisk(const QString& path) {
    return QStringLiteral("Die Datei %1 wurde inzwischen von einem anderen Programm ge\u00E4ndert.")
        .arg(QDir::toNativeSeparators(path));
}

} // namespace

bool TFMain::ConfirmDiscard() {
    return Dialogs().Confirm(this, DiscardQuestion(), QStringLiteral("Warnung")) == TAnswer::Ok;
}

void TFMain::LoadCommandLine(const QStringList& arguments) {
    // The first argument is this program's own path; on this platform it
    // may end in "zak" itself and must not be loaded as a program. Any
    // other file is loaded too: the file manager hands over files without
    // the ending that the installed file type knows by their header line.
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const QFileInfo info(argument);
        if (!argument.right(3).toLower().endsWith(QStringLiteral("zak")) && !(info.exists() && !info.isDir())) continue;
        bool otherVersion = false;
        if (LoadProgram(argument, otherVersion)) FFileName = info.absoluteFilePath();
    }
}

bool TFMain::LoadProgram(const QString& path, bool& otherVersion) {
    otherVersion = false;
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
    TProgrammDatei program;
    const auto decode = [&program](std::string_view bytes) {
        program = ReadProgram(bytes);
        return std::move(program.Lines);
    };
    if (FEditor->Load(path, decode, &error)) {
        FRecovery->Refresh();
        otherVersion = program.OtherVersion;
        if (const std::string note = ConversionNote(program); !note.empty())
            Dialogs().Message(this, ToQString(note), QStringLiteral("Warnung!"), TMessageIcon::Warning);
        return true;
    }
    // An empty reason means the user kept the current program.
    if (!error.isEmpty()) refuse(error);
    return false;
}

bool TFMain::SaveProgram(const QString& path) {
    auto refuse = [&](const QString& reason) {
        Dialogs().Message(this,
                          QStringLiteral("Die Datei %1 kann nicht gespeichert werden:\n%2")
                              .arg(QDir::toNativeSeparators(path), reason),
                          QStringLiteral("Fehler"), TMessageIcon::Warning);
        return false;
    };
    // What would not open again is not written; the text stays in the
    // editor and in the journal.
    if (const qint64 size = FEditor->FileSize(FileHeader); size > MaxProgramFileSize) {
        FRecovery->Refresh();
        return refuse(QStringLiteral("Das Programm ist mit %1 Bytes zu gro\u00DF f\u00FCr ein ZAK-Programm "
                                     "(h\u00F6chstens %2 Bytes).")
                          .arg(size)
                          .arg(MaxProgramFileSize));
    }
    if (FEditor->FileChangedOnDisk(path) &&
        Dialogs().Confirm(this, ChangedOnDisk(path) + QStringLiteral(" Trotzdem speichern?"),
                          QStringLiteral("Warnung")) != TAnswer::Ok)
        return false;
    QString error;
    const bool saved = FEditor->Save(path, FileHeader, &error);
    // Saved, the copy goes; not saved, it follows the new name at once.
    // Either way a journal marked for a save in place loses its mark.
    FRecovery->Refresh();
    if (saved) return true;
    return refuse(error);
}

bool TFMain::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !FDiskCheckDue) {
        FDiskCheckDue = true;
        // After the activation is through: the question is a window itself.
        QTimer::singleShot(0, this, [this] {
            FDiskCheckDue = false;
            CheckFileOnDisk();
        });
    }
    return QMainWindow::event(event);
}

void TFMain::CheckFileOnDisk() {
    if (FAskingReload || FFileName.isEmpty() || RunMode() || FEditor->Modified()) return;
    TFileStamp now;
    if (!FEditor->FileChangedOnDisk(FFileName, &now)) return;
    // Declined once, the same change is not offered again; saving over it
    // still asks.
    if (now.Size == FDeclinedReload.Size && now.Time == FDeclinedReload.Time) return;
    FAskingReload = true;
    const TAnswer answer =
        Dialogs().Confirm(this, ChangedOnDisk(FFileName) + QStringLiteral(" Neu laden?"), QStringLiteral("Warnung"));
    FAskingReload = false;
    if (answer != TAnswer::Ok) {
        FDeclinedReload.Size = now.Size;
        FDeclinedReload.Time = now.Time;
        return;
    }
    bool otherVersion = false;
    LoadProgram(FFileName, otherVersion);
}

QString ExamplesDirectory() {
    const QDir program(QCoreApplication::applicationDirPath());
    // Installed under any prefix: PREFIX/bin/zak beside PREFIX/share/zak/examples.
    if (program.exists(QStringLiteral("../share/zak/examples")))
        return QDir::cleanPath(program.filePath(QStringLiteral("../share/zak/examples")));
    QString installed = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                     QStringLiteral("zak/examples"), QStandardPaths::LocateDirectory);
    if (!installed.isEmpty()) return installed;
    // Run from a build folder inside the source tree.
    if (program.exists(QStringLiteral("../examples/02_haus.zak")))
        return QDir::cleanPath(program.filePath(QStringLiteral("../examples")));
    return {};
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
        FRecovery->Refresh();
    }
    UpdateCaption();
}

void TFMain::OeffnenExecute() {
    if (RunMode()) BBearbeitenClick();
    Timer.stop();
    QList<TPlace> places;
    if (const QString examples = ExamplesDirectory(); !examples.isEmpty())
        places.push_back({QStringLiteral("Beispiele"), examples});
    const QString path =
        Dialogs().OpenFileName(this, QStringLiteral("Programm \u00F6ffnen"), OpenDirectory(), Filter, places);
    if (!path.isEmpty()) {
        FOpenDir = QFileInfo(path).absolutePath();
        bool otherVersion = false;
        if (LoadProgram(path, otherVersion)) {
            FFileName = QFileInfo(path).absoluteFilePath();
            if (otherVersion)
                Dialogs().Message(this, QStringLiteral("Dieses Programm wurde nicht f\u00FCr ZAK 1.5 geschrieben."),
                                  QStringLiteral("Warnung!"), TMessageIcon::Warning);
            UpdateCaption();
            FSaveDir = QFileInfo(FFileName).absolutePath();
            FEditor->ResetLineColors();
            FEditor->Paint();
        }
    }
    UpdateRunTimer();
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

// ---------------------------------------------------------------------------
// Recovery copies

void TFMain::CreateRecovery() {
    FRecovery = std::make_unique<TRecovery>();
    // An empty text is not worth a copy: after "Neu" the flag stays set.
    FRecovery->Wanted = [this] { return FEditor->Modified() && !FEditor->TextIsEmpty(); };
    FRecovery->Bytes = [this] { return FEditor->FileBytes(FileHeader); };
    FRecovery->FileName = [this] { return FFileName; };
    FRecovery->Caret = [this] { return TRecovery::TCaret{FEditor->CaretLine(), FEditor->CaretColumn()}; };
    FRecovery->Busy = [this] { return FRunning; };
    FEditor->OnTextChanged = [this] { FRecovery->Changed(); };
    FEditor->BeforeWriteInPlace = [this](const QString& path, const QByteArray& bytes) {
        return FRecovery->KeepForSave(QFileInfo(path).absoluteFilePath(), bytes);
    };
    // Said once in the status line, which is there only while it says it.
    FRecovery->Trouble = [this](const QString& message) {
        if (!message.isEmpty()) {
            statusBar()->show();
            statusBar()->showMessage(message);
        } else if (auto* bar = findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly)) {
            bar->clearMessage();
            bar->hide();
        }
    };
    // The session ends or the application is told to quit: the copy is
    // written now, as the process may be gone before its timer fires.
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(application, &QCoreApplication::aboutToQuit, this, [this] { FRecovery->Flush(); });
#ifndef QT_NO_SESSIONMANAGER
        connect(application, &QGuiApplication::commitDataRequest, this, [this] { FRecovery->Flush(); });
#endif
    }
}

void TFMain::OfferRecovery() {
    // The newest journal first; one taken into the editor ends the offer,
    // and the others wait for a later start, as do all after "Abbrechen".
    std::vector<TRecoveryCopy> copies = FRecovery->Orphans();
    size_t next = 0;
    for (; next < copies.size(); ++next) {
        TRecoveryCopy& copy = copies[next];
        const QString when = copy.Time.toString(QStringLiteral("dd.MM.yyyy 'um' HH:mm 'Uhr'"));
        QString reason;
        // A journal may hold more than a file may: a text that grew in the
        // editor comes back there, to be shortened before it can be saved.
        if (!TRecovery::Read(copy, FileHeader, TRecovery::kMaxProgramSize, reason)) {
            const QString kept = FRecovery->SetAside(copy);
            Dialogs().Message(this,
                              QStringLiteral("Die Sicherungskopie eines nicht gespeicherten Programms vom %1 kann nicht "
                                             "wiederhergestellt werden:\n%2\nSie bleibt als %3 erhalten.")
                                  .arg(when, reason, QDir::toNativeSeparators(kept)),
                              QStringLiteral("Wiederherstellung"), TMessageIcon::Warning);
            continue;
        }
        const QString name = copy.FileName.isEmpty() ? QStringLiteral("unbenannt") : QFileInfo(copy.FileName).fileName();
        const QString interrupted = copy.SaveInterrupted
                                        ? QStringLiteral(
                                              "Das Speichern wurde unterbrochen; die Datei ist vielleicht "
                                              "unvollst\u00E4ndig.\n\n")
                                        : QString();
        const QString question =
            QStringLiteral(
                "Ungespeicherte \u00C4nderungen wiederherstellen?\n\n"
                "Programm \u201E%1\u201C, Stand vom %2\n\n%3"
                "\u201ENein\u201C l\u00F6scht sie, \u201EAbbrechen\u201C fragt beim n\u00E4chsten Start "
                "wieder.")
                .arg(name, when, interrupted);
        const TAnswer answer = Dialogs().Ask(this, question, QStringLiteral("Wiederherstellung"));
        if (answer == TAnswer::No) {
            FRecovery->Discard(copy);
            continue;
        }
        if (answer == TAnswer::Yes && RestoreCopy(copy)) ++next;
        break;
    }
    for (; next < copies.size(); ++next) FRecovery->Release(copies[next]);
}

bool TFMain::RestoreCopy(const TRecoveryCopy& copy) {
    if (RunMode()) BBearbeitenClick();
    if (FEditor->Modified() && !ConfirmDiscard()) return false;
    TProgrammDatei program = SplitProgram(std::string_view(copy.Bytes.constData(), static_cast<size_t>(copy.Bytes.size())));
    FEditor->LoadLines(std::move(program.Lines));
    FEditor->SetCaret(copy.CaretLine, copy.CaretColumn);
    FEditor->SetModified(true);
    FFileName = copy.FileName.isEmpty() ? QString() : QFileInfo(copy.FileName).absoluteFilePath();
    if (!FFileName.isEmpty()) FSaveDir = QFileInfo(FFileName).absolutePath();
    UpdateCaption();
    // This instance's own journal is on disk before the old one goes.
    FRecovery->Refresh();
    FRecovery->Settle();
    FRecovery->Discard(copy);
    return true;
}
