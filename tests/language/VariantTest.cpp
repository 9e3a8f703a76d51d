#include "SeparatorScope.h"
#include "UDecimalSeparator.h"
#include "UMeldungen.h"
#include "UObjekt.h"
#include "UVariant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Variant, NewValueIsChangedBooleanFalse) {
    TVariant v;
    EXPECT_EQ(v.Kind(), vkBoolean);
    EXPECT_FALSE(v.AsBoolean());
    EXPECT_TRUE(v.Changed());
    EXPECT_EQ(v.Attribute(), nullptr);
    EXPECT_EQ(TVariant(42).AsInteger(), 42);
    EXPECT_EQ(TVariant(static_cast<TObjekt*>(nullptr)).Kind(), vkObjekt);
}

TEST(Variant, ReadsOfEveryKindFollowTheConversionTable) {
    TVariant v;
    v.SetChar('A');
    EXPECT_EQ(v.AsInteger(), 65);
    EXPECT_EQ(v.AsDouble(), 65.0);
    EXPECT_FALSE(v.AsBoolean());
    EXPECT_EQ(v.AsString(), "");

    v.SetInteger(65);
    EXPECT_EQ(v.AsChar(), 'A');
    EXPECT_EQ(v.AsDouble(), 65.0);
    v.SetInteger(300);
    EXPECT_EQ(v.AsChar(), 0);
    v.SetInteger(-1);
    EXPECT_EQ(v.AsChar(), 0);
    EXPECT_EQ(v.AsInteger(), -1);

    v.SetDouble(2.75);
    EXPECT_EQ(v.AsInteger(), 0);  // only round and trunc turn a Real into an Integer
    EXPECT_EQ(v.AsChar(), 0);
    EXPECT_EQ(v.AsDouble(), 2.75);

    v.SetString("abc");
    EXPECT_EQ(v.AsInteger(), 0);
    EXPECT_EQ(v.AsDouble(), 0.0);
    EXPECT_EQ(v.AsObject(), nullptr);

    v.SetBoolean(true);
    EXPECT_TRUE(v.AsBoolean());
    EXPECT_EQ(v.AsInteger(), 0);
    EXPECT_EQ(v.AsMarker(), NoMarker);

    v.SetMarker(3);
    EXPECT_EQ(v.Kind(), vkMarker);
    EXPECT_EQ(v.AsMarker(), 3);
    EXPECT_EQ(v.AsInteger(), 0);
    EXPECT_EQ(v.AsMethod(), nullptr);
}

TEST(Variant, LeavingStringClearsItAndSetKindGivesTheZero) {
    TVariant v;
    v.SetString("a long text that does not fit a small buffer");
    v.SetInteger(7);
    EXPECT_EQ(v.AsString(), "");
    v.SetString("x");
    v.SetKind(vkInteger);
    EXPECT_EQ(v.Kind(), vkInteger);
    EXPECT_EQ(v.AsInteger(), 0);

    // A changed kind never reinterprets the old payload.
    v.SetInteger(5);
    v.SetKind(vkReal);
    EXPECT_EQ(v.AsDouble(), 0.0);
    v.SetDouble(1.5);
    v.SetKind(vkReal);
    EXPECT_EQ(v.AsDouble(), 1.5);
}

TEST(Variant, ChangedFlagIsSetByWritersButNotByMarkersOrSetKind) {
    TVariant v;
    v.SetChanged(false);
    v.SetMarker(1);
    v.SetKind(vkString);
    EXPECT_FALSE(v.Changed());
    v.SetString("");
    EXPECT_TRUE(v.Changed());
}

TEST(Variant, CopyFromKeepsOwnerAndChangedFlag) {
    TVariant source;
    source.SetString("Hallo");
    TVariant target;
    TAttribut attribute("x", 0, vkString, nullptr);
    TAttribut* owner = &attribute;
    target.SetAttribute(owner);
    target.SetChanged(false);
    target.CopyFrom(source);
    EXPECT_EQ(target.AsString(), "Hallo");
    EXPECT_EQ(target.Attribute(), owner);
    EXPECT_FALSE(target.Changed());

    source.SetInteger(3);
    target.CopyFrom(source);
    EXPECT_EQ(target.Kind(), vkInteger);
    EXPECT_EQ(target.AsString(), "");
    target.CopyFrom(target);
    EXPECT_EQ(target.AsInteger(), 3);
}

TEST(Variant, KindNamesAndDisplayText) {
    EXPECT_STREQ(TVariant::KindName(vkReal), "Real");
    EXPECT_STREQ(TVariant::KindName(vkObjekt), "Objekt");
    EXPECT_STREQ(TVariant::KindName(vkMarker), "");
    EXPECT_STREQ(TVariant::KindName(vkNone), "");

    TVariant v;
    EXPECT_EQ(v.DisplayText(), "falsch");
    v.SetBoolean(true);
    EXPECT_EQ(v.DisplayText(), "wahr");
    v.SetChar('\xE4');
    EXPECT_EQ(v.DisplayText(), "\xE4");
    v.SetInteger(-2147483647 - 1);
    EXPECT_EQ(v.DisplayText(), "-2147483648");
    v.SetString("Text");
    EXPECT_EQ(v.DisplayText(), "'Text'");
    v.SetObject(nullptr);
    EXPECT_EQ(v.DisplayText(), "");
}

TEST(Variant, ConversionToString) {
    SeparatorScope dot('.');
    TVariant v;
    v.SetBoolean(false);
    v.ConvertToString();
    EXPECT_EQ(v.AsString(), "false");
    v.SetInteger(-12);
    v.ConvertToString();
    EXPECT_EQ(v.Kind(), vkString);
    EXPECT_EQ(v.AsString(), "-12");
    v.SetDouble(0.5);
    v.ConvertToString();
    EXPECT_EQ(v.AsString(), "0.5");

    std::string text = "x=";
    v.SetBoolean(true);
    v.AppendAsString(text);
    EXPECT_EQ(text, "x=true");

    // 'a' + 1 and 1 + 'a'
    TVariant left, right;
    left.SetString("a");
    right.SetInteger(1);
    left.Concat(right);
    EXPECT_EQ(left.AsString(), "a1");
    left.SetInteger(1);
    right.SetString("a");
    left.Concat(right);
    EXPECT_EQ(left.AsString(), "1a");
    left.Concat(left);
    EXPECT_EQ(left.AsString(), "1a1a");

    v.SetInteger(4);
    v.ConvertToReal();
    EXPECT_EQ(v.Kind(), vkReal);
    EXPECT_EQ(v.AsDouble(), 4.0);
}

TEST(RealToText, GeneralFormatWithFifteenDigits) {
    SeparatorScope dot('.');
    EXPECT_EQ(RealToText(0), "0");
    EXPECT_EQ(RealToText(-0.0), "0");
    EXPECT_EQ(RealToText(3.5), "3.5");
    EXPECT_EQ(RealToText(-7), "-7");
    EXPECT_EQ(RealToText(0.1 + 0.2), "0.3");
    EXPECT_EQ(RealToText(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(RealToText(2.0 / 3), "0.666666666666667");
    EXPECT_EQ(RealToText(123456789012345.0), "123456789012345");
    EXPECT_EQ(RealToText(1e15), "1E15");
    EXPECT_EQ(RealToText(1234567890123456.0), "1.23456789012346E15");
    EXPECT_EQ(RealToText(0.0001), "0.0001");
    EXPECT_EQ(RealToText(0.00001), "1E-5");
    EXPECT_EQ(RealToText(-1.5e-7), "-1.5E-7");
    EXPECT_EQ(RealToText(1e100), "1E100");
    EXPECT_EQ(RealToText(4.68e-8), "4.68E-8");
    EXPECT_EQ(RealToText(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(RealToText(std::nan("")), "NAN");
}

TEST(RealToText, UsesTheCurrentSeparatorEverywhere) {
    SeparatorScope comma(',');
    EXPECT_EQ(RealToText(2.5), "2,5");
    EXPECT_EQ(RealToText(-1.25e-9), "-1,25E-9");
    TVariant v;
    v.SetDouble(0.75);
    EXPECT_EQ(v.DisplayText(), "0,75");
    std::string text = "a";
    v.AppendAsString(text);
    EXPECT_EQ(text, "a0,75");
}

TEST(CheckedArithmetic, IntegerOverflowAndDivision) {
    std::int32_t r = 99;
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    const std::int32_t min = std::numeric_limits<std::int32_t>::min();
    EXPECT_STREQ(CheckedAdd(max, 1, r), Meldung::IntegerBereich);
    EXPECT_EQ(r, 99);
    EXPECT_STREQ(CheckedAdd(max - 1, 1, r), nullptr);
    EXPECT_EQ(r, max);
    EXPECT_STREQ(CheckedSub(min, 1, r), Meldung::IntegerBereich);
    EXPECT_STREQ(CheckedMul(65536, 32768, r), Meldung::IntegerBereich);
    EXPECT_STREQ(CheckedMul(-65536, 32768, r), nullptr);
    EXPECT_EQ(r, min);
    EXPECT_STREQ(CheckedNeg(min, r), Meldung::IntegerBereich);
    EXPECT_STREQ(CheckedNeg(max, r), nullptr);
    EXPECT_EQ(r, -max);

    EXPECT_STREQ(CheckedDiv(7, 2, r), nullptr);
    EXPECT_EQ(r, 3);
    EXPECT_STREQ(CheckedDiv(-7, 2, r), nullptr);
    EXPECT_EQ(r, -3);
    EXPECT_STREQ(CheckedDiv(1, 0, r), Meldung::DivisionDurchNull);
    EXPECT_STREQ(CheckedDiv(min, -1, r), Meldung::IntegerBereich);
}

TEST(CheckedArithmetic, RealResultsMustBeFinite) {
    double r = 0;
    EXPECT_STREQ(CheckedDivReal(7, 2, r), nullptr);
    EXPECT_EQ(r, 3.5);
    EXPECT_STREQ(CheckedDivReal(1, 0, r), Meldung::DivisionDurchNull);
    EXPECT_STREQ(CheckedDivReal(1e308, 1e-308, r), Meldung::KeineGueltigeZahl);
    EXPECT_STREQ(CheckedReal(1e308 * 10), Meldung::KeineGueltigeZahl);
    EXPECT_STREQ(CheckedReal(-1e308), nullptr);
}

TEST(Messages, AreWindows1252) {
    EXPECT_STREQ(Meldung::IntegerBereich,
                 "Der Wert liegt au\xDF" "erhalb des Integer-Bereichs.");
    EXPECT_STREQ(Meldung::KeineGueltigeZahl, "Das Ergebnis ist keine g\xFCltige Zahl.");
}
