#pragma once
// The seven shared locks. All are re-entrant for the thread that holds them.
// Lock order: run, then step, then object; run, then editor lines;
// editor lines, then error list or check trigger; step, then the variables
// view's own lock. Nothing takes two of them in the other order.
#include <mutex>

namespace CriticalSections {

using TLock = std::recursive_mutex;

// Creates the locks; called first by whoever owns the run (the main window,
// the headless runner, a test). Further calls do nothing.
void Create();
// Deletes the locks; called last. Locks must not be held.
void Delete();
bool Created();

TLock& RunLock();          // the current run's scanner and interpreter, running/in-tick flags
TLock& StepLock();         // the interpreter's state and variable space
TLock& ObjectLock();       // the program's objects
TLock& EditorLinesLock();  // the editor's lines and per-line information
TLock& CheckTriggerLock(); // the syntax check's restart flag and thread count
TLock& ErrorListLock();    // the error manager's list of errors
TLock& CompletionLock();   // the check's published variable space and default-window flag

} // namespace CriticalSections

using TLockGuard = std::lock_guard<CriticalSections::TLock>;
