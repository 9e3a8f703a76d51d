#pragma once
// Switches the process-wide decimal separator for one test and restores it,
// so that no test leaves it changed for the ones after it.
#include "UDecimalSeparator.h"

class SeparatorScope {
public:
    explicit SeparatorScope(char separator) : Saved(DecimalSeparator()) { SetDecimalSeparator(separator); }
    ~SeparatorScope() { SetDecimalSeparator(Saved); }
    SeparatorScope(const SeparatorScope&) = delete;
    SeparatorScope& operator=(const SeparatorScope&) = delete;

private:
    char Saved;
};
