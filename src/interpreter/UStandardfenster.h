#pragma once
// Whether a run needs the nameless default window: the program declares at
// least one figure (an object of even class number) and no window (class
// number 41). Only declarations outside method bodies count, as for the
// background syntax check, whose variable space keeps no method's locals.
// The main window uses this until the syntax check publishes its own flag;
// the headless runner always does.
#include "ULineSource.h"

bool NeedsDefaultWindow(const TLineSource& lines);
