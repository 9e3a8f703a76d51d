// The snapshot, positions, line and column, rewinding, blanks and breakpoints.
#include "ScannerTestUtil.h"

#include <gtest/gtest.h>

using V = std::vector<int>;

TEST(ScannerSnapshot, JoinedTextAndLineStarts) {
    TStringLines lines({"ab", "", "c"});
    TScanner s;
    s.Load(lines);
    EXPECT_EQ(s.JoinedText(), "\rab \r \rc \r");
    EXPECT_EQ(s.LineStarts(), (std::vector<std::int32_t>{1, 5, 7}));
    EXPECT_EQ(s.GetPosition(), 1);
    EXPECT_FALSE(s.AtEnd());
}

TEST(ScannerSnapshot, ControlBytesInsideLinesAreBlanks) {
    // NUL, the breakpoint mark and CR would otherwise end the text, stop the
    // program or end a line comment in the middle of a line.
    TStringLines lines({std::string("a\0b\x01" "c\rd", 7), "// x\ry", "e"});
    EXPECT_EQ(ScanAll(lines), (std::vector<TScannedToken>{{OIdentifier, "a"},
                                                           {OIdentifier, "b"},
                                                           {OIdentifier, "c"},
                                                           {OIdentifier, "d"},
                                                           {OIdentifier, "e"},
                                                           {OEOF, ""}}));
}

TEST(ScannerSnapshot, ALoadedScannerDoesNotSeeLaterEdits) {
    TStringLines lines({"a"});
    TScanner s;
    s.Load(lines);
    lines.Lines[0] = "wenn";
    EXPECT_EQ(s.NextToken(), OIdentifier);
}

TEST(ScannerPositions, LineAndColumn) {
    TStringLines lines({"x := 1", "  y"});
    TScanner s;
    s.Load(lines);
    s.NextToken();
    // The token started at the first character of the first line.
    s.SetPosition(s.TokenStart() + 1);
    EXPECT_EQ(s.GetLineColumn().Line, 0);
    EXPECT_EQ(s.GetLineColumn().Column, 1);
    s.SetPosition(1);
    EXPECT_EQ(s.GetLineColumn().Line, 0);
    EXPECT_EQ(s.GetLineColumn().Column, 0);
    s.SetPosition(lines.Lines[0].size() + 5);  // second line, second blank
    int line = -1, column = -1;
    s.GetLineColumn(line, column);
    EXPECT_EQ(line, 1);
    EXPECT_EQ(column, 2);
    s.StoreLineColumn();
    EXPECT_EQ(s.StoredLine(), 1);
    EXPECT_EQ(s.StoredColumn(), 2);
    s.SetPosition(100000);
    EXPECT_EQ(s.GetLineColumn().Line, 1);
    s.SetPosition(-7);
    EXPECT_EQ(s.GetLineColumn().Line, 0);
}

TEST(ScannerPositions, RewindReturnsToTheTokenStartOnce) {
    TStringLines lines({"a := 1", "  b"});
    TScanner s;
    s.Load(lines);
    EXPECT_EQ(s.NextToken(), OIdentifier);
    EXPECT_EQ(s.NextToken(), ODoppelpunktgleich);
    EXPECT_EQ(s.NextToken(), OIntegerconst);
    EXPECT_EQ(s.NextToken(), OIdentifier);
    s.Rewind();
    // At the first character scanned for `b`: the blank behind line 0.
    EXPECT_EQ(s.GetLineColumn().Line, 0);
    EXPECT_EQ(s.GetLineColumn().Column, 7);
    s.SkipBlanks();
    EXPECT_EQ(s.GetLineColumn().Line, 1);
    EXPECT_EQ(s.GetLineColumn().Column, 3);

    s.SetPosition(1);
    s.NextToken();
    s.NextToken();
    s.Rewind();
    const int afterFirst = s.GetPosition();
    s.Rewind();  // the second Rewind does nothing
    EXPECT_EQ(s.GetPosition(), afterFirst);
    EXPECT_EQ(s.NextToken(), ODoppelpunktgleich);
}

TEST(ScannerPositions, StoredPositionsRescanTheSameTokens) {
    TStringLines lines({"wiederhole 3 mal", "  r.drehen(10)", "*wiederhole"});
    TScanner s;
    s.Load(lines);
    s.NextToken();
    s.NextToken();
    s.NextToken();
    const int loopHead = s.GetPosition();
    std::vector<TScannedToken> first, second;
    for (int code; (code = s.NextToken()) != OEOF;) first.push_back({code, s.TokenText()});
    EXPECT_TRUE(s.AtEnd());
    s.SetPosition(loopHead);
    EXPECT_FALSE(s.AtEnd());
    for (int code; (code = s.NextToken()) != OEOF;) second.push_back({code, s.TokenText()});
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.size(), 7u);
}

TEST(ScannerPositions, EndFlagStaysAfterGivingBackTheLastToken) {
    TStringLines lines({"x", "y"});
    TScanner s;
    s.Load(lines);
    s.NextToken();
    s.NextToken();
    EXPECT_FALSE(s.AtEnd());
    EXPECT_EQ(s.NextToken(), OEOF);
    EXPECT_TRUE(s.AtEnd());
    // The end token began on the blank behind the last line: the program has
    // been read completely, so the flag stays.
    s.Rewind();
    EXPECT_TRUE(s.AtEnd());
    EXPECT_EQ(s.NextToken(), OEOF);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(s.NextChar(), '\0');
    s.StepBack();
    EXPECT_TRUE(s.AtEnd());
}

TEST(ScannerPositions, EmptyTextAndUnloadedScanner) {
    TScanner unloaded;
    EXPECT_EQ(unloaded.NextToken(), OEOF);
    EXPECT_EQ(unloaded.GetLineColumn().Line, 0);
    unloaded.RefreshLineMarks();
    unloaded.SkipBlanks();

    TStringLines none;
    TScanner s;
    s.Load(none);
    EXPECT_EQ(s.NextToken(), OEOF);
    EXPECT_TRUE(s.AtEnd());
}

TEST(ScannerSkipBlanks, RestsOnTheNextStatement) {
    TStringLines lines({"", "   // comment", "{ a", " b }  ", "\f x"});
    TScanner s;
    s.Load(lines);
    s.SkipBlanks();
    EXPECT_EQ(s.GetLineColumn().Line, 4);
    EXPECT_EQ(s.GetLineColumn().Column, 3);
    EXPECT_EQ(s.NextToken(), OIdentifier);
    EXPECT_EQ(s.TokenText(), "x");
}

TEST(ScannerSkipBlanks, StopsAtTabsSlashesAndTheEnd) {
    TStringLines lines({" \tx", " /y", "  "});
    TScanner s;
    s.Load(lines);
    s.SkipBlanks();
    EXPECT_EQ(s.GetLineColumn().Column, 2);  // on the tab
    s.NextToken();
    s.SkipBlanks();
    EXPECT_EQ(s.GetLineColumn().Line, 1);
    EXPECT_EQ(s.GetLineColumn().Column, 2);  // on the '/'
    EXPECT_EQ(s.NextToken(), OGeteilt);
    s.NextToken();
    s.SkipBlanks();
    EXPECT_TRUE(s.AtEnd());
    EXPECT_EQ(s.NextToken(), OEOF);
}

TEST(ScannerSkipBlanks, KeepsTheLastTokensRawCharacters) {
    TStringLines lines({"2e", "// comment", "x"});
    TScanner s;
    s.Load(lines);
    EXPECT_EQ(s.NextToken(), OZahlenfehler);
    const std::string raw = s.RawToken();
    s.SkipBlanks();
    EXPECT_EQ(s.RawToken(), raw);
}

TEST(ScannerBreakpoints, MarksAppearAfterRefresh) {
    TStringLines lines({"a", "b", "c"});
    lines.Breakpoints = {true, false, true};
    TScanner s;
    s.Load(lines);
    EXPECT_EQ(s.JoinedText().find(BreakpointMark), std::string::npos);
    s.RefreshLineMarks();
    EXPECT_EQ(s.JoinedText(), "\x01" "a \rb \x01" "c \r");
    EXPECT_EQ(s.NextToken(), OStop);
    EXPECT_EQ(s.NextToken(), OIdentifier);
    EXPECT_EQ(s.NextToken(), OIdentifier);
    EXPECT_EQ(s.NextToken(), OStop);
    EXPECT_EQ(s.NextToken(), OIdentifier);
    EXPECT_EQ(s.NextToken(), OEOF);

    lines.Breakpoints = {false, false, false};
    s.RefreshLineMarks();
    s.SetPosition(1);
    EXPECT_EQ(s.NextToken(), OIdentifier);
}

TEST(ScannerBreakpoints, LineCommentGivesTheMarkBack) {
    TStringLines lines({"x // note", "y"});
    lines.Breakpoints = {false, true};
    TScanner s;
    s.Load(lines);
    s.RefreshLineMarks();
    EXPECT_EQ(s.NextToken(), OIdentifier);
    EXPECT_EQ(s.NextToken(), OStop);
    s.Rewind();
    s.SkipBlanks();  // a comment before a breakpoint line ends on the mark
    EXPECT_EQ(s.GetLineColumn().Line, 1);
    EXPECT_EQ(s.GetLineColumn().Column, 0);
    EXPECT_EQ(s.NextToken(), OStop);
    EXPECT_EQ(s.NextToken(), OIdentifier);
}

TEST(ScannerBreakpoints, MarkInsideAStringIsNoCharacter) {
    TStringLines lines({"'a", "b'"});
    lines.Breakpoints = {false, true};
    TScanner s;
    s.Load(lines);
    s.RefreshLineMarks();
    EXPECT_EQ(s.NextToken(), OStringConst);
    EXPECT_EQ(s.TokenText(), "a b");
}
