// What the editor draws: layout, colours, gutter pictures, caret, scrolling.
#include "EditorTestSupport.h"

#include "UGutterImages.h"

#include <QPalette>
#include <QTimer>
#include <QTimerEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
#include <random>

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {
unsigned Rgb(const QColor& c) { return c.rgb() & 0xFFFFFF; }
}

TEST(EditorPaint, FrameGutterRowsAndLineColours) {
    auto editor = MakeEditor(300, 200);
    editor->LoadLines({"abc", "def", "ghi"});
    editor->LineInfo(1)->Color = 0x000000FF;  // red line
    const QImage image = editor->grab().toImage();
    const unsigned face = Rgb(editor->palette().color(QPalette::Button));
    EXPECT_EQ(PixelAt(image, 0, 5), 0x808080u);
    EXPECT_EQ(PixelAt(image, 1, 5), 0x000000u);
    EXPECT_EQ(PixelAt(image, 299, 5), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image, 10, 10), face);
    EXPECT_EQ(PixelAt(image, 31, 10), 0x000000u);   // gutter separator
    EXPECT_EQ(PixelAt(image, 31, 190), 0x000000u);  // down to the bottom
    EXPECT_EQ(PixelAt(image, 250, 10), 0xFFFFFFu);  // row 0 background
    const int y1 = 3 + 17 + 1;                      // top of row 1's characters
    EXPECT_EQ(PixelAt(image, 250, y1 + 5), 0xFF0000u);
    EXPECT_EQ(PixelAt(image, 250, 150), 0xFFFFFFu);  // below the last line

    editor->SetEditMode(false);
    editor->LineInfo(1)->Color = clLineWhite;
    const QImage run = editor->grab().toImage();
    EXPECT_EQ(PixelAt(run, 250, y1 + 5), 0xE8E8FFu);
}

TEST(EditorPaint, SelectionCellsAndRowEnds) {
    auto editor = MakeEditor(300, 200);
    editor->LoadLines({"aaaaaa", "bbbbbb", "cccccc", "dddddd", "eeeeee"});
    editor->SetSelection({2, 4}, {4, 1});
    const QImage image = editor->grab().toImage();
    auto cellProbe = [&](int line, int column) {
        return PixelAt(image, 34 + column * 8, 3 + line * 17 + 1 + 14);  // bottom pixel row of the cell
    };
    const unsigned selection = 0x000070u;
    EXPECT_EQ(cellProbe(2, 3), 0xFFFFFFu);
    EXPECT_EQ(cellProbe(2, 4), selection);
    EXPECT_EQ(cellProbe(3, 0), selection);
    EXPECT_EQ(cellProbe(4, 0), selection);
    EXPECT_EQ(cellProbe(4, 1), 0xFFFFFFu);
    EXPECT_EQ(cellProbe(2, 20), selection);   // row end of a line inside the selection
    EXPECT_EQ(cellProbe(4, 20), 0xFFFFFFu);   // not after its last line
}

TEST(EditorPaint, GutterClickTogglesBreakpointAndCallsTheHook) {
    auto editor = MakeEditor(300, 200);
    editor->LoadLines(Lines(10, "x"));
    int calls = 0;
    editor->OnBreakpointToggled = [&calls] { ++calls; };
    const int y = 3 + 7 * 17 + 8;
    Mouse(*editor, QEvent::MouseButtonPress, 10, y);
    EXPECT_TRUE(editor->LineBreakpoint(7));
    EXPECT_EQ(calls, 1);
    const QImage image = editor->grab().toImage();
    bool red = false;
    for (int x = 17; x < 31; ++x)
        for (int dy = 0; dy < 14; ++dy) {
            const QColor c = image.pixelColor(x, 3 + 7 * 17 + 1 + dy);
            red = red || (c.red() > 180 && c.green() < 60 && c.blue() < 60);
        }
    EXPECT_TRUE(red);
    EXPECT_EQ(PixelAt(image, 31, 3 + 7 * 17 + 6), 0x000000u);  // separator stays visible
    editor->SetEditMode(false);  // works in run mode as well
    Mouse(*editor, QEvent::MouseButtonPress, 10, y);
    EXPECT_FALSE(editor->LineBreakpoint(7));
    EXPECT_EQ(calls, 2);
}

TEST(EditorPaint, ErrorMarkersFollowHorizontalScrolling) {
    auto editor = MakeEditor(300, 200);
    editor->LoadLines(Lines(8, std::string(60, 'a')));
    editor->ErrorMarks = [] { return std::vector<TErrorMark>{{5, 3}}; };
    const int top = 3 + 5 * 17 + 1;
    auto hasRed = [&](const QImage& image, int x0, int x1) {
        for (int x = x0; x < x1; ++x)
            for (int y = top - 1; y < top + 15; ++y) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 180 && c.green() < 60 && c.blue() < 60) return true;
            }
        return false;
    };
    QImage image = editor->grab().toImage();
    EXPECT_TRUE(hasRed(image, 3, 17));             // the error symbol
    EXPECT_TRUE(hasRed(image, 34 + 16, 34 + 24));  // under the third character
    editor->SetCaret(5, 60);
    ASSERT_GT(editor->LeftColumn(), 3);
    image = editor->grab().toImage();
    EXPECT_TRUE(hasRed(image, 3, 17));
    EXPECT_FALSE(hasRed(image, 34, 290));
}

// The marker sits on the row's own colour, which the run sets red on an error
// line and cyan on the current line, and a pupil may choose: on each of them,
// and on random ones, enough of its pixels stand clearly apart.
TEST(EditorPaint, ErrorMarkerStandsOutOnEveryLineColour) {
    auto editor = MakeEditor(300, 200);
    editor->LoadLines(Lines(8, "a       b"));
    editor->ErrorMarks = [] { return std::vector<TErrorMark>{{5, 3}}; };  // on a blank
    std::vector<TColor> colours = {clLineWhite, 0x000000FF, 0x00FFFF00, 0x000000E6, 0x00000000,
                                   0x0000FFFF, 0x00FFFFFF, 0x00808080, 0x00E0E0FF};
    std::mt19937 random(11);
    for (int i = 0; i < 40; ++i) colours.push_back(random() & 0xFFFFFF);
    const int top = 3 + 5 * 17 + 1;
    for (const TColor colour : colours) {
        SCOPED_TRACE(colour);
        editor->LineInfo(5)->Color = colour;
        const QImage image = editor->grab().toImage();
        const QColor row = image.pixelColor(34 + 6 * 8 + 4, top + 7);  // a blank cell of the same row
        int apart = 0;
        for (int x = 34 + 2 * 8; x < 34 + 3 * 8; ++x)
            for (int y = top - 1; y < top + 16; ++y) {
                const QColor c = image.pixelColor(x, y);
                const int distance = std::max({std::abs(c.red() - row.red()), std::abs(c.green() - row.green()),
                                               std::abs(c.blue() - row.blue())});
                apart += distance > 100;
            }
        EXPECT_GE(apart, 8);
    }
}

TEST(EditorPaint, CaretIsInvertedAndBlinks) {
    auto editor = MakeEditor(300, 200);
    editor->LoadLines({"abc"});
    editor->activateWindow();
    editor->setFocus();
    QApplication::processEvents();
    if (!editor->hasFocus()) GTEST_SKIP() << "no keyboard focus on this platform";
    editor->SetCaret(0, 2);
    const int x = 34 + 2 * 8;
    const int y = 3 + 2 + 8;
    QImage image = editor->grab().toImage();
    EXPECT_EQ(PixelAt(image, x - 1, y), 0x000000u);
    EXPECT_EQ(PixelAt(image, x, y + 5), 0x000000u);
    EXPECT_EQ(PixelAt(image, x + 2, 3 + 2), 0xFFFFFFu);
}

TEST(EditorPaint, WheelScrollsOneLinePerNotch) {
    auto editor = MakeEditor(300, 200);
    editor->LoadLines(Lines(40, "x"));
    auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(100, 50), editor->mapToGlobal(QPointF(100, 50)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(editor.get(), &event);
    };
    wheel(-120);
    EXPECT_EQ(editor->TopLine(), 1);
    wheel(-60);
    EXPECT_EQ(editor->TopLine(), 1);
    wheel(-60);
    EXPECT_EQ(editor->TopLine(), 2);
    wheel(120 * 10);
    EXPECT_EQ(editor->TopLine(), 0);
    editor->LoadLines(Lines(3, "x"));
    wheel(-120);
    EXPECT_EQ(editor->TopLine(), 0);
}

TEST(EditorPaint, ScrollBarsAppearForLongTexts) {
    auto editor = MakeEditor(300, 200);
    editor->LoadLines(Lines(5, "x"));
    const int columnsWithout = editor->VisibleColumns();
    editor->LoadLines(Lines(50, std::string(100, 'y')));
    EXPECT_EQ(editor->VisibleColumns(), (300 - (34 + 19 + 4)) / 8);
    EXPECT_LT(editor->VisibleColumns(), columnsWithout);
    EXPECT_EQ(editor->VisibleLines(), (200 - (3 + 18)) / 17);
    editor->SetCaret(49, 100);
    EXPECT_EQ(editor->TopLine(), 50 - editor->VisibleLines());
    EXPECT_EQ(editor->LeftColumn(), 100 - editor->VisibleColumns());
}

TEST(EditorPaint, PixelToPosition) {
    auto editor = MakeEditor(300, 200);
    editor->LoadLines({"abc", "defgh"});
    EXPECT_EQ(editor->PixelToPosition(34 + 8 * 2 + 1, 3 + 17 + 2), (TTextPos{1, 2}));
    EXPECT_EQ(editor->PixelToPosition(250, 150), (TTextPos{1, 5}));
    EXPECT_EQ(editor->PixelToPosition(5, -40), (TTextPos{0, 0}));
}

TEST(EditorPaint, DoubleClickInTheGutterTogglesTwiceUnlessAWordIsSelected) {
    auto editor = MakeEditor(300, 200);
    editor->LoadLines({"a b", "x", "y"});
    const int y = 3 + 2 * 17 + 8;
    auto doubleClick = [&] {
        Mouse(*editor, QEvent::MouseButtonPress, 10, y);
        Mouse(*editor, QEvent::MouseButtonRelease, 10, y);
        Mouse(*editor, QEvent::MouseButtonDblClick, 10, y);
        Mouse(*editor, QEvent::MouseButtonRelease, 10, y);
    };
    editor->SetCaret(0, 1);  // on a blank: no word
    doubleClick();
    EXPECT_FALSE(editor->LineBreakpoint(2));
    EXPECT_FALSE(editor->HasSelection());
    // With the caret on a word the double click selects it and the second
    // click is swallowed.
    editor->SetCaret(0, 2);
    doubleClick();
    EXPECT_TRUE(editor->LineBreakpoint(2));
    EXPECT_EQ(editor->SelAnchor(), (TTextPos{0, 2}));
    EXPECT_EQ(editor->SelEnd(), (TTextPos{0, 3}));
}

namespace {

// The ink of one character cell: the pixel farthest from white, and which
// pixels carry ink at all.
struct TCellInk {
    QColor Darkest;
    std::vector<bool> Mask;
    int Count = 0;
};

TCellInk CellInk(const QImage& image, int row, int column) {
    TCellInk ink;
    int best = -1;
    const int top = 3 + row * 17 + 1;
    for (int y = top; y < top + 15; ++y)
        for (int x = 34 + column * 8; x < 34 + column * 8 + 8; ++x) {
            const QColor c = image.pixelColor(x, y);
            const int distance = 3 * 255 - c.red() - c.green() - c.blue();
            ink.Mask.push_back(distance > 90);
            ink.Count += distance > 90;
            if (distance > best) {
                best = distance;
                ink.Darkest = c;
            }
        }
    return ink;
}

bool Near(const QColor& c, int r, int g, int b) {
    return std::abs(c.red() - r) <= 24 && std::abs(c.green() - g) <= 24 && std::abs(c.blue() - b) <= 24;
}

} // namespace

TEST(EditorPaint, HighlightClassesChooseFontAndColour) {
    auto editor = MakeEditor(400, 100);
    static const TFormatClass formatter;
    editor->LineRoutine = [](std::string& line, bool open, int indent, TFormatResult& r) {
        return formatter.FormatLine(line, open, indent, r);
    };
    editor->LoadLines({"wenn wenn1 'wenn' -12 // wenn"});
    ASSERT_EQ(editor->LineInfo(0)->Classes, "000022222221111112444233333332");
    const QImage image = editor->grab().toImage();
    const TCellInk keyword = CellInk(image, 0, 0);
    const TCellInk normal = CellInk(image, 0, 5);
    const TCellInk string = CellInk(image, 0, 12);
    const TCellInk minus = CellInk(image, 0, 18);
    const TCellInk number = CellInk(image, 0, 19);
    const TCellInk comment = CellInk(image, 0, 25);
    EXPECT_TRUE(Near(keyword.Darkest, 0, 0, 0));
    EXPECT_TRUE(Near(normal.Darkest, 0, 0, 0));
    EXPECT_TRUE(Near(string.Darkest, 0, 0, 255));
    EXPECT_TRUE(Near(minus.Darkest, 0, 0, 255));
    EXPECT_TRUE(Near(number.Darkest, 0, 0, 255));
    EXPECT_TRUE(Near(comment.Darkest, 0, 192, 0));
    // The same letter w: bold for the keyword, upright and regular in the
    // string, slanted in the comment.
    EXPECT_GT(keyword.Count, normal.Count + 4);
    EXPECT_EQ(string.Mask, normal.Mask);
    EXPECT_NE(comment.Mask, normal.Mask);
    EXPECT_LT(std::abs(comment.Count - normal.Count), 8);
}

TEST(EditorPaint, ALineColourGivesWayToSelectedCells) {
    auto editor = MakeEditor(300, 200);
    editor->LoadLines({"abcdef", "ghijkl"});
    editor->LineInfo(0)->Color = 0x000000FF;
    editor->SetSelection({0, 2}, {0, 4});
    const QImage image = editor->grab().toImage();
    const int y = 3 + 1 + 14;  // bottom pixel row of row 0's cells
    EXPECT_EQ(PixelAt(image, 34 + 1 * 8 + 3, y), 0xFF0000u);
    EXPECT_EQ(PixelAt(image, 34 + 2 * 8 + 3, y), 0x000070u);
    EXPECT_EQ(PixelAt(image, 34 + 3 * 8 + 3, y), 0x000070u);
    EXPECT_EQ(PixelAt(image, 34 + 4 * 8 + 3, y), 0xFF0000u);
    EXPECT_EQ(PixelAt(image, 250, y), 0xFF0000u);  // the row's end keeps the colour
    // The selected characters are white.
    bool white = false;
    for (int x = 34 + 2 * 8; x < 34 + 4 * 8; ++x)
        for (int dy = 0; dy < 14; ++dy) white = white || PixelAt(image, x, 4 + dy) == 0xFFFFFFu;
    EXPECT_TRUE(white);
}

// The blink timer is driven by hand rather than waited for, so that a
// loaded machine cannot make the caret seem to blink late or twice.
TEST(EditorPaint, CaretBlinksEveryFourHundredMillisecondsWhileFocused) {
    auto editor = MakeEditor(300, 200);
    editor->LoadLines({"abc"});
    editor->activateWindow();
    editor->setFocus();
    QApplication::processEvents();
    if (!editor->hasFocus()) GTEST_SKIP() << "no keyboard focus on this platform";
    auto* blink = editor->findChild<QTimer*>(QStringLiteral("CaretBlink"));
    ASSERT_TRUE(blink);
    auto tick = [&] {
        ASSERT_TRUE(blink->isActive());
        QTimerEvent event(blink->timerId());
        QCoreApplication::sendEvent(blink, &event);
    };
    editor->SetCaret(0, 2);
    auto caretAt = [&](int column) {
        return PixelAt(editor->grab().toImage(), 34 + column * 8 - 1, 13) == 0x000000u;
    };
    EXPECT_EQ(blink->interval(), 400);
    EXPECT_TRUE(caretAt(2));
    tick();
    EXPECT_FALSE(caretAt(2));
    tick();
    EXPECT_TRUE(caretAt(2));
    tick();
    EXPECT_FALSE(caretAt(2));
    Key(*editor, Qt::Key_Right);  // a move shows it at once
    EXPECT_TRUE(caretAt(3));
    editor->clearFocus();
    QApplication::processEvents();
    EXPECT_FALSE(caretAt(3));
    EXPECT_FALSE(blink->isActive());  // without focus nothing blinks it back
}

TEST(EditorPaint, ScrollBarsAndWheelMoveTheViewTogether) {
    auto editor = MakeEditor(300, 200);
    Lines lines;
    for (int i = 0; i < 40; ++i) lines.push_back(i % 2 ? "" : std::string(60, 'x'));
    editor->LoadLines(lines);
    const auto bars = editor->findChildren<QScrollBar*>();
    QScrollBar* vertical = nullptr;
    QScrollBar* horizontal = nullptr;
    for (QScrollBar* bar : bars) (bar->orientation() == Qt::Vertical ? vertical : horizontal) = bar;
    ASSERT_TRUE(vertical && horizontal);
    ASSERT_TRUE(vertical->isVisible());
    ASSERT_TRUE(horizontal->isVisible());
    EXPECT_EQ(vertical->maximum(), 40 - editor->VisibleLines());
    EXPECT_EQ(horizontal->maximum(), 60 - editor->VisibleColumns());

    vertical->setValue(5);  // the user drags the bar
    EXPECT_EQ(editor->TopLine(), 5);
    // Line 5 is empty, line 6 full: the first row shows background, the
    // second characters.
    QImage image = editor->grab().toImage();
    bool ink0 = false, ink1 = false;
    for (int x = 34; x < 100; ++x)
        for (int dy = 0; dy < 14; ++dy) {
            ink0 = ink0 || PixelAt(image, x, 4 + dy) != 0xFFFFFFu;
            ink1 = ink1 || PixelAt(image, x, 4 + 17 + dy) != 0xFFFFFFu;
        }
    EXPECT_FALSE(ink0);
    EXPECT_TRUE(ink1);

    QWheelEvent wheel(QPointF(100, 50), editor->mapToGlobal(QPointF(100, 50)), QPoint(), QPoint(0, -240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(editor.get(), &wheel);
    EXPECT_EQ(editor->TopLine(), 7);
    EXPECT_EQ(vertical->value(), 7);

    editor->SetCaret(0, 60);
    EXPECT_EQ(editor->TopLine(), 0);
    EXPECT_EQ(vertical->value(), 0);
    EXPECT_EQ(horizontal->value(), editor->LeftColumn());
    EXPECT_GT(editor->LeftColumn(), 0);
    horizontal->setValue(0);
    EXPECT_EQ(editor->LeftColumn(), 0);
}

TEST(EditorPaint, GutterPicturesMatchTheirDescriptions) {
    auto colours = [](const QImage& image, int& red, int& white, int& black, int& rightmost) {
        red = white = black = 0;
        rightmost = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() < 128) continue;
                rightmost = std::max(rightmost, x);
                red += c.red() > 150 && c.green() < 60 && c.blue() < 60;
                white += c.red() > 200 && c.green() > 200 && c.blue() > 200;
                black += c.red() < 60 && c.green() < 60 && c.blue() < 60;
            }
    };
    int red, white, black, rightmost;
    TestApp();
    colours(GutterImages::Breakpoint(), red, white, black, rightmost);
    EXPECT_GT(red, 40);   // the stop sign
    EXPECT_GT(white, 5);  // its S
    EXPECT_LT(17 + rightmost, 31);  // the gutter's separator stays visible
    colours(GutterImages::Error(), red, white, black, rightmost);
    EXPECT_GT(red, 10);   // the triangle's border
    EXPECT_GT(black, 5);  // the exclamation mark
    EXPECT_LT(3 + rightmost, 17);  // leaves room for a breakpoint beside it
    colours(GutterImages::ErrorPosition(), red, white, black, rightmost);
    EXPECT_GT(red, 4);
    EXPECT_GT(white, red);  // its rim
    EXPECT_EQ(black, 0);
    EXPECT_EQ(GutterImages::Breakpoint().size(), QSize(16, 16));
}
