#pragma once
// The random tests keep the suite short; ZAK_FUZZ_ROUNDS runs a longer search
// by hand (rounds of every random test), ZAK_FUZZ_SEED starts it elsewhere.
// A failing round names its seed: ZAK_FUZZ_SEED=<seed> ZAK_FUZZ_ROUNDS=1
// repeats exactly that round.
#include <cstdint>
#include <cstdlib>

inline int FuzzRounds(int suiteRounds) {
    const char* env = std::getenv("ZAK_FUZZ_ROUNDS");
    const int rounds = env ? std::atoi(env) : 0;
    return rounds > 0 ? rounds : suiteRounds;
}

inline std::uint32_t FuzzSeed(std::uint32_t suiteSeed) {
    const char* env = std::getenv("ZAK_FUZZ_SEED");
    return env && *env ? static_cast<std::uint32_t>(std::strtoul(env, nullptr, 10)) : suiteSeed;
}
