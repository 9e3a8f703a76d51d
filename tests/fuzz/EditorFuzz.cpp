// The editor on a text of the input's choosing, driven by the input's bytes
// as commands: typing, Enter, Backspace, Delete, Tab, moving and selecting by
// keys and mouse, cut, copy and paste of any text, undo and redo. After every
// command the caret is on the text, each line's indentation and highlighting
// are what formatting the whole text afresh gives, and undoing everything
// gives back the starting text, redoing everything the current one.
#include "FuzzSupport.h"
#include "editor/EditorTestSupport.h"

#include "UScanner.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

const TFormatClass Formatter;

TSHControl& Editor() {
    static const bool platform = setenv("QT_QPA_PLATFORM", "offscreen", 0) == 0;
    (void)platform;
    static std::unique_ptr<TSHControl> editor = [] {
        auto e = MakeEditor(360, 220);
        e->LineRoutine = [](std::string& line, bool open, int indent, TFormatResult& r) {
            return Formatter.FormatLine(line, open, indent, r);
        };
        return e;
    }();
    return *editor;
}

QString Latin1(const std::string& bytes) {
    QString out;
    for (char c : bytes) out += QChar(static_cast<unsigned char>(c));
    return out;
}

void RequireConsistent(TSHControl& e) {
    const int count = e.LineCount();
    FUZZ_REQUIRE(count >= 1);
    FUZZ_REQUIRE(e.CaretLine() >= 0 && e.CaretLine() < count);
    FUZZ_REQUIRE(e.CaretColumn() >= 0 && e.CaretColumn() <= static_cast<int>(e.LineText(e.CaretLine()).size()));
    TFormatResult carried;
    for (int i = 0; i < count; ++i) {
        const TZeilenInformation* info = e.LineInfo(i);
        FUZZ_REQUIRE(info != nullptr);
        std::string line = e.LineText(i);
        TFormatResult fresh;
        FUZZ_REQUIRE(Formatter.FormatLine(line, carried.CommentOpen, carried.NextIndent, fresh) == 0);
        // Blanks the formatter put in are class 2 even inside a comment, so
        // the indentation's classes depend on how the line came about.
        const auto indent = static_cast<std::size_t>(fresh.LineIndent);
        FUZZ_REQUIRE(info->Classes.substr(std::min(info->Classes.size(), indent)) == fresh.Classes.substr(indent));
        FUZZ_REQUIRE(info->Indent == fresh.LineIndent);
        FUZZ_REQUIRE(info->NextIndent == fresh.NextIndent);
        FUZZ_REQUIRE(info->CommentOpen == fresh.CommentOpen);
        carried = fresh;
    }
}

void Command(TSHControl& e, FuzzedDataProvider& in) {
    static const int moves[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,
                                Qt::Key_Home, Qt::Key_End,   Qt::Key_PageUp, Qt::Key_PageDown};
    const int command = in.ConsumeIntegralInRange(0, 17);
    // ZAK_FUZZ_VERBOSE tells what a failing input did.
    static const bool verbose = std::getenv("ZAK_FUZZ_VERBOSE");
    if (verbose)
        std::fprintf(stderr, "command %d, caret %d,%d, undo %d, redo %d\n", command, e.CaretLine(), e.CaretColumn(),
                     e.UndoCount(), e.RedoCount());
    switch (command) {
    case 0: Type(e, in.ConsumeRandomLengthString(40)); break;
    case 1: Key(e, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")); break;
    case 2: Key(e, Qt::Key_Backspace); break;
    case 3: Key(e, Qt::Key_Delete); break;
    case 4: Key(e, moves[in.ConsumeIntegralInRange(0, 7)], Qt::ShiftModifier); break;
    case 5: Key(e, moves[in.ConsumeIntegralInRange(0, 7)]); break;
    case 6: Key(e, Qt::Key_X, Qt::ControlModifier); break;
    case 7: Key(e, Qt::Key_C, Qt::ControlModifier); break;
    case 8: Key(e, Qt::Key_V, Qt::ControlModifier); break;
    case 9: SetClipboardText(Latin1(in.ConsumeRandomLengthString(200))); break;
    case 10: Key(e, Qt::Key_Tab); break;
    case 11: e.EditorUndo(); break;
    case 12: e.EditorRedo(); break;
    case 13: {  // a click or a drag, sometimes with Shift
        const int x = in.ConsumeIntegralInRange(0, e.width()), y = in.ConsumeIntegralInRange(0, e.height());
        Mouse(e, QEvent::MouseButtonPress, x, y, in.ConsumeBool() ? Qt::ShiftModifier : Qt::NoModifier);
        if (in.ConsumeBool())
            Mouse(e, QEvent::MouseMove, in.ConsumeIntegralInRange(0, e.width()), in.ConsumeIntegralInRange(0, e.height()));
        Mouse(e, QEvent::MouseButtonRelease, x, y);
        break;
    }
    case 14: Mouse(e, QEvent::MouseButtonDblClick, in.ConsumeIntegralInRange(0, e.width()), in.ConsumeIntegralInRange(0, e.height())); break;
    case 15: e.SetCaret(in.ConsumeIntegralInRange(-2, e.LineCount() + 2), in.ConsumeIntegralInRange(-2, 60)); break;
    case 16: {
        const int l1 = in.ConsumeIntegralInRange(0, e.LineCount()), c1 = in.ConsumeIntegralInRange(0, 60);
        const int l2 = in.ConsumeIntegralInRange(0, e.LineCount()), c2 = in.ConsumeIntegralInRange(0, 60);
        e.SetSelection({l1, c1}, {l2, c2});
        break;
    }
    default: Key(e, Qt::Key_Delete, Qt::ShiftModifier); Key(e, Qt::Key_Insert, Qt::ShiftModifier); break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4000) return -1;
    TSHControl& e = Editor();
    FuzzedDataProvider in(data, size);
    e.LoadLines(SplitLines(in.ConsumeRandomLengthString(1000)));
    SetClipboardText(QString());
    const std::vector<std::string> start = AllLines(e);
    RequireConsistent(e);
    // Undoing everything after every command costs the square of the
    // session's length: 32 commands keep an input within a few seconds.
    for (int n = 0; n < 32 && in.remaining_bytes() > 0; ++n) {
        Command(e, in);
        RequireConsistent(e);
        // Beyond the ring's capacity the oldest steps are gone on purpose.
        if (e.UndoCount() >= TSHControl::kUndoCapacity) break;
        // The counts are the ring's entries; one undo may take back several
        // (an edit and the re-indentation it caused).
        const std::vector<std::string> now = AllLines(e);
        const int pendingRedo = e.RedoCount();
        for (int k = 0; k <= TSHControl::kUndoCapacity && e.UndoCount() > 0; ++k) e.EditorUndo();
        FUZZ_REQUIRE(e.UndoCount() == 0);
        FUZZ_REQUIRE(AllLines(e) == start);
        for (int k = 0; k <= TSHControl::kUndoCapacity && e.RedoCount() > pendingRedo; ++k) e.EditorRedo();
        FUZZ_REQUIRE(e.RedoCount() == pendingRedo);
        FUZZ_REQUIRE(AllLines(e) == now);
        RequireConsistent(e);
    }
    return 0;
}
