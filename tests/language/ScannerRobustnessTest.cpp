// Any byte sequence is valid input: the scanner and the formatter terminate
// and keep their invariants on random bytes and on random token soup.
#include "FuzzRounds.h"
#include "ScannerTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {

int Rounds() { return FuzzRounds(3000); }

std::vector<std::string> RandomBytes(std::mt19937& rng) {
    std::uniform_int_distribution<int> lineCount(0, 6), lineLength(0, 60), byte(0, 255);
    std::vector<std::string> lines(lineCount(rng));
    for (std::string& line : lines) {
        line.resize(lineLength(rng));
        for (char& c : line) c = static_cast<char>(byte(rng));
    }
    return lines;
}

// Pieces that reach the interesting paths far more often than random bytes.
std::vector<std::string> RandomSoup(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {
        "wenn", "*wenn", "wiederhole", "*wiederhole", "solange", "*solange", "fuer", "*f\xFCr",
        "*fuer", "methode", "ende", "sonst", "x", " ", "\t", "'", "{", "}", "//", "/", "*",
        "1", "2147483648", ".", "..", "e", "E", "-", "+", ":", "=", "<", ">", "\x01", std::string(1, '\0'),
        "\r", "3.", "9e9999", "1e-", "\xFC", "\xE4"};
    std::uniform_int_distribution<int> lineCount(0, 6), pieceCount(0, 12);
    std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
    std::vector<std::string> lines(lineCount(rng));
    for (std::string& line : lines)
        for (int k = pieceCount(rng); k > 0; --k) line += pieces[piece(rng)];
    return lines;
}

bool IsReturnedCode(int code) {
    return code == OEOF || code == OZeiger || code == OAdresse ||
           (code >= ODoppelpunkt && code <= KFalsch) ||
           (code >= OIdentifier && code <= OStringConst) || code == OGleichGleich || code == OStop ||
           code == OZahlenfehler;
}

void CheckScanner(const std::vector<std::string>& text, std::mt19937& rng) {
    TStringLines lines(text);
    std::bernoulli_distribution flag(0.3);
    for (std::size_t i = 0; i < text.size(); ++i) lines.Breakpoints.push_back(flag(rng));
    TScanner s;
    s.Load(lines);
    s.RefreshLineMarks();
    const int length = static_cast<int>(s.JoinedText().size());

    // Every token moves forward; the text ends within one token per character.
    int tokens = 0;
    for (;; ++tokens) {
        ASSERT_LE(tokens, length + 1);
        const int before = s.GetPosition();
        if (flag(rng)) s.SkipBlanks();
        const int code = s.NextToken();
        ASSERT_TRUE(IsReturnedCode(code)) << code;
        const TScanner::TLineColumn lc = s.GetLineColumn();
        ASSERT_GE(lc.Line, 0);
        ASSERT_LE(lc.Line, std::max<int>(0, static_cast<int>(text.size()) - 1));
        if (code == OEOF) {
            ASSERT_TRUE(s.AtEnd());
            break;
        }
        ASSERT_GT(s.GetPosition(), before);
        // Only a string left open reads up to the end of the text.
        if (code != OStringConst) {
            ASSERT_FALSE(s.AtEnd());
        }
        // Giving the token back and reading it again gives the same token.
        const std::string textBefore = s.TokenText();
        const int after = s.GetPosition();
        s.Rewind();
        ASSERT_EQ(s.NextToken(), code);
        ASSERT_EQ(s.TokenText(), textBefore);
        ASSERT_EQ(s.GetPosition(), after);
    }
}

void CheckFormatter(const std::vector<std::string>& text) {
    TFormatClass format;
    TFormatResult result;
    for (const std::string& original : text) {
        const bool commentOpen = result.CommentOpen;
        const int indent = result.NextIndent;
        std::string line = original;
        const int change = format.FormatLine(line, commentOpen, indent, result);

        ASSERT_EQ(result.Classes.size(), line.size() + 1);
        for (char c : result.Classes) ASSERT_TRUE(c >= '0' && c <= '4');
        ASSERT_GE(result.LineIndent, 0);
        ASSERT_GE(result.NextIndent, 0);
        ASSERT_LE(result.LineIndent, TFormatClass::MaxLineIndent);
        // Only the leading blanks change, to exactly LineIndent of them.
        const std::size_t oldSpaces = original.find_first_not_of(' ') == std::string::npos
                                          ? original.size()
                                          : original.find_first_not_of(' ');
        ASSERT_EQ(change, result.LineIndent - static_cast<int>(oldSpaces));
        ASSERT_EQ(line.substr(result.LineIndent), original.substr(oldSpaces));
        ASSERT_EQ(line.substr(0, result.LineIndent), std::string(result.LineIndent, ' '));

        // A formatted line stays as it is.
        TFormatResult again;
        std::string copy = line;
        ASSERT_EQ(format.FormatLine(copy, commentOpen, indent, again), 0);
        ASSERT_EQ(copy, line);
        // (New leading blanks are class 2 even inside a brace comment.)
        ASSERT_EQ(again.Classes.substr(result.LineIndent), result.Classes.substr(result.LineIndent));
        ASSERT_EQ(again.NextIndent, result.NextIndent);
    }
}

} // namespace

TEST(ScannerRobustness, RandomBytes) {
    std::mt19937 rng(20240611);
    for (int round = 0, rounds = Rounds(); round < rounds; ++round) {
        const std::vector<std::string> text = RandomBytes(rng);
        SCOPED_TRACE(round);
        CheckScanner(text, rng);
        CheckFormatter(text);
        if (HasFatalFailure()) return;
    }
}

TEST(ScannerRobustness, RandomTokenSoup) {
    std::mt19937 rng(77);
    for (int round = 0, rounds = Rounds(); round < rounds; ++round) {
        const std::vector<std::string> text = RandomSoup(rng);
        SCOPED_TRACE(round);
        CheckScanner(text, rng);
        CheckFormatter(text);
        if (HasFatalFailure()) return;
    }
}

TEST(ScannerRobustness, PositionsAnywhere) {
    // The interpreter may jump to any stored position; so may a broken one.
    TStringLines lines({"wenn x dann", "'abc", "{"});
    TScanner s;
    s.Load(lines);
    const int length = static_cast<int>(s.JoinedText().size());
    for (int p : {-2147483647 - 1, -1, 0, 1, length - 2, length - 1, length, length + 5, 2147483647}) {
        s.SetPosition(p);
        for (int k = 0; k < 50 && s.NextToken() != OEOF; ++k) {
        }
        s.Rewind();
        s.SkipBlanks();
        s.GetLineColumn();
    }
}

namespace {

// Everything a caller can observe of a scanner after one operation.
void ExpectSameState(const TScanner& table, const TScanner& plain) {
    ASSERT_EQ(table.GetPosition(), plain.GetPosition());
    ASSERT_EQ(table.AtEnd(), plain.AtEnd());
    ASSERT_EQ(table.LastChar(), plain.LastChar());
    ASSERT_EQ(table.TokenStart(), plain.TokenStart());
    ASSERT_EQ(table.TokenText(), plain.TokenText());
    ASSERT_EQ(table.RawToken(), plain.RawToken());
    ASSERT_EQ(table.IntValue(), plain.IntValue());
    ASSERT_EQ(table.RealValue(), plain.RealValue());
    const TScanner::TLineColumn a = table.GetLineColumn(), b = plain.GetLineColumn();
    ASSERT_EQ(a.Line, b.Line);
    ASSERT_EQ(a.Column, b.Column);
}

} // namespace

// The token table against the plain scanner: random texts, the same random
// walk of tokens, rewinds, steps back, jumps (to stored token starts and
// anywhere) and skips, and breakpoints toggled on the way; both must agree
// after every operation. So must a third scanner that keeps only text marked
// as repeating, with random ranges marked on the way. The keeping scanners
// now and then read ahead and are put back with Save and Restore, which must
// leave no trace.
TEST(ScannerRobustness, TokenTableScansLikeThePlainScanner) {
    std::mt19937 rng(4711);
    long keptAll = 0, keptMarked = 0;
    const int rounds = Rounds() / 3;
    for (int round = 0; round < rounds; ++round) {
        const std::vector<std::string> text = round % 2 ? RandomSoup(rng) : RandomBytes(rng);
        SCOPED_TRACE(round);
        TStringLines tableLines(text), plainLines(text), markedLines(text);
        tableLines.Breakpoints.assign(text.size(), false);
        plainLines.Breakpoints.assign(text.size(), false);
        markedLines.Breakpoints.assign(text.size(), false);
        TScanner table, plain, marked;
        plain.SetTokenTable(false);
        marked.SetKeepOnlyRepeated(true);
        table.Load(tableLines);
        plain.Load(plainLines);
        marked.Load(markedLines);
        ASSERT_TRUE(table.TokenTable());
        const int length = static_cast<int>(table.JoinedText().size());
        std::vector<int> starts{1};
        std::uniform_int_distribution<int> op(0, 21);
        for (int k = 0; k < 400; ++k) {
            if (rng() % 16 == 0) {
                const int from = static_cast<int>(rng() % (length + 2));
                marked.MarkRepeated(from, from + static_cast<int>(rng() % 64));
            }
            const int what = op(rng);
            if (what < 10) {
                const int code = plain.NextToken();
                ASSERT_EQ(table.NextToken(), code);
                ASSERT_EQ(marked.NextToken(), code);
                starts.push_back(table.TokenStart());
                // Now and then a token text is read only after the next
                // operations, as a message does.
                if (rng() % 3 == 0) continue;
            } else if (what < 12) {
                table.Rewind();
                plain.Rewind();
                marked.Rewind();
            } else if (what == 12) {
                table.StepBack();
                plain.StepBack();
                marked.StepBack();
            } else if (what == 13) {
                const int p = starts[rng() % starts.size()];
                table.SetPosition(p);
                plain.SetPosition(p);
                marked.SetPosition(p);
            } else if (what == 14) {
                const int p = static_cast<int>(rng() % (length + 4)) - 1;
                table.SetPosition(p);
                plain.SetPosition(p);
                marked.SetPosition(p);
            } else if (what < 17) {
                table.SkipBlanks();
                plain.SkipBlanks();
                marked.SkipBlanks();
            } else if (what == 17) {
                const char c = plain.NextChar();
                ASSERT_EQ(table.NextChar(), c);
                ASSERT_EQ(marked.NextChar(), c);
            } else if (what >= 20) {
                for (TScanner* s : {&table, &marked}) {
                    TScanner::TState state;
                    TScanner::TTexts texts;
                    s->Save(state, &texts);
                    bool number = false;
                    for (int n = 1 + static_cast<int>(rng() % 3); n > 0; --n) {
                        if (rng() % 2) s->SkipBlanks();
                        const int code = s->NextToken();
                        number = number || code == OIntegerconst || code == ORealConst || code == OZahlenfehler;
                    }
                    s->Restore(state, number, &texts);
                }
            } else if (!text.empty()) {
                const std::size_t line = rng() % text.size();
                const bool mark = !tableLines.Breakpoints[line];
                tableLines.Breakpoints[line] = mark;
                plainLines.Breakpoints[line] = mark;
                markedLines.Breakpoints[line] = mark;
                table.RefreshLineMarks();
                plain.RefreshLineMarks();
                marked.RefreshLineMarks();
            }
            ExpectSameState(table, plain);
            ExpectSameState(marked, plain);
            if (HasFatalFailure()) return;
        }
        keptAll += table.TokenTableSize();
        keptMarked += marked.TokenTableSize();
    }
    // The marked scanner kept something, and less than the one keeping all.
    EXPECT_GT(keptMarked, rounds);
    EXPECT_LT(keptMarked, keptAll);
}
