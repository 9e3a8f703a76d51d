// Our portable functions against the C library of the build machine: the
// C library is the reference here, ours the implementation that every
// platform shares.
#include "UPortableMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

std::uint64_t Bits(double x) {
    std::uint64_t b = 0;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

double FromBits(std::uint64_t b) {
    double x = 0;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

// Distance in units in the last place: doubles ordered as integers.
std::uint64_t Ulps(double a, double b) {
    const auto ordered = [](double x) {
        const auto i = static_cast<std::int64_t>(Bits(x));
        return i < 0 ? std::numeric_limits<std::int64_t>::min() - i : i;
    };
    const std::int64_t d = ordered(a) - ordered(b);
    return static_cast<std::uint64_t>(d < 0 ? -d : d);
}

struct TStats {
    std::uint64_t MaxUlps = 0;
    long Equal = 0, Count = 0;
};

using TUnary = std::function<double(double)>;

// Compares ours with the reference on every argument; reports the first few
// that differ by more than one ulp.
void Compare(const char* name, const TUnary& ours, double (*reference)(double), const std::vector<double>& args,
             TStats& stats) {
    int reported = 0;
    for (double x : args) {
        const double a = ours(x), b = reference(x);
        const std::uint64_t d = std::isnan(a) && std::isnan(b) ? 0 : Ulps(a, b);
        if (d > 1 && reported++ < 5)
            ADD_FAILURE() << name << "(" << std::hexfloat << x << ") = " << a << ", C library " << b;
        stats.MaxUlps = std::max(stats.MaxUlps, d);
        stats.Equal += d == 0;
        ++stats.Count;
    }
}

// Arguments for sin, cos and atan: uniform in widening ranges, close to
// multiples of pi/2 (where the reduction cancels most digits), tiny and
// subnormal, and doubles with random bits over the whole range.
std::vector<double> Arguments(std::mt19937_64& random) {
    std::vector<double> args;
    for (double range : {1.0, 4.0, 100.0, 1e6, 3e6, 1e9, 1e18}) {
        std::uniform_real_distribution<double> uniform(-range, range);
        for (int i = 0; i < 200000; ++i) args.push_back(uniform(random));
    }
    std::uniform_int_distribution<std::int64_t> multiple(1, std::int64_t{1} << 40);
    std::uniform_int_distribution<int> offset(-40, 40);
    for (int i = 0; i < 200000; ++i) {
        const auto k = i < 100000 ? multiple(random) % 2000000 + 1 : multiple(random);
        const double x = static_cast<double>(k) * 1.5707963267948966;
        args.push_back(FromBits(Bits(x) + static_cast<std::uint64_t>(static_cast<std::int64_t>(offset(random)))));
    }
    std::uniform_int_distribution<std::uint64_t> anyBits;
    for (int i = 0; i < 200000; ++i) {
        const double x = FromBits(anyBits(random));
        if (std::isfinite(x)) args.push_back(x);
        args.push_back(std::ldexp(x, -std::ilogb(x) - 20 - i % 1040));  // tiny, many subnormal
    }
    // The edges of the paths.
    for (double edge : {0.78539816339744828, 1647097.3, 1647098.0, 0x1p-26, 0x1p-27, 1.0 / 32, 1.0, 0x1p60}) {
        for (int j = -2; j <= 2; ++j) {
            args.push_back(FromBits(Bits(edge) + static_cast<std::uint64_t>(static_cast<std::int64_t>(j))));
            args.push_back(-args.back());
        }
    }
    return args;
}

} // namespace

TEST(PortableMath, WithinOneUlpOfTheCLibraryAndMostlyEqual) {
    std::mt19937_64 random(20261208);
    const std::vector<double> args = Arguments(random);
    TStats sinStats, cosStats, atanStats, hypotStats;
    Compare("Sin", PortableMath::Sin, std::sin, args, sinStats);
    Compare("Cos", PortableMath::Cos, std::cos, args, cosStats);
    Compare("Atan", PortableMath::Atan, std::atan, args, atanStats);

    // Pairs for hypot: one random double and a second at a random distance
    // of exponents, so both the scaled paths and the lopsided ones run.
    std::uniform_int_distribution<std::uint64_t> anyBits;
    std::uniform_int_distribution<int> gap(-70, 70);
    std::uniform_real_distribution<double> plain(-100, 100);
    int reported = 0;
    for (int i = 0; i < 1000000; ++i) {
        double x = 0, y = 0;
        if (i % 2 == 0) {
            x = plain(random);
            y = plain(random);
        } else {
            x = FromBits(anyBits(random));
            if (!std::isfinite(x)) continue;
            y = std::ldexp(FromBits(anyBits(random) >> 12 | Bits(1.0)), std::ilogb(x) + gap(random));
        }
        const double a = PortableMath::Hypot(x, y), b = std::hypot(x, y);
        const std::uint64_t d = Ulps(a, b);
        if (d > 1 && reported++ < 5)
            ADD_FAILURE() << std::hexfloat << "Hypot(" << x << ", " << y << ") = " << a << ", C library " << b;
        hypotStats.MaxUlps = std::max(hypotStats.MaxUlps, d);
        hypotStats.Equal += d == 0;
        ++hypotStats.Count;
    }

    for (const auto& [name, stats] : {std::pair{"Sin", sinStats}, std::pair{"Cos", cosStats},
                                      std::pair{"Atan", atanStats}, std::pair{"Hypot", hypotStats}}) {
        const double share = static_cast<double>(stats.Equal) / static_cast<double>(stats.Count);
        std::printf("%-5s %8ld arguments, largest distance %llu ulp, %.4f%% equal\n", name, stats.Count,
                    static_cast<unsigned long long>(stats.MaxUlps), 100 * share);
        EXPECT_LE(stats.MaxUlps, 1u) << name;
        // Both sides nearly always round to the nearest double; a kernel that
        // lost a few bits would still pass the one ulp but not this.
        EXPECT_GT(share, 0.99) << name;
    }
}

// Where the C library's result is exact or fixed by convention, ours is the
// same double, sign of zero and NaN included.
TEST(PortableMath, SpecialValuesAsTheCLibrary) {
    const double denormal = std::numeric_limits<double>::denorm_min();
    const double smallest = std::numeric_limits<double>::min();
    const double largest = std::numeric_limits<double>::max();
    const auto same = [](double a, double b) { return (std::isnan(a) && std::isnan(b)) || (Bits(a) == Bits(b)); };
    for (double x : {0.0, -0.0, Inf, -Inf, NaN, -NaN, denormal, -denormal, smallest, -smallest, 1e-300, -1e-20, 0x1p-27,
                     -0x1.fffffffffffffp-28}) {
        EXPECT_TRUE(same(PortableMath::Sin(x), std::sin(x))) << std::hexfloat << "Sin " << x;
        EXPECT_TRUE(same(PortableMath::Cos(x), std::cos(x))) << std::hexfloat << "Cos " << x;
        EXPECT_TRUE(same(PortableMath::Atan(x), std::atan(x))) << std::hexfloat << "Atan " << x;
    }
    for (double x : {1e30, -1e30, 0x1p61, largest, -largest})
        EXPECT_TRUE(same(PortableMath::Atan(x), std::atan(x))) << std::hexfloat << "Atan " << x;
    // The double closest to a multiple of pi/2, where the C library here is
    // 8 ulp off; the exact value, from 5000-bit arithmetic, rounds to these.
    const double hardest = std::ldexp(6381956970095103.0, 797);
    EXPECT_EQ(PortableMath::Cos(hardest), -0x1.14ae72e6ba22fp-61);
    EXPECT_EQ(PortableMath::Sin(-hardest), -1.0);

    EXPECT_TRUE(std::isnan(PortableMath::Sin(Inf)) && std::isnan(PortableMath::Cos(-Inf)));
    EXPECT_TRUE(std::signbit(PortableMath::Sin(-0.0)) && std::signbit(PortableMath::Atan(-0.0)));

    const double values[] = {0.0, -0.0, Inf, -Inf, NaN, denormal, -smallest, 3.0, -4.0, 1e300, largest, -largest};
    for (double x : values) {
        for (double y : values) {
            EXPECT_TRUE(same(PortableMath::Hypot(x, y), std::hypot(x, y)))
                << std::hexfloat << "Hypot " << x << ", " << y;
        }
    }
    EXPECT_EQ(PortableMath::Hypot(NaN, -Inf), Inf);
    EXPECT_EQ(PortableMath::Hypot(3e-320, 4e-320), 5e-320);
    EXPECT_EQ(PortableMath::Hypot(3e300, 4e300), 5e300);
}
