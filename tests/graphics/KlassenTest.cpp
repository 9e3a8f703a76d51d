// The class factory: lookups, prototypes and new objects.
#include "FakeCanvas.h"
#include "UFarbe.h"
#include "UFenster.h"
#include "UFigur.h"
#include "UKlassen.h"

#include <gtest/gtest.h>

TEST(KlassenFabrik, LooksUpClassNamesFoldingOnlyAsciiLetters) {
    TKlassenFabrik fabrik;
    for (const char* name : {"fenster", "Fenster", "FENSTER", "fEnStEr"}) {
        EXPECT_TRUE(fabrik.IsClassName(name)) << name;
        EXPECT_EQ(fabrik.ClassNumberOf(name), 41) << name;
    }
    EXPECT_EQ(fabrik.ClassNumberOf("Farbe"), 67);
    EXPECT_EQ(fabrik.ClassNumberOf("figur"), 2);
    // The filled figure's class name has the byte 0xDC; its lower-case 0xFC is
    // not folded, and the spelled-out prototype name is no class name.
    EXPECT_EQ(fabrik.ClassNumberOf("Gef\xDClltefigur"), 4);
    EXPECT_FALSE(fabrik.IsClassName("gef\xFClltefigur"));
    EXPECT_FALSE(fabrik.IsClassName("GefuellteFigur"));
    EXPECT_FALSE(fabrik.IsClassName("GEFUELLTEFIGUR"));
    EXPECT_EQ(fabrik.ClassNumberOf("Zahl"), 0);
    EXPECT_EQ(fabrik.ClassNumberOf(""), 0);
    EXPECT_EQ(fabrik.FindByName("nix"), nullptr);
    EXPECT_EQ(fabrik.CreateObject("nix", "n", nullptr), nullptr);
}

TEST(KlassenFabrik, PrototypesKeepTheTableOrderAndNames) {
    TKlassenFabrik fabrik;
    std::vector<std::string> names;
    for (const auto& p : fabrik.Prototypes()) {
        names.push_back(p->Name);
        EXPECT_EQ(p->Owner, nullptr);
    }
    // The concrete figure classes join in their places as they are written;
    // the base classes keep their relative order at the end of the table.
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(names.end() - 3, names.end()),
              (std::vector<std::string>{"FARBE", "FIGUR", "GEFUELLTEFIGUR"}));
    EXPECT_NE(std::find(names.begin(), names.end(), "FENSTER"), names.end());

    TObjekt* filled = fabrik.FindByNumber(4);
    ASSERT_NE(filled, nullptr);
    EXPECT_EQ(filled->Name, "GEFUELLTEFIGUR");
    EXPECT_EQ(filled->ClassName, "GEF\xDCLLTEFIGUR");
    EXPECT_EQ(fabrik.FindByNumber(3), nullptr);
    // Prototypes have their setters.
    EXPECT_NE(fabrik.FindByName("figur")->FindMethod("linksSetzen"), nullptr);
    EXPECT_NE(fabrik.FindByName("farbe")->FindMethod("rotSetzen"), nullptr);
}

TEST(KlassenFabrik, NewObjectsAreDistinctWithClassDefaults) {
    TKlassenFabrik fabrik;
    auto a = fabrik.CreateObject("Gef\xDClltefigur", "a", nullptr);
    auto b = fabrik.CreateObject("GEF\xDCLLTEFIGUR", "b", nullptr);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(a->Name, "a");
    EXPECT_EQ(a->ClassNumber, 4);
    auto& fa = static_cast<TGefuellteFigur&>(*a);
    fa.MoveBy(5, 5);
    fa.Fuellfarbe().SetzeRGB(0, 0, 0);
    auto& fb = static_cast<TGefuellteFigur&>(*b);
    auto& proto = static_cast<TGefuellteFigur&>(*fabrik.FindByNumber(4));
    EXPECT_EQ(TFigur::GetInt(fb.ALinks), -10);
    EXPECT_EQ(TFigur::GetInt(proto.ALinks), -10);
    EXPECT_EQ(fb.Fuellfarbe().ColourValue(), 0xFFFFFFu);
    EXPECT_EQ(proto.Fuellfarbe().ColourValue(), 0xFFFFFFu);
}

TEST(KlassenFabrik, WindowPrototypeHasNoDrawingWindowButItsObjectsDo) {
    TFakeHost host;
    TKlassenFabrik fabrik;
    auto* proto = static_cast<TFenster*>(fabrik.FindByName("fenster"));
    EXPECT_EQ(proto->DrawingWindow(), nullptr);
    EXPECT_EQ(host.Created, 0);
    // A variable named like the class still gets its window.
    auto w = fabrik.CreateObject("Fenster", "FENSTER", nullptr);
    EXPECT_NE(static_cast<TFenster&>(*w).DrawingWindow(), nullptr);
    EXPECT_EQ(host.Created, 1);
}
