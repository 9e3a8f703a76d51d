#pragma once
// A program file as the editor loads it: 8-bit text split into lines at
// CR LF, lone CR and lone LF, the first line being the header when it is
// one. Files from other editors in UTF-8 are converted to the Windows-1252
// bytes of the editor's text. Qt-free.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct TProgrammDatei {
    std::string Header;              // the header line, not part of the program; empty when there is none
    std::vector<std::string> Lines;  // the program's lines, Windows-1252 bytes
    // The first line does not name this version: the user is warned.
    bool OtherVersion = false;
    // The file was UTF-8 and has been converted.
    bool FromUtf8 = false;
    // Characters of a UTF-8 file that Windows-1252 cannot hold; each is a "?" now.
    std::size_t Unrepresentable = 0;
};

// A line break at the very end of the text starts no further line.
std::vector<std::string> SplitLines(std::string_view text);
// A first line beginning with "// ZAK" is the header, as every version
// writes it; any other first line (a file from another editor) stays
// program text, so that saving does not lose it.
TProgrammDatei SplitProgram(std::string_view text);
// A file's bytes as SplitProgram takes them, after converting UTF-8 to
// Windows-1252: a file that starts with the UTF-8 byte order mark, or one
// that is well-formed UTF-8 throughout and holds at least one character of
// more than one byte (Windows-1252 text with umlauts never is). Bytes of a
// marked file that are no UTF-8 stay as they are.
TProgrammDatei ReadProgram(std::string_view bytes);
// The German note, in Windows-1252, that characters were lost in the
// conversion; empty when none were.
std::string ConversionNote(const TProgrammDatei& program);
// A header that is empty or begins with "// ZAK 1.5" belongs to this version.
bool HeaderFitsVersion(std::string_view header);
// Re-indents every line as the editor does when it loads a text, carrying
// the brace-comment state and the indentation from line to line.
void FormatLines(std::vector<std::string>& lines);
