// The text field: fitting the frame to the text, alignment and drawing.
// Text is measured on a recording canvas: 8 pixels per character, lines 15
// high, and 18 for the "HDF|g" probe of multi-line text.
#include "FigureRecorder.h"
#include "UFarbe.h"
#include "UTextMass.h"
#include "UTextfeld.h"

#include <gtest/gtest.h>

using namespace figtest;

namespace {

using TStrings = std::vector<std::string>;

class TextfeldTest : public ::testing::Test {
protected:
    TextfeldTest() { SetTextMeasureCanvas(&Measure); }
    ~TextfeldTest() override { SetTextMeasureCanvas(nullptr); }

    TRecordingCanvas Measure;
    TTextfeld T{"t", nullptr};
    TDrawArea Area;
};

std::vector<TRecordedCall> Texts(const std::vector<TRecordedCall>& calls) {
    std::vector<TRecordedCall> texts;
    for (const auto& c : calls)
        if (c.Op == "Text") texts.push_back(c);
    return texts;
}

} // namespace

TEST_F(TextfeldTest, MembersInRegistrationOrder) {
    EXPECT_EQ(T.ClassName, "TEXTFELD");
    EXPECT_EQ(T.ClassNumber, 272);
    EXPECT_TRUE(T.Drawable);
    EXPECT_EQ(VisibleAttributes(T),
              (TStrings{"sichtbar", "links", "oben", "rechts", "unten", "randstaerke", "randart", "randfarbe", "breite",
                        "hoehe", "fuellfarbe", "fuellart", "groesseAutomatischAnpassen", "ausrichtungHorizontal",
                        "ausrichtungVertikal", "schriftart", "schriftgroesse", "schriftfarbe", "durchsichtig"}));
    const TStrings methods = VisibleMethods(T);
    ASSERT_GE(methods.size(), 11u);
    EXPECT_EQ(TStrings(methods.begin() + 9, methods.begin() + 11), (TStrings{"zeileHinzufuegen", "zeilenLoeschen"}));
    EXPECT_EQ(T.FindMethod("zeileHinzufuegen")->Parameters.at(0).Name, "Text");
    EXPECT_EQ(T.FindMethod("zeileHinzufuegen")->Parameters.at(0).Kind, vkString);
    EXPECT_TRUE(T.AutoSize());
    EXPECT_EQ(T.ASchriftart->Value.AsString(), "Arial");
    EXPECT_EQ(Get(T, "schriftgroesse"), 12);
    EXPECT_EQ(TFigur::ColourOf(T.ASchriftfarbe).ColourValue(), 0u);
    EXPECT_EQ(TFigur::ColourOf(T.ASchriftfarbe).Name, "schriftfarbe");
    EXPECT_FALSE(TFigur::GetBool(T.ADurchsichtig));
}

TEST_F(TextfeldTest, OneLineFitsTheFrameAndMovingKeepsTheSize) {
    CallByName(T, "zeileHinzufuegen", "Hallo");
    // h 15, g round(15 / 4) = 4, w 40.
    EXPECT_EQ(BoxOf(T), (TBox{-10, 10, 38, -13}));
    // Adding a line sets only the edges; the size attributes follow at the
    // next change.
    EXPECT_EQ(Get(T, "breite"), 20);
    EXPECT_EQ(Get(T, "hoehe"), 20);
    EXPECT_EQ(Measure.Font.Name, "Arial");
    EXPECT_EQ(Measure.Font.Size, 12);
    CallByName(T, "verschieben", 5, 5);
    EXPECT_EQ(BoxOf(T), (TBox{-5, 15, 43, -8}));
    EXPECT_EQ(Get(T, "breite"), 48);
    EXPECT_EQ(Get(T, "hoehe"), 23);
    CallByName(T, "linksObenSetzen", 0, 0);
    EXPECT_EQ(BoxOf(T), (TBox{0, 0, 48, -23}));
}

TEST_F(TextfeldTest, SeveralLinesShareTheProbeHeight) {
    CallByName(T, "zeileHinzufuegen", "ab");
    CallByName(T, "zeileHinzufuegen", "abcdef");
    CallByName(T, "zeileHinzufuegen", "abc");
    // h 18, g round(4.5) = 4 (halves to even), t 3 * 18 + 2 * 4 = 62, w 48.
    EXPECT_EQ(BoxOf(T), (TBox{-10, 10, 46, -60}));
}

TEST_F(TextfeldTest, FontChangesRefitTheFrame) {
    CallByName(T, "zeileHinzufuegen", "abcd");
    T.ASchriftart->Value.SetString("Courier New");
    T.AttributeChanged(T.ASchriftart);
    EXPECT_EQ(Measure.Font.Name, "Courier New");
    // Cleared lines are measured afresh: a shorter line gives a narrower frame.
    CallByName(T, "zeilenLoeschen");
    CallByName(T, "zeileHinzufuegen", "a");
    EXPECT_EQ(BoxOf(T), (TBox{-10, 10, 6, -13}));
}

TEST_F(TextfeldTest, AddingALineMeasuresOnlyThatLine) {
    for (int i = 0; i < 50; ++i) CallByName(T, "zeileHinzufuegen", "x");
    EXPECT_EQ(Measure.Measured, 50);
}

TEST_F(TextfeldTest, WithoutLinesTheFrameCollapsesAtTheNextAssignment) {
    EXPECT_EQ(BoxOf(T), (TBox{-10, 10, 10, -10}));
    Set(T, "fuellart", 1);
    EXPECT_EQ(BoxOf(T), (TBox{-10, 10, -10, 10}));
    EXPECT_EQ(Get(T, "breite"), 0);
    EXPECT_EQ(Get(T, "hoehe"), 0);
}

TEST_F(TextfeldTest, ClearingLinesKeepsTheFrame) {
    CallByName(T, "zeileHinzufuegen", "Hallo");
    CallByName(T, "zeilenLoeschen");
    EXPECT_TRUE(T.Lines().empty());
    EXPECT_EQ(BoxOf(T), (TBox{-10, 10, 38, -13}));
}

TEST_F(TextfeldTest, WithoutAutomaticSizeTheFrameIsSetByHand) {
    SetBool(T, "groesseAutomatischAnpassen", false);
    CallByName(T, "zeileHinzufuegen", "Hallo Welt");
    EXPECT_EQ(BoxOf(T), (TBox{-10, 10, 10, -10}));
    Set(T, "breite", 100);
    EXPECT_EQ(BoxOf(T), (TBox{-10, 10, 90, -10}));
}

TEST_F(TextfeldTest, StretchMovesOnlyTheTopLeftCorner) {
    CallByName(T, "zeileHinzufuegen", "Hallo");
    CallByName(T, "streckenAn", 0, 0, 2.0);
    EXPECT_EQ(BoxOf(T), (TBox{-20, 20, 28, -3}));
    EXPECT_EQ(Get(T, "breite"), 48);
}

TEST_F(TextfeldTest, DrawsFrameThenCentredText) {
    CallByName(T, "zeileHinzufuegen", "Hallo");
    TFigur::ColourOf(T.ASchriftfarbe).SetzeRGB(255, 0, 0);
    auto& calls = Area.Draw(T);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].Op, "Rectangle");
    EXPECT_EQ(calls[0].Points, (std::vector<TPoint>{{90, 90}, {139, 114}}));
    EXPECT_EQ(calls[0].Brush.Style, 0);
    EXPECT_EQ(calls[1].Op, "Text");
    EXPECT_EQ(calls[1].Text, "Hallo");
    // Centred in a frame 48 by 23: x -10 + round((48 - 40) / 2), y 10 - round((23 - 15) / 2).
    EXPECT_EQ(calls[1].Points[0], (TPoint{94, 94}));
    EXPECT_EQ(calls[1].Brush.Style, 1);
    EXPECT_EQ(calls[1].Font.Name, "Arial");
    EXPECT_EQ(calls[1].Font.Size, 12);
    EXPECT_EQ(calls[1].Font.Color, 0x0000FFu);
    EXPECT_EQ(Area.Recorder().Brush.Style, 0);
}

TEST_F(TextfeldTest, AlignsLinesInALargerFrame) {
    SetBool(T, "groesseAutomatischAnpassen", false);
    T.AttributeChanged(nullptr);
    CallByName(T, "eckenSetzen", 0, 0, 100, -100);
    CallByName(T, "zeileHinzufuegen", "ab");
    CallByName(T, "zeileHinzufuegen", "abcd");
    // h 18, g 4, t 40; widths 16 and 32; origin (100, 100).
    struct TCase {
        int Horizontal, Vertical;
        std::vector<TPoint> Expected;
    };
    const TCase cases[] = {
        {0, 0, {{142, 130}, {134, 152}}},  // centred: top 0 - round(60 / 2)
        {1, 1, {{104, 104}, {104, 126}}},  // left and top: the gap from the frame
        {2, 2, {{180, 156}, {164, 178}}},  // right and bottom: -100 + 40 + 4 is the top
        {7, -1, {{100, 100}, {100, 122}}}, // other values: the frame's top left
    };
    for (const TCase& c : cases) {
        Set(T, "ausrichtungHorizontal", c.Horizontal);
        Set(T, "ausrichtungVertikal", c.Vertical);
        const auto texts = Texts(Area.Draw(T));
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ((std::vector<TPoint>{texts[0].Points[0], texts[1].Points[0]}), c.Expected)
            << c.Horizontal << "/" << c.Vertical;
    }
}

TEST_F(TextfeldTest, SeeThroughDrawsOnlyTheTextAndInvisibleNothing) {
    CallByName(T, "zeileHinzufuegen", "Hallo");
    SetBool(T, "durchsichtig", true);
    auto& calls = Area.Draw(T);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Op, "Text");
    SetBool(T, "sichtbar", false);
    EXPECT_TRUE(Area.Draw(T).empty());
}

TEST_F(TextfeldTest, TurnedFieldPlacesUnturnedTextInItsBounds) {
    CallByName(T, "zeileHinzufuegen", "Hallo");
    CallByName(T, "drehen", 90.0);
    auto& calls = Area.Draw(T);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].Op, "Polygon");
    EXPECT_EQ(calls[1].Op, "Text");
}

TEST_F(TextfeldTest, LinesBelowTheSurfaceAreNotDrawn) {
    for (int i = 0; i < 1000; ++i) CallByName(T, "zeileHinzufuegen", "Zeile");
    const auto texts = Texts(Area.Draw(T));
    // Top of the first line at pixel 94, then one line every 22 pixels down to 200.
    EXPECT_EQ(texts.size(), 5u);
}

TEST_F(TextfeldTest, AssignCopiesTextFontAlignmentAndSizing) {
    CallByName(T, "zeileHinzufuegen", "eins");
    CallByName(T, "zeileHinzufuegen", "zwei");
    Set(T, "ausrichtungHorizontal", 1);
    Set(T, "ausrichtungVertikal", 2);
    Set(T, "schriftgroesse", 20);
    SetBool(T, "durchsichtig", true);
    SetBool(T, "groesseAutomatischAnpassen", false);
    TFigur::ColourOf(T.ASchriftfarbe).SetzeRGB(1, 2, 3);
    auto copy = T.Clone("k", nullptr);
    auto& k = dynamic_cast<TTextfeld&>(*copy);
    EXPECT_EQ(k.Lines(), T.Lines());
    EXPECT_EQ(Get(k, "ausrichtungHorizontal"), 1);
    EXPECT_EQ(Get(k, "ausrichtungVertikal"), 2);
    EXPECT_EQ(Get(k, "schriftgroesse"), 20);
    EXPECT_TRUE(TFigur::GetBool(k.ADurchsichtig));
    EXPECT_FALSE(k.AutoSize());
    EXPECT_EQ(TFigur::ColourOf(k.ASchriftfarbe).ColourValue(), 0x030201u);
    EXPECT_EQ(BoxOf(k), BoxOf(T));
}

TEST_F(TextfeldTest, AssignLeavesTheTargetsAutomaticSizing) {
    SetBool(T, "groesseAutomatischAnpassen", false);
    CallByName(T, "zeileHinzufuegen", "eins");
    Set(T, "breite", 100);
    TTextfeld target{"z", nullptr};
    target.Assign(T);
    EXPECT_TRUE(target.AutoSize());
    EXPECT_EQ(BoxOf(target), BoxOf(T));  // the frame is copied as it is
    Set(target, "randstaerke", 2);       // ... and fitted at the next change
    EXPECT_EQ(Get(target, "breite"), 4 * 8 + 2 * 4);
}

TEST(TextMass, EstimateWithoutAnInstalledCanvas) {
    SetTextMeasureCanvas(nullptr);
    TCanvas& c = TextMeasureCanvas();
    c.Font.Size = 12;  // 16 pixels
    EXPECT_EQ(c.TextHeight("x"), 18);
    EXPECT_EQ(c.TextWidth("abcde"), 44);
    c.Font.Size = -2000000000;
    EXPECT_GT(c.TextHeight("x"), 0);
    EXPECT_GT(c.TextWidth(std::string(1000, 'x')), 0);
}

// A loop that doubles a text reaches millions of characters; measuring and
// drawing all of them at every repaint froze the window. Only the first
// 10000 characters of a line, far more than any screen shows, are measured
// and drawn.
TEST_F(TextfeldTest, AVeryLongLineIsMeasuredAndDrawnOnlyAsFarAsItCanBeSeen) {
    const std::string line = "Anfang" + std::string(3000000, 'x');
    CallByName(T, "zeileHinzufuegen", line.c_str());
    EXPECT_EQ(Get(T, "rechts") - Get(T, "links"), 8 * 10000 + 2 * 4);
    const auto texts = Texts(Area.Draw(T));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Text, line.substr(0, 10000));
}
