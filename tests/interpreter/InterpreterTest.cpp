// What whole programs run through `zak --run` cannot show: the step's
// results, breakpoints, the hand-over of errors to the error list, the
// nesting limits under the sanitizers, the stack's balance, and robustness
// against arbitrary text. Language behaviour itself is tested by the
// programs under tests/programs.
#include "UFehler.h"
#include "UInterpreter.h"
#include "UInterpreterMeldungen.h"
#include "UProgramMemory.h"
#include "UScanner.h"
#include "UStandardfenster.h"
#include "UVariablenText.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// A run as the main window prepares it: scanner, interpreter, first SkipBlanks.
struct TRun {
    explicit TRun(std::vector<std::string> lines, TFehlerVerwaltung* errors = nullptr)
        : Lines(std::move(lines)) {
        Scanner.Load(Lines);
        Interpreter = std::make_unique<TInterpreter>(Scanner, false, errors);
        Scanner.SkipBlanks();
    }

    // Steps until the end, an error or `limit` calls; returns the calls made.
    long ToEnd(long limit = 10000000) {
        long calls = 0;
        while (!Scanner.AtEnd() && !Interpreter->ErrorFlag() && calls < limit) {
            Interpreter->Step(false);
            ++calls;
        }
        return calls;
    }

    std::string Message() const {
        const TFehler* error = Interpreter->Error();
        return error ? error->Message : std::string();
    }

    TVariant* Value(const char* name) { return Interpreter->VarSpace().Lookup(name); }

    TStringLines Lines;
    TScanner Scanner;
    std::unique_ptr<TInterpreter> Interpreter;
};

TEST(InterpreterStep, CountsOnlyStatementsThatBeginWithAName) {
    TRun run({"n: integer", "wiederhole 2 mal", "n := n + 1", "*wiederhole"});
    EXPECT_TRUE(run.Interpreter->Step(false).Counted);   // declaration
    EXPECT_FALSE(run.Interpreter->Step(false).Counted);  // wiederhole
    EXPECT_TRUE(run.Interpreter->Step(false).Counted);   // assignment
    EXPECT_FALSE(run.Interpreter->Step(false).Counted);  // *wiederhole
    run.ToEnd();
    EXPECT_EQ(run.Value("n")->AsInteger(), 2);
    EXPECT_EQ(run.Interpreter->StackCount(), 0);
    EXPECT_EQ(run.Interpreter->BlockDepth(), 0);
}

TEST(InterpreterStep, BreakpointStopsBeforeItsLineUnlessIgnored) {
    TRun run({"n: integer", "n := 1", "n := 2", "n := 3"});
    run.Lines.Breakpoints = {false, true, false, true};
    run.Scanner.RefreshLineMarks();

    run.Interpreter->Step(false);  // n: integer
    TInterpreter::TStepResult at = run.Interpreter->Step(false);
    EXPECT_TRUE(at.BreakpointReached);
    EXPECT_FALSE(at.Counted);
    EXPECT_EQ(run.Value("n")->AsInteger(), 0);
    run.Interpreter->Step(false);  // the statement behind the mark
    EXPECT_EQ(run.Value("n")->AsInteger(), 1);

    run.Interpreter->Step(false);  // n := 2
    TInterpreter::TStepResult single = run.Interpreter->Step(true);
    EXPECT_FALSE(single.BreakpointReached);
    EXPECT_TRUE(single.Counted);
    EXPECT_EQ(run.Value("n")->AsInteger(), 3);
    EXPECT_TRUE(run.Scanner.AtEnd());
}

TEST(InterpreterErrors, StepHandsItsErrorToTheListOnce) {
    TFehlerVerwaltung errors;
    errors.Add(std::make_unique<TFehler>(9, "alt", FehlerLaufzeit, 1));
    errors.Add(std::make_unique<TFehler>(3, "Tipp", FehlerTipp, 2));
    TRun run({"n: integer", "n := 1 + )", "n := 5"}, &errors);
    run.ToEnd();
    ASSERT_TRUE(run.Interpreter->ErrorFlag());
    std::vector<TFehler> records = errors.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Source, FehlerTipp);
    EXPECT_EQ(records[1].Source, FehlerLaufzeit);
    EXPECT_EQ(records[1].Line, 1);
    EXPECT_EQ(run.Interpreter->Error()->Line, 1);

    run.Interpreter->Step(false);  // nothing more happens
    EXPECT_EQ(errors.Count(), 2);
    EXPECT_EQ(run.Value("n")->AsInteger(), 0);
}

TEST(InterpreterErrors, DeclarationPassErrorIsListedAtCreation) {
    TFehlerVerwaltung errors;
    TRun run({"n: integer", "methode f(x: integer"}, &errors);
    EXPECT_TRUE(run.Interpreter->ErrorFlag());
    ASSERT_EQ(errors.Count(), 1);
    EXPECT_EQ(errors.Records()[0].Message, Meldung::ParameterKlammerZu);
    run.Interpreter->Step(false);
    EXPECT_EQ(errors.Count(), 1);
    EXPECT_EQ(run.Value("n"), nullptr);  // no statement ran
}

TEST(InterpreterErrors, WithoutAnErrorListTheInterpreterKeepsItsRecord) {
    TRun run({"x := 1"});
    run.ToEnd();
    ASSERT_NE(run.Interpreter->Error(), nullptr);
    EXPECT_EQ(run.Interpreter->Error()->Column, 1);
}

TEST(InterpreterExpressions, CharAcceptsOnlyChar) {
    TRun run({"c, d: char", "c := d", "c := 'a'"});
    run.ToEnd();
    EXPECT_EQ(run.Message(), Meldung::TypChar);
    EXPECT_EQ(run.Interpreter->Error()->Line, 2);
}

// The limits must hold in the sanitizer build too, whose stack frames are
// several times larger.
TEST(InterpreterLimits, ThousandNestedLevelsOfEachKindEvaluate) {
    std::string parens = "n := " + std::string(1000, '(') + "1" + std::string(1000, ')');
    std::string calls = "r := ";
    for (int i = 0; i < 1000; ++i) calls += "abs(";
    calls += "2" + std::string(1000, ')');
    std::string mixed = "b := ";
    for (int i = 0; i < 500; ++i) mixed += "nicht (";
    mixed += "wahr" + std::string(500, ')');
    TRun run({"n: integer", "r: real", "b: boolean", parens, calls, mixed});
    run.ToEnd();
    EXPECT_FALSE(run.Interpreter->ErrorFlag()) << run.Message();
    EXPECT_EQ(run.Value("n")->AsInteger(), 1);
    EXPECT_EQ(run.Value("r")->AsDouble(), 2.0);
    EXPECT_TRUE(run.Value("b")->AsBoolean());
}

TEST(InterpreterLimits, DeeperNestingIsRefusedWithoutExhaustingTheStack) {
    for (const std::string& open : {std::string("("), std::string("abs("), std::string("-("),
                                    std::string("f.verschieben(")}) {
        std::string line = "r := ";
        for (int i = 0; i < 100000; ++i) line += open;
        TRun run({"r: real", "f: Figur", line});
        run.ToEnd();
        EXPECT_EQ(run.Message(), Meldung::ZuTiefGeschachtelt) << open;
    }
}

TEST(InterpreterLimits, HundredThousandNestedCallsThenAMessage) {
    TRun run({"tiefe: integer", "methode f()", "tiefe := tiefe + 1", "f()", "ende", "f()"});
    run.ToEnd();
    EXPECT_EQ(run.Message(), Meldung::ZuVieleAufrufe);
    EXPECT_EQ(run.Interpreter->CallDepth(), TInterpreter::MaxCallDepth);
    EXPECT_EQ(run.Value("tiefe")->AsInteger(), TInterpreter::MaxCallDepth);
}

// The memory budget ends a run as any runtime error does, at the statement
// that would pass it, whichever way the texts pile up: kept in text field
// lines (also copied to another field) or passed down a recursion. What the
// run counted is given back with the run.
TEST(InterpreterLimits, MemoryBudgetEndsTheRunAndItsCountBalances) {
    const std::int64_t before = ProgramMemory::Texts();
    {
        TRun run({"t: Textfeld", "u: Textfeld", "s: String", "s := 'abcdefghijklmnopqrstuvwxyz'",
                  "wiederhole 12 mal", "s := s + s", "*wiederhole", "t.zeileHinzufuegen(s)", "u := t",
                  "t.zeilenLoeschen()", "t.zeileHinzufuegen(s + s)", "methode m(x: String)", "m(x + s)", "ende",
                  "m(s)"});
        constexpr std::int64_t Budget = std::int64_t{8} << 20;
        run.Interpreter->SetMaxMemory(Budget);
        run.ToEnd();
        EXPECT_EQ(run.Message(), Meldung::ArbeitsspeicherReichtNicht);
        ASSERT_TRUE(run.Interpreter->Error());
        EXPECT_EQ(run.Interpreter->Error()->Line, 12);  // m(x + s)
        // The three lines, s, and some ten calls each holding a longer text.
        EXPECT_LE(run.Interpreter->MemoryInUse(), Budget);
        EXPECT_GT(run.Interpreter->MemoryInUse(), Budget / 2);
        EXPECT_GT(run.Interpreter->CallDepth(), 5);
    }
    EXPECT_EQ(ProgramMemory::Texts(), before);
}

TEST(InterpreterMethods, ReturnLeavesStackScopesAndDepthAsBefore) {
    TRun run({"summe: integer", "methode f(n: integer; *s: integer)", "k: integer",
              "wiederhole (n) mal", "s := s + 1", "*wiederhole", "wenn n > 0 dann",
              "f(n - 1, s)", "*wenn", "ende", "wiederhole 2 mal", "f(3, summe)", "*wiederhole"});
    run.ToEnd();
    EXPECT_FALSE(run.Interpreter->ErrorFlag()) << run.Message();
    EXPECT_EQ(run.Value("summe")->AsInteger(), 12);
    EXPECT_EQ(run.Interpreter->StackCount(), 0);
    EXPECT_EQ(run.Interpreter->VarSpace().ScopeCount(), 0);
    EXPECT_EQ(run.Interpreter->CallDepth(), 0);
    EXPECT_EQ(run.Interpreter->BlockDepth(), 0);
}

// Objects declared in a method are freed at its `ende`: neither the window
// list nor a fuer block may keep referring to them.
TEST(InterpreterMethods, LocalObjectsLeaveNoReferencesBehind) {
    TRun run({"n: integer", "methode m()", "w: Fenster", "f: Figur", "fuer f.randfarbe",
              "setzergb(1, 2, 3)", "ende", "m()", "n := 1", "m()", "n := 2", "setzergb(4, 5, 6)"});
    run.ToEnd();
    EXPECT_EQ(run.Message(), "Den Bezeichner setzergb gibt es nicht.");
    EXPECT_EQ(run.Value("n")->AsInteger(), 2);
    EXPECT_TRUE(run.Interpreter->Windows().empty());
}

// Random token soup and random bytes: every run ends (at its end, with an
// error, or at the step limit) and leaves nothing behind. After every step
// without an error the stack holds the open blocks' markers and nothing
// else: two or three values per open loop, three per call, one per `wenn`
// still open (the top level never has more than its text has), and each
// call has exactly its own scope.
TEST(InterpreterRobustness, ArbitraryTextNeverCrashes) {
    const std::vector<std::string> words = {
        "wiederhole", "*wiederhole", "solange", "*solange", "wenn", "*wenn", "dann", "sonst",
        "tue", "mal", "immer", "bis", "fuer", "*f\xFCr", "methode", "ende", "n", "f", "r", ":",
        ":=", ",", ";", "(", ")", ".", "+", "-", "*", "/", "<", "=", "1", "0", "2.5", "'s'",
        "integer", "Figur", "nicht", "und", "wahr", "links", "verschieben", "{", "}", "//", "m"};
    std::mt19937 random(20241207);
    int clean = 0;
    int steps = 0;
    for (int program = 0; program < 300; ++program) {
        // A clean start, so that every run has steps to check: a loop with
        // a condition and a call.
        std::vector<std::string> lines = {"n: integer", "f: Figur", "methode m(*x: integer)", "x := x + 1",
                                          "ende", "wiederhole 3 mal", "wenn n < 5 dann", "m(n)", "*wenn",
                                          "*wiederhole"};
        int wenns = 1;  // the one of the start
        for (int l = 0; l < 12; ++l) {
            std::string line;
            int count = random() % 8;
            for (int w = 0; w < count; ++w) {
                const std::string& word = words[random() % words.size()];
                wenns += word == "wenn";
                line += word + " ";
            }
            if (program % 3 == 0)
                for (int b = 0; b < 5; ++b) line += static_cast<char>(random() % 256);
            lines.push_back(line);
        }
        TRun run(lines);
        TInterpreter& interpreter = *run.Interpreter;
        for (int step = 0; step < 20000 && !run.Scanner.AtEnd() && !interpreter.ErrorFlag(); ++step) {
            interpreter.Step(false);
            ++steps;
            if (interpreter.ErrorFlag()) break;
            SCOPED_TRACE("program " + std::to_string(program) + " step " + std::to_string(step));
            const int blocks = interpreter.BlockDepth();
            const int calls = interpreter.CallDepth();
            ASSERT_EQ(interpreter.VarSpace().ScopeCount(), calls);
            ASSERT_GE(interpreter.StackCount(), 2 * blocks + 3 * calls);
            if (calls == 0) {
                ASSERT_LE(interpreter.StackCount(), 3 * blocks + wenns);
            }
        }
        clean += !interpreter.ErrorFlag();
    }
    // Not every run fails at once: the invariants were checked on real runs.
    EXPECT_GT(clean, 0);
    EXPECT_GT(steps, 300 * 12);
}

TEST(DefaultWindowFlag, FigureWithoutWindow) {
    EXPECT_TRUE(NeedsDefaultWindow(TStringLines({"n: integer", "a, b: Figur"})));
    EXPECT_FALSE(NeedsDefaultWindow(TStringLines({"a: Figur", "w: Fenster"})));
    EXPECT_FALSE(NeedsDefaultWindow(TStringLines({"n, m: integer", "c: Farbe"})));
    // Only declarations outside method bodies count; parameters never do.
    EXPECT_FALSE(NeedsDefaultWindow(
        TStringLines({"methode m(*g: Figur)", "h: Figur", "ende", "f(a, b)"})));
    EXPECT_TRUE(NeedsDefaultWindow(TStringLines({"methode m()", "ende", "x, y, z: FIGUR"})));
}

TEST(VariablesView, ChangedValuesAreMarkedOnce) {
    using namespace VariablenText;
    TRun run({"n: integer", "f: Figur", "methode m(k: integer)", "s: string", "*wenn", "ende",
              "m(4)"});
    run.ToEnd();
    std::vector<std::string> cells = VariableCells(run.Interpreter->VarSpace());
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[0], std::string("\1k\2 = \3") + "4" + "\4");
    EXPECT_EQ(StripMarks(cells[1]), "s = ''");
    EXPECT_EQ(StripMarks(cells[2]), "n = 0");
    EXPECT_EQ(cells[3].rfind("\1f\2 = (\1sichtbar\2 = \3wahr\4,", 0), 0u) << cells[3];
    // Shown once, the flags are cleared: the next refresh is all black.
    for (const std::string& cell : VariableCells(run.Interpreter->VarSpace()))
        EXPECT_EQ(cell.find('\3'), std::string::npos) << cell;
}

} // namespace
