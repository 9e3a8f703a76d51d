#include "UDeferredPaint.h"

#include <algorithm>
#include <vector>

namespace {

bool DeferringEnabled = true;

// Usually one run; a test may hold several interpreters at a time.
std::vector<TPaintDebtor*>& Debtors() {
    static std::vector<TPaintDebtor*> debtors;
    return debtors;
}

} // namespace

namespace DeferredPaint {

bool Enabled() { return DeferringEnabled; }
void SetEnabled(bool enabled) { DeferringEnabled = enabled; }

void Register(TPaintDebtor* debtor) {
    auto& list = Debtors();
    if (std::find(list.begin(), list.end(), debtor) == list.end()) list.push_back(debtor);
}

void Unregister(TPaintDebtor* debtor) {
    auto& list = Debtors();
    list.erase(std::remove(list.begin(), list.end(), debtor), list.end());
}

bool SettleAll(bool forScreen) {
    bool settled = true;
    // A paint cannot register or unregister a run, but index the list anyway
    // rather than trust iterators across foreign code.
    auto& list = Debtors();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (!list[i]->SettlePaints(forScreen)) settled = false;
    return settled;
}

void SettleProbes() {
    auto& list = Debtors();
    for (std::size_t i = 0; i < list.size(); ++i) list[i]->SettleProbes();
}

} // namespace DeferredPaint
