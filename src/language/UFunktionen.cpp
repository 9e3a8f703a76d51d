// The built-in functions of the language and the generator behind zufall.
#include "UMeldungen.h"
#include "UPortableMath.h"
#include "UVariablen.h"

#include <chrono>
#include <cmath>
#include <mutex>

namespace {

// The degree factor is the rounded decimal the language has always used, not
// pi/180: arctan(1) is 45.0000013 and cos(90) about 4.68E-8.
constexpr double Grad = 0.017453292;
// Angles from here on have always yielded 0 (an argument reduction in the
// processor once gave up there); programs may rely on it.
constexpr double ReductionLimit = 9223372036854775808.0;  // 2^63

double Sine(double radians) { return std::fabs(radians) >= ReductionLimit ? 0.0 : PortableMath::Sin(radians); }
double Cosine(double radians) { return std::fabs(radians) >= ReductionLimit ? 0.0 : PortableMath::Cos(radians); }

const char* PushReal(TStack& stack, double value) {
    if (const char* message = CheckedReal(value)) return message;
    stack.PushDouble(value);
    return nullptr;
}

// `whole` is already an integral value (or not finite).
const char* PushWhole(TStack& stack, double whole) {
    if (std::isnan(whole)) return Meldung::KeineGueltigeZahl;
    if (!(whole >= -2147483648.0 && whole <= 2147483647.0)) return Meldung::IntegerBereich;
    stack.PushInteger(static_cast<std::int32_t>(whole));
    return nullptr;
}

} // namespace

namespace BuiltIn {

const char* Sin(TVarSpace*, TStack& stack) { return PushReal(stack, Sine(stack.PopDouble() * Grad)); }

const char* Cos(TVarSpace*, TStack& stack) { return PushReal(stack, Cosine(stack.PopDouble() * Grad)); }

const char* Tan(TVarSpace*, TStack& stack) {
    double radians = stack.PopDouble() * Grad;
    return PushReal(stack, Sine(radians) / Cosine(radians));
}

const char* ArcTan(TVarSpace*, TStack& stack) { return PushReal(stack, PortableMath::Atan(stack.PopDouble()) / Grad); }

const char* Abs(TVarSpace*, TStack& stack) { return PushReal(stack, std::fabs(stack.PopDouble())); }

const char* Sqrt(TVarSpace*, TStack& stack) {
    double value = stack.PopDouble();
    if (value < 0) return Meldung::KeineGueltigeZahl;
    return PushReal(stack, std::sqrt(value));
}

// Halves go to the even neighbour: round(2.5) is 2, round(3.5) is 4.
const char* Round(TVarSpace*, TStack& stack) { return PushWhole(stack, std::nearbyint(stack.PopDouble())); }

const char* Trunc(TVarSpace*, TStack& stack) { return PushWhole(stack, std::trunc(stack.PopDouble())); }

const char* Zufall(TVarSpace*, TStack& stack) {
    std::int32_t bis = stack.PopInteger();
    std::int32_t von = stack.PopInteger();
    stack.PushInteger(von < bis ? ::Zufall::Between(von, bis) : 1);
    return nullptr;
}

} // namespace BuiltIn

namespace Zufall {
namespace {

std::mutex GeneratorLock;
std::uint64_t State = 0;

// splitmix64: small, fast and the same sequence on every platform.
std::uint64_t NextRaw() {
    std::uint64_t z = (State += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

} // namespace

void Randomize() {
    auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    SetSeed(static_cast<std::uint64_t>(ticks));
}

void SetSeed(std::uint64_t seed) {
    std::lock_guard<std::mutex> guard(GeneratorLock);
    State = seed;
}

std::int32_t Between(std::int32_t from, std::int32_t to) {
    if (to <= from) return from;
    const std::uint64_t range =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(to) - from) + 1;
    // Rejecting the lowest (2^64 mod range) draws keeps every result equally likely.
    const std::uint64_t threshold = (0 - range) % range;
    std::uint64_t draw;
    {
        std::lock_guard<std::mutex> guard(GeneratorLock);
        do draw = NextRaw();
        while (draw < threshold);
    }
    return static_cast<std::int32_t>(static_cast<std::int64_t>(from) +
                                     static_cast<std::int64_t>(draw % range));
}

} // namespace Zufall
