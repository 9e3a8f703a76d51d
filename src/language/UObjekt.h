#pragma once
// The object model: every object of the language (window, colour, figure)
// is a TObjekt publishing two ordered lists, attributes and methods. The
// interpreter, the syntax check, code completion and the class tree see only
// these lists, never the concrete class.
//
// Class numbers encode inheritance by divisibility: an object of class number
// c is accepted where d is required exactly when c is a multiple of d.
#include "UVariant.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class TStack;
class TObjekt;

// How an object is shown, as plain words compared bit for bit: what its
// built-in methods can change. A call that leaves these words as they were
// changed nothing on the screen, so no window need paint for it.
class TShapeState {
public:
    void Add(std::uint64_t word) {
        if (Count < Capacity) Words[Count] = word;
        ++Count;
    }
    void Add(double value);
    // Every attribute's kind and value, a colour's (or other object's) own
    // attributes in place of the object. False for a value it cannot put in
    // words (a text, a method).
    bool AddAttributes(const TObjekt& object, int depth = 0);
    // Equal only when neither ran out of room.
    bool operator==(const TShapeState& other) const;

private:
    static constexpr int Capacity = 96;
    std::array<std::uint64_t, Capacity> Words{};
    int Count = 0;
};
class TObjekt;
class TVarSpace;
// The drawing canvas of one drawing window: it holds the world-to-pixel
// mapping and the platform TCanvas (UCanvas.h) that figures set pens on and
// draw with. Only figure classes need its definition.
class TDrawCanvas;

// True when an object of class number `actual` may stand where `required` is
// asked for. A required number of 0 accepts only 0; the test never divides by
// zero or overflows.
bool ClassAccepts(std::int32_t required, std::int32_t actual);

struct TParameter {
    std::string Name;
    TKind Kind = vkNone;
    std::int32_t ClassNumber = 0;  // for objects
    bool ByReference = false;      // a variable parameter
};

// An attribute's or a class's name. The objects of a class repeat the same
// few names, so each text is kept once for the whole process and a name
// holds only its 32-bit number in that pool. Reads as a const std::string;
// assigning renames.
class TMemberName {
public:
    TMemberName() = default;  // empty
    TMemberName(std::string_view text);  // NOLINT(google-explicit-constructor): names are given as text
    TMemberName& operator=(std::string_view text);

    operator const std::string&() const { return str(); }  // NOLINT(google-explicit-constructor)
    operator std::string_view() const { return str(); }    // NOLINT(google-explicit-constructor)
    const std::string& str() const {
        if (Number == 0) return Empty();
        // A number is handed out only after its text is in place.
        return Chunks[Number / ChunkSize].load(std::memory_order_acquire)[Number % ChunkSize];
    }
    std::size_t size() const { return str().size(); }
    bool empty() const { return str().empty(); }

    friend bool operator==(const TMemberName& a, std::string_view b) { return std::string_view(a.str()) == b; }
    friend std::string operator+(const TMemberName& a, std::string_view b) { return std::string(a.str()).append(b); }
    friend std::string operator+(std::string a, const TMemberName& b) { return a.append(b.str()); }
    friend std::ostream& operator<<(std::ostream& out, const TMemberName& name) { return out << name.str(); }

private:
    static std::uint32_t Pooled(std::string_view text);
    static const std::string& Empty() {
        static const std::string empty;
        return empty;
    }

    // The pool's texts in chunks that never move and are never freed;
    // number 0 is the empty text, which is not among them.
    static constexpr std::uint32_t ChunkSize = 256;
    static constexpr std::uint32_t MaxChunks = 4096;
    static std::atomic<const std::string*> Chunks[MaxChunks];

    std::uint32_t Number = 0;
};

class TAttribut {
public:
    // The value starts as the kind's zero and points back to this attribute.
    TAttribut(std::string_view name, std::int32_t classNumber, TKind kind, TObjekt* owner);
    TAttribut(const TAttribut&) = delete;
    TAttribut& operator=(const TAttribut&) = delete;

    // Stores `value` as this attribute's kind and notifies the owner, exactly
    // as an assignment to obj.attribut or its setter does. An object-valued
    // attribute keeps its own object and copies the source into it (Assign);
    // a missing source object changes nothing but still notifies.
    void Store(const TVariant& value);

    // Every figure holds a dozen of these, taken from a pool of blocks of
    // their size; Hidden and ClassNumber sit in the value's tail padding.
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;

    [[no_unique_address]] TVariant Value;  // an object held here belongs to the owner
    bool Hidden = false;  // skipped by name lookups, gets no setter
    std::int32_t ClassNumber;  // required of an object value, else 0
    TMemberName Name;
    TObjekt* Owner;
};

enum TMethodKind : std::uint8_t {
    mkObjectMethod = 0,   // built-in method, run by the owner's CallMethod
    mkFunction = 1,       // built-in function of the variable space
    mkProgramMethod = 2,  // method of the program, run by the interpreter
    mkSetter = 3,         // automatic attribute setter
};

// A built-in function takes its arguments from the stack (last parameter
// first) and pushes its result. It returns nullptr, or a runtime message for
// the interpreter to raise; then it has pushed nothing.
using TFunction = const char* (*)(TVarSpace* context, TStack& stack);

class TMethode {
public:
    // Built-in method of an object. A result kind of vkNone means no result.
    TMethode(std::string name, std::int32_t resultClassNumber, TKind resultKind,
             std::int32_t methodNumber, TObjekt* owner);
    // Built-in function; the name is given by whoever declares it.
    TMethode(TKind resultKind, std::int32_t resultClassNumber, TFunction function,
             TVarSpace* context);
    // Method of the program; name and parameters are filled in later.
    explicit TMethode(std::int32_t bodyPosition);
    // Setter of an attribute: "<attribute>Setzen" with one value parameter.
    explicit TMethode(TAttribut* attribute);
    // The same for the attribute at `index` of whichever object it is invoked for.
    TMethode(const TAttribut& attribute, std::int32_t index);
    TMethode& operator=(const TMethode&) = delete;

    void AddParameter(std::string name, TKind kind, std::int32_t classNumber,
                      bool byReference = false);
    // Exact, case-sensitive match; none if absent. Valid until the next AddParameter.
    const TParameter* FindParameter(std::string_view name) const;
    bool HasResult() const { return Result.has_value(); }

    // Runs a built-in (kinds 0, 1, 3) with its arguments already on the stack;
    // a result, if any, is left on top. Returns nullptr or a runtime message.
    // Program methods (kind 2) are run by the interpreter; here they do nothing.
    // A method of a class description runs on `self` (the object the call was
    // made on); a method bound to its object may be given none.
    const char* Invoke(TStack& stack, TObjekt* self = nullptr);
    // A copy that runs on `self` without being told: Owner and, for a
    // setter, Attribute point into `self`.
    std::unique_ptr<TMethode> BoundTo(TObjekt& self) const;

    TMethodKind Kind;
    bool Hidden = false;
    // A built-in that only reads its owner (a probe): calling it changes
    // nothing any window shows.
    bool ChangesNothing = false;
    std::string Name;
    std::vector<TParameter> Parameters;
    TObjekt* Owner = nullptr;        // kind 0
    std::int32_t MethodNumber = 0;   // kind 0
    std::optional<TParameter> Result;
    TFunction Function = nullptr;    // kind 1
    TVarSpace* Context = nullptr;    // kind 1
    std::int32_t BodyPosition = 0;   // kind 2
    std::int32_t BodyEnd = 0;        // kind 2: behind its `ende`
    TAttribut* Attribute = nullptr;  // kind 3
    std::int32_t AttributeIndex = -1;  // kind 3: the attribute's place in its object

private:
    friend class TMemberTable;
    TMethode(const TMethode&) = default;
};

// The methods all objects of one class share, in order, and an index of
// their upper-case names. A class's objects build their methods as they are
// constructed; when the construction ends (AddSetters) an object whose
// methods equal those of an earlier object of its class takes that one's
// table and frees its own, so a program with thousands of figures keeps one
// description per class. A shared table is never changed again: an object
// that adds a method afterwards gets its own copy first.
class TMemberTable {
public:
    TMemberTable() = default;
    TMemberTable(const TMemberTable& other);
    TMemberTable& operator=(const TMemberTable&) = delete;

    // First visible method whose name matches ignoring ASCII case.
    TMethode* Find(std::string_view name) const;
    bool SameAs(const TMemberTable& other) const;
    void BuildIndex();

    std::vector<std::unique_ptr<TMethode>> Methods;
    bool Shared = false;

private:
    struct TEntry {
        std::string Upper;
        std::int32_t Index;
    };
    std::vector<TEntry> Index;  // sorted by Upper, then by Index
};

class TObjekt {
public:
    TObjekt(std::string name, TObjekt* owner);
    // Frees the objects held by attribute values, then attributes and methods.
    virtual ~TObjekt();
    TObjekt(const TObjekt&) = delete;
    TObjekt& operator=(const TObjekt&) = delete;

    // Called after an attribute's value was changed from outside (assignment
    // or setter), or with none after a method changed several at once; the
    // class re-derives its state from the attribute values.
    virtual void AttributeChanged(TAttribut* attribute) = 0;
    // Runs built-in method `methodNumber`: pops its arguments (last first)
    // and, if it has a result, pushes exactly one value.
    virtual void CallMethod(std::int32_t methodNumber, TStack& stack) = 0;
    virtual void Draw(TDrawCanvas& canvas) = 0;
    // A new object of the same class with this one's state (via Assign).
    virtual std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) = 0;
    // Copies the state of an object of the same class (or a subclass) into
    // this one; object assignment in the language copies, it never rebinds.
    virtual void Assign(const TObjekt& source);

    TAttribut* AddAttribute(std::unique_ptr<TAttribut> attribute);
    TAttribut* AddAttribute(std::string_view name, std::int32_t classNumber, TKind kind);
    TMethode* AddMethod(std::unique_ptr<TMethode> method);
    // Built-in method of this object; add its parameters to the result.
    TMethode* AddMethod(std::string name, std::int32_t methodNumber,
                        TKind resultKind = vkNone, std::int32_t resultClassNumber = 0);
    // Unless `noSetters`, appends "<name>Setzen" for every visible attribute,
    // in attribute order. Subclass constructors call it last: it ends the
    // building of the class's methods (see TMemberTable).
    void AddSetters(bool noSetters);
    // Hides the method at `place` in Methods(); for constructors.
    void HideMethod(std::size_t place);

    // First visible entry whose name matches ignoring ASCII case; none if absent.
    TAttribut* FindAttribute(std::string_view name) const;
    // The method bound to this object (made on first use, kept with the
    // object), so that it can be invoked without naming the object.
    TMethode* FindMethod(std::string_view name) const;
    // Also finds hidden entries; for classes that keep references by name.
    TAttribut* FindAttributeAny(std::string_view name) const;

    // Objects alive in the process. A run refuses to make more than MaxLive:
    // each costs a few kilobytes, and a recursion that declares figures at
    // every level would otherwise use up the memory, and the system would end
    // ZAK with the pupil's unsaved text.
    static constexpr std::int64_t MaxLive = 100000;
    static std::int64_t LiveCount();

    // Counts every change that may alter what an object shows: attribute
    // stores, built-in method calls, object assignments, objects made and
    // freed. A drawing window whose figures saw no change since its last
    // paint need not paint again. Anyone changing an object by other means
    // notes it here, naming the object where it can.
    static std::uint64_t Changes() { return ChangeCount.load(std::memory_order_relaxed); }
    // A change that names no object: every window takes it as its own.
    static void NoteChange() {
        CommonChange.store(ChangeCount.fetch_add(1, std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    }
    // `object` changed (none: as above). Stamps it, its owners (a colour's
    // change is its figure's) and whatever it moves along (StampParts).
    static void NoteChange(TObjekt* object);
    // The count at the last change that named no object.
    static std::uint64_t CommonChanges() { return CommonChange.load(std::memory_order_relaxed); }
    // The count at this object's last change; 0 before any.
    std::uint64_t LastChange() const { return ChangeStamp; }
    void StampChange(std::uint64_t stamp) { ChangeStamp = stamp; }
    // Stamps the objects this one changes besides itself and those it owns
    // (a group's members).
    virtual void StampParts(std::uint64_t) {}
    // Puts into `state` everything a built-in method of this object can
    // change of what it shows. False when the class cannot tell (the
    // default): then every call counts as a change.
    virtual bool ShapeState(TShapeState&) const { return false; }

    bool IsA(std::int32_t requiredClassNumber) const {
        return ClassAccepts(requiredClassNumber, ClassNumber);
    }

    const std::vector<std::unique_ptr<TAttribut>>& Attributes() const { return AttributeList; }
    // The class's methods in order; setters and object methods in it are run
    // by Invoke(stack, object). Shared by the objects of a class.
    const std::vector<std::unique_ptr<TMethode>>& Methods() const { return Table->Methods; }
    // The entry of Methods() FindMethod would find, without binding it:
    // what the interpreter and the syntax check use.
    TMethode* FindClassMethod(std::string_view name) const;
    const TMemberTable& Members() const { return *Table; }

    std::string Name;       // the name it was created under
    TObjekt* Owner;
    // Set by a built-in method that cannot do what it was asked (a
    // Windows-1252 message); the call that ran the method reports it as a
    // runtime error and clears it.
    const char* MethodError = nullptr;

private:
    static std::atomic<std::int64_t> Live;
    static std::atomic<std::uint64_t> ChangeCount;
    static std::atomic<std::uint64_t> CommonChange;
    std::uint64_t ChangeStamp = 0;
    // The table is the object's own while it is being built.
    TMemberTable& OwnTable();
    // Ends the building: takes the table of an earlier object of the same
    // class if it is equal, or offers this one to later objects.
    void ShareTable();

    std::vector<std::unique_ptr<TAttribut>> AttributeList;
    // Owned while not Shared; a shared table lives as long as the process.
    TMemberTable* Table;
    // Copies of the table's methods bound to this object, made by FindMethod.
    mutable std::unique_ptr<std::vector<std::unique_ptr<TMethode>>> BoundMethods;

public:
    // Last, so that a subclass's small fields (a colour's) fill the padding
    // after them.
    std::int32_t ClassNumber = 0;
    TMemberName ClassName;  // upper case, set by the subclass
    bool Drawable = false;
};
