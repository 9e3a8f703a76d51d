// Recovery copies of unsaved text: written while typing, left behind by a
// window that goes without closing, offered to the next window, and gone
// once the text is saved or discarded.
#include "MainTestSupport.h"

#include "URecovery.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

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
        qputenv("XDG_DATA_HOME", Data.path().toLocal8Bit());
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        qputenv("XDG_DATA_HOME", TestDataHome());
    }

    // A further window of the same user, as a second start of ZAK.
    std::unique_ptr<TFMain> NewWindow() {
        auto window = std::make_unique<TFMain>(QStringList{QStringLiteral("/usr/bin/zak")});
        window->RunTimer().stop();
        window->Recovery().SetDelays(10, 10);
        return window;
    }

    QStringList Files() const {
        return QDir(TRecovery::Directory()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
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

    // Typing on without a pause: the longest delay writes the copy while
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

    // A pause writes the latest text: the copy is what saving writes.
    recovery.SetDelays(20, 60000);
    Editor().SetCaret(0, 0);
    TypeInto(Editor(), "\nwiederhole 3 mal\nk.drehen(120)\n*wiederhole\n// \xE4\x81\x8D\x8F\x90\x9D ");
    ASSERT_TRUE(recovery.Due());
    ASSERT_TRUE(WaitFor([&] { return !recovery.Due(); }));
    const std::string copy = ReadBytes(recovery.CopyPath());
    EXPECT_EQ(copy, Editor().FileBytes(TFMain::FileHeader).toStdString());
    EXPECT_EQ(copy.rfind(Header, 0), 0u);
    const std::vector<std::string> typed = EditorLines();

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
    EXPECT_TRUE(question.startsWith(QString::fromUtf8("ZAK wurde beim letzten Mal nicht ordnungsgemäß beendet.")))
        << question.toStdString();
    EXPECT_TRUE(question.contains(QString::fromUtf8("„kreis.zak“"))) << question.toStdString();
    EXPECT_TRUE(question.contains(QDateTime::currentDateTime().toString("dd.MM.yyyy"))) << question.toStdString();
    EXPECT_EQ(EditorLines(), typed);
    EXPECT_TRUE(Editor().Modified());
    EXPECT_EQ(Main->FileName(), path);
    EXPECT_EQ(Main->windowTitle(), "ZAK 1.5.9 - kreis.zak");
    // The copy now belongs to this window; the old one is gone.
    EXPECT_FALSE(QFileInfo::exists(oldCopy));
    EXPECT_EQ(ReadBytes(Main->Recovery().CopyPath()), copy);

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
    EXPECT_TRUE(QFileInfo::exists(Main->Recovery().CopyPath()));
    // The save failed before any name was kept on disk: the copy is under
    // the name chosen, so that "Speichern" tries there again.
    Main.reset();
    {
        std::unique_ptr<TFMain> unnamed = NewWindow();
        TypeInto(*unnamed->Editor(), "n: integer");
        ASSERT_TRUE(WaitFor([&] { return !unnamed->Recovery().Due(); }));
    }
    QStringList copies = QDir(TRecovery::Directory()).entryList({"*.zak"}, QDir::Files);
    ASSERT_EQ(copies.size(), 2);
    WriteBytes(TRecovery::Directory() + "/9-9-9.zak", std::string(100, '\0'));
    // A name left without its copy is tidied away.
    WriteBytes(TRecovery::Directory() + "/7-7-7.name", "/tmp/x.zak");

    // The damaged copy is reported and set aside; "Abbrechen" keeps the
    // rest for later; "Nein" deletes one, "Ja" takes the next.
    Main = NewWindow();
    Dialogs.Answers = {TAnswer::Cancel};
    Main->OfferRecovery();
    ASSERT_EQ(Dialogs.Of("Message").size(), 2u);
    EXPECT_TRUE(Dialogs.Of("Message")[1].Text.contains(QString::fromUtf8("beschädigt"))) << Dialogs.Of("Message")[1].Text.toStdString();
    EXPECT_TRUE(QFileInfo::exists(TRecovery::Directory() + "/9-9-9.defekt"));
    EXPECT_FALSE(QFileInfo::exists(TRecovery::Directory() + "/7-7-7.name"));
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
    copies = QDir(TRecovery::Directory()).entryList({"*.zak"}, QDir::Files);
    EXPECT_EQ(copies, QStringList{QFileInfo(Main->Recovery().CopyPath()).fileName()});
}
