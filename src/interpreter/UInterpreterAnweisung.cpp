// Statements and control flow. Loops and conditions keep their state as
// control markers on the evaluation stack (see TAblaufsteuerung) and jump the
// scanner back to stored positions; skipped parts are read forward token by
// token.
#include "UInterpreter.h"
#include "UDeklaration.h"
#include "UInterpreterMeldungen.h"
#include "UFenster.h"
#include "UKlassen.h"
#include "UMeldungen.h"
#include "UNamen.h"

void TInterpreter::ExecuteStatement(int token, int position, TStepResult& result) {
    switch (token) {
    case KFuer: return Fuer();
    case KEndFuer: FFuerObject = nullptr; return;
    case KWiederhole: return Wiederhole();
    case KEndWiederhole: return EndWiederhole();
    case KSolange: return Solange();
    case KEndSolange: return EndSolange();
    case KWenn: return Wenn();
    case KSonst: return Sonst();
    case KEndWenn: return EndWenn();
    case KMethode: return MethodeImAblauf();
    case KEnde: return Ende();
    case OIdentifier:
        result.Counted = true;
        return IdentifierStatement(position);
    case OStop:
        result.BreakpointReached = true;
        return;
    case OEOF:
        return;
    default:
        return Fail(Meldung::ErwarteAnweisung);
    }
}

// A declaration when a `:` or `,` follows the first name; otherwise an
// assignment or a call statement.
void TInterpreter::IdentifierStatement(int position) {
    if (TVariant* target = KeptAssignmentTarget(FScanner.TokenNumber())) {
        FPendingCall.Active = false;
        if (!AssignKept(*target)) Assign(*target);
        return;
    }
    int next = FScanner.NextToken();
    FScanner.SetPosition(position);
    if (next == ODoppelpunkt || next == OKomma) return Declaration();

    FPendingCall.Active = false;
    TVariant* target = Designator(true);
    if (FErrorFlag) return;
    if (FCallWithoutResult) {
        if (FPendingCall.Active) EnterPendingCall();
        return;
    }
    if (!target) return Fail(Meldung::LinkswertErwartet);
    if (target->Attribute() && FNoAttributeAssignment) return Fail(Meldung::ZuweisungZuAttribut);
    if (FScanner.NextToken() != ODoppelpunktgleich) return Fail(Meldung::ZuweisungErwartet);
    Assign(*target);
}

// target := expression. Simple values are replaced; an object target takes a
// copy of the source object's state (it is never rebound). An attribute's
// owner is told afterwards.
void TInterpreter::Assign(TVariant& target) {
    const TKind kind = target.Kind();
    TObjekt* targetObject = kind == vkObjekt ? target.AsObject() : nullptr;
    Evaluate(kind, targetObject ? targetObject->ClassNumber : 0);
    if (FErrorFlag) return;
    if (TAttribut* attribute = target.Attribute()) {
        attribute->Store(*FStack.Peek());
        FStack.Drop();
        return;
    }
    switch (kind) {
    case vkBoolean: target.SetBoolean(FStack.PopBoolean()); break;
    case vkChar: target.SetChar(FStack.PopChar()); break;
    case vkInteger: target.SetInteger(FStack.PopInteger()); break;
    case vkReal: target.SetDouble(FStack.PopDouble()); break;
    case vkString:
        target.SetString(FStack.Peek()->AsString());
        FStack.Drop();
        break;
    case vkObjekt: {
        TObjekt* source = FStack.PopObject();
        if (targetObject && source && source != targetObject) targetObject->Assign(*source);
        TObjekt::NoteChange(targetObject);
        target.SetChanged(true);
        break;
    }
    default: FStack.Drop(); break;
    }
}

// A declaration may not reuse a visible name: a built-in, a global, or a
// parameter or local of the method now executing. The parameters and
// locals of the calls still waiting further out do not count, so that a
// recursive method can declare its locals in every call.
bool TInterpreter::NameTaken(std::string_view name) const {
    const int scopes = FVars->ScopeCount();
    if (scopes == 0) return FVars->Lookup(name) != nullptr;
    return FVars->FindIn(name, FVars->ScopeStart(scopes - 1), FVars->Count()) ||
           FVars->FindIn(name, 0, FVars->ScopeStart(0));
}

// name {, name} : type. Refused inside a loop body, where it would run again
// in the next iteration.
void TInterpreter::Declaration() {
    FScanner.NextToken();
    if (FBlockDepth > 0) return Fail(Meldung::DeklarationInSchleife);
    const TKeepingScope keeping(FScanner);
    if (!ReadDeclaredNames(FScanner, FDeclaredNames, [this](const std::string& name) { return NameTaken(name); },
                           [this](auto... parts) { Fail(parts...); }))
        return;

    const int token = FScanner.NextToken();
    const TKind kind = SimpleTypeKind(token);
    if (kind != vkNone) {
        // A method's locals are declared at every call of a recursion.
        if (!MemoryLeft(static_cast<std::int64_t>(FDeclaredNames.size()) * VariableBytes)) return;
        return DeclareSimple(*FVars, FDeclaredNames, kind);
    }
    if (token != OIdentifier) return Fail(Meldung::VariablentypErwartet);

    const std::string& className = FScanner.TokenText();
    if (!FFactory->IsClassName(className))
        return Fail(Meldung::KlasseGibtEsNicht1, className, Meldung::KlasseGibtEsNicht2);
    // Each new figure would repaint all earlier ones; the picture after the
    // statement is the same when the window repaints once, also after an
    // error part way.
    if (DeclareObjects(className) && FDefaultWindow) FDefaultWindow->Repaint();
    // Scratch kept for the next declaration, but not the room of a very
    // long one: it would stay with the program as long as it runs.
    if (FDeclaredNames.capacity() > 256) std::vector<std::string>().swap(FDeclaredNames);
}

bool TInterpreter::DeclareObjects(const std::string& className) {
    const bool isWindow = LowerAscii(className) == "fenster";
    bool figures = false;
    for (const std::string& name : FDeclaredNames) {
        if (TObjekt::LiveCount() >= TObjekt::MaxLive) {
            Fail(Meldung::ZuVieleObjekte);
            break;
        }
        if (!MemoryLeft(ObjectBytes)) break;
        std::unique_ptr<TObjekt> object = FFactory->CreateObject(className, name, nullptr);
        if (!object) continue;
        TObjekt* raw = object.get();
        FVars->Declare(name, std::make_unique<TVariant>(object.release()));
        if (isWindow)
            if (auto* window = dynamic_cast<TFenster*>(raw)) {
                FWindows.push_back(window);
                window->JoinRun(*this, FPaintShortcuts);
            }
        if (raw->ClassNumber % 2 == 0 && FDefaultWindow) {
            FDefaultWindow->AddFigure(raw);
            figures = true;
        }
    }
    return figures;
}

bool TInterpreter::Condition() {
    Evaluate(vkBoolean, 0);
    return !FErrorFlag && FStack.PopBoolean();
}

// wenn condition dann ... [sonst ...] *wenn. A false condition reads forward
// to the matching *wenn, or into the sonst part at the same level.
void TInterpreter::Wenn() {
    bool condition = Condition();
    if (FErrorFlag) return;
    if (FScanner.NextToken() != KDann) return Fail(Meldung::DannErwartet);
    if (condition) return FStack.PushMarker(asDann);
    int level = 1;
    for (;;) {
        int token = FScanner.NextToken();
        if (token == OEOF) return;
        if (token == KWenn) ++level;
        else if (token == KEndWenn && --level == 0) return;
        else if (token == KSonst && level == 1) return FStack.PushMarker(asSonst);
    }
}

// The end of a dann part: the sonst part is skipped.
void TInterpreter::Sonst() {
    if (FStack.PopMarker() != asDann) return Fail(Meldung::SonstOhneWenn);
    BlockSkip();
}

void TInterpreter::EndWenn() {
    std::uint8_t marker = FStack.PopMarker();
    if (marker != asDann && marker != asSonst) Fail(Meldung::EndWennOhneWenn);
}

// solange condition tue ... *solange
void TInterpreter::Solange() {
    FStack.PushInteger(FScanner.GetPosition());
    FStack.PushMarker(asSolange);
    bool condition = Condition();
    if (FErrorFlag) return;
    if (!condition) {
        FStack.Drop();
        FStack.Drop();
    }
    if (FScanner.NextToken() != KTue) return Fail(Meldung::TueErwartet);
    if (condition) ++FBlockDepth;
    else BlockSkip();
}

void TInterpreter::EndSolange() {
    if (FStack.PopMarker() != asSolange) return Fail(Meldung::EndSolangeOhneSolange);
    std::int32_t head = FStack.PopInteger();
    std::int32_t behind = FScanner.GetPosition();
    FScanner.MarkRepeated(head, behind);
    FScanner.SetPosition(head);
    if (!Condition()) {
        if (FErrorFlag) return;
        FScanner.SetPosition(behind);
        --FBlockDepth;
        return;
    }
    FStack.PushInteger(head);
    FStack.PushMarker(asSolange);
    if (FScanner.NextToken() != KTue) Fail(Meldung::TueErwartet);
}

// wiederhole immer | solange condition | (count) mal | count mal | (tail form)
void TInterpreter::Wiederhole() {
    const std::int32_t afterWiederhole = FScanner.GetPosition();
    int token = FScanner.NextToken();
    switch (token) {
    case KImmer:
        FStack.PushInteger(FScanner.GetPosition());
        FStack.PushMarker(asImmer);
        ++FBlockDepth;
        return;
    case KSolange: {
        FStack.PushInteger(FScanner.GetPosition());
        FStack.PushMarker(asKopfSolange);
        bool condition = Condition();
        if (FErrorFlag) return;
        if (condition) {
            ++FBlockDepth;
        } else {
            FStack.Drop();
            FStack.Drop();
            BlockSkip();
        }
        return;
    }
    case OKlammerAuf:
    case OIntegerconst: {
        FScanner.Rewind();
        Evaluate(vkInteger, 0);
        if (FErrorFlag) return;
        std::int32_t count = FStack.PopInteger();
        if (count <= 0) return BlockSkip();
        if (FScanner.NextToken() != KMal) return Fail(Meldung::MalErwartet);
        FStack.PushInteger(FScanner.GetPosition());
        FStack.PushInteger(count);
        FStack.PushMarker(asMal);
        ++FBlockDepth;
        return;
    }
    default:
        FScanner.SetPosition(afterWiederhole);
        FStack.PushInteger(afterWiederhole);
        FStack.PushMarker(asFussBedingung);
        ++FBlockDepth;
        return;
    }
}

void TInterpreter::EndWiederhole() {
    switch (FStack.PopMarker()) {
    case asImmer: {
        std::int32_t head = FStack.PopInteger();
        FScanner.MarkRepeated(head, FScanner.GetPosition());
        FScanner.SetPosition(head);
        FStack.PushInteger(head);
        FStack.PushMarker(asImmer);
        return;
    }
    case asMal: {
        // The marker always lies on its count and head; another round
        // counts down in place.
        TVariant* count = FStack.Peek();
        if (count->AsInteger() <= 1) {
            FStack.Drop();
            FStack.Drop();
            --FBlockDepth;
            return;
        }
        count->SetInteger(count->AsInteger() - 1);
        const std::int32_t head = FStack.PeekBelow(1)->AsInteger();
        FScanner.MarkRepeated(head, FScanner.GetPosition());
        FScanner.SetPosition(head);
        FStack.PushMarker(asMal);
        return;
    }
    case asKopfSolange: {
        std::int32_t behind = FScanner.GetPosition();
        std::int32_t head = FStack.PopInteger();
        FScanner.MarkRepeated(head, behind);
        FScanner.SetPosition(head);
        if (!Condition()) {
            if (FErrorFlag) return;
            FScanner.SetPosition(behind);
            --FBlockDepth;
            return;
        }
        FStack.PushInteger(head);
        FStack.PushMarker(asKopfSolange);
        return;
    }
    case asFussBedingung: {
        std::int32_t start = FStack.PopInteger();
        int token = FScanner.NextToken();
        if (token != KBis && token != KSolange) return Fail(Meldung::BisErwartet);
        bool condition = Condition();
        if (FErrorFlag) return;
        if (condition == (token == KSolange)) {
            FStack.PushInteger(start);
            FStack.PushMarker(asFussBedingung);
            FScanner.MarkRepeated(start, FScanner.GetPosition());
            FScanner.SetPosition(start);
        } else {
            --FBlockDepth;
        }
        return;
    }
    default:
        return Fail(Meldung::EndWiederholeOhneWiederhole);
    }
}

// Reads forward to just behind the end keyword that closes the current
// block. A solange right after wiederhole or *wiederhole is that loop's
// condition and opens nothing.
void TInterpreter::BlockSkip() {
    int level = 0;
    int previous = 0;
    for (;;) {
        int token = FScanner.NextToken();
        switch (token) {
        case OEOF: return Fail(Meldung::BlockendeFehlt);
        case KWiederhole:
        case KWenn: ++level; break;
        case KSolange:
            if (previous != KWiederhole && previous != KEndWiederhole) ++level;
            break;
        case KEndWiederhole:
        case KEndSolange:
        case KEndWenn:
            if (--level < 0) return;
            break;
        default: break;
        }
        if (token != OStop) previous = token;
    }
}

// fuer designator ... *für: while active, names resolve first against the
// object's attributes and methods.
void TInterpreter::Fuer() {
    if (FFuerObject) return Fail(Meldung::FuerGeschachtelt);
    TVariant* target = Designator(true);
    if (FErrorFlag) return;
    TObjekt* object = target && target->Kind() == vkObjekt ? target->AsObject() : nullptr;
    if (!object) return Fail(Meldung::FuerOhneObjekt);
    FFuerObject = object;
}

// A method declaration met by the main flow is passed over; it runs only
// when called.
void TInterpreter::MethodeImAblauf() {
    if (FBlockDepth > 0) return Fail(Meldung::MethodeInSchleife);
    for (;;) {
        int token = FScanner.NextToken();
        if (token == KEnde) return;
        if (token == OEOF) return Fail(Meldung::MethodeOhneEnde);
    }
}
