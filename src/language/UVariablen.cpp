#include "UVariablen.h"

#include "UBlockPool.h"
#include "UNamen.h"
#include "UObjekt.h"

#include <algorithm>
#include <atomic>

// ---------------------------------------------------------------- TVariable

TVariable::TVariable(std::string_view name, TVariant* value, bool reference, bool builtIn,
                     bool borrowedValue)
    : Name(LowerAscii(name)), Value(value), BuiltIn(builtIn), Reference(reference),
      BorrowedValue(borrowedValue) {}

TVariable::~TVariable() {
    if (!Value) return;
    if (!Reference) {
        delete Value->AsObject();
        delete Value->AsMethod();
    }
    if (!BorrowedValue) delete Value;
}

void* TVariable::operator new(std::size_t size) {
    if (size != sizeof(TVariable)) return ::operator new(size);
    return TBlockPool::Of<sizeof(TVariable)>().Allocate();
}

void TVariable::operator delete(void* block, std::size_t size) noexcept {
    if (size != sizeof(TVariable)) return ::operator delete(block);
    TBlockPool::Of<sizeof(TVariable)>().Release(block);
}

// --------------------------------------------------------------- TPositions

TPositions::~TPositions() {
    if (OnHeap()) delete[] Heap;
}

void TPositions::push_back(std::int32_t position) {
    if (Size == Capacity) {
        auto* grown = new std::int32_t[2 * std::size_t{Capacity}];
        std::copy(begin(), end(), grown);
        if (OnHeap()) delete[] Heap;
        Heap = grown;
        Capacity *= 2;
    }
    (OnHeap() ? Heap : Inline)[Size++] = position;
}

// ---------------------------------------------------------------- TVarSpace

TVarSpace::TVarSpace() {
    ScopeStarts.reserve(100);
    RegisterBuiltIns();
}

TVarSpace::~TVarSpace() {
    while (!ScopeStarts.empty()) CloseScope();
    // Declaration order, as for a closing scope: the default window goes
    // before the figures registered with it.
    for (auto& variable : Variables) variable.reset();
}

std::size_t TVarSpace::TNameHash::operator()(std::string_view name) const noexcept {
    // FNV-1a in 64 bits also where std::size_t has 32 (the browser build).
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(LowerAscii(c));
        hash *= 1099511628211ull;
    }
    return static_cast<std::size_t>(hash);
}

bool TVarSpace::TNameEqual::operator()(std::string_view a, std::string_view b) const {
    return SameName(a, b);
}

TVariable* TVarSpace::Append(std::unique_ptr<TVariable> variable) {
    const auto position = static_cast<std::int32_t>(Variables.size());
    auto entry = Index.find(std::string_view(variable->Name));
    if (entry == Index.end()) entry = Index.try_emplace(variable->Name).first;
    entry->second.push_back(position);
    Variables.push_back(std::move(variable));
    ++FGeneration;
    return Variables.back().get();
}

TVariable* TVarSpace::Declare(std::string_view name, std::unique_ptr<TVariant> value,
                              bool reference, bool builtIn) {
    return Append(std::make_unique<TVariable>(name, value.release(), reference, builtIn, false));
}

TVariable* TVarSpace::DeclareParameter(std::string_view name, TVariant* value, bool reference,
                                       bool borrowedValue) {
    return Append(SpareVariable(name, value, reference, borrowedValue));
}

TVariable* TVarSpace::DeclareOwnValue(std::string_view name) {
    std::unique_ptr<TVariant> value;
    if (FSpareValues.empty()) {
        value = std::make_unique<TVariant>();
    } else {
        value = std::move(FSpareValues.back());
        FSpareValues.pop_back();
    }
    return DeclareParameter(name, value.release(), false, false);
}

std::unique_ptr<TVariable> TVarSpace::SpareVariable(std::string_view name, TVariant* value, bool reference,
                                                    bool borrowedValue) {
    if (FSpareVariables.empty())
        return std::make_unique<TVariable>(name, value, reference, false, borrowedValue);
    std::unique_ptr<TVariable> variable = std::move(FSpareVariables.back());
    FSpareVariables.pop_back();
    variable->Name.resize(name.size());
    std::transform(name.begin(), name.end(), variable->Name.begin(), [](char c) { return LowerAscii(c); });
    variable->Value = value;
    variable->BuiltIn = false;
    variable->Reference = reference;
    variable->BorrowedValue = borrowedValue;
    return variable;
}

void TVarSpace::Retire(std::unique_ptr<TVariable> variable) {
    TVariant* value = variable->Value;
    variable->Value = nullptr;
    if (value) {
        if (!variable->Reference) {
            delete value->AsObject();
            delete value->AsMethod();
        }
        if (!variable->BorrowedValue) {
            // As good as new: nothing it referred to, and changed as a new value is.
            value->SetBoolean(false);
            value->SetAttribute(nullptr);
            FSpareValues.emplace_back(value);
        }
    }
    FSpareVariables.push_back(std::move(variable));
}

void TVarSpace::OpenScope() {
    if (ScopeStarts.size() == ScopeStarts.capacity()) ScopeStarts.reserve(ScopeStarts.size() + 100);
    ScopeStarts.push_back(static_cast<std::int32_t>(Variables.size()));
    ++FGeneration;
}

void TVarSpace::CloseScope() {
    if (ScopeStarts.empty()) return;
    const std::size_t start = static_cast<std::size_t>(ScopeStarts.back());
    for (std::size_t i = start; i < Variables.size(); ++i) {
        auto entry = Index.find(std::string_view(Variables[i]->Name));
        if (entry != Index.end() && !entry->second.empty()) entry->second.pop_back();
    }
    for (std::size_t i = start; i < Variables.size(); ++i) Retire(std::move(Variables[i]));
    Variables.resize(start);
    ScopeStarts.pop_back();
    ++FGeneration;
}

const TPositions* TVarSpace::Positions(std::string_view name) const {
    const auto entry = Index.find(name);
    return entry == Index.end() ? nullptr : &entry->second;
}

TVarSpace::TNameHandle TVarSpace::Handle(std::string_view name) {
    auto entry = Index.find(name);
    if (entry == Index.end()) entry = Index.try_emplace(LowerAscii(name)).first;
    return &entry->second;
}

TVariable* TVarSpace::Find(std::string_view name) const { return Find(Positions(name)); }

TVariable* TVarSpace::Find(TNameHandle positions) const {
    if (!positions || positions->empty()) return nullptr;
    const int inner = ScopeStarts.empty() ? Count() : ScopeStarts.back();
    // The first entry at or after the innermost scope's start is the
    // forward search's first match; the one before it is the latest
    // declaration below that scope.
    const auto at = std::lower_bound(positions->begin(), positions->end(), inner);
    if (!Binding && !ScopeStarts.empty() && at != positions->end()) return Variables[*at].get();
    if (at != positions->begin()) return Variables[*(at - 1)].get();
    return nullptr;
}

TVariable* TVarSpace::FindIn(std::string_view name, int from, int to) const {
    const TPositions* positions = Positions(name);
    if (!positions) return nullptr;
    const auto at = std::lower_bound(positions->begin(), positions->end(), from);
    return at != positions->end() && *at < to ? Variables[*at].get() : nullptr;
}

TVariant* TVarSpace::Lookup(std::string_view name) const {
    TVariable* variable = Find(name);
    return variable ? variable->Value : nullptr;
}

// ---------------------------------------------------------------- built-ins

namespace {

struct TColourConstant {
    const char* Name;
    std::int32_t Rot, Gruen, Blau;
};

struct TIntegerConstant {
    const char* Name;
    std::int32_t Value;
};

// The help panel's constant page and code completion list these names too.
constexpr TColourConstant ColourConstants[] = {
    {"schwarz", 0, 0, 0},       {"weiss", 255, 255, 255},   {"blau", 0, 0, 255},
    {"rot", 255, 0, 0},         {"gruen", 0, 128, 0},       {"gelb", 255, 255, 0},
    {"grau", 128, 128, 128},    {"hellgrau", 192, 192, 192}, {"hellblau", 166, 202, 240},
    {"hellgruen", 0, 255, 0},   {"braun", 128, 128, 0},
};

// Line styles are pen styles, fill styles brush styles of the canvas.
constexpr TIntegerConstant IntegerConstants[] = {
    {"gestrichelt", 1},   {"durchgezogen", 0}, {"gepunktelt", 2},   {"gestrichpunktelt", 3},
    {"unsichtbar", 5},    {"ausgemalt", 0},    {"schraffiert", 5},  {"kariert", 6},
    {"durchsichtig", 1},  {"zentriert", 0},    {"linksbuendig", 1}, {"rechtsbuendig", 2},
    {"obenbuendig", 1},   {"untenbuendig", 2},
};

struct TFunctionEntry {
    const char* Name;
    TFunction Function;
    TKind ResultKind;
    const char* Parameter1;
    TKind Kind1;
    const char* Parameter2;  // nullptr when there is only one
    TKind Kind2;
};

constexpr TFunctionEntry Functions[] = {
    {"sin", BuiltIn::Sin, vkReal, "Winkel in Grad", vkReal, nullptr, vkNone},
    {"cos", BuiltIn::Cos, vkReal, "Winkel in Grad", vkReal, nullptr, vkNone},
    {"tan", BuiltIn::Tan, vkReal, "Winkel in Grad", vkReal, nullptr, vkNone},
    {"arctan", BuiltIn::ArcTan, vkReal, "Wert", vkReal, nullptr, vkNone},
    {"abs", BuiltIn::Abs, vkReal, "Wert", vkReal, nullptr, vkNone},
    {"sqrt", BuiltIn::Sqrt, vkReal, "Wert", vkReal, nullptr, vkNone},
    {"round", BuiltIn::Round, vkInteger, "Zu rundende Zahl", vkReal, nullptr, vkNone},
    {"trunc", BuiltIn::Trunc, vkInteger, "Zu rundende Zahl", vkReal, nullptr, vkNone},
    {"zufall", BuiltIn::Zufall, vkInteger, "Von", vkInteger, "Bis", vkInteger},
};


std::atomic<TColourMaker> ColourMaker{nullptr};

} // namespace

void SetColourMaker(TColourMaker maker) { ColourMaker.store(maker); }

void TVarSpace::RegisterBuiltIns() {
    if (const TColourMaker make = ColourMaker.load())
        for (const auto& c : ColourConstants)
            Declare(c.Name, std::make_unique<TVariant>(make(c.Name, c.Rot, c.Gruen, c.Blau)), false, true);
    for (const auto& c : IntegerConstants)
        Declare(c.Name, std::make_unique<TVariant>(c.Value), false, true);
    for (const auto& f : Functions) {
        auto* method = new TMethode(f.ResultKind, 0, f.Function, this);
        method->Name = f.Name;
        method->AddParameter(f.Parameter1, f.Kind1, 0);
        if (f.Parameter2) method->AddParameter(f.Parameter2, f.Kind2, 0);
        Declare(f.Name, std::make_unique<TVariant>(method), false, true);
    }
}
