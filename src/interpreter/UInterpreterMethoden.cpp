// Program methods: the declaration pass that registers them before the first
// step, binding the arguments of a call, and the jump into and out of the
// body. A call never recurses on the C++ stack: its return position and the
// caller's block depth wait on the evaluation stack under marker 8 until the
// body's `ende` is executed.
#include "UInterpreter.h"
#include "UInterpreterMeldungen.h"
#include "UFenster.h"
#include "UKlassen.h"
#include "UMethodenkoepfe.h"
#include "UNamen.h"

#include <algorithm>

// The headers are read as the syntax check reads them, so that both report
// the same errors at the same places.
void TInterpreter::DeclarationPass() {
    TMethodenkoepfe headers(FScanner, *FVars, *FFactory, FDeclaredNames, FErrorFlag,
                            [this](auto... parts) { Fail(parts...); });
    headers.Run([] { return false; }, [](int, TMethode&) {});
}

// Opens the call's scope and binds each argument: a variable parameter to
// the caller's own value, a value parameter to a fresh copy. Arguments are
// evaluated with the binding flag set, so they see the caller's names and
// not the parameters being bound.
TInterpreter::TCallOutcome TInterpreter::CallProgramMethod(TMethode& method) {
    if (FCallDepth >= FMaxCallDepth || FStack.Full()) {
        Fail(Meldung::ZuVieleAufrufe);
        return TCallOutcome::Failed;
    }
    if (!MemoryLeft(CallBytes)) return TCallOutcome::Failed;
    FVars->OpenScope();
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
        FVars->Binding = true;
        if (parameter.ByReference) {
            TVariant* target = Designator(true);
            FVars->Binding = false;
            LeaveNesting();
            if (FErrorFlag) break;
            TObjekt* object = target && target->Kind() == vkObjekt ? target->AsObject() : nullptr;
            bool fits = target && target->Kind() == parameter.Kind &&
                        (parameter.Kind != vkObjekt ||
                         (object && object->ClassNumber == parameter.ClassNumber));
            if (!fits) {
                Fail(Meldung::Parametertyp1, parameter.Name, Meldung::Parametertyp2);
                break;
            }
            if (target == &FCallResult) {
                // A call's result has no home of its own: the parameter gets
                // a private copy (its object still belongs to someone else).
                auto copy = std::make_unique<TVariant>();
                copy->CopyFrom(*target);
                FVars->DeclareParameter(parameter.Name, copy.release(), true, false);
            } else {
                FVars->DeclareParameter(parameter.Name, target, true, true);
            }
        } else {
            Evaluate(parameter.Kind, parameter.ClassNumber);
            FVars->Binding = false;
            LeaveNesting();
            if (FErrorFlag) break;
            TVariant* value = FVars->DeclareOwnValue(parameter.Name)->Value;
            if (parameter.Kind == vkBoolean) value->SetBoolean(FStack.PopBoolean());
            else {
                value->CopyFrom(*FStack.Peek());
                FStack.Drop();
            }
        }
    }
    if (FErrorFlag) return TCallOutcome::Failed;
    if (FScanner.NextToken() != OKlammerZu) {
        Fail(Meldung::KlammerZuOhnePunkt);
        return TCallOutcome::Failed;
    }
    FPendingCall.Active = true;
    FPendingCall.BodyPosition = method.BodyPosition;
    FPendingCall.BodyEnd = method.BodyEnd;
    FPendingCall.ReturnPosition = FScanner.GetPosition();
    return TCallOutcome::NoResult;
}

// The call statement is complete: remember where to return and run the body
// at block depth 0, so that it may declare its own variables also when it
// was called from inside a loop.
void TInterpreter::EnterPendingCall() {
    FPendingCall.Active = false;
    // The arguments are bound: a call whose texts pass the budget ends the
    // run here, at the call rather than at the body's first line.
    if (!MemoryLeft()) return;
    FStack.PushInteger(FBlockDepth);
    FStack.PushInteger(FPendingCall.ReturnPosition);
    FStack.PushMarker(asMethode);
    FBlockDepth = 0;
    ++FCallDepth;
    FScanner.MarkRepeated(FPendingCall.BodyPosition, FPendingCall.BodyEnd);
    FScanner.SetPosition(FPendingCall.BodyPosition);
}

// `ende` of a method body: back behind the call; the scope's parameters and
// local variables go (the caller's values behind variable parameters stay).
void TInterpreter::Ende() {
    if (FStack.PopMarker() != asMethode) return Fail(Meldung::StackFehler);
    std::int32_t returnPosition = FStack.PopInteger();
    FBlockDepth = FStack.PopInteger();
    --FCallDepth;
    FScanner.SetPosition(returnPosition);
    SettlePaintsBeforeFreeing();
    ForgetScopeObjects();
    FVars->CloseScope();
}

void TInterpreter::SettlePaintsBeforeFreeing() {
    const int scopes = FVars->ScopeCount();
    if (!FPaintShortcuts.Defer || scopes == 0) return;
    for (int i = FVars->ScopeStart(scopes - 1); i < FVars->Count(); ++i) {
        const TVariable* variable = FVars->At(i);
        if (!variable->Reference && variable->Value && variable->Value->Kind() == vkObjekt &&
            variable->Value->AsObject()) {
            SettlePaints(false);
            return;
        }
    }
}

// The objects the closing scope owns are about to be freed: a window among
// them leaves the window list, and a fuer block on one of them (or on one of
// their attribute objects) ends, so that nothing refers to them afterwards.
void TInterpreter::ForgetScopeObjects() {
    const int scopes = FVars->ScopeCount();
    if (scopes == 0) return;
    for (int i = FVars->ScopeStart(scopes - 1); i < FVars->Count(); ++i) {
        const TVariable* variable = FVars->At(i);
        if (variable->Reference || !variable->Value || variable->Value->Kind() != vkObjekt) continue;
        const TObjekt* object = variable->Value->AsObject();
        if (!object) continue;
        FWindows.erase(std::remove_if(FWindows.begin(), FWindows.end(),
                                      [&](const TObjekt* window) { return window == object; }),
                       FWindows.end());
        for (const TObjekt* o = FFuerObject; o; o = o->Owner)
            if (o == object) {
                FFuerObject = nullptr;
                break;
            }
    }
}
