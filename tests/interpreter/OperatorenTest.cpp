// The one rule set of the operators against a plain reference in wider
// arithmetic, and against the kinds the syntax check expects: whatever the
// evaluator and the kept forms compute must be what the check typed.
#include "FuzzRounds.h"
#include "UMeldungen.h"
#include "UOperatoren.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr int BinaryOperators[] = {OPlus,   OMinus,         OMal,          OGeteilt,  OGleich, OGroesser,
                                   OKleiner, OGroessergleich, OKleinergleich, OUngleich, KUnd,    KOder};

TOperand Integer(std::int32_t value) { return {vkInteger, false, value, 0.0}; }
TOperand Real(double value) { return {vkReal, false, 0, value}; }
TOperand Boolean(bool value) { return {vkBoolean, value, 0, 0.0}; }

// Integers near the edges and around zero, Reals of every size, Booleans.
TOperand RandomOperand(std::mt19937& r) {
    constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();
    const std::int32_t edges[] = {0, 1, -1, 2, 7, -7, 46341, -46341, Max, Max - 1, Min, Min + 1};
    switch (r() % 6) {
    case 0: return Integer(edges[r() % std::size(edges)]);
    case 1: return Integer(static_cast<std::int32_t>(r()));
    case 2: return Integer(static_cast<std::int32_t>(r() % 201) - 100);
    // Finite as every value of a variable, from nearly the largest down
    // into the subnormal numbers.
    case 3: return Real(std::ldexp(static_cast<double>(r()) - 2147483648.0, static_cast<int>(r() % 2061) - 1100));
    case 4: return Real(static_cast<double>(r() % 9) / 2 - 2);
    default: return Boolean(r() % 2 != 0);
    }
}

// What `a op b` must give: the message, or the value in wider arithmetic.
struct TExpected {
    const char* Message = nullptr;
    long double Value = 0;
};

TExpected Reference(int op, const TOperand& a, const TOperand& b) {
    const bool integers = a.Kind == vkInteger && b.Kind == vkInteger;
    const long double x = integers ? a.Integer : static_cast<long double>(a.AsDouble());
    const long double y = integers ? b.Integer : static_cast<long double>(b.AsDouble());
    if (op == OGeteilt && y == 0) return {Meldung::DivisionDurchNull};
    long double value = 0;
    switch (op) {
    case OPlus: value = x + y; break;
    case OMinus: value = x - y; break;
    case OMal: value = x * y; break;
    default: value = integers ? std::trunc(x / y) : x / y; break;
    }
    if (integers) {
        const bool fits = value >= std::numeric_limits<std::int32_t>::min() &&
                          value <= std::numeric_limits<std::int32_t>::max();
        return fits ? TExpected{nullptr, value} : TExpected{Meldung::IntegerBereich};
    }
    const double rounded = static_cast<double>(value);
    return std::isfinite(rounded) ? TExpected{nullptr, value} : TExpected{Meldung::KeineGueltigeZahl};
}

TEST(Operators, AgreeWithWideArithmeticAndWithTheKindsTheCheckExpects) {
    std::mt19937 r(FuzzSeed(20261208));
    const int rounds = FuzzRounds(1) * 20000;
    for (int i = 0; i < rounds; ++i) {
        const int op = BinaryOperators[r() % std::size(BinaryOperators)];
        const TOperand a = RandomOperand(r);
        const TOperand b = RandomOperand(r);
        if (!Takes(op, a.Kind) || !Takes(op, b.Kind)) continue;
        SCOPED_TRACE(std::string(TokenName(op)) + " " + std::to_string(a.Kind) + ":" + std::to_string(a.Integer) +
                     "/" + std::to_string(a.Real) + " " + std::to_string(b.Kind) + ":" +
                     std::to_string(b.Integer) + "/" + std::to_string(b.Real));
        TOperand result = a;
        const char* message = ApplyBinary(op, result, b);
        if (message) {
            // A failure leaves the left operand as it was.
            EXPECT_EQ(result.Kind, a.Kind);
            EXPECT_EQ(result.Integer, a.Integer);
            EXPECT_EQ(result.Real, a.Real);
        } else {
            EXPECT_EQ(result.Kind, ResultKind(op, a.Kind, b.Kind));
        }
        switch (OperatorLevel(op)) {
        case olLogic:
            EXPECT_EQ(message, nullptr);
            EXPECT_EQ(result.Boolean, op == KUnd ? a.Boolean && b.Boolean : a.Boolean || b.Boolean);
            break;
        case olRelation: {
            const long double x = a.Kind == vkInteger ? a.Integer : a.Real;
            const long double y = b.Kind == vkInteger ? b.Integer : b.Real;
            EXPECT_EQ(message, nullptr);
            EXPECT_EQ(result.Boolean, HoldsRelation(op, x, y));
            break;
        }
        default: {
            const TExpected expected = Reference(op, a, b);
            EXPECT_STREQ(message, expected.Message);
            if (message || expected.Message) break;
            // The wider Real may round once more on its way to a double.
            if (result.Kind == vkInteger) EXPECT_EQ(result.Integer, static_cast<std::int32_t>(expected.Value));
            else EXPECT_DOUBLE_EQ(result.Real, static_cast<double>(expected.Value));
        }
        }
    }
}

TEST(Operators, UnaryOperatorsAndTheKindsEachOperatorTakes) {
    constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();
    TOperand n = Integer(Min + 1);
    EXPECT_EQ(ApplyUnary(OMinus, n), nullptr);
    EXPECT_EQ(n.Integer, std::numeric_limits<std::int32_t>::max());
    n = Integer(Min);
    EXPECT_STREQ(ApplyUnary(OMinus, n), Meldung::IntegerBereich);
    EXPECT_EQ(n.Integer, Min);
    TOperand x = Real(-0.5);
    EXPECT_EQ(ApplyUnary(OMinus, x), nullptr);
    EXPECT_EQ(x.Real, 0.5);
    TOperand b = Boolean(false);
    EXPECT_EQ(ApplyUnary(KNicht, b), nullptr);
    EXPECT_TRUE(b.Boolean);

    // Only + joins Strings; the logic operators take Booleans alone.
    for (const int op : BinaryOperators) {
        SCOPED_TRACE(TokenName(op));
        const bool logic = OperatorLevel(op) == olLogic;
        EXPECT_EQ(Takes(op, vkBoolean), logic);
        EXPECT_EQ(Takes(op, vkInteger), !logic);
        EXPECT_EQ(Takes(op, vkReal), !logic);
        EXPECT_EQ(Takes(op, vkString), op == OPlus);
        EXPECT_FALSE(Takes(op, vkChar));
        EXPECT_FALSE(Takes(op, vkObjekt));
    }
    EXPECT_EQ(ResultKind(OPlus, vkInteger, vkString), vkString);
    EXPECT_EQ(ResultKind(OMinus, vkInteger, vkInteger), vkInteger);
    EXPECT_EQ(ResultKind(OGeteilt, vkInteger, vkReal), vkReal);
    EXPECT_FALSE(IsRelation(OPlus) || IsRelation(KUnd) || IsRelation(ODoppelpunktgleich));
}

} // namespace
