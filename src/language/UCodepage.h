#pragma once
// Conversion between the system's Windows-1252 bytes and UTF-8, for all 256
// codes. The five codes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the same code points, so any byte string survives
// Win1252 -> UTF-8 -> Win1252 unchanged. The core never converts; the screen,
// clipboard, files given on the terminal and standard output do.
#include <cstdint>
#include <string>
#include <string_view>

namespace Codepage {

// The Unicode code point of a Windows-1252 byte.
char32_t ToUnicode(unsigned char c);
// The Windows-1252 byte of a code point, or '?' when it has none.
unsigned char FromUnicode(char32_t cp);

std::string Win1252ToUtf8(std::string_view bytes);
// Invalid UTF-8 sequences and code points without a Windows-1252 byte become '?'.
std::string Utf8ToWin1252(std::string_view utf8);

} // namespace Codepage
