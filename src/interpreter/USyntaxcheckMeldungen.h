#pragma once
// The messages of the background syntax check that differ from the
// interpreter's; the rest it shares through UInterpreterMeldungen.h.
// Pupils' worksheets quote these texts as they are, so each piece keeps its
// blanks and spelling exactly. Windows-1252 bytes, umlauts as single-byte
// codes.

namespace Meldung::Check {

// End of a statement list.
inline constexpr const char* BlockendeErwartet = "*wiederhole, *solange, *wenn oder *f\xFCr erwartet.";
inline constexpr const char* Unbekannt1 = "Der Bezeichner ";
inline constexpr const char* Unbekannt2 = " ist unbekannt.";
inline constexpr const char* NichtZulaessig = " ist hier nicht zul\xE4ssig.";
inline constexpr const char* BloeckeZuTief = "Die Bl\xF6" "cke sind zu tief geschachtelt.";

// Statements.
inline constexpr const char* FuerOhneObjekt = "Nach f\xFCr wird ein Objekt erwartet.";
inline constexpr const char* EndFuerErwartet = "*F\xFCr erwartet";
inline constexpr const char* KlammerZuErwartet = ") erwartet.";
inline constexpr const char* MalErwartet = "mal erwartet.";
inline constexpr const char* EndWiederholeErwartet = "*wiederhole erwartet.";
inline constexpr const char* BisOderSolange = "bis oder solange erwartet.";
inline constexpr const char* EndSolangeErwartet = "*solange erwartet.";
inline constexpr const char* EndWennErwartet = "*wenn erwartet.";
inline constexpr const char* MethodeOhneEnde = "Eine Methode wurde nicht mit Ende abgeschlossen";
inline constexpr const char* ZuweisungZuAttribut = "Einem Attribut darf kein Wert zugewiesen werden!";
inline constexpr const char* DeklarationInBlock =
    "Variablendeklaration ist innerhalb von Wiederholungen (wiederhole/solange) nicht zul\xE4ssig.";

// Expression typing.
inline constexpr const char* VorSumme = "Vor + wird ein Integer-, Double- oder String- Wert erwartet.";
inline constexpr const char* NachSumme = "Nach + wird ein Integer-, Double- oder String- Wert erwartet.";
// The difference quotes the `+` too.
inline constexpr const char* VorDifferenz = "Vor + wird ein Integer-, Double-Wert erwartet.";
inline constexpr const char* NachDifferenz = "Nach + wird ein Integer-, Double-Wert erwartet.";
inline constexpr const char* VorMalGeteilt = "Vor *,/ wird ein Integer- oder Double-Wert erwartet.";
inline constexpr const char* NachMalGeteilt = "Nach *,/ wird ein Integer- oder Double-Wert erwartet.";
inline constexpr const char* FunktionsaufrufErwartet = "Bezeichner oder Funktionsaufruf erwartet.";

// Calls.
inline constexpr const char* ParameterTyp1 = "Der Typ des Parameters ";
inline constexpr const char* ParameterTyp2 = " der Methode ";
inline constexpr const char* ParameterTyp3 = " stimmt nicht.";
inline constexpr const char* ParameterErwartet1 = "Parameter erwartet (";
inline constexpr const char* ParameterErwartet2 = ").";

} // namespace Meldung::Check
