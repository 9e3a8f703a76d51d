#pragma once
// What code completion proposes, without the popup window: after `name.`
// (or a chain `a.b.`) the attributes and methods of the object the name
// stands for, taken from the names the last background syntax check
// published and from the class factory's prototypes; after the `:` of a
// declaration line the class names and the simple type names. The list
// narrows to the proposals starting with the filter prefix.
//
// All texts are Windows-1252 bytes. Runs on the GUI thread; the lookups hold
// the completion lock while the check thread may replace its names.
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TKlassenFabrik;
class TObjekt;
class TSyntaxcheck;
class TVarSpace;

enum TVorschlagsArt : std::uint8_t {
    vaAttribut = 0,
    vaMethode = 1,
    vaTypname = 4,    // Boolean, Integer, Real, Char, String
    vaKlassenname = 5,
};

struct TVorschlag {
    TVorschlagsArt Art = vaAttribut;
    bool HasParameters = false;  // a method that takes at least one parameter
    std::string Name;            // inserted and matched
    // Shown after the name: an attribute's type; a method's parameter list
    // and result type; empty for type and class names.
    std::string Description;
};

// Abandons a member lookup; never leaves this unit.
class ECodeComplete : public std::exception {
public:
    const char* what() const noexcept override { return "code completion abandoned"; }
};

class TVorschlaege {
public:
    // Builds the type proposals from its own class factory.
    TVorschlaege();
    ~TVorschlaege();
    TVorschlaege(const TVorschlaege&) = delete;
    TVorschlaege& operator=(const TVorschlaege&) = delete;

    // The check whose published names the lookups read; none proposes no
    // members and no types.
    void SetSources(const TSyntaxcheck* check) { FCheck = check; }
    // Instead of a background check: the space of one check pass the caller
    // keeps (the browser build, which runs its passes itself).
    void SetSpace(const TVarSpace* space) { FSpace = space; }

    // Decides what to propose for `line` left of the 0-based caret column
    // and fills the shown list. Returns the 1-based column where the
    // completed word starts (just behind the `.` or `:`), or -1 when nothing
    // is proposed. Looks no further back than kMaxPrefixLength characters
    // for the `.` or `:`, and follows a dotted path only from its first name
    // on as far as it leads, so that a keystroke on a very long line costs
    // little more than on a short one.
    int Lookup(const std::string& line, int caretColumn);
    // Longer than any class, type, attribute or method name: a word typed
    // after a `.` or `:` that is longer matches no proposal.
    static constexpr int kMaxPrefixLength = 256;
    // Member proposals of the object named by the dotted path `text`, which
    // ends with its last `.`; false (nothing changed) when the path is
    // malformed or names no declared object.
    bool LookupMembers(std::string_view text);
    void ShowTypes();
    // Shows the proposals of the current source starting with the filter
    // prefix (ignoring letter case) and selects the first; false when none.
    bool FillList();

    const std::vector<const TVorschlag*>& Shown() const { return FShown; }
    int Selected() const { return FSelected; }
    void Select(int index);
    void SelectNext();
    void SelectPrevious();
    // The selected proposal's name; a method's followed by "(" when it takes
    // parameters, else by "()". Empty when nothing is selected.
    std::string InsertText() const;

    std::string FilterPrefix;
    const std::vector<std::string>& NamePath() const { return FNamePath; }
    const std::vector<TVorschlag>& TypeProposals() const { return FTypes; }
    const std::vector<TVorschlag>& MemberProposals() const { return FMembers; }

private:
    void BuildMembers(const TObjekt& object);
    std::string TypeName(int kind, std::int32_t classNumber) const;
    bool IsDeclared(std::string_view name) const;

    const TVarSpace* Space() const;

    const TSyntaxcheck* FCheck = nullptr;
    const TVarSpace* FSpace = nullptr;
    std::unique_ptr<TKlassenFabrik> FFactory;
    std::vector<std::string> FNamePath;
    std::vector<TVorschlag> FMembers;
    std::vector<TVorschlag> FTypes;
    const std::vector<TVorschlag>* FSource = nullptr;
    std::vector<const TVorschlag*> FShown;
    int FSelected = -1;
};
