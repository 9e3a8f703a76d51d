#include "UNumberLiteral.h"

#include "UNumberChars.h"

#include <charconv>
#include <system_error>

std::string TNumberLiteral::Text() const {
    std::string text = IntegerPart;
    if (HasPoint) {
        text += '.';
        text += Fraction;
    }
    if (ExponentLetter != '\0') {
        text += ExponentLetter;
        text += Exponent;
    }
    return text;
}

bool ConvertInteger(const std::string& digits, std::int32_t& value) {
    std::int32_t result = 0;
    const char* end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, result);
    if (digits.empty() || ec != std::errc() || ptr != end) return false;
    value = result;
    return true;
}

namespace {

// The power of ten of the literal's first significant digit, saturated far
// beyond the double range. Only asked when the conversion is out of range,
// to tell an overflow (> 0) from an underflow.
long long DecimalMagnitude(const TNumberLiteral& number) {
    long long magnitude;
    const auto intDigit = number.IntegerPart.find_first_not_of('0');
    if (intDigit != std::string::npos) {
        magnitude = static_cast<long long>(number.IntegerPart.size() - intDigit) - 1;
    } else {
        const auto fracDigit = number.Fraction.find_first_not_of('0');
        if (fracDigit == std::string::npos) return 0;
        magnitude = -static_cast<long long>(fracDigit) - 1;
    }
    long long exponent = 0;
    bool negative = false;
    for (char c : number.Exponent) {
        if (c == '-') negative = true;
        else if (c >= '0' && c <= '9' && exponent < 1000000000LL) exponent = exponent * 10 + (c - '0');
    }
    return magnitude + (negative ? -exponent : exponent);
}

} // namespace

bool ConvertReal(const TNumberLiteral& number, double& value) {
    std::string text = number.IntegerPart;
    text += '.';
    text += number.Fraction.empty() ? "0" : number.Fraction;
    text += 'e';
    text += number.ExponentLetter != '\0' ? number.Exponent : "0";

    double result = 0.0;
    const char* end = text.data() + text.size();
    const char* ptr = nullptr;
    const std::errc ec = NumberChars::ReadGeneral(text.data(), end, result, ptr);
    if (ptr != end) return false;
    if (ec == std::errc::result_out_of_range) {
        if (DecimalMagnitude(number) > 0) return false;
        result = 0.0;
    } else if (ec != std::errc()) {
        return false;
    }
    value = result;
    return true;
}
