#pragma once
// The two fixed reference pages of the help panel, one entry per line.
#include <vector>

namespace HelpTexts {

const std::vector<const char*>& Befehle();
const std::vector<const char*>& Konstanten();

} // namespace HelpTexts
