// The portable maths functions over millions of arguments, printed as one
// digest per function: the native build and the WebAssembly build must print
// the same lines (tests/web/maths.test.mjs). The arguments come from a
// generator of our own, so that both builds see the same ones.
#include "UPortableMath.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::uint64_t State = 20261208;

std::uint64_t Next() {  // splitmix64
    std::uint64_t z = (State += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
}

double FromBits(std::uint64_t b) {
    double x = 0;
    std::memcpy(&x, &b, sizeof x);
    return x;
}

std::uint64_t Bits(double x) {
    std::uint64_t b = 0;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

// Uniform in [-range, range), near multiples of pi/2, or any finite double.
double Argument(std::uint64_t i) {
    static const double Ranges[] = {1.0, 4.0, 100.0, 1e6, 3e6, 1e9, 1e18};
    const std::uint64_t r = Next();
    switch (i % 4) {
    case 0:
    case 1: {
        const double unit = double(r >> 11) * 0x1p-53;  // exact
        const double range = Ranges[(r >> 3) % 7];
        return (2 * unit - 1) * range;
    }
    case 2: {
        const double x = double((r >> 24) % 2000000 + 1) * 1.5707963267948966;
        return FromBits(Bits(x) + (r & 63) - 32);
    }
    default: {
        double x = FromBits(r);
        while (x != x || x - x != 0) x = FromBits(Next());  // finite only
        return x;
    }
    }
}

struct TDigest {
    std::uint64_t Hash = 0xCBF29CE484222325u;  // FNV-1a over the result bits
    void Add(double x) {
        const std::uint64_t b = Bits(x);
        for (int k = 0; k < 8; ++k) Hash = (Hash ^ ((b >> (8 * k)) & 0xFF)) * 0x100000001B3u;
    }
};

} // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
    TDigest sin, cos, atan, hypot;
    for (long i = 0; i < count; ++i) {
        const double x = Argument(std::uint64_t(i));
        sin.Add(PortableMath::Sin(x));
        cos.Add(PortableMath::Cos(x));
        atan.Add(PortableMath::Atan(x));
        hypot.Add(PortableMath::Hypot(x, Argument(std::uint64_t(i) + 1)));
    }
    std::printf("sin %016llx\ncos %016llx\natan %016llx\nhypot %016llx\n", (unsigned long long)sin.Hash,
                (unsigned long long)cos.Hash, (unsigned long long)atan.Hash, (unsigned long long)hypot.Hash);
    return 0;
}
