#pragma once
// Paints a running program owes its drawing windows.
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
// Painting at once stays as the reference: with deferring switched off every
// window paints when asked, even when nothing changed since its last paint,
// and a differential test runs both.
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

namespace DeferredPaint {

// Read once by each new run. On by default.
bool Enabled();
void SetEnabled(bool enabled);

void Register(TPaintDebtor* debtor);
void Unregister(TPaintDebtor* debtor);

// Settles every registered debtor. False when one refused (forScreen only).
bool SettleAll(bool forScreen = false);
// Settles the probes of every registered debtor.
void SettleProbes();

} // namespace DeferredPaint
