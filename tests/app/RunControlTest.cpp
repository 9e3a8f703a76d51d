// Run mode, Start, Pause, Stop, single step, the tick, breakpoints and
// runtime errors, driven through the main window as a pupil would.
#include "MainTestSupport.h"

#include "UDebugControl.h"
#include "ULetztesZeichenfenster.h"
#include "UQtDrawingWindowHost.h"
#include "UZeichenfenster.h"
#include "UScanner.h"
#include "UVariablenText.h"

#include <QMouseEvent>
#include <QSlider>

namespace {

const std::vector<std::string> Counter = {
    "// zaehlt bis 3",
    "n: integer",
    "wiederhole 3 mal",
    "   n := n + 1",
    "*wiederhole",
    "n := n * 10",
};

std::string Cells(TDebugControl& view) {
    std::string all;
    for (int i = 0; i < view.Count(); ++i) all += VariablenText::StripMarks(view.Cell(i).Text) + ";";
    return all;
}

} // namespace

TEST_F(MainWindowTest, EnteringRunModeShowsTheRunControlsAndMarksTheFirstStatement) {
    SetProgram(Counter);
    EXPECT_TRUE(Shown("BStarten"));
    EXPECT_FALSE(Shown("BBearbeiten"));
    EXPECT_FALSE(Shown("TBSpeed"));
    EXPECT_FALSE(Main->Action("Start")->isVisible());

    Main->BStartenClick();
    EXPECT_TRUE(Main->RunMode());
    EXPECT_FALSE(Editor().Editable());
    EXPECT_FALSE(Shown("BStarten"));
    for (const char* shown : {"BBearbeiten", "BVariablen", "TBSpeed", "LGeschwindigkeit", "SBStart", "SBStop", "SBSchritt"})
        EXPECT_TRUE(Shown(shown)) << shown;
    for (const char* hidden : {"SBPause", "SBOeffnen", "SBSpeichern", "SBKopieren", "SBAusschneiden", "SBEinfuegen",
                               "SBRueckgaengig", "SBRedo"})
        EXPECT_FALSE(Shown(hidden)) << hidden;
    for (const char* disabled : {"Kopieren", "Einfuegen", "Ausschneiden", "Rueckgaengig"})
        EXPECT_FALSE(Main->Action(disabled)->isEnabled()) << disabled;
    EXPECT_TRUE(Main->Action("Start")->isVisible());

    // The comment line is passed over: the first statement is line 1.
    EXPECT_EQ(Main->CurrentLine(), 1);
    EXPECT_EQ(LineColor(1), TFMain::clCurrentLine);
    EXPECT_FALSE(Main->Running());
}

TEST_F(MainWindowTest, SingleStepsFollowTheProgramAndShowTheVariables) {
    SetProgram(Counter);
    Main->BStartenClick();
    Main->BVariablenClick();
    EXPECT_EQ(Cells(*Main->VariablesView()), "");

    Main->SchrittExecute();  // n: integer
    EXPECT_EQ(Main->CurrentLine(), 2);
    EXPECT_EQ(LineColor(2), TFMain::clCurrentLine);
    EXPECT_EQ(LineColor(1), TFMain::clNormalLine);
    EXPECT_EQ(Cells(*Main->VariablesView()), "n = 0;");

    Main->SchrittExecute();  // wiederhole 3 mal
    Main->SchrittExecute();  // n := n + 1
    EXPECT_EQ(Main->CurrentLine(), 4);
    EXPECT_EQ(Cells(*Main->VariablesView()), "n = 1;");
    // The changed value is red in the first refresh after the change.
    EXPECT_NE(Main->VariablesView()->Cell(0).Text.find('\x03'), std::string::npos);
}

TEST_F(MainWindowTest, StartRunsToTheEndAndShowsTheLastLine) {
    SetProgram(Counter);
    Main->BStartenClick();
    Main->StartExecute();
    EXPECT_TRUE(Main->Running());
    EXPECT_TRUE(Shown("SBPause"));
    EXPECT_FALSE(Shown("SBStart"));
    EXPECT_FALSE(Shown("SBSchritt"));

    TickUntilHalted();
    EXPECT_FALSE(Main->Running());
    EXPECT_TRUE(Main->Scanner()->AtEnd());
    EXPECT_EQ(Main->CurrentLine(), 5);
    EXPECT_EQ(LineColor(5), TFMain::clCurrentLine);
    const TVariable* n = Main->Interpreter()->VarSpace().Find("n");
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->Value->AsInteger(), 30);

    // Ended: Step does nothing, Start is cleared again by the next tick.
    Main->SchrittExecute();
    Main->StartExecute();
    Main->TimerTimer();
    EXPECT_FALSE(Main->Running());
}

TEST_F(MainWindowTest, ATickKeepsToItsBudgets) {
    SetProgram({"n: integer", "wiederhole 1000 mal", "n := n + 1", "*wiederhole"});
    Main->BStartenClick();
    Main->StartExecute();
    Main->TimerTimer();
    // Position 30: ten counted statements (the declaration and nine sums).
    EXPECT_EQ(Main->Interpreter()->VarSpace().Find("n")->Value->AsInteger(), 9);

    auto* speed = Find<QSlider>("TBSpeed");
    speed->setValue(15);
    EXPECT_EQ(Main->RunTimer().interval(), 20);
    EXPECT_EQ(Main->StepsPerTick(), 1);
    EXPECT_FALSE(Main->FollowEachStep());
    Main->TimerTimer();
    EXPECT_EQ(Main->Interpreter()->VarSpace().Find("n")->Value->AsInteger(), 10);

    speed->setValue(14);
    EXPECT_EQ(Main->RunTimer().interval(), 30);
    EXPECT_TRUE(Main->FollowEachStep());
    EXPECT_TRUE(Main->OneCallPerTick());
    // One call per tick, and the highlighted line follows it.
    Main->TimerTimer();  // *wiederhole
    EXPECT_EQ(Main->CurrentLine(), 2);
    EXPECT_EQ(LineColor(2), TFMain::clCurrentLine);
    EXPECT_EQ(Main->Interpreter()->VarSpace().Find("n")->Value->AsInteger(), 10);
    Main->TimerTimer();  // n := n + 1
    EXPECT_EQ(Main->CurrentLine(), 3);
    EXPECT_EQ(LineColor(2), TFMain::clNormalLine);
    EXPECT_EQ(Main->Interpreter()->VarSpace().Find("n")->Value->AsInteger(), 11);

    speed->setValue(1);
    EXPECT_EQ(Main->RunTimer().interval(), 2000);
    speed->setValue(25);
    EXPECT_EQ(Main->RunTimer().interval(), 1);
    EXPECT_EQ(Main->StepsPerTick(), 5);
}

TEST_F(MainWindowTest, ABreakpointPausesWithItsLineHighlighted) {
    SetProgram(Counter);
    Main->BStartenClick();
    // A click into the gutter while the run stands reaches the running
    // scanner at once.
    const int y = TSHControl::kTopMargin + Editor().LineSpacing() + 5 * Editor().RowPitch() + 2;
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(10, y), Editor().mapToGlobal(QPointF(10, y)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Editor(), &click);
    ASSERT_TRUE(Editor().LineBreakpoint(5));
    Main->BVariablenClick();
    Main->StartExecute();
    TickUntilHalted();
    EXPECT_FALSE(Main->Scanner()->AtEnd());
    EXPECT_EQ(Main->CurrentLine(), 5);
    EXPECT_EQ(LineColor(5), TFMain::clCurrentLine);
    EXPECT_TRUE(Shown("SBStart"));
    EXPECT_TRUE(Shown("SBSchritt"));
    EXPECT_FALSE(Shown("SBPause"));
    EXPECT_EQ(Cells(*Main->VariablesView()), "n = 3;");

    // A step passes over the mark and runs the statement behind it.
    Main->SchrittExecute();
    EXPECT_EQ(Main->Interpreter()->VarSpace().Find("n")->Value->AsInteger(), 30);
}

TEST_F(MainWindowTest, ARuntimeErrorMarksItsLineAndStopHelps) {
    SetProgram({"n: integer", "n := 1", "x := 5", "n := 2"});
    Main->BStartenClick();
    Main->BVariablenClick();
    Main->StartExecute();
    TickUntilHalted();
    EXPECT_FALSE(Main->Running());
    EXPECT_TRUE(Main->Interpreter()->ErrorFlag());
    EXPECT_EQ(LineColor(2), TFMain::clErrorLine);
    ASSERT_EQ(Main->ErrorListBox()->count(), 1);
    EXPECT_TRUE(Main->ErrorListBox()->item(0)->text().startsWith("Laufzeitfehler: (Z.2 Sp."));
    EXPECT_EQ(Cells(*Main->VariablesView()), "n = 1;");

    // Start and Step change nothing until Stop.
    Main->StartExecute();
    Main->TimerTimer();
    Main->SchrittExecute();
    EXPECT_FALSE(Main->Running());
    EXPECT_EQ(Main->Interpreter()->VarSpace().Find("n")->Value->AsInteger(), 1);

    Main->StopExecute();
    EXPECT_TRUE(Main->RunMode());
    EXPECT_FALSE(Main->Interpreter()->ErrorFlag());
    EXPECT_EQ(Main->ErrorListBox()->count(), 0);
    EXPECT_EQ(Main->CurrentLine(), 0);
    EXPECT_EQ(LineColor(0), TFMain::clCurrentLine);
    EXPECT_EQ(LineColor(2), TFMain::clNormalLine);
    EXPECT_EQ(Main->VariablesView()->Count(), 0);
    EXPECT_TRUE(Shown("SBStart"));
}

TEST_F(MainWindowTest, AFailingSingleStepIsMarkedAsWell) {
    SetProgram({"n: integer", "x := 5"});
    Main->BStartenClick();
    Main->SchrittExecute();
    Main->SchrittExecute();
    EXPECT_TRUE(Main->Interpreter()->ErrorFlag());
    EXPECT_EQ(LineColor(1), TFMain::clErrorLine);
    EXPECT_EQ(Main->ErrorListBox()->count(), 1);
}

TEST_F(MainWindowTest, AnErrorOfTheDeclarationPassShowsAtOnceAndOnTheFirstTick) {
    SetProgram({"n: integer", "methode f(x integer)", "ende"});
    Main->BStartenClick();
    EXPECT_EQ(Main->ErrorListBox()->count(), 1);
    Main->StartExecute();
    Main->TimerTimer();
    EXPECT_FALSE(Main->Running());
    EXPECT_EQ(LineColor(1), TFMain::clErrorLine);
    // Stop keeps the new run's own creation error in the list.
    Main->StopExecute();
    EXPECT_EQ(Main->ErrorListBox()->count(), 1);
}

TEST_F(MainWindowTest, AProgramWithoutStatementsEndsOnTheFirstTick) {
    SetProgram({"// nur ein Kommentar", "", "{ und noch einer }"});
    Main->BStartenClick();
    EXPECT_GE(LineWithColor(TFMain::clCurrentLine), 0);
    Main->StartExecute();
    Main->TimerTimer();
    EXPECT_FALSE(Main->Running());
    EXPECT_EQ(LineColor(Main->CurrentLine()), TFMain::clCurrentLine);
}

TEST_F(MainWindowTest, LeavingRunModeRestoresEditingAndRemembersTheVariablesPanel) {
    SetProgram(Counter);
    Main->BStartenClick();
    Main->BVariablenClick();
    EXPECT_TRUE(Shown("Panelunten"));
    EXPECT_EQ(Find<QAbstractButton>("BVariablen")->text(), "Variablen ausblenden");
    Main->StartExecute();
    TickUntilHalted();

    Main->BBearbeitenClick();
    EXPECT_FALSE(Main->RunMode());
    EXPECT_TRUE(Editor().Editable());
    EXPECT_EQ(Main->Interpreter(), nullptr);
    EXPECT_EQ(Main->Scanner(), nullptr);
    EXPECT_FALSE(Shown("Panelunten"));
    EXPECT_FALSE(Shown("BVariablen"));
    EXPECT_TRUE(Shown("SBOeffnen"));
    EXPECT_TRUE(Main->Action("Kopieren")->isEnabled());
    EXPECT_FALSE(Main->Action("Start")->isVisible());
    EXPECT_EQ(LineWithColor(TFMain::clCurrentLine), -1);

    Main->BStartenClick();
    EXPECT_TRUE(Main->VariablesShown());
    EXPECT_TRUE(Shown("Panelunten"));
    EXPECT_EQ(Main->VariablesView()->Count(), 0);
}

TEST_F(MainWindowTest, PauseShowsWhereTheProgramStands) {
    SetProgram({"n: integer", "wiederhole immer", "n := n + 1", "*wiederhole"});
    Main->BStartenClick();
    Main->StartExecute();
    Main->TimerTimer();
    Main->TimerTimer();
    Main->PauseExecute();
    EXPECT_FALSE(Main->Running());
    const int line = Main->Scanner()->GetLineColumn().Line;
    EXPECT_EQ(Main->CurrentLine(), line);
    EXPECT_EQ(LineColor(line), TFMain::clCurrentLine);
    EXPECT_TRUE(Shown("SBStart"));
    // Paused: ticks execute nothing.
    const int n = Main->Interpreter()->VarSpace().Find("n")->Value->AsInteger();
    Main->TimerTimer();
    EXPECT_EQ(Main->Interpreter()->VarSpace().Find("n")->Value->AsInteger(), n);
}

TEST_F(MainWindowTest, RunActionsDoNothingInEditingMode) {
    SetProgram(Counter);
    Main->StartExecute();
    Main->SchrittExecute();
    Main->PauseExecute();
    Main->StopExecute();
    Main->BBearbeitenClick();
    EXPECT_FALSE(Main->RunMode());
    EXPECT_FALSE(Main->Running());
    EXPECT_EQ(Main->Interpreter(), nullptr);
}

TEST_F(MainWindowTest, ClickingAnErrorJumpsToItInEditingMode) {
    SetProgram({"n: integer", "n := "});
    // The check's hint for the unfinished assignment.
    ASSERT_EQ(Main->ErrorListBox()->count(), 1);
    const TFehler record = *Main->ErrorListBox()->Record(0);
    Main->ErrorListBox()->setCurrentRow(0);
    Main->LBErrorClick();
    EXPECT_EQ(Editor().CaretLine(), record.Line);
    EXPECT_EQ(Editor().CaretColumn(), std::min<int>(record.Column, static_cast<int>(Editor().LineText(record.Line).size())));

    // Without a selection nothing happens.
    Editor().SetCaret(0, 0);
    Main->ErrorListBox()->clearSelection();
    Main->LBErrorClick();
    EXPECT_EQ(Editor().CaretLine(), 0);
}

TEST_F(MainWindowTest, TheDefaultWindowFollowsTheDeclarations) {
    SetProgram({"r: Rechteck"});
    Main->BStartenClick();
    EXPECT_NE(Main->Interpreter()->DefaultWindow(), nullptr);
    Main->BBearbeitenClick();
    SetProgram({"r: Rechteck", "f: Fenster"});
    Main->BStartenClick();
    EXPECT_EQ(Main->Interpreter()->DefaultWindow(), nullptr);
}

TEST_F(MainWindowTest, DrawingWindowsLiveAsLongAsTheRun) {
    TFLetztesZeichenfenster last;
    TQtDrawingWindowHost host;
    SetProgram({"r: Rechteck", "r.fuellfarbeSetzen(rot)", "r.drehen(30)"});
    Main->BStartenClick();
    Main->StartExecute();
    TickUntilHalted();
    auto drawingWindows = [] {
        int shown = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (qobject_cast<TFZeichnen*>(widget) && widget->isVisible()) ++shown;
        return shown;
    };
    EXPECT_EQ(drawingWindows(), 1);

    // Stop starts again with a fresh window; leaving run mode closes it and
    // the last drawing window keeps the picture.
    Main->StopExecute();
    EXPECT_EQ(drawingWindows(), 1);
    Main->BBearbeitenClick();
    QApplication::processEvents();
    EXPECT_EQ(drawingWindows(), 0);
    EXPECT_NE(last.Picture().size(), QSize(300, 50));

    Main->BStartenClick();
    Main->Shutdown();
    EXPECT_EQ(Main->Interpreter(), nullptr);
    EXPECT_EQ(drawingWindows(), 0);
}

// An idle window must not wake the processor a thousand times a second: the
// timer runs while the program runs and in no other state.
TEST_F(MainWindowTest, TheRunTimerTicksOnlyWhileAProgramRuns) {
    Main->SetTicksByHand(false);
    const auto ticking = [this] { return Main->RunTimer().isActive(); };
    SetProgram(Counter);
    EXPECT_FALSE(ticking()) << "Bearbeiten";
    Main->BStartenClick();
    Main->SchrittExecute();
    Main->TBSpeedChange();
    EXPECT_FALSE(ticking()) << "angehalten";
    Main->StartExecute();
    EXPECT_TRUE(ticking()) << "Start";
    Main->PauseExecute();
    EXPECT_FALSE(ticking()) << "Pause";
    Main->StartExecute();
    Main->StopExecute();
    EXPECT_FALSE(ticking()) << "Stop";
    Main->StartExecute();
    TickUntilHalted();
    EXPECT_FALSE(ticking()) << "Ende";
    // Start at the end sets the flag, the next tick clears it again.
    Main->StartExecute();
    EXPECT_TRUE(ticking());
    Main->TimerTimer();
    EXPECT_FALSE(ticking()) << "Start am Ende";
    Main->StopExecute();
    Main->StartExecute();
    Main->BBearbeitenClick();
    EXPECT_FALSE(ticking()) << "Programm bearbeiten";

    SetProgram({"n: integer", "x := 5"});
    Main->BStartenClick();
    Main->StartExecute();
    TickUntilHalted();
    EXPECT_TRUE(Main->Interpreter()->ErrorFlag());
    EXPECT_FALSE(ticking()) << "Laufzeitfehler";
    // Opening a file leaves run mode; the cancelled dialog starts nothing.
    Main->StopExecute();
    Main->StartExecute();
    Main->OeffnenExecute();
    EXPECT_FALSE(Main->RunMode());
    EXPECT_FALSE(ticking()) << "Offnen";
}

// The speed decides whether a running program shows its line; where a
// paused, ended or failed program stands stays marked whatever the speed.
TEST_F(MainWindowTest, MovingTheSpeedKeepsTheLineOfAProgramThatDoesNotRun) {
    auto* speed = Find<QSlider>("TBSpeed");
    SetProgram(Counter);
    Main->BStartenClick();
    Main->SchrittExecute();
    Main->SchrittExecute();
    ASSERT_EQ(Main->CurrentLine(), 3);
    for (int p : {20, 5, 30}) {
        speed->setValue(p);
        EXPECT_EQ(LineColor(3), TFMain::clCurrentLine) << "angehalten, Stufe " << p;
    }
    Main->StartExecute();
    TickUntilHalted();
    speed->setValue(20);
    EXPECT_EQ(LineColor(5), TFMain::clCurrentLine) << "Ende";

    // Running in follow mode the line follows; at a fast speed it goes.
    Main->StopExecute();
    speed->setValue(10);
    Main->StartExecute();
    Main->TimerTimer();
    const int line = Main->CurrentLine();
    EXPECT_EQ(LineColor(line), TFMain::clCurrentLine);
    speed->setValue(30);
    EXPECT_EQ(LineColor(line), TFMain::clNormalLine);

    // A failed statement's line stays red.
    Main->BBearbeitenClick();
    SetProgram({"n: integer", "x := 5"});
    speed->setValue(10);
    Main->BStartenClick();
    Main->StartExecute();
    TickUntilHalted();
    ASSERT_EQ(LineColor(1), TFMain::clErrorLine);
    speed->setValue(30);
    EXPECT_EQ(LineColor(1), TFMain::clErrorLine);
}
