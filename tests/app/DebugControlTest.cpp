// The variables view: cell widths in steps of 100 pixels, rows, scroll bars,
// marks and the sentence for a run without variables.
#include "AppTestSupport.h"

#include "UDebugControl.h"

#include <QScrollBar>

#include <gtest/gtest.h>

#include <string>

namespace {

struct DebugControlTest : ::testing::Test {
    void SetUp() override { View.resize(416, 88); }  // 400 pixels beside the vertical bar
    bool AnyInk(int x0, int y0, int x1, int y1) const {
        const QImage& image = View.Bitmap();
        for (int y = y0; y < y1 && y < image.height(); ++y)
            for (int x = x0; x < x1 && x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255)) return true;
        return false;
    }
    QApplication& App = TestApp();
    TDebugControl View;
};

// A text of the given width (at least one character wide), made of dots.
std::string TextOfWidth(const TDebugControl& view, int width) {
    std::string text;
    while (view.Measure(text + ".") <= width) text += '.';
    return text;
}

} // namespace

TEST_F(DebugControlTest, CellWidthsAreTheNextMultipleOfAHundred) {
    const std::string narrow = TextOfWidth(View, 99);
    const std::string wide = TextOfWidth(View, 100);
    View.AddCell(narrow);
    View.AddCell(wide);
    View.AddCell("");
    View.Arrange();
    EXPECT_EQ(View.Cell(0).Width, View.Measure(narrow) < 100 ? 100 : 200);
    EXPECT_EQ(View.Cell(1).Width, View.Measure(wide) < 100 ? 100 : 200);
    EXPECT_EQ(View.Cell(2).Width, 100);
    EXPECT_EQ(View.Cell(0).Left, TDebugControl::LeftMargin);
    EXPECT_EQ(View.Cell(0).Row, 0);
}

TEST_F(DebugControlTest, BoldIsMeasuredAndColourMarksCostNothing) {
    const std::string plain = "breite = 20";
    const std::string red = "breite = \x03" "20\x04";
    const std::string bold = "\x01" "breite\x02 = 20";
    // Runs are measured one by one; a colour change splits the run only.
    EXPECT_EQ(View.Measure(red), View.Measure("breite = \x02" "20"));
    EXPECT_NEAR(View.Measure(red), View.Measure(plain), 2);
    EXPECT_GT(View.Measure(bold), View.Measure(plain));
}

TEST_F(DebugControlTest, CellsFlowIntoRowsAndNeverLeaveARowEmpty) {
    for (int i = 0; i < 5; ++i) View.AddCell("a = 1");
    View.Arrange();
    // 3 + 100 + 100 + 100 = 303; a fourth would reach 403 >= 400.
    EXPECT_EQ(View.Cell(2).Row, 0);
    EXPECT_EQ(View.Cell(2).Left, 203);
    EXPECT_EQ(View.Cell(3).Row, 1);
    EXPECT_EQ(View.Cell(3).Left, 3);
    EXPECT_EQ(View.RowCount(), 2);

    View.Clear();
    View.AddCell(TextOfWidth(View, 700));
    View.AddCell("b = 2");
    View.Arrange();
    EXPECT_EQ(View.Cell(0).Row, 0);
    EXPECT_EQ(View.Cell(1).Row, 1);
    EXPECT_TRUE(View.HorizontalBar()->isVisibleTo(&View));
    EXPECT_EQ(View.DrawingHeight(), 88 - TDebugControl::ScrollBarThickness);
}

TEST_F(DebugControlTest, MoreRowsThanFitShowTheVerticalBar) {
    for (int i = 0; i < 30; ++i) View.AddCell("x = " + std::to_string(i));
    View.Arrange();
    EXPECT_GT(View.RowCount(), View.VisibleRows());
    EXPECT_TRUE(View.VerticalBar()->isVisibleTo(&View));
    EXPECT_FALSE(View.HorizontalBar()->isVisibleTo(&View));
    EXPECT_EQ(View.DrawingWidth(), 416 - TDebugControl::ScrollBarThickness);

    // Scrolling down leaves the first row out of the picture.
    ASSERT_TRUE(AnyInk(0, 0, 100, View.RowHeight()));
    View.VerticalBar()->setValue(View.VerticalBar()->maximum());
    EXPECT_GT(View.VerticalPosition(), 0);

    View.Clear();
    View.AddCell("y = 1");
    View.Arrange();
    EXPECT_FALSE(View.VerticalBar()->isVisibleTo(&View));
    EXPECT_EQ(View.VerticalPosition(), 0);
}

TEST_F(DebugControlTest, CellsBeyondTwoHundredAreDropped) {
    for (int i = 0; i < 250; ++i) View.AddCell("v" + std::to_string(i));
    EXPECT_EQ(View.Count(), TDebugControl::MaxCells);
    EXPECT_EQ(View.Cell(199).Text, "v199");
    View.Arrange();
}

TEST_F(DebugControlTest, AnEmptyViewSaysSoAndRedIsRed) {
    View.Arrange();
    EXPECT_EQ(View.Count(), 0);
    EXPECT_TRUE(AnyInk(3, 3, 200, 20));

    View.AddCell("\x03WWWW\x04");
    View.Arrange();
    bool red = false;
    const QImage& image = View.Bitmap();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            if (image.pixel(x, y) == qRgb(255, 0, 0)) red = true;
    EXPECT_TRUE(red);
}
