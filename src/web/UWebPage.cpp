// What the browser page needs beyond running and checking: the program
// file's bytes exactly as the desktop saves them, the help panel's texts
// and class tree, and a teacher's settings file. Exported with embind beside
// UWebBindings.cpp.
#include "UClassTree.h"
#include "UCodepage.h"
#include "UHelpTexts.h"
#include "UKlassen.h"
#include "USettingsFile.h"
#include "Uencrypt.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <string>
#include <vector>

using namespace emscripten;

namespace {

// The first line of every program file this version writes; the desktop
// writes the same.
constexpr const char* FileHeader = "// ZAK 1.5 - Programm";

// The header, then every line in Windows-1252, each ended by CR LF.
val FileBytes(const std::vector<std::string>& utf8Lines) {
    std::string bytes = FileHeader;
    bytes += "\r\n";
    for (const std::string& line : utf8Lines) {
        bytes += Codepage::Utf8ToWin1252(line);
        bytes += "\r\n";
    }
    const val view(typed_memory_view(bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data())));
    return val::global("Uint8Array").new_(view);  // a copy: `bytes` goes now
}

// Characters of the lines that a program file cannot hold (they would be
// saved as "?").
int Unrepresentable(const std::vector<std::string>& utf8Lines) {
    int count = 0;
    for (const std::string& line : utf8Lines) {
        const std::string back = Codepage::Win1252ToUtf8(Codepage::Utf8ToWin1252(line));
        if (back != line) ++count;
    }
    return count;
}

std::vector<std::string> Lines(const std::vector<const char*>& latin) {
    std::vector<std::string> out;
    out.reserve(latin.size());
    for (const char* line : latin) out.push_back(Codepage::Win1252ToUtf8(line));
    return out;
}

std::vector<std::string> Befehle() { return Lines(HelpTexts::Befehle()); }
std::vector<std::string> Konstanten() { return Lines(HelpTexts::Konstanten()); }

void AppendJsonString(std::string& out, const std::string& utf8) {
    out += '"';
    for (const char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            out += ' ';
        } else {
            out += c;
        }
    }
    out += '"';
}

void AppendNode(std::string& out, const THelpNode& node) {
    out += "{\"text\":";
    AppendJsonString(out, Codepage::Win1252ToUtf8(node.Text));
    out += ",\"image\":" + std::to_string(node.Image) + ",\"children\":[";
    for (std::size_t i = 0; i < node.Children.size(); ++i) {
        if (i) out += ',';
        AppendNode(out, node.Children[i]);
    }
    out += "]}";
}

// The class tree as JSON: [{text, image, children: [...]}, ...].
std::string ClassTreeJson() {
    const TKlassenFabrik factory;
    std::string out = "[";
    const std::vector<THelpNode> nodes = ClassTreeNodes(factory);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (i) out += ',';
        AppendNode(out, nodes[i]);
    }
    return out + "]";
}

// UTF-8 as a JavaScript string, a byte order mark in front kept: embind's
// own conversion drops one at the start and after every NUL, the desktop
// keeps it.
val JsString(const std::string& utf8) {
    val options = val::object();
    options.set("ignoreBOM", true);
    const val decoder = val::global("TextDecoder").new_(val("utf-8"), options);
    return decoder.call<val>("decode",
                             val(typed_memory_view(utf8.size(), reinterpret_cast<const std::uint8_t*>(utf8.data()))));
}

// A teacher's settings file (its bytes as a Uint8Array) read as the desktop
// reads zak.set: {password, noAttributeAssignment, workingDirectory,
// fontSize}, the password in plain form ("" when the dialog is not locked).
val ReadSettingsFile(const std::string& bytes) {
    const SettingsFile::TSettings settings = SettingsFile::Read(bytes);
    val out = val::object();
    out.set("password", JsString(settings.Password));
    out.set("noAttributeAssignment", settings.NoAttributeAssignment);
    out.set("workingDirectory", JsString(settings.WorkingDirectory));
    out.set("fontSize", settings.FontSize);
    return out;
}

// The prompt takes the password and, always, the built-in one.
bool PasswordAccepted(const std::string& typedUtf8, const std::string& passwordUtf8) {
    return typedUtf8 == passwordUtf8 || typedUtf8 == SettingsFile::Text(Unscramble(kDefaultPasswordScrambled));
}

} // namespace

EMSCRIPTEN_BINDINGS(zak_page) {
    function("fileBytes", &FileBytes);
    function("unrepresentable", &Unrepresentable);
    function("helpBefehle", &Befehle);
    function("helpKonstanten", &Konstanten);
    function("classTreeJson", &ClassTreeJson);
    function("readSettingsFile", &ReadSettingsFile);
    function("passwordAccepted", &PasswordAccepted);
}
