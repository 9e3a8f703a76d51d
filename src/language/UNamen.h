#pragma once
// Names of the language compare ignoring the case of the ASCII letters A-Z
// only; umlauts and every other byte compare exactly.
#include <string>
#include <string_view>

constexpr char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view s);
bool SameName(std::string_view a, std::string_view b);
