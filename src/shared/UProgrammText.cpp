#include "UProgrammText.h"

#include "UCodepage.h"
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

namespace {

constexpr std::string_view HeaderMark = "// ZAK";
constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

// The length of the well-formed UTF-8 sequence at `at`, with its code point
// in `cp`; 0 for a stray or cut-off byte, an overlong form, a surrogate or
// anything beyond U+10FFFF.
std::size_t Utf8Sequence(std::string_view text, std::size_t at, char32_t& cp) {
    const auto c = static_cast<unsigned char>(text[at]);
    const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || at + length > text.size()) return 0;
    cp = length == 1 ? c : c & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (next & 0x3F);
    }
    constexpr char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < Least[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

bool IsMultiByteUtf8(std::string_view text) {
    bool multiByte = false;
    char32_t cp = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8Sequence(text, i, cp);
        if (length == 0) return false;
        multiByte = multiByte || length > 1;
        i += length;
    }
    return multiByte;
}

} // namespace

TProgrammDatei SplitProgram(std::string_view text) {
    TProgrammDatei file;
    file.Lines = SplitLines(text);
    if (file.Lines.empty()) return file;
    file.OtherVersion = !HeaderFitsVersion(file.Lines.front());
    if (file.Lines.front().starts_with(HeaderMark)) {
        file.Header = std::move(file.Lines.front());
        file.Lines.erase(file.Lines.begin());
    }
    return file;
}

TProgrammDatei ReadProgram(std::string_view bytes) {
    const bool marked = bytes.starts_with(Utf8Mark);
    if (marked) bytes.remove_prefix(Utf8Mark.size());
    if (!marked && !IsMultiByteUtf8(bytes)) return SplitProgram(bytes);
    std::string text;
    text.reserve(bytes.size());
    std::size_t lost = 0;
    char32_t cp = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8Sequence(bytes, i, cp);
        if (length == 0) {
            text += bytes[i++];
            continue;
        }
        const unsigned char c = Codepage::FromUnicode(cp);
        if (c == '?' && cp != U'?') ++lost;
        text += static_cast<char>(c);
        i += length;
    }
    TProgrammDatei file = SplitProgram(text);
    file.FromUtf8 = true;
    file.Unrepresentable = lost;
    return file;
}

std::string ConversionNote(const TProgrammDatei& program) {
    if (program.Unrepresentable == 0) return {};
    const bool one = program.Unrepresentable == 1;
    return "Die Datei ist in UTF-8 geschrieben. " + std::to_string(program.Unrepresentable) +
           " Zeichen darin kann ZAK nicht darstellen; " + (one ? "es steht" : "sie stehen") +
           " jetzt als \x84?\x93 im Programm.";
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
