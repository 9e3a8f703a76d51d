#include "URTF.h"

namespace {

const char* const kRtfHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 Courier New;}"
    "{\\f1\\fnil\\fcharset0 Times New Roman;}}"
    "{\\colortbl ;\\red0\\green0\\blue255;\\red0\\green196\\blue0;}"
    "\\viewkind4\\uc1\\pard\\f0\\fs20 ";

const char* ClosingWord(char cls) {
    switch (cls) {
    case '0': return "\\b0";
    case '1':
    case '4': return "\\cf0";
    case '3': return "\\i0\\cf0";
    default: return "";
    }
}

const char* OpeningWord(char cls) {
    switch (cls) {
    case '0': return "\\b";
    case '1':
    case '4': return "\\cf1";
    case '3': return "\\i\\cf2";
    default: return "";
    }
}

void AppendCharacter(std::string& out, unsigned char c) {
    switch (c) {
    case 128: out += "\\'80"; return;
    case 196: out += "\\'c4"; return;
    case 214: out += "\\'d6"; return;
    case 220: out += "\\'dc"; return;
    case 223: out += "\\'df"; return;
    case 228: out += "\\'e4"; return;
    case 246: out += "\\'f6"; return;
    case 252: out += "\\'fc"; return;
    case '{':
    case '}':
    case '\\':
        out += '\\';
        out += static_cast<char>(c);
        return;
    default: out += static_cast<char>(c);
    }
}

} // namespace

std::string BuildRTF(const std::string& text, const std::string& classes) {
    std::string out = kRtfHeader;
    out.reserve(out.size() + text.size() * 2 + 1);
    char last = '2';
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char t = static_cast<unsigned char>(text[i]);
        if (t == 13) {
            out += "\\par\n\r";
            continue;
        }
        if (t == 10) continue;
        const char k = i < classes.size() ? classes[i] : last;
        if (k != last) {
            out += ClosingWord(last);
            out += OpeningWord(k);
            out += ' ';
            last = k;
        }
        AppendCharacter(out, t);
    }
    out += '}';
    return out;
}
