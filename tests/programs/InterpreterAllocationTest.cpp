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
