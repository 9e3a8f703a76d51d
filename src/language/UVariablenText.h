#pragma once
// The texts of the variables view: one cell per variable, in the view's
// order, with the view's formatting marks. Qt-free, so that the headless
// runner prints exactly what the view would show.
#include "UVariablen.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace VariablenText {

// Formatting marks inside a cell text.
inline constexpr char FettAn = 1;
inline constexpr char FettAus = 2;
inline constexpr char Rot = 3;
inline constexpr char Schwarz = 4;

// The cell of one variable: "name = value" or "name = (attr = value,...)",
// names bold, values red while their changed flag is set (the flag is then
// cleared). Nothing for built-ins and for variables holding a method.
std::optional<std::string> FormatVariable(TVariable& variable);

// A value's text is shown up to this many characters, then "..." follows:
// the view measures and draws every cell at every statement, and a text of
// millions of characters would freeze it.
inline constexpr std::size_t MaxValueText = 1000;

// The view holds this many cells; later ones are dropped without notice.
inline constexpr int MaxCells = 200;

// Every cell of the view (RefreshVariables): the variables of the method now
// executing, then the global variables that hold no object, then those that
// do, each group in declaration order. All of them, also beyond MaxCells:
// formatting clears the changed flags of every variable, shown or not.
std::vector<std::string> VariableCells(TVarSpace& space);

// The text without its formatting marks.
std::string StripMarks(std::string_view text);

} // namespace VariablenText
