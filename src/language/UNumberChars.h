#pragma once
// Bit casts and the number texts of the core, the same on every standard
// library it is built with. The browser build's library has neither
// std::bit_cast nor the floating-point std::to_chars/from_chars; there the
// C library's printf and strtod give the same texts, because the standard
// defines those overloads by printf's and strtod's rules.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

#if __has_include(<bit>)
#include <bit>
#endif

namespace NumberChars {

// Both forms refuse types of different sizes or that are not trivially
// copyable.
template <class To, class From>
constexpr To BitCast(const From& from) noexcept {
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<To>(from);
#else
    return __builtin_bit_cast(To, from);
#endif
}

// The plain forms, on the C library alone. The browser build uses them; the
// native tests compare them with the standard library's.

// `value` with `precision` significant digits as printf's "%.*g" writes it
// into [first, last); returns the end (first when it does not fit; 40
// characters hold any double with up to 17 digits).
inline char* PrintfText(char* first, char* last, double value, int precision) {
    const int length = std::snprintf(first, static_cast<std::size_t>(last - first), "%.*g", precision, value);
    return length < 0 || length >= last - first ? first : first + length;
}

// Reads a decimal floating-point number from [first, last) as
// std::from_chars with chars_format::general does: `end` is where it stopped
// (first when nothing was read), the error result_out_of_range when the
// number overflows to infinity or underflows to zero (then `value` is left
// alone), invalid_argument when nothing was read.
inline std::errc StrtodRead(const char* first, const char* last, double& value, const char*& end) {
    // strtod also takes what from_chars refuses: white space, a plus sign
    // and hexadecimal numbers. Only decimal text, INF and NAN are handed on.
    const char* p = first;
    if (p != last && *p == '-') ++p;
    if (p == last || !((*p >= '0' && *p <= '9') || *p == '.' || *p == 'i' || *p == 'I' || *p == 'n' || *p == 'N')) {
        end = first;
        return std::errc::invalid_argument;
    }
    if (*p == '0' && p + 1 != last && (p[1] == 'x' || p[1] == 'X')) last = p + 1;
    const std::string text(first, last);  // strtod needs the terminating zero
    char* stop = nullptr;
    errno = 0;
    const double result = std::strtod(text.c_str(), &stop);
    end = first + (stop - text.c_str());
    if (end == first) return std::errc::invalid_argument;
    // strtod reports ERANGE for subnormal results too; those are in range.
    if (errno == ERANGE && (result == 0 || std::isinf(result))) return std::errc::result_out_of_range;
    value = result;
    return std::errc();
}

// What the core calls: the standard library's forms where it has them.
inline char* GeneralText(char* first, char* last, double value, int precision) {
#if defined(__cpp_lib_to_chars)
    return std::to_chars(first, last, value, std::chars_format::general, precision).ptr;
#else
    return PrintfText(first, last, value, precision);
#endif
}

inline std::errc ReadGeneral(const char* first, const char* last, double& value, const char*& end) {
#if defined(__cpp_lib_to_chars)
    const std::from_chars_result result = std::from_chars(first, last, value, std::chars_format::general);
    end = result.ptr;
    return result.ec;
#else
    return StrtodRead(first, last, value, end);
#endif
}

}  // namespace NumberChars
