#include "UCriticalSections.h"

#include <array>
#include <memory>

namespace CriticalSections {
namespace {

enum { kRun, kStep, kObject, kEditorLines, kCheckTrigger, kErrorList, kCompletion, kCount };

std::array<std::unique_ptr<TLock>, kCount>& Locks() {
    static std::array<std::unique_ptr<TLock>, kCount> locks;
    return locks;
}

// A lock asked for before Create() (a unit test, a library user) is created on
// demand, so that no caller ever dereferences a missing lock.
TLock& Get(int which) {
    auto& slot = Locks()[which];
    if (!slot) Create();
    return *slot;
}

} // namespace

void Create() {
    for (auto& slot : Locks())
        if (!slot) slot = std::make_unique<TLock>();
}

void Delete() {
    for (auto& slot : Locks()) slot.reset();
}

bool Created() { return Locks()[kRun] != nullptr; }

TLock& RunLock() { return Get(kRun); }
TLock& StepLock() { return Get(kStep); }
TLock& ObjectLock() { return Get(kObject); }
TLock& EditorLinesLock() { return Get(kEditorLines); }
TLock& CheckTriggerLock() { return Get(kCheckTrigger); }
TLock& ErrorListLock() { return Get(kErrorList); }
TLock& CompletionLock() { return Get(kCompletion); }

} // namespace CriticalSections
