#include "UFarbe.h"
#include "UStack.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Farbe, ClassAndMembers) {
    TFarbe f("f", nullptr);
    EXPECT_EQ(f.ClassName, "FARBE");
    EXPECT_EQ(f.ClassNumber, 67);
    EXPECT_FALSE(f.Drawable);
    std::vector<std::string> attributes, methods;
    for (auto& a : f.Attributes()) attributes.push_back(a->Name);
    for (auto& m : f.Methods()) methods.push_back(m->Name);
    EXPECT_EQ(attributes, (std::vector<std::string>{"rot", "gruen", "blau"}));
    EXPECT_EQ(methods,
              (std::vector<std::string>{"setzergb", "rotSetzen", "gruenSetzen", "blauSetzen"}));
    const TMethode* setzergb = f.FindMethod("SetzeRGB");
    ASSERT_NE(setzergb, nullptr);
    EXPECT_EQ(setzergb->MethodNumber, 1);
    ASSERT_EQ(setzergb->Parameters.size(), 3u);
    EXPECT_EQ(setzergb->Parameters[0].Name, "Rotwert");
    EXPECT_EQ(setzergb->Parameters[1].Name, "Gruenwert");
    EXPECT_EQ(setzergb->Parameters[2].Name, "Blauwert");
    EXPECT_EQ(setzergb->Parameters[2].Kind, vkInteger);
    EXPECT_FALSE(setzergb->HasResult());
    EXPECT_EQ(f.ColourValue(), 0u);

    TFarbe bare("b", nullptr, true);
    EXPECT_EQ(bare.Methods().size(), 1u);
}

TEST(Farbe, SetzeRGBPopsBlueGreenRedAndClamps) {
    TFarbe f("f", nullptr);
    TStack stack;
    stack.PushInteger(300);
    stack.PushInteger(-5);
    stack.PushInteger(128);
    f.FindMethod("setzergb")->Invoke(stack);
    EXPECT_EQ(stack.Count(), 0);
    EXPECT_EQ(f.Rot(), 255);
    EXPECT_EQ(f.Gruen(), 0);
    EXPECT_EQ(f.Blau(), 128);
    EXPECT_EQ(f.ColourValue(), 0x8000FFu);

    stack.PushInteger(1);
    f.CallMethod(2, stack);  // unknown numbers do nothing
    EXPECT_EQ(stack.Count(), 1);
}

TEST(Farbe, SetterAndAttributeAssignmentClamp) {
    TFarbe f("f", nullptr, 10, 20, 30);
    TStack stack;
    stack.PushInteger(300);
    f.FindMethod("ROTSETZEN")->Invoke(stack);
    EXPECT_EQ(f.Rot(), 255);
    TVariant value(-7);
    f.FindAttribute("blau")->Store(value);
    EXPECT_EQ(f.Blau(), 0);
    EXPECT_EQ(f.ColourValue(), 255u + 20u * 256);
}

TEST(Farbe, AssignCloneAndColourValue) {
    TFarbe source("s", nullptr, 166, 202, 240);
    TFarbe target("t", nullptr);
    target.Assign(source);
    EXPECT_EQ(target.ColourValue(), source.ColourValue());
    EXPECT_EQ(target.Name, "t");

    auto copy = source.Clone("kopie", &target);
    auto* colour = dynamic_cast<TFarbe*>(copy.get());
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->Name, "kopie");
    EXPECT_EQ(colour->Owner, &target);
    EXPECT_EQ(colour->Blau(), 240);
    EXPECT_EQ(colour->Methods().size(), 4u);

    target.SetFromColourValue(0x00C0C0C1);
    EXPECT_EQ(target.Rot(), 0xC1);
    EXPECT_EQ(target.Gruen(), 0xC0);
    EXPECT_EQ(target.Blau(), 0xC0);
    EXPECT_EQ(target.ColourValue(), 0xC0C0C1u);
}
