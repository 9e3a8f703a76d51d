#pragma once
// TInterpreter runs a program one statement per Step, straight from the token
// stream of its scanner: there is no syntax tree and no statement list. Loops
// and conditions jump the scanner back to stored positions, skipping reads
// tokens forward, and every piece of nesting (loops, conditions, program
// method calls) lives as control markers on the evaluation stack. A program
// method call therefore never recurses on the C++ stack; only expressions do,
// and their nesting is bounded.
//
// Errors of the program are values: the first one is kept as a TFehler, every
// routine returns at once while it is set, and Step hands it to the error
// list. Nothing here throws for a program error.
#include "UConstants.h"
#include "UDaten.h"
#include "UDeferredPaint.h"
#include "UFehler.h"
#include "UOperatoren.h"
#include "UProgramMemory.h"
#include "UScanner.h"
#include "UVariablen.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TKlassenFabrik;
class TFenster;

// Control markers on the evaluation stack, with what lies below each (top first).
enum TAblaufsteuerung : std::uint8_t {
    asImmer = 0,          // wiederhole immer: position after `immer`
    asMal = 1,            // wiederhole n mal: remaining count, position after `mal`
    asKopfSolange = 2,    // wiederhole solange: position after `solange`
    asFussBedingung = 3,  // wiederhole ... *wiederhole bis/solange: position after `wiederhole`
    asDann = 5,           // inside the dann part of a wenn
    asSonst = 6,          // inside the sonst part of a wenn
    asSolange = 7,        // solange ... tue: position after `solange`
    asMethode = 8,        // inside a program method: return position, caller's block depth
};

// One step of a kept expression form (see UInterpreterFormen.cpp), in
// postfix order.
struct TKeptStep {
    std::uint8_t Op = 0;
    std::int32_t Arg = 0;  // token number of a name, an Integer, or the operator's token
    double Real = 0.0;
};

class TInterpreter : private TPaintDebtor {
public:
    // Deeper nesting of parentheses, unary operators and call arguments is
    // refused, so that no program text can exhaust the C++ stack.
    static constexpr int MaxExpressionDepth = 1000;
    // Active program method calls; each costs three stack values and a scope.
    static constexpr int MaxCallDepth = 100000;
    // Longest String a concatenation may build. A loop that doubles a text
    // would otherwise exhaust the memory after some thirty rounds.
    static constexpr std::size_t MaxStringLength = std::size_t{16} * 1024 * 1024;
    // What a run may hold of what the program makes: texts, calls,
    // variables, stack values and objects together. Each of the other
    // limits alone still lets a few lines of program take all the memory
    // there is (a recursion that passes a growing text down, a text field
    // given thousands of long lines), and the system would end ZAK with the
    // pupil's unsaved text.
    static constexpr std::int64_t DefaultMaxMemory = std::int64_t{1} << 30;
    // What each of these costs besides its texts, measured on this build's
    // run: a program method call (its scope, its three stack values and the
    // records of the call), a variable or parameter (its record, value and
    // index entry), a value on the stack, and an object with its attributes.
    static constexpr std::int64_t CallBytes = 160;
    static constexpr std::int64_t VariableBytes = 160;
    static constexpr std::int64_t StackValueBytes = 64;
    static constexpr std::int64_t ObjectBytes = 1024;

    struct TStepResult {
        bool Counted = false;            // the statement began with a name
        bool BreakpointReached = false;
    };

    // Keeps `scanner` (loaded, not owned); creates the class factory, the
    // variable space with its built-ins and the stack. With
    // `createDefaultWindow` a nameless window object gets every figure the
    // program declares. Then the declaration pass registers the program's
    // methods; if it fails, its error is added to `errorList` (when given)
    // and the list refreshed. Without an error list the interpreter keeps
    // its error record itself.
    TInterpreter(TScanner& scanner, bool createDefaultWindow, TFehlerVerwaltung* errorList = nullptr);
    // Ends the run: every window is told, closed and released (under the
    // object lock), then the variable space frees the program's objects.
    ~TInterpreter();
    TInterpreter(const TInterpreter&) = delete;
    TInterpreter& operator=(const TInterpreter&) = delete;

    // Executes one statement under the object lock and leaves the scanner on
    // the next statement's first character. A breakpoint mark ends the step
    // unless `ignoreBreakpoints`; then the statement behind it runs too.
    // After a statement that began with a name every window repaints, or,
    // while deferring is on (see UDeferredPaint.h), owes a paint. A step that
    // records an error hands it to the error list.
    TStepResult Step(bool ignoreBreakpoints);
    // Does the paints the windows owe now: for whoever reads a surface
    // directly rather than through a window.
    void SettleOwedPaints() { SettlePaints(false); }

    bool ErrorFlag() const { return FErrorFlag; }
    // The first error of the run, or none. Once handed to the error list the
    // list owns it; the pointer stays valid as long as the list keeps it.
    const TFehler* Error() const { return FError; }

    TVarSpace& VarSpace() { return *FVars; }
    const TVarSpace& VarSpace() const { return *FVars; }
    TScanner& Scanner() { return FScanner; }
    // The default window (when there is one) first, then the program's
    // windows in declaration order.
    const std::vector<TFenster*>& Windows() const { return FWindows; }
    TFenster* DefaultWindow() const { return FDefaultWindow; }

    // The setting "KeineZuweisungZuAttributen": assignments to attributes
    // (r.links := 10) are refused; setter methods still work.
    void SetNoAttributeAssignment(bool forbid) { FNoAttributeAssignment = forbid; }
    bool NoAttributeAssignment() const { return FNoAttributeAssignment; }

    // A lower call limit, so that a run with a small step budget still
    // reaches the refusal of a call too deep.
    void SetMaxCallDepth(int depth) { FMaxCallDepth = depth; }

    // The memory budget of the run in bytes (DefaultMaxMemory unless set).
    // A statement that leaves the run holding more, or an expression or
    // call that would, ends it with Meldung::ArbeitsspeicherReichtNicht.
    void SetMaxMemory(std::int64_t bytes) {
        FMaxMemory = bytes;
        FTextsAlarm = ProgramMemory::Texts() + (FMaxMemory - MemoryInUse());
    }
    std::int64_t MaxMemory() const { return FMaxMemory; }
    // What the budget counts now.
    std::int64_t MemoryInUse() const;
    // Ends the run with the message of a spent budget, at the current
    // position: for a runner whose allocation failed all the same.
    void FailOutOfMemory();

    // Kept shapes: an expression met again at the same token of the token
    // table is evaluated from the form kept at its first evaluation, and an
    // assignment statement finds its target without reading the name chain
    // again. Whatever a kept form cannot answer exactly as the plain reading
    // (another kind, an error, a call, a fuer block) is read plainly. Off,
    // everything is read plainly: the reference the kept forms must agree
    // with. On by default; a scanner without the table keeps nothing anyway.
    void SetKeptShapes(bool on) { FShapesOn = on; }
    bool KeptShapes() const { return FShapesOn; }
    // Expressions and assignment targets taken from kept forms so far.
    long long KeptShapeUses() const { return FShapeUses; }

    int BlockDepth() const { return FBlockDepth; }
    int CallDepth() const { return FCallDepth; }
    int StackCount() const { return FStack.Count(); }

private:
    // --- errors (UInterpreter.cpp)
    // Records the first error of the run at the start of the current token.
    void Fail(std::string_view message);
    void Fail(std::string_view a, std::string_view b, std::string_view c = {});
    void ReportError();

    // --- expressions (UInterpreterAusdruck.cpp)
    void Evaluate(TKind kind, std::int32_t classNumber);
    void Expression();
    void Comparison();
    void Sum();
    void Product();
    void Unary();
    void Factor();
    // The factor whose first token `token` was just read.
    void Factor(int token);
    // The message when the result would be too long or too large.
    const char* Concatenate();
    // Value mode pushes the value; assignable mode returns the target, or
    // none for a call without result (then FCallWithoutResult is set).
    // With `identifierRead` the chain's first name was just read.
    TVariant* Designator(bool assignable, bool identifierRead = false);
    enum class TCallOutcome { Result, NoResult, Failed };
    // Reads the argument list of `method` and dispatches it; a result is
    // left on top of the stack. A program method is only bound here: the
    // jump into its body waits in FPendingCall for the statement to end.
    // `self` is the object a method of its class runs on.
    TCallOutcome Call(TMethode& method, TObjekt* self = nullptr);
    TCallOutcome CallProgramMethod(TMethode& method);
    // The variable a designator's first name means, kept per token of the
    // token table as long as the variable space's generation and binding
    // state are those it was found under.
    TVariant* LookupName(std::string_view name, std::int32_t tokenNumber);
    bool EnterNesting();
    // False, with the error recorded, when `more` bytes on top of what the
    // run holds would pass the budget.
    bool MemoryLeft(std::int64_t more = 0);
    // Cheap enough for every statement: whether the texts have grown past
    // what the budget had left for them when it was last reckoned (by
    // MemoryLeft, at every call, declaration and object). Everything else
    // the budget counts changes only there.
    bool TextsPastAlarm() const { return ProgramMemory::Texts() > FTextsAlarm; }
    void LeaveNesting() { --FNesting; }

    // --- kept shapes (UInterpreterFormen.cpp)
    // Evaluates the expression at the current position from its kept form
    // and converts it to `kind` as Evaluate does; false, having changed
    // nothing, when the plain reading must do it.
    bool EvaluateKept(TKind kind);
    // target := the expression at the current position, from its kept
    // form, for a plain Boolean, Integer or Real variable; false, having
    // changed nothing, otherwise.
    bool AssignKept(TVariant& target);
    // The assignment target of the statement whose first name (token
    // `first`) was just read, with the scanner left behind its `:=`; none,
    // having changed nothing, when the plain reading must find it.
    TVariant* KeptAssignmentTarget(std::int32_t first);

    // --- statements (UInterpreterAnweisung.cpp)
    void ExecuteStatement(int token, int position, TStepResult& result);
    void IdentifierStatement(int position);
    void Declaration();
    // Creates the declared objects of a class; true when figures joined the
    // default window.
    bool DeclareObjects(const std::string& className);
    bool NameTaken(std::string_view name) const;
    void Assign(TVariant& target);
    void Wenn();
    void Sonst();
    void EndWenn();
    void Solange();
    void EndSolange();
    void Wiederhole();
    void EndWiederhole();
    void Fuer();
    void MethodeImAblauf();
    void Ende();
    void BlockSkip();
    bool Condition();  // evaluates a condition and pops it as Boolean

    // --- program methods (UInterpreterMethoden.cpp)
    void DeclarationPass();
    void EnterPendingCall();
    void ForgetScopeObjects();

    // --- windows
    void RepaintWindows();
    bool SettlePaints(bool forScreen) override;
    void SettleProbes() override;
    // Freeing the objects of the closing scope may take figures or a window
    // off the screen; the paint owed for the state before comes first.
    void SettlePaintsBeforeFreeing();

    std::unique_ptr<TVarSpace> FVars;
    std::unique_ptr<TKlassenFabrik> FFactory;
    TScanner& FScanner;
    // Taken when the run starts (see UDeferredPaint.h).
    TPaintShortcuts FPaintShortcuts;
    TStack FStack;
    std::vector<TFenster*> FWindows;
    bool FErrorFlag = false;
    TFehler* FError = nullptr;
    int FBlockDepth = 0;
    TObjekt* FFuerObject = nullptr;
    TFenster* FDefaultWindow = nullptr;
    bool FInStep = false;

    TFehlerVerwaltung* FErrorList;
    std::unique_ptr<TFehler> FOwnedError;  // until handed to the error list
    bool FErrorReported = false;
    bool FNoAttributeAssignment = false;
    int FCallDepth = 0;
    int FMaxCallDepth = MaxCallDepth;
    int FNesting = 0;  // expression nesting, see MaxExpressionDepth
    std::int64_t FMaxMemory = DefaultMaxMemory;
    // Texts and objects the process held before the run began.
    std::int64_t FTextsBefore = 0;
    std::int64_t FObjectsBefore = 0;
    std::int64_t FTextsAlarm = 0;

    // The names a designator quotes in its messages, one entry per designator
    // nesting level; entries keep their capacity so that a warm interpreter
    // evaluates without allocating.
    // A name of the token table is kept as its token number only and its
    // text fetched when a message needs it.
    struct TDesignatorNames {
        std::string First;
        std::string Method;
        std::int32_t FirstNumber = 0;
        std::int32_t MethodNumber = 0;
    };
    std::string_view FirstName(const TDesignatorNames& names) const {
        return names.FirstNumber ? FScanner.TokenTextOf(names.FirstNumber) : std::string_view(names.First);
    }
    std::string_view MethodName(const TDesignatorNames& names) const {
        return names.MethodNumber ? FScanner.TokenTextOf(names.MethodNumber) : std::string_view(names.Method);
    }
    std::deque<TDesignatorNames> FNames;
    int FNameLevel = 0;
    std::string FConcat;     // scratch for string concatenation
    struct TNameSite {
        TVarSpace::TNameHandle Name = nullptr;
        std::uint64_t Generation = 0;  // 0: no value kept
        TVariant* Value = nullptr;
        bool Binding = false;
    };
    std::vector<TNameSite> FNameSites;  // by token number - 1
    TVariant FCallResult;    // a call's result used as an assignable target
    bool FCallWithoutResult = false;
    std::vector<std::string> FDeclaredNames;  // scratch for declarations

    struct TExpressionShape {
        std::uint32_t Generation = 0;  // the scanner table's; 0: never looked at
        bool Usable = false;
        bool ReadsNumber = false;  // leaves a number literal's value in the scanner
        int Depth = 0;             // nesting levels the plain reading would open
        int Height = 0;            // operands alive at once
        std::vector<TKeptStep> Code;
        TScanner::TState After;    // the scanner behind the expression
    };
    struct TAssignmentShape {
        std::uint32_t Generation = 0;
        bool Usable = false;
        TScanner::TState After;  // the scanner just behind the `:=`
    };
    const TExpressionShape* ExpressionShape(std::int32_t number);
    // The kept form of the expression at the current position, if there is
    // one that may be used here.
    const TExpressionShape* KeptExpression();
    // Computes a kept form; false on anything the plain reading must do.
    bool ComputeKept(const TExpressionShape& shape, TOperand& result);
    void CompileExpression(TExpressionShape& shape);
    bool FShapesOn = true;
    long long FShapeUses = 0;
    std::vector<TExpressionShape> FExpressionShapes;  // by token number - 1
    std::vector<TAssignmentShape> FAssignmentShapes;  // by token number - 1
    TScanner::TState FShapeScratch;
    TScanner::TTexts FShapeScratchTexts;

    // A program method call whose arguments are bound: its scope is open and
    // the jump into its body happens when the call statement is complete.
    struct TPendingCall {
        bool Active = false;
        std::int32_t BodyPosition = 0;
        std::int32_t BodyEnd = 0;
        std::int32_t ReturnPosition = 0;
    } FPendingCall;
};
