// The paint box: surfaces, presenting, callbacks.
#include "QtTestSupport.h"
#include "UQtPaintBox.h"
#include "UQtRaster.h"
#include "URasterCanvas.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

// Surfaces draw with the raster canvas, or with QPainter where that is chosen
// as the reference; the box shows either.
TEST(QtPaintBox, IsOpaqueAndHandsOutSurfacesOfTheChosenKind) {
    EnsureQtApp();
    TQtPaintBox box;
    box.resize(120, 90);
    EXPECT_TRUE(box.testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_EQ(box.Width(), 120);
    EXPECT_EQ(box.Height(), 90);
    const TSurfaceKind before = SurfaceKind();
    for (const TSurfaceKind kind : {TSurfaceKind::Raster, TSurfaceKind::QtPainter}) {
        SurfaceKind() = kind;
        const std::unique_ptr<TSurface> surface = box.CreateSurface(box.Width(), box.Height());
        EXPECT_EQ(dynamic_cast<TRasterSurface*>(surface.get()) != nullptr, kind == TSurfaceKind::Raster);
        EXPECT_EQ(dynamic_cast<TQtSurface*>(surface.get()) != nullptr, kind == TSurfaceKind::QtPainter);
        EXPECT_EQ(surface->Width(), 120);
        EXPECT_EQ(surface->Height(), 90);
        surface->Canvas().Brush.Color = Red;
        surface->Canvas().FillRect(10, 10, 20, 20);
        box.PresentChanged(*surface, 10, 10, 19, 19);
        box.Present(*surface);
        EXPECT_EQ(box.ShownImage().pixel(15, 15) & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(box.ShownImage().pixel(5, 5) & 0xFFFFFF, 0xFFFFFFu);
    }
    SurfaceKind() = before;
}

TEST(QtPaintBox, PresentKeepsTheFinishedPictureWhileTheNextOneIsDrawn) {
    EnsureQtApp();
    TQtPaintBox box;
    box.resize(60, 40);
    const std::unique_ptr<TSurface> surface = box.CreateSurface(60, 40);
    TCanvas& c = surface->Canvas();
    c.Brush.Color = Red;
    c.FillRect(0, 0, 61, 41);
    box.Present(*surface);
    c.Brush.Color = Blue;
    c.FillRect(0, 0, 30, 40);  // the next paint, half done
    EXPECT_EQ(box.ShownImage().pixel(10, 10) & 0xFFFFFF, 0xFF0000u);
    const QImage onScreen = box.grab().toImage();
    EXPECT_EQ(onScreen.pixel(10, 10) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(onScreen.pixel(59, 39) & 0xFFFFFF, 0xFF0000u);
    box.Present(*surface);
    EXPECT_EQ(box.grab().toImage().pixel(10, 10) & 0xFFFFFF, 0x0000FFu);
}

TEST(QtPaintBox, ResizeAndUnansweredPaintsAskTheOwner) {
    EnsureQtApp();
    TQtPaintBox box;
    std::unique_ptr<TSurface> surface = box.CreateSurface(10, 10);
    int resizes = 0, requests = 0;
    box.OnResize = [&] { ++resizes; };
    box.OnPaintRequest = [&] {
        ++requests;
        surface->Resize(box.Width(), box.Height());
        surface->Canvas().Brush.Color = Blue;
        surface->Canvas().FillRect(0, 0, box.Width(), box.Height());
        box.Present(*surface);
    };
    box.resize(50, 30);
    box.show();
    QCoreApplication::processEvents();
    EXPECT_GE(resizes, 1);
    const QImage first = box.grab().toImage();
    EXPECT_GE(requests, 1);
    EXPECT_EQ(first.pixel(49, 29) & 0xFFFFFF, 0x0000FFu);
    // The image fits now: painting again shows it without asking.
    const int asked = requests;
    box.grab();
    EXPECT_EQ(requests, asked);
}

TEST(QtPaintBox, ReportsMouseMovesInWidgetPixels) {
    EnsureQtApp();
    TQtPaintBox box;
    box.resize(100, 100);
    int seenX = -1, seenY = -1;
    box.OnMouseMove = [&](int x, int y) { seenX = x, seenY = y; };
    QMouseEvent move(QEvent::MouseMove, QPointF(42, 17), QPointF(42, 17), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &move);
    EXPECT_EQ(seenX, 42);
    EXPECT_EQ(seenY, 17);
}

TEST(QtPaintBox, IgnoresForeignSurfacesAndCanvases) {
    EnsureQtApp();
    struct TOtherSurface : TSurface {
        int Width() const override { return 5; }
        int Height() const override { return 5; }
        void Resize(int, int) override {}
        TCanvas& Canvas() override { return Surface.Canvas(); }
        TQtSurface Surface{5, 5};
    } other;
    TQtPaintBox box;
    box.Present(other);
    EXPECT_TRUE(box.ShownImage().isNull());
    box.PutPictureOnClipboard(other.Canvas());
    const std::unique_ptr<TCanvas> picture = box.CreatePictureCanvas(20, 20);
    picture->Rectangle(1, 1, 10, 10);
    box.PutPictureOnClipboard(*picture);
}
