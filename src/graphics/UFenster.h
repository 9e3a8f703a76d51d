#pragma once
// TFenster: the language's handle on a drawing window. Declaring `f: Fenster`
// opens a drawing window; the object's attributes and methods move, size,
// title and colour it, switch its grid and show figures in it.
//
// The class factory's prototype has no drawing window; it is told apart by a
// flag the factory passes, not by its object name, so a program variable of
// any name gets its window. Without an installed drawing-window host every
// window object behaves like the prototype.
#include "UDrawingWindow.h"
#include "UObjekt.h"

#include <cstdint>
#include <memory>
#include <string>

class TDrawCanvas;
class TFarbe;
class TPaintDebtor;
struct TPaintShortcuts;
class TStack;

class TFenster : public TObjekt {
public:
    static constexpr std::int32_t KlassenNummer = 41;

    enum : std::int32_t {
        mnVerschiebe = 1,
        mnZeichne = 2,
        mnGitterEin = 80,
        mnGitterAus = 81,
    };

    // `prototype`: the class factory's own object, which never opens a window.
    TFenster(std::string name, TObjekt* owner, bool noSetters = false, bool prototype = false);
    ~TFenster() override;

    void AttributeChanged(TAttribut* attribute) override;
    void CallMethod(std::int32_t methodNumber, TStack& stack) override;
    void Draw(TDrawCanvas&) override {}
    // A new window object with its own drawing window, taking over the name,
    // the grid flag and the spacing attribute (not the title or the canvas
    // spacing, which follow at the next assignment).
    std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) override;
    // Assigning one window to another changes neither.
    void Assign(const TObjekt&) override {}

    // Registers a drawable figure with the canvas, then repaints at once.
    void ShowFigure(TObjekt* figure);
    // Registers it without repainting: a declaration of many figures
    // registers them all and repaints once.
    void AddFigure(TObjekt* figure);

    // For the interpreter: the full redraw after a statement, in the colours
    // the colour attributes hold now. A window whose run defers its paints
    // (see UDeferredPaint.h) only notes that it owes one.
    void Repaint();
    // Set by the run for the windows it repaints after every statement:
    // only those may put a paint off, since only their next paint is sure
    // to come before the state changes again. The canvas takes the run's
    // shortcuts; with Defer the drawing window settles `run`'s paints.
    void JoinRun(TPaintDebtor& run, const TPaintShortcuts& shortcuts);
    // Does the owed paint, if any.
    void SettlePaint();
    // The turtles' probes as SettlePaint would leave them; the paint may stay owed.
    void SettleProbes();
    bool PaintOwed() const { return Owed; }
    // The run is over: its figures are about to be freed, so the canvas stops
    // painting and the window no longer settles the run's paints; the
    // picture stays as last painted.
    void RunEnded();
    // Closes the drawing window (its picture becomes the last drawing) and
    // frees it. The object then behaves like one without a drawing window.
    void CloseDrawingWindow();

    bool IsPrototype() const { return Prototype; }
    TDrawingWindow* DrawingWindow() const { return Window.get(); }
    TDrawCanvas* Canvas() const;

    TAttribut* AStrichabstand;
    TAttribut* AName;
    TAttribut* ALinks;
    TAttribut* AOben;
    TAttribut* ABreite;
    TAttribut* AHoehe;
    TAttribut* AHintergrundfarbe;
    TAttribut* AGitterfarbe;

private:
    TFarbe& ColourOf(const TAttribut* a) const;
    // Primary screen and full desktop; a plain 1024 x 768 screen when no host
    // is installed.
    static TScreenSize ScreenSize();
    static TScreenSize DesktopSize();

    void PaintNow();
    // The canvas takes the window's colours, as before every paint.
    void TakeColours();

    bool Prototype;
    bool DeferPaints = false;
    bool Owed = false;
    std::unique_ptr<TDrawingWindow> Window;
};
