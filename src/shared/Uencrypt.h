#pragma once
// The reversible scrambling of the stored password. It hides the password
// from a casual look into the settings file; it is not encryption.
#include <string>
#include <string_view>

// The built-in default password, only ever held in scrambled form. It locks
// the settings when the file has no password of its own, and the password
// prompt always accepts it.
inline constexpr std::string_view kDefaultPasswordScrambled = "7c04be91d3a6";

// Two lowercase hexadecimal digits per byte of `text`.
std::string Scramble(std::string_view text);
// The inverse of Scramble for its own output. Digits are read in pairs (an
// odd last digit is ignored, upper case is accepted); a pair that is not
// hexadecimal makes the whole value unreadable, which yields "".
std::string Unscramble(std::string_view hex);
