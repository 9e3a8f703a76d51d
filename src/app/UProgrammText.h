#pragma once
// A program file as the editor loads it: 8-bit text split into lines at
// CR LF, lone CR and lone LF, the first line being the header. Qt-free.
#include <string>
#include <string_view>
#include <vector>

struct TProgrammDatei {
    std::string Header;              // the first line, not part of the program
    std::vector<std::string> Lines;  // the program's lines, Windows-1252 bytes
};

// A line break at the very end of the text starts no further line.
std::vector<std::string> SplitLines(std::string_view text);
TProgrammDatei SplitProgram(std::string_view text);
// A header that is empty or begins with "// ZAK 1.5" belongs to this version.
bool HeaderFitsVersion(std::string_view header);
// Re-indents every line as the editor does when it loads a text, carrying
// the brace-comment state and the indentation from line to line.
void FormatLines(std::vector<std::string>& lines);
