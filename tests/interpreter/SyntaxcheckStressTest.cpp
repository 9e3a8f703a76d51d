// The main thread edits, triggers, reads the published names as code
// completion does, refreshes the error list and now and then destroys the
// check in the middle of a pass, while check threads run. Built once more
// with ThreadSanitizer (test_check_tsan), which reports any unguarded access.
#include "UCriticalSections.h"
#include "UFehler.h"
#include "UKlassen.h"
#include "USyntaxcheck.h"
#include "USyntaxcheckThread.h"
#include "UVariablen.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <vector>

namespace {

class TListBox : public TFehlerListBox {
public:
    void ClearItems() override { Items.clear(); }
    void AddItem(const std::string& text, const TFehler&) override { Items.push_back(text); }
    std::vector<std::string> Items;
};

class TMainQueue {
public:
    TSyntaxcheck::TMainThreadPost Poster() {
        return [this](std::function<void()> task) {
            std::lock_guard<std::mutex> guard(Mutex);
            Tasks.push_back(std::move(task));
        };
    }
    void Drain() {
        std::vector<std::function<void()>> tasks;
        {
            std::lock_guard<std::mutex> guard(Mutex);
            tasks.swap(Tasks);
        }
        for (auto& task : tasks) task();
    }

private:
    std::mutex Mutex;
    std::vector<std::function<void()>> Tasks;
};

// What code completion does with the published space.
int ReadPublishedNames(const TSyntaxcheck& check) {
    TLockGuard guard(CriticalSections::CompletionLock());
    const TVarSpace* space = check.PublishedSpace();
    if (!space) return 0;
    int members = 0;
    for (int i = 0; i < space->Count(); ++i) {
        const TVariant* value = space->At(i)->Value;
        if (value && value->Kind() == vkObjekt && value->AsObject())
            members += static_cast<int>(value->AsObject()->Attributes().size()) + value->AsObject()->ClassNumber % 2;
    }
    if (const TVariant* f = space->Lookup("f")) members += f->Kind();
    return members;
}

TEST(SyntaxcheckStress, EditingWhilePassesRun) {
    static const std::vector<std::string> statements = {
        "x := x + 1", "f.drehen(x * 2)", "wenn x > 3 dann", "*wenn", "wiederhole 2 mal", "*wiederhole",
        "s := 'a' + x", "f.randfarbe.rot := 3", "x := y", "g: Figur", "w: Fenster", "solange wahr tue",
        "*solange", "methode m(*a: integer)", "ende", "m(x)"};
    std::mt19937 random(11);
    TStringLines editor({"x: integer", "s: string", "f: Figur"});
    TListBox box;
    TFehlerVerwaltung errors(&box);
    TMainQueue main;
    auto check = std::make_unique<TSyntaxcheck>(editor);
    check->SetErrorList(&errors);
    check->SetMainThreadPost(main.Poster());

    long long seen = 0;
    for (int round = 0; round < 3000; ++round) {
        {
            TLockGuard guard(CriticalSections::EditorLinesLock());
            auto& lines = editor.Lines;
            const std::size_t at = 3 + random() % (lines.size() - 2);
            switch (random() % 4) {
            case 0:
            case 1: lines.insert(lines.begin() + static_cast<long>(at), statements[random() % statements.size()]); break;
            case 2:
                if (lines.size() > 3 && at < lines.size()) lines.erase(lines.begin() + static_cast<long>(at));
                break;
            default:
                if (at < lines.size()) lines[at] += " ";
                break;
            }
            if (lines.size() > 400) lines.resize(3);
        }
        check->Trigger();
        seen += ReadPublishedNames(*check);
        seen += check->DefaultWindow();
        if (round % 7 == 0) main.Drain();
        if (round % 500 == 499) {
            // Destroyed while a pass or a hand-over may be under way.
            check = std::make_unique<TSyntaxcheck>(editor);
            check->SetErrorList(&errors);
            check->SetMainThreadPost(main.Poster());
        }
    }
    check->WaitUntilIdle();
    main.Drain();
    EXPECT_GE(seen, 0);

    // Once the typing stops the hint is the one for the final text.
    check->Trigger();
    check->WaitUntilIdle();
    const TKlassenFabrik factory;
    TSyntaxcheckThread direct(factory);
    const TSyntaxcheckResult expected = direct.Pass(editor);
    const std::vector<TFehler> hints = errors.Records();
    ASSERT_EQ(hints.size(), expected.Error ? 1u : 0u);
    if (expected.Error) {
        EXPECT_EQ(hints[0].Message, expected.Error->Message);
        EXPECT_EQ(hints[0].Line, expected.Error->Line);
        EXPECT_EQ(hints[0].Column, expected.Error->Column);
        ASSERT_EQ(box.Items.size(), 1u);
        EXPECT_EQ(box.Items[0], expected.Error->ItemText());
    }
}

} // namespace
