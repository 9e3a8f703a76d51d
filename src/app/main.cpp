// The program's entry: the IDE, or with --run the headless runner and with
// --check the syntax check alone.
#include "UCheckCommand.h"
#include "UDeferredPaint.h"
#include "UHeadless.h"
#include "UIde.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("ZAK 1.5.9");
            return 0;
        }
    }
    // The reference for measurements and comparisons: every window paints
    // after every statement at once.
    if (const char* plain = std::getenv("ZAK_PLAIN_PAINT"); plain && std::strcmp(plain, "1") == 0)
        DeferredPaint::SetEnabled(false);
    if (IsCheckRun(argc, argv)) return RunCheck(argc, argv);
    if (IsHeadlessRun(argc, argv)) return RunHeadless(argc, argv);
    return RunIde(argc, argv);
}
