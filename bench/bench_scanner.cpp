// Scanning and formatting stay linear: a text of 100 000 lines and a single
// line of 100 000 characters.
#include "UScanner.h"

#include <benchmark/benchmark.h>

namespace {

TStringLines ProgramLines(int count) {
    static const char* const block[] = {
        "wiederhole 10 mal",
        "   r.drehen(10) // eine Drehung",
        "   wenn r.x > 3.25 dann",
        "      s := 'Text mit { und }'",
        "   *wenn",
        "*wiederhole",
        "{ ein Kommentar",
        "  ueber zwei Zeilen }",
    };
    TStringLines lines;
    lines.Lines.reserve(count);
    for (int i = 0; i < count; ++i) lines.Lines.push_back(block[i % 8]);
    lines.Breakpoints.assign(count, false);
    for (int i = 0; i < count; i += 97) lines.Breakpoints[i] = true;
    return lines;
}

TStringLines LongLine(int length) {
    std::string line;
    while (static_cast<int>(line.size()) < length) line += "abc := 12 + 3.5 * x; ";
    line.resize(length);
    return TStringLines({line});
}

void ScanAll(benchmark::State& state, const TStringLines& lines) {
    std::int64_t tokens = 0;
    for (auto _ : state) {
        TScanner scanner;
        scanner.Load(lines);
        scanner.RefreshLineMarks();
        while (scanner.NextToken() != OEOF) ++tokens;
        benchmark::DoNotOptimize(scanner.GetLineColumn());
    }
    state.counters["tokens"] = benchmark::Counter(static_cast<double>(tokens), benchmark::Counter::kAvgIterations);
}

void FormatAll(benchmark::State& state, const TStringLines& lines) {
    TFormatClass format;
    for (auto _ : state) {
        TFormatResult result;
        for (const std::string& text : lines.Lines) {
            std::string line = text;
            format.FormatLine(line, result.CommentOpen, result.NextIndent, result);
            benchmark::DoNotOptimize(line);
        }
    }
}

void BM_ScanManyLines(benchmark::State& state) { ScanAll(state, ProgramLines(100000)); }
void BM_ScanLongLine(benchmark::State& state) { ScanAll(state, LongLine(100000)); }
void BM_FormatManyLines(benchmark::State& state) { FormatAll(state, ProgramLines(100000)); }
void BM_FormatLongLine(benchmark::State& state) { FormatAll(state, LongLine(100000)); }

// One identifier, brace comment, string, failed end keyword or digit run
// the length of the whole line.
void BM_ScanLongRuns(benchmark::State& state) {
    static const char* const starts[] = {"a", "{", "'", "*x", "1"};
    const std::string start = starts[state.range(0)];
    const TStringLines lines({start + std::string(100000, start == "1" ? '7' : 'x')});
    for (auto _ : state) {
        TScanner scanner;
        scanner.Load(lines);
        while (scanner.NextToken() != OEOF) {
        }
    }
    state.SetLabel(start);
}

// The error position of every statement: a binary search per call.
void BM_LineColumnEverywhere(benchmark::State& state) {
    const TStringLines lines = ProgramLines(100000);
    TScanner scanner;
    scanner.Load(lines);
    const int length = static_cast<int>(scanner.JoinedText().size());
    for (auto _ : state) {
        std::int64_t sum = 0;
        for (int p = 1; p < length; p += 7) {
            scanner.SetPosition(p);
            sum += scanner.GetLineColumn().Line;
        }
        benchmark::DoNotOptimize(sum);
    }
}

} // namespace

BENCHMARK(BM_ScanManyLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanLongLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatManyLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormatLongLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanLongRuns)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineColumnEverywhere)->Unit(benchmark::kMillisecond);
