// A built-in method call that leaves its object as it was does not count as a
// change, so no window paints for it. Random calls (fixed seed) on every
// class, with arguments that often repeat what the object already holds:
// whenever a call leaves the change stamp alone, the object must draw exactly
// the same calls and hold exactly the same attribute values as before it.
#include "FigureRecorder.h"
#include "UKlassen.h"
#include "UObjekt.h"
#include "UStack.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using figtest::AttributeValues;

std::string Drawing(TDrawArea& area, TObjekt& o) {
    std::ostringstream out;
    for (const TRecordedCall& c : area.Draw(o)) {
        out << c.Op << ' ' << c.Text << ' ' << c.Pen.Color << ',' << c.Pen.Style << ',' << c.Pen.Width << ','
            << int(c.Pen.Mode) << ' ' << c.Brush.Color << ',' << c.Brush.Style << ' ' << c.Font.Name << ','
            << c.Font.Size << ',' << c.Font.Color << ',' << c.Font.Style << ':';
        for (const TPoint& p : c.Points) out << ' ' << p.x << ',' << p.y;
        out << '\n';
    }
    return out.str();
}

} // namespace

TEST(UnchangedCalls, LeaveTheStampOnlyWhenNothingShownChanged) {
    const TKlassenFabrik fabrik;
    std::mt19937 random(4711);
    const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    int unchanged = 0, changed = 0;
    for (const auto& prototype : fabrik.Prototypes()) {
        std::unique_ptr<TObjekt> object = fabrik.CreateObject(prototype->ClassName, "a", nullptr);
        ASSERT_NE(object, nullptr) << prototype->ClassName;
        TDrawArea area;
        std::vector<TMethode*> methods;
        for (const auto& m : object->Methods()) {
            bool plain = !m->Hidden && (m->Kind == mkObjectMethod || m->Kind == mkSetter);
            for (const TParameter& p : m->Parameters) plain = plain && p.Kind != vkObjekt && !p.ByReference;
            if (plain) methods.push_back(m.get());
        }
        if (methods.empty()) continue;
        for (int round = 0; round < 400; ++round) {
            TMethode* method = methods[static_cast<std::size_t>(pick(0, static_cast<int>(methods.size()) - 1))];
            // Arguments: the neutral ones, an attribute's own value, or any.
            TStack stack;
            for (const TParameter& p : method->Parameters) {
                const auto& attributes = object->Attributes();
                const TVariant& own = attributes[static_cast<std::size_t>(pick(0, static_cast<int>(attributes.size()) - 1))]->Value;
                switch (p.Kind) {
                case vkBoolean: stack.PushBoolean(pick(0, 1) != 0); break;
                case vkString: stack.PushString(pick(0, 1) ? "Arial" : "x"); break;
                case vkReal:
                    stack.PushDouble(pick(0, 2) == 0 ? own.AsDouble() : pick(0, 1) ? pick(-2, 2) : pick(-90, 90) / 3.0);
                    break;
                default: stack.PushInteger(pick(0, 2) == 0 ? own.AsInteger() : pick(0, 1) ? pick(-1, 1) : pick(-50, 50)); break;
                }
            }
            const std::string valuesBefore = AttributeValues(*object), drawingBefore = Drawing(area, *object);
            const std::uint64_t stamp = object->LastChange();
            method->Invoke(stack, object.get());
            const std::string valuesAfter = AttributeValues(*object), drawingAfter = Drawing(area, *object);
            if (object->LastChange() == stamp) {
                ++unchanged;
                EXPECT_EQ(valuesAfter, valuesBefore) << prototype->ClassName << "." << method->Name;
                EXPECT_EQ(drawingAfter, drawingBefore) << prototype->ClassName << "." << method->Name;
            } else {
                ++changed;
            }
        }
    }
    // Both ways are taken often.
    EXPECT_GT(unchanged, 250);
    EXPECT_GT(changed, 3000);
}
