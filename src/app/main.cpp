// The program's entry: the IDE, or with --run the headless runner and with
// --check the syntax check alone.
#include "UCheckCommand.h"
#include "UDeferredPaint.h"
#include "UHeadless.h"
#include "UIde.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const Help =
    "Aufruf:\n"
    "  zak [DATEI.zak]   \u00F6ffnet ZAK, mit DATEI als Programm\n"
    "  zak --run DATEI [--vars] [--png VERZEICHNIS] [--max-steps N] [--forbid-attribute-assignment]\n"
    "                    f\u00FChrt DATEI ohne Fenster aus und meldet einen Laufzeitfehler;\n"
    "                    --vars zeigt danach die Variablen, --png speichert die Zeichenfenster als\n"
    "                    Bilder, --max-steps begrenzt die Schritte\n"
    "  zak --check DATEI [--forbid-attribute-assignment]\n"
    "                    pr\u00FCft DATEI wie die Syntaxpr\u00FCfung des Editors\n"
    "  zak --version     zeigt die Version\n"
    "  zak --help        zeigt diese Hilfe";

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("ZAK 1.5.9");
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::puts(Help);
            return 0;
        }
    }
    // The reference for measurements and comparisons: every window paints
    // after every statement at once, also when nothing changed.
    if (const char* plain = std::getenv("ZAK_PLAIN_PAINT"); plain && std::strcmp(plain, "1") == 0)
        DeferredPaint::SetEnabled(false);
    if (IsCheckRun(argc, argv)) return RunCheck(argc, argv);
    if (IsHeadlessRun(argc, argv)) return RunHeadless(argc, argv);
    return RunIde(argc, argv);
}
