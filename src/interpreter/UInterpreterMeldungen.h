#pragma once
// The interpreter's own runtime messages. Program text and messages are
// Windows-1252 bytes inside the system, so umlauts are written as their
// single-byte codes. Messages that quote a name are built by the callers from
// the pieces below; a piece keeps its blanks exactly (several have none where
// one would be expected, and pupils' documents quote them as they are).
// Messages of value arithmetic and the built-in functions live in UMeldungen.h.

namespace Meldung {

// Expressions.
inline constexpr const char* VorAndOr = "Vor And/Or wird ein boolescher Wert erwartet.";
inline constexpr const char* NachAndOr = "Nach And/Or wird ein boolescher Wert erwartet.";
inline constexpr const char* VorVergleich =
    "Vor <,>,<=,>=,<>,= wird ein Integer- oder Double-Wert erwartet.";
inline constexpr const char* NachVergleich =
    "Nach <,>,<=,>=,<>,= wird ein Integer- oder Double-Wert erwartet.";
inline constexpr const char* VorPlusMinus =
    "Vor Plus/Minus wird ein Integer-, Double- oder String- Wert erwartet.";
inline constexpr const char* NachPlusMinus =
    "Nach Plus/Minus wird ein Integer-, Double- oder String- Wert erwartet.";
inline constexpr const char* StringMinus = "Strings k\xF6nnen nicht mit \"-\" verkn\xFCpft werden.";
inline constexpr const char* VorMalGeteilt =
    "Vor Mal/Geteilt wird ein Integer- oder Double- Wert erwartet.";
inline constexpr const char* NachMalGeteilt =
    "Nach Vor Mal/Geteilt wird ein Integer- oder Double- Wert erwartet.";
inline constexpr const char* NachMinus = "Nach \"-\" wird ein Integer- oder Double-Termwert erwartet.";
inline constexpr const char* NachNicht = "Nach not wird ein boolescher Wert erwartet.";
inline constexpr const char* KlammerZuErwartet = " ) erwartet.";
inline constexpr const char* KeineZahl = " ist keine zul\xE4ssige Zahl.";
inline constexpr const char* KeinSinn = " macht hier keinen Sinn.";
inline constexpr const char* ZuTiefGeschachtelt = "Der Ausdruck ist zu tief geschachtelt.";
// A concatenation whose result would pass TInterpreter::MaxStringLength.
inline constexpr const char* ZeichenketteZuLang = "Die Zeichenkette ist zu lang.";
// The run would hold more than its memory budget (TInterpreter::SetMaxMemory).
inline constexpr const char* ArbeitsspeicherReichtNicht =
    "Der Arbeitsspeicher reicht f\xFCr dieses Programm nicht aus.";

// Designators and calls.
inline constexpr const char* BezeichnerErwartet = "Bezeichner erwartet.";
inline constexpr const char* BezeichnerGibtEsNicht1 = "Den Bezeichner ";
inline constexpr const char* BezeichnerGibtEsNicht2 = " gibt es nicht.";
inline constexpr const char* KeinObjekt1 = "Die Methode ";
inline constexpr const char* KeinObjekt2 = "gibt kein Objekt zur\xFC" "ck";
inline constexpr const char* KeineEigenschaften = " hat keine Eigenschaften/Methoden";
inline constexpr const char* NachPunkt =
    "Nach dem Punkt wird der Name einer Eigenschaft/Methode erwartet.";
inline constexpr const char* KeinMitglied = " ist nicht der Name eines Attributs/einer Methode von ";
inline constexpr const char* GibtNichts1 = "Die Methode ";
inline constexpr const char* GibtNichts2 = " gibt nichts zur\xFC" "ck.";
inline constexpr const char* LinkswertErwartet = "Linkswert erwartet.";
inline constexpr const char* KlammerAufErwartet = "( erwartet.";
inline constexpr const char* KommaErwartet = ", erwartet.";
inline constexpr const char* KlammerZuOhnePunkt = ") erwartet";
inline constexpr const char* TypChar = "Typ Char erwartet";
inline constexpr const char* TypInteger = "Typ Integer erwartet";
inline constexpr const char* TypDouble = "Typ Double erwartet";
inline constexpr const char* TypString = "Typ String erwartet.";
inline constexpr const char* Klasse1 = "Klasse vom Index ";
inline constexpr const char* Klasse2 = " erwartet.";
inline constexpr const char* Parametertyp1 = "Der f\xFCr ";
inline constexpr const char* Parametertyp2 = "\xFC" "bergebene Parameter hat nicht den richtigen Typ.";
inline constexpr const char* ZuVieleAufrufe = "Zu viele verschachtelte Methodenaufrufe.";

// Statements.
inline constexpr const char* ErwarteAnweisung = "Erwarte Variablendeklaration oder Anweisung.";
inline constexpr const char* ZuweisungZuAttribut = "Einem Attribut kann kein Wert zugewiesen werden!";
inline constexpr const char* ZuweisungErwartet = ":= erwartet.";
inline constexpr const char* DeklarationInSchleife =
    "Variablendeklaration ist nur au\xDF" "erhalb von Wiederholung (wiederhole/solange) zul\xE4ssig.";
inline constexpr const char* GibtEsSchon1 = "Eine Variable/ein Objekt mit dem Namen ";
inline constexpr const char* GibtEsSchon2 = " gibt es schon.";
inline constexpr const char* BezeichnerErwartetOhnePunkt = "Bezeichner erwartet";
inline constexpr const char* KommaOderDoppelpunkt = "Komma oder Doppelpunkt erwartet.";
inline constexpr const char* KlasseGibtEsNicht1 = "Den Variablentyp/die Klasse ";
inline constexpr const char* KlasseGibtEsNicht2 = " gibt es nicht.";
inline constexpr const char* VariablentypErwartet = "Variablentyp erwartet";
inline constexpr const char* DannErwartet = "dann erwartet.";
inline constexpr const char* SonstOhneWenn = "sonst ohne wenn gefunden.";
inline constexpr const char* EndWennOhneWenn = "*wenn ohne wenn.";
inline constexpr const char* TueErwartet = "tue erwartet.";
inline constexpr const char* MalErwartet = " mal erwartet.";
inline constexpr const char* BisErwartet = "bis erwartet.";
inline constexpr const char* EndWiederholeOhneWiederhole =
    "*wiederhole gefunden, ohne dass ein entsprechender Befehl wiederhole vorliegt.";
// A `*solange` with no open `solange` loop; worded like its siblings.
inline constexpr const char* EndSolangeOhneSolange = "*solange ohne solange.";
inline constexpr const char* BlockendeFehlt =
    "Programmende war erreicht, obwohl noch ein *wiederhole, *solange oder *wenn gefehlt hat.";
inline constexpr const char* FuerGeschachtelt = "F\xFCr - Bl\xF6" "cke k\xF6nnen nicht geschachtelt werden!";
inline constexpr const char* FuerOhneObjekt = "Nach F\xFCr wird ein Objekt erwaret!";
inline constexpr const char* MethodeInSchleife =
    "Methoden d\xFCrfen nicht innerhalb von Wiederholungen/Bedingungen stehen.";
inline constexpr const char* MethodeOhneEnde = "Eine Methodendeklaration wurde nicht mit Ende beendet!";
inline constexpr const char* StackFehler = "Stack-Fehler";

// The declaration pass.
inline constexpr const char* MethodennameErwartet = "Nach Methode wird der Name der Methode erwartet.";
inline constexpr const char* ParameterKlammerZu = " ) erwartet";
inline constexpr const char* MethodeMussEnden1 = "Die Methode ";
inline constexpr const char* MethodeMussEnden2 = " muss mit Ende abgechlossen werden.";
inline constexpr const char* ParameterGibtEsSchon1 = "Einen Parameter mit dem Namen ";
inline constexpr const char* ParameterGibtEsSchon2 = " gibt es schon.";
inline constexpr const char* ObjektAlsWerteparameter =
    "Objekte sind nur als Variablenparameter, nicht als Werteparameter zul\xE4ssig.";
inline constexpr const char* ParametertypErwartet = "Parametertyp erwartet";

} // namespace Meldung
