// A drawing canvas repaints after every statement and starts from a kept copy
// of its background when nothing the background depends on changed. The
// picture must be exactly the one a fresh canvas draws.
#include "QtTestSupport.h"
#include "UDrawCanvas.h"
#include "UFigur.h"
#include "UKlassen.h"
#include "UQtPaintBox.h"
#include "UQtRaster.h"

#include <gtest/gtest.h>

namespace {

QImage Picture(TDrawCanvas& canvas) {
    return SurfaceImage(canvas.Surface()).convertToFormat(QImage::Format_RGB32);
}

struct TScene {
    TQtPaintBox Box;
    TDrawCanvas Canvas{Box};
    TKlassenFabrik Factory;
    std::unique_ptr<TObjekt> Rect = Factory.CreateObject("Rechteck", "r", nullptr);
    std::unique_ptr<TObjekt> Circle = Factory.CreateObject("Kreis", "k", nullptr);

    TScene() {
        Box.resize(447, 384);
        Canvas.Resize();
        Canvas.Grid = true;
        Canvas.GridSpacing = 10;
        Canvas.AddFigure(Rect.get());
        Canvas.AddFigure(Circle.get());
    }
    TFigur& R() { return static_cast<TFigur&>(*Rect); }
};

} // namespace

TEST(KeptBackground, RepaintsMatchAFreshCanvasThroughMovesAndSettingChanges) {
    EnsureQtApp();
    TScene kept;
    kept.Canvas.Paint();
    kept.R().MoveBy(37, -21);  // the old rectangle must not shine through
    kept.Canvas.Paint();
    kept.Canvas.Paint();

    TScene fresh;
    fresh.R().MoveBy(37, -21);
    fresh.Canvas.Paint();
    EXPECT_TRUE(Picture(kept.Canvas) == Picture(fresh.Canvas));
    EXPECT_EQ(kept.Canvas.BackgroundPixelColor(), fresh.Canvas.BackgroundPixelColor());
    EXPECT_EQ(kept.Canvas.GridPixelColor(), fresh.Canvas.GridPixelColor());

    // Each setting the background depends on shows at the next paint.
    auto change = [](TDrawCanvas& c, int step) {
        switch (step) {
            case 0: c.BackgroundColor = 0x00FF00; break;
            case 1: c.GridSpacing = 25; break;
            case 2: c.GridColor = 0x123456; break;
            case 3: c.Grid = false; break;
        }
    };
    for (int step = 0; step < 4; ++step) {
        change(kept.Canvas, step);
        kept.Canvas.Paint();
        TScene again;
        again.R().MoveBy(37, -21);
        for (int s = 0; s <= step; ++s) change(again.Canvas, s);
        again.Canvas.Paint();
        EXPECT_TRUE(Picture(kept.Canvas) == Picture(again.Canvas)) << "after change " << step;
        EXPECT_EQ(kept.Canvas.BackgroundPixelColor(), again.Canvas.BackgroundPixelColor());
    }
}

TEST(KeptBackground, ResizedWindowDrawsTheBackgroundAfresh) {
    EnsureQtApp();
    TScene kept;
    kept.Canvas.Paint();
    kept.Box.resize(300, 200);
    kept.Canvas.Resize();
    kept.Canvas.Paint();

    TScene fresh;
    fresh.Box.resize(300, 200);
    fresh.Canvas.Resize();
    fresh.Canvas.Paint();
    EXPECT_TRUE(Picture(kept.Canvas) == Picture(fresh.Canvas));
    EXPECT_EQ(kept.Canvas.OriginX(), 150);
}
