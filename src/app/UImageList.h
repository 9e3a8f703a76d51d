#pragma once
// The main window's image list: 16 x 16 pictures drawn in code, once for
// each scale (at scale 2 as 32 x 32 pixels with that device pixel ratio, so
// that they stay sharp on a dense screen). The
// class tree, code completion, the editor's gutter, the actions and the
// menu each use their fixed indexes; an index without a picture yields an
// empty (transparent) image, never a crash.
#include <QIcon>
#include <QImage>

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

inline constexpr int MaxScale = 3;

// Scales outside 1 to MaxScale are taken as the nearest of them.
const QImage& Image(int index, int scale = 1);
// All scales in one icon.
QIcon Icon(int index);

} // namespace ImageList
