#pragma once
// What the fuzz targets share: cutting the input into program lines, and a
// check that stops the run with a message, so that libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// Lines end at CR LF, a lone CR or a lone LF, as a loaded file's do.
inline std::vector<std::string> SplitLines(std::string_view bytes) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

[[noreturn]] inline void FuzzFailure(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_REQUIRE(condition) \
    do { \
        if (!(condition)) FuzzFailure(#condition, __FILE__, __LINE__); \
    } while (false)
