// Whole runs: the text goes through one pass of the syntax check and is then
// run step by step on windows that draw into memory, for 2,000 steps or, if
// the input says so, 20,000 (the sanitizers make every step slow, and most
// runs learn nothing new from the thousandth round of a loop). The input's last
// bytes choose what plain text rarely reaches: the ban on assignments to
// attributes, breakpoints on lines, steps that stop at them, a call depth
// limit low enough to be hit within the steps, and paints done at once
// instead of owed and settled now and then, as the screen would.
//
// Nothing may crash, hang or leak; an error must point into the text; and a
// declaration pass that fails must fail in the check at the same place.
#include "FuzzSupport.h"
#include "graphics/FakeCanvas.h"

#include "UDeferredPaint.h"
#include "UFehler.h"
#include "UInterpreter.h"
#include "UKlassen.h"
#include "UScanner.h"
#include "USyntaxcheckThread.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 20000) return -1;
    FuzzedDataProvider input(data, size);
    // The switches come from the end, so that a program file is still one.
    const auto flags = input.ConsumeIntegral<std::uint8_t>();
    const bool forbid = flags & 1;
    const bool breakpoints = flags & 2;
    const bool stopAtBreakpoints = flags & 4;
    const std::uint32_t breakpointLines = breakpoints ? input.ConsumeIntegral<std::uint32_t>() : 0;
    const int callDepth = (flags & 8) ? 1 + input.ConsumeIntegralInRange<int>(0, 60) : TInterpreter::MaxCallDepth;
    const long stepLimit = (flags & 16) ? 20000 : 2000;
    DeferredPaint::Shortcuts() = flags & 32 ? TPaintShortcuts::Plain() : TPaintShortcuts();
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    const std::vector<std::string> text = SplitLines(bytes);

    static const TKlassenFabrik factory;
    TStringLines lines(text);
    TSyntaxcheckThread check(factory);
    check.SetNoAttributeAssignment(forbid);
    const TSyntaxcheckResult hint = check.Pass(lines);
    if (hint.Error) {
        FUZZ_REQUIRE(hint.Error->Source == FehlerTipp);
        RequireInside(*hint.Error, text);
    }

    if (breakpoints)
        for (std::size_t i = 0; i < text.size(); ++i) lines.Breakpoints.push_back(breakpointLines >> (i % 32) & 1);
    TFakeHost host;
    host.KeepLog = false;
    TScanner scanner;
    scanner.Load(lines);
    scanner.RefreshLineMarks();
    auto run = std::make_unique<TInterpreter>(scanner, hint.DefaultWindow);
    run->SetNoAttributeAssignment(forbid);
    run->SetMaxCallDepth(callDepth);

    if (run->ErrorFlag() && !breakpoints) {
        FUZZ_REQUIRE(hint.Error);
        FUZZ_REQUIRE(hint.Error->Message == run->Error()->Message);
        FUZZ_REQUIRE(hint.Error->Line == run->Error()->Line);
        FUZZ_REQUIRE(hint.Error->Column == run->Error()->Column);
    }

    scanner.SkipBlanks();
    // A step may cost as much as the figures there are (a group of
    // thousands that repaints after every statement): such a run ends after
    // a few seconds, so that only a real hang counts as a timeout.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (long steps = 0; !scanner.AtEnd() && !run->ErrorFlag() && steps < stepLimit; ++steps) {
        run->Step(!stopAtBreakpoints || steps % 5 == 0);
        if (steps % 50 == 0) {
            run->SettleOwedPaints();
            if (std::chrono::steady_clock::now() > deadline) break;
        }
    }
    FUZZ_REQUIRE(run->CallDepth() <= callDepth);
    if (run->Error()) RequireInside(*run->Error(), text);
    return 0;
}
