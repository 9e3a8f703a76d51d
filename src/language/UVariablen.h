#pragma once
// Every name a running program can use: the built-in constants and
// functions, the program's methods, its variables and objects, and the
// parameters of the method calls in progress, in nested scopes.
#include "UDaten.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TVariable {
public:
    // `value` is owned unless `borrowedValue`; the object or method it holds
    // is freed with the variable unless `reference`.
    TVariable(std::string_view name, TVariant* value, bool reference, bool builtIn,
              bool borrowedValue);
    ~TVariable();
    TVariable(const TVariable&) = delete;
    TVariable& operator=(const TVariable&) = delete;
    // One per declared name: taken from a pool of blocks of its size.
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;

    // Lower case; the variable space indexes it and alone renames a
    // variable it reuses.
    std::string Name;
    TVariant* Value;
    // Predefined constants, functions and the nameless default window; the
    // variables view lists neither these nor variables holding a method.
    bool BuiltIn;
    bool Reference;      // the value's object or method belongs to someone else
    bool BorrowedValue;  // the TVariant itself belongs to someone else
};

// The list indexes of the variables of one name, ascending. Nearly every
// name has one or two, kept in place; more go to an array of their own.
class TPositions {
public:
    TPositions() = default;
    ~TPositions();
    TPositions(const TPositions&) = delete;
    TPositions& operator=(const TPositions&) = delete;

    const std::int32_t* begin() const { return OnHeap() ? Heap : Inline; }
    const std::int32_t* end() const { return begin() + Size; }
    bool empty() const { return Size == 0; }
    std::size_t size() const { return Size; }
    void push_back(std::int32_t position);
    void pop_back() { --Size; }

private:
    static constexpr std::uint32_t InlineCount = 2;
    bool OnHeap() const { return Capacity > InlineCount; }

    union {
        std::int32_t Inline[InlineCount] = {};
        std::int32_t* Heap;
    };
    std::uint32_t Size = 0;
    std::uint32_t Capacity = InlineCount;
};

class TVarSpace {
public:
    // Registers the built-in constants and functions.
    TVarSpace();
    // Closes every open scope, then frees all remaining variables.
    ~TVarSpace();
    TVarSpace(const TVarSpace&) = delete;
    TVarSpace& operator=(const TVarSpace&) = delete;

    // Appends a variable (name lower-cased). Duplicates are the caller's
    // concern; any name is accepted, also an empty one.
    TVariable* Declare(std::string_view name, std::unique_ptr<TVariant> value,
                       bool reference = false, bool builtIn = false);
    // A parameter: owned `value` unless `borrowedValue`.
    TVariable* DeclareParameter(std::string_view name, TVariant* value, bool reference,
                                bool borrowedValue);
    // A variable or value parameter with a value of its own, Boolean false
    // until the caller fills it: Declare with a new value. It reuses what
    // the scopes closed before it left behind, so that a warm run calls
    // methods (and declares their locals) without allocating.
    TVariable* DeclareOwnValue(std::string_view name);

    void OpenScope();
    // Frees the variables of the innermost scope; nothing if none is open.
    void CloseScope();
    int ScopeCount() const { return static_cast<int>(ScopeStarts.size()); }
    int ScopeStart(int scope) const { return ScopeStarts[scope]; }

    // Innermost scope first (unless binding), then everything below it,
    // latest declaration first. Names compare ignoring ASCII case. Takes
    // time logarithmic in the number of variables of that name, however
    // deep the scopes are nested, and never allocates.
    TVariant* Lookup(std::string_view name) const;
    TVariable* Find(std::string_view name) const;
    // A name looked up once and then by its handle, without hashing it again:
    // the handle stays valid as long as the space (an unknown name gets an
    // empty entry). Find by handle answers as Find by name.
    using TNameHandle = const TPositions*;
    TNameHandle Handle(std::string_view name);
    TVariable* Find(TNameHandle positions) const;
    // The first variable of that name among the list indexes from..to-1, or none.
    TVariable* FindIn(std::string_view name, int from, int to) const;

    // While set, lookups skip the innermost scope: arguments of a program
    // method call are evaluated in the caller's context, not among the
    // parameters being bound.
    bool Binding = false;

    int Count() const { return static_cast<int>(Variables.size()); }

    // Changes whenever a declaration or a scope could change what a name
    // means; a lookup kept from the same generation (and binding state) is
    // still the answer.
    std::uint64_t Generation() const { return FGeneration; }
    TVariable* At(int index) const { return Variables[index].get(); }

private:
    void RegisterBuiltIns();
    TVariable* Append(std::unique_ptr<TVariable> variable);
    // Frees what a closing scope's variable owns, as its destructor would,
    // and keeps the variable (and its own value) for later parameters.
    void Retire(std::unique_ptr<TVariable> variable);
    std::unique_ptr<TVariable> SpareVariable(std::string_view name, TVariant* value, bool reference,
                                             bool borrowedValue);
    // The list indexes of the variables of one name, ascending.
    const TPositions* Positions(std::string_view name) const;

    // Hash and equality of names ignoring ASCII case, so that a lookup can
    // go by the name as written without building a lower-cased copy. Cheap
    // and not throwing, so the index does not store each name's hash.
    struct TNameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const noexcept;
    };
    struct TNameEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };

    std::vector<std::unique_ptr<TVariable>> Variables;
    std::vector<std::unique_ptr<TVariable>> FSpareVariables;  // without a value
    std::vector<std::unique_ptr<TVariant>> FSpareValues;
    std::vector<std::int32_t> ScopeStarts;
    std::uint64_t FGeneration = 0;
    // Every name's list indexes, ascending: declarations append and closing
    // scopes remove from the end, so each name's entries stay sorted and the
    // entry to remove is always its last. A name whose variables are all
    // gone keeps its (empty) entry for the next call that declares it.
    std::unordered_map<std::string, TPositions, TNameHash, TNameEqual> Index;
};

// The colour constants (schwarz, rot, ...) are objects of the colour class,
// which lives in the layer above; that layer registers how to make one.
// Without a maker the constants are left out.
using TColourMaker = TObjekt* (*)(const char* name, std::int32_t rot, std::int32_t gruen, std::int32_t blau);
void SetColourMaker(TColourMaker maker);

// The built-in functions, for tests and for the syntax check's typing. Each
// pops its arguments and pushes its result, or returns a runtime message.
namespace BuiltIn {
const char* Sin(TVarSpace*, TStack& stack);
const char* Cos(TVarSpace*, TStack& stack);
const char* Tan(TVarSpace*, TStack& stack);
const char* ArcTan(TVarSpace*, TStack& stack);
const char* Abs(TVarSpace*, TStack& stack);
const char* Sqrt(TVarSpace*, TStack& stack);
const char* Round(TVarSpace*, TStack& stack);
const char* Trunc(TVarSpace*, TStack& stack);
const char* Zufall(TVarSpace*, TStack& stack);
} // namespace BuiltIn

// The process-wide pseudo-random generator behind `zufall`. It starts from a
// fixed seed, so a program draws the same numbers after every start until the
// main window re-seeds it from the clock.
namespace Zufall {
void Randomize();                  // seeds from the clock
void SetSeed(std::uint64_t seed);  // tests; the fixed start seed is 0
// A uniformly distributed integer from `from` to `to` inclusive (from <= to).
std::int32_t Between(std::int32_t from, std::int32_t to);
} // namespace Zufall
