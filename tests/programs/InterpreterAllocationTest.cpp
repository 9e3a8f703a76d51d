// A warm interpreter evaluates expressions, and runs the statements around
// them, without touching the heap. Counting needs a replaced global operator
// new; the core test program already has one of its own, so this check
// lives in this test program instead.
#include "UInterpreter.h"
#include "UScanner.h"

#include "CountingNew.h"

#include <gtest/gtest.h>

TEST(InterpreterAllocation, WarmLoopRunsWithoutAllocating) {
#if ZAK_COUNT_ALLOCATIONS
    TStringLines lines({
        "a, b: integer",
        "r: real",
        "s: string",
        "ok: boolean",
        "f: Figur",
        "wiederhole immer",
        "a := (a + 3) * 2 / 2 - 2",
        "r := sin(a) + sqrt(abs(r)) * 2.5 - cos(-a) / 3",
        "b := f.links + round(r) - trunc(r / 2)",
        "ok := nicht (a < b) und (r >= 0.5 oder b <> 3)",
        "s := 'Wert ' + b + ' und ' + r",
        "wenn ok dann",
        "f.verschieben(1, -1)",
        "sonst",
        "f.links := b",
        "*wenn",
        "*wiederhole",
    });
    TScanner scanner;
    scanner.Load(lines);
    TInterpreter interpreter(scanner, false);
    scanner.SkipBlanks();
    for (int i = 0; i < 2000; ++i) interpreter.Step(false);
    ASSERT_FALSE(interpreter.ErrorFlag()) << interpreter.Error()->Message;

    const long before = Allocations.load();
    for (int i = 0; i < 20000; ++i) interpreter.Step(false);
    EXPECT_EQ(Allocations.load(), before);
    EXPECT_FALSE(interpreter.ErrorFlag());
    TStack probe;  // allocates its slots: the counter is live
    EXPECT_GT(Allocations.load(), before);
#else
    GTEST_SKIP() << "allocation counting is off under the sanitizers";
#endif
}

// Program method calls too: value parameters of every simple kind, variable
// parameters, recursion and a local declared in the body.
TEST(InterpreterAllocation, WarmCallsRunWithoutAllocating) {
#if ZAK_COUNT_ALLOCATIONS
    TStringLines lines({
        "summe: integer",
        "t: string",
        "methode fib(n: integer; x: real; s: string; b: boolean; *ziel: integer)",
        "k: integer",
        "k := n",
        "wenn n < 2 dann",
        "ziel := ziel + k",
        "sonst",
        "fib(n - 1, x / 2, s, nicht b, ziel)",
        "fib(n - 2, x * 2, s, b, ziel)",
        "*wenn",
        "ende",
        "t := 'ein Text, der nicht kurz ist'",
        "wiederhole immer",
        "summe := 0",
        "fib(6, 1.5, t, wahr, summe)",
        "*wiederhole",
    });
    TScanner scanner;
    scanner.Load(lines);
    TInterpreter interpreter(scanner, false);
    scanner.SkipBlanks();
    for (int i = 0; i < 5000; ++i) interpreter.Step(false);
    ASSERT_FALSE(interpreter.ErrorFlag()) << interpreter.Error()->Message;

    const long before = Allocations.load();
    for (int i = 0; i < 20000; ++i) interpreter.Step(false);
    EXPECT_EQ(Allocations.load(), before);
    EXPECT_FALSE(interpreter.ErrorFlag());
#else
    GTEST_SKIP() << "allocation counting is off under the sanitizers";
#endif
}
