// The help panel's data, the same on the desktop and in the browser: the
// reference pages a pupil copies into the editor and the class tree.
#include "UClassTree.h"
#include "UHelpTexts.h"
#include "UImageIndex.h"
#include "UKlassen.h"
#include "UObjekt.h"
#include "USyntaxcheckThread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

const THelpNode* Child(const THelpNode& node, const std::string& text) {
    for (const THelpNode& child : node.Children)
        if (child.Text == text) return &child;
    return nullptr;
}

const THelpNode* ClassNode(const std::vector<THelpNode>& nodes, const std::string& name) {
    for (const THelpNode& node : nodes)
        if (node.Text == name) return &node;
    return nullptr;
}

class TProbe : public TObjekt {
public:
    TProbe() : TObjekt("PROBE", nullptr) {}
    void AttributeChanged(TAttribut*) override {}
    void CallMethod(std::int32_t, TStack&) override {}
    void Draw(TDrawCanvas&) override {}
    std::unique_ptr<TObjekt> Clone(const std::string&, TObjekt*) override { return nullptr; }
};

}  // namespace

// A pupil copies the reference pages into the editor: every control structure
// of "Befehle", its placeholders filled in, and the example of "Konstanten"
// must pass the check as they stand.
TEST(HelpTexts, TheReferencePagesPassTheCheck) {
    static const TKlassenFabrik factory;
    auto hint = [](std::vector<std::string> lines) {
        TStringLines text(std::move(lines));
        TSyntaxcheckThread check(factory);
        const TSyntaxcheckResult result = check.Pass(text);
        return result.Error ? result.Error->Message + " (Zeile " + std::to_string(result.Error->Line) + ")"
                            : std::string();
    };
    auto filled = [](std::string line) {
        for (const auto& [placeholder, text] : {std::pair<std::string, std::string>{"<Bedingung>", "b"},
                                                {"<Objekt>", "f"},
                                                {"<Methodenname>", "m"},
                                                {"<Anweisungen>", "f.drehen(1)"},
                                                {" n mal", " 3 mal"}})
            for (std::size_t at; (at = line.find(placeholder)) != std::string::npos;)
                line.replace(at, placeholder.size(), text);
        return line;
    };
    const std::vector<const char*>& befehle = HelpTexts::Befehle();
    std::size_t i = std::find(befehle.begin(), befehle.end(), std::string("===================")) - befehle.begin();
    int blocks = 0;
    for (++i; i + 2 < befehle.size();) {
        std::vector<std::string> block{befehle[i], befehle[i + 1], befehle[i + 2]};
        i += 3;
        if (block.back() == "sonst") {
            block.insert(block.end(), {befehle[i], befehle[i + 1]});
            i += 2;
        }
        SCOPED_TRACE(block.front());
        std::vector<std::string> program;
        program.reserve(block.size());
        for (const std::string& line : block) program.push_back(filled(line));
        // A method sees no variables of the program: its body stays empty.
        if (block.front().rfind("methode", 0) == 0)
            program = {program[0], "", program[2], "m()"};
        else
            program.insert(program.begin(), {"f: Figur", "b: boolean"});
        EXPECT_EQ(hint(program), "");
        ++blocks;
    }
    EXPECT_EQ(blocks, 10);

    const std::vector<const char*>& konstanten = HelpTexts::Konstanten();
    const auto example = std::find(konstanten.begin(), konstanten.end(), std::string("r:RECHTECK"));
    ASSERT_NE(example, konstanten.end());
    EXPECT_EQ(hint({example, konstanten.end()}), "");
}

TEST(ClassTree, ShowsEveryClassWithAttributesReversedAndMethodsInOrder) {
    const TKlassenFabrik factory;
    const std::vector<THelpNode> nodes = ClassTreeNodes(factory);
    ASSERT_EQ(nodes.size(), factory.Prototypes().size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(nodes[i].Text, factory.Prototypes()[i]->Name);
        EXPECT_EQ(nodes[i].Image, ImageList::iiKlasse);
    }

    const THelpNode* farbe = ClassNode(nodes, "FARBE");
    ASSERT_NE(farbe, nullptr);
    std::vector<std::string> texts;
    for (const THelpNode& child : farbe->Children) texts.push_back(child.Text);
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 4),
              (std::vector<std::string>{"blau: Integer", "gruen: Integer", "rot: Integer",
                                        "setzergb(Rotwert: Integer,Gruenwert: Integer,Blauwert: Integer)"}));
    EXPECT_EQ(farbe->Children[0].Image, ImageList::iiAttribut);
    EXPECT_EQ(farbe->Children[3].Image, ImageList::iiMethode);

    // An object-valued attribute names its class and lists its object's attributes.
    const THelpNode* figur = ClassNode(nodes, "FIGUR");
    ASSERT_NE(figur, nullptr);
    const THelpNode* randfarbe = Child(*figur, "randfarbe: FARBE");
    ASSERT_NE(randfarbe, nullptr);
    ASSERT_EQ(randfarbe->Children.size(), 3u);
    EXPECT_EQ(randfarbe->Children[0].Text, "blau: Integer");
    EXPECT_NE(Child(*figur, "strecken(Streckugsfaktor: Real)"), nullptr);

    const THelpNode* fenster = ClassNode(nodes, "FENSTER");
    ASSERT_NE(fenster, nullptr);
    EXPECT_NE(Child(*fenster, "gitterein( )"), nullptr);
    EXPECT_NE(Child(*fenster, "zeichne(Figur: FIGUR)"), nullptr);
}

TEST(ClassTree, MethodTextsAndHiddenMembers) {
    const TKlassenFabrik factory;
    TProbe probe;
    TMethode* plain = probe.AddMethod("leer", 1);
    EXPECT_EQ(MethodNodeText(*plain, factory), "leer( )");
    TMethode* test = probe.AddMethod("pruefe", 2, vkBoolean);
    test->AddParameter("x", vkInteger, 0);
    test->AddParameter("f", vkObjekt, factory.ClassNumberOf("FARBE"));
    test->AddParameter("g", vkObjekt, 999983);
    EXPECT_EQ(MethodNodeText(*test, factory), "pruefe(x: Integer,f: FARBE,g: ):Boolean");

    probe.AddAttribute("a", 0, vkInteger);
    probe.AddAttribute("geheim", 0, vkString)->Hidden = true;
    probe.AddAttribute("b", 0, vkReal);
    probe.AddAttribute("c", 0, vkChar);
    probe.AddMethod("versteckt", 3)->Hidden = true;
    const THelpNode node = ClassTreeNode(probe, factory);
    std::vector<std::string> texts;
    for (const THelpNode& child : node.Children) texts.push_back(child.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"c: Char", "b: Real", "a: Integer", "leer( )",
                                               "pruefe(x: Integer,f: FARBE,g: ):Boolean"}));
}
