#include "UZeichenfenster.h"

#include "ULetztesZeichenfenster.h"
#include "UCriticalSections.h"
#include "UDrawCanvas.h"
#include "UQtPaintBox.h"
#include "UQtRaster.h"
#include "UQtText.h"

#include <QAction>
#include <QCloseEvent>
#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QResizeEvent>
#include <algorithm>

namespace {

QMargins FrameOf(const QWidget& window) {
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return {std::max(0, inner.left() - outer.left()), std::max(0, inner.top() - outer.top()),
            std::max(0, outer.right() - inner.right()), std::max(0, outer.bottom() - inner.bottom())};
}

} // namespace

TFZeichnen::TFZeichnen(QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
    setWindowTitle(QStringLiteral("Zeichenfenster"));
    resize(InitialWidth, InitialHeight);

    pb = new TQtPaintBox(this);
    FitPaintBox();

    PopupMenu1 = new QMenu(this);
    Koordinatenanzeige1 = PopupMenu1->addAction(QStringLiteral("Koordinatenanzeige"));
    Koordinatenanzeige1->setCheckable(true);
    Koordinatenanzeige1->setChecked(true);
    KopierenDrucken1 = PopupMenu1->addAction(QStringLiteral("Kopieren"));
    connect(Koordinatenanzeige1, &QAction::triggered, this, [this] { Koordinatenanzeige1Click(); });
    connect(KopierenDrucken1, &QAction::triggered, this, [this] { KopierenDrucken1Click(); });
    pb->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pb, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(pb->mapToGlobal(at)); });

    DrawCanvas = std::make_unique<TDrawCanvas>(*pb);
    // A paint still owed is done at the size it was owed for.
    pb->OnResize = [this] {
        KeepSize = true;
        SettleOwedPaints();
        KeepSize = false;
        DrawCanvas->Resize();
    };
    // A resized surface is drawn at the next screen paint.
    pb->OnPaintRequest = [this] { DrawCanvas->Paint(); };
    pb->OnFrameDue = [this] { return SettleOwedPaints(true); };
    pb->OnMouseMove = [this](int x, int y) { pbMouseMove(x, y); };

    // The program's statements run on while the pupil works in the main
    // window: a new drawing window must not take the keyboard from it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The top right corner of the work area, frame included. Placed before
    // the window first shows, the position counts as the frame's, and a
    // window manager puts the frame there; placed afterwards, before the
    // frame is known, it would take it for the client area's and push the
    // title bar above the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect work = screen->availableGeometry();
        Outer.moveTopLeft({work.x() + work.width() - InitialWidth, work.y()});
    }
    FrameAssumed = FrameOfOtherWindows();
    ApplyOuter();
    show();
    // Without a window manager the frame is known at once; with one, when it
    // has framed the window (FitFrame from the move and resize events).
    FitFrame();
}

TFZeichnen::~TFZeichnen() {
    TLockGuard lock(CriticalSections::ObjectLock());
    pb->OnResize = nullptr;
    pb->OnPaintRequest = nullptr;
    pb->OnFrameDue = nullptr;
    pb->OnMouseMove = nullptr;
    DrawCanvas.reset();
}

QMargins TFZeichnen::Frame() const { return FrameOf(*this); }

// Where the window manager frames a window only after it has shown, the
// frame of the application's windows on the screen stands in until then:
// they all get the same one.
QMargins TFZeichnen::FrameOfOtherWindows() const {
    for (const QWidget* widget : QApplication::topLevelWidgets())
        if (widget != this && widget->isVisible() && widget->windowType() == Qt::Window)
            if (const QMargins frame = FrameOf(*widget); !frame.isNull()) return frame;
    return {};
}

void TFZeichnen::ApplyOuter() {
    const QMargins& f = FrameAssumed;
    resize(std::max(1, Outer.width() - f.left() - f.right()), std::max(1, Outer.height() - f.top() - f.bottom()));
    move(Outer.topLeft());
    FitPaintBox();
}

void TFZeichnen::FitFrame() {
    if (FrameSettled) return;
    const QMargins frame = Frame();
    if (frame.isNull()) return;
    FrameSettled = true;
    if (frame == FrameAssumed) return;
    FrameAssumed = frame;
    ApplyOuter();
}

QRect TFZeichnen::OuterNow() const { return FrameSettled ? frameGeometry() : Outer; }

void TFZeichnen::RefreshCaption() {
    std::string title = CaptionBase;
    if (Koordinatenanzeige1->isChecked()) {
        title += " x:" + std::to_string(DrawCanvas->ToWorldX(MouseX));
        title += " y:" + std::to_string(DrawCanvas->ToWorldY(MouseY));
    }
    setWindowTitle(ToQString(title));
}

void TFZeichnen::pbMouseMove(int x, int y) {
    MouseX = x;
    MouseY = y;
    RefreshCaption();
}

void TFZeichnen::Koordinatenanzeige1Click() { RefreshCaption(); }  // the action toggles its own check

void TFZeichnen::KopierenDrucken1Click() {
    SettleOwedPaints();
    DrawCanvas->CopyToClipboard();
}

int TFZeichnen::Left() const { return OuterNow().x(); }
int TFZeichnen::Top() const { return OuterNow().y(); }
int TFZeichnen::Width() const { return OuterNow().width(); }
int TFZeichnen::Height() const { return OuterNow().height(); }

void TFZeichnen::SetLeft(int left) {
    Outer = OuterNow();
    Outer.moveLeft(left);
    ApplyOuter();
}

void TFZeichnen::SetTop(int top) {
    Outer = OuterNow();
    Outer.moveTop(top);
    ApplyOuter();
}

void TFZeichnen::SetWidth(int width) {
    Outer = OuterNow();
    Outer.setWidth(width);
    ApplyOuter();
}

void TFZeichnen::SetHeight(int height) {
    Outer = OuterNow();
    Outer.setHeight(height);
    ApplyOuter();
}

// A hidden window gets its resize events only when shown again; the paint box
// follows at once so that repaints meanwhile use the new size.
void TFZeichnen::FitPaintBox() { pb->setGeometry(rect()); }

void TFZeichnen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitPaintBox();
    FitFrame();
}

void TFZeichnen::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    FitFrame();
}

void TFZeichnen::Repaint() {
    FitSurface();
    DrawCanvas->Paint();
}

void TFZeichnen::RepaintLater() {
    FitSurface();
    DrawCanvas->PaintLater();
}

// A resize the paint box has not been told of yet (the window is hidden or
// not laid out) must not leave the surface at its old size.
void TFZeichnen::FitSurface() {
    if (KeepSize) return;
    if (pb->Width() != DrawCanvas->Surface().Width() || pb->Height() != DrawCanvas->Surface().Height())
        DrawCanvas->Resize();
}

void TFZeichnen::HandOverPicture() {
    if (!FLetztesZeichenfenster || !DrawCanvas) return;
    SettleOwedPaints();
    const QImage picture = SurfaceImage(DrawCanvas->Surface());
    if (picture.isNull()) return;
    FLetztesZeichenfenster->TakePicture(picture, DrawCanvas->OriginX(), DrawCanvas->OriginY());
}

void TFZeichnen::Close() {
    HandOverPicture();
    hide();
}

void TFZeichnen::closeEvent(QCloseEvent* event) {
    HandOverPicture();
    event->accept();
}
