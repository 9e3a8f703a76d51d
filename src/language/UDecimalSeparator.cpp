#include "UDecimalSeparator.h"

#include <atomic>
#include <clocale>
#include <string>

namespace {

// Read once; the process's own numeric locale is restored afterwards so that
// number parsing elsewhere keeps the "C" rules.
char LocaleSeparator() {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    char separator = '.';
    if (std::setlocale(LC_NUMERIC, "")) {
        const std::lconv* conv = std::localeconv();
        if (conv && conv->decimal_point && conv->decimal_point[0] && !conv->decimal_point[1])
            separator = conv->decimal_point[0];
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    return separator;
}

std::atomic<char>& Separator() {
    static std::atomic<char> separator{LocaleSeparator()};
    return separator;
}

} // namespace

char DecimalSeparator() { return Separator().load(std::memory_order_relaxed); }

void SetDecimalSeparator(char separator) { Separator().store(separator, std::memory_order_relaxed); }
