#pragma once
// The headless run used by tests and teachers:
//   zak --run FILE [--vars] [--json] [--png DIR] [--max-steps N] [--max-memory MIB]
//             [--forbid-attribute-assignment]
// It loads FILE as the editor would, runs the program as the IDE does (on
// Qt's offscreen platform, so drawing windows and canvases are the real
// ones) and prints a runtime error and, with --vars, the variables view;
// with --json all of it, and the pictures written, as one JSON object.
//
// Exit status: 0 the program ran to its end; 1 a runtime error (also a
// spent memory budget or a failed allocation); 2 the file
// could not be read or the arguments are wrong; 3 the step limit was reached.

#include <optional>
#include <string>

// The file's bytes, or none with the reason in `problem` when it cannot be
// read or is far too large for a program. Shared with `zak --check`.
std::optional<std::string> ReadProgramFile(const std::string& name, std::string& problem);

struct TCommandLine;

// Runs the program of a parsed `--run` command line; creates its own
// QApplication, named after `argv0`.
int RunHeadless(const TCommandLine& options, char* argv0);
