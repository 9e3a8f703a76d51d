// New, open, save, save as, the header line and the questions around them.
#include "UVersion.h"
#include "FifoTestSupport.h"
#include "MainTestSupport.h"

#include "UCodepage.h"
#include "UProgrammText.h"
#include "URecovery.h"

#include <QFile>
#include <QStringDecoder>
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
    EXPECT_EQ(Main->windowTitle(), "ZAK " ZAK_VERSION " - kreis.zak");

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
}

TEST_F(ProgramFilesTest, SaveAsAddsTheExtensionAndSavingLeavesRunMode) {
    SetProgram({"n: integer"});
    Main->BStartenClick();
    Dialogs.FileNames = {Dir.Path("ohne")};
    Main->SpeichernUnterExecute();
    EXPECT_FALSE(Main->RunMode());
    EXPECT_TRUE(QFileInfo::exists(Dir.Path("ohne.zak")));
    EXPECT_EQ(Main->windowTitle(), "ZAK " ZAK_VERSION " - ohne.zak");

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
    EXPECT_EQ(Main->windowTitle(), "ZAK " ZAK_VERSION " - leer.zak");
}

// Files written with other editors: a first line that is no header stays
// in the program (after the version warning), UTF-8 with or without a byte
// order mark arrives as Windows-1252, characters it lacks as "?" with a
// note; saving writes the header and Windows-1252, and a file with the
// header loads as it always did.
TEST_F(ProgramFilesTest, FilesFromOtherEditorsLoseNothing) {
    const QString warning = QString::fromUtf8("Dieses Programm wurde nicht für ZAK 1.5 geschrieben.");
    struct TCase {
        std::string Bytes;
        std::vector<std::string> Lines;
        std::vector<QString> Messages;
    };
    const TCase cases[] = {
        {"n: integer\nt: string\nt := 'Gr\xFC\xDF!'\n", {"n: integer", "t: string", "t := 'Gr\xFC\xDF!'"}, {warning}},
        {"\xEF\xBB\xBF// ZAK 1.5 - Programm\r\n// Gr\xC3\xBC\xC3\x9F! \xE2\x82\xAC \xE2\x80\x9Ex\xE2\x80\x9C\r\n",
         {"// Gr\xFC\xDF! \x80 \x84x\x93"},
         {}},
        {"// Gr\xC3\xBC\xC3\x9F! \xE2\x9C\x93 \xF0\x9F\x98\x80?\r\nn: integer",
         {"// Gr\xFC\xDF! ? ??", "n: integer"},
         {QString::fromUtf8("Die Datei ist in UTF-8 geschrieben. 2 Zeichen darin kann ZAK nicht darstellen; sie "
                            "stehen jetzt als „?“ im Programm."),
          warning}},
        // Bytes after the mark that are no UTF-8 stay as they are.
        {"\xEF\xBB\xBF// ZAK 1.5\r\n// \xE2\x9C\x93 \xFC\r\n",
         {"// ? \xFC"},
         {QString::fromUtf8("Die Datei ist in UTF-8 geschrieben. 1 Zeichen darin kann ZAK nicht darstellen; es "
                            "steht jetzt als „?“ im Programm.")}},
        {"\xEF\xBB\xBF", {""}, {}},
        {"\r\nn: integer\r\n", {"", "n: integer"}, {}},
    };
    const QString path = Dir.Path("fremd.zak");
    for (const TCase& test : cases) {
        WriteBytes(path, test.Bytes);
        Dialogs.FileNames = {path};
        Main->OeffnenExecute();
        EXPECT_EQ(EditorLines(), test.Lines) << test.Bytes;
        std::vector<QString> messages;
        for (const auto& message : Dialogs.Of("Message")) messages.push_back(message.Text);
        EXPECT_EQ(messages, test.Messages) << test.Bytes;
        Main->SpeichernExecute();
        std::string expected = Header;
        for (const std::string& line : test.Lines) expected += line + "\r\n";
        EXPECT_EQ(ReadBytes(path), expected) << test.Bytes;
        Main->OeffnenExecute();  // no name: cancelled
        Dialogs.FileNames = {path};
        Main->OeffnenExecute();
        EXPECT_EQ(EditorLines(), test.Lines) << test.Bytes;
        EXPECT_EQ(Dialogs.Of("Message").size(), test.Messages.size()) << "no message after saving";
        Dialogs.Calls.clear();
    }
}

// The decision for UTF-8 and the conversion, against Qt's own decoder on
// random texts of ASCII, characters from all planes (those Windows-1252
// has and those it lacks) and malformed pieces, with and without the byte
// order mark.
TEST(ProgramText, Utf8ConversionAgreesWithQtsDecoder) {
    std::mt19937 random(20261208);
    const std::vector<std::string> malformedPieces = {
        "\xFF", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82", "\xF8\x88\x80\x80\x80", "\x80"};
    const std::vector<std::pair<char32_t, char32_t>> ranges = {{0xA0, 0xFF},    {0x152, 0x2122},  {0x80, 0x9F},
                                                               {0x100, 0xD7FF}, {0xE000, 0xFFFF}, {0x10000, 0x10FFFF}};
    for (int round = 0; round < 3000; ++round) {
        const bool marked = round % 3 == 0;
        const bool broken = round % 4 == 1;
        std::string bytes = marked ? "\xEF\xBB\xBF" : "";
        std::string expected;  // piece by piece: one character or one malformed piece at a time
        std::size_t lost = 0;
        bool multiByte = false;
        bool malformed = false;
        const int pieces = static_cast<int>(random() % 12);
        for (int p = 0; p < pieces; ++p) {
            switch (random() % 4) {
            case 0: {
                const char c = "ab ?'\r\n\t"[random() % 8];
                bytes += c;
                expected += c;
                break;
            }
            case 1:
                if (broken) {
                    // Followed by ASCII, so that no piece completes another.
                    const std::string& piece = malformedPieces[random() % malformedPieces.size()];
                    bytes += piece + "x";
                    expected += piece + "x";
                    malformed = true;
                    break;
                }
                [[fallthrough]];
            default: {
                const auto& [from, to] = ranges[random() % ranges.size()];
                const char32_t cp = from + static_cast<char32_t>(random() % (to - from + 1));
                const QByteArray utf8 = QString::fromUcs4(&cp, 1).toUtf8();
                bytes += utf8.toStdString();
                const unsigned char c = Codepage::FromUnicode(cp);
                if (c == '?') ++lost;
                expected += static_cast<char>(c);
                multiByte = true;
            }
            }
        }
        QStringDecoder qt(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const std::string body = bytes.substr(marked ? 3 : 0);
        (void)QString(qt(QByteArray::fromStdString(body)));
        const bool qtValid = !qt.hasError();
        const bool converted = marked || (qtValid && multiByte);
        const TProgrammDatei program = ReadProgram(bytes);
        const std::string text = converted ? expected : body;
        const TProgrammDatei reference = SplitProgram(text);
        ASSERT_EQ(program.FromUtf8, converted) << round;
        ASSERT_EQ(program.Lines, reference.Lines) << round;
        ASSERT_EQ(program.Unrepresentable, converted ? lost : 0) << round;
        ASSERT_EQ(qtValid, !malformed) << round;
    }
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
    EXPECT_EQ(Main->windowTitle(), "ZAK " ZAK_VERSION " - eins.zak");
}

TEST_F(ProgramFilesTest, NewAsksEvenWhenNothingChanged) {
    SetProgram({"a: integer"});
    Dialogs.Answers = {TAnswer::Cancel, TAnswer::Ok};
    Main->NeuExecute();
    EXPECT_EQ(EditorLines(), std::vector<std::string>{"a: integer"});
    Main->NeuExecute();
    EXPECT_EQ(Dialogs.Of("Confirm").size(), 2u);
    EXPECT_LE(Editor().LineCount(), 1);
    EXPECT_EQ(Main->windowTitle(), "ZAK " ZAK_VERSION " (Zakwerk)");
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
// editor's indentation of lines (leading blanks) may change, a first line
// that is no header stays, and a second round gives the same bytes. (The
// byte 0xFF in the first line keeps the files from being UTF-8.)
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
        const std::string first = round % 2 ? "// ZAK 1.4 \xFF" : "// fremder Kopf \xFF";
        std::string file = first;
        if (round % 2 == 0) lines.insert(lines.begin(), first);
        const std::string breaks[] = {"\r\n", "\r", "\n"};
        // A lone CR before a lone LF would be one CR LF.
        std::string lastBreak = breaks[random() % 3];
        file += lastBreak;
        for (std::string& line : lines) {
            if (&line == &lines.front() && round % 2 == 0) continue;
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

// Arguments ending in "zak" and any other existing file are loaded, the
// last one stays; what cannot be read is said, what does not exist or is a
// folder is passed over.
TEST_F(ProgramFilesTest, CommandLineLoadsZakArgumentsAndExistingFiles) {
    WriteBytes(Dir.Path("a.ZAK"), Header + "gross: integer\r\n");
    WriteBytes(Dir.Path("bzak"), "// irgendwas\r\nohnepunkt: integer\r\n");
    // What a file manager hands over for the installed file type: no
    // ending, the header behind a byte order mark.
    WriteBytes(Dir.Path("aufgabe.txt"), "\xEF\xBB\xBF// ZAK 1.5 - Programm\r\ntext: integer\r\n");
    {
        QFile file(Dir.Path("riesig.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(TFMain::MaxProgramFileSize + 1));
    }
    {
        TFMain window({Dir.Path("zak"), Dir.Path("a.ZAK"), Dir.Path("aufgabe.txt"), Dir.Path("fehlt.txt"), Dir.Path()});
        EXPECT_EQ(window.Editor()->LineText(0), "text: integer");
        EXPECT_EQ(window.windowTitle(), "ZAK " ZAK_VERSION " - aufgabe.txt");
        EXPECT_TRUE(Dialogs.Of("Message").empty());
    }
    {
        TFMain window({"zak", Dir.Path("a.ZAK"), Dir.Path("bzak"), Dir.Path("riesig.txt")});
        EXPECT_EQ(window.Editor()->LineText(1), "ohnepunkt: integer");
        EXPECT_EQ(window.windowTitle(), "ZAK " ZAK_VERSION " - bzak");
        ASSERT_EQ(Dialogs.Of("Message").size(), 1u);
        EXPECT_TRUE(Dialogs.Of("Message")[0].Text.contains("riesig.txt kann nicht geladen werden"));
    }
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

// Two windows on one file: each notices what the other saved. Saving over
// a changed file asks first; a window without unsaved changes offers the
// changed file when it is activated, once per change; a file only touched
// (same bytes, new time) asks nothing.
TEST_F(ProgramFilesTest, TwoWindowsOnOneFileNoticeEachOthersSaves) {
    const QString path = QFileInfo(Dir.Path("geteilt.zak")).absoluteFilePath();
    WriteBytes(path, Header + "a: integer\r\n");
    Dialogs.FileNames = {path};
    Main->OeffnenExecute();
    TFMain other({QStringLiteral("/usr/bin/zak"), path});
    other.RunTimer().stop();
    auto pressEnter = [](TFMain& window) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(window.Editor(), &press);
    };
    auto activate = [](TFMain& window) {
        QEvent activation(QEvent::WindowActivate);
        QApplication::sendEvent(&window, &activation);
        QApplication::processEvents();
    };
    const QString changed = "Die Datei " + QDir::toNativeSeparators(path) +
                            QString::fromUtf8(" wurde inzwischen von einem anderen Programm geändert.");

    // This window saves first; the other, unaware, would save over it.
    // (Saves within a few milliseconds may get the same time: the sizes
    // differ.)
    pressEnter(*Main);
    pressEnter(*Main);
    Main->SpeichernExecute();
    const std::string first = ReadBytes(path);
    EXPECT_EQ(first, Header + "\r\n\r\na: integer\r\n");
    other.Editor()->SetCaret(0, 10);
    pressEnter(other);
    Dialogs.Answers = {TAnswer::Cancel};
    other.SpeichernExecute();
    ASSERT_EQ(Dialogs.Of("Confirm").size(), 1u);
    EXPECT_EQ(Dialogs.Of("Confirm")[0].Text, changed + " Trotzdem speichern?");
    EXPECT_EQ(ReadBytes(path), first);
    EXPECT_TRUE(other.Editor()->Modified());
    Dialogs.Answers = {TAnswer::Ok};
    other.SpeichernExecute();
    const std::string second = ReadBytes(path);
    EXPECT_EQ(second, Header + "a: integer\r\n\r\n");
    EXPECT_FALSE(other.Editor()->Modified());
    // Its own file again: no question.
    pressEnter(other);
    other.SpeichernExecute();
    EXPECT_EQ(Dialogs.Of("Confirm").size(), 2u);
    const std::string third = ReadBytes(path);

    // This window is activated: declined, the text stays, and the same
    // change is not offered again; saving over it still asks.
    activate(*Main);
    ASSERT_EQ(Dialogs.Of("Confirm").size(), 3u);
    EXPECT_EQ(Dialogs.Of("Confirm")[2].Text, changed + " Neu laden?");
    EXPECT_EQ(EditorLines(), (std::vector<std::string>{"", "", "a: integer"}));
    activate(*Main);
    EXPECT_EQ(Dialogs.Of("Confirm").size(), 3u);
    // Taken: the other window's text, unmodified, under the same name.
    pressEnter(other);
    other.SpeichernExecute();
    Dialogs.Answers = {TAnswer::Ok};
    activate(*Main);
    ASSERT_EQ(Dialogs.Of("Confirm").size(), 4u);
    EXPECT_EQ(Main->Editor()->FileBytes(TFMain::FileHeader).toStdString(), ReadBytes(path));
    EXPECT_NE(ReadBytes(path), third);
    EXPECT_FALSE(Editor().Modified());
    EXPECT_EQ(Main->FileName(), path);

    // Touched only: nothing to ask, neither on activation nor on saving.
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    }
    activate(*Main);
    pressEnter(*Main);
    Main->SpeichernExecute();
    // A window with unsaved changes is not offered the file either.
    pressEnter(other);
    WriteBytes(path, Header +
                         "von au\xDF"
                         "en: integer\r\n");
    activate(other);
    EXPECT_EQ(Dialogs.Of("Confirm").size(), 4u);
    EXPECT_TRUE(Dialogs.Of("Message").empty());
    other.Recovery().Finish();
}
