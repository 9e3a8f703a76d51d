// The command layer: actions, menus, undo and redo enabling, the help panel
// with its class tree and reference pages, and the window layout.
#include "UVersion.h"
#include "MainTestSupport.h"

#include "UHelpTree.h"
#include "UHelpTexts.h"
#include "UImageList.h"
#include "UEinstellungen.h"
#include "UInformation.h"
#include "UPasswortabfrage.h"
#include "Uencrypt.h"
#include "UKlassen.h"
#include "UObjekt.h"
#include "USyntaxcheckThread.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

TEST_F(MainWindowTest, ActionsCarryTheirTextsShortcutsAndImages) {
    struct TRow {
        const char* Name;
        const char* Caption;
        const char* Hint;
        QKeySequence Shortcut;
    };
    const TRow rows[] = {
        {"Neu", "Neu", "Neu", {}},
        {"Oeffnen", "Offnen", "Datei Offnen", QKeySequence(Qt::Key_F3)},
        {"Speichern", "Speichern", "Datei Speichern", QKeySequence(Qt::Key_F2)},
        {"SpeichernUnter", "Speichern unter ...", "Speichern unter ...", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"Kopieren", "Kopieren", "Kopieren", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {"Einfuegen", "Einfugen", "Einfugen", QKeySequence(Qt::CTRL | Qt::Key_V)},
        {"Rueckgaengig", "&Ruckgangig", "Ruckgangig", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {"Redo", "Vorwarts", "Vorwarts", {}},
        {"Start", "Start", "Start", QKeySequence(Qt::Key_F9)},
        {"Pause", "Pause", "Pause", QKeySequence(Qt::Key_F10)},
        {"Stop", "Stop", "Stop", QKeySequence(Qt::Key_F11)},
        {"Schritt", "Schritt", "Einzelschritt", QKeySequence(Qt::Key_F8)},
    };
    for (const TRow& row : rows) {
        QAction* action = Main->Action(row.Name);
        ASSERT_NE(action, nullptr) << row.Name;
        EXPECT_EQ(action->text(), row.Caption) << row.Name;
        EXPECT_EQ(action->toolTip(), row.Hint) << row.Name;
        EXPECT_EQ(action->shortcut(), row.Shortcut) << row.Name;
        EXPECT_FALSE(action->icon().isNull()) << row.Name;
    }
    // Every named picture exists and is 16 x 16; others are empty, not a crash.
    for (int i = 0; i < ImageList::Count; ++i) EXPECT_EQ(ImageList::Image(i).size(), QSize(16, 16)) << i;
    EXPECT_EQ(ImageList::Image(99).size(), QSize(16, 16));
}

TEST_F(MainWindowTest, MenusHoldTheirEntriesInOrder) {
    auto texts = [](QMenu* menu) {
        QStringList out;
        for (QAction* action : menu->actions())
            if (!action->isSeparator()) out << action->text();
        return out;
    };
    QStringList titles;
    std::vector<QMenu*> menus;
    for (QAction* action : Main->menuBar()->actions()) {
        titles << action->text();
        menus.push_back(action->menu());
    }
    ASSERT_EQ(titles, (QStringList{"Datei", "Bearbeiten", "Programm", "Information"}));
    EXPECT_EQ(texts(menus[0]), (QStringList{"Neu", "Offnen", "Speichern", "Speichern unter ...", "Drucken ...",
                                            "Einstellungen ...", "Schlie\u00DFen"}));
    EXPECT_EQ(texts(menus[1]), (QStringList{"&Ruckgangig", "Ausschneiden", "Kopieren", "Einfugen", "Vorwarts"}));
    EXPECT_EQ(texts(menus[2]),
              (QStringList{"Letztes Zeichenfenster...", "Inhalt des Zeichenfensters kopieren ..."}));
    EXPECT_EQ(texts(menus[3]), QStringList{"Information ..."});
    EXPECT_EQ(texts(Find<QMenu>("EditorPopup")), (QStringList{"Ausschneiden", "Kopieren", "Einfugen"}));

    menus[2]->actions()[1]->trigger();
    ASSERT_EQ(Dialogs.Of("Message").size(), 1u);
    EXPECT_EQ(Dialogs.Of("Message")[0].Text, "Klicken Sie mit der rechten Maustaste auf das Zeichenfenster!");
    EXPECT_EQ(Dialogs.Of("Message")[0].Caption, "Tipp:");
}

TEST_F(MainWindowTest, UndoAndRedoFollowTheHistoryAndTheMode) {
    SetProgram({"a: integer"});
    Main->RueckgaengigUpdate();
    Main->RedoUpdate();
    EXPECT_FALSE(Main->Action("Rueckgaengig")->isEnabled());
    EXPECT_FALSE(Main->Action("Redo")->isEnabled());

    PressEnter();
    Main->RueckgaengigUpdate();
    EXPECT_TRUE(Main->Action("Rueckgaengig")->isEnabled());

    Main->BStartenClick();
    Main->RueckgaengigUpdate();
    Main->RedoUpdate();
    EXPECT_FALSE(Main->Action("Rueckgaengig")->isEnabled());
    // Undo does nothing in run mode, whatever calls it.
    Main->RueckgaengigExecute();
    EXPECT_EQ(Editor().LineCount(), 2);

    Main->BBearbeitenClick();
    Main->RueckgaengigUpdate();
    EXPECT_TRUE(Main->Action("Rueckgaengig")->isEnabled());
    Main->RueckgaengigExecute();
    EXPECT_EQ(EditorLines(), std::vector<std::string>{"a: integer"});
    Main->RueckgaengigUpdate();
    Main->RedoUpdate();
    EXPECT_FALSE(Main->Action("Rueckgaengig")->isEnabled());
    EXPECT_TRUE(Main->Action("Redo")->isEnabled());
    Main->BStartenClick();
    Main->RedoUpdate();
    EXPECT_FALSE(Main->Action("Redo")->isEnabled());
}

TEST_F(MainWindowTest, HelpPanelTogglesAndSometimesShowsTheAboutBox) {
    TFInformation about(Main.get());
    TMainForms forms;
    forms.Information = &about;
    Main->SetForms(forms);
    int draw = 3;
    Main->HelpPanelDraw = [&draw] { return draw; };
    auto* button = Find<QAbstractButton>("BKlassenansicht");
    EXPECT_EQ(button->text(), "Hilfe zeigen ...");
    EXPECT_FALSE(Shown("PCHelp"));

    Main->BKlassenansichtClick();
    EXPECT_TRUE(Shown("PCHelp"));
    EXPECT_EQ(button->text(), "Hilfe ausblenden");
    EXPECT_FALSE(about.isVisible());

    draw = 10;
    Main->BKlassenansichtClick();  // closing never draws
    EXPECT_EQ(button->text(), "Hilfe zeigen...");
    EXPECT_FALSE(about.isVisible());
    Main->BKlassenansichtClick();
    EXPECT_TRUE(about.isVisible());
    EXPECT_TRUE(about.Bordered());
    about.hide();

    auto* pages = Find<QTabWidget>("PCHelp");
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0), "Klassen");
    EXPECT_EQ(pages->tabText(1), "Befehle");
    EXPECT_EQ(pages->tabText(2), "Konstanten");
    const QStringList befehle = Find<QPlainTextEdit>("MBefehle")->toPlainText().split('\n');
    EXPECT_EQ(befehle.size(), static_cast<int>(HelpTexts::Befehle().size()));
    EXPECT_EQ(befehle[6], "wiederhole immer");
    EXPECT_EQ(befehle[7], "   <Anweisungen>");
    EXPECT_EQ(befehle.last(), "ende");
    EXPECT_TRUE(befehle.contains("sonst"));
    const QStringList konstanten = Find<QPlainTextEdit>("MKonstanten")->toPlainText().split('\n');
    EXPECT_EQ(konstanten.first(), "Farbe:");
    EXPECT_EQ(konstanten.last(), "*wiederhole");
    EXPECT_TRUE(konstanten.contains("f:FENSTER   //nicht notig"));
    EXPECT_TRUE(Find<QPlainTextEdit>("MKonstanten")->isReadOnly());
}

// The about box at start and the one the help button sometimes shows come
// while a pupil may be typing: they must leave the keyboard to the editor,
// and keys that reach the start box anyway (a desktop may give it the focus
// when it is clicked) go on to the editor.
TEST_F(MainWindowTest, TheAboutBoxesLeaveTheKeyboardToTheEditor) {
    TFInformation about(Main.get());
    TMainForms forms;
    forms.Information = &about;
    Main->SetForms(forms);
    auto typeInto = [](QWidget& window, const QString& text) {
        for (QChar c : text) {
            QWidget* target = window.focusWidget() ? window.focusWidget() : &window;
            const int key = c == ' ' ? int(Qt::Key_Space) : int(c.toUpper().unicode());
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &release);
        }
    };

    // This test platform activates every window it shows; a desktop heeds
    // what the box asks for.
    auto leavesTheKeyboard = [&about] {
        return about.testAttribute(Qt::WA_ShowWithoutActivating) && about.windowHandle() &&
               (about.windowHandle()->flags() & Qt::WindowDoesNotAcceptFocus);
    };
    about.ShowStartup(Main.get());
    QApplication::processEvents();
    EXPECT_TRUE(about.isVisible());
    EXPECT_TRUE(leavesTheKeyboard());
    typeInto(about, "r: Kreis");
    EXPECT_TRUE(about.isVisible());
    EXPECT_EQ(Editor().LineText(0), "r: Kreis");
    about.hide();

    int draw = 10;
    Main->HelpPanelDraw = [&draw] { return draw; };
    Main->BKlassenansichtClick();
    QApplication::processEvents();
    EXPECT_TRUE(about.isVisible());
    EXPECT_TRUE(about.testAttribute(Qt::WA_ShowWithoutActivating));
    about.hide();
    // Asked for from the menu, it is an ordinary window with the keyboard.
    Main->InformationExecute();
    EXPECT_FALSE(about.testAttribute(Qt::WA_ShowWithoutActivating));
    about.hide();
}

TEST_F(MainWindowTest, LayoutFollowsTheWindowSize) {
    Main->resize(900, 700);
    QApplication::processEvents();
    const QWidget* client = Main->centralWidget();
    const QRect panel = Find<QWidget>("Panel")->geometry();
    EXPECT_EQ(panel, QRect(2, 32, client->width() - 4, client->height() - 72));
    EXPECT_EQ(Find<QWidget>("LBError")->geometry(), QRect(2, client->height() - 41, client->width() - 4, 39));
    EXPECT_EQ(Main->minimumSize(), QSize(580, 500));
    EXPECT_EQ(Main->windowTitle(), "ZAK " ZAK_VERSION " (Zakwerk)");
}

TEST_F(MainWindowTest, TheClassTreeWidgetIsFilledAtStart) {
    QTreeWidget* tree = Main->ClassTree();
    const TKlassenFabrik factory;
    ASSERT_EQ(tree->topLevelItemCount(), static_cast<int>(factory.Prototypes().size()));
    EXPECT_EQ(tree->topLevelItem(0)->text(0).toStdString(), factory.Prototypes()[0]->Name);
    EXPECT_GT(tree->topLevelItem(0)->childCount(), 0);
}

TEST_F(MainWindowTest, SettingsAreReadAfterStartAndReachTheRun) {
    TTempCurrentDir dir;
    TFEinstellungen settings(Main.get());
    TFPasswortabfrage prompt(settings, Main.get());
    TMainForms forms;
    forms.Einstellungen = &settings;
    forms.Passwortabfrage = &prompt;
    Main->SetForms(forms);
    WriteBytes(kSettingsFileName, "[pass][" + std::string(Scramble("Keins")) +
                                      "][KeineZuweisungZuAttributen] true [Arbeitsverzeichnis][" +
                                      dir.Path().toStdString() + "][Schriftgroesse] 14 ");
    Main->TimerInfoTimer();
    EXPECT_EQ(Editor().FontSize(), 14);
    EXPECT_TRUE(settings.Password().isEmpty());

    // The option forbids assignments to attributes in the run.
    SetProgram({"r: Rechteck", "r.links := 10"});
    Main->BStartenClick();
    Main->StartExecute();
    TickUntilHalted();
    EXPECT_TRUE(Main->Interpreter()->ErrorFlag());
    Main->BBearbeitenClick();

    // The open dialog starts in the working directory.
    Main->OeffnenExecute();
    ASSERT_EQ(Dialogs.Of("Open").size(), 1u);
    EXPECT_EQ(Dialogs.OpenDirectory, dir.Path());
    EXPECT_EQ(Dialogs.Filter, "ZAK-Programme (*.zak)");

    // Without a password the settings open at once, not modally.
    Main->EinstellungenExecute();
    EXPECT_TRUE(settings.isVisible());
    EXPECT_FALSE(prompt.isVisible());
    settings.hide();
}

TEST_F(MainWindowTest, TheLastDrawingWindowIsShownFromTheMenu) {
    QWidget last;
    TMainForms forms;
    forms.LetztesZeichenfenster = &last;
    Main->SetForms(forms);
    Main->Action("LetztesZeichenfenster1")->trigger();
    EXPECT_TRUE(last.isVisible());
    // Closing the main window takes its side windows along.
    Main->close();
    EXPECT_FALSE(last.isVisible());
}
