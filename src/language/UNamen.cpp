#include "UNamen.h"

std::string LowerAscii(std::string_view s) {
    std::string result(s);
    for (char& c : result) c = LowerAscii(c);
    return result;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}
