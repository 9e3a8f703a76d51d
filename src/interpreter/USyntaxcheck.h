#pragma once
// The background syntax check. While the user edits, one thread re-reads the
// whole program text and checks it without running anything. It publishes
// two results: the first problem it found, as a hint in the error list, and
// the variable space it built, from which code completion offers names and
// the main window learns whether a run needs the default window.
//
// The editor calls Trigger after every change. A burst of edits produces one
// thread that keeps re-checking until the text stops changing: the published
// space changes after every pass, the error list only after the last one.
//
// Locks (UCriticalSections.h): the check trigger lock guards the restart
// flag and the running count, the editor-lines lock is held while the text
// is copied, the completion lock while the published space and the
// default-window flag are replaced or read, the error list lock while the
// hint is replaced. The thread never holds two of them at once.
#include "ULineSource.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TFehlerVerwaltung;
class TKlassenFabrik;
class TVarSpace;

class TSyntaxcheck {
public:
    // Hands a piece of work to the main (GUI) thread, to be run there soon.
    // The Qt side posts it to the event loop. The thread waits until the
    // task has run; WaitUntilIdle runs it itself, destruction abandons it,
    // and a task that arrives after the check was destroyed does nothing.
    using TMainThreadPost = std::function<void(std::function<void()> task)>;

    // `editor` is read under the editor-lines lock and must outlive this
    // object. Creates the shared locks if nobody has yet.
    explicit TSyntaxcheck(const TLineSource& editor);
    // Tells a running thread to stop and waits for it; a pending hand-over
    // to the main thread is abandoned rather than waited for, so this never
    // deadlocks with the thread. Must not be called while holding the
    // editor-lines, completion or error list lock.
    ~TSyntaxcheck();
    TSyntaxcheck(const TSyntaxcheck&) = delete;
    TSyntaxcheck& operator=(const TSyntaxcheck&) = delete;

    // --- set up by the owner (main thread) ---------------------------------
    // Where the hint goes. The list must outlive this object (or be unset
    // first).
    void SetErrorList(TFehlerVerwaltung* errorList);
    // How the error list's Refresh reaches the main thread; without one the
    // list's records are replaced but the list box is not refreshed.
    void SetMainThreadPost(TMainThreadPost post);
    // The setting that forbids assignments to attributes; the next pass uses it.
    void SetNoAttributeAssignment(bool forbid) { FNoAttributeAssignment = forbid; }

    // After every change of the text: sets the restart flag and starts a
    // check thread if none runs. Never waits for a pass.
    void Trigger();

    // --- read by code completion and the main window -----------------------
    // The space of the last finished pass, or none. Only while holding
    // CriticalSections::CompletionLock(), which also keeps it alive.
    const TVarSpace* PublishedSpace() const { return FPublished.get(); }
    // The last finished pass found a figure and no window. Takes the
    // completion lock. A run started right after an edit or a load should
    // call WaitUntilIdle first, so that the flag belongs to the text it runs.
    bool DefaultWindow() const;

    // --- for the owner's idle handling and for tests -----------------------
    bool Running() const;
    // Waits until no check thread runs, doing the hand-overs to the main
    // thread itself meanwhile. Call on the main thread only, and not while
    // holding the editor-lines, completion or error list lock.
    void WaitUntilIdle();
    // Number of finished passes since creation.
    int PassCount() const { return FPassCount.load(); }

private:
    struct THandOver;
    void ThreadBody();
    // Passes while the text keeps changing, then the error list.
    void RunPasses();
    // Runs `task` on the main thread and waits for it, unless the check is
    // being destroyed; false when it did not run.
    bool RunOnMainThread(const std::function<void()>& task);
    void ServiceHandOver();

    std::thread FThread;
    const TLineSource& FEditor;
    std::unique_ptr<TVarSpace> FPublished;
    bool FDefaultWindow = false;
    // Prototypes stand for the program's objects in every published space,
    // so the factory outlives them all.
    std::unique_ptr<TKlassenFabrik> FFactory;
    bool FRestart = false;
    int FRunningCount = 0;

    std::atomic<bool> FTerminate{false};
    std::atomic<bool> FNoAttributeAssignment{false};
    std::atomic<int> FPassCount{0};
    mutable std::mutex FHookMutex;  // guards the two hooks below
    TFehlerVerwaltung* FErrorList = nullptr;
    TMainThreadPost FPost;
    // Shared with tasks posted to the main thread, which may outlive this object.
    std::shared_ptr<THandOver> FHandOver;
};
