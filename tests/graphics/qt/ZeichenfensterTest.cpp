// The drawing windows on the offscreen platform: title coordinates, the
// default area and grid, the clipboard picture and the last drawing window.
#include "UDrawCanvas.h"
#include "UFarbe.h"
#include "UFenster.h"
#include "UFigur.h"
#include "ULetztesZeichenfenster.h"
#include "UQtDrawingWindowHost.h"
#include "UQtPaintBox.h"
#include "UStack.h"
#include "URunden.h"
#include "UZeichenfenster.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

// Never destroyed: the input device the synthetic mouse events bring into
// being must not be torn down after Qt's own globals at exit.
void EnsureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_graphics_qt";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

void MoveMouse(QWidget* w, int x, int y) {
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

void SetInt(TFenster& f, TAttribut* a, int v) {
    a->Value.SetInteger(v);
    f.AttributeChanged(a);
}

void SetBackground(TFenster& f, int r, int g, int b) {
    static_cast<TFarbe&>(*f.AHintergrundfarbe->Value.AsObject()).SetzeRGB(r, g, b);
    f.AttributeChanged(f.AHintergrundfarbe);
}

TColor At(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return static_cast<TColor>(qRed(p) | qGreen(p) << 8 | qBlue(p) << 16);
}

// Draws a filled 10 x 10 square with its top left corner at the world origin.
class TSquare : public TGefuellteFigur {
public:
    TSquare() : TGefuellteFigur("q", nullptr) { Drawable = true; }
    void Draw(TDrawCanvas& canvas) override {
        TGefuellteFigur::Draw(canvas);
        canvas.Target().Rectangle(canvas.ToDeviceX(0), canvas.ToDeviceY(0), canvas.ToDeviceX(10), canvas.ToDeviceY(-10));
    }
};

class Zeichenfenster : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        Host = std::make_unique<TQtDrawingWindowHost>();
    }
    void TearDown() override { Host.reset(); }

    static TFZeichnen& Form(TFenster& f) { return static_cast<TFZeichnen&>(*f.DrawingWindow()); }
    // What the platform's frame adds to the client area (2 pixels a side offscreen).
    static QSize Frame(const QWidget& w) { return w.frameGeometry().size() - w.size(); }

    std::unique_ptr<TQtDrawingWindowHost> Host;
};

constexpr TColor Background = 0x808081;
constexpr TColor GridColour = 0xC0C0C1;

} // namespace

TEST_F(Zeichenfenster, DefaultAreaIsCentredWithGridEveryTenPixels) {
    TFenster f("f", nullptr);
    TFZeichnen& w = Form(f);
    EXPECT_EQ(w.windowTitle(), "Zeichenfenster");
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    // The drawing area is what the frame leaves of the 447 x 384 window.
    const QSize area = QSize(447, 384) - Frame(w);
    EXPECT_EQ(w.pb->size(), area);
    TDrawCanvas& canvas = *f.Canvas();
    const int ox = static_cast<int>(RoundEven(area.width() / 2.0));
    const int oy = static_cast<int>(RoundEven(area.height() / 2.0));
    EXPECT_EQ(canvas.OriginX(), ox);
    EXPECT_EQ(canvas.OriginY(), oy);

    f.Repaint();
    TCanvas& c = canvas.Target();
    const int row = oy - 8;  // between two horizontal grid lines
    const int n = static_cast<int>(RoundEven(ox / 10.0));
    for (int k = 1; k <= n; ++k) {
        EXPECT_EQ(c.Pixel(ox + 10 * k, row), GridColour) << k;
        EXPECT_EQ(c.Pixel(ox - 10 * k, row), GridColour) << k;
        EXPECT_EQ(c.Pixel(ox + 10 * k - 5, row), Background) << k;
    }
    EXPECT_EQ(c.Pixel(ox - 10 * n - 1, row), Background);
    // The axes are three pixels wide.
    for (int x : {ox - 1, ox, ox + 1}) EXPECT_EQ(c.Pixel(x, row), GridColour) << x;
    EXPECT_EQ(c.Pixel(ox + 2, row), Background);
    EXPECT_EQ(c.Pixel(100, oy - 1), GridColour);
    EXPECT_EQ(canvas.BackgroundPixelColor(), Background);
    EXPECT_EQ(canvas.GridPixelColor(), GridColour);
    // The screen shows exactly the finished surface.
    EXPECT_EQ(At(w.pb->ShownImage(), ox + 10, row), GridColour);
    EXPECT_EQ(At(w.pb->ShownImage(), ox + 6, row), Background);
}

TEST_F(Zeichenfenster, OpensAtTheTopRightOfTheWorkAreaWithItsOuterSize) {
    TFenster f("f", nullptr);
    const TScreenSize work = Host->WorkAreaSize();
    EXPECT_EQ(Form(f).frameGeometry().size(), QSize(447, 384));
    EXPECT_EQ(f.ALinks->Value.AsInteger(), work.Width - 447);
    EXPECT_EQ(f.AOben->Value.AsInteger(), 0);
    EXPECT_EQ(f.ABreite->Value.AsInteger(), 447);
    EXPECT_EQ(f.AHoehe->Value.AsInteger(), 384);
}

TEST_F(Zeichenfenster, TitleShowsWorldCoordinatesUnderTheMouse) {
    TFenster f("f", nullptr);
    TFZeichnen& w = Form(f);
    const int ox = f.Canvas()->OriginX(), oy = f.Canvas()->OriginY();
    MoveMouse(w.pb, ox, oy);
    EXPECT_EQ(w.windowTitle(), " x:0 y:0");
    f.AName->Value.SetString("Bild \xFC");  // Windows-1252 ü
    f.AttributeChanged(f.AName);
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8("Bild ü x:0 y:0"));
    MoveMouse(w.pb, ox - 224, oy + 191);
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8("Bild ü x:-224 y:-191"));
    w.Koordinatenanzeige1->trigger();
    EXPECT_FALSE(w.Koordinatenanzeige1->isChecked());
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8("Bild ü"));
    w.Koordinatenanzeige1->trigger();
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8("Bild ü x:-224 y:-191"));
}

TEST_F(Zeichenfenster, GeometryFollowsTheWindowObject) {
    TFenster f("f", nullptr);
    TFZeichnen& w = Form(f);
    const QSize frame = Frame(w);
    SetInt(f, f.ALinks, 100);
    SetInt(f, f.AOben, 50);
    SetInt(f, f.ABreite, 105 + frame.width());
    SetInt(f, f.AHoehe, 105 + frame.height());
    EXPECT_EQ(w.Left(), 100);
    EXPECT_EQ(w.Top(), 50);
    EXPECT_EQ(w.Width(), 105 + frame.width());
    EXPECT_EQ(w.pb->width(), 105);
    EXPECT_EQ(w.pb->height(), 105);
    f.Repaint();
    EXPECT_EQ(f.Canvas()->OriginX(), 52);
    EXPECT_EQ(f.Canvas()->OriginY(), 52);
    EXPECT_EQ(f.Canvas()->Surface().Width(), 105);
}

TEST_F(Zeichenfenster, KopierenPutsSvgAndImageOnTheClipboard) {
    TFenster f("f", nullptr);
    TSquare square;
    f.ShowFigure(&square);
    QApplication::clipboard()->clear();
    Form(f).KopierenDrucken1->trigger();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat("image/svg+xml"));
    EXPECT_TRUE(data->hasImage());
    EXPECT_TRUE(data->data("image/svg+xml").contains("<svg"));
    EXPECT_EQ(f.Canvas()->BackgroundPixelColor(), Background);  // the screen state is kept
}

TEST_F(Zeichenfenster, LastDrawingWindowBeforeAnyRun) {
    ASSERT_NE(FLetztesZeichenfenster, nullptr);
    TFLetztesZeichenfenster& last = *FLetztesZeichenfenster;
    EXPECT_EQ(last.windowTitle(), "Letztes Zeichenfenster");
    EXPECT_EQ(last.Picture().size(), QSize(300, 50));
    EXPECT_EQ(last.frameGeometry().size(), QSize(300, 50));
    EXPECT_EQ(last.pb->cursor().shape(), Qt::CrossCursor);
    int dark = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 10; x < 290; ++x) dark += At(last.Picture(), x, y) == 0;
    EXPECT_GT(dark, 50);  // the text is there
    EXPECT_EQ(At(last.Picture(), 5, 5), 0xFFFFFFu);
}

TEST_F(Zeichenfenster, ClosingHandsTheFinalPictureOn) {
    TFZeichnen* form = nullptr;
    {
        TFenster f("f", nullptr);
        form = &Form(f);
        SetInt(f, f.ABreite, 200 + Frame(*form).width());
        SetInt(f, f.AHoehe, 150 + Frame(*form).height());
        TSquare square;
        square.Fuellfarbe().SetzeRGB(255, 0, 0);
        f.ShowFigure(&square);
        MoveMouse(form->pb, 105, 80);
        EXPECT_EQ(form->windowTitle(), " x:5 y:-5");
        f.RunEnded();
        f.CloseDrawingWindow();
    }
    TFLetztesZeichenfenster& last = *FLetztesZeichenfenster;
    EXPECT_EQ(last.frameGeometry().size(), QSize(200, 150));
    EXPECT_EQ(last.OriginX(), 100);
    EXPECT_EQ(last.OriginY(), 75);
    EXPECT_EQ(At(last.Picture(), 105, 80), 0x0000FFu);
    EXPECT_EQ(At(last.Picture(), 55, 23), Background);
    MoveMouse(last.pb, 105, 80);
    EXPECT_EQ(last.windowTitle(), "Letztes Zeichenfenster x:5 y:-5");
    last.show();
    EXPECT_EQ(last.frameGeometry().size(), QSize(200, 150));
    last.hide();
}

TEST_F(Zeichenfenster, LastDrawingWindowIsAtLeastThirtyPixels) {
    TFenster f("f", nullptr);
    SetInt(f, f.ABreite, 10);
    SetInt(f, f.AHoehe, 10);
    const QSize area = Form(f).pb->size();
    f.Repaint();
    f.CloseDrawingWindow();
    EXPECT_EQ(FLetztesZeichenfenster->frameGeometry().size(), QSize(30, 30));
    EXPECT_EQ(FLetztesZeichenfenster->Picture().size(), area);
}

TEST_F(Zeichenfenster, ClosedByHandTheWindowStillObeysItsObject) {
    TFenster f("f", nullptr);
    TFZeichnen& w = Form(f);
    SetBackground(f, 0, 255, 0);
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(At(FLetztesZeichenfenster->Picture(), 1, 1), 0x00FF00u);
    SetBackground(f, 0, 0, 255);
    SetInt(f, f.ABreite, 120 + Frame(w).width());
    f.Repaint();
    EXPECT_EQ(f.Canvas()->Surface().Width(), 120);
    EXPECT_EQ(f.Canvas()->BackgroundPixelColor(), 0xFF0000u);
}

TEST_F(Zeichenfenster, TwoWindowsOfOneRunLastClosedWins) {
    TFenster a("a", nullptr), b("b", nullptr);
    SetBackground(a, 255, 0, 0);
    SetBackground(b, 0, 0, 255);
    a.CloseDrawingWindow();
    b.CloseDrawingWindow();
    EXPECT_EQ(At(FLetztesZeichenfenster->Picture(), 1, 1), 0xFF0000u);
}

// Spacing and grid switches change nothing on the screen until the next
// repaint; then the grid has the new spacing, or neither grid nor axes.
TEST_F(Zeichenfenster, GridChangesShowAtTheNextRepaint) {
    TFenster f("f", nullptr);
    TDrawCanvas& canvas = *f.Canvas();
    const int ox = canvas.OriginX(), oy = canvas.OriginY();
    const int row = oy - 5;
    f.Repaint();
    SetInt(f, f.AStrichabstand, 20);
    TCanvas& c = canvas.Target();
    EXPECT_EQ(c.Pixel(ox + 10, row), GridColour);  // still the old picture
    f.Repaint();
    EXPECT_EQ(c.Pixel(ox + 10, row), Background);
    EXPECT_EQ(c.Pixel(ox + 20, row), GridColour);
    EXPECT_EQ(c.Pixel(ox - 40, row), GridColour);

    TStack stack;
    f.CallMethod(TFenster::mnGitterAus, stack);
    EXPECT_EQ(c.Pixel(ox, row), GridColour);
    f.Repaint();
    for (int x : {ox - 20, ox - 1, ox, ox + 1, ox + 20}) EXPECT_EQ(c.Pixel(x, row), Background) << x;
    EXPECT_EQ(c.Pixel(ox - 5, oy), Background);
    f.CallMethod(TFenster::mnGitterEin, stack);
    f.Repaint();
    EXPECT_EQ(c.Pixel(ox, row), GridColour);
}
