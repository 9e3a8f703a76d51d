#include "UZeichenfenster.h"

#include "ULetztesZeichenfenster.h"
#include "UCriticalSections.h"
#include "UDrawCanvas.h"
#include "UQtPaintBox.h"
#include "UQtSurface.h"
#include "UQtText.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QResizeEvent>
#include <algorithm>

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

    show();
    // The form's size is its outer size; the frame is known once the window is
    // on the screen, and the drawing area is what the frame leaves.
    const QSize frame = FrameExtra();
    if (frame.width() > 0 || frame.height() > 0) {
        resize(std::max(1, InitialWidth - frame.width()), std::max(1, InitialHeight - frame.height()));
        FitPaintBox();
    }
    // The top right corner of the work area.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect work = screen->availableGeometry();
        move(work.x() + work.width() - frameGeometry().width(), work.y());
    }
}

TFZeichnen::~TFZeichnen() {
    TLockGuard lock(CriticalSections::ObjectLock());
    pb->OnResize = nullptr;
    pb->OnPaintRequest = nullptr;
    pb->OnFrameDue = nullptr;
    pb->OnMouseMove = nullptr;
    DrawCanvas.reset();
}

QSize TFZeichnen::FrameExtra() const {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return {std::max(0, outer.width() - inner.width()), std::max(0, outer.height() - inner.height())};
}

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

int TFZeichnen::Left() const { return frameGeometry().x(); }
int TFZeichnen::Top() const { return frameGeometry().y(); }
int TFZeichnen::Width() const { return frameGeometry().width(); }
int TFZeichnen::Height() const { return frameGeometry().height(); }

void TFZeichnen::SetLeft(int left) { move(left, frameGeometry().y()); }
void TFZeichnen::SetTop(int top) { move(frameGeometry().x(), top); }

void TFZeichnen::SetWidth(int width) {
    resize(std::max(1, width - FrameExtra().width()), height());
    FitPaintBox();
}

void TFZeichnen::SetHeight(int height) {
    resize(width(), std::max(1, height - FrameExtra().height()));
    FitPaintBox();
}

// A hidden window gets its resize events only when shown again; the paint box
// follows at once so that repaints meanwhile use the new size.
void TFZeichnen::FitPaintBox() { pb->setGeometry(rect()); }

void TFZeichnen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitPaintBox();
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
    auto* surface = dynamic_cast<TQtSurface*>(&DrawCanvas->Surface());
    if (!surface) return;
    FLetztesZeichenfenster->TakePicture(surface->Image(), DrawCanvas->OriginX(), DrawCanvas->OriginY());
}

void TFZeichnen::Close() {
    HandOverPicture();
    hide();
}

void TFZeichnen::closeEvent(QCloseEvent* event) {
    HandOverPicture();
    event->accept();
}
