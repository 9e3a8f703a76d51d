#include "UFarbe.h"
#include "UMeldungen.h"
#include "UNamen.h"
#include "UVariablen.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <set>

namespace {

std::unique_ptr<TVariant> Int(std::int32_t value) { return std::make_unique<TVariant>(value); }

// Calls a built-in function the way the interpreter does: arguments pushed
// in parameter order, the result taken off the stack.
struct TCall {
    TVarSpace Space;
    TStack Stack;
    const char* Message = nullptr;

    TMethode* Function(const char* name) { return Space.Lookup(name)->AsMethod(); }

    double Real(const char* name, double argument) {
        Stack.PushDouble(argument);
        Message = Function(name)->Invoke(Stack);
        return Message ? NAN : Stack.PopDouble();
    }
    std::int32_t Integer(const char* name, double argument) {
        Stack.PushDouble(argument);
        Message = Function(name)->Invoke(Stack);
        return Message ? -999 : Stack.PopInteger();
    }
    std::int32_t Zufall(std::int32_t von, std::int32_t bis) {
        Stack.PushInteger(von);
        Stack.PushInteger(bis);
        Message = Function("zufall")->Invoke(Stack);
        return Stack.PopInteger();
    }
};

} // namespace

TEST(VarSpace, BuiltInsAreRegisteredInTableOrder) {
    TVarSpace space;
    const char* expected[] = {
        "schwarz", "weiss", "blau", "rot", "gruen", "gelb", "grau", "hellgrau", "hellblau",
        "hellgruen", "braun", "gestrichelt", "durchgezogen", "gepunktelt", "gestrichpunktelt",
        "unsichtbar", "ausgemalt", "schraffiert", "kariert", "durchsichtig", "zentriert",
        "linksbuendig", "rechtsbuendig", "obenbuendig", "untenbuendig", "sin", "cos", "tan",
        "arctan", "abs", "sqrt", "round", "trunc", "zufall"};
    ASSERT_EQ(space.Count(), static_cast<int>(std::size(expected)));
    for (int i = 0; i < space.Count(); ++i) {
        EXPECT_EQ(space.At(i)->Name, expected[i]);
        EXPECT_TRUE(space.At(i)->BuiltIn);
    }
}

TEST(VarSpace, ColourConstantsAreColourObjects) {
    TVarSpace space;
    auto* hellblau = dynamic_cast<TFarbe*>(space.Lookup("HellBlau")->AsObject());
    ASSERT_NE(hellblau, nullptr);
    EXPECT_EQ(hellblau->Name, "hellblau");
    EXPECT_EQ(hellblau->ColourValue(), 166u + 202u * 256 + 240u * 65536);
    auto* braun = dynamic_cast<TFarbe*>(space.Lookup("braun")->AsObject());
    EXPECT_EQ(braun->ColourValue(), 0x008080u);
    EXPECT_NE(braun->FindMethod("rotSetzen"), nullptr);  // constants have setters
    EXPECT_EQ(space.Lookup("schraffiert")->AsInteger(), 5);
    EXPECT_EQ(space.Lookup("untenbuendig")->AsInteger(), 2);
}

TEST(VarSpace, FunctionDescriptors) {
    TVarSpace space;
    TMethode* zufall = space.Lookup("zufall")->AsMethod();
    ASSERT_NE(zufall, nullptr);
    EXPECT_EQ(zufall->Kind, mkFunction);
    EXPECT_EQ(zufall->Context, &space);
    ASSERT_EQ(zufall->Parameters.size(), 2u);
    EXPECT_EQ(zufall->Parameters[0].Name, "Von");
    EXPECT_EQ(zufall->Parameters[1].Name, "Bis");
    EXPECT_EQ(zufall->Result->Kind, vkInteger);
    TMethode* sinus = space.Lookup("sin")->AsMethod();
    EXPECT_EQ(sinus->Parameters[0].Name, "Winkel in Grad");
    EXPECT_EQ(sinus->Parameters[0].Kind, vkReal);
    EXPECT_EQ(sinus->Result->Kind, vkReal);
    EXPECT_EQ(space.Lookup("round")->AsMethod()->Parameters[0].Name, "Zu rundende Zahl");
}

TEST(VarSpace, NamesAreStoredLowerCaseAndFoundIgnoringCase) {
    TVarSpace space;
    space.Declare("Zahl", Int(3));
    EXPECT_EQ(space.At(space.Count() - 1)->Name, "zahl");
    EXPECT_EQ(space.Lookup("ZAHL")->AsInteger(), 3);
    EXPECT_NE(space.Lookup("Schwarz"), nullptr);
    EXPECT_EQ(space.Lookup("gibtsnicht"), nullptr);
    space.Declare("", Int(1));  // accepted; duplicates are the caller's concern
    EXPECT_EQ(space.Lookup("")->AsInteger(), 1);
}

TEST(VarSpace, LatestGlobalDeclarationWins) {
    TVarSpace space;
    space.Declare("a", Int(1));
    space.Declare("a", Int(2));
    EXPECT_EQ(space.Lookup("a")->AsInteger(), 2);
}

TEST(VarSpace, ScopesSeeTheirOwnFirstThenTheCallersThenGlobals) {
    TVarSpace space;
    space.Declare("g", Int(1));
    space.Declare("n", Int(10));

    space.OpenScope();  // outer call with parameter n and a local
    space.DeclareParameter("n", new TVariant(20), false, false);
    space.Declare("lokal", Int(21));
    EXPECT_EQ(space.Lookup("n")->AsInteger(), 20);

    space.OpenScope();  // inner call, declares nothing named n
    space.Declare("x", Int(30));
    EXPECT_EQ(space.Lookup("n")->AsInteger(), 20);  // the caller's parameter
    EXPECT_EQ(space.Lookup("lokal")->AsInteger(), 21);
    EXPECT_EQ(space.Lookup("g")->AsInteger(), 1);
    EXPECT_EQ(space.Lookup("x")->AsInteger(), 30);

    space.CloseScope();
    EXPECT_EQ(space.Lookup("x"), nullptr);
    space.CloseScope();
    EXPECT_EQ(space.Lookup("n")->AsInteger(), 10);
    space.CloseScope();  // none open: nothing happens
    EXPECT_EQ(space.Lookup("g")->AsInteger(), 1);
}

TEST(VarSpace, ParameterHidesABuiltInInsideItsMethod) {
    TVarSpace space;
    space.OpenScope();
    space.DeclareParameter("rot", new TVariant(7), false, false);
    EXPECT_EQ(space.Lookup("Rot")->AsInteger(), 7);
    space.CloseScope();
    EXPECT_NE(space.Lookup("rot")->AsObject(), nullptr);
}

TEST(VarSpace, BindingSkipsTheInnermostScope) {
    TVarSpace space;
    space.Declare("a", Int(1));
    space.OpenScope();
    space.DeclareParameter("a", new TVariant(2), false, false);
    space.Binding = true;
    EXPECT_EQ(space.Lookup("a")->AsInteger(), 1);
    space.Binding = false;
    EXPECT_EQ(space.Lookup("a")->AsInteger(), 2);
}

TEST(VarSpace, BorrowedAndReferencedValuesSurviveTheScope) {
    TVariant callerValue(5);
    auto* shared = new TFarbe("f", nullptr, 1, 2, 3);
    {
        TVarSpace space;
        space.OpenScope();
        space.DeclareParameter("n", &callerValue, true, true);
        space.DeclareParameter("f", new TVariant(static_cast<TObjekt*>(shared)), true, false);
        space.Lookup("n")->SetInteger(6);  // a variable parameter writes through
        space.CloseScope();
        for (int i = 0; i < 200; ++i) space.OpenScope();  // the scope array grows
        EXPECT_EQ(space.ScopeCount(), 200);
        // Destroying the space with open scopes frees their variables too.
        space.Declare("owned", std::make_unique<TVariant>(new TFarbe("o", nullptr)));
    }
    EXPECT_EQ(callerValue.AsInteger(), 6);
    EXPECT_EQ(shared->ColourValue(), 0x030201u);
    delete shared;
}

TEST(BuiltIns, TrigonometryUsesTheLanguagesDegreeFactor) {
    TCall call;
    EXPECT_NEAR(call.Real("sin", 90), 0.999999999999999, 1e-15);
    EXPECT_NEAR(call.Real("cos", 90), 4.68e-8, 1e-9);
    EXPECT_NEAR(call.Real("sin", 30), 0.49999998649, 1e-10);
    EXPECT_NEAR(call.Real("tan", 45), 1.0, 1e-7);
    EXPECT_NEAR(call.Real("arctan", 1), 45.0000013, 1e-7);
    EXPECT_EQ(call.Real("sin", 1e30), 0.0);  // beyond the processor's reduction
    EXPECT_EQ(call.Real("cos", -1e30), 0.0);
    EXPECT_EQ(call.Stack.Count(), 0);
}

TEST(BuiltIns, AbsAndSqrt) {
    TCall call;
    EXPECT_EQ(call.Real("abs", -2.5), 2.5);
    EXPECT_EQ(call.Real("sqrt", 2.25), 1.5);
    call.Real("sqrt", -1);
    EXPECT_STREQ(call.Message, Meldung::KeineGueltigeZahl);
    EXPECT_EQ(call.Stack.Count(), 0);
}

TEST(BuiltIns, NonFiniteResultsAreErrors) {
    TCall call;
    call.Real("tan", 1e30);  // sine and cosine both 0
    EXPECT_STREQ(call.Message, Meldung::KeineGueltigeZahl);
    call.Real("abs", INFINITY);
    EXPECT_STREQ(call.Message, Meldung::KeineGueltigeZahl);
    EXPECT_EQ(call.Stack.Count(), 0);
}

TEST(BuiltIns, RoundHalvesToEvenAndTruncTowardZero) {
    TCall call;
    EXPECT_EQ(call.Integer("round", 2.5), 2);
    EXPECT_EQ(call.Integer("round", 3.5), 4);
    EXPECT_EQ(call.Integer("round", -2.5), -2);
    EXPECT_EQ(call.Integer("round", 2.5000001), 3);
    EXPECT_EQ(call.Integer("trunc", -2.7), -2);
    EXPECT_EQ(call.Integer("trunc", 2.7), 2);
    EXPECT_EQ(call.Integer("round", 2147483647.4), 2147483647);
    EXPECT_EQ(call.Integer("trunc", -2147483648.9), -2147483647 - 1);
}

TEST(BuiltIns, RoundAndTruncOutsideTheIntegerRangeAreErrors) {
    TCall call;
    for (double v : {2147483647.5, 3e9, -2147483649.0, 1e300}) {
        call.Integer("round", v);
        EXPECT_STREQ(call.Message, Meldung::IntegerBereich) << v;
    }
    call.Integer("trunc", 2147483648.0);
    EXPECT_STREQ(call.Message, Meldung::IntegerBereich);
    call.Integer("trunc", -INFINITY);
    EXPECT_STREQ(call.Message, Meldung::IntegerBereich);
    call.Integer("round", NAN);
    EXPECT_STREQ(call.Message, Meldung::KeineGueltigeZahl);
    EXPECT_EQ(call.Stack.Count(), 0);
}

TEST(BuiltIns, ZufallStaysInRangeAndRepeatsFromTheFixedSeed) {
    TCall call;
    EXPECT_EQ(call.Zufall(3, 3), 1);
    EXPECT_EQ(call.Zufall(5, 1), 1);

    Zufall::SetSeed(0);
    std::set<int> seen;
    std::vector<int> first;
    for (int i = 0; i < 600; ++i) {
        int n = call.Zufall(1, 6);
        ASSERT_GE(n, 1);
        ASSERT_LE(n, 6);
        seen.insert(n);
        if (i < 20) first.push_back(n);
    }
    EXPECT_EQ(seen.size(), 6u);

    Zufall::SetSeed(0);
    for (int expected : first) EXPECT_EQ(call.Zufall(1, 6), expected);

    // The full Integer range does not overflow.
    call.Zufall(-2147483647 - 1, 2147483647);
    for (int i = 0; i < 50; ++i) {
        int m = call.Zufall(-3, -2);
        ASSERT_TRUE(m == -3 || m == -2) << m;
    }
    EXPECT_EQ(call.Stack.Count(), 0);
}

// The lookup goes through a per-name index; it must answer exactly like the
// plain search it replaces, through any mix of declarations, scopes and
// binding, also for names declared twice in one scope.
TEST(VarSpace, IndexedLookupMatchesTheListSearch) {
    auto listSearch = [](const TVarSpace& space, std::string_view name) -> TVariable* {
        const int count = space.Count();
        const int scopes = space.ScopeCount();
        const int inner = scopes ? space.ScopeStart(scopes - 1) : count;
        if (!space.Binding && scopes)
            for (int i = inner; i < count; ++i)
                if (SameName(space.At(i)->Name, name)) return space.At(i);
        for (int i = inner - 1; i >= 0; --i)
            if (SameName(space.At(i)->Name, name)) return space.At(i);
        return nullptr;
    };
    const char* names[] = {"a", "B", "c", "rot", "sin", "xy"};
    TVarSpace space;
    std::uint32_t seed = 12345;
    auto next = [&seed](std::uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    for (int step = 0; step < 3000; ++step) {
        switch (next(6)) {
        case 0: space.OpenScope(); break;
        case 1: space.CloseScope(); break;
        case 2: space.Binding = !space.Binding; break;
        default: space.Declare(names[next(6)], Int(step)); break;
        }
        for (const char* name : names) {
            std::string upper = name;
            for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            ASSERT_EQ(space.Find(upper), listSearch(space, name)) << "step " << step << " " << name;
        }
    }
}
