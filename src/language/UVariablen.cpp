#include "UVariablen.h"

#include "UFarbe.h"
#include "UNamen.h"

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

TVariable* TVarSpace::Declare(std::string_view name, std::unique_ptr<TVariant> value,
                              bool reference, bool builtIn) {
    Variables.push_back(
        std::make_unique<TVariable>(name, value.release(), reference, builtIn, false));
    return Variables.back().get();
}

TVariable* TVarSpace::DeclareParameter(std::string_view name, TVariant* value, bool reference,
                                       bool borrowedValue) {
    Variables.push_back(std::make_unique<TVariable>(name, value, reference, false, borrowedValue));
    return Variables.back().get();
}

void TVarSpace::OpenScope() {
    if (ScopeStarts.size() == ScopeStarts.capacity()) ScopeStarts.reserve(ScopeStarts.size() + 100);
    ScopeStarts.push_back(static_cast<std::int32_t>(Variables.size()));
}

void TVarSpace::CloseScope() {
    if (ScopeStarts.empty()) return;
    const std::size_t start = static_cast<std::size_t>(ScopeStarts.back());
    for (std::size_t i = start; i < Variables.size(); ++i) Variables[i].reset();
    Variables.resize(start);
    ScopeStarts.pop_back();
}

TVariable* TVarSpace::Find(std::string_view name) const {
    const int count = Count();
    const int inner = ScopeStarts.empty() ? count : ScopeStarts.back();
    if (!Binding && !ScopeStarts.empty())
        for (int i = inner; i < count; ++i)
            if (SameName(Variables[i]->Name, name)) return Variables[i].get();
    for (int i = inner - 1; i >= 0; --i)
        if (SameName(Variables[i]->Name, name)) return Variables[i].get();
    return nullptr;
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

} // namespace

void TVarSpace::RegisterBuiltIns() {
    for (const auto& c : ColourConstants)
        Declare(c.Name,
                std::make_unique<TVariant>(new TFarbe(c.Name, nullptr, c.Rot, c.Gruen, c.Blau)),
                false, true);
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
