#pragma once
// The core as the browser page and `node zak.mjs` use it: one TWebSession per
// program, one at a time (its drawing windows and text measures are the
// process's). Exported to JavaScript with embind (UWebBindings.cpp) under the
// same names with a small first letter; every text crossing here is UTF-8
// (the core's Windows-1252 is converted on the way), lines and columns as the
// desktop counts them (lines from 0, columns from 1). The text canvas reads
// the fonts from /fonts of the module's file system: the page puts them there
// (FS.writeFile) before the first run, as zak.mjs does.
//
// No call blocks for longer than it is given: a run goes on in slices
// (RunCalls, RunStatements) of a number of interpreter calls and a time
// budget, and the page calls again from its own timer (SpeedRule says how
// often and how much). Pause is simply not calling; Stop is Start again.
// Only a budget of 0 (the command-line twin) runs without a time limit.
//
//   const core = await ZakCore();
//   const s = new core.WebSession();
//   s.loadFile(bytes);           // the .zak file's bytes: header, Windows-1252, CR LF, re-indented
//   s.start(false, 1024);
//   let r = s.runStatements(10, 100, 8);   // a tick at speed 30: 10 statements, at most 8 ms
//   ... r.state, r.line, r.error ...
//   s.windowCount(); s.window(0); s.windowPixels(0);   // title, geometry, RGBA view
#include "UFehler.h"
#include "ULineSource.h"
#include "USpeed.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TInterpreter;
class TKlassenFabrik;
class TVarSpace;
class TVorschlaege;
class TScanner;
class TWebDrawingWindow;
class TWebDrawingWindowHost;

// Where a run stands after a call.
enum class TRunState {
    NotStarted,  // no program started (Start was not called, or the lines changed)
    Ready,       // started, statements left: the next slice goes on
    Breakpoint,  // stopped in front of a line with a breakpoint
    Ended,       // ran to its end
    Failed,      // a runtime error
};

// An error as the error list shows it; Kind "" when there is none, else
// "Laufzeitfehler" or "Tipp".
struct TWebError {
    std::string Kind;
    int Line = -1;
    int Column = 0;
    std::string Message;
    std::string ItemText;  // the error list's line, e.g. "Tipp: (Z.2 Sp.5)    dann erwartet."
};

struct TRunReport {
    TRunState State = TRunState::NotStarted;
    int Line = 0;           // the line of the next statement (or of the error)
    double Calls = 0;       // interpreter calls made by this call
    double TotalCalls = 0;  // since Start
    TWebError Error;
};

struct TLoadReport {
    std::vector<std::string> Lines;  // the program's lines, UTF-8, as the editor shows them
    std::string Header;              // the header line, not part of the program
    std::string Note;                // a German note for the user (characters lost), or ""
    bool OtherVersion = false;       // the header names another version: warn
    bool FromUtf8 = false;
};

struct TFormattedLine {
    std::string Line;     // re-indented, UTF-8
    std::string Classes;  // one highlight class per character of Line, '0' keyword, '1' string,
                          // '2' normal, '3' comment, '4' number (UConstants.h)
    bool CommentOpen = false;
    int NextIndent = 0;
    int LineIndent = 0;
};

// One proposal of code completion.
struct TWebProposal {
    std::string Name;         // what is inserted and matched, UTF-8
    std::string Description;  // an attribute's type, a method's parameters and result, or ""
    int Kind = 0;             // 0 attribute, 1 method, 4 simple type, 5 class (the image list's icons)
    std::string InsertText;   // a method's name with "(" or "()"
};

struct TWebCompletion {
    int StartColumn = -1;  // the 1-based column where the completed word starts; -1: nothing proposed
    std::vector<TWebProposal> Proposals;
};

struct TWindowInfo {
    std::string Title;                             // the caption base, UTF-8
    int Left = 0, Top = 0, Width = 0, Height = 0;  // outer geometry as the program sees it
    int PixelWidth = 0, PixelHeight = 0;           // the pixel buffer
    // The pixel of the world's (0, 0): the title shows x - OriginX and OriginY - y.
    int OriginX = 0, OriginY = 0;
    bool Visible = true;
    // The part of the pixels changed since the last look (windowPixels), or
    // ChangedRight < ChangedLeft when nothing changed.
    int ChangedLeft = 0, ChangedTop = 0, ChangedRight = -1, ChangedBottom = -1;
};

class TWebSession {
public:
    TWebSession();
    ~TWebSession();
    TWebSession(const TWebSession&) = delete;
    TWebSession& operator=(const TWebSession&) = delete;

    // --- the program text
    // A program file's bytes as the desktop loads them (UTF-8 files are
    // converted, the lines re-indented). Ends a run.
    TLoadReport LoadFile(const std::string& bytes);
    // The editor's lines as they stand. Ends a run.
    void LoadLines(const std::vector<std::string>& utf8Lines);
    std::vector<std::string> Lines() const;
    // The editor's auto-indentation of one line, given the state the line
    // before left (CommentOpen, NextIndent), and its highlight classes.
    static TFormattedLine FormatLine(const std::string& utf8Line, bool commentOpen, int indent);

    // --- running
    // The generator of `zufall` is one for all runs, as in the desktop
    // process: a fresh `zak --run` starts it at seed 0; the IDE seeds it from
    // the clock.
    static void SetRandomSeed(double seed);
    static void RandomizeSeed();
    // Starts the program from its first statement (Stop is Start again).
    void Start(bool forbidAttributeAssignment, double maxMemoryMiB);
    // Up to `calls` interpreter calls, as `zak --run` counts steps; stops
    // early at a breakpoint, the end, an error or after `budgetMs`
    // milliseconds (0: no time limit).
    TRunReport RunCalls(double calls, double budgetMs);
    // One timer tick of the desktop: up to `statements` counted statements
    // and `callsPerTick` calls, at most `budgetMs` milliseconds.
    TRunReport RunStatements(int statements, int callsPerTick, double budgetMs);
    // One statement, breakpoints ignored (the single-step button).
    TRunReport Step();
    TRunReport Report() const;
    void SetBreakpoint(int line, bool on);
    bool Breakpoint(int line) const;
    // The paints the run owes its windows, done now (before the page shows
    // them, and before pixels are compared).
    void SettlePaints();

    // --- what the pupil sees
    // The variables view's cells with their formatting marks (1 bold on,
    // 2 bold off, 3 red, 4 black), or without them.
    std::vector<std::string> Variables(bool withMarks);
    int WindowCount() const;
    // The program's windows in the order `zak --run --png` numbers them.
    TWindowInfo Window(int index) const;
    // The pixels of the window's buffer as RGBA bytes (PixelWidth x
    // PixelHeight), brought up to date in the part changed since the last
    // call; the view stays valid until the next call into the module.
    std::uint8_t* WindowPixels(int index, std::size_t& bytes);
    // The same pixels as QRgb values 0xFFRRGGBB, row-major.
    std::vector<std::uint32_t> WindowRgb(int index) const;
    // The pupil sized the window by hand: its paint box is now width x height
    // pixels (at least 1 x 1), the drawing re-centred and painted anew, as
    // the desktop's window does on a resize.
    void ResizeWindow(int index, int width, int height);
    // The pupil moved the window by hand to (left, top): where `verschiebe`
    // starts from afterwards, as on the desktop; the attributes "links" and
    // "oben" stay as the program set them.
    void MoveWindow(int index, int left, int top);

    // --- the syntax check
    // One pass of the background syntax check over the lines: its hint, or
    // Kind "" when there is none.
    TWebError Check(bool forbidAttributeAssignment) const;

    // Code completion at the 0-based caret column of `utf8Line`, from the
    // names a check pass over the current lines declares (run again only
    // after the lines changed).
    TWebCompletion Complete(const std::string& utf8Line, int caretColumn);

    static Speed::TTick SpeedRule(int position) { return Speed::Of(position); }

private:
    void EndRun();
    TRunReport Finish(double calls);
    struct TRun;

    TStringLines FLines;
    // The last check pass for completion; its space refers to the factory.
    std::unique_ptr<TKlassenFabrik> FCompletionFactory;
    std::unique_ptr<TVarSpace> FCompletionSpace;
    std::unique_ptr<TVorschlaege> FProposals;
    bool FCompletionStale = true;
    std::unique_ptr<TWebDrawingWindowHost> FHost;
    std::unique_ptr<TRun> FRun;
    std::unordered_map<const TWebDrawingWindow*, std::vector<std::uint8_t>> FRgba;
};
