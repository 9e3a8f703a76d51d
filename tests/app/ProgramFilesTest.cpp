// New, open, save, save as, the header line and the questions around them.
#include "FifoTestSupport.h"
#include "MainTestSupport.h"

#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <random>

#include <sys/resource.h>
#include <unistd.h>

namespace {

const std::string Header = "// ZAK 1.5 - Programm\r\n";

} // namespace

class ProgramFilesTest : public MainWindowTest {
protected:
    TTempCurrentDir Dir;
};

TEST_F(ProgramFilesTest, SaveAndLoadRoundTripByteForByte) {
    SetProgram({"r: Rechteck", "wiederhole 2 mal", "   r.drehen(10)\t", "*wiederhole", "// \xE4\xF6\xFC\xDF"});
    const QString path = Dir.Path("kreis.zak");
    Dialogs.FileNames = {path};
    Main->SpeichernExecute();  // a new program: saving asks for the name
    ASSERT_EQ(Dialogs.Of("Save").size(), 1u);
    EXPECT_EQ(Dialogs.Suffix, "zak");
    const std::string written = ReadBytes(path);
    const std::string program =
        "r: Rechteck\r\nwiederhole 2 mal\r\n   r.drehen(10)\t\r\n*wiederhole\r\n// \xE4\xF6\xFC\xDF\r\n";
    EXPECT_EQ(written, Header + program);
    EXPECT_FALSE(Editor().Modified());
    EXPECT_EQ(Main->windowTitle(), "ZAK 1.5.9 - kreis.zak");

    SetProgram({"anderes"});
    Dialogs.FileNames = {path};
    Main->OeffnenExecute();
    EXPECT_EQ(EditorLines(), (std::vector<std::string>{"r: Rechteck", "wiederhole 2 mal", "   r.drehen(10)\t",
                                                        "*wiederhole", "// \xE4\xF6\xFC\xDF"}));
    EXPECT_TRUE(Dialogs.Of("Message").empty());

    Main->SpeichernExecute();
    EXPECT_EQ(ReadBytes(path), Header + program);
    Main->OeffnenExecute();  // no name this time: cancelled
    EXPECT_EQ(Main->FileName(), QFileInfo(path).absoluteFilePath());
    EXPECT_TRUE(Main->RunTimer().isActive());
}

TEST_F(ProgramFilesTest, SaveAsAddsTheExtensionAndSavingLeavesRunMode) {
    SetProgram({"n: integer"});
    Main->BStartenClick();
    Dialogs.FileNames = {Dir.Path("ohne")};
    Main->SpeichernUnterExecute();
    EXPECT_FALSE(Main->RunMode());
    EXPECT_TRUE(QFileInfo::exists(Dir.Path("ohne.zak")));
    EXPECT_EQ(Main->windowTitle(), "ZAK 1.5.9 - ohne.zak");

    // Cancelled: the window stays in its mode and keeps its name.
    Main->BStartenClick();
    Main->SpeichernUnterExecute();
    EXPECT_TRUE(Main->RunMode());
    EXPECT_EQ(Dialogs.Of("Save").back().Text, QFileInfo(Dir.Path("ohne.zak")).absoluteFilePath());
}

TEST_F(ProgramFilesTest, HeaderOfAnotherVersionWarnsButLoads) {
    const QString foreign = Dir.Path("alt.zak");
    WriteBytes(foreign, "// ZAK 1.4 - Programm\r\nn: integer\r\n");
    Dialogs.FileNames = {foreign};
    Main->OeffnenExecute();
    ASSERT_EQ(Dialogs.Of("Message").size(), 1u);
    EXPECT_EQ(Dialogs.Of("Message")[0].Text, QString::fromUtf8("Dieses Programm wurde nicht für ZAK 1.5 geschrieben."));
    EXPECT_EQ(Dialogs.Of("Message")[0].Caption, "Warnung!");
    EXPECT_EQ(EditorLines(), std::vector<std::string>{"n: integer"});
    EXPECT_EQ(Main->FileName(), QFileInfo(foreign).absoluteFilePath());
    // Saving starts where the program was loaded from.
    Main->SpeichernUnterExecute();
    EXPECT_EQ(Dialogs.SaveDirectory, QFileInfo(foreign).absolutePath());

    // A longer version after the prefix, an empty file and a lone LF file
    // load without a warning.
    const QString newer = Dir.Path("neu.zak");
    WriteBytes(newer, "// ZAK 1.5.9 und mehr\nm: integer\rk: integer");
    const QString empty = Dir.Path("leer.zak");
    WriteBytes(empty, "");
    Dialogs.FileNames = {newer, empty};
    Main->OeffnenExecute();
    EXPECT_EQ(EditorLines(), (std::vector<std::string>{"m: integer", "k: integer"}));
    Main->OeffnenExecute();
    EXPECT_EQ(Dialogs.Of("Message").size(), 1u);
    EXPECT_EQ(Main->windowTitle(), "ZAK 1.5.9 - leer.zak");
}

TEST_F(ProgramFilesTest, CancelInTheDiscardQuestionKeepsEverything) {
    const QString first = Dir.Path("eins.zak");
    WriteBytes(first, Header + "a: integer\r\n");
    Dialogs.FileNames = {first};
    Main->OeffnenExecute();
    Editor().SetCaret(0, 0);
    PressEnter();
    ASSERT_TRUE(Editor().Modified());
    const std::vector<std::string> before = EditorLines();

    const QString second = Dir.Path("zwei.zak");
    WriteBytes(second, Header + "b: integer\r\n");
    Dialogs.FileNames = {second};
    Dialogs.Answers = {TAnswer::Cancel};
    Main->OeffnenExecute();
    ASSERT_EQ(Dialogs.Of("Confirm").size(), 1u);
    EXPECT_EQ(Dialogs.Of("Confirm")[0].Text, "Soll das aktuelle Programm verworfen werden?");
    EXPECT_EQ(EditorLines(), before);
    EXPECT_EQ(Main->FileName(), QFileInfo(first).absoluteFilePath());
    EXPECT_EQ(Main->windowTitle(), "ZAK 1.5.9 - eins.zak");
    EXPECT_TRUE(Main->RunTimer().isActive());
}

TEST_F(ProgramFilesTest, NewAsksEvenWhenNothingChanged) {
    SetProgram({"a: integer"});
    Dialogs.Answers = {TAnswer::Cancel, TAnswer::Ok};
    Main->NeuExecute();
    EXPECT_EQ(EditorLines(), std::vector<std::string>{"a: integer"});
    Main->NeuExecute();
    EXPECT_EQ(Dialogs.Of("Confirm").size(), 2u);
    EXPECT_LE(Editor().LineCount(), 1);
    EXPECT_EQ(Main->windowTitle(), "ZAK 1.5.9 (Zakwerk)");
}

TEST_F(ProgramFilesTest, FailedSaveKeepsTheTextAndTheModifiedFlag) {
    SetProgram({"a: integer"});
    Editor().SetCaret(0, 0);
    PressEnter();
    const std::vector<std::string> before = EditorLines();
    const QString impossible = Dir.Path("fehlt/gibtsnicht.zak");
    Dialogs.FileNames = {impossible};
    Main->SpeichernUnterExecute();
    ASSERT_EQ(Dialogs.Of("Message").size(), 1u);
    EXPECT_TRUE(Dialogs.Of("Message")[0].Text.contains("gibtsnicht.zak"));
    EXPECT_TRUE(Editor().Modified());
    EXPECT_EQ(EditorLines(), before);
    EXPECT_FALSE(QFileInfo::exists(impossible));
}

// Arbitrary bytes, the five Windows-1252 leaves undefined and UTF-8 from
// other editors among them, survive open, a run with Stop and "Programm
// bearbeiten", and save; only the header line, the line breaks and the
// editor's indentation of lines (leading blanks) may change, and a second
// round gives the same bytes.
TEST_F(ProgramFilesTest, ArbitraryBytesSurviveOpenRunAndSave) {
    std::mt19937 random(20261207);
    const std::vector<std::string> pieces = {"\x81\x8D\x8F\x90\x9D", "\xC3\xA4\xC3\xB6\xE2\x82\xAC", "\xEF\xBB\xBF",
                                             "wiederhole 2 mal", "*wiederhole", "{", "}", "'", "   ", "\t", std::string(1, '\0'),
                                             "r: Rechteck", "r.drehen(10)"};
    auto withoutIndent = [](std::vector<std::string> lines) {
        for (std::string& line : lines) line.erase(0, line.find_first_not_of(' ') == std::string::npos
                                                          ? line.size()
                                                          : line.find_first_not_of(' '));
        return lines;
    };
    const QString path = Dir.Path("zufall.zak");
    for (int round = 0; round < 40; ++round) {
        std::vector<std::string> lines(random() % 30);
        std::string file = round % 2 ? "// ZAK 1.5 - Programm" : "\xEF\xBB\xBF// fremder Kopf \xFF";
        const std::string breaks[] = {"\r\n", "\r", "\n"};
        // A lone CR before a lone LF would be one CR LF.
        std::string lastBreak = breaks[random() % 3];
        file += lastBreak;
        for (std::string& line : lines) {
            const int parts = static_cast<int>(random() % 6);
            for (int p = 0; p < parts; ++p) {
                if (random() % 2) {
                    line += pieces[random() % pieces.size()];
                } else {
                    char c = static_cast<char>(random() % 256);
                    if (c != '\r' && c != '\n') line += c;
                }
            }
            file += line;
            lastBreak = breaks[random() % (line.empty() && lastBreak == "\r" ? 2 : 3)];
            file += lastBreak;
        }
        WriteBytes(path, file);
        Dialogs.FileNames = {path};
        Main->OeffnenExecute();
        ASSERT_EQ(Main->FileName(), QFileInfo(path).absoluteFilePath());
        const std::vector<std::string> loaded = EditorLines();
        ASSERT_EQ(withoutIndent(loaded), withoutIndent(lines)) << "round " << round;

        Main->BStartenClick();
        Main->StartExecute();
        Main->TimerTimer();
        Main->StopExecute();
        Main->BBearbeitenClick();
        EXPECT_EQ(EditorLines(), loaded) << "round " << round;

        Main->SpeichernExecute();
        std::string expected = "// ZAK 1.5 - Programm\r\n";
        for (const std::string& line : loaded) expected += line + "\r\n";
        const std::string saved = ReadBytes(path);
        ASSERT_EQ(saved, expected) << "round " << round;
        Main->OeffnenExecute();  // no name: cancelled
        Dialogs.FileNames = {path};
        Main->OeffnenExecute();
        Main->SpeichernExecute();
        ASSERT_EQ(ReadBytes(path), saved) << "round " << round;
    }
    // The only messages are the warnings about the foreign header.
    for (const auto& message : Dialogs.Of("Message")) EXPECT_EQ(message.Caption, "Warnung!") << message.Text.toStdString();
}

// A disk that runs full while saving (here a file size limit) leaves the
// old file whole and the text modified, also where the folder allows only
// writing the file in place.
TEST_F(ProgramFilesTest, SaveThatRunsOutOfRoomKeepsTheOldFile) {
    const QString path = Dir.Path("voll.zak");
    std::string old = "// ZAK 1.5 - Programm\r\n";
    for (int i = 0; i < 40; ++i) old += "// alt\r\n";
    WriteBytes(path, old);
    Dialogs.FileNames = {path};
    Main->OeffnenExecute();
    Editor().SetCaret(0, 0);
    for (int i = 0; i < 300; ++i) PressEnter();
    ASSERT_TRUE(Editor().Modified());

    struct rlimit previous = {};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    auto limitFileSize = [&](rlim_t size) {
        struct rlimit limit = previous;
        limit.rlim_cur = size;
        setrlimit(RLIMIT_FSIZE, &limit);
    };
    limitFileSize(static_cast<rlim_t>(old.size()) + 100);
    Main->SpeichernExecute();
    ASSERT_EQ(Dialogs.Of("Message").size(), 1u);
    EXPECT_TRUE(Dialogs.Of("Message")[0].Text.contains(QString::fromUtf8("vollständig"))) << Dialogs.Of("Message")[0].Text.toStdString();
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_TRUE(Editor().Modified());

    // A folder without the right to create files (root may always).
    if (geteuid() != 0) {
        QFile::setPermissions(Dir.Path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        Main->SpeichernExecute();
        ASSERT_EQ(Dialogs.Of("Message").size(), 2u);
        EXPECT_TRUE(Dialogs.Of("Message")[1].Text.contains(QString::fromUtf8("vollständig"))) << Dialogs.Of("Message")[1].Text.toStdString();
        EXPECT_EQ(ReadBytes(path), old);
        EXPECT_TRUE(Editor().Modified());
        setrlimit(RLIMIT_FSIZE, &previous);
        Main->SpeichernExecute();
        EXPECT_EQ(Dialogs.Of("Message").size(), 2u);
        EXPECT_EQ(ReadBytes(path), Editor().FileBytes(TFMain::FileHeader).toStdString());
        EXPECT_FALSE(Editor().Modified());
        QFile::setPermissions(Dir.Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
}

TEST_F(ProgramFilesTest, UnreadableAndOversizedFilesAreRefusedWithAMessage) {
    SetProgram({"a: integer"});
    Dialogs.FileNames = {Dir.Path("fehlt.zak"), Dir.Path()};
    Main->OeffnenExecute();
    Main->OeffnenExecute();
    EXPECT_EQ(Dialogs.Of("Message").size(), 2u);
    EXPECT_EQ(EditorLines(), std::vector<std::string>{"a: integer"});
    EXPECT_TRUE(Main->FileName().isEmpty());

    const QString huge = Dir.Path("riesig.zak");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(TFMain::MaxProgramFileSize + 1));
    }
    Dialogs.FileNames = {huge};
    Main->OeffnenExecute();
    EXPECT_EQ(Dialogs.Of("Message").size(), 3u);
    EXPECT_EQ(EditorLines(), std::vector<std::string>{"a: integer"});
}

// A FIFO would block the opening until some writer comes, a device such as
// /dev/zero never ends (the run's test has that one; here it would fill the
// memory before the fix): opened from the dialog or the command line, they
// are refused at once with a message, and the text stays.
TEST_F(ProgramFilesTest, FifosAndDevicesAreRefusedWithoutWaiting) {
    const QString fifoPath = Dir.Path("fifo.zak");
    const TFeedingFifo fifo(fifoPath, Header + "aus_der_fifo: integer\r\n");
    ASSERT_TRUE(fifo.Made());
    const QString null = Dir.Path("null.zak");
    ASSERT_TRUE(QFile::link("/dev/null", null));
    SetProgram({"a: integer"});
    Dialogs.FileNames = {fifoPath, null};
    for (int i = 0; i < 2; ++i) Main->OeffnenExecute();
    ASSERT_EQ(Dialogs.Of("Message").size(), 2u);
    for (const auto& message : Dialogs.Of("Message"))
        EXPECT_TRUE(message.Text.endsWith(QString::fromUtf8("\nSie ist keine gewöhnliche Datei.")))
            << message.Text.toStdString();
    EXPECT_EQ(EditorLines(), std::vector<std::string>{"a: integer"});
    EXPECT_TRUE(Main->FileName().isEmpty());

    {
        TFMain window({"zak", fifoPath});
        EXPECT_EQ(window.Editor()->LineCount(), 0);
        EXPECT_FALSE(window.windowTitle().contains("fifo")) << window.windowTitle().toStdString();
    }
    EXPECT_EQ(Dialogs.Of("Message").size(), 3u);
    EXPECT_FALSE(fifo.Fed());
}

TEST_F(ProgramFilesTest, CommandLineLoadsArgumentsEndingInZak) {
    WriteBytes(Dir.Path("a.ZAK"), Header + "gross: integer\r\n");
    WriteBytes(Dir.Path("bzak"), "// irgendwas\r\nohnepunkt: integer\r\n");
    WriteBytes(Dir.Path("c.txt"), Header + "text: integer\r\n");
    {
        TFMain window({Dir.Path("zak"), Dir.Path("a.ZAK"), Dir.Path("c.txt")});
        EXPECT_EQ(window.Editor()->LineText(0), "gross: integer");
        EXPECT_EQ(window.windowTitle(), "ZAK 1.5.9 - a.ZAK");
    }
    {
        TFMain window({"zak", Dir.Path("a.ZAK"), Dir.Path("bzak")});
        EXPECT_EQ(window.Editor()->LineText(0), "ohnepunkt: integer");
        EXPECT_EQ(window.windowTitle(), "ZAK 1.5.9 - bzak");
    }
    // No version warning at start.
    EXPECT_TRUE(Dialogs.Of("Message").empty());
}

TEST_F(ProgramFilesTest, TheCloseQuestion) {
    SetProgram({"a: integer"});
    // Unchanged: closes without asking.
    EXPECT_TRUE(Main->close());
    EXPECT_TRUE(Dialogs.Of("Ask").empty());

    Main->show();
    Editor().SetCaret(0, 0);
    PressEnter();
    Dialogs.Answers = {TAnswer::Cancel, TAnswer::Yes};
    EXPECT_FALSE(Main->close());
    ASSERT_EQ(Dialogs.Of("Ask").size(), 1u);
    EXPECT_EQ(Dialogs.Of("Ask")[0].Text, "Wollen Sie vorher noch abspeichern?");
    EXPECT_EQ(Dialogs.Of("Ask")[0].Caption, "Warnung:");

    // Yes saves and keeps the window open; the next close just closes.
    Dialogs.FileNames = {Dir.Path("gerettet.zak")};
    EXPECT_FALSE(Main->close());
    EXPECT_EQ(ReadBytes(Dir.Path("gerettet.zak")), Header + "\r\na: integer\r\n");
    EXPECT_TRUE(Main->close());
    EXPECT_EQ(Dialogs.Of("Ask").size(), 2u);

    // No closes without saving.
    Main->show();
    PressEnter();
    Dialogs.Answers = {TAnswer::No};
    EXPECT_TRUE(Main->close());
}

TEST_F(ProgramFilesTest, ClosingFromTheMenuEndsARun) {
    SetProgram({"n: integer", "wiederhole immer", "n := n + 1", "*wiederhole"});
    Main->BStartenClick();
    Main->StartExecute();
    Main->TimerTimer();
    Main->Schlieen1Click();
    EXPECT_FALSE(Main->isVisible());
    EXPECT_EQ(Main->Interpreter(), nullptr);
    EXPECT_FALSE(Main->RunTimer().isActive());
}

// The open dialog offers the installed examples as "Beispiele" and opens
// them as any file.
TEST_F(ProgramFilesTest, TheOpenDialogOffersTheInstalledExamples) {
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    const QString examples = Dir.Path("share/zak/examples");
    ASSERT_TRUE(QDir().mkpath(examples));
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZAK_SOURCE_DIR "/examples/02_haus.zak"), examples + "/02_haus.zak"));
    qputenv("XDG_DATA_DIRS", Dir.Path("share").toLocal8Bit());
    EXPECT_EQ(ExamplesDirectory(), examples);
    Dialogs.FileNames = {examples + "/02_haus.zak"};
    Main->OeffnenExecute();
    qputenv("XDG_DATA_DIRS", dataDirs);
    ASSERT_EQ(Dialogs.Of("Open").size(), 1u);
    EXPECT_EQ(Dialogs.Of("Open")[0].Text, "Beispiele=" + examples);
    EXPECT_EQ(Main->FileName(), examples + "/02_haus.zak");
    EXPECT_EQ(EditorLines().at(1), "wand, tuer: Rechteck");
}
