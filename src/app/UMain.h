#pragma once
// TFMain: the main window and the driver of the whole system. It owns the
// program editor, the error list with its error manager, the background
// syntax check, the help panel and the variables view, and it runs the
// user's program: a scanner and an interpreter over a snapshot of the editor
// text, stepped from a 1 ms timer a bounded number of statements per tick.
//
// Two modes: editing mode and run mode. The visibility of BBearbeiten is the
// mode flag every handler tests. Everything here runs on the GUI thread; the
// only other thread is the syntax check, which reads the editor's lines.
//
// Locks (UCriticalSections.h): the run lock guards FScanner, FInterpreter,
// FRunning and FInTick; the step lock is held around each interpreter step
// and while the variables view is rebuilt; the editor-lines lock around the
// line colour writes. Order: run, step; run, editor lines.
#include "UCanvas.h"

#include <QDateTime>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QSplitter;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class TDebugControl;
class TErrorListBox;
class TFehlerVerwaltung;
class TFEinstellungen;
class TFInformation;
class TFormatClass;
class TFPasswortabfrage;
class TFPrint;
class TInterpreter;
class TRecovery;
struct TRecoveryCopy;
class TScanner;
class TSHControl;
class TSyntaxcheck;

// The side windows the application creates after the main window; each may
// be missing (tests), and the commands that need it then do nothing.
struct TMainForms {
    TFInformation* Information = nullptr;
    TFEinstellungen* Einstellungen = nullptr;
    TFPasswortabfrage* Passwortabfrage = nullptr;
    TFPrint* Print = nullptr;
    QWidget* LetztesZeichenfenster = nullptr;
};

// The example programs the open dialog offers as "Beispiele": those
// installed with the program (PREFIX/share/zak/examples, or under
// $XDG_DATA_DIRS), else those of the source tree a build folder sits in;
// empty when there are none.
QString ExamplesDirectory();

class TFMain : public QMainWindow {
    Q_OBJECT

public:
    static constexpr TColor clCurrentLine = 0x00FFFF00;  // cyan, 0x00BBGGRR
    static constexpr TColor clErrorLine = 0x000000FF;    // red
    static constexpr TColor clNormalLine = 0x00FFFFFF;   // white
    static constexpr const char* FileHeader = "// ZAK 1.5 - Programm";
    static constexpr int MinWidth = 580;
    static constexpr int MinHeight = 500;
    // No pupil's program comes near this; a larger file is refused with a
    // message instead of freezing the editor.
    static constexpr qint64 MaxProgramFileSize = 8 * 1024 * 1024;

    // `arguments` is the whole command line, the program's own path first;
    // every later argument ending in "zak" is loaded.
    explicit TFMain(const QStringList& arguments = QStringList(), QWidget* parent = nullptr);
    ~TFMain() override;

    void SetForms(const TMainForms& forms);
    // Stops the run timer and ends a run, as closing does: the drawing
    // windows of the run go while the windows they hand on to still exist.
    void Shutdown();

    // --- state, for the application and for tests -----------------------
    TSHControl* Editor() const { return FEditor; }
    TDebugControl* VariablesView() const { return FVariablesView; }
    TFehlerVerwaltung& ErrorManager() const { return *FErrors; }
    TErrorListBox* ErrorListBox() const { return LBError; }
    TSyntaxcheck* Syntaxcheck() const;
    QTreeWidget* ClassTree() const { return TVKlassen; }
    TScanner* Scanner() const { return FScanner.get(); }
    TInterpreter* Interpreter() const { return FInterpreter.get(); }
    QTimer& RunTimer() { return Timer; }
    // Tests call TimerTimer themselves: the timer then stays off, also
    // while a program runs.
    void SetTicksByHand(bool byHand);
    bool RunMode() const;
    bool Running() const { return FRunning; }
    bool VariablesShown() const { return FVariablesShown; }
    int CurrentLine() const { return FCurrentLine; }
    int StepsPerTick() const { return FStepsPerTick; }
    bool FollowEachStep() const { return FFollowEachStep; }
    bool OneCallPerTick() const { return FOneCallPerTick; }
    const QString& FileName() const { return FFileName; }
    QAction* Action(const char* name) const;
    TRecovery& Recovery() const { return *FRecovery; }

    // --- run control -----------------------------------------------------
    void BStartenClick();
    void BBearbeitenClick();
    void BVariablenClick();
    void StartExecute();
    void PauseExecute();
    void StopExecute();
    void SchrittExecute();
    void TimerTimer();
    void TBSpeedChange();
    void LBErrorClick();

    // --- files -------------------------------------------------------------
    void NeuExecute();
    void OeffnenExecute();
    void SpeichernExecute();
    void SpeichernUnterExecute();
    // Offers the recovery copies that instances which ended without closing
    // left behind; the application calls it once its window is shown.
    void OfferRecovery();
    // Offers to load the program's file again when another program changed
    // it and this window has no unsaved changes; each time the window is
    // activated.
    void CheckFileOnDisk();

    // --- other commands ------------------------------------------------------
    void KopierenExecute();
    void AusschneidenExecute();
    void EinfuegenExecute();
    void RueckgaengigExecute();
    void RedoExecute();
    // The idle-time enabling of undo and redo.
    void RueckgaengigUpdate();
    void RedoUpdate();
    void DruckenExecute();
    void EinstellungenExecute();
    void InformationExecute();
    void BKlassenansichtClick();
    void Schlieen1Click();
    void LetztesZeichenfensterClick();
    void ZeichenfensterKopierenClick();
    // Runs 2 seconds after the window first appeared: reads the settings.
    void TimerInfoTimer();

    // The draw that decides whether opening the help panel shows the about
    // box (on 10, out of 0 to 39); tests replace it.
    std::function<int()> HelpPanelDraw;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // --- construction (UMain.cpp)
    void CreateComponents();
    void CreateEditor();
    void CreateHelpPanel();
    void FormResize();
    // In a narrow window the speed label gives way, so that no button of
    // the top row is cut off.
    void FitTopRow();
    void UpdateCaption();
    bool FormCloseQuery();
    void FormClose();

    // --- actions and menus (UMainActions.cpp)
    void CreateActions();
    void CreateMenus();
    void CreateToolButtons();
    QAction* MakeAction(const char* name, const QString& caption, const QString& hint,
                        const QKeySequence& shortcut, int image, void (TFMain::*handler)());
    QToolButton* MakeToolButton(const char* name, QAction* action);

    // --- run control (UMainRun.cpp)
    void PrepareRun();
    void EndRun();
    void ShowCurrentLine();
    void RefreshVariables();
    void SyncBreakpoints();
    // FRunning false, then wait for a tick in progress; false when called
    // from inside a tick, where that wait could never end.
    bool HaltTicks();
    // The timer ticks exactly while FRunning: an idle window costs no time.
    void UpdateRunTimer();
    // Runs `handler` later when called from inside a tick; true if deferred.
    bool DeferFromTick(void (TFMain::*handler)());
    void SetLineColor(int line, TColor color);
    int ClampedLine(int line) const;
    bool DefaultWindowFlag() const;
    void ShowRunControls(bool runMode);
    void ShowInternalError(const QString& what);

    // --- files (UMainFiles.cpp)
    void LoadCommandLine(const QStringList& arguments);
    // Loads a program into the editor; false when the user kept the current
    // text or the file could not be read (then a message has been shown).
    // `otherVersion` tells whether its first line names another version.
    bool LoadProgram(const QString& path, bool& otherVersion);
    bool SaveProgram(const QString& path);
    bool ConfirmDiscard();
    void CreateRecovery();
    // Puts a recovery copy into the editor, modified, under its file name.
    bool RestoreCopy(const TRecoveryCopy& copy);
    QString OpenDirectory() const;

    // --- owned objects
    std::unique_ptr<TFormatClass> FFormat;
    std::unique_ptr<TFehlerVerwaltung> FErrors;
    std::unique_ptr<TScanner> FScanner;
    std::unique_ptr<TInterpreter> FInterpreter;
    TSHControl* FEditor = nullptr;
    TDebugControl* FVariablesView = nullptr;
    TMainForms FForms;
    std::unique_ptr<TRecovery> FRecovery;

    // --- run state
    bool FRunning = false;
    bool FInTick = false;
    bool FTicksByHand = false;
    int FStepsPerTick = 10;
    bool FFollowEachStep = false;
    bool FOneCallPerTick = false;
    bool FVariablesShown = false;
    bool FVariablesWereShown = false;
    // The view does not show the interpreter's present state: a statement
    // ran or a new run began since the last rebuild. A second rebuild
    // without a statement in between would turn the changed values black
    // before anyone saw them red.
    bool FVariablesStale = true;
    int FCurrentLine = 0;
    TColor FCurrentLineColor = clCurrentLine;
    QString FFileName;
    QString FOpenDir;  // where the open dialog was last
    QString FSaveDir;  // directory of the last loaded file
    bool FShownOnce = false;
    bool FDiskCheckDue = false;
    bool FAskingReload = false;
    // The file's size and time when reloading it was declined.
    struct {
        qint64 Size = -1;
        QDateTime Time;
    } FDeclinedReload;
    bool FOwnsLocks = false;  // created the shared locks, so deletes them

    // --- components
    QWidget* FClient = nullptr;
    QWidget* FTopRow = nullptr;
    // The top row's caption buttons with the width of their widest caption.
    std::vector<std::pair<QPushButton*, int>> FCaptionWidths;
    QPushButton* BStarten = nullptr;
    QPushButton* BBearbeiten = nullptr;
    QPushButton* BVariablen = nullptr;
    QPushButton* BKlassenansicht = nullptr;
    QLabel* LGeschwindigkeit = nullptr;
    QSlider* TBSpeed = nullptr;
    QToolButton* SBOeffnen = nullptr;
    QToolButton* SBSpeichern = nullptr;
    QToolButton* SBKopieren = nullptr;
    QToolButton* SBAusschneiden = nullptr;
    QToolButton* SBEinfuegen = nullptr;
    QToolButton* SBRueckgaengig = nullptr;
    QToolButton* SBRedo = nullptr;
    QToolButton* SBStart = nullptr;
    QToolButton* SBPause = nullptr;
    QToolButton* SBStop = nullptr;
    QToolButton* SBSchritt = nullptr;
    QSplitter* Panel = nullptr;
    QSplitter* Paneloben = nullptr;
    QWidget* Panelunten = nullptr;
    QTabWidget* PCHelp = nullptr;
    QTreeWidget* TVKlassen = nullptr;
    QPlainTextEdit* MBefehle = nullptr;
    QPlainTextEdit* MKonstanten = nullptr;
    TErrorListBox* LBError = nullptr;
    QMenu* EditorPopup = nullptr;
    QTimer Timer;

    // --- actions
    QAction* Neu = nullptr;
    QAction* Oeffnen = nullptr;
    QAction* Speichern = nullptr;
    QAction* SpeichernUnter = nullptr;
    QAction* Drucken = nullptr;
    QAction* Einstellungen = nullptr;
    QAction* Information = nullptr;
    QAction* Kopieren = nullptr;
    QAction* Ausschneiden = nullptr;
    QAction* Einfuegen = nullptr;
    QAction* Rueckgaengig = nullptr;
    QAction* Redo = nullptr;
    QAction* Start = nullptr;
    QAction* Pause = nullptr;
    QAction* Stop = nullptr;
    QAction* Schritt = nullptr;
    QAction* Schlieen1 = nullptr;
    QAction* LetztesZeichenfenster1 = nullptr;
    QAction* ZeichenfensterKopieren1 = nullptr;
};
