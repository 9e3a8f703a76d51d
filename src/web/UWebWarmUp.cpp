// The warm-up of a freshly loaded module. A browser engine compiles a
// WebAssembly function when it is first called and optimises it only after it
// has run for a while, so a pupil's first run would spend its first tenth of
// a second compiling the interpreter. The page runs this small program once,
// in its run worker before the pupil's first start, through the paths every
// program takes: statements, expressions, method calls, loops, conditions,
// figures drawn on a window. The compiled code belongs to the module, which
// the page shares with every later worker.
#include "UWebApi.h"

#include <emscripten/bind.h>

namespace {

// Counted in interpreter calls, about 60 ms on a school laptop; bounded
// by the time given as well.
constexpr double kWarmUpCalls = 400000;

constexpr const char* kWarmUpProgram =
    "// ZAK 1.5 - Programm\r\n"
    "summe: integer\r\n"
    "x: real\r\n"
    "r: Rechteck\r\n"
    "k: Kreis\r\n"
    "t: Turtle\r\n"
    "methode f(n: integer)\r\n"
    "wenn n < 2 dann\r\n"
    "summe := summe + n\r\n"
    "sonst\r\n"
    "f(n - 1)\r\n"
    "f(n - 2)\r\n"
    "*wenn\r\n"
    "ende\r\n"
    "wiederhole 20000 mal\r\n"
    "summe := summe + 1\r\n"
    "x := x * 0.5 + 1\r\n"
    "*wiederhole\r\n"
    "f(16)\r\n"
    "wiederhole 60 mal\r\n"
    "r.drehen(7)\r\n"
    "k.verschieben(1, 1)\r\n"
    "t.vor(5)\r\n"
    "t.rechtsdrehen(13)\r\n"
    "*wiederhole\r\n";

// Runs the warm-up program for at most `budgetMs` milliseconds. Call it
// while no other session runs: the drawing windows are the process's.
void WarmUp(double budgetMs) {
    TWebSession session;
    session.LoadFile(kWarmUpProgram);
    session.Start(false, 64);
    session.RunCalls(kWarmUpCalls, budgetMs);
    session.SettlePaints();
}

}  // namespace

EMSCRIPTEN_BINDINGS(zak_warm_up) { emscripten::function("warmUp", &WarmUp); }
