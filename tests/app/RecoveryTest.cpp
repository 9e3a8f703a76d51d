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
#include <QThread>

#include <csignal>

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
