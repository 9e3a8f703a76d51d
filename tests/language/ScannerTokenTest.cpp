// Token streams: keywords, symbols, numbers, strings and comments.
#include "ScannerTestUtil.h"
#include "SeparatorScope.h"
#include "UDecimalSeparator.h"

#include <gtest/gtest.h>

using V = std::vector<int>;

TEST(ScannerTokens, KeywordsInAnyCase) {
    EXPECT_EQ(Codes({"WIEDERHOLE Wiederhole wiederhole"}), (V{32, 32, 32, OEOF}));
    EXPECT_EQ(Codes({"wenn dann sonst *wenn"}), (V{KWenn, KDann, KSonst, KEndWenn, OEOF}));
    EXPECT_EQ(Codes({"tue bis mal immer var methode ende"}),
              (V{KTue, KBis, KMal, KImmer, KVar, KMethode, KEnde, OEOF}));
    EXPECT_EQ(Codes({"boolean Integer REAL char string nicht und oder wahr falsch"}),
              (V{48, 49, 50, 51, 52, 53, 54, 55, 56, 57, OEOF}));
}

TEST(ScannerTokens, IdentifiersKeepTheirLetters) {
    const auto tokens = ScanAll({"Gr\xF6\xDF" "e _a1 f\xFCr wennx x2y"});
    ASSERT_EQ(tokens.size(), 6u);
    EXPECT_EQ(tokens[0], (TScannedToken{OIdentifier, "Gr\xF6\xDF" "e"}));
    EXPECT_EQ(tokens[1], (TScannedToken{OIdentifier, "_a1"}));
    EXPECT_EQ(tokens[2], (TScannedToken{OIdentifier, "f\xFCr"}));  // für is no keyword
    EXPECT_EQ(tokens[3], (TScannedToken{OIdentifier, "wennx"}));
    EXPECT_EQ(tokens[4], (TScannedToken{OIdentifier, "x2y"}));
}

TEST(ScannerTokens, EndKeywordsNeedTheStarDirectlyInFront) {
    EXPECT_EQ(Codes({"*Wenn"}), (V{44, OEOF}));
    EXPECT_EQ(Codes({"*f\xFCr *F\xDCR"}), (V{47, 47, OEOF}));
    EXPECT_EQ(Codes({"*fuer"}), (V{OMal, KFuer, OEOF}));
    EXPECT_EQ(Codes({"* wenn"}), (V{OMal, KWenn, OEOF}));
    EXPECT_EQ(Codes({"*wiederhole *SOLANGE"}), (V{33, 37, OEOF}));
    EXPECT_EQ(Codes({"a*b 2*3 *9"}),
              (V{OIdentifier, OMal, OIdentifier, OIntegerconst, OMal, OIntegerconst, OMal,
                 OIntegerconst, OEOF}));
    const auto tokens = ScanAll({"*xyz"});
    EXPECT_EQ(tokens[0], (TScannedToken{OMal, "*"}));
    EXPECT_EQ(tokens[1], (TScannedToken{OIdentifier, "xyz"}));
    // The run read behind the star stays in its raw characters.
    TStringLines lines({"*xyz+"});
    TScanner s;
    s.Load(lines);
    ASSERT_EQ(s.NextToken(), OMal);
    EXPECT_EQ(s.RawToken(), "*xyz+");
    ASSERT_EQ(s.NextToken(), OIdentifier);
    EXPECT_EQ(s.RawToken(), "xyz+");
}

TEST(ScannerTokens, Symbols) {
    EXPECT_EQ(Codes({"( ) + , - ; [ ] ^ @"}), (V{12, 13, 21, 17, 22, 16, 14, 15, 6, 7, OEOF}));
    EXPECT_EQ(Codes({". .. : := < <= <> > >= = == /"}),
              (V{18, 29, 11, 30, 25, 27, 28, 24, 26, 23, 63, 20, OEOF}));
    EXPECT_EQ(Codes({"a:=b<>c"}), (V{OIdentifier, 30, OIdentifier, 28, OIdentifier, OEOF}));
}

TEST(ScannerTokens, SymbolTextIsTheRawCharactersWithTheLookAhead) {
    const auto tokens = ScanAll({":= (x <y"});
    EXPECT_EQ(tokens[0].Text, ":=");
    EXPECT_EQ(tokens[1].Text, "(");
    EXPECT_EQ(tokens[3].Text, "<y");  // the look-ahead that was given back
}

TEST(ScannerTokens, MeaninglessCharactersAreSkipped) {
    EXPECT_EQ(Codes({"a ! \" # $ % & \\ ` | ~ ? } \x80\xA7 \x7F\x05\tb"}),
              (V{OIdentifier, OIdentifier, OEOF}));
    EXPECT_EQ(Codes({}), (V{OEOF}));
    EXPECT_EQ(Codes({"", "   ", ""}), (V{OEOF}));
}

TEST(ScannerNumbers, IntegersAndReals) {
    TStringLines lines({"3.25 3. 2e3 2E3 7 1.5e-3 1e+2 0.5"});
    TScanner s;
    s.Load(lines);
    ASSERT_EQ(s.NextToken(), ORealConst);
    EXPECT_DOUBLE_EQ(s.RealValue(), 3.25);
    EXPECT_EQ(s.TokenText(), "3.25");
    ASSERT_EQ(s.NextToken(), ORealConst);
    EXPECT_DOUBLE_EQ(s.RealValue(), 3.0);
    ASSERT_EQ(s.NextToken(), ORealConst);
    EXPECT_DOUBLE_EQ(s.RealValue(), 2000.0);
    ASSERT_EQ(s.NextToken(), ORealConst);
    EXPECT_DOUBLE_EQ(s.RealValue(), 2000.0);
    ASSERT_EQ(s.NextToken(), OIntegerconst);
    EXPECT_EQ(s.IntValue(), 7);
    ASSERT_EQ(s.NextToken(), ORealConst);
    EXPECT_DOUBLE_EQ(s.RealValue(), 0.0015);
    ASSERT_EQ(s.NextToken(), ORealConst);
    EXPECT_DOUBLE_EQ(s.RealValue(), 100.0);
    ASSERT_EQ(s.NextToken(), ORealConst);
    EXPECT_DOUBLE_EQ(s.RealValue(), 0.5);
    EXPECT_EQ(s.NextToken(), OEOF);
}

TEST(ScannerNumbers, IntegerLimits) {
    TStringLines lines({"2147483647 2147483648 0000012 99999999999999999999999"});
    TScanner s;
    s.Load(lines);
    ASSERT_EQ(s.NextToken(), OIntegerconst);
    EXPECT_EQ(s.IntValue(), 2147483647);
    EXPECT_EQ(s.NextToken(), OZahlenfehler);
    EXPECT_EQ(s.RawToken(), "2147483648 ");
    ASSERT_EQ(s.NextToken(), OIntegerconst);
    EXPECT_EQ(s.IntValue(), 12);
    EXPECT_EQ(s.NextToken(), OZahlenfehler);
    EXPECT_EQ(s.NextToken(), OEOF);
}

TEST(ScannerNumbers, MalformedExponents) {
    EXPECT_EQ(Codes({"2e"}), (V{OZahlenfehler, OEOF}));
    EXPECT_EQ(Codes({"2e-"}), (V{OZahlenfehler, OEOF}));
    EXPECT_EQ(Codes({"2e-+1"}), (V{OZahlenfehler, OEOF}));  // '-' then '+' both taken
    EXPECT_EQ(Codes({"2ex"}), (V{OZahlenfehler, OIdentifier, OEOF}));
    EXPECT_EQ(Codes({"1e999"}), (V{OZahlenfehler, OEOF}));
    EXPECT_EQ(Codes({"1e" + std::string(5000, '9')}), (V{OZahlenfehler, OEOF}));
}

TEST(ScannerNumbers, OutOfRangeRealsAndHugeDigitRuns) {
    TStringLines lines({"1e-999 12345678901234567890.0 " + std::string(100000, '7') + " 1e-" +
                        std::string(5000, '9') + " " + std::string(400, '9') + ".0"});
    TScanner s;
    s.Load(lines);
    ASSERT_EQ(s.NextToken(), ORealConst);  // too small for a double: 0
    EXPECT_EQ(s.RealValue(), 0.0);
    // The digit run before the point must fit an Integer, also in a real.
    EXPECT_EQ(s.NextToken(), OZahlenfehler);
    EXPECT_EQ(s.NextToken(), OZahlenfehler);
    ASSERT_EQ(s.NextToken(), ORealConst);
    EXPECT_EQ(s.RealValue(), 0.0);
    EXPECT_EQ(s.NextToken(), OZahlenfehler);
    EXPECT_EQ(s.NextToken(), OEOF);
}

TEST(ScannerNumbers, IntegerBeforeTwoPointsStaysAnInteger) {
    TStringLines lines({"1..5 3.x"});
    TScanner s;
    s.Load(lines);
    ASSERT_EQ(s.NextToken(), OIntegerconst);
    EXPECT_EQ(s.IntValue(), 1);
    EXPECT_EQ(s.TokenText(), "1");
    EXPECT_EQ(s.NextToken(), OPunktPunkt);
    ASSERT_EQ(s.NextToken(), OIntegerconst);
    EXPECT_EQ(s.IntValue(), 5);
    ASSERT_EQ(s.NextToken(), ORealConst);
    EXPECT_DOUBLE_EQ(s.RealValue(), 3.0);
    EXPECT_EQ(s.NextToken(), OIdentifier);
}

TEST(ScannerNumbers, RealLiteralSetsThePointAsDecimalSeparator) {
    const SeparatorScope comma(',');
    Codes({"12 7"});
    EXPECT_EQ(DecimalSeparator(), ',');
    Codes({"x := 1.5"});
    EXPECT_EQ(DecimalSeparator(), '.');
}

TEST(ScannerStrings, Literals) {
    const auto tokens = ScanAll({"'abc' 'x' '' 'a\tb' 'wenn'"});
    EXPECT_EQ(tokens[0], (TScannedToken{OStringConst, "abc"}));
    EXPECT_EQ(tokens[1], (TScannedToken{OStringConst, "x"}));
    EXPECT_EQ(tokens[2], (TScannedToken{OStringConst, ""}));
    EXPECT_EQ(tokens[3], (TScannedToken{OStringConst, "ab"}));  // tab dropped
    EXPECT_EQ(tokens[4], (TScannedToken{OStringConst, "wenn"}));
}

TEST(ScannerStrings, UnterminatedEndsAtTheEndOfTheText) {
    EXPECT_EQ(ScanAll({"'ab"}), (std::vector<TScannedToken>{{OStringConst, "ab"}, {OEOF, ""}}));
    EXPECT_EQ(ScanAll({"'ab ", "c"}),
              (std::vector<TScannedToken>{{OStringConst, "ab  c"}, {OEOF, ""}}));
}

TEST(ScannerStrings, NoEscapeForTheApostrophe) {
    EXPECT_EQ(ScanAll({"'it''s'"}),
              (std::vector<TScannedToken>{{OStringConst, "it"}, {OStringConst, "s"}, {OEOF, ""}}));
}

TEST(ScannerStrings, SpanningLinesKeepsTheSeparatorBlank) {
    EXPECT_EQ(ScanAll({"'a", "b' c"}),
              (std::vector<TScannedToken>{{OStringConst, "a b"}, {OIdentifier, "c"}, {OEOF, ""}}));
}

TEST(ScannerComments, LineComments) {
    EXPECT_EQ(ScanAll({"a//x", "b"}),
              (std::vector<TScannedToken>{{OIdentifier, "a"}, {OIdentifier, "b"}, {OEOF, ""}}));
    EXPECT_EQ(Codes({"// wenn", "// only comments"}), (V{OEOF}));
    EXPECT_EQ(Codes({"a / b"}), (V{OIdentifier, OGeteilt, OIdentifier, OEOF}));
}

TEST(ScannerComments, BraceCommentsSpanLines) {
    EXPECT_EQ(ScanAll({"a { wenn", "dann // }", "} b"}),
              (std::vector<TScannedToken>{{OIdentifier, "a"}, {OIdentifier, "b"}, {OEOF, ""}}));
    EXPECT_EQ(Codes({"a {never closed", "b"}), (V{OIdentifier, OEOF}));
    EXPECT_EQ(Codes({"a}b"}), (V{OIdentifier, OIdentifier, OEOF}));
}
