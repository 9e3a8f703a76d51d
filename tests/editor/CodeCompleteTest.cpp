// Code completion: the proposals for a dotted path and for a declaration
// line, narrowing, selection and insertion text, then the popup in the
// editor: opening, acceptance by Enter and by click, and the closing rules.
#include "EditorTestSupport.h"

#include "UCodeComplete.h"
#include "UKlassen.h"
#include "UObjekt.h"
#include "USyntaxcheck.h"
#include "UVorschlaege.h"

#include <QListWidget>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

// The names a finished background check published for `lines`.
struct TCompletionSetup {
    explicit TCompletionSetup(std::vector<std::string> lines) : Text(std::move(lines)), Check(Text) {
        Check.Trigger();
        Check.WaitUntilIdle();
        Model.SetSources(&Check);
    }
    TStringLines Text;
    TSyntaxcheck Check;
    TVorschlaege Model;
};

std::vector<std::string> ShownNames(const TVorschlaege& model) {
    std::vector<std::string> names;
    for (const TVorschlag* proposal : model.Shown()) names.push_back(proposal->Name);
    return names;
}

const TVorschlag* Shown(const TVorschlaege& model, const std::string& name) {
    for (const TVorschlag* proposal : model.Shown())
        if (proposal->Name == name) return proposal;
    return nullptr;
}

// The visible attributes, then the visible methods, of a class's prototype.
std::vector<std::string> MemberNames(const std::string& className) {
    TKlassenFabrik factory;
    const TObjekt* prototype = factory.FindByName(className);
    std::vector<std::string> names;
    for (const auto& a : prototype->Attributes())
        if (!a->Hidden) names.push_back(a->Name);
    for (const auto& m : prototype->Methods())
        if (!m->Hidden) names.push_back(m->Name);
    return names;
}

TEST(CodeCompleteLookup, MembersOfADeclaredObject) {
    TCompletionSetup s({"r: Rechteck", "w: Fenster"});
    EXPECT_EQ(s.Model.Lookup("r.", 2), 3);
    EXPECT_EQ(ShownNames(s.Model), MemberNames("rechteck"));
    EXPECT_EQ(s.Model.NamePath(), std::vector<std::string>{"r"});

    const TVorschlag* links = Shown(s.Model, "links");
    ASSERT_TRUE(links);
    EXPECT_EQ(links->Art, vaAttribut);
    EXPECT_EQ(links->Description, "Integer");
    EXPECT_EQ(Shown(s.Model, "sichtbar")->Description, "Boolean");
    EXPECT_EQ(Shown(s.Model, "randfarbe")->Description, "FARBE");
    const TVorschlag* drehen = Shown(s.Model, "drehen");
    ASSERT_TRUE(drehen);
    EXPECT_EQ(drehen->Art, vaMethode);
    EXPECT_TRUE(drehen->HasParameters);
    EXPECT_EQ(drehen->Description, "(Drehwinkel: Real)");
    EXPECT_EQ(Shown(s.Model, "verschieben")->Description, "(x-Verschiebung: Integer,y-Verschiebung: Integer)");

    EXPECT_EQ(s.Model.Lookup("w.", 2), 3);
    EXPECT_EQ(Shown(s.Model, "zeichne")->Description, "(Figur: FIGUR)");
    EXPECT_EQ(Shown(s.Model, "gitterein")->Description, "( )");
    EXPECT_FALSE(Shown(s.Model, "gitterein")->HasParameters);
    EXPECT_EQ(Shown(s.Model, "name")->Description, "String");
}

TEST(CodeCompleteLookup, TypedLettersNarrowTheListIgnoringCase) {
    TCompletionSetup s({"r: Rechteck"});
    EXPECT_EQ(s.Model.Lookup("   r.dr", 7), 6);
    EXPECT_EQ(s.Model.FilterPrefix, "dr");
    EXPECT_EQ(ShownNames(s.Model), (std::vector<std::string>{"drehen", "drehenUm"}));
    s.Model.FilterPrefix = "DREHENu";
    EXPECT_TRUE(s.Model.FillList());
    EXPECT_EQ(ShownNames(s.Model), std::vector<std::string>{"drehenUm"});
    s.Model.FilterPrefix = "drehenUmx";
    EXPECT_FALSE(s.Model.FillList());
    EXPECT_EQ(s.Model.InsertText(), "");
}

TEST(CodeCompleteLookup, ChainsFollowObjectAttributes) {
    TCompletionSetup s({"r: Rechteck", "n: integer"});
    EXPECT_EQ(s.Model.Lookup("x := r.randfarbe.ro", 19), 18);
    EXPECT_EQ(s.Model.NamePath(), (std::vector<std::string>{"r", "randfarbe"}));
    EXPECT_EQ(ShownNames(s.Model), (std::vector<std::string>{"rot", "rotSetzen"}));
    // The built-in colours are objects too.
    EXPECT_EQ(s.Model.Lookup("rot.", 4), 5);
    EXPECT_EQ(ShownNames(s.Model), MemberNames("farbe"));
}

TEST(CodeCompleteLookup, NothingForUnknownOrMalformedPaths) {
    TCompletionSetup s({"r: Rechteck", "n: integer"});
    ASSERT_EQ(s.Model.Lookup("r.", 2), 3);
    const std::vector<std::string> before = ShownNames(s.Model);
    for (const std::string line : {"q.", "n.", "r.links.", "3r.", "r..", "x := .", ".", " .x"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(s.Model.Lookup(line, static_cast<int>(line.size())), -1);
    }
    EXPECT_EQ(s.Model.Lookup("r.", 1), -1);
    EXPECT_EQ(s.Model.Lookup("r.", 0), -1);
    // A failed lookup leaves the list as it was.
    EXPECT_EQ(ShownNames(s.Model), before);

    TVorschlaege unpublished;
    EXPECT_EQ(unpublished.Lookup("r.", 2), -1);
    TStringLines text({"r: Rechteck"});
    TSyntaxcheck notYetRun(text);
    unpublished.SetSources(&notYetRun);
    EXPECT_EQ(unpublished.Lookup("r.", 2), -1);
    EXPECT_EQ(unpublished.Lookup("a:", 2), -1);
}

TEST(CodeCompleteLookup, TypesAfterTheColonOfADeclarationLine) {
    TCompletionSetup s({"x: integer"});
    std::vector<std::string> expected;
    TKlassenFabrik factory;
    for (const auto& prototype : factory.Prototypes()) expected.push_back(prototype->Name);
    for (const char* type : {"Boolean", "Integer", "Real", "Char", "String"}) expected.push_back(type);
    EXPECT_EQ(expected.size(), 18u);  // the thirteen classes and five types

    EXPECT_EQ(s.Model.Lookup("a,b:", 4), 5);
    EXPECT_EQ(ShownNames(s.Model), expected);
    EXPECT_EQ(s.Model.Shown().front()->Art, vaKlassenname);
    EXPECT_EQ(s.Model.Shown().back()->Art, vaTypname);
    EXPECT_EQ(s.Model.Lookup("neu:re", 6), 5);
    EXPECT_EQ(ShownNames(s.Model), (std::vector<std::string>{"RECHTECK", "Real"}));
    EXPECT_EQ(s.Model.Lookup("gr\xF6\xDF" "e:", 6), 7);

    // Blanks, assignments and names already declared are no declaration lines.
    for (const std::string line : {"a, b:", "x:=", "x:", "   a:", "a:b:=", "wenn a:"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(s.Model.Lookup(line, static_cast<int>(line.size())), -1);
    }
}

TEST(CodeCompleteLookup, SelectionAndInsertText) {
    TCompletionSetup s({"r: Rechteck", "w: Fenster"});
    ASSERT_EQ(s.Model.Lookup("r.dre", 5), 3);
    EXPECT_EQ(s.Model.Selected(), 0);
    EXPECT_EQ(s.Model.InsertText(), "drehen(");
    s.Model.SelectPrevious();
    EXPECT_EQ(s.Model.Selected(), 0);
    s.Model.SelectNext();
    s.Model.SelectNext();
    EXPECT_EQ(s.Model.Selected(), 1);
    EXPECT_EQ(s.Model.InsertText(), "drehenUm(");
    s.Model.Select(-1);
    EXPECT_EQ(s.Model.InsertText(), "");
    s.Model.SelectPrevious();  // none selected counts as the last
    EXPECT_EQ(s.Model.Selected(), 0);

    ASSERT_EQ(s.Model.Lookup("w.gittere", 9), 3);
    EXPECT_EQ(s.Model.InsertText(), "gitterein()");
    ASSERT_EQ(s.Model.Lookup("w.li", 4), 3);
    EXPECT_EQ(s.Model.InsertText(), "links");
    ASSERT_EQ(s.Model.Lookup("a:qu", 4), 3);
    EXPECT_EQ(s.Model.InsertText(), "QUADRAT");
}

// --- the popup in the editor ------------------------------------------------

struct TEditorWithPopup {
    TEditorWithPopup() : Editor(MakeEditor(500, 300)) {
        Popup.Attach(Editor.get());
        Editor->setFocus();
    }
    void Settle() { Editor->Syntaxcheck().WaitUntilIdle(); }
    std::unique_ptr<TSHControl> Editor;
    TFCodeComplete Popup;
};

TEST(CodeCompletePopup, OpensOnTheDotNarrowsAndInsertsWithEnter) {
    TEditorWithPopup e;
    Type(*e.Editor, "r: Rechteck\n");
    e.Settle();
    Type(*e.Editor, "r.");
    ASSERT_TRUE(e.Editor->CompletionOpen());
    EXPECT_TRUE(e.Popup.isVisible());
    EXPECT_EQ(e.Editor->CompletionStartColumn(), 3);
    EXPECT_EQ(e.Popup.ListBox()->count(), static_cast<int>(MemberNames("rechteck").size()));
    Type(*e.Editor, "dre");
    EXPECT_EQ(e.Popup.ListBox()->count(), 2);
    Key(*e.Editor, Qt::Key_Down);
    EXPECT_EQ(e.Popup.ListBox()->currentRow(), 1);
    Key(*e.Editor, Qt::Key_Up);
    Key(*e.Editor, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_EQ(e.Editor->LineText(1), "r.drehen(");
    EXPECT_EQ(e.Editor->CaretLine(), 1);
    EXPECT_EQ(e.Editor->CaretColumn(), 9);
    EXPECT_FALSE(e.Editor->CompletionOpen());
    EXPECT_FALSE(e.Popup.isVisible());
    EXPECT_EQ(e.Editor->LineCount(), 2);
}

TEST(CodeCompletePopup, AcceptingInsideAWordReplacesItsRest) {
    TEditorWithPopup e;
    e.Editor->LoadLines({"w: Fenster", "w.gitterexyz + 1"});
    e.Settle();
    e.Editor->SetCaret(1, 9);
    Key(*e.Editor, Qt::Key_Tab);
    ASSERT_TRUE(e.Editor->CompletionOpen());
    EXPECT_EQ(e.Popup.ListBox()->count(), 1);
    Key(*e.Editor, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_EQ(e.Editor->LineText(1), "w.gitterein() + 1");
    EXPECT_EQ(e.Editor->CaretColumn(), 13);
    EXPECT_TRUE(e.Editor->Modified());
}

TEST(CodeCompletePopup, TypeNamesOnADeclarationLine) {
    TEditorWithPopup e;
    Type(*e.Editor, "x: integer\n");
    e.Settle();
    Type(*e.Editor, "a,b:");
    ASSERT_TRUE(e.Editor->CompletionOpen());
    Type(*e.Editor, "Kr");
    EXPECT_EQ(e.Popup.ListBox()->count(), 1);
    Key(*e.Editor, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_EQ(e.Editor->LineText(1), "a,b:KREIS");

    Type(*e.Editor, "\nc, d:");
    EXPECT_FALSE(e.Editor->CompletionOpen());
}

TEST(CodeCompletePopup, ClosingRules) {
    TEditorWithPopup e;
    Type(*e.Editor, "r: Rechteck\n");
    e.Settle();
    auto reopen = [&] {
        Type(*e.Editor, "r.dre");
        ASSERT_TRUE(e.Editor->CompletionOpen());
    };
    reopen();
    Type(*e.Editor, " ");  // a blank ends the word
    EXPECT_FALSE(e.Editor->CompletionOpen());
    EXPECT_FALSE(e.Popup.isVisible());

    Type(*e.Editor, "\n");
    reopen();
    Key(*e.Editor, Qt::Key_Escape);
    EXPECT_FALSE(e.Editor->CompletionOpen());

    Type(*e.Editor, "\n");
    reopen();
    Type(*e.Editor, "q");  // nothing starts with dreq
    EXPECT_FALSE(e.Editor->CompletionOpen());

    Type(*e.Editor, "\n");
    reopen();
    Mouse(*e.Editor, QEvent::MouseButtonPress, 100, 10);
    Mouse(*e.Editor, QEvent::MouseButtonRelease, 100, 10);
    EXPECT_FALSE(e.Editor->CompletionOpen());

    e.Editor->SetCaret(e.Editor->LineCount() - 1, 0);
    Type(*e.Editor, "r.");
    ASSERT_TRUE(e.Editor->CompletionOpen());
    Key(*e.Editor, Qt::Key_Backspace);  // back in front of the dot
    Key(*e.Editor, Qt::Key_Backspace);
    EXPECT_FALSE(e.Editor->CompletionOpen());
}

TEST(CodeCompletePopup, ClickAcceptsTheClickedProposal) {
    TEditorWithPopup e;
    Type(*e.Editor, "r: Rechteck\n");
    e.Settle();
    Type(*e.Editor, "r.dre");
    ASSERT_TRUE(e.Editor->CompletionOpen());
    QListWidget* list = e.Popup.ListBox();
    QApplication::processEvents();
    // Showing the list takes neither the focus nor the activation.
    ASSERT_TRUE(e.Editor->CompletionOpen());
    EXPECT_EQ(QApplication::focusWidget(), e.Editor.get());
    const QPoint at = list->visualItemRect(list->item(1)).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &press);
    QApplication::sendEvent(list->viewport(), &release);
    EXPECT_EQ(e.Editor->LineText(1), "r.drehenUm(");
    EXPECT_FALSE(e.Editor->CompletionOpen());
}

TEST(CodeCompletePopup, ItemsShowTheirIcons) {
    TEditorWithPopup e;
    Type(*e.Editor, "r: Rechteck\n");
    e.Settle();
    Type(*e.Editor, "r.");
    ASSERT_TRUE(e.Editor->CompletionOpen());
    QListWidget* list = e.Popup.ListBox();
    QApplication::processEvents();
    auto colourInIcon = [&](int row, QRgb colour) {
        list->scrollToItem(list->item(row));
        const QImage picture = list->viewport()->grab().toImage();
        const QRect r = list->visualItemRect(list->item(row));
        for (int y = r.top(); y < r.top() + 16; ++y)
            for (int x = r.left() + 2; x < r.left() + 18; ++x)
                if ((picture.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) return true;
        return false;
    };
    const int firstMethod = static_cast<int>(std::count_if(
        e.Popup.Model().Shown().begin(), e.Popup.Model().Shown().end(),
        [](const TVorschlag* p) { return p->Art == vaAttribut; }));
    EXPECT_TRUE(colourInIcon(1, qRgb(0, 128, 0)));              // A, attribute
    EXPECT_TRUE(colourInIcon(firstMethod, qRgb(128, 0, 0)));    // M, method
    EXPECT_FALSE(colourInIcon(firstMethod, qRgb(0, 128, 0)));
    const QImage klass = TFCodeComplete::Icon(vaKlassenname);
    EXPECT_EQ(klass.size(), QSize(16, 16));
    EXPECT_EQ(klass.pixel(3, 8) & 0xFFFFFF, qRgb(0, 0, 255) & 0xFFFFFF);
    EXPECT_EQ(qAlpha(klass.pixel(15, 0)), 0);
    EXPECT_TRUE(TFCodeComplete::Icon(vaTypname).isNull());
}

// The list shows each item whole: it scrolls sideways only when an item is
// wider than the list, and then far enough to reach the item's end.
TEST(CodeCompletePopup, ListScrollsSidewaysOnlyForWideItems) {
    TEditorWithPopup e;
    Type(*e.Editor, "r: Rechteck\n");
    e.Settle();
    QListWidget* list = e.Popup.ListBox();
    Type(*e.Editor, "a,b:");
    ASSERT_TRUE(e.Editor->CompletionOpen());
    QApplication::processEvents();
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    Key(*e.Editor, Qt::Key_Escape);

    Type(*e.Editor, "\nr.dr");
    ASSERT_TRUE(e.Editor->CompletionOpen());
    QApplication::processEvents();
    const auto& shown = e.Popup.Model().Shown();
    ASSERT_EQ(list->count(), 2);
    int widest = 0;
    for (int row = 0; row < list->count(); ++row) {
        const int needed = TFCodeComplete::ItemWidth(*shown[static_cast<std::size_t>(row)]);
        EXPECT_GT(needed, 26);
        EXPECT_GE(list->visualItemRect(list->item(row)).width(), needed);
        widest = std::max(widest, needed);
    }
    const int reach = list->viewport()->width() + list->horizontalScrollBar()->maximum();
    EXPECT_GE(reach, widest);
    EXPECT_EQ(list->horizontalScrollBar()->isVisible(), widest > list->viewport()->width());
}

} // namespace

// Typing at the end of a line of a million characters proposes what a short
// line with the same end proposes, and takes about as long: each keystroke
// used to copy the word before the caret once per character and a dotted
// path once per name (seconds, and minutes on a line of dotted names).
TEST(CodeCompletePopup, TypingAtTheEndOfAMillionCharacterLine) {
    struct TCase {
        std::string Unit;   // repeated to make the line
        std::string Typed;  // at its end
    };
    struct TSeen {
        bool Open = false;
        int Count = 0;
        std::string Tail;
        bool operator==(const TSeen&) const = default;
    };
    auto typeAtTheEnd = [](const std::string& line, const std::string& typed) {
        TEditorWithPopup e;
        e.Editor->LoadLines({"r: Rechteck", line});
        e.Settle();
        e.Editor->SetCaret(1, static_cast<int>(line.size()));
        Type(*e.Editor, typed);
        const std::string text = e.Editor->LineText(1);
        EXPECT_EQ(text.size(), line.size() + typed.size());
        return TSeen{e.Editor->CompletionOpen(), e.Popup.ListBox()->count(), text.substr(text.size() - typed.size())};
    };
    for (const TCase& c : {TCase{"a.", "r."}, TCase{"x ", "r.dr"}, TCase{"a", ".b"}, TCase{"a,", "b:qu"},
                           TCase{"r.", "r.li"}, TCase{"x", "y"}}) {
        SCOPED_TRACE(c.Unit + " ... " + c.Typed);
        std::string line;
        while (line.size() < 1000000) line += c.Unit;
        const TSeen seen = typeAtTheEnd(line, c.Typed);
        EXPECT_EQ(seen.Tail, c.Typed);
        EXPECT_TRUE(seen == typeAtTheEnd(c.Unit + c.Unit, c.Typed)) << seen.Open << ' ' << seen.Count;
    }
    // The ones that propose something do so on the long line too.
    EXPECT_EQ(typeAtTheEnd("x" + std::string(999999, ' '), "r.dr").Count, 2);  // drehen, drehenUm
    EXPECT_EQ(typeAtTheEnd(std::string(1000000, ',') + "b:", "qu").Count, 1);  // QUADRAT
}
