#include "UQtDrawingWindowHost.h"

#include "ULetztesZeichenfenster.h"
#include "UZeichenfenster.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// Without any screen (a broken display setup) windows still get sane bounds.
constexpr TScreenSize NoScreen{1024, 768};

TScreenSize SizeOf(const QRect& r) { return {r.width(), r.height()}; }

} // namespace

TQtDrawingWindowHost::TQtDrawingWindowHost() {
    if (!FLetztesZeichenfenster) OwnLastWindow = std::make_unique<TFLetztesZeichenfenster>();
    SetDrawingWindowHost(this);
}

TQtDrawingWindowHost::~TQtDrawingWindowHost() {
    if (DrawingWindowHost() == this) SetDrawingWindowHost(nullptr);
}

std::unique_ptr<TDrawingWindow> TQtDrawingWindowHost::CreateDrawingWindow() {
    return std::make_unique<TFZeichnen>();
}

TScreenSize TQtDrawingWindowHost::PrimaryScreenSize() const {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? SizeOf(screen->geometry()) : NoScreen;
}

TScreenSize TQtDrawingWindowHost::WorkAreaSize() const {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? SizeOf(screen->availableGeometry()) : NoScreen;
}

TScreenSize TQtDrawingWindowHost::DesktopSize() const {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? SizeOf(screen->virtualGeometry()) : NoScreen;
}
