#pragma once
// The indexes of the main window's image list (UImageList.h draws the
// pictures): the class tree's nodes name theirs without any picture, so
// that the browser shows the same icons from the same numbers.

namespace ImageList {

enum TImageIndex : int {
    iiKlasse = 0,        // blue K
    iiAttribut = 1,      // green A
    iiMethode = 2,       // dark red M
    iiFehler = 3,        // warning triangle (gutter)
    iiFehlerstelle = 4,  // small red exclamation mark (gutter)
    iiHaltepunkt = 5,    // red stop sign with a white S (gutter)
    iiOeffnen = 6,
    iiSpeichern = 7,
    iiAusschneiden = 8,
    iiKopieren = 9,
    iiEinfuegen = 10,
    iiRueckgaengig = 11,
    iiDrucken = 12,
    iiSpeichernUnter = 13,
    iiEinstellungen = 14,
    iiNeu = 15,
    iiSchliessen = 16,
    iiInformation = 17,
    iiPause = 18,
    iiSchritt = 19,
    iiStart = 20,
    iiStop = 21,
    iiRedo = 22,
};
inline constexpr int Count = 23;

}  // namespace ImageList
