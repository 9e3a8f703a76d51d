// Typing into and highlighting a program of 100 000 lines.
#include "USHControl.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_editor";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Roughly the work of the real formatter: one pass over the line, an
// indentation rule and a class per character.
int Routine(std::string& line, bool commentOpen, int indent, TFormatResult& r) {
    const size_t lead = line.find_first_not_of(' ') == std::string::npos ? line.size() : line.find_first_not_of(' ');
    const bool opens = line.size() >= 4 && line.compare(line.size() - 4, 4, "dann") == 0;
    const bool closes = line.compare(lead, 5, "*wenn") == 0;
    const int t = std::max(0, indent - (closes ? 3 : 0));
    const int n = std::max(0, t + (opens ? 3 : 0));
    if (static_cast<int>(lead) != t) line = std::string(static_cast<size_t>(t), ' ') + line.substr(lead);
    r.Classes.assign(line.size() + 1, '2');
    r.CommentOpen = commentOpen;
    r.NextIndent = n;
    r.LineIndent = t;
    return t - static_cast<int>(lead);
}

std::vector<std::string> Program(int lines) {
    std::vector<std::string> text;
    text.reserve(static_cast<size_t>(lines));
    for (int i = 0; i < lines; ++i) {
        switch (i % 4) {
        case 0: text.push_back("wenn a > 3 dann"); break;
        case 1: text.push_back("r.drehen(10)"); break;
        case 2: text.push_back("*wenn"); break;
        default: text.push_back("n := n + 1 // zaehlen"); break;
        }
    }
    return text;
}

std::unique_ptr<TSHControl> Editor() {
    App();
    auto editor = std::make_unique<TSHControl>();
    editor->LineRoutine = Routine;
    editor->resize(800, 600);
    editor->show();
    editor->LoadLines(Program(100000));
    return editor;
}

void Press(TSHControl& editor, int key, const QString& text = QString()) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&editor, &event);
}

void BM_HighlightWholeText(benchmark::State& state) {
    auto editor = Editor();
    for (auto _ : state) editor->HighlightFrom(0);
    state.SetItemsProcessed(state.iterations() * editor->LineCount());
}
BENCHMARK(BM_HighlightWholeText)->Unit(benchmark::kMillisecond);

void BM_LoadLines(benchmark::State& state) {
    auto editor = Editor();
    const std::vector<std::string> text = Program(100000);
    for (auto _ : state) editor->LoadLines(text);
}
BENCHMARK(BM_LoadLines)->Unit(benchmark::kMillisecond);

// A typed character and its removal in the middle of the text.
void BM_TypeCharacter(benchmark::State& state) {
    auto editor = Editor();
    editor->SetCaret(50001, 5);
    for (auto _ : state) {
        Press(*editor, 0, QStringLiteral("x"));
        Press(*editor, Qt::Key_Backspace);
    }
}
BENCHMARK(BM_TypeCharacter)->Unit(benchmark::kMicrosecond);

// Enter and Backspace in the middle: inserts and removes a line of the list.
void BM_LineBreak(benchmark::State& state) {
    auto editor = Editor();
    editor->SetCaret(50001, 5);
    for (auto _ : state) {
        Press(*editor, Qt::Key_Return);
        Press(*editor, Qt::Key_Backspace);
    }
}
BENCHMARK(BM_LineBreak)->Unit(benchmark::kMicrosecond);

// Typing a block opener at the top re-indents every following line.
void BM_TypeBlockOpenerAtTop(benchmark::State& state) {
    auto editor = Editor();
    editor->SetCaret(1, 100);  // behind "r.drehen(10)"
    for (auto _ : state) {
        for (char c : std::string("dann")) Press(*editor, 0, QString(QChar(c)));
        for (int i = 0; i < 4; ++i) Press(*editor, Qt::Key_Backspace);
    }
}
BENCHMARK(BM_TypeBlockOpenerAtTop)->Unit(benchmark::kMillisecond);

void BM_Undo(benchmark::State& state) {
    auto editor = Editor();
    editor->SetCaret(50001, 5);
    for (auto _ : state) {
        Press(*editor, 0, QStringLiteral("x"));
        editor->EditorUndo();
    }
}
BENCHMARK(BM_Undo)->Unit(benchmark::kMillisecond);

// A full repaint of an 800 x 600 view filled with text.
void BM_PaintView(benchmark::State& state) {
    auto editor = Editor();
    editor->SetCaret(50001, 0);
    QImage image(editor->size(), QImage::Format_RGB32);
    for (auto _ : state) editor->render(&image);
}
BENCHMARK(BM_PaintView)->Unit(benchmark::kMillisecond);

} // namespace
