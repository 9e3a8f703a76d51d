// Interpreter speed: statements per second of a tight loop and of program
// method calls (each Step is one statement; items/s is statements/s).
#include "UInterpreter.h"
#include "UScanner.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

void RunSteps(benchmark::State& state, std::vector<std::string> program) {
    TStringLines lines(std::move(program));
    TScanner scanner;
    scanner.Load(lines);
    TInterpreter interpreter(scanner, false);
    scanner.SkipBlanks();
    for (auto _ : state) {
        interpreter.Step(false);
        if (interpreter.ErrorFlag()) {
            state.SkipWithError(interpreter.Error()->Message.c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void TightLoop(benchmark::State& state) {
    RunSteps(state, {"n, s: integer", "r: real", "wiederhole immer", "n := n + 1",
                     "s := (s + n * 3) / 2", "r := sin(n) * 2.5 + r / 2", "*wiederhole"});
}
BENCHMARK(TightLoop);

void MethodCalls(benchmark::State& state) {
    RunSteps(state, {"n: integer", "methode erhoehe(x: integer; *y: integer)", "y := y + x", "ende",
                     "wiederhole immer", "erhoehe(1, n)", "*wiederhole"});
}
BENCHMARK(MethodCalls);

void FigureCalls(benchmark::State& state) {
    RunSteps(state, {"f: Figur", "wiederhole immer", "f.verschieben(1, -1)",
                     "f.verschieben(-1, 1)", "f.links := f.links + 0", "*wiederhole"});
}
BENCHMARK(FigureCalls);

// Every call of a deep recursion looks up its parameter and a global while
// all its callers' parameters are alive: the statement rate must not fall
// with the depth (compare the two arguments).
void DeepRecursion(benchmark::State& state) {
    RunSteps(state, {"tiefe: integer", "methode ab(n: integer)", "tiefe := tiefe + n",
                     "wenn n > 1 dann", "ab(n - 1)", "*wenn", "ende", "wiederhole immer",
                     "tiefe := 0", "ab(" + std::to_string(state.range(0)) + ")", "*wiederhole"});
}
BENCHMARK(DeepRecursion)->Arg(100)->Arg(50000);

} // namespace
