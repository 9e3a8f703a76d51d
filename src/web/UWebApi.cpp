#include "UWebApi.h"

#include "UCodepage.h"
#include "UCriticalSections.h"
#include "UDrawCanvas.h"
#include "UFenster.h"
#include "UInterpreter.h"
#include "UKlassen.h"
#include "UProgrammText.h"
#include "UScanner.h"
#include "UStandardfenster.h"
#include "USyntaxcheckThread.h"
#include "UVariablen.h"
#include "UVorschlaege.h"
#include "UVariablenText.h"
#include "UWebWindows.h"

#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> ToUtf8(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (const std::string& line : lines) out.push_back(Codepage::Win1252ToUtf8(line));
    return out;
}

TWebError ErrorOf(const TFehler* error) {
    TWebError out;
    if (!error) return out;
    out.Kind = error->Source == FehlerLaufzeit ? "Laufzeitfehler" : "Tipp";
    out.Line = error->Line;
    out.Column = error->Column;
    out.Message = Codepage::Win1252ToUtf8(error->Message);
    out.ItemText = Codepage::Win1252ToUtf8(error->ItemText());
    return out;
}

// The web window a window object of the run shows, or none.
TWebDrawingWindow* WebWindowOf(const TFenster* window) {
    return window ? dynamic_cast<TWebDrawingWindow*>(window->DrawingWindow()) : nullptr;
}

}  // namespace

struct TWebSession::TRun {
    TScanner Scanner;
    TFehlerVerwaltung Errors;
    std::unique_ptr<TInterpreter> Interpreter;
    double TotalCalls = 0;
};

TWebSession::TWebSession() : FHost(std::make_unique<TWebDrawingWindowHost>()) { CriticalSections::Create(); }

TWebSession::~TWebSession() {
    EndRun();
    // The space's placeholders are the factory's prototypes.
    FProposals.reset();
    FCompletionSpace.reset();
    FCompletionFactory.reset();
}

void TWebSession::EndRun() {
    if (!FRun) return;
    FRgba.clear();
    FRun->Interpreter.reset();
    FRun.reset();
}

// ---------------------------------------------------------------- text

TLoadReport TWebSession::LoadFile(const std::string& bytes) {
    EndRun();
    TProgrammDatei file = ReadProgram(bytes);
    FormatLines(file.Lines);
    TLoadReport report;
    report.Header = Codepage::Win1252ToUtf8(file.Header);
    report.Note = Codepage::Win1252ToUtf8(ConversionNote(file));
    report.OtherVersion = file.OtherVersion;
    report.FromUtf8 = file.FromUtf8;
    FLines.Lines = std::move(file.Lines);
    FLines.Breakpoints.clear();
    FCompletionStale = true;
    report.Lines = ToUtf8(FLines.Lines);
    return report;
}

void TWebSession::LoadLines(const std::vector<std::string>& utf8Lines) {
    EndRun();
    FLines.Lines.clear();
    for (const std::string& line : utf8Lines) FLines.Lines.push_back(Codepage::Utf8ToWin1252(line));
    FLines.Breakpoints.resize(std::min(FLines.Breakpoints.size(), FLines.Lines.size()));
    FCompletionStale = true;
}

std::vector<std::string> TWebSession::Lines() const { return ToUtf8(FLines.Lines); }

TFormattedLine TWebSession::FormatLine(const std::string& utf8Line, bool commentOpen, int indent) {
    std::string line = Codepage::Utf8ToWin1252(utf8Line);
    TFormatResult result;
    TFormatClass().FormatLine(line, commentOpen, indent, result);
    TFormattedLine out;
    out.Line = Codepage::Win1252ToUtf8(line);
    // One class per byte of the Windows-1252 line, which is one character
    // (one UTF-16 unit) each; the trailing class is not a character's.
    out.Classes = result.Classes.substr(0, std::min(result.Classes.size(), line.size()));
    out.CommentOpen = result.CommentOpen;
    out.NextIndent = result.NextIndent;
    out.LineIndent = result.LineIndent;
    return out;
}

// ---------------------------------------------------------------- running

void TWebSession::SetRandomSeed(double seed) { Zufall::SetSeed(static_cast<std::uint64_t>(seed)); }

void TWebSession::RandomizeSeed() { Zufall::Randomize(); }

void TWebSession::Start(bool forbidAttributeAssignment, double maxMemoryMiB) {
    EndRun();
    FRun = std::make_unique<TRun>();
    FRun->Scanner.Load(FLines);
    FRun->Interpreter = std::make_unique<TInterpreter>(FRun->Scanner, NeedsDefaultWindow(FLines), &FRun->Errors);
    FRun->Interpreter->SetNoAttributeAssignment(forbidAttributeAssignment);
    FRun->Interpreter->SetMaxMemory(static_cast<std::int64_t>(maxMemoryMiB * 1024 * 1024));
    FRun->Scanner.RefreshLineMarks();
    FRun->Scanner.SkipBlanks();
}

TRunReport TWebSession::Report() const {
    TRunReport report;
    if (!FRun) return report;
    const TInterpreter& interpreter = *FRun->Interpreter;
    report.TotalCalls = FRun->TotalCalls;
    report.Line = FRun->Scanner.GetLineColumn().Line;
    if (interpreter.ErrorFlag()) {
        report.State = TRunState::Failed;
        report.Error = ErrorOf(interpreter.Error());
        if (report.Error.Line >= 0) report.Line = report.Error.Line;
    } else if (FRun->Scanner.AtEnd()) {
        report.State = TRunState::Ended;
    } else {
        report.State = TRunState::Ready;
    }
    return report;
}

TRunReport TWebSession::Finish(double calls) {
    TRunReport report = Report();
    report.Calls = calls;
    return report;
}

TRunReport TWebSession::RunCalls(double calls, double budgetMs) {
    if (!FRun) return Report();
    TInterpreter& interpreter = *FRun->Interpreter;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::microseconds(static_cast<long long>(budgetMs * 1000));
    double made = 0;
    bool breakpoint = false;
    // The clock is read every few calls: reading it costs about as much as
    // a simple statement.
    constexpr int CallsPerClockRead = 64;
    int untilClock = CallsPerClockRead;
    while (!FRun->Scanner.AtEnd() && !interpreter.ErrorFlag() && made < calls && !breakpoint) {
        breakpoint = interpreter.Step(false).BreakpointReached;
        ++made;
        if (budgetMs > 0 && --untilClock == 0) {
            untilClock = CallsPerClockRead;
            if (Clock::now() >= deadline) break;
        }
    }
    FRun->TotalCalls += made;
    TRunReport report = Finish(made);
    if (breakpoint && report.State == TRunState::Ready) report.State = TRunState::Breakpoint;
    return report;
}

TRunReport TWebSession::RunStatements(int statements, int callsPerTick, double budgetMs) {
    if (!FRun) return Report();
    TInterpreter& interpreter = *FRun->Interpreter;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::microseconds(static_cast<long long>(budgetMs * 1000));
    int stepsLeft = statements;
    int callsLeft = callsPerTick;
    double made = 0;
    bool breakpoint = false;
    while (!FRun->Scanner.AtEnd() && !interpreter.ErrorFlag() && stepsLeft != 0 && callsLeft != 0 && !breakpoint) {
        const TInterpreter::TStepResult result = interpreter.Step(false);
        breakpoint = result.BreakpointReached;
        if (result.Counted) --stepsLeft;
        --callsLeft;
        ++made;
        if (budgetMs > 0 && Clock::now() >= deadline) break;
    }
    FRun->TotalCalls += made;
    TRunReport report = Finish(made);
    if (breakpoint && report.State == TRunState::Ready) report.State = TRunState::Breakpoint;
    return report;
}

TRunReport TWebSession::Step() {
    if (!FRun) return Report();
    if (!FRun->Scanner.AtEnd() && !FRun->Interpreter->ErrorFlag()) {
        FRun->Interpreter->Step(true);
        FRun->TotalCalls += 1;
        return Finish(1);
    }
    return Finish(0);
}

void TWebSession::SetBreakpoint(int line, bool on) {
    if (line < 0 || line >= FLines.LineCount()) return;
    if (static_cast<std::size_t>(line) >= FLines.Breakpoints.size())
        FLines.Breakpoints.resize(static_cast<std::size_t>(line) + 1, false);
    FLines.Breakpoints[static_cast<std::size_t>(line)] = on;
    if (FRun) FRun->Scanner.RefreshLineMarks();
}

bool TWebSession::Breakpoint(int line) const { return line >= 0 && FLines.LineBreakpoint(line); }

void TWebSession::SettlePaints() {
    if (FRun) FRun->Interpreter->SettleOwedPaints();
}

// ---------------------------------------------------------------- views

std::vector<std::string> TWebSession::Variables(bool withMarks) {
    std::vector<std::string> cells;
    if (!FRun) return cells;
    cells = VariablenText::VariableCells(FRun->Interpreter->VarSpace());
    cells.resize(std::min(cells.size(), std::size_t{VariablenText::MaxCells}));
    for (std::string& cell : cells) cell = Codepage::Win1252ToUtf8(withMarks ? cell : VariablenText::StripMarks(cell));
    return cells;
}

int TWebSession::WindowCount() const { return FRun ? static_cast<int>(FRun->Interpreter->Windows().size()) : 0; }

TWindowInfo TWebSession::Window(int index) const {
    TWindowInfo info;
    if (index < 0 || index >= WindowCount()) return info;
    TFenster* fenster = FRun->Interpreter->Windows()[static_cast<std::size_t>(index)];
    TWebDrawingWindow* window = WebWindowOf(fenster);
    if (!window) return info;
    info.Title = Codepage::Win1252ToUtf8(window->Caption());
    info.Left = window->Left();
    info.Top = window->Top();
    info.Width = window->Width();
    info.Height = window->Height();
    info.Visible = window->Visible();
    const TSurface& surface = window->Canvas().Surface();
    info.PixelWidth = surface.Width();
    info.PixelHeight = surface.Height();
    info.OriginX = window->Canvas().OriginX();
    info.OriginY = window->Canvas().OriginY();
    const TWebRect& changed = window->Box().Changed();
    info.ChangedLeft = changed.Left;
    info.ChangedTop = changed.Top;
    info.ChangedRight = changed.Right;
    info.ChangedBottom = changed.Bottom;
    return info;
}

std::uint8_t* TWebSession::WindowPixels(int index, std::size_t& bytes) {
    bytes = 0;
    if (index < 0 || index >= WindowCount()) return nullptr;
    TWebDrawingWindow* window = WebWindowOf(FRun->Interpreter->Windows()[static_cast<std::size_t>(index)]);
    if (!window) return nullptr;
    const TSurface& surface = window->Canvas().Surface();
    const int w = surface.Width(), h = surface.Height();
    const std::size_t size = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
    // Each window keeps its own buffer, so that only the changed part is
    // converted again.
    std::vector<std::uint8_t>& rgba = FRgba[window];
    TWebRect changed = window->Box().TakeChanged();
    if (rgba.size() != size) {
        rgba.assign(size, 0);
        changed = {0, 0, w - 1, h - 1};
    }
    for (int y = std::max(0, changed.Top); y <= std::min(h - 1, changed.Bottom); ++y)
        for (int x = std::max(0, changed.Left); x <= std::min(w - 1, changed.Right); ++x) {
            const std::uint32_t p = WebSurfacePixel(surface, x, y);
            std::uint8_t* out = &rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + x) * 4];
            out[0] = static_cast<std::uint8_t>(p >> 16);
            out[1] = static_cast<std::uint8_t>(p >> 8);
            out[2] = static_cast<std::uint8_t>(p);
            out[3] = 0xFF;
        }
    bytes = size;
    return rgba.data();
}

void TWebSession::ResizeWindow(int index, int width, int height) {
    if (index < 0 || index >= WindowCount()) return;
    TWebDrawingWindow* window = WebWindowOf(FRun->Interpreter->Windows()[static_cast<std::size_t>(index)]);
    if (!window) return;
    window->SetWidth(std::max(1, width));
    window->SetHeight(std::max(1, height));
    window->Repaint();
}

void TWebSession::MoveWindow(int index, int left, int top) {
    if (index < 0 || index >= WindowCount()) return;
    TWebDrawingWindow* window = WebWindowOf(FRun->Interpreter->Windows()[static_cast<std::size_t>(index)]);
    if (!window) return;
    window->SetLeft(left);
    window->SetTop(top);
}

std::vector<std::uint32_t> TWebSession::WindowRgb(int index) const {
    std::vector<std::uint32_t> out;
    if (index < 0 || index >= WindowCount()) return out;
    TWebDrawingWindow* window = WebWindowOf(FRun->Interpreter->Windows()[static_cast<std::size_t>(index)]);
    if (!window) return out;
    const TSurface& surface = window->Canvas().Surface();
    out.reserve(static_cast<std::size_t>(surface.Width()) * static_cast<std::size_t>(surface.Height()));
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x) out.push_back(WebSurfacePixel(surface, x, y));
    return out;
}

// ---------------------------------------------------------------- check

TWebError TWebSession::Check(bool forbidAttributeAssignment) const {
    const TStringLines lines(FLines.Lines);
    const TKlassenFabrik factory;
    TSyntaxcheckThread check(factory);
    check.SetNoAttributeAssignment(forbidAttributeAssignment);
    const TSyntaxcheckResult result = check.Pass(lines);
    return ErrorOf(result.Error.get());
}

// ---------------------------------------------------------------- completion

TWebCompletion TWebSession::Complete(const std::string& utf8Line, int caretColumn) {
    if (!FProposals) FProposals = std::make_unique<TVorschlaege>();
    if (FCompletionStale) {
        auto factory = std::make_unique<TKlassenFabrik>();
        TSyntaxcheckResult result;
        {
            const TStringLines lines(FLines.Lines);
            TSyntaxcheckThread check(*factory);
            result = check.Pass(lines);
        }
        FProposals->SetSpace(nullptr);
        FCompletionSpace = std::move(result.Space);
        FCompletionFactory = std::move(factory);
        FProposals->SetSpace(FCompletionSpace.get());
        FCompletionStale = false;
    }
    TWebCompletion out;
    const std::string line = Codepage::Utf8ToWin1252(utf8Line);
    out.StartColumn = FProposals->Lookup(line, std::clamp(caretColumn, 0, static_cast<int>(line.size())));
    if (out.StartColumn < 0) return out;
    const std::vector<const TVorschlag*>& shown = FProposals->Shown();
    for (std::size_t i = 0; i < shown.size(); ++i) {
        FProposals->Select(static_cast<int>(i));
        out.Proposals.push_back({Codepage::Win1252ToUtf8(shown[i]->Name),
                                 Codepage::Win1252ToUtf8(shown[i]->Description), static_cast<int>(shown[i]->Art),
                                 Codepage::Win1252ToUtf8(FProposals->InsertText())});
    }
    return out;
}
