#include "UDecimalSeparator.h"

#include <atomic>
#include <langinfo.h>
#include <locale.h>

namespace {

// Reads the environment's numeric locale without switching the process's
// own locale (setlocale would change how every other thread formats).
char EnvironmentSeparator() {
    char separator = '.';
    locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (loc != static_cast<locale_t>(nullptr)) {
        const char* radix = nl_langinfo_l(RADIXCHAR, loc);
        // A multi-byte separator (UTF-8 locales with exotic points) cannot be
        // one Windows-1252 byte; keep the point then.
        if (radix && radix[0] != '\0' && radix[1] == '\0') separator = radix[0];
        freelocale(loc);
    }
    return separator;
}

std::atomic<char>& Separator() {
    static std::atomic<char> separator{EnvironmentSeparator()};
    return separator;
}

} // namespace

char DecimalSeparator() { return Separator().load(std::memory_order_relaxed); }

void SetDecimalSeparator(char separator) {
    Separator().store(separator, std::memory_order_relaxed);
}
