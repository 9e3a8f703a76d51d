// Editing through keys, mouse and clipboard, with undo and redo.
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using Lines = std::vector<std::string>;

TEST(EditorEditing, TypingEnterAndAutomaticIndentation) {
    auto editor = MakeEditor();
    editor->LoadLines({""});
    Type(*editor, "wenn a dann\n");
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn a dann", "   "}));
    EXPECT_EQ(editor->CaretColumn(), 3);
    Type(*editor, "*wenn");
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn a dann", "*wenn"}));
    EXPECT_EQ(editor->CaretColumn(), 5);  // moved left with its line
    EXPECT_TRUE(editor->Modified());
}

TEST(EditorEditing, BackspaceInTheIndentationJoinsLines) {
    auto editor = MakeEditor();
    editor->LoadLines({"a dann", "r.drehe(1)"});
    EXPECT_EQ(editor->LineText(1), "   r.drehe(1)");
    editor->SetCaret(1, 3);
    Key(*editor, Qt::Key_Left);
    EXPECT_EQ(editor->CaretLine(), 0);
    EXPECT_EQ(editor->CaretColumn(), 6);
    editor->SetCaret(1, 3);
    Key(*editor, Qt::Key_Backspace);
    EXPECT_EQ(AllLines(*editor), (Lines{"a dannr.drehe(1)"}));
    EXPECT_EQ(editor->CaretColumn(), 6);
    Key(*editor, Qt::Key_Backspace);
    EXPECT_EQ(AllLines(*editor), (Lines{"a danr.drehe(1)"}));
    editor->EditorUndo();
    editor->EditorUndo();
    EXPECT_EQ(AllLines(*editor), (Lines{"a dann", "   r.drehe(1)"}));
}

TEST(EditorEditing, DeleteRemovesCharactersAndJoinsLines) {
    auto editor = MakeEditor();
    editor->LoadLines({"ab", "cd", "wenn x dann"});
    editor->SetCaret(0, 1);
    Key(*editor, Qt::Key_Delete);
    EXPECT_EQ(editor->LineText(0), "a");
    Key(*editor, Qt::Key_Delete);
    EXPECT_EQ(AllLines(*editor), (Lines{"acd", "wenn x dann"}));
    editor->SetCaret(1, 11);
    Key(*editor, Qt::Key_Delete);  // at the very end: nothing
    EXPECT_EQ(editor->LineCount(), 2);
}

TEST(EditorEditing, DeleteJoinReindentsTheLineAfter) {
    auto editor = MakeEditor();
    editor->LoadLines({"x dann", "dann", "y"});
    EXPECT_EQ(AllLines(*editor), (Lines{"x dann", "   dann", "      y"}));
    editor->SetCaret(0, 6);
    Key(*editor, Qt::Key_Delete);
    // The joined line carries the same state as before, but the line after
    // it was formatted from the removed line.
    EXPECT_EQ(AllLines(*editor), (Lines{"x dann   dann", "   y"}));
}

TEST(EditorEditing, NavigationRespectsIndentation) {
    auto editor = MakeEditor();
    editor->LoadLines({"a", "b dann", "c dann", "d", "e"});
    editor->SetCaret(1, 0);
    Key(*editor, Qt::Key_Down);
    EXPECT_EQ(editor->CaretLine(), 2);
    EXPECT_EQ(editor->CaretColumn(), 3);
    Key(*editor, Qt::Key_Down);
    EXPECT_EQ(editor->CaretColumn(), 6);
    Key(*editor, Qt::Key_Home);
    EXPECT_EQ(editor->CaretColumn(), 0);
    Key(*editor, Qt::Key_End);
    EXPECT_EQ(editor->CaretColumn(), 7);
    Key(*editor, Qt::Key_Right);
    EXPECT_EQ(editor->CaretLine(), 4);
    EXPECT_EQ(editor->CaretColumn(), 6);
    Key(*editor, Qt::Key_PageUp);
    EXPECT_EQ(editor->CaretLine(), 0);
    Key(*editor, Qt::Key_PageDown);
    EXPECT_EQ(editor->CaretLine(), 4);
}

TEST(EditorEditing, ShiftSelectionAndCollapse) {
    auto editor = MakeEditor();
    editor->LoadLines({"0", "1", "abcdefgh"});
    editor->SetCaret(2, 4);
    Key(*editor, Qt::Key_Left);  // sets the anchor at the caret
    Key(*editor, Qt::Key_Right);
    for (int i = 0; i < 3; ++i) Key(*editor, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{2, 4}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{2, 7}));
    Key(*editor, Qt::Key_Left);
    EXPECT_FALSE(editor->HasSelection());

    // Right after loading there is no anchor: the selection starts at the caret.
    editor->LoadLines({"abc", "def", "ghi"});
    Key(*editor, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{0, 0}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{1, 0}));
}

TEST(EditorEditing, TypingReplacesTheSelectionAndOneUndoRestoresIt) {
    auto editor = MakeEditor();
    editor->LoadLines({"abcdef"});
    editor->SetSelection({0, 1}, {0, 4});
    Type(*editor, "x");
    EXPECT_EQ(editor->LineText(0), "axef");
    editor->EditorUndo();
    EXPECT_EQ(editor->LineText(0), "abcdef");
    editor->EditorRedo();
    EXPECT_EQ(editor->LineText(0), "axef");
}

TEST(EditorEditing, DeletingAMultiLineSelectionUndoesExactly) {
    auto editor = MakeEditor();
    editor->LoadLines({"keep", "one", "two", "three", "tail"});
    editor->SetSelection({1, 0}, {3, 5});  // whole lines: the line break after stays
    Key(*editor, Qt::Key_Delete);
    EXPECT_EQ(AllLines(*editor), (Lines{"keep", "", "tail"}));
    Type(*editor, "z");
    editor->EditorUndo();
    EXPECT_EQ(AllLines(*editor), (Lines{"keep", "one", "two", "three", "tail"}));
    editor->SetSelection({0, 2}, {2, 1});
    Key(*editor, Qt::Key_Backspace);
    EXPECT_EQ(AllLines(*editor), (Lines{"kewo", "three", "tail"}));
    EXPECT_EQ(editor->CaretColumn(), 2);
    editor->EditorUndo();
    EXPECT_EQ(AllLines(*editor), (Lines{"keep", "one", "two", "three", "tail"}));
}

TEST(EditorEditing, UndoRedoSequences) {
    auto editor = MakeEditor();
    editor->LoadLines({""});
    Type(*editor, "abc");
    editor->EditorUndo();
    EXPECT_EQ(editor->LineText(0), "");
    EXPECT_EQ(editor->CaretColumn(), 0);

    editor->LoadLines({"abcdef"});
    editor->SetCaret(0, 3);
    Key(*editor, Qt::Key_Return);
    EXPECT_EQ(AllLines(*editor), (Lines{"abc", "def"}));
    editor->EditorUndo();
    EXPECT_EQ(AllLines(*editor), (Lines{"abcdef"}));
    EXPECT_EQ(editor->CaretColumn(), 3);
    editor->EditorRedo();
    EXPECT_EQ(AllLines(*editor), (Lines{"abc", "def"}));
    Type(*editor, "q");
    EXPECT_EQ(editor->RedoCount(), 0);
    EXPECT_FALSE(editor->Modified() == false);

    // Run mode neither undoes nor edits.
    editor->SetEditMode(false);
    editor->EditorUndo();
    Type(*editor, "zz");
    EXPECT_EQ(AllLines(*editor), (Lines{"abc", "qdef"}));
}

TEST(EditorEditing, TypingRunsAreOneStepAndTheRingHoldsHundred) {
    auto editor = MakeEditor();
    editor->LoadLines({""});
    for (int i = 0; i < 101; ++i) {
        Type(*editor, "a");
        Key(*editor, Qt::Key_Left);  // ends the typing run
        Key(*editor, Qt::Key_End);
    }
    EXPECT_EQ(editor->UndoCount(), 100);
    for (int i = 0; i < 101; ++i) editor->EditorUndo();
    EXPECT_EQ(editor->LineText(0), "a");
}

TEST(EditorEditing, PasteWithEveryLineEnd) {
    auto editor = MakeEditor();
    for (const QString& clip : {QStringLiteral("a\r\nb"), QStringLiteral("a\nb"), QStringLiteral("a\rb")}) {
        editor->LoadLines({"xy"});
        editor->SetCaret(0, 1);
        SetClipboardText(clip);
        editor->Paste();
        EXPECT_EQ(AllLines(*editor), (Lines{"xa", "by"}));
        EXPECT_EQ(editor->CaretLine(), 1);
        EXPECT_EQ(editor->CaretColumn(), 1);
        editor->EditorUndo();
        EXPECT_EQ(AllLines(*editor), (Lines{"xy"}));
    }
    editor->LoadLines({"xy"});
    editor->SetCaret(0, 1);
    SetClipboardText(QStringLiteral("1\n\n2\r\n\r\n3\f\t\u20ac\u4e2d"));
    Key(*editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(AllLines(*editor), (Lines{"x1", "", "2", "", "3   \t\x80?y"}));
    editor->EditorUndo();
    EXPECT_EQ(AllLines(*editor), (Lines{"xy"}));
}

TEST(EditorEditing, PasteReindentsAndTheCaretFollows) {
    auto editor = MakeEditor();
    editor->LoadLines({""});
    SetClipboardText(QStringLiteral("wenn a dann\nxy"));
    editor->Paste();
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn a dann", "   xy"}));
    EXPECT_EQ(editor->CaretColumn(), 5);
    SetClipboardText(QString());
    editor->Paste();  // nothing on the clipboard
    EXPECT_EQ(AllLines(*editor), (Lines{"wenn a dann", "   xy"}));
}

TEST(EditorEditing, CopyPutsLfTextAndCrLfRtf) {
    auto editor = MakeEditor();
    editor->LoadLines({"abcdef", "ghijk"});
    editor->SetSelection({0, 2}, {1, 3});
    Key(*editor, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->text(), QStringLiteral("cdef\nghi"));
    const QByteArray rtf = mime->data(QStringLiteral("text/rtf"));
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
    EXPECT_TRUE(rtf.endsWith("\\fs20 cdef\\par\n\rghi}"));
    EXPECT_TRUE(editor->HasSelection());  // Ctrl+C keeps the selection

    editor->SetSelection({0, 0}, {0, 1});
    editor->LineInfo(0)->Classes = "0";
    editor->Lines().Text(0) = "\xe4" "bcdef";
    editor->Copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("\xc3\xa4"));
    EXPECT_TRUE(QApplication::clipboard()->mimeData()->data("text/rtf").endsWith("\\b \\'e4}"));
}

// Ctrl+A takes the whole text: copy, typing and a shifted key work on it
// as on any selection; an empty text gives none.
TEST(EditorEditing, CtrlASelectsTheWholeText) {
    auto editor = MakeEditor();
    editor->LoadLines({"abc", "", "de"});
    editor->SetCaret(1, 0);
    Key(*editor, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{0, 0}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{2, 2}));
    EXPECT_EQ(editor->CaretLine(), 2);
    EXPECT_EQ(editor->CaretColumn(), 2);
    EXPECT_FALSE(editor->Modified());
    Key(*editor, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("abc\n\nde"));
    Key(*editor, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(editor->SelEnd(), (TTextPos{2, 1}));
    Key(*editor, Qt::Key_A, Qt::ControlModifier);
    Type(*editor, "x");
    EXPECT_EQ(AllLines(*editor), (Lines{"x"}));
    editor->EditorUndo();
    EXPECT_EQ(AllLines(*editor), (Lines{"abc", "", "de"}));

    editor->Clear();
    Key(*editor, Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(editor->HasSelection());
}

TEST(EditorEditing, CutAndCtrlInsertShiftInsert) {
    auto editor = MakeEditor();
    editor->LoadLines({"abcdef"});
    editor->SetSelection({0, 1}, {0, 3});
    Key(*editor, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(editor->LineText(0), "adef");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("bc"));
    editor->SetCaret(0, 4);
    Key(*editor, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(editor->LineText(0), "adefbc");
    editor->LoadLines({"xyz"});
    editor->SetSelection({0, 0}, {0, 2});
    Key(*editor, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_TRUE(editor->Modified());
    EXPECT_TRUE(editor->HasSelection());
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("xy"));
    Key(*editor, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(editor->LineText(0), "z");
}

TEST(EditorEditing, MouseClickDragAndDoubleClick) {
    auto editor = MakeEditor();
    editor->LoadLines({"x dann", "r2d2_abc := 1"});
    const int pitch = editor->RowPitch();
    auto yOf = [&](int line) { return 3 + line * pitch + pitch / 2; };
    auto xOf = [&](int column) { return 34 + column * 8 + 2; };
    // Dragging without an anchor does not select.
    Mouse(*editor, QEvent::MouseMove, xOf(5), yOf(1));
    EXPECT_FALSE(editor->HasSelection());
    // A click in the indentation lands behind it.
    Mouse(*editor, QEvent::MouseButtonPress, xOf(0), yOf(1));
    EXPECT_EQ(editor->CaretColumn(), 3);
    Mouse(*editor, QEvent::MouseButtonPress, xOf(4), yOf(1));
    Mouse(*editor, QEvent::MouseButtonRelease, xOf(4), yOf(1));
    Mouse(*editor, QEvent::MouseButtonDblClick, xOf(4), yOf(1));
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{1, 3}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{1, 7}));  // stops at the underscore
    Mouse(*editor, QEvent::MouseButtonPress, xOf(10), yOf(1));
    EXPECT_EQ(editor->CaretColumn(), 10);
    QMouseEvent drag(QEvent::MouseMove, QPointF(xOf(12), yOf(1)), editor->mapToGlobal(QPointF(xOf(12), yOf(1))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor.get(), &drag);
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{1, 10}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{1, 12}));
    EXPECT_EQ(editor->CaretColumn(), 12);
}

TEST(EditorEditing, AnyKeySequenceKeepsTheModelConsistent) {
    auto editor = MakeEditor();
    editor->LoadLines({"wenn a dann", "x", "*wenn"});
    std::mt19937 random(7);
    const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End,
                        Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Return,
                        Qt::Key_Insert, Qt::Key_Tab, Qt::Key_Escape};
    SetClipboardText(QString::fromLatin1("p\r\n\0q\nr", 7));
    for (int i = 0; i < 4000; ++i) {
        const int choice = static_cast<int>(random() % 24);
        const Qt::KeyboardModifiers mods = random() % 3 == 0 ? Qt::ShiftModifier : Qt::NoModifier;
        if (choice < 14) {
            Key(*editor, keys[choice], mods);
        } else if (choice < 20) {
            Type(*editor, std::string(1, static_cast<char>(" a{}dann*"[random() % 9])));
        } else if (choice == 20) {
            editor->EditorUndo();
        } else if (choice == 21) {
            editor->EditorRedo();
        } else if (choice == 22) {
            Key(*editor, Qt::Key_X, Qt::ControlModifier);
        } else {
            editor->Clear();
        }
        ASSERT_LE(editor->CaretLine(), std::max(editor->LineCount() - 1, 0));
        if (editor->LineCount() > 0) {
            ASSERT_LE(editor->CaretColumn(), static_cast<int>(editor->LineText(editor->CaretLine()).size()));
            for (int l = 0; l < editor->LineCount(); ++l) ASSERT_NE(editor->Lines().Info(l), nullptr);
        }
    }
    editor->grab();
}

TEST(EditorEditing, ShiftSelectionStartsAtTheCaretAfterAPaste) {
    auto editor = MakeEditor();
    editor->LoadLines({"xyz"});
    Key(*editor, Qt::Key_Right);
    SetClipboardText(QStringLiteral("abc"));
    Key(*editor, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(editor->LineText(0), "xabcyz");
    Key(*editor, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{0, 4}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{0, 5}));
    const int y = 3 + 8;
    Mouse(*editor, QEvent::MouseButtonPress, 34 + 1 * 8 + 2, y);
    Mouse(*editor, QEvent::MouseButtonPress, 34 + 3 * 8 + 2, y, Qt::ShiftModifier);
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{0, 1}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{0, 3}));
}

TEST(EditorEditing, TheMainWindowsCutAndPasteRestartTheSyntaxCheck) {
    auto editor = MakeEditor();
    editor->LoadLines({"abcdef"});
    int notified = 0;
    editor->OnTextChanged = [&notified] { ++notified; };
    editor->SetSelection({0, 1}, {0, 3});
    editor->Cut();
    EXPECT_EQ(editor->LineText(0), "adef");
    EXPECT_EQ(notified, 1);
    editor->Cut();  // nothing selected: nothing changed
    EXPECT_EQ(notified, 1);
    editor->Paste();
    EXPECT_EQ(editor->LineText(0), "abcdef");
    EXPECT_EQ(notified, 2);
}

TEST(EditorEditing, RunModeKeepsTheTextButClicksStillSelect) {
    auto editor = MakeEditor();
    editor->LoadLines({"abcdef", "ghijkl", "mnopqr"});
    Type(*editor, "x");
    SetClipboardText(QStringLiteral("clip"));
    editor->SetCaret(0, 1);
    editor->SetEditMode(false);
    const Lines before = AllLines(*editor);
    Type(*editor, "y\n");
    Key(*editor, Qt::Key_Delete);
    Key(*editor, Qt::Key_Backspace);
    Key(*editor, Qt::Key_V, Qt::ControlModifier);
    editor->Paste();
    editor->SetSelection({0, 0}, {0, 2});
    editor->Cut();
    editor->EditorUndo();
    editor->Clear();
    EXPECT_EQ(AllLines(*editor), before);
    EXPECT_EQ(editor->UndoCount(), 1);

    // A click moves the selection but not the caret; Shift+click extends
    // from the last click, and the selection can be copied.
    const int pitch = editor->RowPitch();
    Mouse(*editor, QEvent::MouseButtonPress, 34 + 2 * 8 + 2, 3 + 1 * pitch + 5);
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{1, 2}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{1, 2}));
    EXPECT_EQ(editor->CaretLine(), 0);
    EXPECT_EQ(editor->CaretColumn(), 1);
    Mouse(*editor, QEvent::MouseButtonPress, 34 + 4 * 8 + 2, 3 + 2 * pitch + 5, Qt::ShiftModifier);
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{1, 2}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{2, 4}));
    editor->Copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("ijkl\nmnop"));

    // Back in editing mode everything works again.
    editor->SetEditMode(true);
    Type(*editor, "z");
    EXPECT_EQ(AllLines(*editor), (Lines{"xabcdef", "ghzqr"}));
}

TEST(EditorEditing, SelectionWithoutAnchorAndShiftedPageKeys) {
    auto editor = MakeEditor(400, 300);  // 17 rows
    Lines lines;
    for (int i = 0; i < 60; ++i) lines.push_back("zeile" + std::to_string(i));
    lines[40] = "gr\xf6\xdf" "e2x+1";
    editor->LoadLines(lines);
    // No anchor after loading: copying and cutting do nothing, a Shift+click
    // selects from the caret.
    editor->Copy();
    editor->Cut();
    EXPECT_EQ(editor->LineText(0), "zeile0");
    Mouse(*editor, QEvent::MouseButtonPress, 34 + 3 * 8 + 2, 3 + 1 * 17 + 5, Qt::ShiftModifier);
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{0, 0}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{1, 3}));

    editor->SetCaret(20, 2);
    Key(*editor, Qt::Key_Home);
    Key(*editor, Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{20, 0}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{37, 0}));
    Key(*editor, Qt::Key_PageUp, Qt::ShiftModifier);
    Key(*editor, Qt::Key_PageUp, Qt::ShiftModifier);
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{20, 0}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{3, 0}));
    Key(*editor, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(editor->SelEnd(), (TTextPos{3, 6}));
    Key(*editor, Qt::Key_PageUp);
    EXPECT_FALSE(editor->HasSelection());
    EXPECT_EQ(editor->CaretLine(), 0);

    // Umlauts and sharp s belong to words, the plus sign does not.
    editor->SetCaret(40, 3);
    const int row = 40 - editor->TopLine();
    Mouse(*editor, QEvent::MouseButtonDblClick, 34 + 3 * 8 + 2, 3 + row * 17 + 5);
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{40, 0}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{40, 7}));
    EXPECT_EQ(editor->CaretColumn(), 3);
}
