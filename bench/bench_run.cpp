// The run loop of the main window at speed 30: one tick is to execute up to
// 10 counted statements and fit in the 1 ms timer interval. Measured on the
// offscreen platform (or the display in DISPLAY, e.g. under xvfb-run), with
// and without a drawing window to repaint.
//   build/bench/bench_run
//   xvfb-run -a build/bench/bench_run --benchmark_filter=Hundreds --benchmark_repetitions=5
// The "Hundreds" benchmarks take a program of some 300 figures (rectangles,
// circles, text fields, a group of 100 squares, a turtle with a long trail)
// that moves a few of them in a loop, with the paints put off (deferred:1)
// and with every window painted after every statement (deferred:0).
// ZAK_FULL_PAINTS=1 turns off redrawing only the damaged box.
#include "UCriticalSections.h"
#include "UFehler.h"
#include "ULineSource.h"
#include "UScanner.h"
#include "UDeferredPaint.h"
#include "UDrawCanvas.h"
#include "UFenster.h"
#include "UInterpreter.h"
#include "UMain.h"
#include "UQtDrawingWindowHost.h"
#include "USHControl.h"
#include "USyntaxcheck.h"
#include "UVariablen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSlider>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <malloc.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_run";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
        // The reference for comparing ticks: every paint draws the whole picture.
        if (std::getenv("ZAK_FULL_PAINTS")) DeferredPaint::Shortcuts().DamagedOnly = false;
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

// 300 figures and a turtle whose trail has 400 segments. The loop runs
// `phase := 1` once the figures stand; each round executes LoopStatements
// counted statements and counts itself in `runden`. With `probe` the turtle
// also asks whether it stands on something, once a round.
constexpr int LoopStatements = 10;

std::vector<std::string> HundredsOfFigures(bool probe) {
    std::vector<std::string> p{"g: Gruppe"};
    auto declare = [&](char letter, int count, const char* cls) {
        for (int i = 1; i <= count; i += 10) {
            std::string line;
            for (int k = i; k < i + 10 && k <= count; ++k) line += (k > i ? ", " : "") + std::string(1, letter) + std::to_string(k);
            p.push_back(line + ": " + cls);
        }
    };
    declare('q', 100, "Quadrat");
    declare('r', 150, "Rechteck");
    declare('k', 30, "Kreis");
    declare('t', 20, "Textfeld");
    p.push_back("s: Turtle");
    p.push_back("phase, runden, n: integer");
    const char* colours[] = {"rot", "gelb", "blau", "gruen", "hellgrau", "braun", "hellblau", "weiss"};
    for (int i = 0; i < 100; ++i) {
        const int x = i % 10 * 14 - 70, y = i / 10 * 14 - 70;
        p.push_back("q" + std::to_string(i + 1) + ".linksObenSetzen(" + std::to_string(x) + ", " + std::to_string(y + 10) + ")");
        p.push_back("g.schlucke(q" + std::to_string(i + 1) + ")");
    }
    p.push_back("g.fuellfarbeSetzen(gelb)");
    for (int i = 0; i < 150; ++i) {
        const int x = i % 15 * 28 - 210, y = i / 15 * 36 - 180;
        const std::string r = "r" + std::to_string(i + 1);
        p.push_back(r + ".eckenSetzen(" + std::to_string(x) + ", " + std::to_string(y + 20) + ", " + std::to_string(x + 20) + ", " + std::to_string(y) + ")");
        p.push_back(r + ".fuellfarbeSetzen(" + colours[i % 8] + ")");
    }
    for (int i = 0; i < 30; ++i)
        p.push_back("k" + std::to_string(i + 1) + ".mittelpunktSetzen(" + std::to_string(i % 15 * 26 - 190) + ", " + std::to_string(i / 15 * 40 - 60) + ")");
    for (int i = 0; i < 20; ++i) {
        const std::string t = "t" + std::to_string(i + 1);
        p.push_back(t + ".zeileHinzufuegen('Text " + std::to_string(i + 1) + "')");
        p.push_back(t + ".linksObenSetzen(" + std::to_string(i % 5 * 80 - 200) + ", " + std::to_string(i / 5 * 30 + 150) + ")");
    }
    p.insert(p.end(), {"s.farbeSetzen(blau)", "s.linienstaerkeSetzen(1)",
                       "wiederhole 400 mal", "s.vor(90)", "s.rechtsdrehen(121)", "*wiederhole",
                       "phase := 1",
                       "wiederhole immer",
                       "r1.verschieben(1, 0)", "k1.verschieben(0, 1)", "g.drehen(2)", "s.vor(3)", "s.rechtsdrehen(7)"});
    if (probe) p.insert(p.end(), {"wenn s.aufPunkt() dann", "n := n + 1", "*wenn"});
    else p.push_back("n := n + 1");
    p.insert(p.end(), {"r2.verschieben(-1, 0)", "k2.verschieben(0, -1)", "t1.verschieben(1, 1)", "runden := runden + 1",
                       "*wiederhole"});
    return p;
}

int Variable(TFMain& window, const char* name) {
    TVariant* v = window.Interpreter() ? window.Interpreter()->VarSpace().Lookup(name) : nullptr;
    return v ? v->AsInteger() : 0;
}

// Starts the program at the given speed with paints deferred or not, and
// ticks until the figures stand.
struct TAppFirst {
    TAppFirst() { App(); }
};

struct THundredsRun : TAppFirst {
    THundredsRun(bool deferred, bool probe, int speed) {
        const TPaintShortcuts before = DeferredPaint::Shortcuts();
        DeferredPaint::Shortcuts().Defer = deferred;
        Window.RunTimer().stop();
        Window.show();
        Window.Editor()->LoadLines(HundredsOfFigures(probe));
        Window.Syntaxcheck()->WaitUntilIdle();
        Window.BStartenClick();
        DeferredPaint::Shortcuts() = before;
        Window.findChild<QSlider*>("TBSpeed")->setValue(30);
        Window.StartExecute();
        while (Variable(Window, "phase") == 0 && Window.Interpreter() && !Window.Interpreter()->ErrorFlag())
            Window.TimerTimer();
        Window.findChild<QSlider*>("TBSpeed")->setValue(speed);
    }
    ~THundredsRun() { Window.BBearbeitenClick(); }

    TQtDrawingWindowHost Host;
    TFMain Window;
};

// One tick as the timer calls it: messages (the screen among them), then up
// to ten statements that move figures.
void BM_TickHundredsOfFigures(benchmark::State& state) {
    THundredsRun run(state.range(0) != 0, state.range(1) != 0, 30);
    const int before = Variable(run.Window, "runden");
    for (auto _ : state) run.Window.TimerTimer();
    const double statements = double(Variable(run.Window, "runden") - before) * LoopStatements;
    state.counters["statements/s"] = benchmark::Counter(statements, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TickHundredsOfFigures)
    ->ArgsProduct({{0, 1}, {0, 1}})->ArgNames({"deferred", "probe"})->Unit(benchmark::kMicrosecond);

// The probing case again with every probe settling its whole paint, to
// compare in one run.
void BM_TickHundredsOfFiguresProbesPaint(benchmark::State& state) {
    DeferredPaint::Shortcuts().ProbesWithoutPainting = false;
    THundredsRun run(true, true, 30);
    const int before = Variable(run.Window, "runden");
    for (auto _ : state) run.Window.TimerTimer();
    const double statements = double(Variable(run.Window, "runden") - before) * LoopStatements;
    state.counters["statements/s"] = benchmark::Counter(statements, benchmark::Counter::kIsRate);
    DeferredPaint::Shortcuts().ProbesWithoutPainting = true;
}
BENCHMARK(BM_TickHundredsOfFiguresProbesPaint)->Unit(benchmark::kMicrosecond);

// The table of one speed-30 tick (ten counted statements) against what the
// window shows. Each program sets its figures up, runs `phase := 1` and then
// loops over statements that move one figure (or the turtle) and count
// themselves in `runden`.
std::vector<std::string> Declared(const std::string& prefix, int count, const char* cls) {
    std::vector<std::string> p;
    for (int i = 1; i <= count; i += 50) {
        std::string line;
        for (int k = i; k < i + 50 && k <= count; ++k) line += (k > i ? ", " : "") + prefix + std::to_string(k);
        p.push_back(line + ": " + cls);
    }
    return p;
}

// Ten counted statements per round: one moves a figure there and back, the
// others count.
void AppendMovingLoop(std::vector<std::string>& p, const std::string& figure) {
    p.insert(p.end(), {"phase := 1", "wiederhole immer", figure + ".verschieben(1, 0)", figure + ".verschieben(-1, 0)"});
    for (int i = 0; i < 7; ++i) p.push_back("n := n + 1");
    p.insert(p.end(), {"runden := runden + 1", "*wiederhole"});
}

std::vector<std::string> StandingRectangles(int count) {
    std::vector<std::string> p = Declared("r", count, "Rechteck");
    p.push_back("phase, runden, n: integer");
    for (int i = 1; i <= count; ++i) {
        const int x = (i * 37) % 560 - 280, y = (i * 53) % 400 - 200;
        p.push_back("r" + std::to_string(i) + ".eckenSetzen(" + std::to_string(x) + ", " + std::to_string(y + 30) +
                    ", " + std::to_string(x + 40) + ", " + std::to_string(y) + ")");
    }
    return p;
}

std::vector<std::string> Rectangles(int count) {
    std::vector<std::string> p = StandingRectangles(count);
    AppendMovingLoop(p, "r1");
    return p;
}

std::vector<std::string> Circles(int count) {
    std::vector<std::string> p = Declared("k", count, "Kreis");
    p.push_back("phase, runden, n: integer");
    for (int i = 1; i <= count; ++i)
        p.push_back("k" + std::to_string(i) + ".mittelpunktSetzen(" + std::to_string((i * 37) % 560 - 280) + ", " +
                    std::to_string((i * 53) % 400 - 200) + ")");
    AppendMovingLoop(p, "k1");
    return p;
}

// Text fields, triangles, lines and groups of squares, 125 of each kind.
std::vector<std::string> Mixed() {
    std::vector<std::string> p = Declared("t", 125, "Textfeld");
    for (auto& l : Declared("d", 125, "Dreieck")) p.push_back(l);
    for (auto& l : Declared("l", 125, "Linie")) p.push_back(l);
    for (auto& l : Declared("g", 25, "Gruppe")) p.push_back(l);
    for (auto& l : Declared("q", 100, "Quadrat")) p.push_back(l);
    p.push_back("phase, runden, n: integer");
    for (int i = 1; i <= 125; ++i) {
        const std::string x = std::to_string((i * 37) % 560 - 280), y = std::to_string((i * 53) % 400 - 200);
        const std::string s = std::to_string(i);
        p.push_back("t" + s + ".zeileHinzufuegen('Text " + s + "')");
        p.push_back("t" + s + ".linksObenSetzen(" + x + ", " + y + ")");
        p.push_back("d" + s + ".verschieben(" + y + ", " + x + ")");
        p.push_back("l" + s + ".verschieben(" + x + ", " + y + ")");
    }
    for (int i = 1; i <= 100; ++i) {
        const std::string s = std::to_string(i);
        p.push_back("q" + s + ".verschieben(" + std::to_string((i * 29) % 500 - 250) + ", " + std::to_string((i * 41) % 360 - 180) + ")");
        p.push_back("g" + std::to_string((i - 1) / 4 + 1) + ".schlucke(q" + s + ")");
    }
    AppendMovingLoop(p, "g1");
    return p;
}

// 500 rectangles in the main drawing window while the loop changes only a
// second window.
std::vector<std::string> SecondWindow() {
    std::vector<std::string> p = StandingRectangles(500);
    p.insert(p.begin(), "f: Fenster");
    p.insert(p.end(), {"phase := 1", "wiederhole immer", "f.hintergrundfarbeSetzen(rot)", "f.hintergrundfarbeSetzen(blau)"});
    for (int i = 0; i < 7; ++i) p.push_back("n := n + 1");
    p.insert(p.end(), {"runden := runden + 1", "*wiederhole"});
    return p;
}

// A turtle with `segments` segments of its trail, drawing on.
std::vector<std::string> TurtleTrail(int segments) {
    std::vector<std::string> p{"s: Turtle", "phase, runden, n: integer", "wiederhole " + std::to_string(segments) + " mal",
                               "s.vor(90)", "s.rechtsdrehen(121)", "*wiederhole", "phase := 1", "wiederhole immer",
                               "s.vor(90)", "s.rechtsdrehen(121)"};
    for (int i = 0; i < 7; ++i) p.push_back("n := n + 1");
    p.insert(p.end(), {"runden := runden + 1", "*wiederhole"});
    return p;
}

// A square spiral whose segments grow by one pixel: after some 3,000 of them
// its trail covers the whole window.
std::vector<std::string> Spiral() {
    std::vector<std::string> p{"s: Turtle", "phase, runden, n, a: integer", "phase := 1", "wiederhole immer",
                               "a := a + 1", "s.vor(a / 4)", "s.rechtsdrehen(91)"};
    for (int i = 0; i < 6; ++i) p.push_back("n := n + 1");
    p.insert(p.end(), {"runden := runden + 1", "*wiederhole"});
    return p;
}

struct TFiguresRun : TAppFirst {
    explicit TFiguresRun(const std::vector<std::string>& program) {
        Window.RunTimer().stop();
        Window.show();
        Window.Editor()->LoadLines(program);
        Window.Syntaxcheck()->WaitUntilIdle();
        Window.BStartenClick();
        Window.findChild<QSlider*>("TBSpeed")->setValue(30);
        Window.StartExecute();
        while (Variable(Window, "phase") == 0 && Window.Interpreter() && !Window.Interpreter()->ErrorFlag())
            Window.TimerTimer();
    }
    ~TFiguresRun() { Window.BBearbeitenClick(); }

    TQtDrawingWindowHost Host;
    TFMain Window;
};

// The time per tick is the measure: the budget is 1 ms for ten statements.
void TickTable(benchmark::State& state, const std::vector<std::string>& program) {
    TFiguresRun run(program);
    const int before = Variable(run.Window, "runden");
    for (auto _ : state) run.Window.TimerTimer();
    const double statements = double(Variable(run.Window, "runden") - before) * LoopStatements;
    state.counters["statements/s"] = benchmark::Counter(statements, benchmark::Counter::kIsRate);
    if (run.Window.Interpreter() && run.Window.Interpreter()->ErrorFlag()) state.SkipWithError("runtime error");
}

void BM_TableRectangles(benchmark::State& state) { TickTable(state, Rectangles(int(state.range(0)))); }
BENCHMARK(BM_TableRectangles)->Arg(1)->Arg(50)->Arg(500)->Unit(benchmark::kMicrosecond);

void BM_TableCircles(benchmark::State& state) { TickTable(state, Circles(int(state.range(0)))); }
BENCHMARK(BM_TableCircles)->Arg(500)->Unit(benchmark::kMicrosecond);

void BM_TableMixed(benchmark::State& state) { TickTable(state, Mixed()); }
BENCHMARK(BM_TableMixed)->Unit(benchmark::kMicrosecond);

void BM_TableSecondWindow(benchmark::State& state) { TickTable(state, SecondWindow()); }
BENCHMARK(BM_TableSecondWindow)->Unit(benchmark::kMicrosecond);

void BM_TableTurtleTrail(benchmark::State& state) { TickTable(state, TurtleTrail(int(state.range(0)))); }
BENCHMARK(BM_TableTurtleTrail)->Arg(1000)->Arg(20000)->Arg(50000)->Unit(benchmark::kMicrosecond);

// The spiral keeps growing over the iterations; a fixed count of ticks
// (9,000 statements) lets it cover the window.
void BM_TableSpiral(benchmark::State& state) { TickTable(state, Spiral()); }
BENCHMARK(BM_TableSpiral)->Iterations(900)->Unit(benchmark::kMicrosecond);

// The whole spiral of 3,000 growing segments (9,000 statements) at speed 30
// in the IDE with its own timer and event loop, wall clock from Start to the
// end: the time a pupil waits, which the web page is compared with.
void BM_IdeSpiralToItsEnd(benchmark::State& state) {
    App();
    const std::vector<std::string> program{"s: Turtle", "a: integer", "wiederhole 3000 mal", "a := a + 1",
                                           "s.vor(a / 4)", "s.rechtsdrehen(91)", "*wiederhole"};
    for (auto _ : state) {
        TQtDrawingWindowHost host;
        TFMain window;
        window.show();
        window.Editor()->LoadLines(program);
        window.Syntaxcheck()->WaitUntilIdle();
        window.BStartenClick();
        window.findChild<QSlider*>("TBSpeed")->setValue(30);
        QElapsedTimer clock;
        clock.start();
        window.StartExecute();
        while (window.Running()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        if (window.Interpreter() && window.Interpreter()->ErrorFlag()) state.SkipWithError("runtime error");
        window.BBearbeitenClick();
    }
}
BENCHMARK(BM_IdeSpiralToItsEnd)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// One real frame paint after one of 500 rectangles moved, redrawing only
// the damaged box (damaged:1) or the whole picture (damaged:0), in one run.
// Each iteration executes one statement that moves the rectangle and settles
// the paint it owes.
void BM_FramePaintAfterMovingOne(benchmark::State& state) {
    const bool before = DeferredPaint::Shortcuts().DamagedOnly;
    DeferredPaint::Shortcuts().DamagedOnly = state.range(0) != 0;
    std::vector<std::string> p = StandingRectangles(500);
    p.insert(p.end(), {"phase := 1", "wiederhole immer", "r250.verschieben(3, 0)", "r250.verschieben(-3, 0)", "*wiederhole"});
    {
        TFiguresRun run(p);
        TInterpreter& interpreter = *run.Window.Interpreter();
        std::uint64_t damaged = 0;
        for (TFenster* w : interpreter.Windows())
            if (TDrawCanvas* canvas = w->Canvas()) damaged -= canvas->DamagedPaints;
        for (auto _ : state) {
            interpreter.Step(false);
            interpreter.SettleOwedPaints();
        }
        for (TFenster* w : interpreter.Windows())
            if (TDrawCanvas* canvas = w->Canvas()) damaged += canvas->DamagedPaints;
        state.counters["damaged"] = double(damaged);
        if (interpreter.ErrorFlag()) state.SkipWithError("runtime error");
    }
    DeferredPaint::Shortcuts().DamagedOnly = before;
}
BENCHMARK(BM_FramePaintAfterMovingOne)->Arg(0)->Arg(1)->ArgName("damaged")->Unit(benchmark::kMicrosecond);

// Bytes the heap hands out now: unlike the resident size, it also counts
// memory that an earlier repetition freed and this one takes again.
std::size_t HeapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The resident size of the process, from /proc/self/statm: what the system
// sees. It misses memory an earlier repetition freed and this one takes again.
double ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    double size = 0, resident = 0;
    statm >> size >> resident;
    return resident * double(sysconf(_SC_PAGESIZE));
}

// What a run declaring `r1, r2, ..., rN: Rechteck` adds to the heap and to
// the resident memory, measured while the run still stands: one statement on
// the default window, then the owed paint, as zak --run executes it.
struct TGrowth {
    double Heap = 0, Resident = 0;
    bool Failed = false;
};

TGrowth DeclareRectangles(int count) {
    std::string declaration;
    for (int i = 1; i <= count; ++i) declaration += (i > 1 ? ", r" : "r") + std::to_string(i);
    TStringLines lines(std::vector<std::string>{declaration + ": Rechteck"});
    TScanner scanner;
    scanner.Load(lines);
    TFehlerVerwaltung errors;
    const double heapBefore = double(HeapBytes()), residentBefore = ResidentBytes();
    TInterpreter interpreter(scanner, true, &errors);
    scanner.SkipBlanks();
    while (!scanner.AtEnd() && !interpreter.ErrorFlag()) interpreter.Step(false);
    interpreter.SettleOwedPaints();
    return {double(HeapBytes()) - heapBefore, ResidentBytes() - residentBefore, interpreter.ErrorFlag()};
}

// Ten thousand rectangles in one declaration. The memory per rectangle is
// what each adds beyond a run declaring one: the window's pictures and the
// interpreter are there for any program.
void BM_DeclareTenThousandRectangles(benchmark::State& state) {
    App();
    CriticalSections::Create();
    TQtDrawingWindowHost host;
    constexpr int Count = 10000;
    TGrowth one, all;
    for (auto _ : state) {
        one = DeclareRectangles(1);
        all = DeclareRectangles(Count);
        if (one.Failed || all.Failed) state.SkipWithError("runtime error");
    }
    state.counters["bytes/rectangle"] = (all.Heap - one.Heap) / (Count - 1);
    state.counters["resident/rectangle"] = (all.Resident - one.Resident) / (Count - 1);
    state.counters["bytes for one"] = one.Heap;
    CriticalSections::Delete();
}
BENCHMARK(BM_DeclareTenThousandRectangles)->Iterations(1)->Unit(benchmark::kMillisecond);

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The real thing: the main window's own timer at the given speed for two
// seconds of wall time, the event loop running as in the IDE. Reports the
// statements executed per second and the share of one core used.
void BM_RealTimeHundredsOfFigures(benchmark::State& state) {
    THundredsRun run(state.range(0) != 0, false, int(state.range(1)));
    if (state.range(2)) run.Window.BVariablenClick();
    constexpr int Ms = 2000;
    double statements = 0, cpu = 0, wall = 0;
    for (auto _ : state) {
        const int before = Variable(run.Window, "runden");
        const double cpuBefore = CpuSeconds();
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        QTimer::singleShot(Ms, &loop, &QEventLoop::quit);
        run.Window.RunTimer().start();
        loop.exec();
        run.Window.RunTimer().stop();
        wall += clock.nsecsElapsed() / 1e9;
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        cpu += CpuSeconds() - cpuBefore;
        statements += double(Variable(run.Window, "runden") - before) * LoopStatements;
    }
    state.counters["statements/s"] = statements / wall;
    state.counters["cpu%"] = 100 * cpu / wall;
}
BENCHMARK(BM_RealTimeHundredsOfFigures)
    ->ArgsProduct({{0, 1}, {30, 20, 10}, {0}})->ArgNames({"deferred", "speed", "variables"})
    ->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
// The fastest speed that follows every statement in the editor, with the
// variables view of all 300 figures open.
BENCHMARK(BM_RealTimeHundredsOfFigures)
    ->ArgsProduct({{1}, {14}, {0, 1}})->ArgNames({"deferred", "speed", "variables"})
    ->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
