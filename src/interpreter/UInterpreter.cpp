// The interpreter's life cycle, its one error routine and the step.
#include "UInterpreter.h"

#include "UCriticalSections.h"
#include "UFenster.h"
#include "UInterpreterMeldungen.h"
#include "UKlassen.h"
#include "UProgramMemory.h"

TInterpreter::TInterpreter(TScanner& scanner, bool createDefaultWindow, TFehlerVerwaltung* errorList)
    : FVars(std::make_unique<TVarSpace>()),
      FScanner(scanner),
      FPaintShortcuts(DeferredPaint::Shortcuts()),
      FErrorList(errorList) {
    FTextsBefore = ProgramMemory::Texts();
    FObjectsBefore = TObjekt::LiveCount();
    FTextsAlarm = FTextsBefore + FMaxMemory;
    // Most of a long program is read once; only loops and methods are
    // read again and worth keeping.
    FScanner.SetKeepOnlyRepeated(true);
    // A run that paints at once never owes a paint: its turtles settle nothing.
    TPaintDebtor* run = FPaintShortcuts.Defer ? static_cast<TPaintDebtor*>(this) : nullptr;
    FFactory = std::make_unique<TKlassenFabrik>(run);
    if (createDefaultWindow) {
        // Nameless, so that no program text can reach it; built-in, so that
        // the variables view leaves it out.
        auto window = std::make_unique<TFenster>("", nullptr);
        FDefaultWindow = window.get();
        FVars->Declare("", std::make_unique<TVariant>(window.release()), false, true);
        FWindows.push_back(FDefaultWindow);
        FDefaultWindow->JoinRun(*this, FPaintShortcuts);
    }
    DeclarationPass();
    if (FErrorFlag) {
        FErrorReported = true;
        if (FErrorList) {
            FErrorList->Add(std::move(FOwnedError));
            FErrorList->Refresh();
        }
    }
}

TInterpreter::~TInterpreter() {
    FFactory.reset();
    {
        TLockGuard lock(CriticalSections::ObjectLock());
        // The last picture is the one the last statement left.
        SettlePaints(false);
        for (TFenster* window : FWindows) {
            window->RunEnded();
            window->CloseDrawingWindow();
        }
    }
    FWindows.clear();
    FDefaultWindow = nullptr;
    FFuerObject = nullptr;
    TLockGuard lock(CriticalSections::ObjectLock());
    FVars.reset();
}

void TInterpreter::Fail(std::string_view message) {
    if (FErrorFlag) return;
    FScanner.Rewind();
    TScanner::TLineColumn at = FScanner.GetLineColumn();
    FOwnedError = std::make_unique<TFehler>(at.Line, std::string(message), FehlerLaufzeit, at.Column);
    FError = FOwnedError.get();
    FErrorFlag = true;
}

void TInterpreter::Fail(std::string_view a, std::string_view b, std::string_view c) {
    if (FErrorFlag) return;
    std::string message;
    message.reserve(a.size() + b.size() + c.size());
    message.append(a).append(b).append(c);
    Fail(message);
}

// The error list owns the record from now on; the interpreter keeps
// pointing at it for the main window and never hands it over twice.
std::int64_t TInterpreter::MemoryInUse() const {
    return ProgramMemory::Texts() - FTextsBefore + (TObjekt::LiveCount() - FObjectsBefore) * ObjectBytes +
           std::int64_t{FCallDepth} * CallBytes + std::int64_t{FVars->Count()} * VariableBytes +
           std::int64_t{FStack.Count()} * StackValueBytes;
}

bool TInterpreter::MemoryLeft(std::int64_t more) {
    const std::int64_t texts = ProgramMemory::Texts();
    const std::int64_t inUse = MemoryInUse();
    // Until the next call, declaration or object, only texts can grow.
    FTextsAlarm = texts + (FMaxMemory - inUse);
    if (inUse + more <= FMaxMemory) return true;
    Fail(Meldung::ArbeitsspeicherReichtNicht);
    return false;
}

void TInterpreter::FailOutOfMemory() {
    Fail(Meldung::ArbeitsspeicherReichtNicht);
    if (!FErrorReported) ReportError();
}

void TInterpreter::ReportError() {
    FErrorReported = true;
    if (!FErrorList || !FOwnedError) return;
    FErrorList->RemoveSource(FehlerLaufzeit);
    FErrorList->Add(std::move(FOwnedError));
}

TInterpreter::TStepResult TInterpreter::Step(bool ignoreBreakpoints) {
    TStepResult result;
    if (!FErrorFlag) {
        FInStep = true;
        {
            TLockGuard lock(CriticalSections::ObjectLock());
            int token;
            do {
                int position = FScanner.GetPosition();
                token = FScanner.NextToken();
                ExecuteStatement(token, position, result);
                if (!FErrorFlag && TextsPastAlarm()) MemoryLeft();
                FScanner.SkipBlanks();
            } while (token == OStop && ignoreBreakpoints && !FErrorFlag);
            if (ignoreBreakpoints) result.BreakpointReached = false;
        }
        if (result.Counted) RepaintWindows();
        FInStep = false;
    }
    if (FErrorFlag && !FErrorReported) ReportError();
    return result;
}

void TInterpreter::RepaintWindows() {
    for (TFenster* window : FWindows) window->Repaint();
}

// In the order RepaintWindows paints, so that a turtle shown in several
// windows keeps what it saw in the last of them.
bool TInterpreter::SettlePaints(bool forScreen) {
    if (forScreen && FInStep) return false;
    for (TFenster* window : FWindows) window->SettlePaint();
    return true;
}

void TInterpreter::SettleProbes() {
    for (TFenster* window : FWindows) window->SettleProbes();
}
