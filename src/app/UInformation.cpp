#include "UInformation.h"

#include "UDialogs.h"
#include "UVersion.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <memory>

TLinkLabel::TLinkLabel(const QString& text, const QString& url, QWidget* parent)
    : QLabel(text, parent), FUrl(url) {
    setCursor(Qt::PointingHandCursor);
    SetTextColor(Qt::black);
}

void TLinkLabel::SetTextColor(const QColor& color) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, color);
    setPalette(palette);
}

void TLinkLabel::enterEvent(QEnterEvent* event) {
    SetTextColor(Qt::blue);
    QLabel::enterEvent(event);
}

void TLinkLabel::leaveEvent(QEvent* event) {
    SetTextColor(Qt::black);
    QLabel::leaveEvent(event);
}

void TLinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Dialogs().OpenUrl(QUrl(FUrl));
    QLabel::mousePressEvent(event);
}

TFInformation::TFInformation(QWidget* parent) : QDialog(parent) {
    setObjectName("FInformation");
    setWindowTitle("Information");
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);

    Label1 = new QLabel("ZAK - Zakwerk", this);
    Label1->setObjectName("Label1");
    QFont large = Label1->font();
    large.setPixelSize(19);
    Label1->setFont(large);
    Label1->move(24, 8);

    Label3 = new QLabel(this);
    Label3->setObjectName("Label3");
    Label3->setText("Version " ZAK_VERSION " ");
    Label3->move(24, 40);

    auto* label2 = new QLabel(QString::fromUtf8("Eine Lernumgebung, in der Schülerinnen und Schüler "
                                                "mit Figuren objektorientiert programmieren."),
                              this);
    label2->setObjectName("Label2");
    label2->setWordWrap(true);
    label2->setGeometry(310, 60, 150, 90);

    auto* label4 = new QLabel("Neuere Versionen, Beispiele und eine Anleitung finden Sie unter:", this);
    label4->setObjectName("Label4");
    label4->move(24, 184);

    Label5 = new TLinkLabel(QString(kHomePageUrl), kHomePageUrl, this);
    Label5->setObjectName("Label5");
    Label5->move(24, 206);

    auto* label6 = new QLabel("Programmiert in C++ mit Qt.", this);
    label6->setObjectName("Label6");
    label6->move(24, 236);

    SpeedButton1 = new QPushButton("Schliessen", this);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setGeometry(kClientWidth - 104, kClientHeight - 38, 88, 26);
    // Without a focus the box passes every key on; a focused button would
    // take the blank of "r: Kreis" as a click.
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { hide(); });

    FStartupTimer.setSingleShot(true);
    FStartupTimer.setInterval(kStartupMs);
    connect(&FStartupTimer, &QTimer::timeout, this, [this] { EndStartup(); });
}

void TFInformation::CentreOn(QWidget* mainWindow) {
    QRect area;
    if (mainWindow && mainWindow->isVisible())
        area = mainWindow->frameGeometry();
    else if (QScreen* screen = this->screen())
        area = screen->availableGeometry();
    if (area.isValid()) move(area.center() - QPoint(width() / 2, height() / 2));
}

void TFInformation::ShowStartup(QWidget* mainWindow, std::function<void()> afterwards) {
    FAfterStartup = std::move(afterwards);
    FKeysTo = mainWindow;
    CentreOn(mainWindow);
    show();
    raise();
    FStartupTimer.start();
}

void TFInformation::EndStartup() {
    hide();
    if (auto afterwards = std::move(FAfterStartup)) {
        FAfterStartup = nullptr;
        afterwards();
    }
}

void TFInformation::ShowInformation(QWidget* mainWindow, bool activate) {
    if (!FBordered) {
        // The frame is added outside the client area, which keeps its size.
        const bool wasVisible = isVisible();
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                       Qt::WindowStaysOnTopHint);
        SpeedButton1->setFocusPolicy(Qt::StrongFocus);
        FBordered = true;
        if (wasVisible) hide();
    }
    setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    CentreOn(mainWindow);
    show();
    raise();
    if (activate) activateWindow();
}

bool TFInformation::PassKeyOn(QKeyEvent* event) {
    if (FBordered || !FKeysTo) return false;
    QWidget* target = FKeysTo->focusWidget() ? FKeysTo->focusWidget() : FKeysTo.data();
    std::unique_ptr<QKeyEvent> copy(event->clone());
    QApplication::sendEvent(target, copy.get());
    return true;
}

void TFInformation::keyPressEvent(QKeyEvent* event) {
    if (!PassKeyOn(event)) QDialog::keyPressEvent(event);
}

void TFInformation::keyReleaseEvent(QKeyEvent* event) {
    if (!PassKeyOn(event)) QDialog::keyReleaseEvent(event);
}

void TFInformation::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int h = height();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(2, 2, (w - 2) - 2 - 1, (h - 2) - 2 - 1));
    p.setBrush(Qt::yellow);
    p.drawEllipse(QRect(50, 60, 150 - 50 - 1, 160 - 60 - 1));
    p.setBrush(Qt::blue);
    p.drawRect(QRect(130, 80, 270 - 130 - 1, 120 - 80 - 1));
    p.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPoint(160, 40), QPoint(300, 110));
}
