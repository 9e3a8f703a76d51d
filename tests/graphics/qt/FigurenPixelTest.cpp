// The concrete figures painted on the real Qt surface: the edge pixels the
// figures rely on, and text fields that fit the text as it is painted.
#include "QtTestSupport.h"
#include "UDrawCanvas.h"
#include "UEllipse.h"
#include "ULinie.h"
#include "UQtPaintBox.h"
#include "UQtTextMass.h"
#include "URasterCanvas.h"
#include "URechteck.h"
#include "UStack.h"
#include "UTextMass.h"
#include "UTextfeld.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr TColor Background = TDrawCanvas::DefaultBackgroundColor;

// A 201 x 201 drawing area without grid: origin at pixel (100, 100).
struct TQtAppFirst {
    TQtAppFirst() { EnsureQtApp(); }
};

struct TQtArea : TQtAppFirst {
    TQtArea() {
        Box.resize(201, 201);
        Canvas = std::make_unique<TDrawCanvas>(Box);
        Canvas->Resize();
    }
    void Paint(TObjekt& figure) {
        Canvas->AddFigure(&figure);
        Canvas->Paint();
    }
    TColor At(int x, int y) { return Canvas->Surface().Canvas().Pixel(x, y); }

    TQtPaintBox Box;
    std::unique_ptr<TDrawCanvas> Canvas;
};

void AddLine(TTextfeld& t, const char* text) {
    TStack stack;
    stack.PushString(text);
    t.CallMethod(TTextfeld::mnZeileHinzufuegen, stack);
}

} // namespace

TEST(FigurenPixel, DefaultRectangleOwnsItsRightAndBottomEdge) {
    TQtArea area;
    TRechteck r("r", nullptr);
    area.Paint(r);
    EXPECT_EQ(area.At(90, 90), Black);
    EXPECT_EQ(area.At(110, 110), Black);
    EXPECT_EQ(area.At(110, 95), Black);
    EXPECT_EQ(area.At(100, 100), White);
    EXPECT_EQ(area.At(111, 111), Background);
    EXPECT_EQ(area.At(89, 100), Background);
}

TEST(FigurenPixel, LineLeavesOutItsEndPixel) {
    TQtArea area;
    TLinie l("l", nullptr);
    area.Paint(l);
    EXPECT_EQ(area.At(90, 90), Black);
    EXPECT_EQ(area.At(109, 109), Black);
    EXPECT_EQ(area.At(110, 110), Background);
}

TEST(FigurenPixel, TurnedEllipseIsFilledAndOutlined) {
    TQtArea area;
    TEllipse e("e", nullptr);
    TStack stack;
    stack.PushDouble(30);
    e.CallMethod(TFigur::mnDrehen, stack);
    area.Paint(e);
    EXPECT_EQ(area.At(100, 100), White);
    EXPECT_EQ(area.At(e.PolygonPoints()[0].x, e.PolygonPoints()[0].y), Black);
    EXPECT_EQ(area.At(100, 85), Background);
}

TEST(FigurenPixel, TextFieldFitsTheTextAsPainted) {
    TQtArea area;
    TQtTextMeasure measure;
    TTextfeld t("t", nullptr);
    AddLine(t, "Hallo Welt");
    area.Paint(t);
    const int left = area.Canvas->ToDeviceX(TFigur::GetInt(t.ALinks));
    const int top = area.Canvas->ToDeviceY(TFigur::GetInt(t.AOben));
    const int right = area.Canvas->ToDeviceX(TFigur::GetInt(t.ARechts));
    const int bottom = area.Canvas->ToDeviceY(TFigur::GetInt(t.AUnten));
    // The frame's corners, and background just outside it.
    EXPECT_EQ(area.At(left, top), Black);
    EXPECT_EQ(area.At(right, bottom), Black);
    EXPECT_EQ(area.At(right + 1, bottom), Background);
    // Every text pixel lies inside the frame, at least one pixel from it.
    int textPixels = 0;
    for (int y = 0; y < 201; ++y)
        for (int x = 0; x < 201; ++x) {
            const bool inside = x > left && x < right && y > top && y < bottom;
            if (inside && area.At(x, y) == Black) {
                ++textPixels;
                EXPECT_TRUE(x > left + 1 && x < right - 1 && y > top + 1 && y < bottom - 1) << x << "," << y;
            }
        }
    EXPECT_GT(textPixels, 20);
    // The frame is as wide as the text measured on the surface, plus the gaps.
    TCanvas& c = area.Canvas->Surface().Canvas();
    c.Font.Name = "Arial";
    c.Font.Size = 12;
    const int h = c.TextHeight("Hallo Welt");
    const int g = static_cast<int>(RoundEven(h / 4.0));
    EXPECT_EQ(right - left, c.TextWidth("Hallo Welt") + 2 * g);
    EXPECT_EQ(bottom - top, h + 2 * g);
}

TEST(FigurenPixel, TextMeasureRemovesItselfAtTheEnd) {
    EnsureQtApp();
    const TCanvas* estimate = &TextMeasureCanvas();
    {
        TQtTextMeasure measure;
        EXPECT_NE(dynamic_cast<TRasterCanvas*>(&TextMeasureCanvas()), nullptr);
    }
    EXPECT_EQ(&TextMeasureCanvas(), estimate);
}

// The whole way through a headless run: figures declared in a program are
// drawn into the default window, whose picture is written as a PNG file.
TEST(FigurenPixel, HeadlessRunDrawsIntoTheDefaultWindow) {
    EnsureQtApp();
    if (!std::filesystem::exists(ZAK_BINARY)) GTEST_SKIP() << "zak is not built";
    const std::string dir = testing::TempDir() + "figuren_png";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string program = dir + "/bild.zak";
    {
        std::ofstream out(program, std::ios::binary);
        out << "// ZAK 1.5 - Programm\r\n"
               "r: Rechteck\r\n"
               "r.verschieben(-100, 0)\r\n"
               "l: Linie\r\n"
               "l.verschieben(100, 0)\r\n";
    }
    const std::string command = std::string(ZAK_BINARY) + " --run " + program + " --png " + dir + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    QImage picture(QString::fromStdString(dir + "/fenster-1.png"));
    ASSERT_FALSE(picture.isNull());
    const int ox = static_cast<int>(RoundEven(picture.width() / 2.0));
    const int oy = static_cast<int>(RoundEven(picture.height() / 2.0));
    auto at = [&](int x, int y) { return static_cast<TColor>(picture.pixel(x, y) & 0xFFFFFF); };
    // Qt's pixel is 0xRRGGBB; white and black read the same either way.
    EXPECT_EQ(at(ox - 110, oy - 10), Black);
    EXPECT_EQ(at(ox - 90, oy + 10), Black);
    EXPECT_EQ(at(ox - 100, oy), White);
    EXPECT_NE(at(ox - 89, oy + 11), Black);
    EXPECT_EQ(at(ox + 90, oy - 10), Black);
    EXPECT_EQ(at(ox + 109, oy + 9), Black);
    EXPECT_NE(at(ox + 110, oy + 10), Black);
}
