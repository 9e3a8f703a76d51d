// The recovery journal of a program of 100 000 lines: the bytes as saving
// writes them, the emptiness check, and the whole write of the journal
// (QSaveFile, which syncs to disk before the rename) on its thread.
#include "URecovery.h"
#include "USHControl.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_recovery";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

std::unique_ptr<TSHControl> Editor() {
    App();
    auto editor = std::make_unique<TSHControl>();
    std::vector<std::string> text;
    for (int i = 0; i < 100000; ++i) text.push_back(i % 3 ? "   r.drehen(10) // zehn Grad weiter" : "wiederhole 36 mal");
    editor->LoadLines(std::move(text));
    editor->SetModified(true);
    return editor;
}

void BM_FileBytes(benchmark::State& state) {
    auto editor = Editor();
    for (auto _ : state) benchmark::DoNotOptimize(editor->FileBytes("// ZAK 1.5 - Programm"));
}
BENCHMARK(BM_FileBytes)->Unit(benchmark::kMillisecond);

void BM_TextIsEmpty(benchmark::State& state) {
    auto editor = Editor();
    for (auto _ : state) benchmark::DoNotOptimize(editor->TextIsEmpty());
}
BENCHMARK(BM_TextIsEmpty)->Unit(benchmark::kMillisecond);

// What a timer tick of the recovery costs the GUI thread when a journal is
// due, and the write behind it.
void BM_WriteCopy(benchmark::State& state) {
    auto editor = Editor();
    QTemporaryDir data;
    qputenv("XDG_STATE_HOME", data.path().toLocal8Bit());
    TRecovery recovery;
    recovery.Wanted = [&] { return editor->Modified() && !editor->TextIsEmpty(); };
    recovery.Bytes = [&] { return editor->FileBytes("// ZAK 1.5 - Programm"); };
    recovery.FileName = [] { return QStringLiteral("/tmp/gross.zak"); };
    for (auto _ : state) {
        recovery.Changed();
        recovery.Flush();
        recovery.Settle();
    }
    recovery.Finish();
}
BENCHMARK(BM_WriteCopy)->Unit(benchmark::kMillisecond);

} // namespace
