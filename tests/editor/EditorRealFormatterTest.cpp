// The editor with the real line formatter installed, as the main window runs
// it: automatic indentation while typing, caret columns behind the
// indentation, typing runs and linked undo steps, clipboard bytes.
#include "EditorTestSupport.h"

#include <QScrollBar>

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

std::unique_ptr<TSHControl> MakeFormattingEditor(int width = 400, int height = 300) {
    auto editor = MakeEditor(width, height);
    static const TFormatClass formatter;
    editor->LineRoutine = [](std::string& line, bool open, int indent, TFormatResult& r) {
        return formatter.FormatLine(line, open, indent, r);
    };
    return editor;
}

TTextPos Caret(const TSHControl& editor) { return {editor.CaretLine(), editor.CaretColumn()}; }

} // namespace

TEST(EditorFormatting, EnterIndentsAndAnEndKeywordMovesTheLineBack) {
    auto editor = MakeFormattingEditor();
    editor->LoadLines({""});
    Type(*editor, "wenn x dann\n");
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn x dann", "   "}));
    EXPECT_EQ(Caret(*editor), (TTextPos{1, 3}));
    Type(*editor, "*wen");
    EXPECT_EQ(editor->LineText(1), "   *wen");  // not yet an end keyword
    Type(*editor, "n");
    EXPECT_EQ(editor->LineText(1), "*wenn");
    EXPECT_EQ(Caret(*editor), (TTextPos{1, 5}));
    EXPECT_EQ(editor->LineInfo(1)->Classes, "000002");
    EXPECT_EQ(editor->LineInfo(0)->Classes, "000022200002");

    // The whole run of "*wenn" is one step, the line break another.
    editor->EditorUndo();
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn x dann", "   "}));
    EXPECT_EQ(Caret(*editor), (TTextPos{1, 3}));
    editor->EditorUndo();
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn x dann"}));
    EXPECT_EQ(Caret(*editor), (TTextPos{0, 11}));
    editor->EditorRedo();
    editor->EditorRedo();
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn x dann", "*wenn"}));

    // Methods and loops: "ende" moves its line back as soon as it is a keyword.
    editor->LoadLines({""});
    Type(*editor, "methode f\nwiederhole 2 mal\nr.drehen(10)\n*wiederhole solange b\nend");
    EXPECT_EQ(editor->LineText(4), "   end");
    Type(*editor, "e");
    EXPECT_EQ(AllLines(*editor),
              (Lines{"methode f", "   wiederhole 2 mal", "      r.drehen(10)", "   *wiederhole solange b", "ende"}));
    EXPECT_EQ(Caret(*editor), (TTextPos{4, 4}));
}

TEST(EditorFormatting, BackspaceAndLeftInTheIndentation) {
    auto editor = MakeFormattingEditor();
    editor->LoadLines({"wiederhole 3 mal", "r.drehe(1)", "*wiederhole"});
    ASSERT_EQ(editor->LineText(1), "   r.drehe(1)");
    editor->SetCaret(1, 3);
    Key(*editor, Qt::Key_Left);
    EXPECT_EQ(Caret(*editor), (TTextPos{0, 16}));
    editor->SetCaret(1, 3);
    Key(*editor, Qt::Key_Backspace);
    EXPECT_EQ(AllLines(*editor), (Lines{"wiederhole 3 malr.drehe(1)", "*wiederhole"}));
    EXPECT_EQ(Caret(*editor), (TTextPos{0, 16}));
    editor->EditorUndo();
    EXPECT_EQ(AllLines(*editor), (Lines{"wiederhole 3 mal", "   r.drehe(1)", "*wiederhole"}));
    EXPECT_EQ(Caret(*editor), (TTextPos{1, 3}));

    // On a line holding only its indentation Backspace goes back to the end
    // of the line above: Enter and Backspace cancel out.
    editor->SetCaret(0, 16);
    Key(*editor, Qt::Key_Return);
    EXPECT_EQ(editor->LineText(1), "   ");
    Key(*editor, Qt::Key_Backspace);
    EXPECT_EQ(AllLines(*editor), (Lines{"wiederhole 3 mal", "   r.drehe(1)", "*wiederhole"}));
    EXPECT_EQ(Caret(*editor), (TTextPos{0, 16}));

    // Behind the indentation Backspace removes one character.
    editor->SetCaret(1, 5);
    Key(*editor, Qt::Key_Backspace);
    EXPECT_EQ(editor->LineText(1), "   rdrehe(1)");
    EXPECT_EQ(Caret(*editor), (TTextPos{1, 4}));
}

TEST(EditorFormatting, CaretColumnsStayBehindTheIndentation) {
    auto editor = MakeFormattingEditor();
    editor->LoadLines({"x := 1", "wenn a dann", "wenn b dann", "r.drehen(1)", "*wenn", "*wenn"});
    ASSERT_EQ(editor->LineText(3), "      r.drehen(1)");
    editor->SetCaret(2, 0);
    Key(*editor, Qt::Key_Down);
    EXPECT_EQ(Caret(*editor), (TTextPos{3, 6}));
    Key(*editor, Qt::Key_End);
    Key(*editor, Qt::Key_Up);
    EXPECT_EQ(Caret(*editor), (TTextPos{2, 14}));  // clamped to the line's end
    Key(*editor, Qt::Key_Home);
    EXPECT_EQ(Caret(*editor), (TTextPos{2, 0}));   // Home may stand in the indentation
    Key(*editor, Qt::Key_Down);
    EXPECT_EQ(Caret(*editor), (TTextPos{3, 6}));
    Key(*editor, Qt::Key_Left);
    EXPECT_EQ(Caret(*editor), (TTextPos{2, 14}));  // from the indentation's end to the line above
    Key(*editor, Qt::Key_Right);
    EXPECT_EQ(Caret(*editor), (TTextPos{3, 6}));   // and back behind the indentation
    Key(*editor, Qt::Key_Up);
    Key(*editor, Qt::Key_Up);
    EXPECT_EQ(Caret(*editor), (TTextPos{1, 6}));   // a line without indentation keeps the column

    // A click into the indentation lands behind it; a drag does not.
    const int pitch = editor->RowPitch();
    Mouse(*editor, QEvent::MouseButtonPress, 34 + 1 * 8 + 2, 3 + 3 * pitch + 5);
    EXPECT_EQ(Caret(*editor), (TTextPos{3, 6}));
    QMouseEvent drag(QEvent::MouseMove, QPointF(34 + 2 * 8 + 2, 3 + 4 * pitch + 5), QPointF(), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.get(), &drag);
    EXPECT_EQ(Caret(*editor), (TTextPos{4, 2}));
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{3, 6}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{4, 2}));
}

TEST(EditorFormatting, BraceCommentRecoloursFollowingLinesAndBack) {
    auto editor = MakeFormattingEditor();
    editor->LoadLines({"a := 1", "b := 2", "c := 3 }", "d := 4"});
    editor->SetCaret(0, 0);
    Type(*editor, "{");
    EXPECT_EQ(editor->LineInfo(1)->Classes, "3333332");
    EXPECT_EQ(editor->LineInfo(2)->Classes, "333333332");
    EXPECT_EQ(editor->LineInfo(3)->Classes, "2222242");
    Key(*editor, Qt::Key_Backspace);
    EXPECT_EQ(editor->LineInfo(1)->Classes, "2222242");
    EXPECT_EQ(editor->LineInfo(2)->Classes, "222224232");
}

TEST(EditorFormatting, TypingRunsAndLinkedSteps) {
    auto editor = MakeFormattingEditor();
    editor->LoadLines({"r.drehe(1)"});
    editor->SetCaret(0, 5);
    Type(*editor, "abc");
    EXPECT_EQ(editor->UndoCount(), 1);
    Key(*editor, Qt::Key_Left);  // any navigation key ends the run
    Type(*editor, "d");
    Key(*editor, Qt::Key_Escape);  // Escape does not
    Type(*editor, "e");
    EXPECT_EQ(editor->LineText(0), "r.dreabdeche(1)");
    EXPECT_EQ(editor->UndoCount(), 2);
    editor->EditorUndo();
    EXPECT_EQ(editor->LineText(0), "r.dreabche(1)");
    EXPECT_EQ(Caret(*editor), (TTextPos{0, 7}));
    editor->EditorUndo();
    EXPECT_EQ(editor->LineText(0), "r.drehe(1)");
    EXPECT_EQ(Caret(*editor), (TTextPos{0, 5}));

    // Ctrl+X reaching the editor: the cut is its own step, but the edit
    // after it is undone together with it.
    editor->LoadLines({"abcdef"});
    editor->SetSelection({0, 1}, {0, 3});
    Key(*editor, Qt::Key_X, Qt::ControlModifier);
    Type(*editor, "Q");
    EXPECT_EQ(editor->LineText(0), "aQdef");
    EXPECT_EQ(editor->UndoCount(), 2);
    editor->EditorUndo();
    EXPECT_EQ(editor->LineText(0), "abcdef");
    EXPECT_EQ(editor->UndoCount(), 0);

    // Backspace's deletion of a selection and a cut by Ctrl+X after it stay
    // two commands: the cut is unlinked from the deletion before it.
    editor->LoadLines({"abcdefgh"});
    editor->SetSelection({0, 0}, {0, 2});
    Key(*editor, Qt::Key_Backspace);
    editor->SetSelection({0, 2}, {0, 4});
    Key(*editor, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(editor->LineText(0), "cdgh");
    editor->EditorUndo();
    EXPECT_EQ(editor->LineText(0), "cdefgh");
    editor->EditorUndo();
    EXPECT_EQ(editor->LineText(0), "abcdefgh");

    // The main window's paste leaves an open typing run open: what is typed
    // after it goes with the paste.
    editor->LoadLines({"x"});
    editor->SetCaret(0, 1);
    Type(*editor, "y");
    SetClipboardText(QStringLiteral("P"));
    editor->Paste();
    Type(*editor, "z");
    EXPECT_EQ(editor->LineText(0), "xyPz");
    editor->EditorUndo();
    EXPECT_EQ(editor->LineText(0), "xy");
    editor->EditorUndo();
    EXPECT_EQ(editor->LineText(0), "x");
}

TEST(EditorFormatting, PasteIntoABlockIsIndentedAndOneUndoTakesItBack) {
    auto editor = MakeFormattingEditor();
    editor->LoadLines({"wenn a dann", "xy", "*wenn"});
    editor->SetCaret(1, 4);
    SetClipboardText(QStringLiteral("1\r\nwiederhole 2 mal\r\nb := 2\r\n*wiederhole\r\nc"));
    editor->Paste();
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn a dann", "   x1", "   wiederhole 2 mal", "      b := 2",
                                        "   *wiederhole", "   cy", "*wenn"}));
    EXPECT_EQ(Caret(*editor), (TTextPos{5, 4}));
    editor->EditorUndo();
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn a dann", "   xy", "*wenn"}));
    EXPECT_EQ(Caret(*editor), (TTextPos{1, 4}));
}

TEST(EditorFormatting, CopyGivesPlainTextAndHighlightedRtf) {
    auto editor = MakeFormattingEditor();
    editor->LoadLines({"wenn a dann", "t := 'gr\xfc\xdf' // {x}", "*wenn"});
    editor->SetSelection({0, 5}, {2, 2});
    editor->Copy();
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->text(), QString::fromUtf8("a dann\n   t := 'gr\xc3\xbc\xc3\x9f' // {x}\n*w"));
    const QByteArray rtf = mime->data(QStringLiteral("text/rtf"));
    const QByteArray body = rtf.mid(rtf.indexOf("\\fs20 ") + 6);
    EXPECT_EQ(body, QByteArray("a \\b dann\\par\n\r\\b0    t := \\cf1 'gr\\'fc\\'df'\\cf0  \\i\\cf2 // \\{x\\}"
                               "\\par\n\r\\i0\\cf0\\b *w}"));
}

TEST(EditorFormatting, ReindentedLinesWidenTheHorizontalScrollBar) {
    auto editor = MakeFormattingEditor(400, 300);
    const int columns = editor->VisibleColumns();
    Lines lines(6, std::string(static_cast<size_t>(columns), 'x'));
    lines[0] = "a";
    editor->LoadLines(lines);
    EXPECT_EQ(editor->LongestLength(), columns);
    editor->SetCaret(0, 1);
    Type(*editor, " wenn");  // opens a block: the long lines move right by 3
    EXPECT_EQ(editor->LineText(5), "   " + std::string(static_cast<size_t>(columns), 'x'));
    EXPECT_EQ(editor->LongestLength(), columns + 3);
    const auto bars = editor->findChildren<QScrollBar*>();
    const auto horizontal = std::find_if(bars.begin(), bars.end(),
                                         [](QScrollBar* bar) { return bar->orientation() == Qt::Horizontal; });
    ASSERT_NE(horizontal, bars.end());
    EXPECT_TRUE((*horizontal)->isVisible());
    EXPECT_EQ((*horizontal)->maximum(), columns + 3 - editor->VisibleColumns());
}

TEST(EditorFormatting, UndoingALineBreakRestoresTheLineExactly) {
    auto editor = MakeFormattingEditor();
    // The new line's leading blanks are rewritten by the indentation, in
    // both directions; undo still gives the line back as it was.
    editor->LoadLines({"wenn x dannr := 1", "a := 1   + 2", "*wenn"});
    editor->SetCaret(0, 11);
    Key(*editor, Qt::Key_Return);
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn x dann", "   r := 1", "   a := 1   + 2", "*wenn"}));
    EXPECT_EQ(Caret(*editor), (TTextPos{1, 3}));
    editor->SetCaret(2, 9);
    Key(*editor, Qt::Key_Return);
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn x dann", "   r := 1", "   a := 1", "   + 2", "*wenn"}));
    editor->EditorUndo();
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn x dann", "   r := 1", "   a := 1   + 2", "*wenn"}));
    EXPECT_EQ(Caret(*editor), (TTextPos{2, 9}));
    editor->EditorUndo();
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn x dannr := 1", "   a := 1   + 2", "*wenn"}));
    EXPECT_EQ(Caret(*editor), (TTextPos{0, 11}));
    editor->EditorRedo();
    editor->EditorRedo();
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn x dann", "   r := 1", "   a := 1", "   + 2", "*wenn"}));
}
