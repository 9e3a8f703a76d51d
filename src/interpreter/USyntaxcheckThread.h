#pragma once
// The work of the background syntax check: one pass over the program text.
// It is a second parser over the interpreter's tokens with three
// differences: it is structured (each block is parsed recursively to its end
// keyword), it computes a type descriptor for every expression instead of a
// value, and it binds names to placeholders (the class factory's prototypes
// and zero values) instead of real objects. Nothing is run.
//
// A pass reports at most one hint, the first problem found, and leaves the
// variable space it built for code completion. TSyntaxcheck runs passes on
// its thread; `zak --check` and the benchmarks run one directly.
#include "UDaten.h"
#include "UFehler.h"
#include "UScanner.h"
#include "UVariablen.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TKlassenFabrik;

// What a pass leaves behind.
struct TSyntaxcheckResult {
    std::unique_ptr<TFehler> Error;   // the hint (source 2), or none
    std::unique_ptr<TVarSpace> Space; // the declared names with placeholders
    // The program declares a figure and no window: a run needs the nameless
    // default window.
    bool DefaultWindow = false;
};

class TSyntaxcheckThread {
public:
    // Deeper nesting of blocks, or of parentheses, unary operators and call
    // arguments, is reported instead of parsed, so that no text can exhaust
    // the call stack of the check thread.
    static constexpr int MaxBlockNesting = 1000;
    static constexpr int MaxExpressionDepth = 1000;

    // Type descriptor: a kind (vkNone for no value) and, for kind Objekt, the
    // class number and the object whose members a following `.` may name.
    struct TTyp {
        TKind Kind = vkNone;
        std::int32_t ClassNumber = 0;
        TObjekt* Object = nullptr;
    };

    // The factory's prototypes stand for every declared object; the factory
    // must outlive the spaces of all passes. `cancel`, when given, is polled
    // between statements: a set flag abandons the pass.
    explicit TSyntaxcheckThread(const TKlassenFabrik& factory,
                                const std::atomic<bool>* cancel = nullptr);
    TSyntaxcheckThread(const TSyntaxcheckThread&) = delete;
    TSyntaxcheckThread& operator=(const TSyntaxcheckThread&) = delete;

    // The setting that forbids assignments to attributes (r.links := 10).
    void SetNoAttributeAssignment(bool forbid) { FNoAttributeAssignment = forbid; }

    // Checks the whole text of `lines` (a copy the caller owns: the scanner
    // keeps referring to it until the next pass).
    TSyntaxcheckResult Pass(const TLineSource& lines);

private:
    bool Cancelled() const { return FCancel && FCancel->load(std::memory_order_relaxed); }

    // --- errors and the declaration pass (USyntaxcheckAnweisung.cpp)
    void Fail(std::string_view message);
    void Fail(std::string_view a, std::string_view b, std::string_view c = {},
              std::string_view d = {}, std::string_view e = {});
    void DeclarationPass();

    // --- statements (USyntaxcheckAnweisung.cpp)
    // Parses statements until a token that cannot begin one; that token is
    // judged (a proper end is given back for the enclosing statement).
    void StatementList();
    bool EnterBlock();
    void LeaveBlock() { --FBlockNesting; }
    void Fuer();
    void Wiederhole();
    void Solange();
    void Wenn();
    void Methode();
    void IdentifierStatement();
    void Declaration();
    // Reads the next token and fails with `message` unless it is `token`.
    bool Expect(int token, const char* message);

    // --- expressions (USyntaxcheckAusdruck.cpp)
    // An expression tested against the expected kind (Boolean: not tested).
    TTyp TypedExpression(TKind kind, std::int32_t classNumber);
    bool TestType(const TTyp& actual, TKind kind, std::int32_t classNumber);
    TTyp Expression();
    TTyp Comparison();
    TTyp Sum();
    TTyp Product();
    TTyp Unary();
    TTyp Factor();
    struct TDesignator {
        TTyp Type;
        bool NoResult = false;          // ends in a call without result
        bool ContainsAttribute = false; // some element of the chain is an attribute
    };
    // In value mode a chain ending in a call without result is an error.
    TDesignator Designator(bool assignable);
    TTyp Call(TMethode& method);
    TTyp ResultType(const TMethode& method) const;
    TTyp ValueType(const TVariant& value) const;
    bool EnterNesting();
    void LeaveNesting() { --FNesting; }

    const TKlassenFabrik& FFactory;
    const std::atomic<bool>* FCancel;
    TScanner FScanner;
    std::unique_ptr<TVarSpace> FVars;
    bool FErrorFlag = false;
    std::unique_ptr<TFehler> FError;
    int FBlockDepth = 0;       // loops, conditions and fuer blocks: declarations refused
    int FBlockNesting = 0;     // every nested statement list, method bodies included
    int FNesting = 0;          // expression nesting
    TObjekt* FFuerType = nullptr;
    bool FNoAttributeAssignment = false;

    // The program methods of the declaration pass, each with the position
    // just behind its name, so that a `methode` statement finds its own
    // declaration also when a later one of the same name hides it.
    struct TDeclaredMethod {
        std::int32_t NameEnd;
        TMethode* Method;
    };
    std::vector<TDeclaredMethod> FMethods;
    std::vector<std::string> FDeclaredNames;  // scratch for declarations
};
