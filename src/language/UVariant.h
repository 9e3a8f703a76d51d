#pragma once
// TVariant: the one runtime value of the language. Every variable, attribute,
// parameter and intermediate result is one. Values of kinds Objekt and method
// only refer to what they point at; they never own it.
//
// A read of the wrong kind is silent and yields the neutral value of the
// conversion table (false, 0, 0.0, empty, none); the interpreter checks kinds
// before it reads where the language requires it.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TObjekt;
class TMethode;
class TAttribut;

// Value kinds, stored as one byte; parameter and attribute descriptors use the
// same numbers. vkNone is what is asked for where there is no value (the top
// of an empty stack, the result of a method without one, an unresolved type).
enum TKind : std::uint8_t {
    vkBoolean = 0,
    vkChar = 1,
    vkInteger = 2,
    vkReal = 3,
    vkString = 4,
    vkObjekt = 5,
    vkMarker = 6,  // control marker of the statement executor
    vkMethod = 7,
    vkNone = 8,
};

// What reading a control marker yields when there is none.
inline constexpr std::uint8_t NoMarker = 9;

class TVariant {
public:
    TVariant();                            // Boolean false
    explicit TVariant(TObjekt* object);    // Objekt
    explicit TVariant(std::int32_t value); // Integer
    explicit TVariant(TMethode* method);   // method
    // Values live in place (stack slots, attributes, variables); copying one
    // by accident would also copy its owning attribute. Use CopyFrom.
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    ~TVariant();

    // A String's room up to this size stays with the value when it takes
    // another kind, so that a warm stack slot needs no allocation; a larger
    // room is given back.
    static constexpr std::size_t KeptCapacity = std::size_t{64} * 1024;

    // Writers set payload and kind; leaving String clears the string but keeps
    // its capacity. All but SetMarker set the changed flag.
    void SetBoolean(bool value);
    void SetChar(unsigned char value);
    void SetInteger(std::int32_t value);
    void SetDouble(double value);
    void SetString(std::string_view value);
    void SetObject(TObjekt* object);
    void SetMethod(TMethode* method);
    void SetMarker(std::uint8_t marker);

    // Changes the kind only, for declarations: a value given a new kind reads
    // as that kind's zero (false, code 0, 0, 0.0, empty, none). Giving it the
    // kind it already has changes nothing. The changed flag is not touched.
    void SetKind(TKind kind);
    TKind Kind() const { return Data.Kind; }

    bool AsBoolean() const;
    unsigned char AsChar() const;  // Integer 0..255 gives its code, else 0
    std::int32_t AsInteger() const;
    double AsDouble() const;
    const std::string& AsString() const;  // empty unless String
    TObjekt* AsObject() const;
    TMethode* AsMethod() const;
    std::uint8_t AsMarker() const;  // NoMarker unless a control marker

    // "Boolean", "Char", "Integer", "Real", "String", "Objekt"; empty otherwise.
    static const char* KindName(int kind);
    const char* KindName() const { return KindName(Data.Kind); }

    // For the variables view: "wahr"/"falsch", the character, the number, the
    // text in apostrophes; empty for objects and the other kinds.
    std::string DisplayText() const;

    // Appends the text this value becomes when converted to String:
    // "true"/"false", decimal, general real format, the string itself;
    // nothing for the other kinds. Allocates only when `out` must grow.
    void AppendAsString(std::string& out) const;
    // In-place conversions used by the interpreter when it coerces a value to
    // an expected kind; the string's capacity is reused.
    void ConvertToString();
    void ConvertToReal();  // Integer and Char become Real; other kinds unchanged
    // The `+` of Strings, in place: this value becomes the String of its own
    // text followed by `right`'s (either side converted as by AppendAsString).
    void Concat(const TVariant& right);

    // Copies kind and payload; the owning attribute and changed flag stay.
    void CopyFrom(const TVariant& other);

    // The attribute whose value this is, or none.
    TAttribut* Attribute() const { return Owner; }
    void SetAttribute(TAttribut* attribute) { Owner = attribute; }

    bool Changed() const { return ChangedFlag != 0; }
    void SetChanged(bool changed) { ChangedFlag = changed ? 1 : 0; }

private:
    void Leave();  // drops a string payload before another kind is written
    // Tells ProgramMemory how the text's room changed from `before` bytes.
    void Recount(std::int64_t before);

    // Every attribute of every figure is one of these, so the text lives
    // apart: made when the value first becomes a String and kept (empty) for
    // its capacity when it stops being one.
    std::string& Text();

    struct TVData {
        std::unique_ptr<std::string> Str;  // kind String
        std::uint64_t Raw = 0;  // Boolean, Char, Integer, Real, marker; the pointer of Objekt and method
        TKind Kind = vkBoolean;
    };
    // Owner first, so that the padding after the flag is at the end, where
    // an attribute puts its own small fields.
    TAttribut* Owner = nullptr;
    [[no_unique_address]] TVData Data;  // the flag below fits into its padding
    std::uint8_t ChangedFlag = 1;
};

// The one real-to-text conversion of the system: general format with up to 15
// significant digits, exponent written as in 1E20 or 1,5E-7, and the current
// decimal separator. Used by DisplayText, concatenation and conversion to
// String. Appending allocates only when `out` must grow.
void AppendReal(std::string& out, double value);
std::string RealToText(double value);
void AppendInteger(std::string& out, std::int32_t value);

// Checked arithmetic for the interpreter. Each returns nullptr and stores the
// result, or returns the runtime message (see UMeldungen.h) and leaves
// `result` untouched.
const char* CheckedAdd(std::int32_t a, std::int32_t b, std::int32_t& result);
const char* CheckedSub(std::int32_t a, std::int32_t b, std::int32_t& result);
const char* CheckedMul(std::int32_t a, std::int32_t b, std::int32_t& result);
const char* CheckedNeg(std::int32_t a, std::int32_t& result);
// Integer division truncates toward zero (7 / 2 is 3, -7 / 2 is -3).
const char* CheckedDiv(std::int32_t a, std::int32_t b, std::int32_t& result);
// A real result must be a finite number; division by zero has its own message.
const char* CheckedReal(double value);
const char* CheckedDivReal(double a, double b, double& result);
