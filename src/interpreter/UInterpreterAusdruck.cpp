// Expressions, designators and calls: evaluated straight from the token
// stream, each grammar level leaving its result on the evaluation stack.
// Every level reads one token beyond its end and gives it back. Operators
// work in place on the stack slots, so a warm stack evaluates numeric
// expressions without allocating. What each operator takes and computes
// is UOperatoren.h's, shared with the kept forms and the syntax check.
#include "UInterpreter.h"
#include "UInterpreterMeldungen.h"
#include "UMeldungen.h"
#include "UOperatoren.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// `op` on the two values on top of the stack, which it takes; the result
// replaces the left one. Returns the runtime message of a failure.
const char* ApplyOnTop(TStack& stack, int op) {
    TOperand right{};
    TOperand left{};
    ReadOperand(*stack.Peek(), right);
    stack.Drop();
    TVariant& target = *stack.Peek();
    ReadOperand(target, left);
    if (const char* message = ApplyBinary(op, left, right)) return message;
    WriteOperand(target, left);
    return nullptr;
}

// Holds one level of the designator-name scratch for the duration of a designator.
struct TLevel {
    int& Level;
    explicit TLevel(int& level) : Level(level) { ++Level; }
    ~TLevel() { --Level; }
};

} // namespace

// Each level may hold a value of its own while the next one is read: a long
// text at every level passes the budget before the statement ends.
bool TInterpreter::EnterNesting() {
    if (++FNesting > MaxExpressionDepth) {
        --FNesting;
        Fail(Meldung::ZuTiefGeschachtelt);
        return false;
    }
    if (TextsPastAlarm() && !MemoryLeft()) {
        --FNesting;
        return false;
    }
    return true;
}

// Evaluates an expression and converts the value on top of the stack to the
// expected kind. Boolean is neither tested nor converted: the consumer pops
// it as Boolean, so that a value of another kind reads as false.
void TInterpreter::Evaluate(TKind kind, std::int32_t classNumber) {
    if (FErrorFlag || EvaluateKept(kind)) return;
    Expression();
    if (FErrorFlag) return;
    TVariant& top = *FStack.Peek();
    switch (kind) {
    case vkChar:
        if (top.Kind() != vkChar) Fail(Meldung::TypChar);
        break;
    case vkInteger:
        if (top.Kind() != vkInteger) Fail(Meldung::TypInteger);
        break;
    case vkReal:
        if (top.Kind() == vkInteger) top.ConvertToReal();
        else if (top.Kind() != vkReal) Fail(Meldung::TypDouble);
        break;
    case vkString:
        if (top.Kind() == vkBoolean || top.Kind() == vkInteger || top.Kind() == vkReal)
            top.ConvertToString();
        else if (top.Kind() != vkString) Fail(Meldung::TypString);
        break;
    case vkObjekt: {
        TObjekt* object = top.Kind() == vkObjekt ? top.AsObject() : nullptr;
        if (!object || !object->IsA(classNumber))
            Fail(Meldung::Klasse1, std::to_string(classNumber), Meldung::Klasse2);
        break;
    }
    default:
        break;
    }
}

// expression: comparison { (und | oder) comparison }. Both sides are always
// evaluated.
void TInterpreter::Expression() {
    Comparison();
    while (!FErrorFlag) {
        int op = FScanner.NextToken();
        if (OperatorLevel(op) != olLogic) {
            FScanner.Rewind();
            return;
        }
        if (!Takes(op, FStack.TopKind())) return Fail(Meldung::VorAndOr);
        Comparison();
        if (FErrorFlag) return;
        if (!Takes(op, FStack.TopKind())) return Fail(Meldung::NachAndOr);
        ApplyOnTop(FStack, op);
    }
}

// comparison: sum [ relation sum ]. At most one relation: `a < b < c` ends
// after `a < b` and the caller meets the second `<`.
void TInterpreter::Comparison() {
    Sum();
    if (FErrorFlag) return;
    int op = FScanner.NextToken();
    if (!IsRelation(op)) {
        FScanner.Rewind();
        return;
    }
    if (!Takes(op, FStack.TopKind())) return Fail(Meldung::VorVergleich);
    Sum();
    if (FErrorFlag) return;
    if (!Takes(op, FStack.TopKind())) return Fail(Meldung::NachVergleich);
    ApplyOnTop(FStack, op);
}

// sum: product { (+ | -) product }. A String on either side of `+`
// concatenates; Integers stay Integers; otherwise the result is Real.
void TInterpreter::Sum() {
    Product();
    while (!FErrorFlag) {
        int op = FScanner.NextToken();
        if (OperatorLevel(op) != olSum) {
            FScanner.Rewind();
            return;
        }
        // Either side may be a String, so that `-` with one gets its own
        // message once both sides are read.
        const TKind leftKind = FStack.TopKind();
        if (!Takes(OPlus, leftKind)) return Fail(Meldung::VorPlusMinus);
        Product();
        if (FErrorFlag) return;
        const TKind rightKind = FStack.TopKind();
        if (!Takes(OPlus, rightKind)) return Fail(Meldung::NachPlusMinus);
        if (!Takes(op, leftKind) || !Takes(op, rightKind)) return Fail(Meldung::StringMinus);
        if (ResultKind(op, leftKind, rightKind) == vkString) {
            if (const char* message = Concatenate()) return Fail(message);
            continue;
        }
        if (const char* message = ApplyOnTop(FStack, op)) return Fail(message);
    }
}

// Left then right, the number converted to text; the result replaces the
// left operand. Builds nothing when the result would be longer than
// MaxStringLength or pass the memory budget.
const char* TInterpreter::Concatenate() {
    TVariant& right = *FStack.Peek();
    FStack.Drop();
    TVariant& left = *FStack.Peek();
    // A number's text is short; only Strings can make the result too long.
    constexpr std::size_t NumberText = 32;
    const std::size_t leftLength = left.Kind() == vkString ? left.AsString().size() : NumberText;
    const std::size_t rightLength = right.Kind() == vkString ? right.AsString().size() : NumberText;
    if (leftLength + rightLength > MaxStringLength) return Meldung::ZeichenketteZuLang;
    // The scratch and the result each hold the whole text for a moment.
    if (MemoryInUse() + 2 * static_cast<std::int64_t>(leftLength + rightLength) > FMaxMemory)
        return Meldung::ArbeitsspeicherReichtNicht;
    FConcat.clear();
    left.AppendAsString(FConcat);
    right.AppendAsString(FConcat);
    left.SetString(FConcat);
    return nullptr;
}

// product: unary { (* | /) unary }. Integer / Integer truncates toward zero.
void TInterpreter::Product() {
    Unary();
    while (!FErrorFlag) {
        int op = FScanner.NextToken();
        if (OperatorLevel(op) != olProduct) {
            FScanner.Rewind();
            return;
        }
        if (!Takes(op, FStack.TopKind())) return Fail(Meldung::VorMalGeteilt);
        Unary();
        if (FErrorFlag) return;
        if (!Takes(op, FStack.TopKind())) return Fail(Meldung::NachMalGeteilt);
        if (const char* message = ApplyOnTop(FStack, op)) return Fail(message);
    }
}

// unary: - factor | nicht factor | factor. The operator binds to the factor
// alone: -a * b is (-a) * b, nicht a und b is (nicht a) und b.
void TInterpreter::Unary() {
    int op = FScanner.NextToken();
    if (!IsUnaryOperator(op)) {
        // Reading the same token again after giving it back would leave the
        // scanner exactly as it is now.
        if (FErrorFlag) return FScanner.Rewind();
        return Factor(op);
    }
    if (!EnterNesting()) return;
    Factor();
    LeaveNesting();
    if (FErrorFlag) return;
    TVariant& value = *FStack.Peek();
    if (!Takes(op, value.Kind())) return Fail(op == KNicht ? Meldung::NachNicht : Meldung::NachMinus);
    TOperand operand{};
    ReadOperand(value, operand);
    if (const char* message = ApplyUnary(op, operand)) return Fail(message);
    WriteOperand(value, operand);
}

// factor: ( expression ) | wahr | falsch | designator | literal.
void TInterpreter::Factor() {
    if (FErrorFlag) return;
    Factor(FScanner.NextToken());
}

void TInterpreter::Factor(int token) {
    switch (token) {
    case OKlammerAuf:
        if (!EnterNesting()) return;
        Expression();
        LeaveNesting();
        if (FErrorFlag) return;
        if (FScanner.NextToken() != OKlammerZu) Fail(Meldung::KlammerZuErwartet);
        return;
    case KWahr: return FStack.PushBoolean(true);
    case KFalsch: return FStack.PushBoolean(false);
    case OIntegerconst: return FStack.PushInteger(FScanner.IntValue());
    case ORealConst: return FStack.PushDouble(FScanner.RealValue());
    case OStringConst: return FStack.PushString(FScanner.TokenText());
    case OIdentifier:
        Designator(false, true);
        return;
    case OZahlenfehler: return Fail(FScanner.RawToken(), Meldung::KeineZahl);
    default: return Fail(FScanner.RawToken(), Meldung::KeinSinn);
    }
}

// A name chain with calls: name { . member }. The first name resolves against
// the fuer object's attributes and methods, then the variable space; a method
// is called at once. Messages always quote the chain's first name.
TVariant* TInterpreter::Designator(bool assignable, bool identifierRead) {
    FCallWithoutResult = false;
    if (FErrorFlag) return nullptr;
    if (!identifierRead && FScanner.NextToken() != OIdentifier) {
        Fail(Meldung::BezeichnerErwartet);
        return nullptr;
    }
    TLevel level(FNameLevel);
    if (static_cast<int>(FNames.size()) < FNameLevel) FNames.emplace_back();
    TDesignatorNames& names = FNames[FNameLevel - 1];
    names.FirstNumber = FScanner.TokenNumber();
    if (!names.FirstNumber) names.First = FScanner.TokenText();
    const std::string_view first = FirstName(names);

    enum { kValue, kResult, kNoResult } state = kValue;
    TVariant* current = nullptr;
    auto call = [&](TMethode& method, TObjekt* self) {
        names.MethodNumber = FScanner.TokenNumber();
        if (!names.MethodNumber) names.Method = FScanner.TokenText();
        switch (Call(method, self)) {
        case TCallOutcome::Result: state = kResult; break;
        case TCallOutcome::NoResult: state = kNoResult; break;
        case TCallOutcome::Failed: break;
        }
    };

    bool found = false;
    if (FFuerObject) {
        if (TAttribut* attribute = FFuerObject->FindAttribute(first)) {
            current = &attribute->Value;
            found = true;
        } else if (TMethode* method = FFuerObject->FindClassMethod(first)) {
            call(*method, FFuerObject);
            found = true;
        }
    }
    if (!found) {
        TVariant* value = LookupName(first, names.FirstNumber);
        if (!value) {
            Fail(Meldung::BezeichnerGibtEsNicht1, FirstName(names), Meldung::BezeichnerGibtEsNicht2);
            return nullptr;
        }
        if (value->Kind() == vkMethod && value->AsMethod()) call(*value->AsMethod(), nullptr);
        else current = value;
    }

    while (!FErrorFlag) {
        if (FScanner.NextToken() != OPunkt) {
            FScanner.Rewind();
            break;
        }
        TObjekt* object = nullptr;
        if (state == kNoResult) {
            Fail(Meldung::KeinObjekt1, MethodName(names), Meldung::KeinObjekt2);
            break;
        }
        if (state == kResult) {
            if (FStack.TopKind() == vkObjekt) object = FStack.PopObject();
            else FStack.Drop();
        } else if (current && current->Kind() == vkObjekt) {
            // No value only after a failed call, whose error ends the loop.
            object = current->AsObject();
        }
        if (!object) {
            Fail(FirstName(names), Meldung::KeineEigenschaften);
            break;
        }
        if (FScanner.NextToken() != OIdentifier) {
            Fail(Meldung::NachPunkt);
            break;
        }
        const std::string& member = FScanner.TokenText();
        if (TAttribut* attribute = object->FindAttribute(member)) {
            current = &attribute->Value;
            state = kValue;
        } else if (TMethode* method = object->FindClassMethod(member)) {
            call(*method, object);
        } else {
            Fail(member, Meldung::KeinMitglied, FirstName(names));
        }
    }
    if (FErrorFlag) return nullptr;

    if (!assignable) {
        // A call's result is already on top of the stack.
        if (state == kValue && current) FStack.PushCopy(*current);
        else if (state == kNoResult) Fail(Meldung::GibtNichts1, MethodName(names), Meldung::GibtNichts2);
        return nullptr;
    }
    switch (state) {
    case kValue:
        return current;
    case kResult:
        // Writing to a call's result has no effect but must not reach a stack
        // slot that later pushes overwrite.
        FCallResult.CopyFrom(*FStack.Peek());
        FStack.Drop();
        return &FCallResult;
    case kNoResult:
        FCallWithoutResult = true;
        return nullptr;
    }
    return nullptr;
}

TVariant* TInterpreter::LookupName(std::string_view name, std::int32_t tokenNumber) {
    if (tokenNumber <= 0) return FVars->Lookup(name);
    if (FNameSites.size() < static_cast<std::size_t>(tokenNumber))
        FNameSites.resize(std::max<std::size_t>(tokenNumber, 2 * FNameSites.size()));
    TNameSite& site = FNameSites[tokenNumber - 1];
    if (site.Generation != FVars->Generation() || site.Binding != FVars->Binding) {
        if (!site.Name) site.Name = FVars->Handle(name);
        const TVariable* variable = FVars->Find(site.Name);
        site.Value = variable ? variable->Value : nullptr;
        site.Generation = FVars->Generation();
        site.Binding = FVars->Binding;
    }
    return site.Value;
}

// The argument list of a built-in method, function or setter: each argument
// is evaluated with its parameter's kind and left on the stack in parameter
// order; the parentheses are required also without parameters.
TInterpreter::TCallOutcome TInterpreter::Call(TMethode& method, TObjekt* self) {
    if (method.Kind == mkProgramMethod) return CallProgramMethod(method);
    if (FScanner.NextToken() != OKlammerAuf) {
        Fail(Meldung::KlammerAufErwartet);
        return TCallOutcome::Failed;
    }
    const int count = static_cast<int>(method.Parameters.size());
    for (int i = 0; i < count && !FErrorFlag; ++i) {
        if (i > 0 && FScanner.NextToken() != OKomma) {
            Fail(Meldung::KommaErwartet);
            break;
        }
        if (!EnterNesting()) break;
        const TParameter& parameter = method.Parameters[i];
        Evaluate(parameter.Kind, parameter.ClassNumber);
        LeaveNesting();
    }
    if (FErrorFlag) return TCallOutcome::Failed;
    if (FScanner.NextToken() != OKlammerZu) {
        Fail(Meldung::KlammerZuOhnePunkt);
        return TCallOutcome::Failed;
    }
    const int below = FStack.Count() - count;
    if (const char* message = method.Invoke(FStack, self)) {
        Fail(message);
        return TCallOutcome::Failed;
    }
    if (!method.HasResult()) {
        FStack.Truncate(below);  // a built-in that left something behind
        return TCallOutcome::NoResult;
    }
    if (FStack.Count() != below + 1) {
        // A built-in that broke its contract: keep the stack consistent.
        FStack.Truncate(below);
        FStack.PushInteger(0);
    }
    if (FStack.TopKind() == vkReal)
        if (const char* message = CheckedReal(FStack.Peek()->AsDouble())) {
            Fail(message);
            return TCallOutcome::Failed;
        }
    return TCallOutcome::Result;
}
