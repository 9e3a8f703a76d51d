#include "UVorschlaege.h"

#include "UConstants.h"
#include "UCriticalSections.h"
#include "UKlassen.h"
#include "USyntaxcheck.h"
#include "UVariablen.h"

#include <algorithm>

namespace {

// Letters, digits, `_`, `,`, `:` and the German umlauts: a line with any
// other character, a blank included, is no declaration line.
bool IsDeclarationLineChar(unsigned char c) {
    return c == ',' || c == ':' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z') || c == 196 || c == 214 || c == 220 || c == 223 || c == 228 || c == 246 ||
           c == 252;
}

// ASCII letters and the umlauts compare ignoring case.
bool StartsWithIgnoringCase(const std::string& name, const std::string& prefix) {
    if (name.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (KeywordUpCase(name[i]) != KeywordUpCase(prefix[i])) return false;
    return true;
}

} // namespace

TVorschlaege::TVorschlaege() : FFactory(std::make_unique<TKlassenFabrik>()) {
    for (const auto& prototype : FFactory->Prototypes())
        FTypes.push_back({vaKlassenname, false, prototype->Name, {}});
    for (int code = KBoolean; code <= KString; ++code)
        FTypes.push_back({vaTypname, false, std::string(TokenName(code)), {}});
}

TVorschlaege::~TVorschlaege() = default;

int TVorschlaege::Lookup(const std::string& line, int caretColumn) {
    TLockGuard guard(CriticalSections::CompletionLock());
    int result = -1;
    if (caretColumn <= 1) return result;
    const int caret = std::min(caretColumn, static_cast<int>(line.size()));
    int a = caret;
    while (a > 0 && line[a - 1] != '.' && line[a - 1] != ':') {
        // No proposal starts with a word this long: looking further back
        // on a long line would only cost every keystroke its length.
        if (caret - a >= kMaxPrefixLength) return result;
        --a;
    }
    const std::string prefix = line.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(caret - a));
    if (a > 1 && line[a - 1] == '.') {
        if (LookupMembers(std::string_view(line).substr(0, static_cast<std::size_t>(a)))) result = a + 1;
    } else if (a > 1 && line[a - 1] == ':') {
        const bool declarationLine = std::all_of(line.begin(), line.end(), [](char c) {
            return IsDeclarationLineChar(static_cast<unsigned char>(c));
        });
        // Assignments (`x :=`) and lines of other statements stay out.
        if (declarationLine && Space()) {
            const std::size_t first = line.find_first_not_of(' ');
            const std::size_t end = line.find_first_of(" ,.:", first);
            const std::string word = line.substr(first, end - first);
            if (!IsDeclared(word)) {
                ShowTypes();
                result = a + 1;
            }
        }
    }
    if (result != -1) {
        FilterPrefix = prefix;
        FillList();
    }
    return result;
}

const TVarSpace* TVorschlaege::Space() const { return FCheck ? FCheck->PublishedSpace() : FSpace; }

bool TVorschlaege::IsDeclared(std::string_view name) const {
    const TVarSpace* space = Space();
    return space && space->Lookup(name);
}

bool TVorschlaege::LookupMembers(std::string_view text) {
    TLockGuard guard(CriticalSections::CompletionLock());
    try {
        if (text.size() < 2) throw ECodeComplete();
        // Where the chain of names before the last dot starts. Only found
        // here, the names are then taken from the first on: a line of
        // thousands of "a." costs one pass, and the first name that leads
        // nowhere ends the search.
        std::size_t end = text.size();
        std::size_t chain = end;
        while (end > 0 && text[end - 1] == '.') {
            std::size_t start = end - 1;
            while (start > 0 && IsLetterOrDigit(text[start - 1])) --start;
            if (start == end - 1 || IsDigit(text[start])) throw ECodeComplete();
            chain = start;
            end = start;
        }
        if (chain == text.size()) throw ECodeComplete();
        std::vector<std::string> path;
        auto takeName = [&text, &chain, &path] {
            const std::size_t dot = text.find('.', chain);
            path.emplace_back(text.substr(chain, dot - chain));
            chain = dot + 1;
        };

        takeName();
        const TVarSpace* space = Space();
        const TVariant* first = space ? space->Lookup(path.front()) : nullptr;
        if (!first || first->Kind() != vkObjekt || !first->AsObject()) throw ECodeComplete();
        const TObjekt* object = FFactory->FindByNumber(first->AsObject()->ClassNumber);
        while (object && chain < text.size()) {
            takeName();
            const TAttribut* attribute = object->FindAttribute(path.back());
            if (!attribute || attribute->Value.Kind() != vkObjekt) throw ECodeComplete();
            object = attribute->Value.AsObject();
        }
        if (!object) throw ECodeComplete();

        FNamePath = std::move(path);
        BuildMembers(*object);
    } catch (const ECodeComplete&) {
        return false;
    }
    FilterPrefix.clear();
    FSource = &FMembers;
    FillList();
    return true;
}

std::string TVorschlaege::TypeName(int kind, std::int32_t classNumber) const {
    if (kind == vkObjekt) {
        const TObjekt* prototype = FFactory->FindByNumber(classNumber);
        return prototype ? prototype->ClassName : std::string();
    }
    return TVariant::KindName(kind);
}

void TVorschlaege::BuildMembers(const TObjekt& object) {
    FShown.clear();
    FSelected = -1;
    FMembers.clear();
    for (const auto& attribute : object.Attributes()) {
        if (attribute->Hidden) continue;
        TVorschlag proposal{vaAttribut, false, attribute->Name, attribute->Value.KindName()};
        if (attribute->Value.Kind() == vkObjekt) {
            const TObjekt* value = attribute->Value.AsObject();
            const std::int32_t number = value ? value->ClassNumber : attribute->ClassNumber;
            if (const TObjekt* prototype = FFactory->FindByNumber(number)) proposal.Description = prototype->Name;
        }
        FMembers.push_back(std::move(proposal));
    }
    for (const auto& method : object.Methods()) {
        if (method->Hidden) continue;
        TVorschlag proposal{vaMethode, !method->Parameters.empty(), method->Name, "("};
        for (std::size_t i = 0; i < method->Parameters.size(); ++i) {
            const TParameter& parameter = method->Parameters[i];
            if (i > 0) proposal.Description += ',';
            proposal.Description += parameter.Name + ": " + TypeName(parameter.Kind, parameter.ClassNumber);
        }
        if (method->Parameters.empty()) proposal.Description += ' ';
        proposal.Description += ')';
        if (method->Result)
            proposal.Description += ":" + TypeName(method->Result->Kind, method->Result->ClassNumber);
        FMembers.push_back(std::move(proposal));
    }
}

void TVorschlaege::ShowTypes() {
    FilterPrefix.clear();
    FSource = &FTypes;
    FillList();
}

bool TVorschlaege::FillList() {
    FShown.clear();
    if (FSource)
        for (const TVorschlag& proposal : *FSource)
            if (StartsWithIgnoringCase(proposal.Name, FilterPrefix)) FShown.push_back(&proposal);
    FSelected = FShown.empty() ? -1 : 0;
    return !FShown.empty();
}

void TVorschlaege::Select(int index) {
    FSelected = (index >= 0 && index < static_cast<int>(FShown.size())) ? index : -1;
}

void TVorschlaege::SelectNext() {
    if (FShown.empty()) return;
    const int current = FSelected < 0 ? static_cast<int>(FShown.size()) - 1 : FSelected;
    FSelected = std::min(current + 1, static_cast<int>(FShown.size()) - 1);
}

void TVorschlaege::SelectPrevious() {
    if (FShown.empty()) return;
    const int current = FSelected < 0 ? static_cast<int>(FShown.size()) - 1 : FSelected;
    FSelected = std::max(current - 1, 0);
}

std::string TVorschlaege::InsertText() const {
    if (FSelected < 0 || FSelected >= static_cast<int>(FShown.size())) return {};
    const TVorschlag& proposal = *FShown[static_cast<std::size_t>(FSelected)];
    if (proposal.Art != vaMethode) return proposal.Name;
    return proposal.Name + (proposal.HasParameters ? "(" : "()");
}
