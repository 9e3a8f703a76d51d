#pragma once
// The operators of expressions in one place: which token is an operator of
// which grammar level, which kinds it takes, which kind it yields and what
// it computes. The plain evaluator, the kept forms and the syntax check all
// follow these rules, so that what the check accepts, the kind it expects
// and the value a run computes cannot drift apart.
//
// Invariants, for operands an operator takes (Takes):
// - ApplyBinary and ApplyUnary either yield a value of ResultKind's kind or
//   return a runtime message and leave the operand as it was.
// - Integer with Integer stays Integer under + - * /; an overflow is a
//   message, never a wrap. Any Real operand makes the result Real, and a
//   Real result is always finite.
// - A relation, und, oder and nicht yield a Boolean.
// Joining Strings with `+` is typed here (ResultKind) but done by the
// evaluator on its stack, where the length limit lives.
#include "UConstants.h"
#include "UVariant.h"

#include <cstdint>

// The levels of binary operators, loosest binding first; olNone for every
// other token.
enum TOperatorLevel : std::uint8_t { olNone, olLogic, olRelation, olSum, olProduct };

constexpr TOperatorLevel OperatorLevel(int token) {
    switch (token) {
    case KUnd:
    case KOder: return olLogic;
    case OGleich:
    case OGroesser:
    case OKleiner:
    case OGroessergleich:
    case OKleinergleich:
    case OUngleich: return olRelation;
    case OPlus:
    case OMinus: return olSum;
    case OMal:
    case OGeteilt: return olProduct;
    default: return olNone;
    }
}

constexpr bool IsRelation(int token) { return OperatorLevel(token) == olRelation; }
// The operators in front of a factor: - and nicht.
constexpr bool IsUnaryOperator(int token) { return token == OMinus || token == KNicht; }
constexpr bool IsNumber(TKind kind) { return kind == vkInteger || kind == vkReal; }

// Whether `op` takes an operand of `kind`, on either side; the unary minus
// takes what the binary one takes. `+` also takes Strings: a String on
// either side joins.
constexpr bool Takes(int op, TKind kind) {
    if (op == KNicht || OperatorLevel(op) == olLogic) return kind == vkBoolean;
    if (op == OPlus) return IsNumber(kind) || kind == vkString;
    return IsNumber(kind);
}

// The kind `left op right` yields for operands `op` takes.
constexpr TKind ResultKind(int op, TKind left, TKind right) {
    switch (OperatorLevel(op)) {
    case olLogic:
    case olRelation: return vkBoolean;
    default: break;
    }
    if (left == vkString || right == vkString) return vkString;
    return left == vkReal || right == vkReal ? vkReal : vkInteger;
}

// Whether `a relation b` holds for one of the relation tokens; any other
// token is taken as "<>".
template <typename T>
bool HoldsRelation(int relation, T a, T b) {
    switch (relation) {
    case OGleich: return a == b;
    case OGroesser: return a > b;
    case OKleiner: return a < b;
    case OGroessergleich: return a >= b;
    case OKleinergleich: return a <= b;
    default: return a != b;
    }
}

// A value an operator computes with: a Boolean, an Integer or a Real. Left
// uninitialized on purpose: the kept forms make an array of them for every
// evaluation.
struct TOperand {
    TKind Kind;
    bool Boolean;
    std::int32_t Integer;
    double Real;
    double AsDouble() const { return Kind == vkInteger ? static_cast<double>(Integer) : Real; }
};

// The operand a value gives; false for a value of another kind.
inline bool ReadOperand(const TVariant& value, TOperand& operand) {
    switch (value.Kind()) {
    case vkBoolean: operand = {vkBoolean, value.AsBoolean(), 0, 0.0}; return true;
    case vkInteger: operand = {vkInteger, false, value.AsInteger(), 0.0}; return true;
    case vkReal: operand = {vkReal, false, 0, value.AsDouble()}; return true;
    default: return false;
    }
}

// Writes an operand with the writer of its kind.
inline void WriteOperand(TVariant& target, const TOperand& operand) {
    switch (operand.Kind) {
    case vkInteger: target.SetInteger(operand.Integer); break;
    case vkReal: target.SetDouble(operand.Real); break;
    default: target.SetBoolean(operand.Boolean); break;
    }
}

// + - * / on two Integers; / truncates toward zero.
inline const char* ApplyInteger(int op, TOperand& left, std::int32_t right) {
    switch (op) {
    case OPlus: return CheckedAdd(left.Integer, right, left.Integer);
    case OMinus: return CheckedSub(left.Integer, right, left.Integer);
    case OMal: return CheckedMul(left.Integer, right, left.Integer);
    default: return CheckedDiv(left.Integer, right, left.Integer);
    }
}

// + - * / on two numbers, at least one of them Real.
inline const char* ApplyReal(int op, TOperand& left, double right) {
    double result = 0.0;
    const char* message = nullptr;
    switch (op) {
    case OPlus: result = left.AsDouble() + right; break;
    case OMinus: result = left.AsDouble() - right; break;
    case OMal: result = left.AsDouble() * right; break;
    default: message = CheckedDivReal(left.AsDouble(), right, result); break;
    }
    if (!message) message = CheckedReal(result);
    if (message) return message;
    left = {vkReal, false, 0, result};
    return nullptr;
}

// `left op right` into `left`, for a binary operator that takes both kinds;
// not for Strings. Both sides are always computed before: und and oder do
// not short-circuit.
inline const char* ApplyBinary(int op, TOperand& left, const TOperand& right) {
    switch (OperatorLevel(op)) {
    case olLogic:
        left.Boolean = op == KUnd ? (left.Boolean && right.Boolean) : (left.Boolean || right.Boolean);
        return nullptr;
    case olRelation: {
        const bool holds = left.Kind == vkInteger && right.Kind == vkInteger
                               ? HoldsRelation(op, left.Integer, right.Integer)
                               : HoldsRelation(op, left.AsDouble(), right.AsDouble());
        left = {vkBoolean, holds, 0, 0.0};
        return nullptr;
    }
    default:
        if (ResultKind(op, left.Kind, right.Kind) == vkInteger) return ApplyInteger(op, left, right.Integer);
        return ApplyReal(op, left, right.AsDouble());
    }
}

// - or nicht on an operand the operator takes.
inline const char* ApplyUnary(int op, TOperand& operand) {
    if (op == KNicht) {
        operand.Boolean = !operand.Boolean;
        return nullptr;
    }
    if (operand.Kind == vkInteger) return CheckedNeg(operand.Integer, operand.Integer);
    operand.Real = -operand.Real;
    return nullptr;
}
