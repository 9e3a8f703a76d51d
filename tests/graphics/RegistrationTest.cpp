// What the class tree, code completion and the syntax check read from the
// base classes and the window: every member in registration order with its
// method number, parameter captions and types, and the factory's class table.
#include "FakeCanvas.h"
#include "UFarbe.h"
#include "UFenster.h"
#include "UFigur.h"
#include "UKlassen.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::string KindName(TKind kind, std::int32_t classNumber) {
    switch (kind) {
    case vkBoolean: return "Boolean";
    case vkInteger: return "Integer";
    case vkReal: return "Real";
    case vkString: return "String";
    case vkObjekt: return "Objekt " + std::to_string(classNumber);
    default: return "Art " + std::to_string(kind);
    }
}

// One line per member: attributes as "name: type", built-in methods as
// "name #number (caption: type, ...)", setters as "name (caption: type)".
std::vector<std::string> Members(const TObjekt& o) {
    std::vector<std::string> lines;
    for (const auto& a : o.Attributes())
        lines.push_back((a->Hidden ? "-" : "") + a->Name + ": " + KindName(a->Value.Kind(), a->ClassNumber));
    for (const auto& m : o.Methods()) {
        std::ostringstream line;
        line << (m->Hidden ? "-" : "") << m->Name;
        if (m->Kind == mkObjectMethod) line << " #" << m->MethodNumber;
        line << " (";
        for (std::size_t i = 0; i < m->Parameters.size(); ++i)
            line << (i ? ", " : "") << m->Parameters[i].Name << ": "
                 << KindName(m->Parameters[i].Kind, m->Parameters[i].ClassNumber);
        line << ")";
        if (m->HasResult()) line << " -> " << KindName(m->Result->Kind, m->Result->ClassNumber);
        lines.push_back(line.str());
    }
    return lines;
}

const std::vector<std::string> FigurAttributes = {
    "sichtbar: Boolean", "links: Integer",       "oben: Integer",      "rechts: Integer",
    "unten: Integer",    "randstaerke: Integer", "randart: Integer",   "randfarbe: Objekt 67",
    "breite: Integer",   "hoehe: Integer",
};

const std::vector<std::string> FigurMethods = {
    "verschieben #1 (x-Verschiebung: Integer, y-Verschiebung: Integer)",
    "eckenSetzen #7 (links: Integer, oben: Integer, rechts: Integer, unten: Integer)",
    "linksObenSetzen #8 (links: Integer, oben: Integer)",
    "rechtsUntenSetzen #9 (rechts: Integer, unten: Integer)",
    "strecken #30 (Streckugsfaktor: Real)",
    "verschiebenNach #31 (links: Integer, oben: Integer)",
    "drehen #45 (Drehwinkel: Real)",
    "drehenUm #146 (X-Koord. Drehpunkt: Integer, Y-Koord. Drehpunkt: Integer, Drehwinkel: Real)",
    "streckenAn #147 (x-Koord. Zentrum: Integer, y-Koord. Zentrum: Integer, Faktor: Real)",
};

// "name: type" becomes "nameSetzen (name: type)".
std::vector<std::string> SettersOf(const std::vector<std::string>& attributes) {
    std::vector<std::string> setters;
    for (const std::string& a : attributes) {
        const std::string name = a.substr(0, a.find(':'));
        setters.push_back(name + "Setzen (" + a + ")");
    }
    return setters;
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

TEST(Registration, FigurAndGefuellteFigur) {
    TFigur f("f", nullptr);
    EXPECT_EQ(Members(f), Join({FigurAttributes, FigurMethods, SettersOf(FigurAttributes)}));
    EXPECT_EQ(f.ClassNumber, 2);

    const std::vector<std::string> filled = Join({FigurAttributes, {"fuellfarbe: Objekt 67", "fuellart: Integer"}});
    TGefuellteFigur g("g", nullptr);
    EXPECT_EQ(Members(g), Join({filled, FigurMethods, SettersOf(filled)}));
    EXPECT_EQ(g.ClassNumber, 4);
    EXPECT_FALSE(g.Drawable);
    EXPECT_EQ(g.Fuellfarbe().ColourValue(), 0xFFFFFFu);
    EXPECT_EQ(TFigur::GetInt(g.AFuellart), 0);

    TFigur bare("b", nullptr, true);
    EXPECT_EQ(bare.Methods().size(), FigurMethods.size());
}

TEST(Registration, FarbeHasItsMethodBeforeItsAttributes) {
    TFarbe c("c", nullptr);
    const std::vector<std::string> attributes = {"rot: Integer", "gruen: Integer", "blau: Integer"};
    EXPECT_EQ(Members(c), Join({attributes, {"setzergb #1 (Rotwert: Integer, Gruenwert: Integer, Blauwert: Integer)"},
                                SettersOf(attributes)}));
    EXPECT_EQ(c.ClassName, "FARBE");
    EXPECT_EQ(c.ClassNumber, 67);
    EXPECT_FALSE(c.Drawable);
    EXPECT_EQ(c.ColourValue(), 0u);
}

TEST(Registration, Fenster) {
    TFenster w("FENSTER", nullptr, false, true);
    const std::vector<std::string> attributes = {
        "strichabstand: Integer", "name: String",  "links: Integer",           "oben: Integer",
        "breite: Integer",        "hoehe: Integer", "hintergrundfarbe: Objekt 67", "gitterfarbe: Objekt 67",
    };
    EXPECT_EQ(Members(w), Join({attributes,
                                {"verschiebe #1 (x-Verschiebung: Integer, y-Verschiebung: Integer)",
                                 "zeichne #2 (Figur: Objekt 2)", "gitterein #80 ()", "gitteraus #81 ()"},
                                SettersOf(attributes)}));
    EXPECT_EQ(w.ClassName, "FENSTER");
    EXPECT_EQ(w.ClassNumber, 41);
    EXPECT_FALSE(w.Drawable);
}

// The rows of the class table, in order. A class still being written is
// missing from the factory; those present keep their row and their order.
TEST(Registration, FactoryTableRows) {
    struct TRow {
        const char* Name;
        const char* ClassName;
        std::int32_t Number;
        bool Drawable;
    };
    const TRow rows[] = {
        {"RECHTECK", "RECHTECK", 16, true},   {"QUADRAT", "QUADRAT", 32, true},
        {"FENSTER", "FENSTER", 41, false},    {"ELLIPSE", "ELLIPSE", 44, true},
        {"KREIS", "KREIS", 52, true},         {"DREIECK", "DREIECK", 364, true},
        {"LINIE", "LINIE", 46, true},         {"TEXTFELD", "TEXTFELD", 272, true},
        {"TURTLE", "TURTLE", 62, true},       {"GRUPPE", "GRUPPE", 58, true},
        {"FARBE", "FARBE", 67, false},        {"FIGUR", "FIGUR", 2, false},
        {"GEFUELLTEFIGUR", "GEF\xDCLLTEFIGUR", 4, false},
    };
    TKlassenFabrik fabrik;
    std::size_t row = 0;
    for (const auto& p : fabrik.Prototypes()) {
        while (row < std::size(rows) && p->Name != rows[row].Name) ++row;
        ASSERT_LT(row, std::size(rows)) << p->Name << " is out of table order";
        EXPECT_EQ(p->ClassName, rows[row].ClassName) << p->Name;
        EXPECT_EQ(p->ClassNumber, rows[row].Number) << p->Name;
        EXPECT_EQ(p->Drawable, rows[row].Drawable) << p->Name;
        EXPECT_EQ(p->Owner, nullptr) << p->Name;
        EXPECT_EQ(fabrik.FindByNumber(rows[row].Number), p.get()) << p->Name;
        EXPECT_FALSE(p->Methods().empty()) << p->Name;
    }
}
