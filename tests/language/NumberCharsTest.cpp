// The browser build writes and reads numbers through printf and strtod
// (UNumberChars.h), the desktop through std::to_chars and std::from_chars:
// both must give the same texts and the same values, out-of-range verdicts
// and stopping points, for random doubles of every magnitude and random
// literal texts.
#include "FuzzRounds.h"
#include "UNumberChars.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#if defined(__cpp_lib_to_chars)

TEST(NumberChars, PrintfTextsAreThoseOfToChars) {
    std::mt19937_64 r(FuzzSeed(20261208));
    const int rounds = FuzzRounds(200000);
    for (int i = 0; i < rounds; ++i) {
        // Any bit pattern (subnormals, huge and tiny numbers) and numbers of
        // few digits, where rounding to 15 digits ties.
        double value = std::bit_cast<double>(r());
        if (i % 3 == 1) value = static_cast<double>(static_cast<std::int64_t>(r() % 2000001) - 1000000) / 1000.0;
        if (i % 3 == 2) value = static_cast<double>(r() % 100000) * 0.05;
        if (std::isnan(value) || std::isinf(value)) continue;
        for (int precision : {15, 17}) {
            char a[64], b[64];
            char* endA = std::to_chars(a, a + sizeof a, value, std::chars_format::general, precision).ptr;
            char* endB = NumberChars::PrintfText(b, b + sizeof b, value, precision);
            ASSERT_EQ(std::string(a, static_cast<std::size_t>(endA - a)),
                      std::string(b, static_cast<std::size_t>(endB - b)))
                << std::hexfloat << value << " " << precision;
        }
    }
}

TEST(NumberChars, StrtodReadsAsFromChars) {
    std::mt19937 r(FuzzSeed(20261209));
    const int rounds = FuzzRounds(200000);
    const std::string pieces[] = {"0",
                                  "1",
                                  "9",
                                  "00",
                                  "123456789",
                                  "17976931348623157",
                                  "2225073858507201",
                                  "4940656458412465",
                                  ".",
                                  "e",
                                  "E",
                                  "-",
                                  "+",
                                  "x",
                                  "X",
                                  " ",
                                  "inf",
                                  "nan",
                                  "e-",
                                  "e+",
                                  "e308",
                                  "e-324",
                                  "e-400",
                                  "e400",
                                  "e99999999999"};
    for (int i = 0; i < rounds; ++i) {
        std::string text;
        const int count = 1 + static_cast<int>(r() % 6);
        for (int k = 0; k < count; ++k) text += pieces[r() % std::size(pieces)];
        double a = -1.5, b = -1.5;
        const std::from_chars_result expected =
            std::from_chars(text.data(), text.data() + text.size(), a, std::chars_format::general);
        const char* end = nullptr;
        const std::errc got = NumberChars::StrtodRead(text.data(), text.data() + text.size(), b, end);
        SCOPED_TRACE(text);
        ASSERT_EQ(static_cast<int>(got), static_cast<int>(expected.ec));
        if (expected.ec == std::errc::invalid_argument) continue;
        ASSERT_EQ(end - text.data(), expected.ptr - text.data());
        ASSERT_EQ(std::bit_cast<std::uint64_t>(b), std::bit_cast<std::uint64_t>(a));
    }
}

#endif
