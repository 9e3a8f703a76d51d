// Portable sine, cosine, arctangent and hypotenuse; see the header for why.
//
// The constants below come from tools/derive-portable-math.py (mpmath):
// Chebyshev fits for the polynomials, pieces of pi/2, atan(k/16) as pairs and
// the bits of 2/pi. Rerun it to check or change them.
//
// Throughout, a value in two doubles (Hi + Lo, |Lo| at most half an ulp of Hi)
// carries the extra precision that makes the final rounding nearly always the
// nearest double.
#include "UPortableMath.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// sin(x) = x - x^3/6 + x^5 * SinQ(x^2) for |x| <= pi/4 (largest error of the
// fit 1.17e-19).
constexpr double SinQ0 = 0x1.1111111111111p-7;
constexpr double SinQ1 = -0x1.a01a01a019ed2p-13;
constexpr double SinQ2 = 0x1.71de3a550bbbbp-19;
constexpr double SinQ3 = -0x1.ae64553199f10p-26;
constexpr double SinQ4 = 0x1.61225896f04f7p-33;
constexpr double SinQ5 = -0x1.ab9214f4bd77dp-41;
// cos(x) = 1 - x^2/2 + x^4/24 + x^6 * CosQ(x^2) (largest error of the fit
// 6.17e-20).
constexpr double CosQ0 = -0x1.6c16c16c16c17p-10;
constexpr double CosQ1 = 0x1.a01a01a019f88p-16;
constexpr double CosQ2 = -0x1.27e4fb775ef3cp-22;
constexpr double CosQ3 = 0x1.1eed8e6b27b72p-29;
constexpr double CosQ4 = -0x1.93957b8c921ffp-37;
constexpr double CosQ5 = 0x1.abe518b1a05bbp-45;
// atan(t) = t + t^3 * AtanQ(t^2) for |t| <= 1/32 (largest error of the fit
// 1.85e-17, mostly the rounding of -1/3).
constexpr double AtanQ0 = -0x1.5555555555555p-2;
constexpr double AtanQ1 = 0x1.999999999999ap-3;
constexpr double AtanQ2 = -0x1.249249249209cp-3;
constexpr double AtanQ3 = 0x1.c71c71beeb246p-4;
constexpr double AtanQ4 = -0x1.745cda083c327p-4;
constexpr double AtanQ5 = 0x1.3a40a36c4f8dbp-4;
// -1/6 and 1/24 as pairs Hi + Lo.
constexpr double SinS1 = -0x1.5555555555555p-3;
constexpr double SinS1Lo = -0x1.5555555555555p-57;
constexpr double CosC2 = 0x1.5555555555555p-5;
constexpr double CosC2Lo = 0x1.5555555555555p-59;
// pi/2 = PiHalf1 + PiHalf2 + PiHalf3 + PiHalf4, the first three of 33 bits;
// pi/2 = PiHalfHi + PiHalfLo.
constexpr double PiHalf1 = 0x1.921fb54400000p+0;
constexpr double PiHalf2 = 0x1.0b4611a600000p-34;
constexpr double PiHalf3 = 0x1.3198a2e000000p-69;
constexpr double PiHalf4 = 0x1.b839a252049c1p-104;
constexpr double PiHalfHi = 0x1.921fb54442d18p+0;
constexpr double PiHalfLo = 0x1.1a62633145c07p-54;
constexpr double TwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double PiQuarter = 0x1.921fb54442d18p-1;
// atan(k/16) and pi/2 - atan(k/16), each as Hi, Lo.
constexpr double AtanTable[17][2] = {
    {0x0.0p+0, 0x0.0p+0},
    {0x1.ff55bb72cfdeap-5, -0x1.c934d86d23f1dp-60},
    {0x1.fd5ba9aac2f6ep-4, -0x1.cd37686760c17p-59},
    {0x1.7b97b4bce5b02p-3, 0x1.347b0b4f881cap-58},
    {0x1.f5b75f92c80ddp-3, 0x1.8ab6e3cf7afbdp-57},
    {0x1.362773707ebccp-2, -0x1.963a544b672d8p-57},
    {0x1.6f61941e4def1p-2, -0x1.c63aae6f6e918p-56},
    {0x1.a64eec3cc23fdp-2, -0x1.24dec1b50b7ffp-56},
    {0x1.dac670561bb4fp-2, 0x1.a2b7f222f65e2p-56},
    {0x1.0657e94db30d0p-1, -0x1.d5b495f6349e6p-56},
    {0x1.1e00babdefeb4p-1, -0x1.928df287a668fp-58},
    {0x1.345f01cce37bbp-1, 0x1.1021137c71102p-55},
    {0x1.4978fa3269ee1p-1, 0x1.2419a87f2a458p-56},
    {0x1.5d58987169b18p-1, 0x1.0028e4bc5e7cap-57},
    {0x1.700a7c5784634p-1, -0x1.8c34d25aadef6p-56},
    {0x1.819d0b7158a4dp-1, -0x1.bf76229d3b917p-56},
    {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55},
};
constexpr double AtanComplementTable[17][2] = {
    {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54},  {0x1.82250768ac529p+0, -0x1.e78c96d05afcbp-58},
    {0x1.7249faa996a21p+0, 0x1.a8cc1e7480c68p-54},  {0x1.62acbeaca61b8p+0, 0x1.c6ac9f134fa91p-60},
    {0x1.5368c951e9cfdp+0, -0x1.96f47948a99f1p-54}, {0x1.4495d86823225p+0, 0x1.4d29adbab2a62p-54},
    {0x1.3647503caf55cp+0, 0x1.17e21d9a42c9ap-55},  {0x1.288bfa3512419p+0, 0x1.8e684e7a2281bp-56},
    {0x1.1b6e192ebbe44p+0, 0x1.b1b466a88828ep-54},  {0x1.0ef3c09d694b0p+0, 0x1.8fcf88aed2e80p-54},
    {0x1.031f57e54adbep+0, 0x1.338b4259c0270p-54},  {0x1.efe068bba2275p-1, 0x1.24a3b2e61a70bp-55},
    {0x1.dac670561bb4fp-1, 0x1.a2b7f222f65e2p-55},  {0x1.c6e6d2171bf18p-1, 0x1.f4ba8d3373e1bp-55},
    {0x1.b434ee31013fdp-1, -0x1.0520d0701d877p-55}, {0x1.a2a25f172cfe4p-1, -0x1.d700509dad6cep-56},
    {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55},
};
// The first 1280 bits of 2/pi after the point.
constexpr std::uint32_t TwoOverPiBits[40] = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599, 0x3C439041, 0xFE5163AB, 0xDEBBC561,
    0xB7246E3A, 0x424DD2E0, 0x06492EEA, 0x09D1921C, 0xFE1DEB1C, 0xB129A73E, 0xE88235F5, 0x2EBB4484,
    0xE99C7026, 0xB45F7E41, 0x3991D639, 0x835339F4, 0x9C845F8B, 0xBDF9283B, 0x1FF897FF, 0xDE05980F,
    0xEF2F118B, 0x5A0A6D1F, 0x6D367ECF, 0x27CB09B7, 0x4F463F66, 0x9E5FEA2D, 0x7527BAC7, 0xEBE5F17B,
    0x3D0739F7, 0x8A5292EA, 0x6BFB5FB1, 0x1F8D5D08, 0x56033046, 0xFC7B6BAB, 0xF0CFBC20, 0x9AF4361D,
};

struct TPair {
    double Hi, Lo;
};

// a + b exactly, for any magnitudes.
TPair TwoSum(double a, double b) {
    const double s = a + b;
    const double bv = s - a;
    return {s, (a - (s - bv)) + (b - bv)};
}

// Splits a into two halves of at most 26 significant bits (|a| < 2^995).
TPair Split(double a) {
    const double c = 134217729.0 * a;  // 2^27 + 1
    const double hi = c - (c - a);
    return {hi, a - hi};
}

// a * b exactly, as long as neither the product nor its error leaves the
// normal range; without a fused multiply-add, which not every target has.
TPair TwoProduct(double a, double b) {
    const double p = a * b;
    const TPair x = Split(a), y = Split(b);
    return {p, ((x.Hi * y.Hi - p) + x.Hi * y.Lo + x.Lo * y.Hi) + x.Lo * y.Lo};
}

// x = Quadrant * pi/2 + (Hi + Lo) with |Hi + Lo| <= pi/4 (a hair more on the
// medium path, where the quotient is rounded).
struct TReduced {
    int Quadrant;
    double Hi, Lo;
};

// Below this, k = round(x * 2/pi) has at most 20 bits, so k times each
// 33-bit piece of pi/2 is exact and the pieces subtract without loss.
constexpr double CodyWaiteLimit = 1048575.0 * PiHalf1;  // (2^20 - 1) * pi/2

// 0 <= x < CodyWaiteLimit.
TReduced ReduceMedium(double x) {
    constexpr double RoundingShift = 0x1.8p52;  // adding it rounds to an integer
    const double k = (x * TwoOverPi + RoundingShift) - RoundingShift;
    const double r1 = x - k * PiHalf1;
    const TPair r2 = TwoSum(r1, -(k * PiHalf2));
    const TPair r3 = TwoSum(r2.Hi, -(k * PiHalf3));
    const TPair r = TwoSum(r3.Hi, (r2.Lo + r3.Lo) - k * PiHalf4);
    return {static_cast<int>(k) & 3, r.Hi, r.Lo};
}

// CodyWaiteLimit <= x < inf: x * 2/pi modulo 4 from a window of 192 bits of
// 2/pi taken where they matter for this exponent, in integer arithmetic. The
// bits left out of the window shift the result by less than 2^-136, far below
// the closest any double comes to a multiple of pi/2 (2^-61 of pi/2).
TReduced ReduceHuge(double x) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    const int exponent = static_cast<int>(bits >> 52) - 1075;  // x = mantissa * 2^exponent
    const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);

    // x * 2/pi = mantissa * sum of b_i * 2^(exponent - i) over the bits b_i
    // of 2/pi (b_1 the first after the point); bits up to exponent - 2 only
    // add multiples of 4.
    constexpr int WindowWords = 6;
    const int first = std::max(1, exponent - 1);
    const int word = (first - 1) / 32, shift = (first - 1) % 32;
    std::uint32_t window[WindowWords];  // least significant word first
    for (int j = 0; j < WindowWords; ++j) {
        const std::uint32_t high = TwoOverPiBits[word + j], low = TwoOverPiBits[word + j + 1];
        window[WindowWords - 1 - j] = shift == 0 ? high : (high << shift) | (low >> (32 - shift));
    }
    std::uint32_t product[WindowWords + 2] = {};
    const std::uint32_t factor[2] = {static_cast<std::uint32_t>(mantissa), static_cast<std::uint32_t>(mantissa >> 32)};
    for (int i = 0; i < 2; ++i) {
        std::uint64_t carry = 0;
        for (int j = 0; j < WindowWords; ++j) {
            const std::uint64_t t = std::uint64_t{factor[i]} * window[j] + product[i + j] + carry;
            product[i + j] = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
        product[i + WindowWords] = static_cast<std::uint32_t>(carry);
    }
    // The product's bits below `point` are the fraction of x * 2/pi.
    const int point = first + 32 * WindowWords - 1 - exponent;
    const auto bit = [&product](int i) -> std::uint64_t { return i < 0 ? 0 : (product[i / 32] >> (i % 32)) & 1u; };
    int quadrant = static_cast<int>(bit(point) + 2 * bit(point + 1));

    // Keep the fraction; from one half up it becomes the negative distance
    // to the next integer.
    for (int i = point; i < 32 * (WindowWords + 2); ++i) product[i / 32] &= ~(std::uint32_t{1} << (i % 32));
    const bool negative = bit(point - 1) != 0;
    if (negative) {
        ++quadrant;
        std::uint64_t carry = 1;
        for (std::uint32_t& w : product) {
            const std::uint64_t t = std::uint64_t{static_cast<std::uint32_t>(~w)} + carry;
            w = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
        for (int i = point; i < 32 * (WindowWords + 2); ++i) product[i / 32] &= ~(std::uint32_t{1} << (i % 32));
    }
    int top = point - 1;
    while (top >= 0 && bit(top) == 0) --top;
    if (top < 0) return {quadrant & 3, 0.0, 0.0};
    const auto bits64 = [&bit](int low) {
        std::uint64_t v = 0;
        for (int i = 63; i >= 0; --i) v = (v << 1) | bit(low + i);
        return v;
    };
    const std::uint64_t upper = bits64(top - 63), lower = bits64(top - 127);
    // Fraction = fh + fl, 53 bits each.
    const double fh = std::ldexp(static_cast<double>(upper >> 11), top - 52 - point);
    const double fl = std::ldexp(static_cast<double>(((upper & 0x7FF) << 42) | (lower >> 22)), top - 105 - point);
    TPair r = TwoProduct(fh, PiHalfHi);
    r = TwoSum(r.Hi, r.Lo + (fh * PiHalfLo + fl * PiHalfHi));
    if (negative) r = {-r.Hi, -r.Lo};
    return {quadrant & 3, r.Hi, r.Lo};
}

TReduced Reduce(double x) { return x < CodyWaiteLimit ? ReduceMedium(x) : ReduceHuge(x); }

// sin(hi + lo) for |hi| <= about pi/4. The cubic term -hi^3/6 weighs up to a
// tenth of the result, so it is formed from exact products; the rest is small
// enough for plain arithmetic.
double SinKernel(double hi, double lo) {
    const TPair z = TwoProduct(hi, hi);
    const TPair cube = TwoProduct(hi, z.Hi);  // hi^3 = cube + hi * z.Lo
    const TPair cubic = TwoProduct(cube.Hi, SinS1);
    const TPair s = TwoSum(hi, cubic.Hi);
    const double zz = z.Hi;
    const double poly = SinQ0 + zz * (SinQ1 + zz * (SinQ2 + zz * (SinQ3 + zz * (SinQ4 + zz * SinQ5))));
    const double rest =
        cubic.Lo + cube.Hi * SinS1Lo + (cube.Lo + hi * z.Lo) * SinS1 + cube.Hi * zz * poly + lo * (1.0 - 0.5 * zz);
    return s.Hi + (s.Lo + rest);
}

// cos(hi + lo) for |hi| <= about pi/4: 1 - hi^2/2 with its rounding error
// recovered exactly, plus hi^4/24 (up to a fiftieth of the result) from exact
// products, then the small rest.
double CosKernel(double hi, double lo) {
    const TPair z = TwoProduct(hi, hi);
    const double half = 0.5 * z.Hi;
    const double w = 1.0 - half;
    const double zz = z.Hi;
    const TPair fourth = TwoProduct(zz, zz);  // hi^4 = fourth + 2 zz z.Lo
    const TPair quartic = TwoProduct(fourth.Hi, CosC2);
    const TPair s = TwoSum(w, quartic.Hi);
    const double poly = CosQ0 + zz * (CosQ1 + zz * (CosQ2 + zz * (CosQ3 + zz * (CosQ4 + zz * CosQ5))));
    const double tail = (((1.0 - w) - half) - 0.5 * z.Lo) + quartic.Lo + fourth.Hi * CosC2Lo +
                        (fourth.Lo + 2.0 * zz * z.Lo) * CosC2 + zz * fourth.Hi * poly - hi * lo * (1.0 + zz * SinS1);
    return s.Hi + (s.Lo + tail);
}

constexpr double Infinity = std::numeric_limits<double>::infinity();

} // namespace

namespace PortableMath {

double Sin(double x) {
    const double a = std::fabs(x);
    if (!(a < Infinity)) return x - x;  // NaN stays NaN, an infinity becomes NaN
    if (a < 0x1p-26) return x;          // x^3/6 is below half an ulp; keeps -0
    if (a <= PiQuarter) return SinKernel(x, 0.0);
    const TReduced r = Reduce(a);
    double v = (r.Quadrant & 1) != 0 ? CosKernel(r.Hi, r.Lo) : SinKernel(r.Hi, r.Lo);
    if ((r.Quadrant & 2) != 0) v = -v;
    return x < 0 ? -v : v;
}

double Cos(double x) {
    const double a = std::fabs(x);
    if (!(a < Infinity)) return x - x;
    if (a < 0x1p-27) return 1.0;
    if (a <= PiQuarter) return CosKernel(a, 0.0);
    const TReduced r = Reduce(a);
    switch (r.Quadrant) {
    case 0: return CosKernel(r.Hi, r.Lo);
    case 1: return -SinKernel(r.Hi, r.Lo);
    case 2: return -CosKernel(r.Hi, r.Lo);
    default: return SinKernel(r.Hi, r.Lo);
    }
}

// atan(x) = atan(c) + atan((x - c) / (1 + x c)) with c = k/16 nearest to x,
// and for x > 1 the same on 1/x: atan(x) = (pi/2 - atan(c)) + atan((c x - 1) /
// (x + c)). The quotient t, |t| <= 1/32, is formed as a pair, so the only
// rounding that matters is the last one.
double Atan(double x) {
    if (x != x) return x + x;
    const double a = std::fabs(x);
    double v = 0.0;
    TPair num{}, den{};
    const double* base = nullptr;
    if (a <= 1.0) {
        const int k = static_cast<int>(std::lround(a * 16.0));
        if (k == 0) {
            const double z = a * a;
            const double poly = AtanQ0 + z * (AtanQ1 + z * (AtanQ2 + z * (AtanQ3 + z * (AtanQ4 + z * AtanQ5))));
            v = a + a * (z * poly);
            return std::signbit(x) ? -v : v;
        }
        const double c = k / 16.0;
        const TPair p = TwoProduct(c, a);
        num = {a - c, 0.0};  // exact: a lies within c/2 .. 2c
        den = TwoSum(1.0, p.Hi);
        den.Lo += p.Lo;
        base = AtanTable[k];
    } else if (a < 0x1p60) {
        const int k = static_cast<int>(std::lround(16.0 / a));
        const double c = k / 16.0;
        const TPair p = TwoProduct(c, a);
        num = TwoSum(p.Hi, -1.0);
        num.Lo += p.Lo;
        den = TwoSum(a, c);
        base = AtanComplementTable[k];
    } else {
        // pi/2 - 1/x rounds to the double nearest pi/2.
        return x < 0 ? -PiHalfHi : PiHalfHi;
    }
    const double th = num.Hi / den.Hi;
    const TPair q = TwoProduct(th, den.Hi);
    const double tl = (((num.Hi - q.Hi) - q.Lo) + num.Lo - th * den.Lo) / den.Hi;
    const double z = th * th;
    const double poly = AtanQ0 + z * (AtanQ1 + z * (AtanQ2 + z * (AtanQ3 + z * (AtanQ4 + z * AtanQ5))));
    const TPair s = TwoSum(base[0], th);
    v = s.Hi + (s.Lo + (base[1] + (tl * (1.0 - z) + th * (z * poly))));
    return std::signbit(x) ? -v : v;
}

// sqrt(x^2 + y^2) scaled into a safe range, then one Newton step on
// h^2 = x^2 + y^2 with the squares taken exactly.
double Hypot(double x, double y) {
    double a = std::fabs(x), b = std::fabs(y);
    if (a == Infinity || b == Infinity) return Infinity;
    if (a != a || b != b) return x + y;
    if (a < b) std::swap(a, b);
    // Below 2^-30 of a, b changes the result by less than 2^-61 of it: a is
    // the nearest double (a + b is not, when a is small or b not tiny).
    if (b == 0.0 || a > b * 0x1p30) return a;
    double scale = 1.0;
    if (a > 0x1p500) {
        a *= 0x1p-600;
        b *= 0x1p-600;
        scale = 0x1p600;
    } else if (a < 0x1p-500) {
        a *= 0x1p600;
        b *= 0x1p600;
        scale = 0x1p-600;
    }
    double h = std::sqrt(a * a + b * b);
    const TPair aa = TwoProduct(a, a), bb = TwoProduct(b, b), hh = TwoProduct(h, h);
    const double residual = ((aa.Hi - hh.Hi) + bb.Hi) + ((aa.Lo + bb.Lo) - hh.Lo);
    h += residual / (2.0 * h);
    return h * scale;
}

} // namespace PortableMath
