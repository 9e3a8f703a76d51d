// Kept shapes. While a run's snapshot is unchanged, the tokens an expression
// reads from a given token of the table are always the same, and so is where
// the reading ends. An expression of numbers, truth values, names and
// operators is therefore read once into a small postfix form; met again at
// the same token it is computed from that form and the scanner is set to
// where the plain reading would have left it. Only a success is taken from
// the form: any value of another kind, any arithmetic error, a method name
// or a nesting limit sends the whole expression back to the plain reading,
// which then gives exactly the message, line and column it always gave.
#include "UInterpreter.h"
#include "UOperatoren.h"

#include <algorithm>

namespace {

enum TShapeOp : std::uint8_t {
    soInteger,
    soReal,
    soBoolean,
    soName,
    soUnary,   // Arg: the operator's token
    soBinary,  // Arg: the operator's token; the right operand is on top
};

// Expressions deeper or wider than this are read plainly.
constexpr int MaxShapeDepth = 64;
constexpr int MaxShapeHeight = 16;

// Reads an expression with exactly the token calls (NextToken and Rewind)
// of the plain reading, into postfix steps. Gives up on anything the form
// cannot compute and on every token that did not come from the table.
class TShapeReader {
public:
    TShapeReader(TScanner& scanner, std::vector<TKeptStep>& code) : S(scanner), Code(code) {}

    bool Ok = true;
    bool ReadsNumber = false;
    int Depth = 0;
    int Height = 0;

    void Expression() {
        Comparison();
        while (Ok) {
            const int op = Next();
            if (OperatorLevel(op) != olLogic) {
                S.Rewind();
                return;
            }
            Comparison();
            Emit(soBinary, op, 0.0, -1);
        }
    }

private:
    int Next() {
        const int token = S.NextToken();
        if (!S.TokenNumber()) Ok = false;
        return token;
    }
    void Emit(std::uint8_t op, std::int32_t arg, double real, int change) {
        if (!Ok) return;
        Code.push_back({op, arg, real});
        Live += change;
        Height = std::max(Height, Live);
        if (Height > MaxShapeHeight) Ok = false;
    }
    bool Enter() {
        if (++Nesting > MaxShapeDepth) Ok = false;
        Depth = std::max(Depth, Nesting);
        return Ok;
    }
    void Comparison() {
        Sum();
        if (!Ok) return;
        const int op = Next();
        if (!IsRelation(op)) {
            S.Rewind();
            return;
        }
        Sum();
        Emit(soBinary, op, 0.0, -1);
    }
    void Sum() {
        Product();
        while (Ok) {
            const int op = Next();
            if (OperatorLevel(op) != olSum) {
                S.Rewind();
                return;
            }
            Product();
            Emit(soBinary, op, 0.0, -1);
        }
    }
    void Product() {
        Unary();
        while (Ok) {
            const int op = Next();
            if (OperatorLevel(op) != olProduct) {
                S.Rewind();
                return;
            }
            Unary();
            Emit(soBinary, op, 0.0, -1);
        }
    }
    void Unary() {
        const int op = Next();
        if (!Ok) return;
        if (!IsUnaryOperator(op)) return Factor(op);
        if (!Enter()) return;
        Factor(Next());
        --Nesting;
        Emit(soUnary, op, 0.0, 0);
    }
    void Factor(int token) {
        if (!Ok) return;
        switch (token) {
        case OKlammerAuf:
            if (!Enter()) return;
            Expression();
            --Nesting;
            if (Ok && Next() != OKlammerZu) Ok = false;
            return;
        case KWahr: return Emit(soBoolean, 1, 0.0, 1);
        case KFalsch: return Emit(soBoolean, 0, 0.0, 1);
        case OIntegerconst:
            ReadsNumber = true;
            return Emit(soInteger, S.IntValue(), 0.0, 1);
        case ORealConst:
            ReadsNumber = true;
            return Emit(soReal, 0, S.RealValue(), 1);
        case OIdentifier: {
            const std::int32_t name = S.TokenNumber();
            // A member chain is left to the plain reading.
            if (Next() == OPunkt) Ok = false;
            S.Rewind();
            return Emit(soName, name, 0.0, 1);
        }
        default:
            Ok = false;
            return;
        }
    }

    TScanner& S;
    std::vector<TKeptStep>& Code;
    int Nesting = 0;
    int Live = 0;
};

} // namespace

void TInterpreter::CompileExpression(TExpressionShape& shape) {
    shape.Generation = FScanner.TableGeneration();
    shape.Usable = false;
    shape.Code.clear();
    FScanner.Save(FShapeScratch, &FShapeScratchTexts);
    TShapeReader reader(FScanner, shape.Code);
    reader.Expression();
    if (reader.Ok && FScanner.TokenNumber() && !shape.Code.empty()) {
        FScanner.Save(shape.After);
        // Behind the expression the scanner owes the look-ahead's texts to
        // the table, so that putting it there copies no text. A look-ahead
        // scanned just now is in the table from now on: the form is read
        // again when the expression is met next.
        shape.Usable = !shape.After.HoldsTexts();
        if (shape.After.HoldsTexts()) shape.Generation = 0;
        shape.ReadsNumber = reader.ReadsNumber;
        shape.Depth = reader.Depth;
        shape.Height = reader.Height;
    }
    FScanner.Restore(FShapeScratch, true, &FShapeScratchTexts);
}

const TInterpreter::TExpressionShape* TInterpreter::ExpressionShape(std::int32_t number) {
    if (FExpressionShapes.size() < static_cast<std::size_t>(number))
        FExpressionShapes.resize(std::max<std::size_t>(number, 2 * FExpressionShapes.size()));
    TExpressionShape& shape = FExpressionShapes[number - 1];
    if (shape.Generation != FScanner.TableGeneration()) CompileExpression(shape);
    return shape.Usable ? &shape : nullptr;
}

const TInterpreter::TExpressionShape* TInterpreter::KeptExpression() {
    if (!FShapesOn || FFuerObject) return nullptr;
    const std::int32_t number = FScanner.KeptTokenHere();
    if (!number) return nullptr;
    const TExpressionShape* shape = ExpressionShape(number);
    if (!shape || FNesting + shape->Depth > MaxExpressionDepth) return nullptr;
    return shape;
}

bool TInterpreter::EvaluateKept(TKind kind) {
    if (kind == vkChar || kind == vkObjekt) return false;
    const TExpressionShape* shape = KeptExpression();
    TOperand result{};
    if (!shape || !ComputeKept(*shape, result)) return false;
    // Evaluate's conversions; a kind it would refuse goes the plain way.
    if (kind == vkInteger && result.Kind != vkInteger) return false;
    if (kind == vkReal && result.Kind == vkBoolean) return false;
    if (kind == vkReal || result.Kind == vkReal) FStack.PushDouble(result.AsDouble());
    else if (result.Kind == vkInteger) FStack.PushInteger(result.Integer);
    else FStack.PushBoolean(result.Boolean);
    if (kind == vkString) FStack.Peek()->ConvertToString();
    FScanner.Restore(shape->After, shape->ReadsNumber);
    ++FShapeUses;
    return true;
}

// Assign without the stack: the same conversions and the same writer.
bool TInterpreter::AssignKept(TVariant& target) {
    const TKind kind = target.Kind();
    if ((kind != vkInteger && kind != vkReal && kind != vkBoolean) || target.Attribute()) return false;
    const TExpressionShape* shape = KeptExpression();
    TOperand result{};
    if (!shape || !ComputeKept(*shape, result)) return false;
    switch (kind) {
    case vkInteger:
        if (result.Kind != vkInteger) return false;
        target.SetInteger(result.Integer);
        break;
    case vkReal:
        if (result.Kind == vkBoolean) return false;
        target.SetDouble(result.AsDouble());
        break;
    default:
        if (result.Kind != vkBoolean) return false;
        target.SetBoolean(result.Boolean);
        break;
    }
    FScanner.Restore(shape->After, shape->ReadsNumber);
    ++FShapeUses;
    return true;
}

// Any operand of a kind its operator does not take, or any runtime message,
// gives up: the plain reading then fails with its own message.
bool TInterpreter::ComputeKept(const TExpressionShape& shape, TOperand& result) {
    TOperand values[MaxShapeHeight];
    int top = -1;
    for (const TKeptStep& step : shape.Code) {
        switch (step.Op) {
        case soInteger: values[++top] = {vkInteger, false, step.Arg, 0.0}; continue;
        case soReal: values[++top] = {vkReal, false, 0, step.Real}; continue;
        case soBoolean: values[++top] = {vkBoolean, step.Arg != 0, 0, 0.0}; continue;
        case soName: {
            const TVariant* value = LookupName(FScanner.TokenTextOf(step.Arg), step.Arg);
            if (!value || !ReadOperand(*value, values[++top])) return false;
            continue;
        }
        case soUnary:
            if (!Takes(step.Arg, values[top].Kind) || ApplyUnary(step.Arg, values[top])) return false;
            continue;
        default: {
            const TOperand& right = values[top--];
            TOperand& left = values[top];
            if (!Takes(step.Arg, left.Kind) || !Takes(step.Arg, right.Kind)) return false;
            if (ApplyBinary(step.Arg, left, right)) return false;
            continue;
        }
        }
    }
    result = values[0];
    return true;
}

TVariant* TInterpreter::KeptAssignmentTarget(std::int32_t first) {
    if (!FShapesOn || FFuerObject || !first) return nullptr;
    if (FAssignmentShapes.size() < static_cast<std::size_t>(first))
        FAssignmentShapes.resize(std::max<std::size_t>(first, 2 * FAssignmentShapes.size()));
    TAssignmentShape& shape = FAssignmentShapes[first - 1];
    if (shape.Generation != FScanner.TableGeneration()) {
        // name := ... : the plain reading's designator ends at the `:=`.
        shape.Generation = FScanner.TableGeneration();
        FScanner.Save(FShapeScratch, &FShapeScratchTexts);
        const bool assignment = FScanner.NextToken() == ODoppelpunktgleich && FScanner.TokenNumber();
        FScanner.Save(shape.After);
        shape.Usable = assignment && !shape.After.HoldsTexts();
        // A `:=` scanned just now is in the table from now on.
        if (assignment && shape.After.HoldsTexts()) shape.Generation = 0;
        FScanner.Restore(FShapeScratch, true, &FShapeScratchTexts);
    }
    if (!shape.Usable) return nullptr;
    TVariant* target = LookupName(FScanner.TokenTextOf(first), first);
    if (!target || target->Kind() == vkMethod || (target->Attribute() && FNoAttributeAssignment)) return nullptr;
    FCallWithoutResult = false;
    // Where reading the name again, then the `:=`, would leave it.
    FScanner.Restore(shape.After, false);
    ++FShapeUses;
    return target;
}
