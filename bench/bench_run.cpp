// The run loop of the main window at speed 30: one tick is to execute up to
// 10 counted statements and fit in the 1 ms timer interval. Measured on the
// offscreen platform, with and without a drawing window to repaint.
//   build/bench/bench_run
#include "UCriticalSections.h"
#include "UMain.h"
#include "UQtDrawingWindowHost.h"
#include "USHControl.h"
#include "USyntaxcheck.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_run";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Ticks a running program; the loop never ends, so every tick has work.
void RunTicks(benchmark::State& state, const std::vector<std::string>& program) {
    App();
    TQtDrawingWindowHost host;
    TFMain window;
    window.RunTimer().stop();
    window.show();
    window.Editor()->LoadLines(program);
    window.Syntaxcheck()->WaitUntilIdle();
    window.BStartenClick();
    window.StartExecute();
    for (auto _ : state) window.TimerTimer();
    state.counters["ticks/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    window.BBearbeitenClick();
}

void BM_TickWithoutFigures(benchmark::State& state) {
    RunTicks(state, {"n: integer", "wiederhole immer", "n := n + 1", "*wiederhole"});
}
BENCHMARK(BM_TickWithoutFigures)->Unit(benchmark::kMicrosecond);

void BM_TickTurningARectangle(benchmark::State& state) {
    RunTicks(state, {"r: Rechteck", "wiederhole immer", "r.drehen(1)", "*wiederhole"});
}
BENCHMARK(BM_TickTurningARectangle)->Unit(benchmark::kMicrosecond);

// Ten figure statements per tick among a few figures that stay put: every
// statement repaints the window from its kept background and the figures.
void BM_TickOfTenFigureStatements(benchmark::State& state) {
    RunTicks(state, {"haus: Rechteck", "dach: Dreieck", "sonne: Kreis", "boden: Linie", "ball: Kreis",
                     "haus.eckenSetzen(-100, 20, 100, -120)", "haus.fuellfarbeSetzen(hellgrau)",
                     "dach.eckenSetzen(-120, 20, 0, 110, 120, 20)", "dach.fuellfarbeSetzen(rot)",
                     "sonne.radiusSetzen(30)", "sonne.fuellfarbeSetzen(gelb)",
                     "boden.endpunkteSetzen(-220, -120, 220, -120)", "ball.radiusSetzen(15)",
                     "wiederhole immer",
                     "ball.verschieben(1, 1)", "ball.verschieben(1, -1)", "ball.verschieben(-1, 1)",
                     "ball.verschieben(-1, -1)", "ball.verschieben(2, 0)", "ball.verschieben(-2, 0)",
                     "sonne.verschieben(1, 0)", "sonne.verschieben(-1, 0)", "ball.verschieben(0, 2)",
                     "ball.verschieben(0, -2)",
                     "*wiederhole"});
}
BENCHMARK(BM_TickOfTenFigureStatements)->Unit(benchmark::kMicrosecond);

void BM_TickWithTheVariablesView(benchmark::State& state) {
    App();
    TQtDrawingWindowHost host;
    TFMain window;
    window.RunTimer().stop();
    window.show();
    window.Editor()->LoadLines({"a, b, c: integer", "r: Rechteck", "wiederhole immer", "a := a + 1", "*wiederhole"});
    window.Syntaxcheck()->WaitUntilIdle();
    window.BStartenClick();
    window.BVariablenClick();
    // Follow mode: one call per tick, the line and the variables follow it.
    window.findChild<QWidget*>("TBSpeed")->setProperty("value", 14);
    window.StartExecute();
    for (auto _ : state) window.TimerTimer();
    window.BBearbeitenClick();
}
BENCHMARK(BM_TickWithTheVariablesView)->Unit(benchmark::kMicrosecond);

} // namespace
