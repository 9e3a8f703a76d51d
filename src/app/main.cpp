// The program's entry: the IDE, or with --run the headless runner.
#include "UHeadless.h"
#include "UIde.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("ZAK 1.5.9");
            return 0;
        }
    }
    if (IsHeadlessRun(argc, argv)) return RunHeadless(argc, argv);
    return RunIde(argc, argv);
}
