// Expression typing of the syntax check: the interpreter's grammar, level by
// level, each level yielding a type descriptor instead of a value. Every
// level reads one token beyond its end and gives it back. Which kinds an
// operator takes and yields is UOperatoren.h's, as for the interpreter.
#include "USyntaxcheckThread.h"

#include "UInterpreterMeldungen.h"
#include "UKlassen.h"
#include "UOperatoren.h"
#include "USyntaxcheckMeldungen.h"

#include <string>

namespace {

using TTyp = TSyntaxcheckThread::TTyp;

TTyp Simple(TKind kind) { return TTyp{kind, 0, nullptr}; }

} // namespace

bool TSyntaxcheckThread::EnterNesting() {
    if (++FNesting > MaxExpressionDepth) {
        --FNesting;
        Fail(Meldung::ZuTiefGeschachtelt);
        return false;
    }
    return true;
}

TTyp TSyntaxcheckThread::TypedExpression(TKind kind, std::int32_t classNumber) {
    TTyp type = Expression();
    if (!FErrorFlag) TestType(type, kind, classNumber);
    return type;
}

// Where a value of `kind` is expected: Real takes an Integer too, String any
// number or Boolean, an object a subclass; Boolean is not tested.
bool TSyntaxcheckThread::TestType(const TTyp& actual, TKind kind, std::int32_t classNumber) {
    switch (kind) {
    case vkChar:
        if (actual.Kind == vkChar) return true;
        Fail(Meldung::TypChar);
        return false;
    case vkInteger:
        if (actual.Kind == vkInteger) return true;
        Fail(Meldung::TypInteger);
        return false;
    case vkReal:
        if (IsNumber(actual.Kind)) return true;
        Fail(Meldung::TypDouble);
        return false;
    case vkString:
        if (actual.Kind == vkBoolean || IsNumber(actual.Kind) || actual.Kind == vkString) return true;
        Fail(Meldung::TypString);
        return false;
    case vkObjekt:
        if (actual.Kind == vkObjekt && ClassAccepts(classNumber, actual.ClassNumber)) return true;
        Fail(Meldung::Klasse1, std::to_string(classNumber), Meldung::Klasse2);
        return false;
    default:
        return true;
    }
}

// expression: comparison { (und | oder) comparison }
TTyp TSyntaxcheckThread::Expression() {
    TTyp left = Comparison();
    while (!FErrorFlag) {
        const int op = FScanner.NextToken();
        if (OperatorLevel(op) != olLogic) {
            FScanner.Rewind();
            break;
        }
        if (!Takes(op, left.Kind)) {
            Fail(Meldung::VorAndOr);
            break;
        }
        const TTyp right = Comparison();
        if (FErrorFlag) break;
        if (!Takes(op, right.Kind)) Fail(Meldung::NachAndOr);
    }
    return left;
}

// comparison: sum [ relation sum ]
TTyp TSyntaxcheckThread::Comparison() {
    const TTyp left = Sum();
    if (FErrorFlag) return left;
    const int op = FScanner.NextToken();
    if (!IsRelation(op)) {
        FScanner.Rewind();
        return left;
    }
    if (!Takes(op, left.Kind)) {
        Fail(Meldung::VorVergleich);
        return left;
    }
    const TTyp right = Sum();
    if (!FErrorFlag && !Takes(op, right.Kind)) Fail(Meldung::NachVergleich);
    return Simple(ResultKind(op, left.Kind, right.Kind));
}

// sum: product { (+ | -) product }. `+` also joins Strings.
TTyp TSyntaxcheckThread::Sum() {
    TTyp left = Product();
    while (!FErrorFlag) {
        const int op = FScanner.NextToken();
        if (OperatorLevel(op) != olSum) {
            FScanner.Rewind();
            break;
        }
        const bool plus = op == OPlus;
        if (!Takes(op, left.Kind)) {
            Fail(plus ? Meldung::Check::VorSumme : Meldung::Check::VorDifferenz);
            break;
        }
        const TTyp right = Product();
        if (FErrorFlag) break;
        if (!Takes(op, right.Kind)) {
            Fail(plus ? Meldung::Check::NachSumme : Meldung::Check::NachDifferenz);
            break;
        }
        left = Simple(ResultKind(op, left.Kind, right.Kind));
    }
    return left;
}

// product: unary { (* | /) unary }
TTyp TSyntaxcheckThread::Product() {
    TTyp left = Unary();
    while (!FErrorFlag) {
        const int op = FScanner.NextToken();
        if (OperatorLevel(op) != olProduct) {
            FScanner.Rewind();
            break;
        }
        if (!Takes(op, left.Kind)) {
            Fail(Meldung::Check::VorMalGeteilt);
            break;
        }
        const TTyp right = Unary();
        if (FErrorFlag) break;
        if (!Takes(op, right.Kind)) {
            Fail(Meldung::Check::NachMalGeteilt);
            break;
        }
        left = Simple(ResultKind(op, left.Kind, right.Kind));
    }
    return left;
}

// unary: - factor | nicht factor | factor
TTyp TSyntaxcheckThread::Unary() {
    const int op = FScanner.NextToken();
    if (!IsUnaryOperator(op)) {
        FScanner.Rewind();
        return Factor();
    }
    if (!EnterNesting()) return {};
    const TTyp operand = Factor();
    LeaveNesting();
    if (FErrorFlag) return operand;
    if (!Takes(op, operand.Kind)) Fail(op == KNicht ? Meldung::NachNicht : Meldung::NachMinus);
    return operand;
}

// factor: ( expression ) | wahr | falsch | literal | designator
TTyp TSyntaxcheckThread::Factor() {
    if (FErrorFlag) return {};
    switch (FScanner.NextToken()) {
    case OKlammerAuf: {
        if (!EnterNesting()) return {};
        const TTyp inner = Expression();
        LeaveNesting();
        if (!FErrorFlag && FScanner.NextToken() != OKlammerZu) Fail(Meldung::KlammerZuErwartet);
        return inner;
    }
    case KWahr:
    case KFalsch: return Simple(vkBoolean);
    case OIntegerconst: return Simple(vkInteger);
    case ORealConst: return Simple(vkReal);
    case OStringConst: return Simple(vkString);
    case OIdentifier:
        FScanner.Rewind();
        return Designator(false).Type;
    case OZahlenfehler:
        Fail(FScanner.TokenText(), Meldung::KeineZahl);
        return {};
    default: {
        const std::string& raw = FScanner.RawToken();
        if (raw.empty() || raw == " ") Fail(Meldung::Check::FunktionsaufrufErwartet);
        else Fail(Meldung::Check::FunktionsaufrufErwartet, raw, Meldung::KeinSinn);
        return {};
    }
    }
}

TTyp TSyntaxcheckThread::ValueType(const TVariant& value) const {
    TTyp type = Simple(value.Kind());
    if (type.Kind == vkObjekt) {
        type.Object = value.AsObject();
        type.ClassNumber = type.Object ? type.Object->ClassNumber : 0;
    }
    return type;
}

TTyp TSyntaxcheckThread::ResultType(const TMethode& method) const {
    if (!method.HasResult()) return {};
    TTyp type = Simple(method.Result->Kind);
    if (type.Kind == vkObjekt) {
        type.ClassNumber = method.Result->ClassNumber;
        type.Object = FFactory.FindByNumber(type.ClassNumber);
    }
    return type;
}

// A name chain with calls. The first name resolves against the fuer type's
// attributes and methods, then the check's space; a method is typed as a
// call at once. Messages quote the chain's first name.
TSyntaxcheckThread::TDesignator TSyntaxcheckThread::Designator(bool assignable) {
    TDesignator result;
    if (FErrorFlag) return result;
    if (FScanner.NextToken() != OIdentifier) {
        Fail(Meldung::BezeichnerErwartet);
        return result;
    }
    const std::string first = FScanner.TokenText();
    std::string method;
    bool call = false;
    auto typeCall = [&](TMethode& m) {
        method = FScanner.TokenText();
        call = true;
        result.Type = Call(m);
    };
    auto typeAttribute = [&](const TAttribut& attribute) {
        call = false;
        result.ContainsAttribute = true;
        result.Type = ValueType(attribute.Value);
        if (result.Type.Kind == vkObjekt && !result.Type.Object) {
            result.Type.ClassNumber = attribute.ClassNumber;
            result.Type.Object = FFactory.FindByNumber(attribute.ClassNumber);
        }
    };

    bool found = false;
    if (FFuerType) {
        if (const TAttribut* attribute = FFuerType->FindAttribute(first)) {
            typeAttribute(*attribute);
            found = true;
        } else if (TMethode* m = FFuerType->FindClassMethod(first)) {
            typeCall(*m);
            found = true;
        }
    }
    if (!found) {
        const TVariant* value = FVars->Lookup(first);
        if (!value) {
            Fail(Meldung::BezeichnerGibtEsNicht1, first, Meldung::BezeichnerGibtEsNicht2);
            return result;
        }
        if (value->Kind() == vkMethod && value->AsMethod()) typeCall(*value->AsMethod());
        else result.Type = ValueType(*value);
    }

    while (!FErrorFlag) {
        if (FScanner.NextToken() != OPunkt) {
            FScanner.Rewind();
            break;
        }
        const TObjekt* object = result.Type.Kind == vkObjekt ? result.Type.Object : nullptr;
        if (!object) {
            Fail(first, Meldung::KeineEigenschaften);
            break;
        }
        if (FScanner.NextToken() != OIdentifier) {
            Fail(Meldung::NachPunkt);
            break;
        }
        const std::string& member = FScanner.TokenText();
        if (const TAttribut* attribute = object->FindAttribute(member)) typeAttribute(*attribute);
        else if (TMethode* m = object->FindClassMethod(member)) typeCall(*m);
        else Fail(member, Meldung::KeinMitglied, first);
    }
    if (FErrorFlag) return result;

    result.NoResult = call && result.Type.Kind == vkNone;
    if (!assignable && result.NoResult) Fail(Meldung::GibtNichts1, method, Meldung::GibtNichts2);
    return result;
}

// The argument list of any method: a variable parameter of a program method
// takes a designator of exactly the parameter's type, every other parameter
// an expression of a fitting type.
TTyp TSyntaxcheckThread::Call(TMethode& method) {
    if (FScanner.NextToken() != OKlammerAuf) {
        Fail(Meldung::KlammerAufErwartet);
        return {};
    }
    const int count = static_cast<int>(method.Parameters.size());
    for (int i = 0; i < count && !FErrorFlag; ++i) {
        if (i > 0 && FScanner.NextToken() != OKomma) {
            Fail(Meldung::KommaErwartet);
            break;
        }
        if (!EnterNesting()) break;
        const TParameter& parameter = method.Parameters[i];
        if (method.Kind == mkProgramMethod && parameter.ByReference) {
            const TDesignator argument = Designator(true);
            const bool fits = argument.Type.Kind == parameter.Kind &&
                              (parameter.Kind != vkObjekt || argument.Type.ClassNumber == parameter.ClassNumber);
            if (!FErrorFlag && !fits)
                Fail(Meldung::Check::ParameterTyp1, parameter.Name, Meldung::Check::ParameterTyp2, method.Name,
                     Meldung::Check::ParameterTyp3);
        } else {
            TypedExpression(parameter.Kind, parameter.ClassNumber);
            // A missing argument: name the parameter the pupil left out.
            if (FErrorFlag && FError && FError->Message == Meldung::Check::FunktionsaufrufErwartet)
                FError->Message = std::string(Meldung::Check::ParameterErwartet1) + parameter.Name +
                                  Meldung::Check::ParameterErwartet2;
        }
        LeaveNesting();
    }
    if (FErrorFlag) return {};
    if (FScanner.NextToken() != OKlammerZu) {
        Fail(Meldung::KlammerZuOhnePunkt);
        return {};
    }
    return ResultType(method);
}
