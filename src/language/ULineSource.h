// HELPER: read /work/wt-scanner/HELPER-BRIEF.md first: it is part of your task brief (rules, interfaces, how to build and commit).
#pragma once
// What the scanner loads from: the editor's lines (Windows-1252 bytes) with
// their breakpoint flags. The editor implements it; tests use TStringLines.
// Callers that may race with edits hold the editor-lines lock while reading.
#include <string>
#include <vector>

class TLineSource {
public:
    virtual ~TLineSource() = default;
    virtual int LineCount() const = 0;
    virtual const std::string& LineText(int line) const = 0;
    virtual bool LineBreakpoint(int line) const = 0;
};

// A plain list of lines, for tests and the headless runner.
class TStringLines : public TLineSource {
public:
    TStringLines() = default;
    explicit TStringLines(std::vector<std::string> lines) : Lines(std::move(lines)) {}

    int LineCount() const override { return static_cast<int>(Lines.size()); }
    const std::string& LineText(int line) const override { return Lines[line]; }
    bool LineBreakpoint(int line) const override {
        return line < static_cast<int>(Breakpoints.size()) && Breakpoints[line];
    }

    std::vector<std::string> Lines;
    std::vector<bool> Breakpoints;  // may be shorter than Lines
};
