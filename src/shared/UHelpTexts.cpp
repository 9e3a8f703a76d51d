#include "UHelpTexts.h"

namespace HelpTexts {
namespace {

constexpr const char* Body = "   <Anweisungen>";

std::vector<const char*> MakeBefehle() {
    std::vector<const char*> lines = {
        "Variablendeklaration:", "=====================", "<Variablennamen> : <Typ>",
        "Bsp.: r1,r2: Rechteck", "Kontrollstrukturen:", "===================",
    };
    // Each control structure: its head, the body, then its end (the
    // two-part wenn has a sonst part in between).
    const char* const blocks[][2] = {
        {"wiederhole immer", "*wiederhole"},
        {"wiederhole n mal", "*wiederhole"},
        {"solange <Bedingung> tue", "*solange"},
        {"wiederhole solange <Bedingung>", "*wiederhole"},
        {"wiederhole", "*wiederhole solange <Bedingung>"},
        {"wiederhole", "*wiederhole bis <Bedingung>"},
        {"wenn <Bedingung> dann", "*wenn"},
        {"wenn <Bedingung> dann", nullptr},
        {"fuer <Objekt>", "*f\xFCr"},
        {"methode <Methodenname>", "ende"},
    };
    for (const auto& block : blocks) {
        lines.push_back(block[0]);
        lines.push_back(Body);
        if (block[1]) {
            lines.push_back(block[1]);
        } else {
            lines.push_back("sonst");
            lines.push_back(Body);
            lines.push_back("*wenn");
        }
    }
    return lines;
}

} // namespace

const std::vector<const char*>& Befehle() {
    static const std::vector<const char*> lines = MakeBefehle();
    return lines;
}

const std::vector<const char*>& Konstanten() {
    static const std::vector<const char*> lines = {
        "Farbe:",
        "------",
        "gelb, rot, gruen, blau, ",
        "weiss, ",
        "schwarz, braun, hellblau, ",
        "hellgruen, grau, hellgrau",
        "Linienart/Randart:",
        "------------------",
        "gestrichelt, durchgezogen, ",
        "gepunktelt, gestrichpunktelt, ",
        "unsichtbar",
        "Fullart:",
        "--------",
        "ausgemalt, schraffiert, ",
        "kariert, durchsichtig",
        "Ausrichtung:",
        "------------",
        "zentriert, linksbuendig, ",
        "rechtsbuendig, obenbuendig, ",
        "untenbuendig",
        "Beispiel:",
        "---------",
        "r:RECHTECK",
        "f:FENSTER   //nicht notig",
        "f.zeichne(r)  //nicht notig",
        "r.fuellfarbeSetzen(gelb)",
        "r.fuellartSetzen(schraffiert)",
        "r.LinksObenSetzen(-30,40)",
        "wiederhole immer",
        "   r.drehen(1)",
        "*wiederhole",
    };
    return lines;
}

} // namespace HelpTexts
