#include "UProgrammText.h"

#include "UScanner.h"

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

TProgrammDatei SplitProgram(std::string_view text) {
    TProgrammDatei file;
    file.Lines = SplitLines(text);
    if (!file.Lines.empty()) {
        file.Header = std::move(file.Lines.front());
        file.Lines.erase(file.Lines.begin());
    }
    return file;
}

bool HeaderFitsVersion(std::string_view header) {
    return header.empty() || header.substr(0, 10) == "// ZAK 1.5";
}

void FormatLines(std::vector<std::string>& lines) {
    TFormatClass formatter;
    TFormatResult result;
    bool commentOpen = false;
    int indent = 0;
    for (std::string& line : lines) {
        formatter.FormatLine(line, commentOpen, indent, result);
        commentOpen = result.CommentOpen;
        indent = result.NextIndent;
    }
}
