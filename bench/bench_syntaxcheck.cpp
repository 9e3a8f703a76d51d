// One pass of the syntax check over a 10 000-line program must take a few
// tens of milliseconds at most, so that the hint follows the typing closely.
// Measured: the bare pass, the pass over a program with many declared names
// (every lookup walks the variable space), and a whole background check from
// Trigger to idle, text copy included.
#include "UKlassen.h"
#include "USyntaxcheck.h"
#include "USyntaxcheckThread.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A pupil's program grown to `count` lines: methods with parameters, loops,
// conditions, calls with arguments, string and real arithmetic.
TStringLines Program(int count, int variables) {
    TStringLines text;
    text.Lines = {
        "methode quadrat(*f: Figur; seite: integer)",
        "   f.eckenSetzen(0, 0, seite, seite)",
        "   wenn seite > 10 dann",
        "      f.drehen(seite / 2)",
        "   sonst",
        "      f.drehen(1.5 * sin(seite))",
        "   *wenn",
        "ende",
        "w: Fenster",
        "f: Figur",
        "s: string",
    };
    for (int i = 0; i < variables; ++i) text.Lines.push_back("n" + std::to_string(i) + ", m" + std::to_string(i) + ": integer");
    static const char* const block[] = {
        "wiederhole (n0) mal",
        "   quadrat(f, n1 * 10 + zufall(1, 6))",
        "   wenn f.links > 3 und nicht (n0 = 2) dann",
        "      s := 'Runde ' + n0 + ': ' + f.randfarbe.rot",
        "      n0 := n0 + 1",
        "   *wenn",
        "*wiederhole",
        "solange n1 < 100 tue",
        "   n1 := n1 + round(abs(-2.5))",
        "   w.zeichne(f) // zeigen",
        "*solange",
        "fuer f",
        "   linksSetzen(oben - 1)",
        "*f\xFCr",
    };
    for (int i = 0; static_cast<int>(text.Lines.size()) < count || i % 14 != 0; ++i)
        text.Lines.push_back(block[i % 14]);
    return text;
}

void Pass(benchmark::State& state, const TStringLines& text) {
    TKlassenFabrik factory;
    TSyntaxcheckThread check(factory);
    for (auto _ : state) {
        TSyntaxcheckResult result = check.Pass(text);
        if (result.Error) state.SkipWithError(result.Error->Message.c_str());
        benchmark::DoNotOptimize(result.Space.get());
    }
}

void BM_Pass10000Lines(benchmark::State& state) { Pass(state, Program(10000, 20)); }
BENCHMARK(BM_Pass10000Lines)->Unit(benchmark::kMillisecond);

void BM_Pass10000LinesManyNames(benchmark::State& state) { Pass(state, Program(10000, 1000)); }
BENCHMARK(BM_Pass10000LinesManyNames)->Unit(benchmark::kMillisecond);

void BM_BackgroundCheck10000Lines(benchmark::State& state) {
    const TStringLines text = Program(10000, 20);
    TSyntaxcheck check(text);
    for (auto _ : state) {
        check.Trigger();
        check.WaitUntilIdle();
    }
}
BENCHMARK(BM_BackgroundCheck10000Lines)->Unit(benchmark::kMillisecond);

} // namespace
