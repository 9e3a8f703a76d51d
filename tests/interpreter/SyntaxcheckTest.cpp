// One pass of the syntax check: accepted programs, every message with the
// text that provokes it, positions, the default-window flag and the
// published names.
#include "SyntaxcheckTestUtil.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

TEST(Syntaxcheck, AcceptsAProgramUsingEveryStatement) {
    const Lines program = {
        "methode quadrat(*f: Figur; seite: integer)",
        "   f.eckenSetzen(0, 0, seite, seite)",
        "   wenn seite > 10 dann",
        "      f.drehen(seite / 2)",
        "   sonst",
        "      f.drehen(1.5)",
        "   *wenn",
        "ende",
        "",
        "f: Figur",
        "fenster1: Fenster",
        "n, i: integer",
        "s: string",
        "b: boolean",
        "n := 3",
        "s := 'Runde ' + n + ': ' + sin(30)",
        "b := nicht (n = 3) oder wahr und n <> 4",
        "wiederhole (n) mal",
        "   quadrat(f, n * 10)",
        "*wiederhole",
        "wiederhole 3 mal *wiederhole",
        "wiederhole solange i < 10",
        "   i := i + 1",
        "*wiederhole",
        "wiederhole",
        "   i := i - 1",
        "*wiederhole bis i <= 0",
        "solange i < 3 tue",
        "   i := i + zufall(1, 2)",
        "*solange",
        "fuer f",
        "   links := round(-2.5) + trunc(abs(-2.7))",
        "   drehen(45)",
        "   randfarbe.setzergb(255, 0, 0)",
        "*f\xFCr",
        "fenster1.zeichne(f)",
        "f.randfarbe := rot",
        "f.randfarbe.rot := 128",
    };
    const THint hint = CheckLines(program);
    EXPECT_FALSE(hint.Found) << hint.Message;
}

struct TMessageCase {
    Lines Program;
    std::string Message;
};

// Every message of the check that is its own, each with a text that
// provokes it.
TEST(Syntaxcheck, MessagesOfStatements) {
    const std::vector<TMessageCase> cases = {
        {{"wenn wahr dann"}, "*wiederhole, *solange, *wenn oder *f\xFCr erwartet."},
        {{"x: integer", ")"}, ") ist hier nicht zul\xE4ssig."},
        {{"*wenn"}, "*wenn ist hier nicht zul\xE4ssig."},
        {{"x: integer", "x := 1", "ende"}, "ende ist hier nicht zul\xE4ssig."},
        {{"f: Figur", "fuer f", "fuer f", "*f\xFCr", "*f\xFCr"},
         "F\xFCr - Bl\xF6" "cke k\xF6nnen nicht geschachtelt werden!"},
        {{"x: integer", "fuer x", "*f\xFCr"}, "Nach f\xFCr wird ein Objekt erwartet."},
        {{"f: Figur", "fuer f", "*wenn"}, "*F\xFCr erwartet"},
        {{"wiederhole (3 mal", "*wiederhole"}, ") erwartet."},
        {{"wiederhole 3 tue", "*wiederhole"}, "mal erwartet."},
        {{"wiederhole immer", "*solange"}, "*wiederhole erwartet."},
        {{"wiederhole", "*wiederhole"}, "bis oder solange erwartet."},
        {{"solange wahr dann", "*solange"}, "tue erwartet."},
        {{"solange wahr tue", "*wenn"}, "*solange erwartet."},
        {{"wenn wahr tue", "*wenn"}, "dann erwartet."},
        {{"wenn wahr dann", "*solange"}, "*wenn erwartet."},
        {{"wenn wahr dann", "methode m", "*wenn", "ende"}, "Eine Methode wurde nicht mit Ende abgeschlossen"},
        {{"x: integer", "x = 1"}, ":= erwartet."},
        {{"solange wahr tue", "x: integer", "*solange"},
         "Variablendeklaration ist innerhalb von Wiederholungen (wiederhole/solange) nicht zul\xE4ssig."},
        {{"x: integer", "X: real"}, "Eine Variable/ein Objekt mit dem Namen X gibt es schon."},
        {{"rot: integer"}, "Eine Variable/ein Objekt mit dem Namen rot gibt es schon."},
        {{"a, a: integer"}, "Eine Variable/ein Objekt mit dem Namen a gibt es schon."},
        {{"a, : integer"}, "Bezeichner erwartet"},
        {{"a, b c: integer"}, "Komma oder Doppelpunkt erwartet."},
        {{"a: Auto"}, "Den Variablentyp/die Klasse Auto gibt es nicht."},
        {{"a: 3"}, "Variablentyp erwartet"},
    };
    for (const TMessageCase& c : cases) {
        SCOPED_TRACE(c.Program.front());
        EXPECT_EQ(HintMessage(c.Program), c.Message);
    }
}

TEST(Syntaxcheck, MessagesOfExpressions) {
    const Lines declarations = {"x: integer", "y: real", "s: string", "b: boolean", "c: char",
                                "f: Figur", "w: Fenster"};
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"b := 1 und wahr", "Vor And/Or wird ein boolescher Wert erwartet."},
        {"b := wahr oder 1", "Nach And/Or wird ein boolescher Wert erwartet."},
        {"b := 'a' < 1", "Vor <,>,<=,>=,<>,= wird ein Integer- oder Double-Wert erwartet."},
        {"b := 1 >= s", "Nach <,>,<=,>=,<>,= wird ein Integer- oder Double-Wert erwartet."},
        {"s := wahr + 1", "Vor + wird ein Integer-, Double- oder String- Wert erwartet."},
        {"s := 1 + f", "Nach + wird ein Integer-, Double- oder String- Wert erwartet."},
        {"s := 'a' - 1", "Vor + wird ein Integer-, Double-Wert erwartet."},
        {"s := 5 - 'a'", "Nach + wird ein Integer-, Double-Wert erwartet."},
        {"x := s * 2", "Vor *,/ wird ein Integer- oder Double-Wert erwartet."},
        {"y := 2 / b", "Nach *,/ wird ein Integer- oder Double-Wert erwartet."},
        {"x := -s", "Nach \"-\" wird ein Integer- oder Double-Termwert erwartet."},
        {"b := nicht 1", "Nach not wird ein boolescher Wert erwartet."},
        {"x := (1 + 2", " ) erwartet."},
        {"y := 2e", "2e ist keine zul\xE4ssige Zahl."},
        {"x := 99999999999", "99999999999 ist keine zul\xE4ssige Zahl."},
        {"x := * 2", "Bezeichner oder Funktionsaufruf erwartet.*  macht hier keinen Sinn."},  // the raw text keeps the blank read behind the star
        {"x :=", "Bezeichner oder Funktionsaufruf erwartet."},
        {"fuer 3", "Bezeichner erwartet."},
        {"x := z", "Den Bezeichner z gibt es nicht."},
        {"x := x.links", "x hat keine Eigenschaften/Methoden"},
        {"x := f.drehen(1).links", "f hat keine Eigenschaften/Methoden"},
        {"x := f.fl\xE4" "che", "fl\xE4" "che ist nicht der Name eines Attributs/einer Methode von f"},
        {"x := f.randfarbe.gelb", "gelb ist nicht der Name eines Attributs/einer Methode von f"},
        {"x := f.3", "Nach dem Punkt wird der Name einer Eigenschaft/Methode erwartet."},
        {"x := f.drehen(1)", "Die Methode drehen gibt nichts zur\xFC" "ck."},
        {"f.drehen", "( erwartet."},
        {"x := zufall(1 2)", ", erwartet."},
        {"f.drehen(1 2)", ") erwartet"},
        {"f.verschieben(1,", "Parameter erwartet (y-Verschiebung)."},
        {"x := sin(", "Parameter erwartet (Winkel in Grad)."},
        {"c := 'a'", "Typ Char erwartet"},
        {"x := 1.5", "Typ Integer erwartet"},
        {"y := 'a'", "Typ Double erwartet"},
        {"s := f", "Typ String erwartet."},
        {"w.zeichne(w)", "Klasse vom Index 2 erwartet."},
        {"f := w", "Klasse vom Index 2 erwartet."},
    };
    for (const auto& [statement, message] : cases) {
        SCOPED_TRACE(statement);
        Lines program = declarations;
        program.push_back(statement);
        EXPECT_EQ(HintMessage(program), message);
    }
}

TEST(Syntaxcheck, AcceptedConversionsAndUntestedConditions) {
    const Lines declarations = {"x: integer", "y: real", "s: string", "b: boolean", "f: Figur", "w: Fenster"};
    for (const std::string statement : {"y := x", "s := b", "s := y + x", "s := x - 1 + 'a'", "b := 5",
                                        "wenn x dann *wenn", "solange s tue *solange", "w.zeichne(f)",
                                        "x := zufall(1, x) * -2", "y := -y / 3", "x := f.randfarbe.rot"}) {
        SCOPED_TRACE(statement);
        Lines program = declarations;
        program.push_back(statement);
        EXPECT_EQ(HintMessage(program), "");
    }
}

TEST(Syntaxcheck, MessagesOfProgramMethods) {
    const std::vector<TMessageCase> cases = {
        // The declaration pass speaks the interpreter's words.
        {{"methode 3", "ende"}, "Nach Methode wird der Name der Methode erwartet."},
        {{"methode m(a: integer x", "ende"}, " ) erwartet"},
        {{"methode m", "x: integer"}, "Die Methode m muss mit Ende abgechlossen werden."},
        {{"methode m(a, A: integer)", "ende"}, "Einen Parameter mit dem Namen A gibt es schon."},
        {{"methode m(f: Figur)", "ende"},
         "Objekte sind nur als Variablenparameter, nicht als Werteparameter zul\xE4ssig."},
        {{"methode m(a: 3)", "ende"}, "Parametertyp erwartet"},
        {{"methode m(a: Auto)", "ende"}, "Den Variablentyp/die Klasse Auto gibt es nicht."},
        // Calls: a variable parameter takes a designator of exactly its type.
        {{"methode m(*a: integer)", "ende", "m(3)"}, "Bezeichner erwartet."},
        {{"methode m(*a: integer)", "ende", "y: real", "m(y)"},
         "Der Typ des Parameters a der Methode m stimmt nicht."},
        {{"methode m(*g: Figur)", "ende", "w: Fenster", "m(w)"},
         "Der Typ des Parameters g der Methode m stimmt nicht."},
        {{"methode m(a: integer)", "ende", "m("}, "Parameter erwartet (a)."},
        {{"methode m(a: integer)", "ende", "m()"}, "Bezeichner oder Funktionsaufruf erwartet.) macht hier keinen Sinn."},
        {{"methode m", "ende", "x: integer", "x := m()"}, "Die Methode m gibt nichts zur\xFC" "ck."},
        // Inside the body the parameters are known, and only there.
        {{"methode m(a: integer)", "a := 'x'", "ende"}, "Typ Integer erwartet"},
        {{"methode m(a: integer)", "ende", "a := 1"}, "Den Bezeichner a gibt es nicht."},
    };
    for (const TMessageCase& c : cases) {
        SCOPED_TRACE(c.Program.front());
        EXPECT_EQ(HintMessage(c.Program), c.Message);
    }
}

TEST(Syntaxcheck, ProgramMethodsAreKnownBeforeTheirText) {
    EXPECT_EQ(HintMessage({"x: integer", "zeige(x)", "methode zeige(*wert: integer)", "wert := wert + 1",
                           "zeige(wert)", "ende"}),
              "");
    // Each of two methods of one name has its own body checked.
    EXPECT_EQ(HintMessage({"methode m(a: integer)", "a := 1", "ende", "methode m(b: string)", "b := 'x'", "ende"}),
              "");
    EXPECT_EQ(HintMessage({"methode m(a: integer)", "a := 'x'", "ende", "methode m(b: string)", "ende"}),
              "Typ Integer erwartet");
}

TEST(Syntaxcheck, DeclarationsAreRefusedInEveryBlockButAcceptedInMethodBodies) {
    const std::string refused =
        "Variablendeklaration ist innerhalb von Wiederholungen (wiederhole/solange) nicht zul\xE4ssig.";
    EXPECT_EQ(HintMessage({"wenn wahr dann", "x: integer", "*wenn"}), refused);
    EXPECT_EQ(HintMessage({"wenn wahr dann", "sonst", "x: integer", "*wenn"}), refused);
    EXPECT_EQ(HintMessage({"f: Figur", "fuer f", "x: integer", "*f\xFCr"}), refused);
    EXPECT_EQ(HintMessage({"wiederhole 2 mal", "x: integer", "*wiederhole"}), refused);
    EXPECT_EQ(HintMessage({"methode m", "x: integer", "x := 1", "ende", "x: integer"}), "");
}

TEST(Syntaxcheck, RepeatCountInParenthesesEndsAtTheParenthesis) {
    EXPECT_EQ(HintMessage({"n: integer", "wiederhole (n) mal", "*wiederhole"}), "");
    EXPECT_EQ(HintMessage({"n: integer", "wiederhole (n) * 2 mal", "*wiederhole"}), "mal erwartet.");
    EXPECT_EQ(HintMessage({"y: real", "wiederhole (y) mal", "*wiederhole"}), "Typ Integer erwartet");
}

TEST(Syntaxcheck, AttributeAssignmentOnlyWhenTheSettingAllowsIt) {
    const Lines program = {"f: Figur", "f.links := 10"};
    EXPECT_EQ(HintMessage(program), "");
    EXPECT_EQ(HintMessage(program, true), "Einem Attribut darf kein Wert zugewiesen werden!");
    EXPECT_EQ(HintMessage({"r: Rechteck", "r.links := 10"}, true), "Einem Attribut darf kein Wert zugewiesen werden!");
    EXPECT_EQ(HintMessage({"f: Figur", "f.randfarbe.rot := 10"}, true),
              "Einem Attribut darf kein Wert zugewiesen werden!");
    EXPECT_EQ(HintMessage({"f: Figur", "fuer f", "links := 10", "*f\xFCr"}, true),
              "Einem Attribut darf kein Wert zugewiesen werden!");
    // Setters and plain variables stay allowed.
    EXPECT_EQ(HintMessage({"f: Figur", "x: integer", "f.linksSetzen(10)", "x := 1"}, true), "");
}

TEST(Syntaxcheck, HintPositions) {
    // Line index and 1-based column of the token the check stopped at;
    // after a rewind that may be the blank in front of it.
    THint h = CheckLines({"x: integer", "wenn x > 1 tue", "*wenn"});
    EXPECT_EQ(h.Line, 1);
    EXPECT_EQ(h.Column, 11);  // the blank before `tue`
    h = CheckLines({"s: string", "s := 5 - 'a'"});
    EXPECT_EQ(h.Line, 1);
    EXPECT_EQ(h.Column, 13);  // behind the operand
    h = CheckLines({"x: integer", "   y := 1"});
    EXPECT_EQ(h.Line, 1);
    EXPECT_EQ(h.Column, 4);  // the unknown name
    h = CheckLines({"wenn wahr dann", "   x: integer", "*wenn"});
    EXPECT_EQ(h.Line, 1);
    EXPECT_EQ(h.Column, 4);  // the declared name
    h = CheckLines({"wenn wahr dann", "   x := 1"});
    EXPECT_EQ(h.Message, "Den Bezeichner x gibt es nicht.");
    h = CheckLines({"wenn wahr dann"});
    EXPECT_EQ(h.Line, 0);
    EXPECT_EQ(h.Column, 16);  // the end of the text
}

TEST(Syntaxcheck, MissingEndOfBlockAtTheEndOfTheText) {
    EXPECT_EQ(HintMessage({"x: integer", "wenn x > 1 dann", "   x := 2"}),
              "*wiederhole, *solange, *wenn oder *f\xFCr erwartet.");
    EXPECT_EQ(HintMessage({"methode m", "   x: integer"}), "Die Methode m muss mit Ende abgechlossen werden.");
}

TEST(Syntaxcheck, DefaultWindowFlag) {
    EXPECT_TRUE(CheckLines({"r: Rechteck"}).DefaultWindow);
    EXPECT_FALSE(CheckLines({"r: Rechteck", "f: Fenster"}).DefaultWindow);
    EXPECT_TRUE(CheckLines({"t: Turtle", "g: Gruppe", "c: Farbe"}).DefaultWindow);
    EXPECT_TRUE(CheckLines({"f: Figur"}).DefaultWindow);
    EXPECT_FALSE(CheckLines({"f: Figur", "w: Fenster"}).DefaultWindow);
    EXPECT_FALSE(CheckLines({"w: Fenster", "f: Figur"}).DefaultWindow);
    EXPECT_FALSE(CheckLines({"x: integer", "c: Farbe"}).DefaultWindow);
    EXPECT_FALSE(CheckLines({}).DefaultWindow);
    // Parameters and locals of a method are no declarations of the program.
    EXPECT_FALSE(CheckLines({"methode m(*f: Figur)", "g: Figur", "ende"}).DefaultWindow);
    // A hint in front of the declarations does not hide them.
    const THint early = CheckLines({"wenn wahr dann", "x: integer", "*wenn", "f: Figur"});
    EXPECT_TRUE(early.Found);
    EXPECT_TRUE(early.DefaultWindow);
}

TEST(Syntaxcheck, PublishedSpaceHoldsPrototypesAndZeroValues) {
    static const TKlassenFabrik factory;
    TStringLines text({"f: Figur", "n: integer", "methode m(a: integer)", "lokal: real", "ende"});
    TSyntaxcheckThread check(factory);
    TSyntaxcheckResult result = check.Pass(text);
    ASSERT_TRUE(result.Space);
    const TVariant* f = result.Space->Lookup("F");
    ASSERT_TRUE(f);
    ASSERT_EQ(f->Kind(), vkObjekt);
    EXPECT_EQ(f->AsObject(), factory.FindByName("figur"));
    ASSERT_TRUE(result.Space->Lookup("n"));
    EXPECT_EQ(result.Space->Lookup("n")->Kind(), vkInteger);
    ASSERT_TRUE(result.Space->Lookup("m"));
    EXPECT_EQ(result.Space->Lookup("m")->Kind(), vkMethod);
    EXPECT_FALSE(result.Space->Lookup("a"));
    EXPECT_FALSE(result.Space->Lookup("lokal"));
    EXPECT_EQ(result.Space->ScopeCount(), 0);
    // The space does not own the prototype.
    result.Space.reset();
    EXPECT_EQ(factory.FindByName("figur")->ClassNumber, 2);
}

TEST(Syntaxcheck, PassesAreIndependent) {
    static const TKlassenFabrik factory;
    TSyntaxcheckThread check(factory);
    TStringLines bad({"wenn wahr dann"});
    TStringLines good({"x: integer", "x := 1"});
    EXPECT_TRUE(check.Pass(bad).Error);
    EXPECT_FALSE(check.Pass(good).Error);
    check.SetNoAttributeAssignment(true);
    TStringLines attribute({"f: Figur", "f.links := 1"});
    EXPECT_TRUE(check.Pass(attribute).Error);
}

// Nesting beyond the limits is reported instead of exhausting the stack.
TEST(Syntaxcheck, DeepNesting) {
    auto nestedBlocks = [](int depth) {
        Lines program(static_cast<std::size_t>(depth), "wenn wahr dann");
        program.insert(program.end(), static_cast<std::size_t>(depth), "*wenn");
        return program;
    };
    EXPECT_EQ(HintMessage(nestedBlocks(1000)), "");
    const THint tooDeep = CheckLines(nestedBlocks(1001));
    EXPECT_EQ(tooDeep.Message, "Die Bl\xF6" "cke sind zu tief geschachtelt.");
    EXPECT_EQ(tooDeep.Line, 1000);
    EXPECT_EQ(HintMessage(nestedBlocks(100000)), "Die Bl\xF6" "cke sind zu tief geschachtelt.");

    auto nestedParentheses = [](int depth) {
        return Lines{"x: integer", "x := " + std::string(static_cast<std::size_t>(depth), '(') + "1" +
                                       std::string(static_cast<std::size_t>(depth), ')')};
    };
    EXPECT_EQ(HintMessage(nestedParentheses(900)), "");
    EXPECT_EQ(HintMessage(nestedParentheses(100000)), "Der Ausdruck ist zu tief geschachtelt.");
    Lines calls = {"x: integer", "x := "};
    for (int i = 0; i < 5000; ++i) calls[1] += "abs(";
    EXPECT_EQ(HintMessage(calls), "Der Ausdruck ist zu tief geschachtelt.");
    Lines negations = {"b: boolean", "b := " + std::string(5000, '-') + "1"};
    EXPECT_EQ(HintMessage(negations), "Bezeichner oder Funktionsaufruf erwartet.- macht hier keinen Sinn.");
}

// Binary garbage and token soup end in at most one hint, never a hang.
TEST(Syntaxcheck, ArbitraryTextIsHandled) {
    std::mt19937 random(7);
    const std::vector<std::string> words = {"wenn", "dann", "sonst", "*wenn", "wiederhole", "*wiederhole",
                                            "solange", "tue", "fuer", "*f\xFCr", "methode", "ende", "(", ")",
                                            ",", ":", ":=", ".", "x", "f", "1", "2.5", "'s'", "+", "*",
                                            "integer", "Figur", "bis", "mal", "immer", "{", "}", "//"};
    for (int round = 0; round < 300; ++round) {
        Lines program = {"x: integer", "f: Figur"};
        std::string line;
        const int length = static_cast<int>(random() % 200);
        for (int i = 0; i < length; ++i) {
            if (round % 2 == 0) {
                line += words[random() % words.size()];
                line += ' ';
            } else {
                line += static_cast<char>(random() % 256);
            }
            if (random() % 8 == 0) {
                program.push_back(line);
                line.clear();
            }
        }
        program.push_back(line);
        const THint hint = CheckLines(program);
        if (hint.Found) {
            EXPECT_GE(hint.Line, 0);
            EXPECT_LT(hint.Line, static_cast<int>(program.size()));
            EXPECT_GE(hint.Column, 1);
        }
    }
}

} // namespace
