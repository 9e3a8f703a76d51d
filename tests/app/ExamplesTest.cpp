// The programs in examples/ are what a pupil opens first: each must be a
// proper program file, pass the syntax check without a hint and run to its
// end without an error.
#include "MainTestSupport.h"

#include "UKlassen.h"
#include "UProgrammText.h"
#include "USHControl.h"
#include "UScanner.h"
#include "USyntaxcheckThread.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

QStringList ExampleFiles() {
    const QDir dir(QStringLiteral(ZAK_SOURCE_DIR "/examples"));
    QStringList files;
    for (const QString& name : dir.entryList({QStringLiteral("*.zak")}, QDir::Files, QDir::Name))
        files << dir.filePath(name);
    return files;
}

} // namespace

TEST(Examples, ThereAreAboutTenAndEachIsAProperProgramFile) {
    const QStringList files = ExampleFiles();
    EXPECT_GE(files.size(), 8);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const std::string bytes = ReadBytes(file);
        ASSERT_EQ(bytes.rfind("// ZAK 1.5 - Programm\r\n", 0), 0u);
        // Every line ends in CR LF, the last one included.
        ASSERT_GE(bytes.size(), 2u);
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n') {
                EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "LF without CR at byte " << i;
            } else if (bytes[i] == '\r') {
                EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "lone CR at byte " << i;
            }
        }
    }
}

// Opening an example and saving it again changes nothing: each is stored in
// the editor's own indentation.
TEST(Examples, EachIsStoredAsTheEditorWritesIt) {
    TestApp();
    static const TFormatClass formatter;
    TSHControl editor;
    editor.LineRoutine = [](std::string& line, bool open, int indent, TFormatResult& r) {
        return formatter.FormatLine(line, open, indent, r);
    };
    QTemporaryDir dir;
    for (const QString& file : ExampleFiles()) {
        SCOPED_TRACE(file.toStdString());
        std::string header;
        ASSERT_TRUE(editor.Load(file, header));
        const QString saved = dir.filePath(QFileInfo(file).fileName());
        ASSERT_TRUE(editor.Save(saved, header));
        EXPECT_EQ(ReadBytes(saved), ReadBytes(file));
    }
}

TEST(Examples, EachPassesTheSyntaxCheckWithoutAHint) {
    const TKlassenFabrik factory;
    for (const QString& file : ExampleFiles()) {
        SCOPED_TRACE(file.toStdString());
        TProgrammDatei program = SplitProgram(ReadBytes(file));
        FormatLines(program.Lines);
        TStringLines text(std::move(program.Lines));
        TSyntaxcheckThread check(factory);
        const TSyntaxcheckResult result = check.Pass(text);
        if (result.Error) ADD_FAILURE() << result.Error->ItemText();
    }
}

TEST(Examples, EachRunsToItsEndWithoutAnError) {
    for (const QString& file : ExampleFiles()) {
        SCOPED_TRACE(file.toStdString());
        QProcess zak;
        zak.start(QStringLiteral(ZAK_BINARY), {QStringLiteral("--run"), file, QStringLiteral("--max-steps"),
                                               QStringLiteral("5000000")});
        ASSERT_TRUE(zak.waitForFinished(120000));
        const QString output = QString::fromUtf8(zak.readAllStandardOutput() + zak.readAllStandardError());
        EXPECT_EQ(zak.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.isEmpty()) << output.toStdString();
    }
}

// The traffic light is watched at the start speed, where a tick runs up to
// ten counted statements and lasts at least a millisecond: its twelve
// phases come in order, each shown for half a second at least.
TEST_F(MainWindowTest, TheTrafficLightShowsEveryPhaseAtTheStartSpeed) {
    TProgrammDatei program = SplitProgram(ReadBytes(QStringLiteral(ZAK_SOURCE_DIR "/examples/03_ampel.zak")));
    SetProgram(program.Lines);
    Main->BStartenClick();
    Main->StartExecute();
    ASSERT_EQ(Main->StepsPerTick(), 10);
    auto value = [this](const char* name) { return Main->Interpreter()->VarSpace().Find(name)->Value->AsInteger(); };
    std::vector<std::pair<int, int>> phases;  // (round and phase, ticks shown)
    for (int ticks = 0; Main->Running() && ticks < 1000000; ++ticks) {
        Main->TimerTimer();
        if (!Main->Running()) break;
        const int shown = value("runde") * 10 + value("phase");
        if (phases.empty() || phases.back().first != shown) phases.emplace_back(shown, 0);
        ++phases.back().second;
    }
    EXPECT_TRUE(ErrorTexts().empty());
    // Before the first round and after the last phase of each round the
    // counters pass through values that show nothing.
    std::vector<int> order;
    for (const auto& [shown, ticks] : phases) {
        if (shown % 10 < 1 || shown % 10 > 4) continue;
        order.push_back(shown);
        EXPECT_GE(ticks, 500) << "Runde " << shown / 10 << ", Phase " << shown % 10;
    }
    EXPECT_EQ(order, (std::vector<int>{11, 12, 13, 14, 21, 22, 23, 24, 31, 32, 33, 34}));
}
