#pragma once
// The syntax check from the command line, for teachers and tests:
//   zak --check FILE [--json] [--forbid-attribute-assignment]
// Loads FILE exactly as `zak --run` does, runs one pass of the background
// syntax check and prints its hint as the error list shows it, for example
//   Tipp: (Z.2 Sp.5)    dann erwartet.
// Exit status: 0 no hint (nothing printed); 1 a hint; 2 the file could not
// be read or the arguments are wrong (the reason on standard error).

// With --json the hint (or none) goes out as the JSON object of
// `zak --run --json`, without variables and pictures.

struct TCommandLine;

int RunCheck(const TCommandLine& options);
