#pragma once
// Paints a running program owes its drawing windows, and the shortcuts
// painting may take.
//
// After every statement that begins with a name every window of the run is
// repainted. At the fastest speeds that is thousands of full redraws a
// second, while the screen shows at most one picture every 15 ms. So a run
// may instead note the paint it owes, after bringing up to date what a paint
// changes besides pixels (the surface size and the figures' own state, see
// TDrawCanvas::PaintLater), and pay when something could tell the
// difference: the screen is due, a turtle probes the picture, a window
// changes size, closes or is copied, figures are freed, the run ends. Who
// settles then sees exactly the picture, probe colours and figure state that
// the paint right after the statement would have left, because nothing else
// changes what a paint draws between two statements that begin with a name.
//
// Each run settles only its own windows: it hands itself as the paint debtor
// to every window it repaints and to every turtle its class factory makes,
// and they call it when they need the paints settled.
//
// Everything here runs on the GUI thread.

class TPaintDebtor {
public:
    // Does the owed paints now, in the order the run would have done them.
    // A screen update must not paint the state of a half-done statement (a
    // nested message loop could ask for one): then the debtor may refuse
    // and returns false.
    virtual bool SettlePaints(bool forScreen) = 0;
    // Brings the turtles' probes to what the owed paints would leave; the
    // paints themselves may stay owed.
    virtual void SettleProbes() { SettlePaints(false); }

protected:
    ~TPaintDebtor() = default;
};

// The shortcuts of painting, in one place. Each one keeps its plain path as
// the reference, and a differential test runs both: with a switch off the
// windows paint as if the shortcut did not exist. A run reads them once, when
// it starts, and hands them to its windows.
struct TPaintShortcuts {
    // The run's windows note the paints they owe instead of painting after
    // every statement, and their canvases leave out a paint (or a paint put
    // off) that would draw the same picture as the last one. Off, every
    // window paints when asked, even when nothing changed.
    bool Defer = true;
    // With Defer, a paint works out what changed since the last one and,
    // when that is little, redraws only the boxes around it. Off, every
    // paint draws everything.
    bool DamagedOnly = true;
    // With Defer, a turtle probing while its window owes a paint has only
    // the probed pixels drawn. Off, every such probe settles the paint.
    bool ProbesWithoutPainting = true;

    // Every switch off: the reference for measurements and comparisons.
    static constexpr TPaintShortcuts Plain() { return {false, false, false}; }
};

namespace DeferredPaint {

// What each new run takes; every shortcut on unless switched off here.
TPaintShortcuts& Shortcuts();

} // namespace DeferredPaint
