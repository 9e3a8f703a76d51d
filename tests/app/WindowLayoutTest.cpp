// How the main window looks while a pupil works with it: the top row keeps
// its buttons in place across the run states, and the side panels open at
// their fixed sizes.
#include "MainTestSupport.h"

#include <QAbstractButton>
#include <QSplitter>

namespace {

const std::vector<std::string> Loop = {"n: integer", "wiederhole immer", "n := n + 1", "*wiederhole"};

} // namespace

TEST_F(MainWindowTest, RunControlsKeepTheirPlaceWhenStartAndPauseTakeTurns) {
    SetProgram(Loop);
    Main->BStartenClick();
    QApplication::processEvents();
    auto x = [this](const char* name) { return Find<QWidget>(name)->geometry().x(); };
    const int stop = x("SBStop"), variables = x("BVariablen"), speed = x("TBSpeed"), start = x("SBStart");

    Main->StartExecute();
    QApplication::processEvents();
    EXPECT_FALSE(Shown("SBSchritt"));
    EXPECT_EQ(x("SBPause"), start);
    EXPECT_EQ(x("SBStop"), stop);
    EXPECT_EQ(x("BVariablen"), variables);
    EXPECT_EQ(x("TBSpeed"), speed);

    Main->PauseExecute();
    QApplication::processEvents();
    EXPECT_EQ(x("SBStop"), stop);
    EXPECT_EQ(x("BVariablen"), variables);

    // Back in editing mode the hidden run buttons leave no gap: the editing
    // tools start right after the start button, as before the run.
    Main->BBearbeitenClick();
    QApplication::processEvents();
    const int afterRun = x("SBRedo");
    TFMain fresh(QStringList{QStringLiteral("/usr/bin/zak")});
    fresh.SetTicksByHand(true);
    fresh.resize(Main->size());
    fresh.show();
    QApplication::processEvents();
    EXPECT_EQ(afterRun, fresh.findChild<QWidget*>("SBRedo")->geometry().x());
}

// At every width down to the window's minimum the run mode's top row shows
// all of its parts side by side, the speed's label in full: the slider is
// what gives way, and it comes back to its width when there is room.
TEST_F(MainWindowTest, TheTopRowKeepsTheSpeedLabelDownToTheMinimumWidth) {
    SetProgram(Loop);
    Main->BStartenClick();
    Main->HelpPanelDraw = [] { return 0; };
    const QStringList row = {"BBearbeiten", "SBStart", "SBStop", "SBSchritt", "BVariablen", "LGeschwindigkeit",
                             "TBSpeed", "BKlassenansicht"};
    for (const int width : {Main->minimumWidth(), Main->minimumWidth() + 7, 640, 800}) {
        for (const bool helpShown : {false, true}) {
            SCOPED_TRACE(std::to_string(width) + (helpShown ? " Hilfe" : ""));
            if (Shown("PCHelp") != helpShown) Main->BKlassenansichtClick();
            Main->resize(width, Main->height());
            QApplication::processEvents();
            const int rowWidth = Find<QWidget>("LGeschwindigkeit")->parentWidget()->width();
            int right = 0;
            for (const QString& name : row) {
                const QWidget* part = Find<QWidget>(name.toLatin1().constData());
                ASSERT_TRUE(part->isVisibleTo(Main.get())) << name.toStdString();
                EXPECT_GE(part->geometry().left(), right) << name.toStdString();
                right = part->geometry().right() + 1;
            }
            EXPECT_LE(right, rowWidth);
            const auto* label = Find<QWidget>("LGeschwindigkeit");
            EXPECT_GE(label->width(), label->sizeHint().width());
            EXPECT_GE(Find<QWidget>("TBSpeed")->width(), 24);  // still to be dragged
            for (const char* name : {"BBearbeiten", "BVariablen", "BKlassenansicht"}) {
                const auto* button = Find<QAbstractButton>(name);
                EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text()) + 10) << name;
            }
            if (width >= 800) {
                EXPECT_EQ(Find<QWidget>("TBSpeed")->width(), 90);
            }
        }
    }
}

TEST_F(MainWindowTest, SidePanelsOpenAtTheirFixedSizes) {
    Main->HelpPanelDraw = [] { return 0; };
    Main->BKlassenansichtClick();
    QApplication::processEvents();
    EXPECT_EQ(Find<QWidget>("PCHelp")->width(), 233);

    SetProgram(Loop);
    Main->BStartenClick();
    Main->BVariablenClick();
    QApplication::processEvents();
    EXPECT_TRUE(Shown("Panelunten"));
    EXPECT_EQ(Find<QWidget>("Panelunten")->height(), 88);
    // A larger window gives the room to the editor, not to the panel.
    Main->resize(Main->width(), Main->height() + 100);
    QApplication::processEvents();
    EXPECT_EQ(Find<QWidget>("Panelunten")->height(), 88);
    EXPECT_EQ(Find<QWidget>("PCHelp")->width(), 233);
}

TEST_F(MainWindowTest, EveryShownRunButtonWorksWhenClicked) {
    SetProgram(Loop);
    Main->BStartenClick();
    auto* start = Find<QAbstractButton>("SBStart");
    auto* pause = Find<QAbstractButton>("SBPause");
    auto* step = Find<QAbstractButton>("SBSchritt");
    auto* stop = Find<QAbstractButton>("SBStop");

    ASSERT_TRUE(step->isEnabled());
    step->click();
    EXPECT_EQ(Main->CurrentLine(), 1);

    ASSERT_TRUE(start->isEnabled());
    start->click();
    EXPECT_TRUE(Main->Running());
    // While the program runs only Pause (and Stop) are shown; Pause must
    // not be a dead button.
    ASSERT_TRUE(Shown("SBPause"));
    ASSERT_TRUE(pause->isEnabled());
    Main->TimerTimer();
    pause->click();
    EXPECT_FALSE(Main->Running());
    EXPECT_TRUE(Shown("SBStart"));

    ASSERT_TRUE(stop->isEnabled());
    stop->click();
    EXPECT_EQ(Main->CurrentLine(), 0);
    EXPECT_EQ(Main->Interpreter()->VarSpace().Find("n"), nullptr);
}
