#include "UVariant.h"

#include "UDecimalSeparator.h"
#include "UMeldungen.h"
#include "UNumberChars.h"
#include "UProgramMemory.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

const std::string EmptyString;

std::uint64_t RawOf(std::int32_t value) { return static_cast<std::uint32_t>(value); }
std::uint64_t RawOf(const void* pointer) { return NumberChars::BitCast<std::uintptr_t>(pointer); }
std::int32_t IntOf(std::uint64_t raw) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(raw));
}

} // namespace

// ---------------------------------------------------------------- text

void AppendInteger(std::string& out, std::int32_t value) {
    char buffer[16];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, static_cast<std::size_t>(end - buffer));
}

// %.15G rules (fixed notation from 1E-4 up to below 1E15, otherwise
// scientific, trailing zeros dropped), but the exponent is written without a
// plus sign and without leading zeros, and the point is the current separator.
void AppendReal(std::string& out, double value) {
    if (std::isnan(value)) {
        out.append("NAN");
        return;
    }
    if (std::isinf(value)) {
        out.append(value < 0 ? "-INF" : "INF");
        return;
    }
    if (value == 0) value = 0;  // no "-0"
    char buffer[40];
    const char* end = NumberChars::GeneralText(buffer, buffer + sizeof buffer, value, 15);
    const char separator = DecimalSeparator();
    for (const char* p = buffer; p != end; ++p) {
        if (*p == '.') {
            out.push_back(separator);
        } else if (*p == 'e') {
            out.push_back('E');
            ++p;
            if (*p == '-') out.push_back('-');
            ++p;
            while (p + 1 != end && *p == '0') ++p;
            out.append(p, static_cast<std::size_t>(end - p));
            return;
        } else {
            out.push_back(*p);
        }
    }
}

std::string RealToText(double value) {
    std::string text;
    AppendReal(text, value);
    return text;
}

// ---------------------------------------------------------------- TVariant

TVariant::TVariant() = default;

TVariant::TVariant(TObjekt* object) {
    Data.Kind = vkObjekt;
    Data.Raw = RawOf(object);
}

TVariant::TVariant(std::int32_t value) {
    Data.Kind = vkInteger;
    Data.Raw = RawOf(value);
}

TVariant::TVariant(TMethode* method) {
    Data.Kind = vkMethod;
    Data.Raw = RawOf(method);
}

TVariant::~TVariant() {
    if (Data.Str) ProgramMemory::Add(-ProgramMemory::HeapOf(*Data.Str));
}

// Invariant: the string is empty whenever the kind is not String, so CopyFrom
// and the conversions never see stale text. A large text's room is given
// back: a stack slot or a parameter kept for reuse would otherwise hold it
// for as long as the run lasts.
void TVariant::Leave() {
    if (Data.Kind == vkString) {
        if (Data.Str->capacity() > KeptCapacity) {
            ProgramMemory::Add(-ProgramMemory::HeapOf(*Data.Str));
            Data.Str.reset();
        } else {
            Data.Str->clear();
        }
    }
    Data.Raw = 0;
}

void TVariant::Recount(std::int64_t before) {
    const std::int64_t after = ProgramMemory::HeapOf(*Data.Str);
    if (after != before) ProgramMemory::Add(after - before);
}

std::string& TVariant::Text() {
    if (!Data.Str) Data.Str = std::make_unique<std::string>();
    return *Data.Str;
}

void TVariant::SetBoolean(bool value) {
    Leave();
    Data.Kind = vkBoolean;
    Data.Raw = value ? 1 : 0;
    ChangedFlag = 1;
}

void TVariant::SetChar(unsigned char value) {
    Leave();
    Data.Kind = vkChar;
    Data.Raw = value;
    ChangedFlag = 1;
}

void TVariant::SetInteger(std::int32_t value) {
    Leave();
    Data.Kind = vkInteger;
    Data.Raw = RawOf(value);
    ChangedFlag = 1;
}

void TVariant::SetDouble(double value) {
    Leave();
    Data.Kind = vkReal;
    Data.Raw = NumberChars::BitCast<std::uint64_t>(value);
    ChangedFlag = 1;
}

void TVariant::SetString(std::string_view value) {
    if (Data.Kind != vkString) {
        Leave();
        Text();
        Data.Kind = vkString;
    }
    const std::int64_t before = ProgramMemory::HeapOf(*Data.Str);
    Data.Str->assign(value.data(), value.size());  // may alias Str itself
    Recount(before);
    ChangedFlag = 1;
}

void TVariant::SetObject(TObjekt* object) {
    Leave();
    Data.Kind = vkObjekt;
    Data.Raw = RawOf(object);
    ChangedFlag = 1;
}

void TVariant::SetMethod(TMethode* method) {
    Leave();
    Data.Kind = vkMethod;
    Data.Raw = RawOf(method);
    ChangedFlag = 1;
}

void TVariant::SetMarker(std::uint8_t marker) {
    Leave();
    Data.Kind = vkMarker;
    Data.Raw = marker;
}

void TVariant::SetKind(TKind kind) {
    if (kind == Data.Kind) return;
    Leave();
    if (kind == vkString) Text();
    Data.Kind = kind;
}

bool TVariant::AsBoolean() const { return Data.Kind == vkBoolean && Data.Raw != 0; }

unsigned char TVariant::AsChar() const {
    if (Data.Kind == vkChar) return static_cast<unsigned char>(Data.Raw);
    if (Data.Kind == vkInteger) {
        std::int32_t value = IntOf(Data.Raw);
        return (value >= 0 && value <= 255) ? static_cast<unsigned char>(value) : 0;
    }
    return 0;
}

std::int32_t TVariant::AsInteger() const {
    if (Data.Kind == vkChar) return static_cast<unsigned char>(Data.Raw);
    if (Data.Kind == vkInteger) return IntOf(Data.Raw);
    return 0;
}

double TVariant::AsDouble() const {
    switch (Data.Kind) {
    case vkChar: return static_cast<unsigned char>(Data.Raw);
    case vkInteger: return IntOf(Data.Raw);
    case vkReal: return NumberChars::BitCast<double>(Data.Raw);
    default: return 0.0;
    }
}

const std::string& TVariant::AsString() const {
    return Data.Kind == vkString ? *Data.Str : EmptyString;
}

TObjekt* TVariant::AsObject() const {
    return Data.Kind == vkObjekt ? NumberChars::BitCast<TObjekt*>(static_cast<std::uintptr_t>(Data.Raw)) : nullptr;
}

TMethode* TVariant::AsMethod() const {
    return Data.Kind == vkMethod ? NumberChars::BitCast<TMethode*>(static_cast<std::uintptr_t>(Data.Raw)) : nullptr;
}

std::uint8_t TVariant::AsMarker() const {
    return Data.Kind == vkMarker ? static_cast<std::uint8_t>(Data.Raw) : NoMarker;
}

const char* TVariant::KindName(int kind) {
    switch (kind) {
    case vkBoolean: return "Boolean";
    case vkChar: return "Char";
    case vkInteger: return "Integer";
    case vkReal: return "Real";
    case vkString: return "String";
    case vkObjekt: return "Objekt";
    default: return "";
    }
}

std::string TVariant::DisplayText() const {
    std::string text;
    switch (Data.Kind) {
    case vkBoolean: text = AsBoolean() ? "wahr" : "falsch"; break;
    case vkChar: text.assign(1, static_cast<char>(Data.Raw)); break;
    case vkInteger: AppendInteger(text, IntOf(Data.Raw)); break;
    case vkReal: AppendReal(text, AsDouble()); break;
    case vkString:
        text.reserve(Data.Str->size() + 2);
        text.append("'").append(*Data.Str).append("'");
        break;
    default: break;
    }
    return text;
}

void TVariant::AppendAsString(std::string& out) const {
    switch (Data.Kind) {
    case vkBoolean: out.append(AsBoolean() ? "true" : "false"); break;
    case vkChar: out.push_back(static_cast<char>(Data.Raw)); break;
    case vkInteger: AppendInteger(out, IntOf(Data.Raw)); break;
    case vkReal: AppendReal(out, AsDouble()); break;
    case vkString: out.append(*Data.Str); break;
    default: break;
    }
}

void TVariant::ConvertToString() {
    if (Data.Kind == vkString) return;
    // Str is empty here but may keep capacity from an earlier string.
    std::string& text = Text();
    const std::int64_t before = ProgramMemory::HeapOf(text);
    AppendAsString(text);
    Recount(before);
    Data.Kind = vkString;
    Data.Raw = 0;
    ChangedFlag = 1;
}

void TVariant::ConvertToReal() {
    if (Data.Kind == vkInteger || Data.Kind == vkChar) SetDouble(AsDouble());
}

void TVariant::Concat(const TVariant& right) {
    ConvertToString();
    const std::int64_t before = ProgramMemory::HeapOf(*Data.Str);
    right.AppendAsString(*Data.Str);  // also right for "a + a" on one value
    Recount(before);
    ChangedFlag = 1;
}

void TVariant::CopyFrom(const TVariant& other) {
    if (&other == this) return;
    if (other.Data.Kind == vkString) {
        std::string& text = Text();
        const std::int64_t before = ProgramMemory::HeapOf(text);
        text.assign(*other.Data.Str);
        Recount(before);
    } else if (Data.Kind == vkString) {
        Leave();
    }
    Data.Kind = other.Data.Kind;
    Data.Raw = other.Data.Raw;
}

// ---------------------------------------------------------------- arithmetic

const char* CheckedAdd(std::int32_t a, std::int32_t b, std::int32_t& result) {
    std::int32_t r;
    if (__builtin_add_overflow(a, b, &r)) return Meldung::IntegerBereich;
    result = r;
    return nullptr;
}

const char* CheckedSub(std::int32_t a, std::int32_t b, std::int32_t& result) {
    std::int32_t r;
    if (__builtin_sub_overflow(a, b, &r)) return Meldung::IntegerBereich;
    result = r;
    return nullptr;
}

const char* CheckedMul(std::int32_t a, std::int32_t b, std::int32_t& result) {
    std::int32_t r;
    if (__builtin_mul_overflow(a, b, &r)) return Meldung::IntegerBereich;
    result = r;
    return nullptr;
}

const char* CheckedNeg(std::int32_t a, std::int32_t& result) {
    if (a == std::numeric_limits<std::int32_t>::min()) return Meldung::IntegerBereich;
    result = -a;
    return nullptr;
}

const char* CheckedDiv(std::int32_t a, std::int32_t b, std::int32_t& result) {
    if (b == 0) return Meldung::DivisionDurchNull;
    if (a == std::numeric_limits<std::int32_t>::min() && b == -1) return Meldung::IntegerBereich;
    result = a / b;
    return nullptr;
}

const char* CheckedReal(double value) {
    return std::isfinite(value) ? nullptr : Meldung::KeineGueltigeZahl;
}

const char* CheckedDivReal(double a, double b, double& result) {
    if (b == 0) return Meldung::DivisionDurchNull;
    double r = a / b;
    if (const char* message = CheckedReal(r)) return message;
    result = r;
    return nullptr;
}
