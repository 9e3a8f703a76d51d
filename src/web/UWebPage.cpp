// What the browser page needs beyond running and checking: the program
// file's bytes exactly as the desktop saves them, and the help panel's texts
// and class tree. Exported with embind beside UWebBindings.cpp.
#include "UClassTree.h"
#include "UCodepage.h"
#include "UHelpTexts.h"
#include "UKlassen.h"
#include "ULineSource.h"
#include "Uencrypt.h"
#include "USyntaxcheckThread.h"
#include "UVariablen.h"
#include "UVorschlaege.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <memory>
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

// A teacher's settings file names the password scrambled: the password in
// plain form (UTF-8), the built-in one when the file names none, "" when
// the file says there is none.
std::string SettingsPassword(const std::string& scrambled) {
    std::string password = Unscramble(scrambled);
    if (password.empty()) password = Unscramble(kDefaultPasswordScrambled);
    if (password == "Keins") return "";
    return Codepage::Win1252ToUtf8(password);
}

// The prompt takes the password and, always, the built-in one.
bool PasswordAccepted(const std::string& typedUtf8, const std::string& passwordUtf8) {
    return typedUtf8 == passwordUtf8 || typedUtf8 == Codepage::Win1252ToUtf8(Unscramble(kDefaultPasswordScrambled));
}

} // namespace

// Code completion as the desktop offers it, from the names of the last
// check pass over the text (the browser runs its passes without a thread,
// so the pass's space is kept here rather than published by a check).
class TWebCompletion {
public:
    // One check pass over the lines; its names serve the next lookups.
    void Update(const std::vector<std::string>& utf8Lines) {
        std::vector<std::string> lines;
        lines.reserve(utf8Lines.size());
        for (const std::string& line : utf8Lines) lines.push_back(Codepage::Utf8ToWin1252(line));
        auto text = std::make_unique<TStringLines>(std::move(lines));
        TSyntaxcheckThread check(FFactory);
        TSyntaxcheckResult result = check.Pass(*text);
        FProposals.SetSpace(nullptr);
        FSpace = std::move(result.Space);
        FText = std::move(text);  // the space's placeholders may refer to it
        FProposals.SetSpace(FSpace.get());
    }

    // The proposals for `line` left of the 0-based caret column: an object
    // {from, items: [{name, description, kind, insert}]} with `from` the
    // 0-based column where the completed word starts, or null.
    val Lookup(const std::string& utf8Line, int caretColumn) {
        const std::string line = Codepage::Utf8ToWin1252(utf8Line);
        const std::string left = Codepage::Utf8ToWin1252(utf8Line.substr(0, Utf8Offset(utf8Line, caretColumn)));
        const int column = FProposals.Lookup(line, static_cast<int>(left.size()));
        if (column < 0) return val::null();
        val items = val::array();
        const std::vector<const TVorschlag*>& shown = FProposals.Shown();
        for (std::size_t i = 0; i < shown.size(); ++i) {
            FProposals.Select(static_cast<int>(i));
            val item = val::object();
            item.set("name", Codepage::Win1252ToUtf8(shown[i]->Name));
            item.set("description", Codepage::Win1252ToUtf8(shown[i]->Description));
            item.set("kind", static_cast<int>(shown[i]->Art));
            item.set("insert", Codepage::Win1252ToUtf8(FProposals.InsertText()));
            items.call<void>("push", item);
        }
        val out = val::object();
        // Windows-1252 holds one byte per character, as JavaScript counts them here.
        out.set("from", column - 1);
        out.set("items", items);
        return out;
    }

private:
    // The byte offset of the `characters`-th character of a UTF-8 text.
    static std::size_t Utf8Offset(const std::string& text, int characters) {
        std::size_t i = 0;
        for (int n = 0; n < characters && i < text.size(); ++n) {
            ++i;
            while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
        }
        return i;
    }

    TKlassenFabrik FFactory;  // its prototypes stand for the objects of every space
    std::unique_ptr<TStringLines> FText;
    std::unique_ptr<TVarSpace> FSpace;
    TVorschlaege FProposals;
};

EMSCRIPTEN_BINDINGS(zak_page) {
    class_<TWebCompletion>("WebCompletion")
        .constructor<>()
        .function("update", &TWebCompletion::Update)
        .function("lookup", &TWebCompletion::Lookup);
    function("fileBytes", &FileBytes);
    function("unrepresentable", &Unrepresentable);
    function("helpBefehle", &Befehle);
    function("helpKonstanten", &Konstanten);
    function("classTreeJson", &ClassTreeJson);
    function("settingsPassword", &SettingsPassword);
    function("passwordAccepted", &PasswordAccepted);
}
