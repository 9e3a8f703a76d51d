#include "UDeferredPaint.h"

namespace DeferredPaint {

TPaintShortcuts& Shortcuts() {
    static TPaintShortcuts shortcuts;
    return shortcuts;
}

} // namespace DeferredPaint
