// The command layer of the main window: actions, tool buttons, menus, the
// editor's context menu, the idle-time enabling of undo and redo, the help
// panel and the side windows.
#include "UMain.h"

#include "UDialogs.h"
#include "UEinstellungen.h"
#include "UImageList.h"
#include "UInformation.h"
#include "UPasswortabfrage.h"
#include "UPrint.h"
#include "USHControl.h"
#include "USyntaxcheck.h"
#include "UVariablen.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>

QAction* TFMain::MakeAction(const char* name, const QString& caption, const QString& hint,
                            const QKeySequence& shortcut, int image, void (TFMain::*handler)()) {
    auto* action = new QAction(ImageList::Icon(image), caption, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, handler);
    // Shortcuts work wherever the focus is in this window, also for actions
    // that are in no menu.
    addAction(action);
    return action;
}

void TFMain::CreateActions() {
    const QKeySequence none;
    Neu = MakeAction("Neu", "Neu", "Neu", none, ImageList::iiNeu, &TFMain::NeuExecute);
    Oeffnen = MakeAction("Oeffnen", "Offnen", "Datei Offnen", Qt::Key_F3, ImageList::iiOeffnen, &TFMain::OeffnenExecute);
    Speichern = MakeAction("Speichern", "Speichern", "Datei Speichern", Qt::Key_F2, ImageList::iiSpeichern,
                           &TFMain::SpeichernExecute);
    SpeichernUnter = MakeAction("SpeichernUnter", "Speichern unter ...", "Speichern unter ...",
                                QKeySequence(Qt::CTRL | Qt::Key_S), ImageList::iiSpeichernUnter,
                                &TFMain::SpeichernUnterExecute);
    Drucken = MakeAction("Drucken", "Drucken ...", "Drucken ...", none, ImageList::iiDrucken, &TFMain::DruckenExecute);
    Einstellungen = MakeAction("Einstellungen", "Einstellungen ...", "Einstellungen ...", none,
                               ImageList::iiEinstellungen, &TFMain::EinstellungenExecute);
    Information = MakeAction("Information", "Information ...", "Information ...", none, ImageList::iiInformation,
                             &TFMain::InformationExecute);
    Kopieren = MakeAction("Kopieren", "Kopieren", "Kopieren", QKeySequence(Qt::CTRL | Qt::Key_C),
                          ImageList::iiKopieren, &TFMain::KopierenExecute);
    Ausschneiden = MakeAction("Ausschneiden", "Ausschneiden", "Ausschneiden", QKeySequence(Qt::CTRL | Qt::Key_X),
                              ImageList::iiAusschneiden, &TFMain::AusschneidenExecute);
    Einfuegen = MakeAction("Einfuegen", "Einfugen", "Einfugen", QKeySequence(Qt::CTRL | Qt::Key_V),
                           ImageList::iiEinfuegen, &TFMain::EinfuegenExecute);
    Rueckgaengig = MakeAction("Rueckgaengig", "&Ruckgangig", "Ruckgangig", QKeySequence(Qt::CTRL | Qt::Key_Z),
                              ImageList::iiRueckgaengig, &TFMain::RueckgaengigExecute);
    Redo = MakeAction("Redo", "Vorwarts", "Vorwarts", none, ImageList::iiRedo, &TFMain::RedoExecute);

    Start = MakeAction("Start", "Start", "Start", Qt::Key_F9, ImageList::iiStart, &TFMain::StartExecute);
    Pause = MakeAction("Pause", "Pause", "Pause", Qt::Key_F10, ImageList::iiPause, &TFMain::PauseExecute);
    Stop = MakeAction("Stop", "Stop", "Stop", Qt::Key_F11, ImageList::iiStop, &TFMain::StopExecute);
    Schritt = MakeAction("Schritt", "Schritt", "Einzelschritt", Qt::Key_F8, ImageList::iiSchritt,
                         &TFMain::SchrittExecute);
    // A drawing window that the pupil clicked into keeps the keyboard; the
    // run keys work from every window of the application.
    for (QAction* action : {Start, Pause, Stop, Schritt}) action->setShortcutContext(Qt::ApplicationShortcut);

    Schlieen1 = MakeAction("Schlieen1", QStringLiteral("Schlie\u00DFen"), QStringLiteral("Schlie\u00DFen"), none,
                           ImageList::iiSchliessen, &TFMain::Schlieen1Click);
    LetztesZeichenfenster1 = MakeAction("LetztesZeichenfenster1", "Letztes Zeichenfenster...",
                                        "Letztes Zeichenfenster...", none, -1, &TFMain::LetztesZeichenfensterClick);
    ZeichenfensterKopieren1 = MakeAction("ZeichenfensterKopieren1", "Inhalt des Zeichenfensters kopieren ...",
                                         "Inhalt des Zeichenfensters kopieren ...", none, -1,
                                         &TFMain::ZeichenfensterKopierenClick);

    // Undo and redo follow the editor's history whenever the application
    // has nothing else to do.
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            RueckgaengigUpdate();
            RedoUpdate();
        });
    }
}

QToolButton* TFMain::MakeToolButton(const char* name, QAction* action) {
    auto* button = new QToolButton(FTopRow);
    button->setObjectName(QString::fromLatin1(name));
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(24, 24);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void TFMain::CreateToolButtons() {
    SBOeffnen = MakeToolButton("SBOeffnen", Oeffnen);
    SBSpeichern = MakeToolButton("SBSpeichern", Speichern);
    SBAusschneiden = MakeToolButton("SBAusschneiden", Ausschneiden);
    SBKopieren = MakeToolButton("SBKopieren", Kopieren);
    SBEinfuegen = MakeToolButton("SBEinfuegen", Einfuegen);
    SBRueckgaengig = MakeToolButton("SBRueckgaengig", Rueckgaengig);
    SBRedo = MakeToolButton("SBRedo", Redo);
    SBStart = MakeToolButton("SBStart", Start);
    SBPause = MakeToolButton("SBPause", Pause);
    SBStop = MakeToolButton("SBStop", Stop);
    SBSchritt = MakeToolButton("SBSchritt", Schritt);

    // BStarten and BBearbeiten share the place at the left: only one of
    // them is ever shown.
    auto* row = static_cast<QHBoxLayout*>(FTopRow->layout());
    row->addWidget(BStarten);
    row->addWidget(BBearbeiten);
    row->addSpacing(4);
    for (QToolButton* button : {SBOeffnen, SBSpeichern, SBAusschneiden, SBKopieren, SBEinfuegen, SBRueckgaengig,
                                SBRedo, SBStart, SBPause, SBStop, SBSchritt})
        row->addWidget(button);
    row->addSpacing(4);
    row->addWidget(BVariablen);
    row->addSpacing(4);
    row->addWidget(LGeschwindigkeit);
    row->addWidget(TBSpeed);
    row->addStretch(1);
    row->addWidget(BKlassenansicht);
}

void TFMain::CreateMenus() {
    QMenu* datei = menuBar()->addMenu(QStringLiteral("Datei"));
    datei->setObjectName("Datei1");
    datei->addAction(Neu);
    datei->addAction(Oeffnen);
    datei->addAction(Speichern);
    datei->addAction(SpeichernUnter);
    datei->addSeparator();
    datei->addAction(Drucken);
    datei->addAction(Einstellungen);
    datei->addSeparator();
    datei->addAction(Schlieen1);

    QMenu* bearbeiten = menuBar()->addMenu(QStringLiteral("Bearbeiten"));
    bearbeiten->setObjectName("Bearbeiten1");
    bearbeiten->addAction(Rueckgaengig);
    bearbeiten->addSeparator();
    bearbeiten->addAction(Ausschneiden);
    bearbeiten->addAction(Kopieren);
    bearbeiten->addAction(Einfuegen);
    bearbeiten->addSeparator();
    bearbeiten->addAction(Redo);

    QMenu* programm = menuBar()->addMenu(QStringLiteral("Programm"));
    programm->setObjectName("Programm1");
    programm->addAction(LetztesZeichenfenster1);
    programm->addAction(ZeichenfensterKopieren1);

    QMenu* information = menuBar()->addMenu(QStringLiteral("Information"));
    information->setObjectName("Information1");
    information->addAction(Information);

    EditorPopup = new QMenu(this);
    EditorPopup->setObjectName("EditorPopup");
    EditorPopup->addAction(Ausschneiden);
    EditorPopup->addAction(Kopieren);
    EditorPopup->addAction(Einfuegen);
    FEditor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FEditor, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { EditorPopup->popup(FEditor->mapToGlobal(at)); });
}

// ---------------------------------------------------------------------------
// Editing

void TFMain::KopierenExecute() {
    if (!RunMode()) FEditor->Copy();
}

void TFMain::AusschneidenExecute() {
    if (!RunMode()) FEditor->Cut();
}

void TFMain::EinfuegenExecute() {
    if (!RunMode()) FEditor->Paste();
}

void TFMain::RueckgaengigExecute() {
    if (!RunMode()) FEditor->EditorUndo();
}

void TFMain::RedoExecute() {
    if (!RunMode()) FEditor->EditorRedo();
}

void TFMain::RueckgaengigUpdate() {
    const bool enabled = FEditor->UndoCount() > 0 && !RunMode();
    if (Rueckgaengig->isEnabled() != enabled) Rueckgaengig->setEnabled(enabled);
}

void TFMain::RedoUpdate() {
    const bool enabled = FEditor->RedoCount() > 0 && !RunMode();
    if (Redo->isEnabled() != enabled) Redo->setEnabled(enabled);
}

// ---------------------------------------------------------------------------
// Help panel and side windows

void TFMain::BKlassenansichtClick() {
    if (PCHelp->isVisibleTo(Paneloben)) {
        PCHelp->hide();
        BKlassenansicht->setText(QStringLiteral("Hilfe zeigen..."));
        return;
    }
    PCHelp->show();
    const int total = Paneloben->width() - Paneloben->handleWidth();
    Paneloben->setSizes({std::max(0, total - 233), 233});
    BKlassenansicht->setText(QStringLiteral("Hilfe ausblenden"));
    const int draw = HelpPanelDraw ? HelpPanelDraw() : [] {
        Zufall::Randomize();
        return Zufall::Between(0, 39);
    }();
    // Unasked for, the box must not take the keys of a pupil who goes on typing.
    if (draw == 10 && FForms.Information) FForms.Information->ShowInformation(this, false);
}

void TFMain::InformationExecute() {
    if (FForms.Information) FForms.Information->ShowInformation(this);
}

void TFMain::DruckenExecute() {
    if (!FForms.Print) return;
    FForms.Print->SetEditor(FEditor);
    FForms.Print->exec();
}

void TFMain::EinstellungenExecute() {
    if (FForms.Einstellungen && FForms.Passwortabfrage) ShowSettings(*FForms.Einstellungen, *FForms.Passwortabfrage);
}

void TFMain::TimerInfoTimer() {
    if (!FForms.Einstellungen) return;
    FForms.Einstellungen->EinstellungenLaden();
    FEditor->Syntaxcheck().SetNoAttributeAssignment(FForms.Einstellungen->NoAttributeAssignment());
    FEditor->NotifyTextChanged();
}

void TFMain::Schlieen1Click() {
    if (RunMode()) BBearbeitenClick();
    close();
}

void TFMain::LetztesZeichenfensterClick() {
    if (QWidget* last = FForms.LetztesZeichenfenster) {
        last->show();
        last->raise();
        last->activateWindow();
    }
}

void TFMain::ZeichenfensterKopierenClick() {
    Dialogs().Message(this, QStringLiteral("Klicken Sie mit der rechten Maustaste auf das Zeichenfenster!"),
                      QStringLiteral("Tipp:"));
}
