// The program's entry: the IDE, or with --run the headless runner and with
// --check the syntax check alone.
#include "UCheckCommand.h"
#include "UCommandLine.h"
#include "UDeferredPaint.h"
#include "UHeadless.h"
#include "UIde.h"
#include "UVersion.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
    const TCommandLine line = ParseCommandLine(argc, argv);
    switch (line.Mode) {
    case TCommandLine::TMode::Version:
        std::puts("ZAK " ZAK_VERSION);
        return 0;
    case TCommandLine::TMode::Help:
        std::cout << HelpText() << '\n';
        return 0;
    case TCommandLine::TMode::Error:
        std::cerr << line.Problem << '\n' << line.Usage << '\n';
        return 2;
    default:
        break;
    }
    // The reference for measurements and comparisons: every window paints
    // after every statement at once, also when nothing changed.
    if (const char* plain = std::getenv("ZAK_PLAIN_PAINT"); plain && std::strcmp(plain, "1") == 0)
        DeferredPaint::Shortcuts() = TPaintShortcuts::Plain();
    if (line.Mode == TCommandLine::TMode::Check) return RunCheck(line);
    if (line.Mode == TCommandLine::TMode::Run) return RunHeadless(line, argv[0]);
    return RunIde(argc, argv);
}
