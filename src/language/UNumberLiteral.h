#pragma once
// Conversion of the number literals the scanner reads. Independent of the
// process's locale: the point is always the decimal separator.
#include <cstdint>
#include <string>

// A number literal as read: digits, an optional point with its (possibly
// empty) fraction, an optional exponent letter with whatever followed it
// (an optional '-', an optional '+', digits).
struct TNumberLiteral {
    std::string IntegerPart;
    bool IsReal = false;
    bool HasPoint = false;
    std::string Fraction;
    char ExponentLetter = '\0';  // 'e' or 'E' when an exponent was written
    std::string Exponent;

    // The literal's characters as written.
    std::string Text() const;
};

// A decimal digit run as a 32-bit signed integer; false when it does not fit.
bool ConvertInteger(const std::string& digits, std::int32_t& value);
// The literal as a double; false for a malformed exponent (`2e`, `2e-+1`) or
// a value beyond the double range. A value too small for a double is 0.
bool ConvertReal(const TNumberLiteral& number, double& value);
