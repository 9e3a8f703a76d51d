// The check's thread: started by Trigger, it repeats passes while the text
// keeps changing, publishes each pass's space, and at the end replaces its
// hint in the error list and has the main thread refresh the list box.
#include "USyntaxcheck.h"

#include "UCriticalSections.h"
#include "UFehler.h"
#include "UKlassen.h"
#include "USyntaxcheckThread.h"
#include "UVariablen.h"

#include <chrono>
#include <condition_variable>
#include <system_error>

// One outstanding hand-over to the main thread. Posted tasks hold it by a
// shared pointer, so a task that arrives after the check is gone finds it
// cancelled and does nothing.
struct TSyntaxcheck::THandOver {
    std::mutex Mutex;
    std::condition_variable Done;
    bool Cancelled = false;
    bool Pending = false;
    std::function<void()> Task;

    // Main thread: runs the pending task, if any and not cancelled.
    void Service() {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> guard(Mutex);
            if (Cancelled || !Pending || !Task) return;
            task = std::move(Task);
            Task = nullptr;
        }
        task();
        {
            std::lock_guard<std::mutex> guard(Mutex);
            Pending = false;
        }
        Done.notify_all();
    }
};

TSyntaxcheck::TSyntaxcheck(const TLineSource& editor)
    : FEditor(editor),
      FFactory(std::make_unique<TKlassenFabrik>()),
      FHandOver(std::make_shared<THandOver>()) {
    CriticalSections::Create();
}

TSyntaxcheck::~TSyntaxcheck() {
    FTerminate = true;
    {
        std::lock_guard<std::mutex> guard(FHandOver->Mutex);
        FHandOver->Cancelled = true;
    }
    FHandOver->Done.notify_all();
    if (FThread.joinable()) FThread.join();
    // The spaces refer to the factory's prototypes: they go first.
    TLockGuard guard(CriticalSections::CompletionLock());
    FPublished.reset();
}

void TSyntaxcheck::SetErrorList(TFehlerVerwaltung* errorList) {
    std::lock_guard<std::mutex> guard(FHookMutex);
    FErrorList = errorList;
}

void TSyntaxcheck::SetMainThreadPost(TMainThreadPost post) {
    std::lock_guard<std::mutex> guard(FHookMutex);
    FPost = std::move(post);
}

void TSyntaxcheck::Trigger() {
    TLockGuard guard(CriticalSections::CheckTriggerLock());
    FRestart = true;
    if (FRunningCount >= 1 || FTerminate) return;
    FRunningCount = 1;
    // The previous thread has lowered the count, so it holds no lock any
    // more and is about to return.
    if (FThread.joinable()) FThread.join();
    try {
        FThread = std::thread([this] { ThreadBody(); });
    } catch (const std::system_error&) {
        FRunningCount = 0;  // no thread this time; the next edit tries again
    }
}

bool TSyntaxcheck::DefaultWindow() const {
    TLockGuard guard(CriticalSections::CompletionLock());
    return FDefaultWindow;
}

bool TSyntaxcheck::Running() const {
    TLockGuard guard(CriticalSections::CheckTriggerLock());
    return FRunningCount > 0;
}

void TSyntaxcheck::WaitUntilIdle() {
    while (Running()) {
        ServiceHandOver();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (FThread.joinable()) FThread.join();
}

void TSyntaxcheck::ServiceHandOver() { FHandOver->Service(); }

bool TSyntaxcheck::RunOnMainThread(const std::function<void()>& task) {
    TMainThreadPost post;
    {
        std::lock_guard<std::mutex> guard(FHookMutex);
        post = FPost;
    }
    if (!post) return false;
    std::shared_ptr<THandOver> state = FHandOver;
    {
        std::lock_guard<std::mutex> guard(state->Mutex);
        if (state->Cancelled) return false;
        state->Task = task;
        state->Pending = true;
    }
    post([state] { state->Service(); });
    std::unique_lock<std::mutex> lock(state->Mutex);
    state->Done.wait(lock, [&] { return !state->Pending || state->Cancelled; });
    const bool ran = !state->Pending;
    state->Pending = false;
    state->Task = nullptr;
    return ran;
}

void TSyntaxcheck::ThreadBody() {
    for (;;) {
        try {
            RunPasses();
        } catch (...) {
            // Out of memory on a gigantic text, say: the check gives no hint
            // this time, and the application goes on.
        }
        // An edit made while the hint was handed over found this thread
        // still counted and started none: it is checked now.
        TLockGuard guard(CriticalSections::CheckTriggerLock());
        if (!FRestart || FTerminate) {
            FRunningCount = 0;
            return;
        }
    }
}

void TSyntaxcheck::RunPasses() {
    std::unique_ptr<TFehler> hint;
    bool checked = false;
    {
        TSyntaxcheckThread worker(*FFactory, &FTerminate);
        for (;;) {
            {
                TLockGuard guard(CriticalSections::CheckTriggerLock());
                FRestart = false;
            }
            // The text is copied under the lock and checked without it, so
            // that typing never waits for a pass.
            TStringLines text;
            {
                TLockGuard guard(CriticalSections::EditorLinesLock());
                const int count = FEditor.LineCount();
                text.Lines.reserve(static_cast<std::size_t>(count));
                for (int i = 0; i < count; ++i) text.Lines.push_back(FEditor.LineText(i));
            }
            worker.SetNoAttributeAssignment(FNoAttributeAssignment);
            TSyntaxcheckResult result = worker.Pass(text);
            if (FTerminate) return;

            std::unique_ptr<TVarSpace> previous;
            {
                TLockGuard guard(CriticalSections::CompletionLock());
                previous = std::move(FPublished);
                FPublished = std::move(result.Space);
                FDefaultWindow = result.DefaultWindow;
            }
            previous.reset();
            hint = std::move(result.Error);
            checked = true;
            ++FPassCount;

            bool again = false;
            {
                TLockGuard guard(CriticalSections::CheckTriggerLock());
                again = FRestart;
            }
            if (!again || FTerminate) break;
        }
    }

    TFehlerVerwaltung* errorList = nullptr;
    {
        std::lock_guard<std::mutex> guard(FHookMutex);
        errorList = FErrorList;
    }
    if (!checked || FTerminate || !errorList) return;
    {
        TLockGuard guard(CriticalSections::ErrorListLock());
        errorList->RemoveSource(FehlerTipp);
        errorList->Add(std::move(hint));
    }
    RunOnMainThread([errorList] { errorList->Refresh(); });
}
