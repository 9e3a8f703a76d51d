// The editor's text model: highlighting and indentation, caret and view,
// files and clearing.
#include "EditorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

TEST(EditorModel, HighlightingReindentsAndPropagatesCarriedState) {
    auto editor = MakeEditor();
    editor->LoadLines({"wenn a dann", "x", "*wenn", "y"});
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn a dann", "   x", "*wenn", "y"}));
    EXPECT_EQ(editor->LineIndent(1), 3);
    EXPECT_EQ(editor->LineIndent(7), 0);
    EXPECT_EQ(editor->Lines().Info(1)->Classes, "22222");

    // Opening a comment recolours every following line up to its end.
    editor->LoadLines({"a", "b", "c}", "d"});
    editor->Lines().Text(0) = "{a";
    editor->HighlightRange(0, 0);
    EXPECT_EQ(editor->Lines().Info(1)->Classes, "32");
    EXPECT_EQ(editor->Lines().Info(2)->Classes, "332");
    EXPECT_EQ(editor->Lines().Info(3)->Classes, "22");
    editor->Lines().Text(0) = "a";
    editor->HighlightRange(0, 0);
    EXPECT_EQ(editor->Lines().Info(1)->Classes, "22");
}

TEST(EditorModel, HighlightRangeStopsWhenNothingCarriedChanges) {
    auto editor = MakeEditor();
    int calls = 0;
    editor->LineRoutine = [&calls](std::string& line, bool open, int indent, TFormatResult& r) {
        ++calls;
        return StandInRoutine(line, open, indent, r);
    };
    editor->LoadLines(Lines(50, "x"));
    calls = 0;
    editor->Lines().Text(10) = "xy";
    editor->HighlightRange(10, 10);
    EXPECT_EQ(calls, 1);
    editor->Lines().Text(10) = "x dann";
    editor->HighlightRange(10, 10);
    EXPECT_EQ(calls, 1 + 40);
    EXPECT_EQ(editor->LineText(49), "   x");
}

TEST(EditorModel, LongTextWithoutInformationHighlightsWithoutDeepRecursion) {
    auto editor = MakeEditor();
    Lines many(100000, "x");
    many[0] = "wenn a dann";
    editor->LoadLines(many);
    {
        TLockGuard guard(CriticalSections::EditorLinesLock());
        editor->Lines().RemoveRange(0, editor->LineCount());
        editor->Lines().InsertRange(0, many);  // no records at all
    }
    editor->HighlightLine(99999);
    EXPECT_EQ(editor->LineText(99999), "   x");
    EXPECT_NE(editor->Lines().Info(0), nullptr);
}

TEST(EditorModel, SetCaretClampsAndCreatesTheSingleLineOnAnEmptyText) {
    auto editor = MakeEditor();
    editor->LoadLines({"abc", "defghijklmno", "x"});
    editor->SetCaret(5, 100);
    EXPECT_EQ(editor->CaretLine(), 0);
    editor->SetCaret(1, 200);
    EXPECT_EQ(editor->CaretColumn(), 12);
    editor->SetCaret(1, -4);
    EXPECT_EQ(editor->CaretColumn(), 0);
    editor->Clear();
    EXPECT_EQ(editor->LineCount(), 0);
    editor->SetCaret(5, 0);
    EXPECT_EQ(AllLines(*editor), (Lines{""}));
    editor->SetEditMode(false);
    editor->SetCaret(0, 0);
    EXPECT_EQ(editor->Background(), QColor(232, 232, 255));
}

TEST(EditorModel, CaretScrollingAndScrollIntoViewContext) {
    auto editor = MakeEditor(400, 300);  // 17 rows at size 10
    ASSERT_EQ(editor->VisibleLines(), 17);
    editor->LoadLines(Lines(100, "line"));
    editor->SetCaret(30, 0);
    EXPECT_EQ(editor->TopLine(), 30 - 17 + 1);
    editor->SetCaret(5, 0);
    EXPECT_EQ(editor->TopLine(), 5);
    editor->SetEditMode(false);
    editor->ScrollIntoView(60, 0);
    EXPECT_EQ(editor->TopLine(), 60 - 17 + 1 + 3);
    EXPECT_EQ(editor->CaretLine(), 5);  // run mode: the caret stays
    editor->ScrollIntoView(99, 0);
    EXPECT_EQ(editor->TopLine(), 100 - 17);
    editor->ScrollIntoView(1, 0);
    EXPECT_EQ(editor->TopLine(), 0);
}

TEST(EditorModel, SaveWritesHeaderAndCrLfAndLoadSplitsEveryLineEnd) {
    QTemporaryDir dir;
    const QString path = dir.filePath("p.zak");
    auto editor = MakeEditor();
    editor->LoadLines({"a", "", "b\tc \xe4"});
    QString error;
    ASSERT_TRUE(editor->Save(path, "// ZAK 1.5 - Programm", &error));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("// ZAK 1.5 - Programm\r\na\r\n\r\nb\tc \xe4\r\n"));
    EXPECT_EQ(AllLines(*editor), (Lines{"a", "", "b\tc \xe4"}));

    QFile mixed(dir.filePath("m.zak"));
    ASSERT_TRUE(mixed.open(QIODevice::WriteOnly));
    mixed.write(QByteArray("head\nx\ry\r\n\r\nz"));
    mixed.close();
    std::string header;
    ASSERT_TRUE(editor->Load(mixed.fileName(), header, &error));
    EXPECT_EQ(header, "head");
    EXPECT_EQ(AllLines(*editor), (Lines{"x", "y", "", "z"}));
    EXPECT_FALSE(editor->Modified());
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{kNoAnchorLine, 0}));
}

TEST(EditorModel, LoadCornerCases) {
    QTemporaryDir dir;
    auto editor = MakeEditor();
    QFile only(dir.filePath("h.zak"));
    ASSERT_TRUE(only.open(QIODevice::WriteOnly));
    only.write("// ZAK 1.5 - Programm\r\n");
    only.close();
    std::string header;
    ASSERT_TRUE(editor->Load(only.fileName(), header));
    EXPECT_EQ(header, "// ZAK 1.5 - Programm");
    EXPECT_EQ(AllLines(*editor), (Lines{""}));
    EXPECT_EQ(editor->CaretLine(), 0);

    // A file that cannot be read keeps the current text.
    editor->LoadLines({"keep me"});
    QString error;
    EXPECT_FALSE(editor->Load(dir.filePath("missing.zak"), header, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(AllLines(*editor), (Lines{"keep me"}));

    // Declining to discard a modified text keeps it.
    Type(*editor, "!");
    ASSERT_TRUE(editor->Modified());
    editor->ConfirmDiscard = [] { return false; };
    EXPECT_FALSE(editor->Load(only.fileName(), header, &error));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(AllLines(*editor), (Lines{"!keep me"}));
    editor->ConfirmDiscard = [] { return true; };
    EXPECT_TRUE(editor->Load(only.fileName(), header, &error));
    EXPECT_EQ(editor->UndoCount(), 0);

    // Run mode loads nothing.
    editor->SetEditMode(false);
    EXPECT_FALSE(editor->Load(only.fileName(), header, &error));
}

TEST(EditorModel, FailedSaveLeavesModifiedAndTheFileAlone) {
    auto editor = MakeEditor();
    editor->LoadLines({"a"});
    Type(*editor, "b");
    QString error;
    EXPECT_FALSE(editor->Save("/nonexistent-dir/x.zak", "h", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(editor->Modified());
    EXPECT_EQ(AllLines(*editor), (Lines{"ba"}));
}

// A read-only medium is named as such, not as a forbidden file: over an
// existing file, in place and for a new one. The medium is a tmpfs mounted
// read-only in a mount namespace of a child process, where the system
// allows one; elsewhere the test is skipped.
TEST(EditorModel, ReadOnlyMediumIsNamed) {
    if (!qEnvironmentVariableIsEmpty("ZAK_READONLY_DIR")) GTEST_SKIP() << "the child itself";
    TestApp();
    QTemporaryDir dir;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("ZAK_READONLY_DIR", dir.path());
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("unshare"),
                {"--user", "--map-root-user", "--mount", "sh", "-c",
                 "mount -t tmpfs zak \"$1\" && echo alt > \"$1/alt.zak\" && mount -o remount,ro \"$1\" && "
                 "exec \"$2\" --gtest_filter=EditorModel.ReadOnlyMediumChild",
                 "sh", dir.path(), QCoreApplication::applicationFilePath()});
    ASSERT_TRUE(child.waitForFinished(60000));
    const std::string output = child.readAll().toStdString();
    if (output.find("[ RUN      ] EditorModel.ReadOnlyMediumChild") == std::string::npos)
        GTEST_SKIP() << "no read-only mount here: " << output;
    EXPECT_EQ(child.exitCode(), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test."), std::string::npos) << output;
}

TEST(EditorModel, ReadOnlyMediumChild) {
    const QString dir = qEnvironmentVariable("ZAK_READONLY_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "runs in the child of ReadOnlyMediumIsNamed";
    auto editor = MakeEditor();
    editor->LoadLines({"a"});
    const QString readOnly = QString::fromUtf8("Der Datenträger ist schreibgeschützt.");
    const std::pair<const char*, bool> cases[] = {{"alt.zak", false}, {"alt.zak", true}, {"neu.zak", false}};
    for (const auto& [name, inPlace] : cases) {
        editor->AlwaysWriteInPlace = inPlace;
        QString error;
        EXPECT_FALSE(editor->Save(dir + "/" + name, "h", &error));
        EXPECT_EQ(error.toStdString(), readOnly.toStdString()) << name << (inPlace ? " in place" : "");
    }
}

TEST(EditorModel, ClearEmptiesSelectionAndHistory) {
    auto editor = MakeEditor();
    editor->LoadLines({"abcdef", "ghi"});
    Type(*editor, "xyz");
    editor->SetSelection({0, 1}, {1, 2});
    editor->Clear();
    EXPECT_EQ(editor->LineCount(), 0);
    EXPECT_FALSE(editor->HasSelection());
    EXPECT_EQ(editor->UndoCount(), 0);
    editor->EditorUndo();
    EXPECT_EQ(editor->LineCount(), 0);
    // An editing key on the cleared text creates the single line first.
    Key(*editor, Qt::Key_Delete);
    EXPECT_EQ(AllLines(*editor), (Lines{""}));
    editor->Clear();
    Key(*editor, Qt::Key_Backspace);
    EXPECT_EQ(AllLines(*editor), (Lines{""}));
    editor->Clear();
    Type(*editor, "a");
    EXPECT_EQ(AllLines(*editor), (Lines{"a"}));
    editor->Clear();
    Key(*editor, Qt::Key_Return);
    EXPECT_EQ(AllLines(*editor), (Lines{"", ""}));
}

TEST(EditorModel, ResetLineColorsAndBreakpointsAsLineSource) {
    auto editor = MakeEditor();
    editor->LoadLines({"a", "b"});
    editor->LineInfo(1)->Color = 0x000000FF;
    editor->LineInfo(1)->Breakpoint = true;
    const TLineSource& source = *editor;
    EXPECT_EQ(source.LineCount(), 2);
    EXPECT_TRUE(source.LineBreakpoint(1));
    EXPECT_FALSE(source.LineBreakpoint(5));
    EXPECT_EQ(source.LineText(9), "");
    editor->ResetLineColors();
    EXPECT_EQ(editor->LineInfo(1)->Color, clLineWhite);
    EXPECT_TRUE(editor->LineInfo(1)->Breakpoint);
}

TEST(EditorModel, FontSizeAndMetrics) {
    auto editor = MakeEditor(400, 300);
    EXPECT_EQ(editor->CellWidth(), 8);
    EXPECT_EQ(editor->LineHeight(), 16);
    EXPECT_EQ(editor->RowPitch(), 17);
    EXPECT_EQ(editor->VisibleLines(), (300 - 5) / 17);
    EXPECT_EQ(editor->VisibleColumns(), (400 - 40) / 8);
    editor->SetFontSize(9);
    EXPECT_EQ(editor->FontSize(), 10);
    editor->SetFontSize(20);
    EXPECT_EQ(editor->RowPitch(), 29);
    EXPECT_EQ(editor->VisibleLines(), (300 - 5) / 29);
}

// Loading gives exactly the file's lines whatever the editor held before:
// hiding a scroll bar while the old text is cleared must not leave a line
// behind, so saving right after opening writes the very same bytes.
TEST(EditorModel, OpenAndSaveKeepTheBytesWhateverTheEditorHeldBefore) {
    QTemporaryDir dir;
    auto editor = MakeEditor();
    const std::string header = "// ZAK 1.5 - Programm";
    auto fileOf = [&](const Lines& lines) {
        QByteArray bytes = QByteArray::fromStdString(header) + "\r\n";
        for (const std::string& line : lines) bytes += QByteArray::fromStdString(line) + "\r\n";
        return bytes;
    };
    const Lines longText(60, "x");
    const Lines wideText{std::string(300, 'w'), "y"};
    Lines bothText(60, std::string(300, 'b'));
    const std::vector<Lines> befores{{}, {"short"}, longText, wideText, bothText};
    const std::vector<Lines> files{{"a", "", "b"}, longText, wideText, {""}};
    int n = 0;
    for (const Lines& before : befores)
        for (const Lines& content : files) {
            SCOPED_TRACE(n);
            editor->LoadLines(before);
            editor->SetCaret(static_cast<int>(before.size()) - 1, 0);
            const QString path = dir.filePath(QStringLiteral("f%1.zak").arg(n++));
            QFile out(path);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(fileOf(content));
            out.close();
            std::string read;
            ASSERT_TRUE(editor->Load(path, read));
            EXPECT_EQ(AllLines(*editor), content);
            ASSERT_TRUE(editor->Save(path, read));
            QFile in(path);
            ASSERT_TRUE(in.open(QIODevice::ReadOnly));
            EXPECT_EQ(in.readAll(), fileOf(content));
        }
    // Clearing a long text leaves no line either.
    editor->LoadLines(bothText);
    editor->Clear();
    EXPECT_EQ(editor->LineCount(), 0);
}
