// Counts heap allocations to prove that a warm stack evaluates without
// allocating. The sanitizer build has its own allocator, so there the test
// is skipped and the counting replacement is left out.
#include "UStack.h"

#include "CountingNew.h"

#include <gtest/gtest.h>

#if ZAK_COUNT_ALLOCATIONS
namespace {

// What evaluating  'Summe: ' + (a + 2.5) * 3  and a comparison does to the stack.
void Evaluate(TStack& stack, const TVariant& a) {
    stack.PushString("Summe: ");
    stack.PushCopy(a);
    stack.PushDouble(2.5);
    double right = stack.PopDouble();
    stack.Peek()->SetDouble(stack.Peek()->AsDouble() + right);
    stack.PushInteger(3);
    right = stack.PopDouble();
    stack.Peek()->SetDouble(stack.Peek()->AsDouble() * right);
    TVariant* result = stack.Peek();
    stack.Drop();
    stack.Peek()->Concat(*result);
    stack.PushMarker(2);
    stack.PushBoolean(stack.Peek()->AsMarker() == 2);
    stack.Truncate(0);
}

} // namespace
#endif

TEST(StackAllocation, WarmStackEvaluatesWithoutAllocating) {
#if ZAK_COUNT_ALLOCATIONS
    TStack stack;
    TVariant a;
    a.SetInteger(40);
    Evaluate(stack, a);  // warms the slots and the string's capacity
    const long before = Allocations.load();
    for (int i = 0; i < 100; ++i) Evaluate(stack, a);
    EXPECT_EQ(Allocations.load(), before);

    // The counter is live: a value taken out with PopValue is replaced by a
    // fresh one on the next push.
    stack.PushInteger(1);
    auto taken = stack.PopValue();
    stack.PushInteger(2);
    EXPECT_GT(Allocations.load(), before);
#else
    GTEST_SKIP() << "allocation counting is off under the sanitizers";
#endif
}
