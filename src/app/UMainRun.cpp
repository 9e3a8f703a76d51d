// Run control of the main window: entering and leaving run mode, Start,
// Pause, Stop, single step, the timer tick and the speed.
#include "UMain.h"

#include "UCriticalSections.h"
#include "UDebugControl.h"
#include "UDialogs.h"
#include "UEinstellungen.h"
#include "UErrorListBox.h"
#include "UFehler.h"
#include "UInterpreter.h"
#include "URecovery.h"
#include "UScanner.h"
#include "USHControl.h"
#include "UStandardfenster.h"
#include "USpeed.h"
#include "USyntaxcheck.h"
#include "UVariablenText.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QToolButton>

#include <array>
#include <exception>
#include <new>
#include <stdexcept>

namespace {

using Speed::CallsPerTick;
// A tick whose statements take longer than this leaves the rest of its
// statements to the next one, so that Pause, Stop and the editor still get
// their turn within a frame or two; what the run does is the same, only later.
constexpr qint64 TickTimeLimitNs = 8'000'000;

// The C++ library's own words are English and say nothing to a pupil; its
// text is kept only as a hint for whoever looks into the fault.
QString InternalErrorReason(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e) || dynamic_cast<const std::length_error*>(&e))
        return QStringLiteral("Der Arbeitsspeicher reicht f\u00FCr dieses Programm nicht aus.");
    return QStringLiteral("Technische Angabe f\u00FCr die Entwickler: ") + QString::fromLocal8Bit(e.what());
}

} // namespace

// ---------------------------------------------------------------------------
// Modes

void TFMain::ShowRunControls(bool runMode) {
    // Pause stays a visible action in run mode although the tool bar shows
    // it only while the program runs: an invisible action is a disabled one
    // here, which would leave SBPause and F10 dead.
    for (QAction* action : {Start, Pause, Stop, Schritt}) action->setVisible(runMode);
    for (QAction* action : {Kopieren, Einfuegen, Ausschneiden, Rueckgaengig}) action->setEnabled(!runMode);
    for (QToolButton* button : {SBKopieren, SBEinfuegen, SBAusschneiden, SBRueckgaengig, SBRedo, SBOeffnen, SBSpeichern})
        button->setVisible(!runMode);
    SBStart->setVisible(runMode);
    SBStop->setVisible(runMode);
    SBSchritt->setVisible(runMode);
    SBPause->setVisible(false);
    // Start and Pause take turns in one place; Step keeps its place while
    // the program runs, so that Stop, the variables button and the speed
    // bar do not jump sideways under the pupil's mouse.
    QSizePolicy stepPolicy = SBSchritt->sizePolicy();
    stepPolicy.setRetainSizeWhenHidden(runMode);
    SBSchritt->setSizePolicy(stepPolicy);
    BStarten->setVisible(!runMode);
    BBearbeiten->setVisible(runMode);
    BVariablen->setVisible(runMode);
    TBSpeed->setVisible(runMode);
    FitTopRow();
}

void TFMain::BStartenClick() {
    if (RunMode()) return;
    // The default window depends on the last finished check; the text is
    // read-only from now on, so its last pass is the one that counts.
    FEditor->Syntaxcheck().WaitUntilIdle();
    // A due recovery copy is written now rather than between the steps.
    FRecovery->Flush();
    FEditor->SetEditMode(false);
    FEditor->ResetLineColors();
    FErrors->Clear();
    PrepareRun();
    FEditor->Paint();

    BStarten->hide();
    BVariablen->show();
    if (FVariablesWereShown && !FVariablesShown) BVariablenClick();
    if (FVariablesShown) RefreshVariables();
    ShowRunControls(true);
}

void TFMain::BBearbeitenClick() {
    if (!RunMode() || DeferFromTick(&TFMain::BBearbeitenClick)) return;
    SetLineColor(FCurrentLine, clNormalLine);
    EndRun();

    FVariablesWereShown = FVariablesShown;
    if (FVariablesShown) BVariablenClick();
    ShowRunControls(false);

    FEditor->ResetLineColors();
    FEditor->Paint();
    FEditor->SetEditMode(true);
    FEditor->setFocus();
    FEditor->Paint();
    FErrors->Clear();
    FEditor->NotifyTextChanged();
}

bool TFMain::DefaultWindowFlag() const { return FEditor->Syntaxcheck().DefaultWindow(); }

void TFMain::PrepareRun() {
    {
        TLockGuard run(CriticalSections::RunLock());
        FInterpreter.reset();
        FScanner.reset();
        FScanner = std::make_unique<TScanner>();
        {
            TLockGuard lines(CriticalSections::EditorLinesLock());
            FScanner->Load(*FEditor);
        }
        FInterpreter = std::make_unique<TInterpreter>(*FScanner, DefaultWindowFlag(), FErrors.get());
        FVariablesStale = true;
        if (FForms.Einstellungen)
            FInterpreter->SetNoAttributeAssignment(FForms.Einstellungen->NoAttributeAssignment());
    }
    SyncBreakpoints();
    FScanner->SkipBlanks();
    const int line = ClampedLine(FScanner->GetLineColumn().Line);
    SetLineColor(line, FCurrentLineColor);
    FEditor->Paint();
    FCurrentLine = line;
}

void TFMain::EndRun() {
    if (!HaltTicks()) return;
    TLockGuard run(CriticalSections::RunLock());
    FInterpreter.reset();
    FScanner.reset();
    FVariablesStale = true;
}

bool TFMain::HaltTicks() {
    TLockGuard run(CriticalSections::RunLock());
    FRunning = false;
    UpdateRunTimer();
    // Ticks run on this thread: a tick in progress is one that called us
    // through a nested message loop and cannot end while we wait.
    return !FInTick;
}

void TFMain::UpdateRunTimer() {
    if (!FRunning || FTicksByHand)
        Timer.stop();
    else if (!Timer.isActive())
        Timer.start();
}

void TFMain::SetTicksByHand(bool byHand) {
    FTicksByHand = byHand;
    UpdateRunTimer();
}

bool TFMain::DeferFromTick(void (TFMain::*handler)()) {
    if (!FInTick) return false;
    QTimer::singleShot(0, this, handler);
    return true;
}

void TFMain::SyncBreakpoints() {
    TLockGuard run(CriticalSections::RunLock());
    if (FScanner && FScanner->Loaded()) FScanner->RefreshLineMarks();
}

// ---------------------------------------------------------------------------
// Start, Pause, Stop, single step

void TFMain::StartExecute() {
    if (!RunMode() || !FInterpreter) return;
    FEditor->ResetLineColors();
    FEditor->Paint();
    SBPause->show();
    SBStart->hide();
    SBSchritt->hide();
    SetLineColor(FCurrentLine, clNormalLine);
    TLockGuard run(CriticalSections::RunLock());
    FRunning = true;
    UpdateRunTimer();
}

void TFMain::PauseExecute() {
    if (!RunMode() || DeferFromTick(&TFMain::PauseExecute)) return;
    HaltTicks();
    if (!FScanner) return;
    SetLineColor(FCurrentLine, clNormalLine);
    const int line = ClampedLine(FScanner->GetLineColumn().Line);
    SetLineColor(line, FCurrentLineColor);
    FCurrentLine = line;
    FEditor->ScrollIntoView(line, 0);
    FEditor->Paint();
    SBPause->hide();
    SBStart->show();
    SBSchritt->show();
    RefreshVariables();
}

void TFMain::StopExecute() {
    if (!RunMode() || DeferFromTick(&TFMain::StopExecute)) return;
    HaltTicks();
    FErrors->RemoveSource(FehlerLaufzeit);
    FEditor->ResetLineColors();
    PrepareRun();
    FErrors->Refresh();
    FEditor->ScrollIntoView(0, 0);
    FEditor->Paint();
    SBPause->hide();
    SBStart->show();
    SBSchritt->show();
    RefreshVariables();
}

void TFMain::SchrittExecute() {
    if (!RunMode()) return;
    FEditor->Paint();
    if (!FScanner || !FInterpreter || FScanner->AtEnd() || FInterpreter->ErrorFlag() || FInTick) return;
    FErrors->RemoveSource(FehlerLaufzeit);
    QString failure;
    try {
        TLockGuard step(CriticalSections::StepLock());
        FVariablesStale = true;
        FInterpreter->Step(true);
    } catch (const std::exception& e) {
        failure = InternalErrorReason(e);
    }
    ShowCurrentLine();
    // A step that failed marks its line as a failing tick does.
    if (FInterpreter->ErrorFlag())
        if (const TFehler* error = FInterpreter->Error()) SetLineColor(error->Line, clErrorLine);
    RefreshVariables();
    FEditor->Paint();
    FEditor->setFocus();
    FErrors->Refresh();
    if (!failure.isEmpty()) ShowInternalError(failure);
}

void TFMain::ShowInternalError(const QString& what) {
    Dialogs().Message(this,
                      QStringLiteral("Das Programm wurde angehalten, weil ein interner Fehler auftrat:\n") + what,
                      QStringLiteral("Fehler"), TMessageIcon::Warning);
}

// ---------------------------------------------------------------------------
// The tick

void TFMain::TimerTimer() {
    // Buttons, drawing windows and the editor stay responsive while a
    // program runs; a click handled here may end the run.
    QCoreApplication::processEvents();

    bool breakpointReached = false;
    QString failure;
    {
        TLockGuard run(CriticalSections::RunLock());
        if (FInTick) return;
        FInTick = true;
        if (FRunning && FScanner && FInterpreter) {
            SetLineColor(FCurrentLine, clNormalLine);
            int stepsLeft = FStepsPerTick;
            int callsLeft = FOneCallPerTick ? 1 : CallsPerTick;
            QElapsedTimer tickClock;
            tickClock.start();
            try {
                while (!FScanner->AtEnd() && !FInterpreter->ErrorFlag() && stepsLeft != 0 && callsLeft != 0 &&
                       !breakpointReached) {
                    TInterpreter::TStepResult result;
                    {
                        TLockGuard step(CriticalSections::StepLock());
                        FVariablesStale = true;
                        result = FInterpreter->Step(false);
                    }
                    breakpointReached = result.BreakpointReached;
                    if (result.Counted) --stepsLeft;
                    --callsLeft;
                    if (FFollowEachStep) ShowCurrentLine();
                    if (tickClock.nsecsElapsed() > TickTimeLimitNs) break;
                }
            } catch (const std::exception& e) {
                failure = InternalErrorReason(e);
                FRunning = false;
                ShowCurrentLine();
            }
            if (FScanner->AtEnd()) {
                ShowCurrentLine();
                FRunning = false;
            }
            if (FInterpreter->ErrorFlag()) {
                if (const TFehler* error = FInterpreter->Error()) {
                    SetLineColor(error->Line, clErrorLine);
                    RefreshVariables();
                    FEditor->Paint();
                    FEditor->setFocus();
                    FErrors->Refresh();
                }
                FRunning = false;
            }
        }
        FInTick = false;
        if (breakpointReached && FRunning) {
            FRunning = false;
            PauseExecute();
        }
        UpdateRunTimer();
    }
    if (!failure.isEmpty()) ShowInternalError(failure);
}

int TFMain::ClampedLine(int line) const {
    TLockGuard lines(CriticalSections::EditorLinesLock());
    const int last = FEditor->LineCount() - 1;
    if (line > last) line = last;
    return line < 0 ? 0 : line;
}

void TFMain::SetLineColor(int line, TColor color) {
    TLockGuard lines(CriticalSections::EditorLinesLock());
    if (TZeilenInformation* info = FEditor->LineInfo(line)) info->Color = color;
}

void TFMain::ShowCurrentLine() {
    if (!FScanner) return;
    const int line = ClampedLine(FScanner->GetLineColumn().Line);
    {
        TLockGuard lines(CriticalSections::EditorLinesLock());
        SetLineColor(FCurrentLine, clNormalLine);
        SetLineColor(line, FCurrentLineColor);
    }
    FCurrentLine = line;
    RefreshVariables();
    FEditor->ScrollIntoView(line, 0);
    FEditor->Paint();
}

// ---------------------------------------------------------------------------
// Speed, variables panel, error list

void TFMain::TBSpeedChange() {
    const Speed::TTick tick = Speed::Of(TBSpeed->value());
    Timer.setInterval(tick.IntervalMs);
    FStepsPerTick = tick.StepsPerTick;
    const bool follow = tick.FollowEachStep;
    FFollowEachStep = follow;
    FOneCallPerTick = follow;
    // A running program shows no current line at these speeds; a paused or
    // ended one keeps the line where it stands.
    if (!follow && FRunning) {
        SetLineColor(FCurrentLine, clNormalLine);
        FEditor->Paint();
    }
}

void TFMain::BVariablenClick() {
    TLockGuard step(CriticalSections::StepLock());
    FVariablesShown = !FVariablesShown;
    if (FVariablesShown) {
        Panelunten->show();
        FormResize();
        RefreshVariables();
        BVariablen->setText(QStringLiteral("Variablen ausblenden"));
    } else {
        Panelunten->hide();
        BVariablen->setText(QStringLiteral("Variablen zeigen"));
    }
}

void TFMain::RefreshVariables() {
    if (!FVariablesShown || !FVariablesStale) return;
    TLockGuard step(CriticalSections::StepLock());
    FVariablesStale = false;
    FVariablesView->Clear();
    if (FInterpreter)
        for (const std::string& cell : VariablenText::VariableCells(FInterpreter->VarSpace()))
            FVariablesView->AddCell(cell);
    FVariablesView->Arrange();
}

void TFMain::LBErrorClick() {
    const TFehler* error = LBError->SelectedRecord();
    if (!error) return;
    const TFehler record = *error;
    FEditor->ScrollIntoView(record.Line, record.Column);
    FEditor->SetCaret(record.Line, record.Column);
    FEditor->setFocus();
}
