// Objects of one class share one method table and look names up through its
// index. Checked against a plain search over the ordered lists, for every
// member name of every class in many spellings, and by running every setter
// both through the shared table and through a method bound to its object.
#include "FigureRecorder.h"
#include "UKlassen.h"
#include "UNamen.h"
#include "UObjekt.h"
#include "UStack.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

const TMethode* PlainMethod(const TObjekt& o, std::string_view name) {
    for (const auto& m : o.Methods())
        if (!m->Hidden && SameName(m->Name, name)) return m.get();
    return nullptr;
}

const TAttribut* PlainAttribute(const TObjekt& o, std::string_view name, bool any) {
    for (const auto& a : o.Attributes())
        if ((any || !a->Hidden) && SameName(a->Name, name)) return a.get();
    return nullptr;
}

using figtest::AttributeValues;

} // namespace

TEST(SharedMembers, LookupsAndCallsMatchThePlainLists) {
    const TKlassenFabrik fabrik;
    std::vector<std::string> names;
    std::vector<std::unique_ptr<TObjekt>> objects;
    for (const auto& prototype : fabrik.Prototypes()) {
        for (const char* objectName : {"a", "b"})
            objects.push_back(fabrik.CreateObject(prototype->ClassName, objectName, nullptr));
        ASSERT_NE(objects.back(), nullptr) << prototype->ClassName;
        const TObjekt& a = *objects[objects.size() - 2];
        const TObjekt& b = *objects.back();
        // One table per class, also for the colour objects the figures own.
        EXPECT_EQ(&a.Members(), &b.Members()) << prototype->ClassName;
        EXPECT_EQ(&a.Members(), &prototype->Members()) << prototype->ClassName;
        for (std::size_t i = 0; i < a.Attributes().size(); ++i) {
            const TObjekt* inner = a.Attributes()[i]->Value.AsObject();
            const TObjekt* other = b.Attributes()[i]->Value.AsObject();
            if (inner && other) {
                EXPECT_EQ(&inner->Members(), &other->Members()) << a.Attributes()[i]->Name;
            }
        }
        for (const auto& m : a.Methods()) names.push_back(m->Name);
        for (const auto& attribute : a.Attributes()) names.push_back(attribute->Name);
    }
    names.insert(names.end(), {"", "x", "setzen", "Setzen", "nichtDa", "r\xD6t", "ROT ", std::string(80, 'a')});

    // Every name as written, in upper and lower case and in random mixtures.
    std::mt19937 random(12);
    std::set<std::string> spellings;
    for (const std::string& name : names) {
        spellings.insert(name);
        std::string upper = name, lower = name;
        for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        for (char& c : lower) c = LowerAscii(c);
        spellings.insert(upper);
        spellings.insert(lower);
        for (int k = 0; k < 3; ++k) {
            std::string mixed = name;
            for (char& c : mixed)
                if (random() % 2) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : LowerAscii(c);
            spellings.insert(mixed);
        }
    }

    for (const auto& object : objects) {
        for (const std::string& name : spellings) {
            const TMethode* expected = PlainMethod(*object, name);
            ASSERT_EQ(object->FindClassMethod(name), expected) << object->ClassName << " " << name;
            EXPECT_EQ(object->FindAttribute(name), PlainAttribute(*object, name, false)) << name;
            EXPECT_EQ(object->FindAttributeAny(name), PlainAttribute(*object, name, true)) << name;
            const TMethode* bound = object->FindMethod(name);
            ASSERT_EQ(bound == nullptr, expected == nullptr) << name;
            if (!bound) continue;
            EXPECT_EQ(bound->Name, expected->Name);
            EXPECT_EQ(bound->Kind, expected->Kind);
            EXPECT_EQ(bound->MethodNumber, expected->MethodNumber);
            EXPECT_EQ(bound->Parameters.size(), expected->Parameters.size());
            EXPECT_EQ(bound->HasResult(), expected->HasResult());
            EXPECT_EQ(bound->Owner, object.get()) << name;
            if (bound->Kind == mkSetter) {
                EXPECT_EQ(bound->Attribute, object->Attributes()[expected->AttributeIndex].get()) << name;
            }
        }
    }

    // Every Integer setter, through the shared table on one object and bound
    // on a second: both end in the same state, and a third stays as it was.
    for (std::size_t i = 0; i + 1 < objects.size(); i += 2) {
        TObjekt& shared = *objects[i];
        TObjekt& bound = *objects[i + 1];
        const std::unique_ptr<TObjekt> untouched = shared.Clone("c", nullptr);
        const std::string before = AttributeValues(*untouched);
        std::int32_t value = 3;
        for (const auto& m : shared.Methods()) {
            if (m->Kind != mkSetter || m->Parameters[0].Kind != vkInteger) continue;
            value = value * 7 % 101 - 20;
            TStack stack;
            stack.PushInteger(value);
            EXPECT_EQ(m->Invoke(stack, &shared), nullptr) << m->Name;
            stack.PushInteger(value);
            EXPECT_EQ(bound.FindMethod(m->Name)->Invoke(stack), nullptr) << m->Name;
            EXPECT_EQ(stack.Count(), 0) << m->Name;
            EXPECT_EQ(AttributeValues(shared), AttributeValues(bound)) << shared.ClassName << " after " << m->Name;
        }
        EXPECT_EQ(AttributeValues(*untouched), before) << shared.ClassName;
    }
}
