#include "UMain.h"

#include "UCriticalSections.h"
#include "UDebugControl.h"
#include "UDialogs.h"
#include "UErrorListBox.h"
#include "UFehler.h"
#include "UHelpTexts.h"
#include "UEinstellungen.h"
#include "UHelpTree.h"
#include "UInformation.h"
#include "UPasswortabfrage.h"
#include "UPrint.h"
#include "URecovery.h"
#include "UInterpreter.h"
#include "UKlassen.h"
#include "UScanner.h"
#include "USHControl.h"
#include "USyntaxcheck.h"
#include "UVersion.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSplitter>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

namespace {

constexpr int TopRowHeight = 32;
// The speed slider's width and the room around a button's caption, and how
// far each may shrink in a narrow window (the slider first to its
// comfortable width, at last to the least that can still be dragged).
constexpr int SpeedSliderWidth = 90;
constexpr int SpeedSliderMinWidth = 40;
constexpr int SpeedSliderLeastWidth = 24;
constexpr int CaptionPadding = 20;
constexpr int MinCaptionPadding = 10;
constexpr int PanelUntenHeight = 88;
constexpr int HelpPanelWidth = 233;

QPlainTextEdit* ReferenceText(const char* name, const std::vector<const char*>& lines, QWidget* parent) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QStringList text;
    for (const char* line : lines) text << QString::fromLatin1(line);
    memo->setPlainText(text.join('\n'));
    return memo;
}

} // namespace

TFMain::TFMain(const QStringList& arguments, QWidget* parent) : QMainWindow(parent) {
    setObjectName("FMain");
    // The locks exist before any other object of the program.
    FOwnsLocks = !CriticalSections::Created();
    CriticalSections::Create();

    CreateComponents();
    CreateEditor();
    FVariablesView = new TDebugControl(Panelunten);
    FVariablesView->setObjectName("FVariablesView");
    Panelunten->layout()->addWidget(FVariablesView);

    FErrors = std::make_unique<TFehlerVerwaltung>(LBError);
    LBError->OnRefreshed = [this] { FEditor->Paint(); };
    FEditor->ErrorMarks = [this] {
        std::vector<TErrorMark> marks;
        for (const TFehler& error : FErrors->Records()) marks.push_back({error.Line, error.Column});
        return marks;
    };

    // The editor's syntax check reports its hint through the error list.
    FEditor->Syntaxcheck().SetErrorList(FErrors.get());

    CreateRecovery();
    CreateActions();
    CreateToolButtons();
    CreateMenus();
    ShowRunControls(false);

    setMinimumSize(MinWidth, MinHeight);
    // Room for the program beside a drawing window on a common school screen.
    QSize size(830, 680);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(20, 40));
    resize(size.expandedTo(minimumSize()));
    move(0, 0);
    Timer.setObjectName("Timer");
    Timer.setTimerType(Qt::PreciseTimer);
    Timer.setInterval(1);
    connect(&Timer, &QTimer::timeout, this, &TFMain::TimerTimer);

    {
        const TKlassenFabrik factory;
        FillClassTree(*TVKlassen, factory);
    }

    LoadCommandLine(arguments);
    UpdateCaption();
}

TFMain::~TFMain() {
    Timer.stop();
    EndRun();
    // Going without a clean close leaves the recovery copy for the next start.
    FEditor->OnTextChanged = nullptr;
    FRecovery.reset();
    // The editor's check posts to the error list: the editor (and with it
    // the check) goes first, then the manager, the formatter and the locks.
    FEditor->Syntaxcheck().SetErrorList(nullptr);
    FEditor->ErrorMarks = nullptr;
    FErrors->SetListBox(nullptr);
    delete FClient;
    FClient = nullptr;
    FErrors.reset();
    FFormat.reset();
    if (FOwnsLocks) CriticalSections::Delete();
}

void TFMain::SetForms(const TMainForms& forms) {
    FForms = forms;
    if (TFEinstellungen* settings = FForms.Einstellungen) {
        settings->SetEditor(FEditor);
        settings->OnApplied = [this, settings] {
            FEditor->Syntaxcheck().SetNoAttributeAssignment(settings->NoAttributeAssignment());
            FEditor->NotifyTextChanged();
        };
    }
}

TSyntaxcheck* TFMain::Syntaxcheck() const { return &FEditor->Syntaxcheck(); }

bool TFMain::RunMode() const { return BBearbeiten->isVisibleTo(FTopRow); }

QAction* TFMain::Action(const char* name) const { return findChild<QAction*>(QString::fromLatin1(name)); }

void TFMain::CreateComponents() {
    FClient = new QWidget(this);
    FClient->setObjectName("Client");
    setCentralWidget(FClient);
    FClient->installEventFilter(this);

    FTopRow = new QWidget(FClient);
    FTopRow->setObjectName("TopRow");
    auto* row = new QHBoxLayout(FTopRow);
    row->setContentsMargins(2, 3, 2, 3);
    row->setSpacing(1);

    BStarten = new QPushButton(QStringLiteral("Programm starten ..."), FTopRow);
    BStarten->setObjectName("BStarten");
    BBearbeiten = new QPushButton(QStringLiteral("Programm bearbeiten"), FTopRow);
    BBearbeiten->setObjectName("BBearbeiten");
    BVariablen = new QPushButton(QStringLiteral("Variablen zeigen"), FTopRow);
    BVariablen->setObjectName("BVariablen");
    BKlassenansicht = new QPushButton(QStringLiteral("Hilfe zeigen ..."), FTopRow);
    BKlassenansicht->setObjectName("BKlassenansicht");
    LGeschwindigkeit = new QLabel(QStringLiteral("Geschwindigkeit:"), FTopRow);
    LGeschwindigkeit->setObjectName("LGeschwindigkeit");
    TBSpeed = new QSlider(Qt::Horizontal, FTopRow);
    TBSpeed->setObjectName("TBSpeed");
    TBSpeed->setRange(1, 30);
    TBSpeed->setValue(30);
    TBSpeed->setSingleStep(5);
    TBSpeed->setPageStep(10);
    // The top row must fit the smallest window: the small dialog font of
    // the platform, and buttons as wide as the longest caption they show.
    QFont rowFont = FTopRow->font();
    rowFont.setPixelSize(11);
    FTopRow->setFont(rowFont);
    const QFontMetrics metrics(rowFont);
    auto fitCaptions = [this, &metrics](QPushButton* button, std::initializer_list<const char*> captions) {
        int widest = 0;
        for (const char* caption : captions) widest = std::max(widest, metrics.horizontalAdvance(QString::fromUtf8(caption)));
        FCaptionWidths.emplace_back(button, widest);
        button->setFixedWidth(widest + CaptionPadding);
    };
    fitCaptions(BStarten, {"Programm starten ..."});
    fitCaptions(BBearbeiten, {"Programm bearbeiten"});
    fitCaptions(BVariablen, {"Variablen zeigen", "Variablen ausblenden"});
    fitCaptions(BKlassenansicht, {"Hilfe zeigen ...", "Hilfe ausblenden"});
    LGeschwindigkeit->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    TBSpeed->setFixedWidth(SpeedSliderWidth);
    TBSpeed->setToolTip(QStringLiteral("Geschwindigkeit"));
    for (QPushButton* button : {BStarten, BBearbeiten, BVariablen, BKlassenansicht})
        button->setFocusPolicy(Qt::TabFocus);

    connect(BStarten, &QPushButton::clicked, this, &TFMain::BStartenClick);
    connect(BBearbeiten, &QPushButton::clicked, this, &TFMain::BBearbeitenClick);
    connect(BVariablen, &QPushButton::clicked, this, &TFMain::BVariablenClick);
    connect(BKlassenansicht, &QPushButton::clicked, this, &TFMain::BKlassenansichtClick);
    connect(TBSpeed, &QSlider::valueChanged, this, &TFMain::TBSpeedChange);

    Panel = new QSplitter(Qt::Vertical, FClient);
    Panel->setObjectName("Panel");
    Panel->setChildrenCollapsible(false);
    Paneloben = new QSplitter(Qt::Horizontal, Panel);
    Paneloben->setObjectName("Paneloben");
    Paneloben->setChildrenCollapsible(false);
    Panelunten = new QWidget(Panel);
    Panelunten->setObjectName("Panelunten");
    auto* untenLayout = new QHBoxLayout(Panelunten);
    untenLayout->setContentsMargins(0, 0, 0, 0);
    Panel->addWidget(Paneloben);
    Panel->addWidget(Panelunten);
    Panel->setStretchFactor(0, 1);
    Panel->setStretchFactor(1, 0);
    Panel->handle(1)->setObjectName("Splitter2");
    Panelunten->hide();

    LBError = new TErrorListBox(FClient);
    LBError->setObjectName("LBError");
    connect(LBError, &QListWidget::itemClicked, this, &TFMain::LBErrorClick);
    connect(LBError, &QListWidget::itemDoubleClicked, this, &TFMain::LBErrorClick);
}

void TFMain::CreateEditor() {
    FFormat = std::make_unique<TFormatClass>();
    FEditor = new TSHControl(Paneloben);
    FEditor->setObjectName("FEditor");
    Paneloben->addWidget(FEditor);
    const TFormatClass* format = FFormat.get();
    FEditor->LineRoutine = [format](std::string& line, bool commentOpen, int indent, TFormatResult& result) {
        return format->FormatLine(line, commentOpen, indent, result);
    };
    FEditor->OnBreakpointToggled = [this] { SyncBreakpoints(); };
    FEditor->ConfirmDiscard = [this] { return ConfirmDiscard(); };
    FEditor->ResetLineColors();
    CreateHelpPanel();
}

void TFMain::CreateHelpPanel() {
    PCHelp = new QTabWidget(Paneloben);
    PCHelp->setObjectName("PCHelp");
    Paneloben->addWidget(PCHelp);
    Paneloben->setStretchFactor(0, 1);
    Paneloben->setStretchFactor(1, 0);
    Paneloben->handle(1)->setObjectName("Splitter1");

    TVKlassen = new QTreeWidget(PCHelp);
    TVKlassen->setObjectName("TVKlassen");
    TVKlassen->setHeaderHidden(true);
    TVKlassen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PCHelp->addTab(TVKlassen, QStringLiteral("Klassen"));
    MBefehle = ReferenceText("MBefehle", HelpTexts::Befehle(), PCHelp);
    PCHelp->addTab(MBefehle, QStringLiteral("Befehle"));
    MKonstanten = ReferenceText("MKonstanten", HelpTexts::Konstanten(), PCHelp);
    PCHelp->addTab(MKonstanten, QStringLiteral("Konstanten"));
    PCHelp->hide();
}

bool TFMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FClient && event->type() == QEvent::Resize) FormResize();
    return QMainWindow::eventFilter(watched, event);
}

void TFMain::FormResize() {
    const int w = FClient->width();
    const int h = FClient->height();
    FTopRow->setGeometry(0, 0, w, TopRowHeight);
    FitTopRow();
    Panel->setGeometry(2, TopRowHeight, std::max(0, w - 4), std::max(0, h - 72));
    LBError->setGeometry(2, h - 41, std::max(0, w - 4), 39);
    // The variables panel keeps its height; the editor takes the rest.
    if (Panelunten->isVisibleTo(Panel)) {
        const int total = Panel->height() - Panel->handleWidth();
        Panel->setSizes({std::max(0, total - PanelUntenHeight), PanelUntenHeight});
    }
}

void TFMain::FitTopRow() {
    const bool runMode = RunMode();
    LGeschwindigkeit->setVisible(runMode);
    // A narrow window takes room from the slider, then from the buttons'
    // margins around their captions, then from the slider again: never the
    // speed's label, never a caption. The run buttons keep their room while
    // hidden, so nothing moves when start and pause take turns.
    int slider = SpeedSliderWidth;
    int padding = CaptionPadding;
    auto apply = [&] {
        TBSpeed->setFixedWidth(slider);
        for (const auto& [button, caption] : FCaptionWidths) button->setFixedWidth(caption + padding);
    };
    apply();
    if (!runMode) return;
    int overflow = FTopRow->layout()->minimumSize().width() - FTopRow->width();
    if (overflow <= 0) return;
    const int fromSlider = std::min(overflow, slider - SpeedSliderMinWidth);
    slider -= fromSlider;
    overflow -= fromSlider;
    int buttons = 0;
    for (const auto& entry : FCaptionWidths) buttons += entry.first->isVisibleTo(FTopRow);
    if (overflow > 0 && buttons > 0) {
        padding = std::max(MinCaptionPadding, CaptionPadding - (overflow + buttons - 1) / buttons);
        overflow -= buttons * (CaptionPadding - padding);
    }
    if (overflow > 0) slider = std::max(SpeedSliderLeastWidth, slider - overflow);
    apply();
}

void TFMain::UpdateCaption() {
    if (FFileName.isEmpty())
        setWindowTitle(QStringLiteral("ZAK " ZAK_VERSION " (Zakwerk)"));
    else
        setWindowTitle(QStringLiteral("ZAK " ZAK_VERSION " - ") + QFileInfo(FFileName).fileName());
}

void TFMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FShownOnce) return;
    FShownOnce = true;
    FEditor->setFocus();
    if (FForms.Information)
        FForms.Information->ShowStartup(this, [this] { TimerInfoTimer(); });
}

void TFMain::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TFMain::FormCloseQuery() {
    if (!FEditor->Modified()) return true;
    switch (Dialogs().Ask(this, QStringLiteral("Wollen Sie vorher noch abspeichern?"), QStringLiteral("Warnung:"))) {
    case TAnswer::Yes:
        // The window stays open so that the user sees the save succeed and
        // closes again.
        SpeichernExecute();
        return false;
    case TAnswer::No: return true;
    default: return false;
    }
}

void TFMain::Shutdown() {
    Timer.stop();
    EndRun();
}

void TFMain::FormClose() {
    Timer.stop();
    if (RunMode()) EndRun();
    // The text was saved or the user chose to discard it.
    FRecovery->Finish();
    // Drawing windows and dialogs are top-level windows of their own; they
    // go with the main window.
    for (QWidget* form : {static_cast<QWidget*>(FForms.Information), static_cast<QWidget*>(FForms.Einstellungen),
                          static_cast<QWidget*>(FForms.Passwortabfrage), static_cast<QWidget*>(FForms.Print),
                          FForms.LetztesZeichenfenster})
        if (form) form->hide();
}
