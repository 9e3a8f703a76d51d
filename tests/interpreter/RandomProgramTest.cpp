// Random programs from the language's own grammar: declarations of every
// class, calls of every method with right and wrong arguments, attribute
// assignments, nested blocks, own methods with parameters and recursion,
// expressions with every operator and built-in function. Half of them are
// mutated afterwards (tokens deleted, doubled or swapped, the text cut off,
// random bytes, very long lines, deep nesting). Each goes through the
// scanner, the line formatter, one syntax check pass and a run with a step
// limit; the core's sanitizer build (test_core_asan) runs them too.
//
// What must hold for every text: nothing crashes, the run ends, every error
// sits inside the text and says something from the message tables, and a
// failing declaration pass is reported by the check exactly as by the run.
// For the generated programs the generator also knows whether it put an
// error in: without one the check is silent and the run ends at the text's
// end with everything unwound, or stops at the step limit or with one of the
// errors that only values cause (overflow, division by zero, recursion).
#include "FuzzRounds.h"
#include "graphics/FakeCanvas.h"

#include "UFehler.h"
#include "UInterpreter.h"
#include "UInterpreterMeldungen.h"
#include "UKlassen.h"
#include "UMeldungen.h"
#include "UObjekt.h"
#include "UProgramMemory.h"
#include "UScanner.h"
#include "USyntaxcheckMeldungen.h"
#include "USyntaxcheckThread.h"
#include "UVariablen.h"
#include "UVariablenText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// ---------------------------------------------------------------------------
// What the language publishes: the classes with their members, the built-in
// constants and functions.

struct TLanguage {
    TKlassenFabrik Factory;
    TVarSpace BuiltIns;
    std::vector<const TObjekt*> Classes;
    std::vector<const TVariable*> Constants;  // Integer and colour constants
    std::vector<const TVariable*> Functions;

    TLanguage() {
        for (const auto& prototype : Factory.Prototypes()) Classes.push_back(prototype.get());
        for (int i = 0; i < BuiltIns.Count(); ++i) {
            const TVariable* v = BuiltIns.At(i);
            if (!v->BuiltIn || !v->Value) continue;
            if (v->Value->Kind() == vkMethod) Functions.push_back(v);
            else if (!v->Name.empty()) Constants.push_back(v);
        }
    }
};

const TLanguage& Language() {
    static const TLanguage language;
    return language;
}

// ---------------------------------------------------------------------------
// The generator.

struct TVar {
    std::string Name;
    TKind Kind = vkInteger;
    const TObjekt* Class = nullptr;  // the prototype, for objects
};

struct TProgramMethod {
    std::string Name;
    std::vector<TParameter> Parameters;
    bool Recursive = false;   // first parameter counts down to 0
    bool HasLocals = false;
};

struct TProgram {
    Lines Text;
    bool ErrorPlanted = false;  // some statement is wrong on purpose
    bool ForbidAttributeAssignment = false;
};

// One piece of an expression and its binding level: 0 und/oder, 1 relation,
// 2 sum, 3 product, 4 unary, 5 factor.
struct TPiece {
    std::string Text;
    int Level = 5;
};

class TGenerator {
public:
    explicit TGenerator(std::uint32_t seed) : R(seed) {}

    TProgram Generate() {
        TProgram program;
        Program = &program;
        WantError = Chance(0.35);
        program.ForbidAttributeAssignment = Chance(0.08);

        // Globals first: every method body and the main program may use them.
        Lines declarations;
        for (TKind kind : {vkBoolean, vkChar, vkInteger, vkReal, vkString}) {
            const int count = Pick(1, 3);
            std::string line;
            for (int i = 0; i < count; ++i) {
                TVar v{NewName(), kind, nullptr};
                line += (i ? ", " : "") + v.Name;
                Globals.push_back(v);
            }
            declarations.push_back(line + ": " + Keyword(TypeName(kind)));
        }
        const auto& classes = Language().Classes;
        for (int i = Pick(2, 7); i > 0; --i) {
            const TObjekt* cls = classes[Index(classes.size())];
            const int count = Pick(1, 3);
            std::string line;
            for (int k = 0; k < count; ++k) {
                TVar v{NewName(), vkObjekt, cls};
                line += (k ? ", " : "") + v.Name;
                Globals.push_back(v);
            }
            declarations.push_back(line + ": " + ClassWord(*cls));
        }

        Lines methods;
        for (int m = Pick(0, 3); m > 0; --m) GenerateMethod(methods);

        Lines main;
        TContext context;
        context.Vars = Globals;
        Block(main, context, Pick(5, 25), 0);

        // Loop counters were made while generating; they go to the top.
        if (!Counters.empty()) {
            std::string line;
            for (std::size_t i = 0; i < Counters.size(); ++i) line += (i ? ", " : "") + Counters[i];
            declarations.push_back(line + ": integer");
        }
        program.Text.push_back("// Zufallsprogramm \xE4\xF6\xFC\xDF");
        for (Lines* part : {&declarations, &methods, &main}) {
            if (Chance(0.3)) program.Text.push_back("");
            program.Text.insert(program.Text.end(), part->begin(), part->end());
        }
        return program;
    }

private:
    struct TContext {
        std::vector<TVar> Vars;
        const TObjekt* Fuer = nullptr;  // names resolve against its members first
        int Depth = 0;                  // loops, conditions and fuer blocks
        int Method = -1;                // index of the method whose body this is
    };

    // --- randomness
    bool Chance(double p) { return std::bernoulli_distribution(p)(R); }
    int Pick(int from, int to) { return std::uniform_int_distribution<int>(from, to)(R); }
    std::size_t Index(std::size_t size) { return std::uniform_int_distribution<std::size_t>(0, size - 1)(R); }
    template <class T>
    const T& OneOf(const std::vector<T>& items) {
        return items[Index(items.size())];
    }

    // Keywords and class names in any letter case.
    std::string Keyword(std::string word) {
        switch (Pick(0, 5)) {
        case 0:
            for (char& c : word) c = UpperAscii(c);
            break;
        case 1: word[0] = UpperAscii(word[0]); break;
        default: break;
        }
        return word;
    }
    static char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
    static std::string LowerAscii(std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        return s;
    }
    std::string ClassWord(const TObjekt& cls) { return Keyword(LowerAscii(cls.ClassName)); }
    static std::string TypeName(TKind kind) {
        switch (kind) {
        case vkBoolean: return "boolean";
        case vkChar: return "char";
        case vkInteger: return "integer";
        case vkReal: return "real";
        default: return "string";
        }
    }
    std::string EndFuer() { return Chance(0.5) ? "*f\xFCr" : "*F\xDCR"; }

    // Names with digits never meet a keyword, a built-in or a member name.
    std::string NewName() {
        static const std::vector<std::string> stems = {"a", "zahl", "gr\xF6\xDF" "e", "x", "f\xFC" "ller",
                                                       "Wert", "\xC4pfel", "n_", "figur"};
        return OneOf(stems) + std::to_string(++NameCount);
    }

    bool Visible(const TContext& c, const std::string& name) const {
        return !c.Fuer || (!c.Fuer->FindAttribute(name) && !c.Fuer->FindMethod(name));
    }

    static bool Numeric(TKind k) { return k == vkInteger || k == vkReal; }

    // --- values

    std::string IntegerLiteral() {
        static const std::vector<std::string> literals = {"0", "1", "2", "3", "7", "10", "42", "100",
                                                          "255", "360", "1000", "65535", "2147483647",
                                                          "1000000", "00012"};
        return OneOf(literals);
    }
    std::string RealLiteral() {
        static const std::vector<std::string> literals = {"0.5", "2.5", "3.", "1e3", "2E-3", "0.0",
                                                          "1e300", "1.5e+2", "123456789.125", "1e-300",
                                                          "99.99"};
        return OneOf(literals);
    }
    std::string StringLiteral() {
        static const std::vector<std::string> literals = {"''", "'a'", "'Hallo Welt'", "'\xC4\xD6\xDC\xE4\xF6\xFC\xDF'",
                                                          "' '", "'1,5'", "'wenn dann'", "'{kein Kommentar}'",
                                                          "'//'", "'Tab\tTab'"};
        if (Chance(0.03)) return "'" + std::string(static_cast<std::size_t>(Pick(100, 5000)), 'x') + "'";
        return OneOf(literals);
    }

    // Designators that yield a value of `kind` (class `cls` for objects; an
    // exact class when `exact`), with up to one level of attribute objects.
    std::vector<std::string> Sources(const TContext& c, TKind kind, std::int32_t cls, bool exact,
                                     bool assignable) {
        std::vector<std::string> out;
        auto fits = [&](TKind k, std::int32_t number) {
            if (k != kind) return false;
            if (kind != vkObjekt) return true;
            return exact ? number == cls : ClassAccepts(cls, number);
        };
        auto members = [&](const TObjekt& object, const std::string& prefix, int levels, auto& self) -> void {
            for (const auto& a : object.Attributes()) {
                if (a->Hidden) continue;
                const TKind k = a->Value.Kind();
                TObjekt* inner = k == vkObjekt ? a->Value.AsObject() : nullptr;
                if (fits(k, inner ? inner->ClassNumber : 0)) out.push_back(prefix + a->Name);
                if (inner && levels > 0) self(*inner, prefix + a->Name + ".", levels - 1, self);
            }
        };
        for (const TVar& v : c.Vars) {
            if (!Visible(c, v.Name)) continue;
            if (fits(v.Kind, v.Class ? v.Class->ClassNumber : 0)) out.push_back(v.Name);
            if (v.Class) members(*v.Class, v.Name + ".", 1, members);
        }
        if (c.Fuer) members(*c.Fuer, "", 0, members);
        if (!assignable || Chance(0.2))
            for (const TVariable* constant : Language().Constants) {
                const TObjekt* object = constant->Value->Kind() == vkObjekt ? constant->Value->AsObject() : nullptr;
                if (Visible(c, constant->Name) && fits(constant->Value->Kind(), object ? object->ClassNumber : 0))
                    out.push_back(constant->Name);
            }
        return out;
    }

    // A call of a method with a result of `kind`, or nothing.
    std::optional<std::string> ResultCall(const TContext& c, TKind kind, int budget) {
        std::vector<std::pair<std::string, const TMethode*>> calls;
        for (const TVariable* f : Language().Functions) {
            const TMethode* m = f->Value->AsMethod();
            if (m->Result && m->Result->Kind == kind && Visible(c, f->Name)) calls.push_back({f->Name, m});
        }
        for (const TVar& v : c.Vars)
            if (v.Class && Visible(c, v.Name))
                for (const auto& m : v.Class->Methods())
                    if (!m->Hidden && m->Result && m->Result->Kind == kind && kind != vkObjekt)
                        calls.push_back({v.Name + "." + m->Name, m.get()});
        if (calls.empty()) return std::nullopt;
        const auto& [name, method] = calls[Index(calls.size())];
        std::optional<std::string> arguments = Arguments(c, method->Parameters, budget - 1);
        if (!arguments) return std::nullopt;
        return name + *arguments;
    }

    std::optional<std::string> Arguments(const TContext& c, const std::vector<TParameter>& parameters, int budget) {
        std::string out = "(";
        for (std::size_t i = 0; i < parameters.size(); ++i) {
            const TParameter& p = parameters[i];
            std::optional<std::string> argument;
            if (p.ByReference) {
                std::vector<std::string> targets = Sources(c, p.Kind, p.ClassNumber, true, true);
                if (!targets.empty()) argument = OneOf(targets);
            } else {
                argument = Value(c, p.Kind, p.ClassNumber, budget);
            }
            if (!argument) return std::nullopt;
            out += (i ? (Chance(0.8) ? ", " : ",") : "") + *argument;
        }
        return out + ")";
    }

    // An expression of `kind` as `Evaluate` expects it.
    std::optional<std::string> Value(const TContext& c, TKind kind, std::int32_t cls, int budget) {
        if (kind == vkObjekt || kind == vkChar) {
            std::vector<std::string> sources = Sources(c, kind, cls, false, false);
            if (sources.empty()) return std::nullopt;
            return OneOf(sources);
        }
        if (kind == vkReal && Chance(0.3)) kind = vkInteger;  // an Integer is taken as Real
        if (kind == vkString && Chance(0.2)) kind = Chance(0.5) ? vkInteger : vkBoolean;  // converted
        return Expression(c, kind, budget, 0).Text;
    }

    TPiece Wrap(TPiece piece, int level) {
        if (piece.Level < level) return {"(" + piece.Text + ")", 5};
        return piece;
    }

    // An expression of exactly `kind` (Boolean, Integer, Real or String).
    TPiece Expression(const TContext& c, TKind kind, int budget, int level) {
        return Wrap(RawExpression(c, kind, budget), level);
    }

    TPiece RawExpression(const TContext& c, TKind kind, int budget) {
        const bool leaf = budget <= 0 || Chance(0.35);
        if (leaf) {
            if (Chance(0.55)) {
                std::vector<std::string> sources = Sources(c, kind, 0, false, false);
                if (!sources.empty()) return {OneOf(sources), 5};
            }
            switch (kind) {
            case vkBoolean: return {Keyword(Chance(0.5) ? "wahr" : "falsch"), 5};
            case vkInteger: return {IntegerLiteral(), 5};
            case vkReal: return {RealLiteral(), 5};
            default: return {StringLiteral(), 5};
            }
        }
        --budget;
        if (Chance(0.15)) {
            if (std::optional<std::string> call = ResultCall(c, kind, budget)) return {*call, 5};
        }
        if (Chance(0.1)) return {"(" + Expression(c, kind, budget, 0).Text + ")", 5};
        switch (kind) {
        case vkBoolean:
            switch (Pick(0, 2)) {
            case 0: {
                static const std::vector<std::string> relations = {"=", "<", ">", "<=", ">=", "<>"};
                const TKind left = Chance(0.5) ? vkInteger : vkReal;
                const TKind right = Chance(0.5) ? vkInteger : vkReal;
                return {Expression(c, left, budget, 2).Text + " " + OneOf(relations) + " " +
                            Expression(c, right, budget, 2).Text,
                        1};
            }
            case 1:
                return {Expression(c, vkBoolean, budget, 0).Text + " " + Keyword(Chance(0.5) ? "und" : "oder") +
                            " " + Expression(c, vkBoolean, budget, 1).Text,
                        0};
            default: return {Keyword("nicht") + " " + Expression(c, vkBoolean, budget, 5).Text, 4};
            }
        case vkString: {
            // Either side may be a number; the other then is a String.
            const bool stringLeft = Chance(0.6);
            const TKind other = static_cast<TKind>(OneOf(std::vector<int>{vkInteger, vkReal, vkString}));
            return {Expression(c, stringLeft ? vkString : other, budget, 2).Text + " + " +
                        Expression(c, stringLeft ? other : vkString, budget, 3).Text,
                    2};
        }
        default: {
            // Integer or Real: a Real result needs a Real on one side.
            if (Chance(0.15)) return {"-" + Expression(c, kind, budget, 5).Text, 4};
            TKind left = kind, right = kind;
            if (kind == vkReal && Chance(0.5)) (Chance(0.5) ? left : right) = vkInteger;
            static const std::vector<std::string> operators = {"+", "-", "*", "+", "-", "*", "/"};
            const std::string op = OneOf(operators);
            const int opLevel = op == "+" || op == "-" ? 2 : 3;
            // Most divisors are numbers other than 0, or every run would end
            // dividing by an attribute that is still 0.
            const std::string divisor = op == "/" && Chance(0.8) ? std::to_string(Pick(1, 9))
                                                                   : Expression(c, right, budget, opLevel + 1).Text;
            return {Expression(c, left, budget, opLevel).Text + " " + op + " " + divisor, opLevel};
        }
        }
    }

    // --- statements

    std::string Indent(int depth) {
        if (Chance(0.05)) return "\t";
        return std::string(static_cast<std::size_t>(std::max(0, depth + (Chance(0.1) ? Pick(-1, 1) : 0)) * 3), ' ');
    }

    bool Plant() {
        if (!WantError || Program->ErrorPlanted || !Chance(0.12)) return false;
        Program->ErrorPlanted = true;
        return true;
    }

    void Block(Lines& out, TContext& c, int count, int depth) {
        for (int i = 0; i < count; ++i) {
            if (Chance(0.06)) out.push_back(Chance(0.5) ? "" : Indent(depth) + "// Kommentar \xE4\xF6\xFC");
            Statement(out, c, depth);
        }
    }

    void Statement(Lines& out, TContext& c, int depth) {
        const std::string in = Indent(depth);
        if (Plant()) return PlantedError(out, c, depth);
        const bool nested = depth < 4 && out.size() < 400;
        switch (Pick(0, 13)) {
        case 0:
        case 1:
        case 2: return Assignment(out, c, in);
        case 3:
        case 4: return ObjectCall(out, c, in, false);
        case 5: return ObjectCall(out, c, in, true);
        case 6:
            // Inside a fuer block a method body would see the block's names.
            if (!c.Fuer) return ProgramCall(out, c, in);
            return Assignment(out, c, in);
        case 7:
            if (nested) return Wenn(out, c, depth);
            return Assignment(out, c, in);
        case 8:
        case 9:
            if (nested) return Loop(out, c, depth);
            return ObjectCall(out, c, in, false);
        case 10:
            if (nested && !c.Fuer) return Fuer(out, c, depth);
            return Assignment(out, c, in);
        case 11:
            // A recursive method declares nothing: the next call would meet
            // the names of the one still running.
            if (c.Depth == 0 && (c.Method < 0 || !Methods[static_cast<std::size_t>(c.Method)].Recursive))
                return Declaration(out, c, in);
            return Assignment(out, c, in);
        default:
            return Assignment(out, c, in);
        }
    }

    void Assignment(Lines& out, const TContext& c, const std::string& in) {
        static const std::vector<TKind> kinds = {vkBoolean, vkChar, vkInteger, vkReal, vkString, vkObjekt};
        for (int attempt = 0; attempt < 4; ++attempt) {
            const TKind kind = OneOf(kinds);
            std::vector<std::string> targets = Sources(c, kind, 0, false, true);
            if (kind == vkObjekt) {
                // Objects: any visible object variable or attribute, by its class.
                std::vector<std::pair<std::string, std::int32_t>> objects;
                for (const TVar& v : c.Vars)
                    if (v.Class && Visible(c, v.Name)) objects.push_back({v.Name, v.Class->ClassNumber});
                if (objects.empty()) continue;
                const auto& [name, number] = objects[Index(objects.size())];
                std::optional<std::string> value = Value(c, vkObjekt, number, 2);
                if (!value) continue;
                out.push_back(in + name + " := " + *value);
                return;
            }
            if (targets.empty()) continue;
            const std::string target = OneOf(targets);
            const bool attribute = target.find('.') != std::string::npos || !Visible(c, target);
            std::optional<std::string> value = Value(c, kind, 0, 3);
            if (!value) continue;
            if (attribute && Program->ForbidAttributeAssignment) Program->ErrorPlanted = true;
            out.push_back(in + target + (Chance(0.9) ? " := " : ":=") + *value);
            return;
        }
        out.push_back(in + "{ nichts }");
    }

    // A built-in method of an object (or of the fuer object), without result
    // as a statement, with one assigned to a variable of its kind.
    void ObjectCall(Lines& out, const TContext& c, const std::string& in, bool withResult) {
        std::vector<std::pair<std::string, const TMethode*>> calls;
        for (const TVar& v : c.Vars)
            if (v.Class && Visible(c, v.Name))
                for (const auto& m : v.Class->Methods())
                    if (!m->Hidden && m->HasResult() == withResult) calls.push_back({v.Name + ".", m.get()});
        if (c.Fuer)
            for (const auto& m : c.Fuer->Methods())
                if (!m->Hidden && m->HasResult() == withResult) calls.push_back({"", m.get()});
        if (calls.empty()) return Assignment(out, c, in);
        const auto& [prefix, method] = calls[Index(calls.size())];
        std::optional<std::string> arguments = Arguments(c, method->Parameters, 2);
        if (!arguments) return Assignment(out, c, in);
        std::string call = prefix + method->Name + *arguments;
        if (!withResult) return out.push_back(in + call);
        std::vector<std::string> targets =
            Sources(c, method->Result->Kind, method->Result->ClassNumber, false, true);
        if (targets.empty() || method->Result->Kind == vkObjekt) return Assignment(out, c, in);
        out.push_back(in + OneOf(targets) + " := " + call);
    }

    void ProgramCall(Lines& out, const TContext& c, const std::string& in) {
        // Only methods declared before this one, or itself when it recurses:
        // no cycle can redeclare a local of a call still running.
        std::vector<const TProgramMethod*> callable;
        for (std::size_t i = 0; i < Methods.size(); ++i) {
            const bool self = static_cast<int>(i) == c.Method;
            if ((c.Method < 0 || static_cast<int>(i) < c.Method) || (self && Methods[i].Recursive))
                callable.push_back(&Methods[i]);
        }
        if (callable.empty()) return Assignment(out, c, in);
        const TProgramMethod& m = *OneOf(callable);
        const bool self = static_cast<int>(&m - Methods.data()) == c.Method;
        std::vector<TParameter> rest = m.Parameters;
        if (m.Recursive) rest.erase(rest.begin());
        std::optional<std::string> arguments = Arguments(c, rest, 2);
        if (!arguments) return Assignment(out, c, in);
        if (!m.Recursive) return out.push_back(in + m.Name + *arguments);
        // A recursive method counts its first parameter down to 0.
        const std::string tail = rest.empty() ? ")" : ", " + arguments->substr(1);
        if (!self) {
            const std::string depth = Chance(0.8) ? std::to_string(Pick(0, 6)) : Expression(c, vkInteger, 1, 0).Text;
            return out.push_back(in + m.Name + "(" + depth + tail);
        }
        const std::string& n = m.Parameters[0].Name;
        out.push_back(in + Keyword("wenn") + " " + n + " > 0 " + Keyword("dann"));
        out.push_back(in + "   " + m.Name + "(" + n + " - 1" + tail);
        out.push_back(in + Keyword("*wenn"));
    }

    std::string Condition(const TContext& c) {
        if (Chance(0.05)) return Expression(c, vkInteger, 1, 0).Text;  // not Boolean: reads as false
        return Expression(c, vkBoolean, 2, 0).Text;
    }

    void Wenn(Lines& out, TContext& c, int depth) {
        const std::string in = Indent(depth);
        out.push_back(in + Keyword("wenn") + " " + Condition(c) + " " + Keyword("dann"));
        TContext inner = c;
        ++inner.Depth;
        Block(out, inner, Pick(0, 4), depth + 1);
        if (Chance(0.4)) {
            out.push_back(in + Keyword("sonst"));
            Block(out, inner, Pick(0, 4), depth + 1);
        }
        if (!Plant()) out.push_back(in + Keyword("*wenn"));
    }

    std::string NewCounter() {
        Counters.push_back("z\xE4hler" + std::to_string(++NameCount));
        return Counters.back();
    }

    void Loop(Lines& out, TContext& c, int depth) {
        const std::string in = Indent(depth);
        TContext inner = c;
        ++inner.Depth;
        std::string end = Keyword("*wiederhole");
        std::string counter;
        switch (Pick(0, 5)) {
        case 0: out.push_back(in + Keyword("wiederhole") + " " + std::to_string(Pick(0, 4)) + " " + Keyword("mal")); break;
        case 1: {
            std::string count = Chance(0.2) ? "-" + IntegerLiteral() : Expression(c, vkInteger, 1, 0).Text;
            if (Chance(0.7) && Visible(c, "zufall")) count = "zufall(0, 3)";
            out.push_back(in + Keyword("wiederhole") + " (" + count + ") " + Keyword("mal"));
            break;
        }
        case 2:
            counter = NewCounter();
            out.push_back(in + counter + " := 0");
            out.push_back(in + Keyword("wiederhole") + " " + Keyword("solange") + " " + counter + " < " +
                          std::to_string(Pick(0, 3)));
            break;
        case 3:
            counter = NewCounter();
            out.push_back(in + counter + " := 0");
            out.push_back(in + Keyword("wiederhole"));
            end += " " + (Chance(0.5) ? Keyword("bis") + " " + counter + " >= " + std::to_string(Pick(1, 3))
                                      : Keyword("solange") + " " + counter + " < " + std::to_string(Pick(1, 3)));
            break;
        case 4:
            counter = NewCounter();
            out.push_back(in + counter + " := 0");
            out.push_back(in + Keyword("solange") + " " + counter + " < " + std::to_string(Pick(0, 3)) + " " +
                          Keyword("tue"));
            end = Keyword("*solange");
            break;
        default:
            if (Chance(0.1)) {
                out.push_back(in + Keyword("wiederhole") + " " + Keyword("immer"));  // to the step limit
            } else {
                out.push_back(in + Keyword("wiederhole") + " " + std::to_string(Pick(1, 3)) + " " + Keyword("mal"));
            }
            break;
        }
        // The counter counts first: a body beginning with `solange` or `immer`
        // would be read as the loop's own head.
        if (!counter.empty()) out.push_back(in + "   " + counter + " := " + counter + " + 1");
        Block(out, inner, Pick(0, 4), depth + 1);
        if (!Plant()) out.push_back(in + end);
    }

    void Fuer(Lines& out, TContext& c, int depth) {
        std::vector<std::pair<std::string, const TObjekt*>> objects;
        for (const TVar& v : c.Vars)
            if (v.Class) {
                objects.push_back({v.Name, v.Class});
                for (const auto& a : v.Class->Attributes())
                    if (!a->Hidden && a->Value.Kind() == vkObjekt && a->Value.AsObject())
                        objects.push_back({v.Name + "." + a->Name, a->Value.AsObject()});
            }
        if (objects.empty()) return Assignment(out, c, Indent(depth));
        const auto& [name, object] = objects[Index(objects.size())];
        const std::string in = Indent(depth);
        out.push_back(in + Keyword("fuer") + " " + name);
        TContext inner = c;
        ++inner.Depth;
        inner.Fuer = object;
        Block(out, inner, Pick(1, 4), depth + 1);
        if (!Plant()) out.push_back(in + EndFuer());
    }

    void Declaration(Lines& out, TContext& c, const std::string& in) {
        const int count = Pick(1, 3);
        const bool object = Chance(0.5);
        const TObjekt* cls = object ? OneOf(Language().Classes) : nullptr;
        static const std::vector<TKind> kinds = {vkBoolean, vkChar, vkInteger, vkReal, vkString};
        const TKind kind = object ? vkObjekt : OneOf(kinds);
        std::string line;
        for (int i = 0; i < count; ++i) {
            TVar v{NewName(), kind, cls};
            line += (i ? ", " : "") + v.Name;
            c.Vars.push_back(v);
        }
        out.push_back(in + line + (Chance(0.8) ? ": " : " : ") + (object ? ClassWord(*cls) : Keyword(TypeName(kind))));
        if (c.Method >= 0) Methods[static_cast<std::size_t>(c.Method)].HasLocals = true;
    }

    void GenerateMethod(Lines& out) {
        TProgramMethod m;
        m.Name = "methode" + std::to_string(++NameCount);
        m.Recursive = Chance(0.4);
        if (m.Recursive) m.Parameters.push_back({NewName(), vkInteger, 0, false});
        static const std::vector<TKind> kinds = {vkBoolean, vkChar, vkInteger, vkReal, vkString, vkObjekt};
        for (int i = Pick(0, 3); i > 0; --i) {
            const TKind kind = OneOf(kinds);
            const TObjekt* cls = kind == vkObjekt ? OneOf(Language().Classes) : nullptr;
            // Objects only as variable parameters.
            m.Parameters.push_back({NewName(), kind, cls ? cls->ClassNumber : 0, kind == vkObjekt || Chance(0.3)});
        }
        // The header: groups of parameters of the same kind and passing mode.
        std::string header = Keyword("methode") + " " + m.Name;
        if (!m.Parameters.empty() || Chance(0.7)) {
            header += "(";
            bool groupStart = true;
            for (std::size_t i = 0; i < m.Parameters.size(); ++i) {
                const TParameter& p = m.Parameters[i];
                const TParameter* next = i + 1 < m.Parameters.size() ? &m.Parameters[i + 1] : nullptr;
                if (groupStart && p.ByReference) header += "*";
                header += p.Name;
                groupStart = !(next && next->Kind == p.Kind && next->ClassNumber == p.ClassNumber &&
                               next->ByReference == p.ByReference && Chance(0.5));
                if (!groupStart) {
                    header += ", ";
                    continue;
                }
                std::string type = TypeName(p.Kind);
                if (p.Kind == vkObjekt) type = LowerAscii(Language().Factory.FindByNumber(p.ClassNumber)->ClassName);
                header += ": " + Keyword(type) + (next ? "; " : "");
            }
            header += ")";
        }
        Methods.push_back(m);
        const int index = static_cast<int>(Methods.size()) - 1;
        out.push_back(header);
        TContext c;
        c.Vars = Globals;
        c.Method = index;
        for (const TParameter& p : m.Parameters)
            c.Vars.push_back({p.Name, p.Kind, p.Kind == vkObjekt ? Language().Factory.FindByNumber(p.ClassNumber) : nullptr});
        Block(out, c, Pick(0, 6), 1);
        if (m.Recursive && Chance(0.7)) ProgramCall(out, c, "   ");
        out.push_back(Keyword("ende"));
    }

    // One statement that is wrong on purpose; the check must find it.
    void PlantedError(Lines& out, TContext& c, int depth) {
        const std::string in = Indent(depth);
        TVar integer;
        for (const TVar& v : c.Vars)
            if (v.Kind == vkInteger && Visible(c, v.Name)) integer = v;
        switch (Pick(0, 8)) {
        case 0: {  // one argument too many or too few
            std::vector<std::pair<std::string, const TMethode*>> calls;
            for (const TVar& v : c.Vars)
                if (v.Class && Visible(c, v.Name))
                    for (const auto& m : v.Class->Methods())
                        if (!m->Hidden && !m->HasResult()) calls.push_back({v.Name + ".", m.get()});
            if (calls.empty()) break;
            const auto& [prefix, method] = calls[Index(calls.size())];
            std::vector<TParameter> fewer = method->Parameters;
            const bool more = fewer.empty() || Chance(0.5);
            if (!more) fewer.pop_back();
            std::optional<std::string> wrong = Arguments(c, fewer, 1);
            if (!wrong) break;
            if (more) wrong->insert(wrong->size() - 1, fewer.empty() ? "1" : ", 1");
            return out.push_back(in + prefix + method->Name + *wrong);
        }
        case 1:  // a text where a number belongs
            if (integer.Name.empty()) break;
            return out.push_back(in + integer.Name + " := 'drei'");
        case 2: return out.push_back(in + "unbekannt" + std::to_string(++NameCount) + " := 1");
        case 3:
            if (c.Depth == 0) break;
            return out.push_back(in + NewName() + ": integer");
        case 4: return out.push_back(in + Keyword("wenn") + " " + Condition(c) + " " + Keyword("*wenn"));
        case 5: return out.push_back(in + "sqrt(2)");
        case 6:
            if (integer.Name.empty()) break;
            return out.push_back(in + integer.Name + ".links := 1");
        case 7: return out.push_back(in + Keyword("wiederhole") + " (1) " + Keyword("tue"));
        default: return out.push_back(in + "x := ");
        }
        out.push_back(in + "1 := 2");
    }

    std::mt19937 R;
    TProgram* Program = nullptr;
    bool WantError = false;
    int NameCount = 0;
    std::vector<TVar> Globals;
    std::vector<TProgramMethod> Methods;
    std::vector<std::string> Counters;
};

// ---------------------------------------------------------------------------
// Mutations: what a pupil's half-typed or damaged text looks like.

Lines Mutate(Lines text, std::mt19937& r) {
    auto pick = [&](int from, int to) { return std::uniform_int_distribution<int>(from, to)(r); };
    auto line = [&]() -> std::string& {
        if (text.empty()) text.push_back("");
        return text[static_cast<std::size_t>(pick(0, static_cast<int>(text.size()) - 1))];
    };
    // The rough token boundaries of a line: words, numbers and single symbols.
    auto tokens = [](const std::string& s) {
        std::vector<std::pair<std::size_t, std::size_t>> out;
        for (std::size_t i = 0; i < s.size();) {
            std::size_t j = i + 1;
            auto word = [](unsigned char ch) { return std::isalnum(ch) || ch >= 0xC0 || ch == '_' || ch == '*'; };
            if (word(static_cast<unsigned char>(s[i])))
                while (j < s.size() && word(static_cast<unsigned char>(s[j])) && s[j] != '*') ++j;
            if (s[i] != ' ') out.push_back({i, j - i});
            i = j;
        }
        return out;
    };
    for (int n = pick(1, 4); n > 0; --n) {
        switch (pick(0, 11)) {
        case 0:
        case 1: {  // delete a token
            std::string& s = line();
            auto t = tokens(s);
            if (!t.empty()) {
                auto [at, length] = t[static_cast<std::size_t>(pick(0, static_cast<int>(t.size()) - 1))];
                s.erase(at, length);
            }
            break;
        }
        case 2: {  // duplicate a token
            std::string& s = line();
            auto t = tokens(s);
            if (!t.empty()) {
                auto [at, length] = t[static_cast<std::size_t>(pick(0, static_cast<int>(t.size()) - 1))];
                s.insert(at, s.substr(at, length) + " ");
            }
            break;
        }
        case 3: {  // swap two neighbouring tokens
            std::string& s = line();
            auto t = tokens(s);
            if (t.size() >= 2) {
                const std::size_t k = static_cast<std::size_t>(pick(0, static_cast<int>(t.size()) - 2));
                const std::string a = s.substr(t[k].first, t[k].second);
                const std::string b = s.substr(t[k + 1].first, t[k + 1].second);
                s = s.substr(0, t[k].first) + b + s.substr(t[k].first + t[k].second, t[k + 1].first - t[k].first - t[k].second) +
                    a + s.substr(t[k + 1].first + t[k + 1].second);
            }
            break;
        }
        case 4: {  // cut the text off anywhere
            if (text.empty()) break;
            const std::size_t l = static_cast<std::size_t>(pick(0, static_cast<int>(text.size()) - 1));
            text.resize(l + 1);
            text[l].resize(static_cast<std::size_t>(pick(0, static_cast<int>(text[l].size()))));
            break;
        }
        case 5: {  // random bytes
            std::string& s = line();
            for (int k = pick(1, 8); k > 0; --k)
                s.insert(static_cast<std::size_t>(pick(0, static_cast<int>(s.size()))), 1, static_cast<char>(pick(0, 255)));
            break;
        }
        case 6: {  // a very long line
            std::string& s = line();
            const std::string piece = s.empty() ? "x" : s;
            std::string longLine;
            while (longLine.size() < 200000) longLine += piece + (pick(0, 1) ? " " : "");
            s = longLine;
            break;
        }
        case 7: {  // deep nesting of blocks
            const int depth = pick(900, 1100);
            const std::size_t at = static_cast<std::size_t>(pick(0, static_cast<int>(text.size())));
            Lines nest;
            const bool loops = pick(0, 1);
            for (int k = 0; k < depth; ++k) nest.push_back(loops ? "wiederhole 1 mal" : "wenn wahr dann");
            for (int k = 0; k < depth - pick(0, 1); ++k) nest.push_back(loops ? "*wiederhole" : "*wenn");
            text.insert(text.begin() + static_cast<long>(at), nest.begin(), nest.end());
            break;
        }
        case 8: {  // deep nesting of an expression
            const int depth = pick(990, 1010);
            std::string open = pick(0, 1) ? "(" : (pick(0, 1) ? "abs(" : "-(");
            std::string e = "n := ";
            for (int k = 0; k < depth; ++k) e += open;
            e += "1" + std::string(static_cast<std::size_t>(depth - pick(0, 1)), ')');
            text.insert(text.begin() + static_cast<long>(pick(0, static_cast<int>(text.size()))), e);
            break;
        }
        case 9: {  // join or split lines
            if (text.size() >= 2 && pick(0, 1)) {
                const std::size_t l = static_cast<std::size_t>(pick(0, static_cast<int>(text.size()) - 2));
                text[l] += " " + text[l + 1];
                text.erase(text.begin() + static_cast<long>(l) + 1);
            } else {
                std::string& s = line();
                const long l = &s - text.data();
                const std::size_t at = static_cast<std::size_t>(pick(0, static_cast<int>(s.size())));
                std::string rest = s.substr(at);
                s.resize(at);
                text.insert(text.begin() + l + 1, std::move(rest));
            }
            break;
        }
        case 10: {  // a line moved elsewhere
            if (text.size() >= 2) {
                const std::size_t from = static_cast<std::size_t>(pick(0, static_cast<int>(text.size()) - 1));
                std::string moved = text[from];
                text.erase(text.begin() + static_cast<long>(from));
                text.insert(text.begin() + pick(0, static_cast<int>(text.size())), moved);
            }
            break;
        }
        default: {  // an unclosed string or comment
            static const std::vector<std::string> openers = {"'", "{", "//", "*", "e", "."};
            std::string& s = line();
            s.insert(static_cast<std::size_t>(pick(0, static_cast<int>(s.size()))),
                     openers[static_cast<std::size_t>(pick(0, static_cast<int>(openers.size()) - 1))]);
            break;
        }
        }
    }
    return text;
}

// ---------------------------------------------------------------------------
// The invariants.

// '\a' in `pattern` stands for any text.
bool Glob(const std::string& pattern, const std::string& text) {
    std::size_t p = 0, t = 0, star = std::string::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '\a') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '\a') ++p;
    return p == pattern.size();
}

// Every message either stands in a table as it is, or is put together from
// table pieces around quoted names.
bool KnownMessage(const std::string& message) {
    using namespace Meldung;
    static const std::vector<std::vector<std::string>> patterns = [] {
        std::vector<std::vector<std::string>> p;
        for (const char* exact :
             {VorAndOr, NachAndOr, VorVergleich, NachVergleich, VorPlusMinus, NachPlusMinus, StringMinus,
              VorMalGeteilt, NachMalGeteilt, NachMinus, NachNicht, KlammerZuErwartet, ZuTiefGeschachtelt,
              ZeichenketteZuLang, BezeichnerErwartet, NachPunkt, LinkswertErwartet, KlammerAufErwartet,
              KommaErwartet, KlammerZuOhnePunkt, TypChar, TypInteger, TypDouble, TypString, ZuVieleAufrufe,
              ErwarteAnweisung, ZuweisungZuAttribut, ZuweisungErwartet, DeklarationInSchleife,
              BezeichnerErwartetOhnePunkt, KommaOderDoppelpunkt, VariablentypErwartet, DannErwartet,
              SonstOhneWenn, EndWennOhneWenn, TueErwartet, MalErwartet, BisErwartet,
              EndWiederholeOhneWiederhole, EndSolangeOhneSolange, BlockendeFehlt, FuerGeschachtelt,
              FuerOhneObjekt, MethodeInSchleife, MethodeOhneEnde, StackFehler, MethodennameErwartet,
              ParameterKlammerZu, ObjektAlsWerteparameter, ParametertypErwartet, IntegerBereich,
              DivisionDurchNull, KeineGueltigeZahl, ZuVieleObjekte, Check::BlockendeErwartet, Check::BloeckeZuTief,
              Check::FuerOhneObjekt, Check::EndFuerErwartet, Check::KlammerZuErwartet, Check::MalErwartet,
              Check::EndWiederholeErwartet, Check::BisOderSolange, Check::EndSolangeErwartet,
              Check::EndWennErwartet, Check::MethodeOhneEnde, Check::ZuweisungZuAttribut,
              Check::DeklarationInBlock, Check::VorSumme, Check::NachSumme, Check::VorDifferenz,
              Check::NachDifferenz, Check::VorMalGeteilt, Check::NachMalGeteilt,
              Check::FunktionsaufrufErwartet,
              // the refusals of groups and turtles
              "Eine Gruppe kann sich nicht selbst enthalten.", "Die Gruppen sind zu tief verschachtelt.",
              "Die Gruppe enth\xE4lt zu viele Figuren.", "Die Spur der Turtle ist zu lang."})
            p.push_back({exact});
        // "" stands for a quoted name or token at that place.
        p.push_back({"", KeineZahl});
        p.push_back({"", KeinSinn});
        p.push_back({"", Check::NichtZulaessig});
        p.push_back({"", KeineEigenschaften});
        p.push_back({"", KeinMitglied, ""});
        for (auto [a, b] : {std::pair{BezeichnerGibtEsNicht1, BezeichnerGibtEsNicht2}, {KeinObjekt1, KeinObjekt2},
                            {GibtNichts1, GibtNichts2}, {Klasse1, Klasse2}, {Parametertyp1, Parametertyp2},
                            {GibtEsSchon1, GibtEsSchon2}, {KlasseGibtEsNicht1, KlasseGibtEsNicht2},
                            {MethodeMussEnden1, MethodeMussEnden2}, {ParameterGibtEsSchon1, ParameterGibtEsSchon2},
                            {Check::Unbekannt1, Check::Unbekannt2},
                            {Check::ParameterErwartet1, Check::ParameterErwartet2}})
            p.push_back({a, "", b});
        p.push_back({Check::ParameterTyp1, "", Check::ParameterTyp2, "", Check::ParameterTyp3});
        return p;
    }();
    if (message.empty()) return false;
    for (const auto& pattern : patterns) {
        // Fixed pieces in order, any text in the places of the empty ones.
        std::string glob;
        for (const std::string& piece : pattern) glob += piece.empty() ? std::string(1, '\a') : piece;
        if (Glob(glob, message)) return true;
    }
    return false;
}

// The errors that only values can cause, which no pass over the text sees.
bool ValueError(const std::string& message) {
    using namespace Meldung;
    for (const char* m : {IntegerBereich, DivisionDurchNull, KeineGueltigeZahl, ZeichenketteZuLang,
                          ZuVieleAufrufe, ZuVieleObjekte, "Eine Gruppe kann sich nicht selbst enthalten.",
                          "Die Gruppen sind zu tief verschachtelt.", "Die Gruppe enth\xE4lt zu viele Figuren.",
                          "Die Spur der Turtle ist zu lang."})
        if (message == m) return true;
    return false;
}

void ExpectInside(const TFehler& error, const Lines& text, const char* who) {
    SCOPED_TRACE(std::string(who) + ": (Z." + std::to_string(error.Line) + " Sp." + std::to_string(error.Column) +
                 ") " + error.Message);
    EXPECT_TRUE(KnownMessage(error.Message));
    if (text.empty()) {
        EXPECT_EQ(error.Line, 0);
    } else {
        ASSERT_GE(error.Line, 0);
        ASSERT_LT(error.Line, static_cast<int>(text.size()));
        EXPECT_GE(error.Column, 1);
        // At the end of the text the column lies just behind the last line's
        // closing blank and line break.
        EXPECT_LE(error.Column, static_cast<int>(text[static_cast<std::size_t>(error.Line)].size()) + 3);
    }
}

struct TToken {
    int Code;
    std::string Text;
    bool operator==(const TToken&) const = default;
};

std::vector<TToken> Tokens(const Lines& text) {
    TStringLines lines(text);
    TScanner s;
    s.Load(lines);
    std::vector<TToken> out;
    const std::size_t limit = s.JoinedText().size() + 2;
    for (int code = s.NextToken(); code != OEOF; code = s.NextToken()) {
        // Blanks inside a string that runs over a line end are indentation.
        std::string t = s.TokenText();
        if (code == OStringConst) t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
        out.push_back({code, t});
        if (out.size() > limit) {
            ADD_FAILURE() << "the scanner does not come to an end";
            break;
        }
    }
    return out;
}

// The editor's re-indentation never changes what a program means: the
// formatted text has the same tokens, and formatting it again changes nothing.
void CheckFormatter(const Lines& text) {
    TFormatClass format;
    Lines formatted;
    TFormatResult state;
    for (const std::string& original : text) {
        std::string line = original;
        TFormatResult result;
        const int shift = format.FormatLine(line, state.CommentOpen, state.NextIndent, result);
        ASSERT_EQ(result.Classes.size(), line.size() + 1);
        ASSERT_GE(result.LineIndent, 0);
        ASSERT_GE(result.NextIndent, 0);
        ASSERT_EQ(static_cast<int>(line.size()) - static_cast<int>(original.size()), shift);
        std::string again = line;
        TFormatResult second;
        ASSERT_EQ(format.FormatLine(again, state.CommentOpen, state.NextIndent, second), 0);
        state = result;
        formatted.push_back(line);
    }
    EXPECT_EQ(Tokens(formatted), Tokens(text));
}

// A drawing window host whose windows forget what they drew after every step.
class TForgetfulHost : public TFakeHost {
public:
    std::unique_ptr<TDrawingWindow> CreateDrawingWindow() override {
        auto w = std::make_unique<TFakeDrawingWindow>();
        Alive.push_back({w.get(), std::make_unique<bool>(false)});
        w->DestroyedFlag = Alive.back().second.get();
        return w;
    }
    void Forget() {
        for (auto& [window, destroyed] : Alive)
            if (!*destroyed) {
                window->Box.Log.clear();
                window->Box.PictureLog.clear();
            }
        std::erase_if(Alive, [](const auto& entry) { return *entry.second; });
    }
    ~TForgetfulHost() override {
        for (auto& [window, destroyed] : Alive)
            if (!*destroyed) window->DestroyedFlag = nullptr;
    }
    std::vector<std::pair<TFakeDrawingWindow*, std::unique_ptr<bool>>> Alive;
};

struct TOutcome {
    bool Planted = false;
    bool Generated = false;  // the generator's own text, unmutated
};

// With ZAK_FUZZ_VERBOSE set the test tells how the runs ended.
std::map<std::string, int> Endings;
void Count(const std::string& what) {
    if (std::getenv("ZAK_FUZZ_VERBOSE")) ++Endings[what];
}

void RunThrough(const Lines& text, const TOutcome& outcome, bool forbid, std::mt19937& r, long stepLimit) {
    CheckFormatter(text);
    if (::testing::Test::HasFatalFailure()) return;

    // One pass of the check, as the editor's thread makes it.
    static const TKlassenFabrik factory;
    TStringLines lines(text);
    TSyntaxcheckThread check(factory);
    check.SetNoAttributeAssignment(forbid);
    const TSyntaxcheckResult hint = check.Pass(lines);
    if (hint.Error) {
        EXPECT_EQ(hint.Error->Source, FehlerTipp);
        ExpectInside(*hint.Error, text, "Tipp");
    }

    // The run, as the main window prepares and steps it.
    const bool breakpoints = std::uniform_int_distribution<int>(0, 9)(r) == 0;
    if (breakpoints)
        for (std::size_t i = 0; i < text.size(); ++i) lines.Breakpoints.push_back(r() % 5 == 0);
    TForgetfulHost host;
    TScanner scanner;
    scanner.Load(lines);
    scanner.RefreshLineMarks();
    auto run = std::make_unique<TInterpreter>(scanner, hint.DefaultWindow);
    run->SetNoAttributeAssignment(forbid);

    // The declaration pass is the same in both.
    if (run->ErrorFlag() && !breakpoints) {
        ASSERT_TRUE(hint.Error) << run->Error()->Message;
        EXPECT_EQ(hint.Error->Message, run->Error()->Message);
        EXPECT_EQ(hint.Error->Line, run->Error()->Line);
        EXPECT_EQ(hint.Error->Column, run->Error()->Column);
    }

    scanner.SkipBlanks();
    long steps = 0;
    while (!scanner.AtEnd() && !run->ErrorFlag() && steps < stepLimit) {
        run->Step(steps % 7 == 0);
        ++steps;
        if (steps % 64 == 0) host.Forget();
    }
    if (run->Error()) ExpectInside(*run->Error(), text, "Laufzeitfehler");
    const std::string kind = outcome.Generated ? (outcome.Planted ? "planted " : "clean ") : "mutated ";
    Count(kind + "hint: " + (hint.Error ? hint.Error->Message : "-"));
    Count(kind + "run: " + (run->Error() ? run->Error()->Message : scanner.AtEnd() ? "end" : "step limit"));

    if (outcome.Generated && !breakpoints) {
        if (outcome.Planted) {
            EXPECT_TRUE(hint.Error) << "the check missed the planted error";
        } else {
            EXPECT_FALSE(hint.Error) << "(Z." << hint.Error->Line << " Sp." << hint.Error->Column << ") "
                                     << hint.Error->Message;
            if (run->ErrorFlag()) {
                // With assignments to attributes forbidden, a variable
                // parameter bound to an attribute is refused only when run.
                const bool refusedAttribute = forbid && run->Error()->Message == Meldung::ZuweisungZuAttribut;
                EXPECT_TRUE(ValueError(run->Error()->Message) || refusedAttribute)
                    << "(Z." << run->Error()->Line << " Sp." << run->Error()->Column << ") " << run->Error()->Message;
            } else if (scanner.AtEnd()) {
                EXPECT_EQ(run->StackCount(), 0);
                EXPECT_EQ(run->BlockDepth(), 0);
                EXPECT_EQ(run->CallDepth(), 0);
                EXPECT_EQ(run->VarSpace().ScopeCount(), 0);
            }
        }
    }
    run.reset();
    host.Forget();
}

// The same program run twice in step: once from the token table with its
// kept lookups and kept expression shapes, once by the plain scanner (the
// reference, which keeps nothing). After every step both must show the same
// variables, stack, nesting, position and error; breakpoints are toggled
// during the run.
long long KeptShapeUses = 0;

void RunSideBySide(const Lines& text, bool forbid, std::mt19937& r, long stepLimit) {
    TForgetfulHost host;
    TStringLines tableLines(text), plainLines(text);
    tableLines.Breakpoints.assign(text.size(), false);
    plainLines.Breakpoints.assign(text.size(), false);
    TScanner table, plain;
    plain.SetTokenTable(false);
    table.Load(tableLines);
    plain.Load(plainLines);
    const bool window = r() % 2 == 0;
    TInterpreter a(table, window), b(plain, window);
    a.SetNoAttributeAssignment(forbid);
    b.SetNoAttributeAssignment(forbid);
    auto same = [&](long step) {
        SCOPED_TRACE("after step " + std::to_string(step));
        ASSERT_EQ(a.ErrorFlag(), b.ErrorFlag());
        if (a.Error()) {
            EXPECT_EQ(a.Error()->Message, b.Error()->Message);
            EXPECT_EQ(a.Error()->Line, b.Error()->Line);
            EXPECT_EQ(a.Error()->Column, b.Error()->Column);
        }
        ASSERT_EQ(table.GetPosition(), plain.GetPosition());
        ASSERT_EQ(table.AtEnd(), plain.AtEnd());
        EXPECT_EQ(a.StackCount(), b.StackCount());
        EXPECT_EQ(a.BlockDepth(), b.BlockDepth());
        EXPECT_EQ(a.CallDepth(), b.CallDepth());
        EXPECT_EQ(VariablenText::VariableCells(a.VarSpace()), VariablenText::VariableCells(b.VarSpace()));
    };
    same(0);
    if (::testing::Test::HasFailure()) return;
    table.SkipBlanks();
    plain.SkipBlanks();
    for (long step = 1; step <= stepLimit && !table.AtEnd() && !a.ErrorFlag(); ++step) {
        if (!text.empty() && r() % 16 == 0) {
            const std::size_t line = r() % text.size();
            tableLines.Breakpoints[line] = plainLines.Breakpoints[line] = !tableLines.Breakpoints[line];
            table.RefreshLineMarks();
            plain.RefreshLineMarks();
        }
        // zufall draws from one generator for the whole process.
        const bool ignore = r() % 2 == 0;
        Zufall::SetSeed(step);
        const TInterpreter::TStepResult ra = a.Step(ignore);
        Zufall::SetSeed(step);
        const TInterpreter::TStepResult rb = b.Step(ignore);
        ASSERT_EQ(ra.Counted, rb.Counted);
        ASSERT_EQ(ra.BreakpointReached, rb.BreakpointReached);
        same(step);
        if (::testing::Test::HasFailure()) return;
        if (step % 64 == 0) host.Forget();
    }
    EXPECT_EQ(b.KeptShapeUses(), 0);
    KeptShapeUses += a.KeptShapeUses();
}

std::string Listing(const Lines& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < 400; ++i)
        out += std::to_string(i) + ": " + text[i].substr(0, 300) + "\n";
    return out;
}

} // namespace

TEST(RandomPrograms, GeneratedAndMutatedProgramsKeepTheirInvariants) {
    const std::uint32_t seed = FuzzSeed(20261207);
    // The sanitizer build runs several times slower: fewer rounds there.
#if defined(__SANITIZE_ADDRESS__)
    const int rounds = FuzzRounds(25);
#else
    const int rounds = FuzzRounds(100);
#endif
    for (int round = 0; round < rounds; ++round) {
        const std::uint32_t programSeed = seed + static_cast<std::uint32_t>(round);
        std::mt19937 r(programSeed);
        TGenerator generator(programSeed);
        TProgram program = generator.Generate();
        {
            SCOPED_TRACE("ZAK_FUZZ_SEED=" + std::to_string(programSeed) + "\n" + Listing(program.Text));
            RunThrough(program.Text, {program.ErrorPlanted, true}, program.ForbidAttributeAssignment, r, 3000);
        }
        if (HasFailure()) return;
        const Lines mutated = Mutate(program.Text, r);
        {
            SCOPED_TRACE("ZAK_FUZZ_SEED=" + std::to_string(programSeed) + " (mutated)\n" + Listing(mutated));
            RunThrough(mutated, {}, program.ForbidAttributeAssignment, r, 3000);
        }
        if (HasFailure()) return;
        if (round < 3 && std::getenv("ZAK_FUZZ_VERBOSE")) std::cout << Listing(program.Text) << "\n";
    }
    for (const auto& [what, count] : Endings) std::cout << count << "\t" << what << "\n";
}

TEST(RandomPrograms, TokenTableRunsLikeThePlainScanner) {
    const std::uint32_t seed = FuzzSeed(20261208);
#if defined(__SANITIZE_ADDRESS__)
    const int rounds = FuzzRounds(20);
#else
    const int rounds = FuzzRounds(60);
#endif
    for (int round = 0; round < rounds; ++round) {
        const std::uint32_t programSeed = seed + static_cast<std::uint32_t>(round);
        std::mt19937 r(programSeed);
        TGenerator generator(programSeed);
        TProgram program = generator.Generate();
        // What the runs' texts held is given back with them: a count that
        // drifted would end a later run in the same IDE too early.
        const std::int64_t textsBefore = ProgramMemory::Texts();
        {
            SCOPED_TRACE("ZAK_FUZZ_SEED=" + std::to_string(programSeed) + "\n" + Listing(program.Text));
            RunSideBySide(program.Text, program.ForbidAttributeAssignment, r, 2000);
        }
        EXPECT_EQ(ProgramMemory::Texts(), textsBefore);
        if (HasFailure()) return;
        const Lines mutated = Mutate(program.Text, r);
        {
            SCOPED_TRACE("ZAK_FUZZ_SEED=" + std::to_string(programSeed) + " (mutated)\n" + Listing(mutated));
            RunSideBySide(mutated, program.ForbidAttributeAssignment, r, 2000);
        }
        if (HasFailure()) return;
    }
    // The comparison means something only if the kept forms were taken.
    // Only loop and method bodies are kept, from their second round on, so
    // the short loops of these programs take fewer than they would if all
    // were kept.
    EXPECT_GT(KeptShapeUses, 50 * rounds);
}

// The programs of the browser build's differential test (tests/web): with
// ZAK_RANDOM_PROGRAMS_DIR set, writes 500 of them there as program files,
// every other one mutated; a name ending in "-forbid.zak" is run with
// --forbid-attribute-assignment.
TEST(RandomPrograms, WrittenForTheBrowserBuild) {
    const char* dir = std::getenv("ZAK_RANDOM_PROGRAMS_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "ZAK_RANDOM_PROGRAMS_DIR is not set";
    constexpr int Count = 500;
    constexpr std::uint32_t Seed = 20261208;
    for (int i = 0; i < Count; ++i) {
        std::mt19937 r(Seed + static_cast<std::uint32_t>(i));
        TGenerator generator(Seed + static_cast<std::uint32_t>(i));
        const TProgram program = generator.Generate();
        const Lines text = i % 2 == 0 ? program.Text : Mutate(program.Text, r);
        char name[64];
        std::snprintf(name, sizeof name, "/random-%03d%s.zak", i, program.ForbidAttributeAssignment ? "-forbid" : "");
        std::ofstream out(std::string(dir) + name, std::ios::binary);
        out << "// ZAK 1.5 - Programm\r\n";
        for (const std::string& line : text) out << line << "\r\n";
        ASSERT_TRUE(out.good()) << dir << name;
    }
}
