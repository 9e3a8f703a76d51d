#pragma once
// The command line: which mode ZAK starts in and the options of the headless
// run and the syntax check, in any order, and the German help listing them.
//
//   zak [DATEI.zak ...]                 the IDE
//   zak --run DATEI [--vars] [--json] [--png VERZEICHNIS] [--max-steps N]
//                   [--max-memory MIB] [--forbid-attribute-assignment]
//   zak --check DATEI [--json] [--forbid-attribute-assignment]
//   zak --version | -v,  zak --help | -h
//
// The IDE takes its arguments as they are (Qt's own options such as
// -platform among them; every argument ending in "zak" is a program), so
// only the two headless modes reject what they do not know.
#include <string>
#include <vector>

class TFehler;

struct TCommandLine {
    enum class TMode { Ide, Run, Check, Help, Version, Error };
    TMode Mode = TMode::Ide;

    std::string File;
    bool Vars = false;
    bool Json = false;
    std::string PngDir;
    long long MaxSteps = 100000000;
    // The run's memory budget in MiB (TInterpreter::DefaultMaxMemory).
    long long MaxMemoryMiB = 1024;
    bool ForbidAttributeAssignment = false;

    // For Error: what is wrong, in German, and the usage line of the mode.
    std::string Problem;
    std::string Usage;
};

TCommandLine ParseCommandLine(int argc, char** argv);

// Every option with its German description, for --help.
std::string HelpText();

// One variable of the variables view, as --json reports it.
struct TJsonVariable {
    std::string Name;
    std::string Text;
};

// The result of `--run --json` and `--check --json` as one JSON object on a
// line of its own:
//   {"status": 1, "error": {"kind": "Laufzeitfehler", "line": 3, "column": 5,
//    "message": "..."}, "variables": [{"name": "x", "text": "5"}],
//    "pictures": ["bilder/fenster-1.png"]}
// "error" is null without one. The texts are UTF-8; `error` and the variable
// texts come in the system's Windows-1252 and are converted here.
struct TJsonResult {
    int Status = 0;
    const TFehler* Error = nullptr;
    // Instead of an error record: a problem of the run itself (file not
    // readable, step limit), UTF-8, with the kind to report it as.
    std::string ProblemKind;
    std::string Problem;
    std::vector<TJsonVariable> Variables;
    std::vector<std::string> Pictures;
};
std::string JsonText(const TJsonResult& result);
// The whole JSON of a run that ended with a problem of its own and no
// variables or pictures: one line on standard output.
void PrintJsonProblem(int status, const std::string& kind, const std::string& problem);

// Splits a cell of the variables view ("name = text") for TJsonVariable.
TJsonVariable SplitVariableCell(const std::string& cell);

// A program file that cannot be read: the reason on standard error (and
// with --json as the result's error of kind "Datei"); returns exit status 2.
int RefuseFile(const TCommandLine& options, const std::string& problem);
