#pragma once
// Rich Text Format of a piece of program text, so that a copy keeps its
// highlighting in a word processor. Qt-free.
#include <string>

// `text` holds Windows-1252 bytes with lines separated by CR LF; `classes`
// one highlight class digit ('0'..'4') per byte of `text`. Positions beyond
// the end of `classes` keep the style of the character before them.
std::string BuildRTF(const std::string& text, const std::string& classes);
