// One pass of the syntax check: the declaration pass, the structured
// statement parser and the one error routine. Each block is parsed
// recursively up to its end keyword; a statement list stops at the first
// token that cannot begin a statement and judges it.
#include "USyntaxcheckThread.h"

#include "UDeklaration.h"
#include "UInterpreterMeldungen.h"
#include "UKlassen.h"
#include "UMethodenkoepfe.h"
#include "UNamen.h"
#include "UStandardfenster.h"
#include "USyntaxcheckMeldungen.h"

#include <algorithm>

namespace {

// True when some variable holds a figure (even class number) and none a
// window (41).
bool FigureWithoutWindow(const TVarSpace& space) {
    bool figure = false;
    for (int i = 0; i < space.Count(); ++i) {
        const TVariant* value = space.At(i)->Value;
        if (!value || value->Kind() != vkObjekt || !value->AsObject()) continue;
        const std::int32_t number = value->AsObject()->ClassNumber;
        if (number == 41) return false;
        if (number % 2 == 0) figure = true;
    }
    return figure;
}

} // namespace

TSyntaxcheckThread::TSyntaxcheckThread(const TKlassenFabrik& factory, const std::atomic<bool>* cancel)
    : FFactory(factory), FCancel(cancel) {}

TSyntaxcheckResult TSyntaxcheckThread::Pass(const TLineSource& lines) {
    FScanner.Load(lines);
    FVars = std::make_unique<TVarSpace>();
    FErrorFlag = false;
    FError.reset();
    FBlockDepth = 0;
    FBlockNesting = 0;
    FNesting = 0;
    FFuerType = nullptr;
    FMethods.clear();

    DeclarationPass();
    StatementList();
    if (!FErrorFlag) {
        // At depth 0 a statement list also ends at `ende`, which closes a
        // method body; in the main program it would stop the run with a
        // stack error, so it is reported rather than ending the check.
        const int token = FScanner.NextToken();
        if (token != OEOF) Fail(FScanner.TokenText(), Meldung::Check::NichtZulaessig);
    }

    TSyntaxcheckResult result;
    if (!Cancelled()) {
        // After an error the space lacks every declaration behind it; the
        // declarations of the whole text decide then, so that a hint the
        // interpreter does not share cannot hide the run's drawing window.
        result.DefaultWindow = FErrorFlag ? NeedsDefaultWindow(lines) : FigureWithoutWindow(*FVars);
        result.Error = std::move(FError);
    }
    while (FVars->ScopeCount() > 0) FVars->CloseScope();
    result.Space = std::move(FVars);
    FFuerType = nullptr;
    FMethods.clear();
    return result;
}

// Records the first error of the pass at the start of the current token.
void TSyntaxcheckThread::Fail(std::string_view message) {
    if (FErrorFlag) return;
    FScanner.Rewind();
    const TScanner::TLineColumn at = FScanner.GetLineColumn();
    FError = std::make_unique<TFehler>(at.Line, std::string(message), FehlerTipp, at.Column);
    FErrorFlag = true;
}

void TSyntaxcheckThread::Fail(std::string_view a, std::string_view b, std::string_view c,
                              std::string_view d, std::string_view e) {
    if (FErrorFlag) return;
    std::string message;
    message.reserve(a.size() + b.size() + c.size() + d.size() + e.size());
    message.append(a).append(b).append(c).append(d).append(e);
    Fail(message);
}

bool TSyntaxcheckThread::Expect(int token, const char* message) {
    if (FErrorFlag) return false;
    if (FScanner.NextToken() == token) return true;
    Fail(message);
    return false;
}

// ---------------------------------------------------------------------------
// Declaration pass: shared with the interpreter, messages and all.

void TSyntaxcheckThread::DeclarationPass() {
    TMethodenkoepfe headers(FScanner, *FVars, FFactory, FDeclaredNames, FErrorFlag,
                            [this](auto... parts) { Fail(parts...); });
    headers.Run([this] { return Cancelled(); },
                [this](int position, TMethode& method) { FMethods.push_back({position, &method}); });
}

// ---------------------------------------------------------------------------
// Statements

// The whole text's statement list is level 0; every block body one deeper.
bool TSyntaxcheckThread::EnterBlock() {
    if (++FBlockNesting > MaxBlockNesting + 1) {
        --FBlockNesting;
        Fail(Meldung::Check::BloeckeZuTief);
        return false;
    }
    return true;
}

void TSyntaxcheckThread::StatementList() {
    if (FErrorFlag || !EnterBlock()) return;
    FScanner.SkipBlanks();
    while (!FErrorFlag) {
        if (Cancelled()) {
            // Abandoned: no hint, and every routine unwinds at once.
            FErrorFlag = true;
            break;
        }
        const int token = FScanner.NextToken();
        switch (token) {
        case KFuer: Fuer(); break;
        case KWiederhole: Wiederhole(); break;
        case KSolange: Solange(); break;
        case KMethode: Methode(); break;
        case KWenn: Wenn(); break;
        case OIdentifier:
            FScanner.Rewind();
            IdentifierStatement();
            break;
        default: {
            const bool blockEnd = token == KEndWiederhole || token == KEndSolange || token == KEndWenn ||
                                  token == KSonst || token == KEndFuer;
            if (FBlockDepth == 0 ? (token == OEOF || token == KEnde) : blockEnd) {
                // The enclosing statement checks which end it is.
                FScanner.Rewind();
            } else if (token == OEOF) {
                Fail(Meldung::Check::BlockendeErwartet);
            } else if (token == OIdentifier) {
                Fail(Meldung::Check::Unbekannt1, FScanner.TokenText(), Meldung::Check::Unbekannt2);
            } else {
                Fail(FScanner.TokenText(), Meldung::Check::NichtZulaessig);
            }
            LeaveBlock();
            return;
        }
        }
        FScanner.SkipBlanks();
    }
    LeaveBlock();
}

// fuer designator ... *für
void TSyntaxcheckThread::Fuer() {
    if (FFuerType) return Fail(Meldung::FuerGeschachtelt);
    const TDesignator designator = Designator(true);
    if (FErrorFlag) return;
    if (designator.Type.Kind != vkObjekt || !designator.Type.Object) return Fail(Meldung::Check::FuerOhneObjekt);
    TObjekt* prototype = FFactory.FindByNumber(designator.Type.ClassNumber);
    FFuerType = prototype ? prototype : designator.Type.Object;
    ++FBlockDepth;
    StatementList();
    --FBlockDepth;
    Expect(KEndFuer, Meldung::Check::EndFuerErwartet);
    FFuerType = nullptr;
}

// wiederhole (n) mal | n mal | immer | solange b ... *wiederhole, or
// wiederhole ... *wiederhole bis/solange b.
void TSyntaxcheckThread::Wiederhole() {
    ++FBlockDepth;
    switch (FScanner.NextToken()) {
    case OKlammerAuf:
        TypedExpression(vkInteger, 0);
        if (Expect(OKlammerZu, Meldung::Check::KlammerZuErwartet) && Expect(KMal, Meldung::Check::MalErwartet)) {
            StatementList();
            Expect(KEndWiederhole, Meldung::Check::EndWiederholeErwartet);
        }
        break;
    case OIntegerconst:
        if (Expect(KMal, Meldung::Check::MalErwartet)) {
            StatementList();
            Expect(KEndWiederhole, Meldung::Check::EndWiederholeErwartet);
        }
        break;
    case KImmer:
        StatementList();
        Expect(KEndWiederhole, Meldung::Check::EndWiederholeErwartet);
        break;
    case KSolange:
        Expression();
        StatementList();
        Expect(KEndWiederhole, Meldung::Check::EndWiederholeErwartet);
        break;
    default:
        FScanner.Rewind();
        StatementList();
        if (Expect(KEndWiederhole, Meldung::Check::EndWiederholeErwartet)) {
            const int token = FScanner.NextToken();
            if (token == KBis || token == KSolange) Expression();
            else Fail(Meldung::Check::BisOderSolange);
        }
        break;
    }
    --FBlockDepth;
}

// solange b tue ... *solange
void TSyntaxcheckThread::Solange() {
    ++FBlockDepth;
    Expression();
    if (Expect(KTue, Meldung::TueErwartet)) StatementList();
    --FBlockDepth;
    Expect(KEndSolange, Meldung::Check::EndSolangeErwartet);
}

// wenn b dann ... [sonst ...] *wenn
void TSyntaxcheckThread::Wenn() {
    Expression();
    if (!Expect(KDann, Meldung::DannErwartet)) return;
    ++FBlockDepth;
    StatementList();
    --FBlockDepth;
    if (FErrorFlag) return;
    if (FScanner.NextToken() == KSonst) {
        ++FBlockDepth;
        StatementList();
        --FBlockDepth;
    } else {
        FScanner.Rewind();
    }
    Expect(KEndWenn, Meldung::Check::EndWennErwartet);
}

// methode name [(parameters)] ... ende: the body is checked in a scope of
// its own, with a placeholder for every parameter.
void TSyntaxcheckThread::Methode() {
    FVars->OpenScope();
    if (FScanner.NextToken() != OIdentifier) {
        Fail(Meldung::MethodennameErwartet);
    } else {
        const std::int32_t nameEnd = FScanner.GetPosition();
        auto declared = std::find_if(FMethods.begin(), FMethods.end(),
                                     [&](const TDeclaredMethod& m) { return m.NameEnd == nameEnd; });
        if (declared != FMethods.end()) {
            const TMethode& method = *declared->Method;
            FScanner.SetPosition(method.BodyPosition);
            for (const TParameter& parameter : method.Parameters) {
                auto value = std::make_unique<TVariant>();
                if (parameter.Kind == vkObjekt) value->SetObject(FFactory.FindByNumber(parameter.ClassNumber));
                else value->SetKind(parameter.Kind);
                FVars->Declare(parameter.Name, std::move(value), true);
            }
        } else if (FScanner.NextToken() == OKlammerAuf) {
            // A method inside another one's body, which the declaration pass
            // passes over: its parameter list is skipped.
            int token;
            do token = FScanner.NextToken();
            while (token != OKlammerZu && token != OEOF);
        } else {
            FScanner.Rewind();
        }
        StatementList();
    }
    FVars->CloseScope();
    Expect(KEnde, Meldung::Check::MethodeOhneEnde);
}

// A declaration when `:` or `,` follows the first name; otherwise an
// assignment or a call statement.
void TSyntaxcheckThread::IdentifierStatement() {
    const int position = FScanner.GetPosition();
    FScanner.NextToken();
    const int next = FScanner.NextToken();
    FScanner.SetPosition(position);
    if (next == ODoppelpunkt || next == OKomma) return Declaration();

    const TDesignator target = Designator(true);
    if (FErrorFlag || target.NoResult) return;
    if (target.ContainsAttribute && FNoAttributeAssignment) return Fail(Meldung::Check::ZuweisungZuAttribut);
    if (!Expect(ODoppelpunktgleich, Meldung::ZuweisungErwartet)) return;
    TypedExpression(target.Type.Kind, target.Type.ClassNumber);
}

// name {, name} : type, refused inside any block. Names are bound to zero
// values or to the class's prototype, which the space does not own.
void TSyntaxcheckThread::Declaration() {
    FScanner.NextToken();
    if (FBlockDepth > 0) return Fail(Meldung::Check::DeklarationInBlock);
    const TKeepingScope keeping(FScanner);
    if (!ReadDeclaredNames(FScanner, FDeclaredNames,
                           [this](const std::string& name) { return FVars->Lookup(name) != nullptr; },
                           [this](auto... parts) { Fail(parts...); }))
        return;

    const int token = FScanner.NextToken();
    const TKind kind = SimpleTypeKind(token);
    if (kind != vkNone) return DeclareSimple(*FVars, FDeclaredNames, kind);
    if (token != OIdentifier) return Fail(Meldung::VariablentypErwartet);
    const std::string& className = FScanner.TokenText();
    TObjekt* prototype = FFactory.FindByName(className);
    if (!prototype) return Fail(Meldung::KlasseGibtEsNicht1, className, Meldung::KlasseGibtEsNicht2);
    for (const std::string& name : FDeclaredNames)
        FVars->Declare(name, std::make_unique<TVariant>(prototype), true);
}
