// The concrete figure classes in the class factory.
#include "UFigur.h"
#include "UKlassen.h"
#include "UObjekt.h"
#include "UStack.h"

#include <gtest/gtest.h>

TEST(FigurenFabrik, FigureClassesHaveTheirPrototypes) {
    TKlassenFabrik fabrik;
    const struct {
        const char* Name;
        std::int32_t Number;
    } rows[] = {{"RECHTECK", 16}, {"QUADRAT", 32}, {"ELLIPSE", 44}, {"KREIS", 52},
                {"DREIECK", 364}, {"LINIE", 46},   {"TEXTFELD", 272}};
    for (const auto& row : rows) {
        TObjekt* p = fabrik.FindByName(row.Name);
        ASSERT_NE(p, nullptr) << row.Name;
        EXPECT_EQ(p->Name, row.Name);
        EXPECT_EQ(p->ClassName, row.Name);
        EXPECT_EQ(p->ClassNumber, row.Number);
        EXPECT_TRUE(p->Drawable);
        EXPECT_EQ(fabrik.FindByNumber(row.Number), p);
    }
    // Rectangle and square come first, before the window.
    ASSERT_GE(fabrik.Prototypes().size(), 3u);
    EXPECT_EQ(fabrik.Prototypes()[0]->Name, "RECHTECK");
    EXPECT_EQ(fabrik.Prototypes()[1]->Name, "QUADRAT");
    EXPECT_EQ(fabrik.Prototypes()[2]->Name, "FENSTER");
}

TEST(FigurenFabrik, DeclaredFiguresAreIndependentCopies) {
    TKlassenFabrik fabrik;
    for (const char* name : {"Rechteck", "quadrat", "Ellipse", "Kreis", "Dreieck", "Linie", "Textfeld"}) {
        auto a = fabrik.CreateObject(name, "a", nullptr);
        auto b = fabrik.CreateObject(name, "b", nullptr);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->Name, "a");
        auto* fa = dynamic_cast<TFigur*>(a.get());
        ASSERT_NE(fa, nullptr);
        TStack stack;
        stack.PushInteger(30);
        stack.PushInteger(40);
        fa->CallMethod(TFigur::mnVerschieben, stack);
        EXPECT_EQ(dynamic_cast<TFigur&>(*b).Left + 30, fa->Left) << name;
        EXPECT_EQ(dynamic_cast<TFigur&>(*fabrik.FindByName(name)).Left + 30, fa->Left) << name;
        EXPECT_NE(a->FindMethod("sichtbarSetzen"), nullptr) << name;
    }
}
