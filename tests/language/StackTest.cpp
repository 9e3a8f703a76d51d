#include "UStack.h"

#include <gtest/gtest.h>

TEST(Stack, EmptyStackYieldsNeutralValues) {
    TStack stack;
    EXPECT_EQ(stack.TopKind(), vkNone);
    EXPECT_EQ(stack.Peek(), nullptr);
    EXPECT_FALSE(stack.PopBoolean());
    EXPECT_EQ(stack.PopChar(), 0);
    EXPECT_EQ(stack.PopInteger(), 0);
    EXPECT_EQ(stack.PopDouble(), 0.0);
    EXPECT_EQ(stack.PopString(), "");
    EXPECT_EQ(stack.PopObject(), nullptr);
    EXPECT_EQ(stack.PopMarker(), NoMarker);
    EXPECT_EQ(stack.PopValue(), nullptr);
    EXPECT_EQ(stack.Count(), 0);
}

TEST(Stack, LastPushedIsFirstPopped) {
    TStack stack;
    stack.PushInteger(1);
    stack.PushString("b");
    stack.PushDouble(2.5);
    stack.PushMarker(4);
    stack.PushBoolean(true);
    EXPECT_EQ(stack.Count(), 5);
    EXPECT_EQ(stack.TopKind(), vkBoolean);
    EXPECT_TRUE(stack.PopBoolean());
    EXPECT_EQ(stack.PopMarker(), 4);
    EXPECT_EQ(stack.PopDouble(), 2.5);
    EXPECT_EQ(stack.PopString(), "b");
    EXPECT_EQ(stack.PopInteger(), 1);
    EXPECT_EQ(stack.Count(), 0);
}

TEST(Stack, PoppingTheWrongKindIsSilent) {
    TStack stack;
    stack.PushString("7");
    EXPECT_EQ(stack.PopInteger(), 0);
    stack.PushInteger(7);
    EXPECT_EQ(stack.PopMarker(), NoMarker);
    stack.PushInteger(7);
    EXPECT_EQ(stack.PopDouble(), 7.0);
}

TEST(Stack, PushCopyCopiesTheValueNotTheOwner) {
    TStack stack;
    TVariant value;
    value.SetString("abc");
    stack.PushCopy(value);
    value.SetString("changed");
    EXPECT_EQ(stack.Peek()->AsString(), "abc");
    EXPECT_EQ(stack.Peek()->Attribute(), nullptr);

    // A slot's own value pushed again, as "a + a" does with a copy of the top.
    stack.PushCopy(*stack.Peek());
    EXPECT_EQ(stack.PopString(), "abc");
    EXPECT_EQ(stack.PopString(), "abc");
}

TEST(Stack, GrowsByAThousandAndKeepsValues) {
    TStack stack;
    EXPECT_EQ(stack.Capacity(), 1000);
    for (int i = 0; i < 1000; ++i) stack.PushInteger(i);
    EXPECT_EQ(stack.Capacity(), 1000);
    stack.PushInteger(1000);
    EXPECT_EQ(stack.Capacity(), 2000);
    for (int i = 1000; i >= 0; --i) ASSERT_EQ(stack.PopInteger(), i);
}

TEST(Stack, SlotsAreReusedInPlace) {
    TStack stack;
    stack.PushString("first");
    TVariant* slot = stack.Peek();
    stack.PopString();
    stack.PushInteger(3);
    EXPECT_EQ(stack.Peek(), slot);
    EXPECT_EQ(stack.Peek()->AsString(), "");  // the old text is gone
    stack.Drop();
    stack.PushString("x");
    EXPECT_EQ(stack.Peek(), slot);
}

TEST(Stack, PopValueHandsOverTheSlotObject) {
    TStack stack;
    stack.PushInteger(5);
    TVariant* slot = stack.Peek();
    std::unique_ptr<TVariant> value = stack.PopValue();
    EXPECT_EQ(value.get(), slot);
    EXPECT_EQ(value->AsInteger(), 5);
    stack.PushInteger(6);  // the emptied slot gets a fresh value
    EXPECT_NE(stack.Peek(), slot);
    EXPECT_EQ(stack.PopInteger(), 6);
}

TEST(Stack, TruncateUnwindsOnlyDownwards) {
    TStack stack;
    for (int i = 0; i < 5; ++i) stack.PushInteger(i);
    stack.Truncate(7);
    EXPECT_EQ(stack.Count(), 5);
    stack.Truncate(2);
    EXPECT_EQ(stack.Count(), 2);
    EXPECT_EQ(stack.PopInteger(), 1);
    stack.Truncate(-1);
    EXPECT_EQ(stack.Count(), 1);
}
