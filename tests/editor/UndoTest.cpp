// The undo ring on its own: self-inverting steps of every kind, linked pairs
// and the bounded history.
#include "UUndo.h"

#include <gtest/gtest.h>

namespace {

TLineList Make(std::vector<std::string> texts) {
    TLineList lines;
    lines.InsertRange(0, std::move(texts));
    return lines;
}

std::vector<std::string> Texts(const TLineList& lines) { return lines.Texts(0, lines.Count()); }

} // namespace

TEST(Undo, ReplaceStepUndoesAndRedoesWithCarets) {
    TLineList lines = Make({"abc", "def"});
    TUndo undo(100);
    undo.Record(lines, 0, 0, 3, ukReplace, 1, 1);
    lines.Text(0) = "abcx";
    EXPECT_TRUE(undo.Undo(lines, 0, 4));
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"abc", "def"}));
    EXPECT_EQ(undo.ResultLine(), 0);
    EXPECT_EQ(undo.ResultColumn(), 3);
    EXPECT_EQ(undo.UndoCount(), 0);
    EXPECT_EQ(undo.RedoCount(), 1);
    EXPECT_TRUE(undo.Redo(lines, 0, 3));
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"abcx", "def"}));
    EXPECT_EQ(undo.ResultColumn(), 4);  // where the caret was before the undo
    EXPECT_FALSE(undo.Redo(lines, 0, 0));
}

TEST(Undo, JoinStepSplitsAgainOnRedo) {
    TLineList lines = Make({"abcdef"});
    TUndo undo(10);
    undo.Record(lines, 0, 0, 3, ukJoin, 0, 0);
    lines.Text(0) = "abc";
    lines.Insert(1, "def");
    lines.EnsureInfo(1).Breakpoint = true;
    ASSERT_TRUE(undo.Undo(lines, 1, 0));
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"abcdef"}));
    ASSERT_TRUE(undo.Redo(lines, 0, 3));
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"abc", "def"}));
    EXPECT_EQ(lines.Info(1), nullptr);  // inserted lines carry no information
    ASSERT_TRUE(undo.Undo(lines, 1, 0));
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"abcdef"}));
}

TEST(Undo, DeleteAndInsertKindsInvertEachOther) {
    TLineList lines = Make({"a", "b", "c"});
    TUndo undo(10);
    undo.Record(lines, 1, 0, 0, ukDelete, 0, 2);
    ASSERT_TRUE(undo.Undo(lines, 0, 0));
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"a"}));
    ASSERT_TRUE(undo.Redo(lines, 0, 0));
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(Undo, LinkedPairIsOneCommandBothWays) {
    TLineList lines = Make({"abcdef"});
    TUndo undo(100);
    undo.Record(lines, 0, 0, 4, ukReplace, 1, 1);  // deleting "bcd"
    undo.LinkNext();
    lines.Text(0) = "aef";
    undo.Record(lines, 0, 0, 1, ukReplace, 1, 1);  // typing "x"
    lines.Text(0) = "axef";
    ASSERT_TRUE(undo.Undo(lines, 0, 2));
    EXPECT_EQ(lines.Text(0), "abcdef");
    EXPECT_EQ(undo.UndoCount(), 0);
    EXPECT_EQ(undo.RedoCount(), 2);
    ASSERT_TRUE(undo.Redo(lines, 0, 4));
    EXPECT_EQ(lines.Text(0), "axef");
    EXPECT_EQ(undo.UndoCount(), 2);
    ASSERT_TRUE(undo.Undo(lines, 0, 2));
    EXPECT_EQ(lines.Text(0), "abcdef");
}

TEST(Undo, UnlinkCurrentSeparatesTheLastStep) {
    TLineList lines = Make({"a"});
    TUndo undo(10);
    undo.Record(lines, 0, 0, 0, ukReplace, 1, 1);
    lines.Text(0) = "ab";
    undo.LinkNext();
    undo.Record(lines, 0, 0, 0, ukReplace, 1, 1);
    lines.Text(0) = "abc";
    undo.UnlinkCurrent();
    ASSERT_TRUE(undo.Undo(lines, 0, 0));
    EXPECT_EQ(lines.Text(0), "ab");
    EXPECT_EQ(undo.UndoCount(), 1);
}

TEST(Undo, RingKeepsTheLastCapacitySteps) {
    TLineList lines = Make({"0"});
    TUndo undo(100);
    for (int i = 1; i <= 101; ++i) {
        undo.Record(lines, 0, 0, 0, ukReplace, 1, 1);
        lines.Text(0) = std::to_string(i);
    }
    EXPECT_EQ(undo.UndoCount(), 100);
    int undone = 0;
    while (undo.Undo(lines, 0, 0)) ++undone;
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(lines.Text(0), "1");  // the first edit is beyond the ring
    EXPECT_EQ(undo.RedoCount(), 100);
    while (undo.Redo(lines, 0, 0)) {}
    EXPECT_EQ(lines.Text(0), "101");
}

TEST(Undo, RecordingDiscardsRedoAndClearForgetsAll) {
    TLineList lines = Make({"a"});
    TUndo undo(10);
    undo.Record(lines, 0, 0, 0, ukReplace, 1, 1);
    lines.Text(0) = "b";
    ASSERT_TRUE(undo.Undo(lines, 0, 0));
    undo.Record(lines, 0, 0, 0, ukReplace, 1, 1);
    EXPECT_EQ(undo.RedoCount(), 0);
    undo.LinkNext();
    undo.Clear();
    EXPECT_EQ(undo.UndoCount(), 0);
    EXPECT_FALSE(undo.Undo(lines, 0, 0));
    // The link pending before Clear does not reach the next step.
    undo.Record(lines, 0, 0, 0, ukReplace, 1, 1);
    lines.Text(0) = "c";
    undo.Record(lines, 0, 0, 0, ukReplace, 1, 1);
    lines.Text(0) = "d";
    ASSERT_TRUE(undo.Undo(lines, 0, 0));
    EXPECT_EQ(lines.Text(0), "c");
}

TEST(Undo, StepsOnVanishedLinesStayHarmless) {
    TLineList lines = Make({"a", "b", "c"});
    TUndo undo(10);
    undo.Record(lines, 2, 0, 0, ukReplace, 1, 5);
    undo.Record(lines, 2, 0, 0, ukJoin, 0, 0);
    lines.Clear();
    EXPECT_TRUE(undo.Undo(lines, 0, 0));  // join with no lines
    EXPECT_TRUE(undo.Undo(lines, 0, 0));  // removes what exists, inserts at the end
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"c"}));
    EXPECT_TRUE(undo.Redo(lines, 0, 0));
    EXPECT_TRUE(undo.Redo(lines, 0, 0));
}

// A link waiting for the next step is dropped by an undo or a redo: the next
// step then follows a different one, and linking would take back an older,
// unrelated edit with it (or redo two steps at once).
TEST(Undo, PendingLinkDoesNotSurviveUndoOrRedo) {
    TLineList lines = Make({"a"});
    TUndo undo(10);
    undo.Record(lines, 0, 0, 0, ukReplace, 1, 1);
    lines.Text(0) = "ab";
    undo.Record(lines, 0, 0, 0, ukReplace, 1, 1);
    undo.LinkNext();
    lines.Text(0) = "abc";
    ASSERT_TRUE(undo.Undo(lines, 0, 0));
    undo.Record(lines, 0, 0, 0, ukReplace, 1, 1);
    lines.Text(0) = "abx";
    ASSERT_TRUE(undo.Undo(lines, 0, 0));
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"ab"}));
    EXPECT_EQ(undo.UndoCount(), 1);
}
