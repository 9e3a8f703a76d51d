// Recovery journals of unsaved text: written while typing, left behind by a
// window that goes without closing or a ZAK that is killed, offered to the
// next window, and gone once the text is saved or discarded.
#include "UVersion.h"
#include "MainTestSupport.h"

#include "URecovery.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStatusBar>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <thread>

namespace {

const std::string Header = "// ZAK 1.5 - Programm\r\n";

void TypeInto(TSHControl& editor, const std::string& text) {
    for (char c : text) {
        if (c == '\n') {
            QKeyEvent event(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
            QApplication::sendEvent(&editor, &event);
        } else {
            QKeyEvent event(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(static_cast<unsigned char>(c))));
            QApplication::sendEvent(&editor, &event);
        }
    }
}

// Runs the event loop until `done` holds, at most five seconds.
template <class F>
bool WaitFor(F done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// A program of a few megabytes, as a pupil's largest: `lines` comment lines
// of 100 bytes that say which version they belong to.
std::vector<std::string> LargeProgram(const char* version, int lines) {
    std::vector<std::string> program;
    for (int i = 0; i < lines; ++i) {
        std::string line = "// " + std::string(version) + " " + std::to_string(i) + " ";
        line.resize(98, version[0]);
        program.push_back(std::move(line));
    }
    return program;
}

std::string FileOf(const std::vector<std::string>& lines) {
    std::string bytes = Header;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return bytes;
}

const int OldLines = 74000;
const int NewLines = 75000;

} // namespace

class RecoveryTest : public MainWindowTest {
protected:
    void SetUp() override {
        TestApp();
        qputenv("XDG_STATE_HOME", Data.path().toLocal8Bit());
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        qputenv("XDG_STATE_HOME", TestDataHome());
    }

    // A further window of the same user, as a second start of ZAK.
    std::unique_ptr<TFMain> NewWindow() {
        auto window = std::make_unique<TFMain>(QStringList{QStringLiteral("/usr/bin/zak")});
        window->SetTicksByHand(true);
        window->Recovery().SetDelays(10, 10);
        return window;
    }

    QStringList Files() const {
        return QDir(TRecovery::Directory()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QStringList Journals() const { return QDir(TRecovery::Directory()).entryList({"*.journal"}, QDir::Files); }

    static TRecoveryCopy ReadJournal(const QString& path) {
        TRecoveryCopy copy;
        copy.CopyPath = path;
        QString reason;
        EXPECT_TRUE(TRecovery::Read(copy, TFMain::FileHeader, 1 << 20, reason)) << reason.toStdString();
        return copy;
    }

    QTemporaryDir Data;
    TTempCurrentDir Dir;
};

TEST_F(RecoveryTest, CrashedWindowsTextComesBackUnderItsNameAndGoesWhenSaved) {
    const QString path = QFileInfo(Dir.Path("kreis.zak")).absoluteFilePath();
    WriteBytes(path, Header + "k: Kreis\r\n");
    Dialogs.FileNames = {path};
    Main->OeffnenExecute();
    ASSERT_EQ(Main->FileName(), path);

    // Typing on without a pause: the longest delay writes the journal while
    // the short one has not yet come.
    TRecovery& recovery = Main->Recovery();
    recovery.SetDelays(60000, 30);
    Editor().SetCaret(0, 8);
    QElapsedTimer typing;
    typing.start();
    while (!QFileInfo::exists(recovery.CopyPath()) && typing.elapsed() < 5000) {
        TypeInto(Editor(), " ");
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    ASSERT_TRUE(QFileInfo::exists(recovery.CopyPath()));

    // A pause writes the latest text: the journal holds what saving
    // writes, the file's name and the caret.
    recovery.SetDelays(20, 60000);
    Editor().SetCaret(0, 0);
    TypeInto(Editor(), "\nwiederhole 3 mal\nk.drehen(120)\n*wiederhole\n// \xE4\x81\x8D\x8F\x90\x9D ");
    ASSERT_TRUE(recovery.Due());
    ASSERT_TRUE(WaitFor([&] { return !recovery.Due(); }));
    const std::string journal = ReadBytes(recovery.CopyPath());
    const TRecoveryCopy written = ReadJournal(recovery.CopyPath());
    const std::string copy = written.Bytes.toStdString();
    EXPECT_EQ(copy, Editor().FileBytes(TFMain::FileHeader).toStdString());
    EXPECT_EQ(copy.rfind(Header, 0), 0u);
    EXPECT_EQ(written.FileName, path);
    EXPECT_EQ(written.CaretLine, Editor().CaretLine());
    EXPECT_EQ(written.CaretColumn, Editor().CaretColumn());
    const std::vector<std::string> typed = EditorLines();
    const int caretLine = Editor().CaretLine();
    const int caretColumn = Editor().CaretColumn();

    // A second window running at the same time does not take the copy.
    {
        std::unique_ptr<TFMain> other = NewWindow();
        other->OfferRecovery();
        EXPECT_TRUE(Dialogs.Of("Ask").empty());
        EXPECT_TRUE(QFileInfo::exists(recovery.CopyPath()));
    }

    // The window goes without closing, as in a crash: the copy stays.
    const QString oldCopy = recovery.CopyPath();
    Main.reset();
    ASSERT_TRUE(QFileInfo::exists(oldCopy));

    // The next start offers it; Yes brings the text back, modified, under
    // the file's name.
    Main = NewWindow();
    Main->show();
    Dialogs.Answers = {TAnswer::Yes};
    Main->OfferRecovery();
    ASSERT_EQ(Dialogs.Of("Ask").size(), 1u);
    const QString question = Dialogs.Of("Ask")[0].Text;
    EXPECT_TRUE(question.startsWith(QString::fromUtf8("Ungespeicherte Änderungen wiederherstellen?")))
        << question.toStdString();
    EXPECT_TRUE(question.contains(QString::fromUtf8("„kreis.zak“"))) << question.toStdString();
    EXPECT_TRUE(question.contains(QDateTime::currentDateTime().toString("dd.MM.yyyy"))) << question.toStdString();
    EXPECT_EQ(EditorLines(), typed);
    EXPECT_EQ(Editor().CaretLine(), caretLine);
    EXPECT_EQ(Editor().CaretColumn(), caretColumn);
    EXPECT_TRUE(Editor().Modified());
    EXPECT_EQ(Main->FileName(), path);
    EXPECT_EQ(Main->windowTitle(), "ZAK " ZAK_VERSION " - kreis.zak");
    // The copy now belongs to this window; the old one is gone.
    EXPECT_FALSE(QFileInfo::exists(oldCopy));
    EXPECT_EQ(ReadBytes(Main->Recovery().CopyPath()), journal);

    // Saving writes the file where it belongs, byte for byte the copy, and
    // removes the copy.
    Main->SpeichernExecute();
    EXPECT_EQ(ReadBytes(path), copy);
    EXPECT_FALSE(Editor().Modified());
    EXPECT_TRUE(Files().isEmpty()) << Files().join(' ').toStdString();

    // Typed again, then discarded with "Neu": the copy goes.
    TypeInto(Editor(), "x");
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(Main->Recovery().CopyPath()); }));
    Dialogs.Answers = {TAnswer::Ok};
    Main->NeuExecute();
    EXPECT_TRUE(Files().isEmpty()) << Files().join(' ').toStdString();

    // Typed again, then closed with "Nein" to saving: the copy goes, and
    // none comes back afterwards.
    TypeInto(Editor(), "y");
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(Main->Recovery().CopyPath()); }));
    Dialogs.Answers = {TAnswer::No};
    EXPECT_TRUE(Main->close());
    QApplication::processEvents();
    EXPECT_TRUE(Files().isEmpty()) << Files().join(' ').toStdString();
    Main->Recovery().Flush();
    EXPECT_TRUE(Files().isEmpty()) << Files().join(' ').toStdString();
}

TEST_F(RecoveryTest, DeclinedDamagedAndUnnamedCopies) {
    // Two windows that went without closing: a never-saved one, and after
    // it a damaged copy; a failed save leaves the text modified and copied.
    Main->Recovery().SetDelays(10, 10);
    TypeInto(Editor(), "r: Rechteck");
    Dialogs.FileNames = {Dir.Path("fehlt/r.zak")};
    Main->SpeichernExecute();
    EXPECT_TRUE(Editor().Modified());
    ASSERT_EQ(Dialogs.Of("Message").size(), 1u);
    Main->Recovery().Settle();
    EXPECT_TRUE(QFileInfo::exists(Main->Recovery().CopyPath()));
    // The save failed before any name was kept on disk: the copy is under
    // the name chosen, so that "Speichern" tries there again.
    Main.reset();
    {
        std::unique_ptr<TFMain> unnamed = NewWindow();
        TypeInto(*unnamed->Editor(), "n: integer");
        ASSERT_TRUE(WaitFor([&] { return !unnamed->Recovery().Due(); }));
    }
    QStringList copies = Journals();
    ASSERT_EQ(copies.size(), 2);
    // Damaged: zeros; a program cut short; a first line that is not ours.
    WriteBytes(TRecovery::Directory() + "/9-9-9.journal", std::string(100, '\0'));
    WriteBytes(TRecovery::Directory() + "/9-9-8.journal",
               "ZAK-Journal 1\n{\"datei\":\"\",\"zeile\":0,\"spalte\":0}\n" + Header + "k: Kre");
    WriteBytes(TRecovery::Directory() + "/9-9-7.journal", "ZAK-Journal 1\n{\"datei\":3}\n" + Header);

    // The damaged copy is reported and set aside; "Abbrechen" keeps the
    // rest for later; "Nein" deletes one, "Ja" takes the next.
    Main = NewWindow();
    Dialogs.Answers = {TAnswer::Cancel};
    Main->OfferRecovery();
    ASSERT_EQ(Dialogs.Of("Message").size(), 4u);
    for (int i = 1; i < 4; ++i)
        EXPECT_TRUE(Dialogs.Of("Message")[i].Text.contains(QString::fromUtf8("beschädigt")))
            << Dialogs.Of("Message")[i].Text.toStdString();
    for (const char* id : {"9-9-9", "9-9-8", "9-9-7"})
        EXPECT_TRUE(QFileInfo::exists(TRecovery::Directory() + "/" + id + ".defekt")) << id;
    ASSERT_EQ(Dialogs.Of("Ask").size(), 1u);
    EXPECT_TRUE(Editor().LineCount() <= 1 && Editor().LineText(0).empty());
    Main.reset();

    Main = NewWindow();
    Dialogs.Answers = {TAnswer::No, TAnswer::Yes};
    Main->OfferRecovery();
    const auto asked = Dialogs.Of("Ask");
    ASSERT_EQ(asked.size(), 3u);
    // Newest first: the unnamed program, then the one under its chosen name.
    EXPECT_TRUE(asked[1].Text.contains(QString::fromUtf8("„unbenannt“"))) << asked[1].Text.toStdString();
    EXPECT_TRUE(asked[2].Text.contains(QString::fromUtf8("„r.zak“"))) << asked[2].Text.toStdString();
    EXPECT_EQ(EditorLines(), std::vector<std::string>{"r: Rechteck"});
    EXPECT_TRUE(Editor().Modified());
    EXPECT_EQ(Main->FileName(), QFileInfo(Dir.Path("fehlt/r.zak")).absoluteFilePath());
    copies = Journals();
    EXPECT_EQ(copies, QStringList{QFileInfo(Main->Recovery().CopyPath()).fileName()});
}

// A real ZAK, typed into and killed: while it runs, its journal is not
// offered; once it is gone, the next start brings back the text under the
// file's name, with the caret where it was, and takes the journal over.
TEST_F(RecoveryTest, KilledZakOffersItsUnsavedTextBack) {
    const QString path = QFileInfo(Dir.Path("haus.zak")).absoluteFilePath();
    WriteBytes(path, Header + "// Anfang\r\n");
    QProcess zak;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_STATE_HOME", Data.path());
    environment.insert("XDG_DATA_HOME", Data.path());
    environment.insert("ZAK_TEST_TYPE", "h: Rechteck\nh.zeigen\n");
    zak.setProcessEnvironment(environment);
    zak.start(QStringLiteral(ZAK_BINARY), {path});
    ASSERT_TRUE(zak.waitForStarted(10000));

    // The journal comes about two seconds after the typing (longer under
    // the sanitizers), written whole.
    QElapsedTimer clock;
    clock.start();
    QString journal;
    while (clock.elapsed() < 60000 && zak.state() == QProcess::Running) {
        const QStringList journals = Journals();
        if (!journals.isEmpty()) {
            journal = TRecovery::Directory() + "/" + journals[0];
            TRecoveryCopy copy;
            copy.CopyPath = journal;
            QString reason;
            if (TRecovery::Read(copy, TFMain::FileHeader, 1 << 20, reason) &&
                copy.Bytes.toStdString() == Header + "h: Rechteck\r\nh.zeigen\r\n// Anfang\r\n")
                break;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(50);
    }
    ASSERT_EQ(zak.state(), QProcess::Running) << zak.readAllStandardError().toStdString();
    ASSERT_FALSE(journal.isEmpty());

    // A second start while the first runs finds nothing to offer.
    NewWindow()->OfferRecovery();
    EXPECT_TRUE(Dialogs.Of("Ask").empty());

    ::kill(static_cast<pid_t>(zak.processId()), SIGKILL);
    ASSERT_TRUE(zak.waitForFinished(10000));
    ASSERT_EQ(zak.exitStatus(), QProcess::CrashExit);

    Main = NewWindow();
    Main->show();
    Dialogs.Answers = {TAnswer::Yes};
    Main->OfferRecovery();
    ASSERT_EQ(Dialogs.Of("Ask").size(), 1u);
    const QString question = Dialogs.Of("Ask")[0].Text;
    EXPECT_TRUE(question.startsWith(QString::fromUtf8("Ungespeicherte Änderungen wiederherstellen?")))
        << question.toStdString();
    EXPECT_TRUE(question.contains(QString::fromUtf8("„haus.zak“"))) << question.toStdString();
    EXPECT_EQ(EditorLines(), (std::vector<std::string>{"h: Rechteck", "h.zeigen", "// Anfang"}));
    EXPECT_EQ(Editor().CaretLine(), 2);
    EXPECT_EQ(Editor().CaretColumn(), 0);
    EXPECT_TRUE(Editor().Modified());
    EXPECT_EQ(Main->FileName(), path);
    EXPECT_FALSE(QFileInfo::exists(journal));
    EXPECT_EQ(Journals(), QStringList{QFileInfo(Main->Recovery().CopyPath()).fileName()});
}

// A copy left by an earlier ZAK in the data directory is offered as well,
// under its name and time, and leaves nothing behind there.
TEST_F(RecoveryTest, CopyOfAnEarlierVersionIsOffered) {
    const QString old = QString::fromLocal8Bit(TestDataHome()) + "/zak/wiederherstellung";
    ASSERT_TRUE(QDir().mkpath(old));
    WriteBytes(old + "/5-5-5.zak", Header + "alt: Kreis\r\n");
    WriteBytes(old + "/5-5-5.name", "/tmp/alt.zak");
    const QDateTime written = QDateTime::currentDateTime().addDays(-3);
    {
        QFile file(old + "/5-5-5.zak");
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(written, QFileDevice::FileModificationTime));
    }
    Dialogs.Answers = {TAnswer::Yes};
    Main->OfferRecovery();
    ASSERT_EQ(Dialogs.Of("Ask").size(), 1u);
    const QString question = Dialogs.Of("Ask")[0].Text;
    EXPECT_TRUE(question.contains(QString::fromUtf8("„alt.zak“"))) << question.toStdString();
    EXPECT_TRUE(question.contains(written.toString("dd.MM.yyyy"))) << question.toStdString();
    EXPECT_EQ(EditorLines(), std::vector<std::string>{"alt: Kreis"});
    EXPECT_EQ(Main->FileName(), "/tmp/alt.zak");
    EXPECT_TRUE(QDir(old).entryList(QDir::Files).isEmpty()) << QDir(old).entryList(QDir::Files).join(' ').toStdString();
}

// A save that writes the file in place (its folder allows no new files)
// and is killed at any moment leaves the old file, the new one, or a torn
// file beside a journal with the whole new text, which the next start
// offers. The saving ZAK is a child process of this test; it writes in
// place on purpose, as root may create files in any folder.
TEST_F(RecoveryTest, InPlaceSaveKilledAnywhereLeavesOldOrNewFileOrTheJournal) {
    if (!qEnvironmentVariableIsEmpty("ZAK_INPLACE_STATE")) GTEST_SKIP() << "the child itself";
    const QString path = QFileInfo(Dir.Path("gross.zak")).absoluteFilePath();
    const std::string oldBytes = FileOf(LargeProgram("alt", OldLines));
    const std::vector<std::string> newLines = LargeProgram("neu", NewLines);
    const std::string newBytes = FileOf(newLines);
    std::mt19937 random(20261208);

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("ZAK_INPLACE_STATE", Data.path());
    environment.insert("ZAK_INPLACE_FILE", path);
    child.setProcessEnvironment(environment);
    // The child's line that starts with `word`; what follows it.
    auto await = [&child](const char* word) -> std::string {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 60000) {
            while (child.canReadLine()) {
                const std::string line = child.readLine().trimmed().toStdString();
                if (line.rfind(word, 0) == 0) return line.substr(std::strlen(word));
            }
            if (child.state() != QProcess::Running && !child.canReadLine()) break;
            child.waitForReadyRead(100);
        }
        ADD_FAILURE() << "no \"" << word << "\" from the child: " << child.readAllStandardError().toStdString();
        return "-";
    };
    auto start = [&] {
        WriteBytes(path, oldBytes);
        for (const QString& file : Files()) QFile::remove(TRecovery::Directory() + "/" + file);
        child.start(QStringLiteral("/proc/self/exe"), {"--gtest_filter=RecoveryTest.InPlaceSaveChild"});
        return child.waitForStarted(10000);
    };
    // The journals left with the new text, marked as a save in progress.
    auto journaled = [&] {
        int found = 0;
        for (const QString& name : Journals()) {
            TRecoveryCopy copy;
            copy.CopyPath = TRecovery::Directory() + "/" + name;
            QString reason;
            if (TRecovery::Read(copy, TFMain::FileHeader, 1 << 24, reason) && copy.SaveInterrupted &&
                copy.Bytes.toStdString() == newBytes && copy.FileName == path)
                ++found;
        }
        return found;
    };

    // Undisturbed: the new file, and the journal gone; the child tells how
    // long the save took, and its write in place.
    ASSERT_TRUE(start());
    std::istringstream timing(await("saved "));
    long long wholeUs = 0;
    long long writeUs = 0;
    timing >> wholeUs >> writeUs;
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
    ASSERT_EQ(ReadBytes(path), newBytes);
    EXPECT_TRUE(Journals().isEmpty());
    ASSERT_GT(wholeUs, 0);

    int torn = 0;
    int old = 0;
    const int rounds = 20;
    for (int round = 1; round <= rounds; ++round) {
        ASSERT_TRUE(start());
        await("ready");
        // Every third kill anywhere in the save, the others in the first
        // milliseconds of the write in place, where the bytes go; the last
        // one at once.
        long long delayUs = 0;
        if (round % 3 == 0) {
            delayUs = std::uniform_int_distribution<long long>(0, wholeUs)(random);
        } else {
            await("writing");
            delayUs =
                round == rounds ? 0 : std::uniform_int_distribution<long long>(0, std::min(writeUs, 4000LL))(random);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(10000));
        const std::string onDisk = ReadBytes(path);
        if (onDisk == newBytes) continue;
        if (onDisk == oldBytes)
            ++old;
        else
            ++torn;
        EXPECT_TRUE(onDisk == oldBytes || journaled() == 1)
            << "round " << round << ": a file of " << onDisk.size() << " bytes and no journal, killed after " << delayUs
            << " us";
    }
    std::printf("[          ] save %lld us, in place %lld us; %d of %d kills left the old file, %d a torn one\n",
                wholeUs, writeUs, old, rounds, torn);

    // The last kill: the next start offers the journal with the whole new
    // text under the file's name, and saving writes it.
    if (ReadBytes(path) == newBytes) return;
    ASSERT_EQ(journaled(), 1);
    Main = NewWindow();
    Dialogs.Answers = {TAnswer::Yes};
    Main->OfferRecovery();
    ASSERT_EQ(Dialogs.Of("Ask").size(), 1u);
    const QString question = Dialogs.Of("Ask")[0].Text;
    EXPECT_TRUE(question.startsWith(QString::fromUtf8("Ungespeicherte Änderungen wiederherstellen?")))
        << question.toStdString();
    EXPECT_TRUE(question.contains(QString::fromUtf8("Das Speichern wurde unterbrochen"))) << question.toStdString();
    EXPECT_EQ(EditorLines(), newLines);
    EXPECT_EQ(Main->FileName(), path);
    Main->SpeichernExecute();
    EXPECT_EQ(ReadBytes(path), newBytes);
    EXPECT_TRUE(Journals().isEmpty()) << Files().join(' ').toStdString();
}

// The saving ZAK of the test above, in a process of its own.
TEST_F(RecoveryTest, InPlaceSaveChild) {
    const QString state = qEnvironmentVariable("ZAK_INPLACE_STATE");
    if (state.isEmpty()) GTEST_SKIP() << "runs in the child of InPlaceSaveKilledAnywhere...";
    qputenv("XDG_STATE_HOME", state.toLocal8Bit());
    // Plain lines: the child is started twenty times.
    Editor().LineRoutine = [](std::string& line, bool, int, TFormatResult& result) {
        result.Classes.assign(line.size(), '2');
        result.CommentOpen = false;
        return 0;
    };
    Editor().AlwaysWriteInPlace = true;
    Dialogs.FileNames = {qEnvironmentVariable("ZAK_INPLACE_FILE")};
    Main->OeffnenExecute();
    Editor().LoadLines(LargeProgram("neu", NewLines));
    QElapsedTimer clock;
    qint64 writing = 0;
    const auto keep = Editor().BeforeWriteInPlace;
    Editor().BeforeWriteInPlace = [&](const QString& file, const QByteArray& bytes) {
        const bool kept = keep(file, bytes);
        writing = clock.nsecsElapsed();
        std::printf("writing\n");
        std::fflush(stdout);
        return kept;
    };
    std::printf("ready\n");
    std::fflush(stdout);
    clock.start();
    Main->SpeichernExecute();
    const qint64 whole = clock.nsecsElapsed();
    std::printf("saved %lld %lld\n", static_cast<long long>(whole / 1000),
                static_cast<long long>((whole - writing) / 1000));
    std::fflush(stdout);
    EXPECT_TRUE(Dialogs.Of("Message").empty());
}

// A text grown past what a file may hold (here by lines of 1000 bytes) is
// not saved, with a message, and stays in the editor; its journal is
// offered at the next start rather than set aside.
TEST_F(RecoveryTest, TextTooLargeForAFileIsNotSavedButItsJournalComesBack) {
    std::vector<std::string> lines(9000, "// " + std::string(997, 'x'));
    SetProgram(lines);
    PressEnter();
    lines.insert(lines.begin(), "");
    ASSERT_GT(Editor().FileSize(TFMain::FileHeader), TFMain::MaxProgramFileSize);
    const QString path = QFileInfo(Dir.Path("riesig.zak")).absoluteFilePath();
    Dialogs.FileNames = {path};
    Main->SpeichernUnterExecute();
    ASSERT_EQ(Dialogs.Of("Message").size(), 1u);
    EXPECT_TRUE(Dialogs.Of("Message")[0].Text.contains(QString::fromUtf8("zu groß für ein ZAK-Programm")))
        << Dialogs.Of("Message")[0].Text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(Editor().Modified());
    EXPECT_EQ(EditorLines(), lines);
    Main->Recovery().Settle();
    ASSERT_EQ(Journals().size(), 1);

    Main.reset();
    Main = NewWindow();
    Dialogs.Answers = {TAnswer::Yes};
    Main->OfferRecovery();
    EXPECT_EQ(Dialogs.Of("Message").size(), 1u);
    ASSERT_EQ(Dialogs.Of("Ask").size(), 1u);
    EXPECT_EQ(EditorLines(), lines);
    EXPECT_EQ(Main->FileName(), path);
    EXPECT_EQ(Files().filter(".defekt").size(), 0) << Files().join(' ').toStdString();
}

// A journal that cannot be written (its folder cannot be made) is said
// once in the status line, tried again without further typing, and the
// line goes once a journal is written.
TEST_F(RecoveryTest, UnwritableJournalIsToldOnceAndTriedAgain) {
    const QString blocked = Dir.Path("zustand");
    WriteBytes(blocked, "kein Verzeichnis");
    qputenv("XDG_STATE_HOME", blocked.toLocal8Bit());
    TRecovery& recovery = Main->Recovery();
    recovery.SetDelays(10, 10, 50);
    QStringList told;
    const auto show = recovery.Trouble;
    recovery.Trouble = [&](const QString& message) {
        told << message;
        show(message);
    };
    TypeInto(Editor(), "k: Kreis");
    ASSERT_TRUE(WaitFor([&] { return !told.isEmpty(); }));
    const QString expected = QString::fromUtf8(
                                 "Ungespeicherte Änderungen können nicht gesichert werden: Ein Teil des "
                                 "Pfades ist kein Verzeichnis. (%1/zak)")
                                 .arg(blocked);
    EXPECT_EQ(told[0], expected);
    auto* bar = Main->findChild<QStatusBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisibleTo(Main.get()));
    EXPECT_EQ(bar->currentMessage(), expected);
    // More typing and the retries fail again, without a second word.
    TypeInto(Editor(), "\nk.zeigen");
    QThread::msleep(300);
    QApplication::processEvents();
    EXPECT_EQ(told.size(), 1);

    // Room again: the retry writes the journal and the line goes.
    QFile::remove(blocked);
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(recovery.CopyPath()) && told.size() == 2; }));
    EXPECT_TRUE(told[1].isEmpty());
    EXPECT_FALSE(bar->isVisibleTo(Main.get()));
    EXPECT_EQ(ReadJournal(recovery.CopyPath()).Bytes, Editor().FileBytes(TFMain::FileHeader));
}
