#pragma once
// The two fixed reference pages of the help panel, one entry per line, in
// Latin-1 as the editor holds a program (a pupil copies them into it).
#include <vector>

namespace HelpTexts {

const std::vector<const char*>& Befehle();
const std::vector<const char*>& Konstanten();

} // namespace HelpTexts
