// The line formatter: highlight classes and indentation carried line by line.
#include "UScanner.h"

#include <gtest/gtest.h>

namespace {

struct TFormatted {
    std::string Line;
    TFormatResult Result;
    int Change;
};

TFormatted Format(std::string line, bool commentOpen = false, int indent = 0) {
    TFormatted f;
    f.Change = TFormatClass().FormatLine(line, commentOpen, indent, f.Result);
    f.Line = std::move(line);
    return f;
}

// Formats the lines as the editor does, each from the previous line's state.
std::vector<std::string> FormatText(std::vector<std::string> lines) {
    TFormatClass format;
    TFormatResult result;
    for (std::string& line : lines) format.FormatLine(line, result.CommentOpen, result.NextIndent, result);
    return lines;
}

} // namespace

TEST(FormatLine, ClassesOfEachKindOfToken) {
    EXPECT_EQ(Format("wenn x dann").Result.Classes, "000022200002");
    EXPECT_EQ(Format("x := 'a b' // c").Result.Classes, "2222211111233332");
    EXPECT_EQ(Format("a1 := x-12").Result.Classes, "22222224442");
    EXPECT_EQ(Format("2e3 3.5").Result.Classes, "42224242");    // no exponent here
    EXPECT_EQ(Format("'open").Result.Classes, "111112");
    EXPECT_EQ(Format("*wenn * x *fuer").Result.Classes, "0000022222200002");
    EXPECT_EQ(Format("a / b").Result.Classes, "222222");
}

TEST(FormatLine, ClassStringIsOneLongerThanTheLine) {
    for (const char* text : {"", " ", "wenn", "{", "'", "//", "x-1", "   \t  y"}) {
        const TFormatted f = Format(text, false, 3);
        EXPECT_EQ(f.Result.Classes.size(), f.Line.size() + 1) << text;
        EXPECT_EQ(f.Result.Classes.back(), HNormal) << text;
    }
}

TEST(FormatLine, BlockKeywordsIndentTheNextLine) {
    const TFormatted open = Format("wenn x dann", false, 3);
    EXPECT_EQ(open.Result.LineIndent, 3);
    EXPECT_EQ(open.Result.NextIndent, 6);
    EXPECT_EQ(open.Line, "   wenn x dann");
    EXPECT_EQ(open.Change, 3);
    EXPECT_EQ(open.Result.Classes, "222000022200002");

    const TFormatted close = Format("   *wenn", false, 3);
    EXPECT_EQ(close.Line, "*wenn");
    EXPECT_EQ(close.Change, -3);
    EXPECT_EQ(close.Result.LineIndent, 0);
    EXPECT_EQ(close.Result.NextIndent, 0);

    for (const char* opener : {"fuer r", "wiederhole 3 mal", "methode m()", "solange b tue"})
        EXPECT_EQ(Format(opener).Result.NextIndent, 3) << opener;
    EXPECT_EQ(Format("sonst", false, 3).Result.LineIndent, 3);
    const TFormatted ende = Format("ende", false, 3);
    EXPECT_EQ(ende.Result.LineIndent, 0);
    EXPECT_EQ(ende.Result.NextIndent, 0);
}

TEST(FormatLine, BlocksOpenedAndClosedOnOneLine) {
    const TFormatted loop = Format("   wiederhole x *wiederhole solange b", false, 3);
    EXPECT_EQ(loop.Result.LineIndent, 3);
    EXPECT_EQ(loop.Result.NextIndent, 3);
    EXPECT_EQ(loop.Change, 0);
    const TFormatted tail = Format("*wiederhole solange b", false, 3);
    EXPECT_EQ(tail.Result.LineIndent, 0);
    EXPECT_EQ(tail.Result.NextIndent, 0);
    const TFormatted head = Format("wiederhole solange b");
    EXPECT_EQ(head.Result.NextIndent, 3);
    const TFormatted ifElse = Format("wenn a dann b sonst c *wenn", false, 6);
    EXPECT_EQ(ifElse.Result.LineIndent, 6);
    EXPECT_EQ(ifElse.Result.NextIndent, 6);
}

TEST(FormatLine, StarFuerIsAStarAndAnOpener) {
    // The scanner reads `*fuer` as `*` and `fuer`; the formatter agrees.
    const TFormatted f = Format("*fuer", false, 3);
    EXPECT_EQ(f.Result.NextIndent, 6);
    EXPECT_EQ(f.Result.LineIndent, 3);
    const TFormatted g = Format("*f\xFCr", false, 3);
    EXPECT_EQ(g.Result.LineIndent, 0);
    EXPECT_EQ(g.Result.Classes, "00002");
}

TEST(FormatLine, IndentationNeverGoesBelowZero) {
    const TFormatted f = Format("  *wenn ende", false, 0);
    EXPECT_EQ(f.Line, "*wenn ende");
    EXPECT_EQ(f.Result.LineIndent, 0);
    EXPECT_EQ(f.Result.NextIndent, 0);
    EXPECT_EQ(Format("x", false, -9).Result.LineIndent, 0);
}

TEST(FormatLine, BraceCommentCarriesToTheNextLine) {
    const TFormatted first = Format("x { wenn");
    EXPECT_EQ(first.Result.Classes, "223333332");
    EXPECT_TRUE(first.Result.CommentOpen);
    EXPECT_EQ(first.Result.NextIndent, 3);  // keywords count inside brace comments

    const TFormatted second = Format("it's } y", true, 3);
    EXPECT_EQ(second.Line, "   it's } y");
    EXPECT_EQ(second.Result.Classes, "222333333222");
    EXPECT_FALSE(second.Result.CommentOpen);

    const TFormatted third = Format("// { still a line comment", false, 0);
    EXPECT_FALSE(third.Result.CommentOpen);
    EXPECT_EQ(Format("'{' x").Result.CommentOpen, false);
    EXPECT_EQ(Format("} x").Result.Classes, "3222");
}

TEST(FormatLine, KeywordsInLineCommentsAndStringsDoNotIndent) {
    EXPECT_EQ(Format("x // wenn").Result.NextIndent, 0);
    EXPECT_EQ(Format("s := 'wenn'").Result.NextIndent, 0);
    EXPECT_EQ(Format("f\xFCr x").Result.NextIndent, 0);  // für is no keyword
}

TEST(FormatLine, ReformattingIsStable) {
    TFormatted f = Format("      x := 1", false, 3);
    EXPECT_EQ(f.Change, -3);
    TFormatResult again;
    EXPECT_EQ(TFormatClass().FormatLine(f.Line, false, 3, again), 0);
    EXPECT_EQ(again.Classes, f.Result.Classes);
    EXPECT_EQ(Format("", false, 6).Line, "      ");
}

TEST(FormatLine, IndentationAcrossAProgram) {
    const std::vector<std::string> text = FormatText({
        "methode zeichne(n: Integer)",
        "wiederhole n mal",
        "wenn n > 2 dann",
        "{ ein Kommentar",
        "  ueber zwei Zeilen }",
        "r.drehen(10)",
        "sonst",
        "r.drehen(-10)",
        "*wenn",
        "*wiederhole",
        "ende",
        "fuer r",
        "solange x < 3 tue",
        "x := x + 1",
        "*solange",
        "*f\xFCr",
    });
    const std::vector<std::string> expected = {
        "methode zeichne(n: Integer)",
        "   wiederhole n mal",
        "      wenn n > 2 dann",
        "         { ein Kommentar",
        "         ueber zwei Zeilen }",
        "         r.drehen(10)",
        "         sonst",
        "         r.drehen(-10)",
        "      *wenn",
        "   *wiederhole",
        "ende",
        "fuer r",
        "   solange x < 3 tue",
        "      x := x + 1",
        "   *solange",
        "*f\xFCr",
    };
    EXPECT_EQ(text, expected);
}

TEST(FormatLine, DeepNestingIsCappedButCounted) {
    std::vector<std::string> lines(400, "wenn a dann");
    lines.insert(lines.end(), 400, "*wenn");
    lines.push_back("x");
    const std::vector<std::string> text = FormatText(lines);
    EXPECT_EQ(text[10], std::string(30, ' ') + "wenn a dann");
    EXPECT_EQ(text[399], std::string(TFormatClass::MaxLineIndent, ' ') + "wenn a dann");
    EXPECT_EQ(text[400], std::string(TFormatClass::MaxLineIndent, ' ') + "*wenn");
    EXPECT_EQ(text[790], std::string(27, ' ') + "*wenn");
    EXPECT_EQ(text[800], "x");
}
