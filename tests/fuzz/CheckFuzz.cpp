// One pass of the syntax check over any text, then code completion as the
// editor asks for it: at a caret somewhere in the text, with the names the
// check published. The hint points into the text; a proposal starts within
// the line left of the caret, and every step of choosing one holds up.
#include "FuzzSupport.h"

#include "UCriticalSections.h"
#include "UFehler.h"
#include "UKlassen.h"
#include "USyntaxcheck.h"
#include "USyntaxcheckThread.h"
#include "UVorschlaege.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 20000) return -1;
    FuzzedDataProvider input(data, size);
    const auto flags = input.ConsumeIntegral<std::uint8_t>();
    const bool forbid = flags & 1;
    const auto caretLine = input.ConsumeIntegral<std::uint16_t>();
    const auto caretColumn = input.ConsumeIntegral<std::uint8_t>();
    const auto moves = input.ConsumeIntegral<std::uint8_t>();
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    static const TKlassenFabrik factory;
    TStringLines text(SplitLines(bytes));
    TSyntaxcheckThread pass(factory);
    pass.SetNoAttributeAssignment(forbid);
    const TSyntaxcheckResult hint = pass.Pass(text);
    if (hint.Error) {
        FUZZ_REQUIRE(hint.Error->Source == FehlerTipp);
        RequireInside(*hint.Error, text.Lines);
    }

    // The editor's way: the background check publishes, completion reads.
    // Only a caret behind a `.` or `:` makes the lookup read the names; the
    // check's thread is started only then, which keeps the target fast.
    const std::string& line = text.LineText(caretLine % text.LineCount());
    const int caret = caretColumn % (static_cast<int>(line.size()) + 2);
    const std::string_view left = std::string_view(line).substr(0, static_cast<std::size_t>(std::min<int>(caret, line.size())));
    TSyntaxcheck check(text);
    if (left.find_first_of(".:") != std::string_view::npos) {
        check.SetNoAttributeAssignment(forbid);
        check.Trigger();
        check.WaitUntilIdle();
    }
    TVorschlaege model;
    model.SetSources(&check);

    const int start = model.Lookup(line, caret);
    FUZZ_REQUIRE(start == -1 || (start >= 2 && start <= std::min(caret, static_cast<int>(line.size())) + 1));
    if (start != -1) {
        for (int i = 0; i < (moves & 7); ++i) (moves & 8) ? model.SelectPrevious() : model.SelectNext();
        const int selected = model.Selected();
        FUZZ_REQUIRE(selected >= -1 && selected < static_cast<int>(model.Shown().size()));
        const std::string insert = model.InsertText();
        FUZZ_REQUIRE(insert.empty() == (selected == -1));
        // Narrowing by what the selected proposal inserts keeps it shown.
        if (!insert.empty()) {
            model.FilterPrefix = model.Shown()[static_cast<std::size_t>(selected)]->Name;
            FUZZ_REQUIRE(model.FillList());
        }
    }
    return 0;
}
