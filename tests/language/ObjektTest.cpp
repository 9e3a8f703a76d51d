#include "UDaten.h"
#include "UMeldungen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// A small class in the shape of the graphics classes: attributes, one
// built-in method with a result, a colour-like object attribute.
class TPunkt : public TObjekt {
public:
    TPunkt(std::string name, TObjekt* owner, bool noSetters = false)
        : TObjekt(std::move(name), owner) {
        ClassName = "PUNKT";
        ClassNumber = 6;
        TMethode* summe = AddMethod("summe", 1, vkInteger);
        summe->AddParameter("Faktor", vkInteger, 0);
        AddMethod("leeren", 2);
        X = AddAttribute("x", 0, vkInteger);
        Name2 = AddAttribute("beschriftung", 0, vkString);
        Geheim = AddAttribute("geheim", 0, vkReal);
        Geheim->Hidden = true;
        Partner = AddAttribute("partner", 6, vkObjekt);
        // Only top-level points own a partner, so that construction ends.
        if (owner == nullptr) Partner->Value.SetObject(new TPunkt("partner", this, true));
        AddSetters(noSetters);
    }

    void AttributeChanged(TAttribut* attribute) override {
        Changes.push_back(attribute);
        if (X->Value.AsInteger() > 100) X->Value.SetInteger(100);
    }
    void CallMethod(std::int32_t number, TStack& stack) override {
        if (number == 1) stack.PushInteger(X->Value.AsInteger() * stack.PopInteger());
        if (number == 2) X->Value.SetInteger(0);
    }
    void Draw(TDrawCanvas&) override {}
    std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) override {
        auto copy = std::make_unique<TPunkt>(name, owner);
        copy->Assign(*this);
        return copy;
    }
    void Assign(const TObjekt& source) override {
        if (auto* p = dynamic_cast<const TPunkt*>(&source)) X->Value.SetInteger(p->X->Value.AsInteger());
    }

    TAttribut* X;
    TAttribut* Name2;
    TAttribut* Geheim;
    TAttribut* Partner;
    std::vector<TAttribut*> Changes;
};

TPunkt* PartnerOf(TPunkt& p) { return static_cast<TPunkt*>(p.Partner->Value.AsObject()); }

} // namespace

TEST(Objekt, LookupIgnoresAsciiCaseOnlyAndSkipsHidden) {
    TPunkt p("p", nullptr);
    EXPECT_EQ(p.FindAttribute("X"), p.X);
    EXPECT_EQ(p.FindAttribute("BESCHRIFTUNG"), p.Name2);
    EXPECT_EQ(p.FindAttribute("geheim"), nullptr);
    EXPECT_EQ(p.FindAttributeAny("GEHEIM"), p.Geheim);
    EXPECT_EQ(p.FindAttribute("y"), nullptr);
    EXPECT_NE(p.FindMethod("SUMME"), nullptr);
    EXPECT_NE(p.FindMethod("xsetzen"), nullptr);

    TPunkt q("q", nullptr);
    q.FindAttribute("x")->Name = "gr\xF6\xDF" "e";  // Windows-1252 umlauts
    EXPECT_NE(q.FindAttribute("GR\xF6\xDF" "E"), nullptr);
    EXPECT_EQ(q.FindAttribute("GR\xD6\xDF" "E"), nullptr);  // only A-Z fold
}

TEST(Objekt, SettersFollowVisibleAttributesInOrder) {
    TPunkt p("p", nullptr);
    std::vector<std::string> names;
    for (auto& m : p.Methods()) names.push_back(m->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"summe", "leeren", "xSetzen", "beschriftungSetzen",
                                                "partnerSetzen"}));
    const TMethode* setter = p.FindMethod("xsetzen");
    EXPECT_EQ(setter->Kind, mkSetter);
    EXPECT_EQ(setter->Attribute, p.X);
    ASSERT_EQ(setter->Parameters.size(), 1u);
    EXPECT_EQ(setter->Parameters[0].Name, "x");
    EXPECT_EQ(setter->Parameters[0].Kind, vkInteger);
    EXPECT_FALSE(setter->HasResult());
    EXPECT_EQ(p.FindMethod("partnersetzen")->Parameters[0].ClassNumber, 6);

    TPunkt bare("bare", &p, true);
    for (auto& m : bare.Methods()) EXPECT_NE(m->Kind, mkSetter);
}

TEST(Objekt, AttributeValuesStartAtZeroAndPointBack) {
    TPunkt p("p", nullptr);
    EXPECT_EQ(p.X->Value.Kind(), vkInteger);
    EXPECT_EQ(p.X->Value.AsInteger(), 0);
    EXPECT_EQ(p.Name2->Value.AsString(), "");
    EXPECT_EQ(p.X->Value.Attribute(), p.X);
    EXPECT_EQ(p.X->Owner, &p);
    EXPECT_EQ(PartnerOf(p)->Owner, &p);
}

TEST(Objekt, MethodDescriptors) {
    TPunkt p("p", nullptr);
    TMethode* summe = p.FindMethod("summe");
    EXPECT_EQ(summe->Kind, mkObjectMethod);
    EXPECT_EQ(summe->MethodNumber, 1);
    EXPECT_EQ(summe->Owner, &p);
    ASSERT_TRUE(summe->HasResult());
    EXPECT_EQ(summe->Result->Kind, vkInteger);
    EXPECT_FALSE(p.FindMethod("leeren")->HasResult());
    EXPECT_NE(summe->FindParameter("Faktor"), nullptr);
    EXPECT_EQ(summe->FindParameter("faktor"), nullptr);  // parameters compare exactly

    TMethode program(120);
    EXPECT_EQ(program.Kind, mkProgramMethod);
    EXPECT_EQ(program.BodyPosition, 120);
    program.AddParameter("n", vkInteger, 0, true);
    EXPECT_TRUE(program.Parameters[0].ByReference);
    TStack stack;
    stack.PushInteger(1);
    EXPECT_EQ(program.Invoke(stack), nullptr);
    EXPECT_EQ(stack.Count(), 1);  // left to the interpreter
}

TEST(Objekt, InvokeObjectMethodLeavesExactlyItsResult) {
    TPunkt p("p", nullptr);
    p.X->Value.SetInteger(6);
    TStack stack;
    stack.PushString("operand of the caller");
    stack.PushInteger(7);
    EXPECT_EQ(p.FindMethod("summe")->Invoke(stack), nullptr);
    ASSERT_EQ(stack.Count(), 2);
    EXPECT_EQ(stack.PopInteger(), 42);

    stack.PushInteger(99);  // a stray value a method without parameters leaves alone
    p.FindMethod("leeren")->Invoke(stack);
    EXPECT_EQ(stack.Count(), 2);
    EXPECT_EQ(p.X->Value.AsInteger(), 0);
}

TEST(Objekt, InvokeRepairsAMethodThatPushesNothing) {
    TPunkt p("p", nullptr);
    TMethode broken("kaputt", 0, vkReal, 77, &p);  // CallMethod ignores 77
    TStack stack;
    stack.PushString("caller");
    broken.Invoke(stack);
    ASSERT_EQ(stack.Count(), 2);
    EXPECT_EQ(stack.TopKind(), vkReal);
    EXPECT_EQ(stack.PopDouble(), 0.0);
}

TEST(Objekt, SetterStoresThenNotifies) {
    TPunkt p("p", nullptr);
    TStack stack;
    stack.PushInteger(300);
    EXPECT_EQ(p.FindMethod("xSetzen")->Invoke(stack), nullptr);
    EXPECT_EQ(stack.Count(), 0);
    ASSERT_EQ(p.Changes.size(), 1u);
    EXPECT_EQ(p.Changes[0], p.X);
    EXPECT_EQ(p.X->Value.AsInteger(), 100);  // corrected by AttributeChanged

    stack.PushString("Mitte");
    p.FindMethod("beschriftungsetzen")->Invoke(stack);
    EXPECT_EQ(p.Name2->Value.AsString(), "Mitte");
}

TEST(Objekt, ObjectAttributesAreCopiedIntoNeverRebound) {
    TPunkt p("p", nullptr);
    TPunkt other("other", nullptr);
    other.X->Value.SetInteger(9);
    TPunkt* own = PartnerOf(p);
    TStack stack;
    stack.PushObject(&other);
    p.FindMethod("partnersetzen")->Invoke(stack);
    EXPECT_EQ(PartnerOf(p), own);
    EXPECT_EQ(own->X->Value.AsInteger(), 9);
    EXPECT_EQ(p.Changes.back(), p.Partner);

    // An assignment statement goes through the same Store.
    TVariant value;
    value.SetObject(nullptr);
    p.Partner->Store(value);
    EXPECT_EQ(PartnerOf(p), own);
}

TEST(Objekt, StoreConvertsToTheAttributesKind) {
    TPunkt p("p", nullptr);
    TVariant value;
    value.SetInteger(12);
    p.Name2->Store(value);
    EXPECT_EQ(p.Name2->Value.AsString(), "12");
    value.SetChar('A');
    p.X->Store(value);
    EXPECT_EQ(p.X->Value.AsInteger(), 65);
}

TEST(Objekt, CloneCopiesState) {
    TPunkt p("p", nullptr);
    p.X->Value.SetInteger(5);
    auto copy = p.Clone("q", nullptr);
    EXPECT_EQ(copy->Name, "q");
    EXPECT_EQ(static_cast<TPunkt&>(*copy).X->Value.AsInteger(), 5);
    EXPECT_NE(static_cast<TPunkt&>(*copy).X, p.X);
}

// Attributes come from a pool of blocks that freed ones return to. Through
// a long random run of making, changing, renaming and freeing objects (each
// with an object of its own inside) every attribute keeps its own name,
// value and owner, and the count of live objects follows.
TEST(Objekt, PooledAttributesKeepTheirStateThroughRandomLifetimes) {
    struct TExpected {
        std::int32_t X = 0;
        std::string Text;
        std::string XName = "x";
    };
    std::mt19937 random(20261207);
    std::vector<std::unique_ptr<TPunkt>> objects;
    std::vector<TExpected> expected;
    const std::int64_t liveBefore = TObjekt::LiveCount();
    for (int step = 0; step < 20000; ++step) {
        const auto choice = random() % 8;
        const std::size_t i = objects.empty() ? 0 : random() % objects.size();
        if (objects.empty() || (choice < 3 && objects.size() < 64)) {
            objects.push_back(std::make_unique<TPunkt>("p", nullptr));
            expected.emplace_back();
        } else if (choice < 5) {
            objects.erase(objects.begin() + static_cast<std::ptrdiff_t>(i));
            expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(i));
        } else if (choice == 5) {
            expected[i].XName = "x" + std::to_string(step % 50);
            objects[i]->X->Name = expected[i].XName;
        } else {
            const auto value = static_cast<std::int32_t>(random() % 200) - 50;
            objects[i]->X->Store(TVariant(value));
            expected[i].X = std::min(value, 100);
            expected[i].Text = std::to_string(step);
            objects[i]->Name2->Value.SetString(expected[i].Text);
        }
        ASSERT_EQ(TObjekt::LiveCount(), liveBefore + 2 * static_cast<std::int64_t>(objects.size()));
        for (std::size_t k = 0; k < objects.size(); ++k) {
            TPunkt& p = *objects[k];
            ASSERT_EQ(p.X->Value.AsInteger(), expected[k].X) << "step " << step;
            ASSERT_EQ(p.X->Name, expected[k].XName) << "step " << step;
            ASSERT_EQ(p.Name2->Value.AsString(), expected[k].Text) << "step " << step;
            ASSERT_EQ(p.FindAttribute(expected[k].XName), p.X) << "step " << step;
            for (TAttribut* a : {p.X, p.Name2, p.Geheim, p.Partner}) {
                ASSERT_EQ(a->Owner, &p);
                ASSERT_EQ(a->Value.Attribute(), a);
            }
            TPunkt* partner = PartnerOf(p);
            ASSERT_EQ(partner->Owner, &p);
            ASSERT_EQ(partner->X->Owner, partner);
            ASSERT_EQ(partner->X->Name, "x");
            ASSERT_EQ(partner->X->Value.AsInteger(), 0);
        }
    }
}

TEST(ClassNumbers, AcceptanceIsPureDivisibility) {
    for (int d : {2, 3, 5, 6, 10, 15, 30}) EXPECT_TRUE(ClassAccepts(d, 30)) << d;
    for (int d : {4, 7, 60}) EXPECT_FALSE(ClassAccepts(d, 30)) << d;
    EXPECT_TRUE(ClassAccepts(16, 32));   // a square where a rectangle is asked for
    EXPECT_TRUE(ClassAccepts(2, 272));   // a text field is a figure
    EXPECT_FALSE(ClassAccepts(4, 58));   // a group is no filled figure
    EXPECT_TRUE(ClassAccepts(52, 364));  // the triangle counts as a circle
    EXPECT_FALSE(ClassAccepts(0, 5));    // never divides by zero
    EXPECT_TRUE(ClassAccepts(0, 0));
    EXPECT_TRUE(ClassAccepts(-1, -2147483647 - 1));
    TPunkt p("p", nullptr);
    EXPECT_TRUE(p.IsA(3));
    EXPECT_FALSE(p.IsA(4));
}
