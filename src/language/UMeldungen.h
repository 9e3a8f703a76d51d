#pragma once
// Runtime messages raised by value arithmetic and the built-in functions.
// Program text and messages are Windows-1252 bytes inside the system, so the
// umlauts below are written as their single-byte codes.

namespace Meldung {

inline constexpr char IntegerBereich[] =
    "Der Wert liegt au\xDF" "erhalb des Integer-Bereichs.";
inline constexpr char DivisionDurchNull[] = "Division durch Null.";
// More objects than TObjekt::MaxLive at once.
inline constexpr char ZuVieleObjekte[] = "Zu viele Objekte auf einmal.";
inline constexpr char KeineGueltigeZahl[] = "Das Ergebnis ist keine g\xFCltige Zahl.";

} // namespace Meldung
