// The background check as the editor drives it: triggering, one hint after
// a burst of edits, publishing, the error list hand-over and destruction
// while a pass runs.
#include "UCriticalSections.h"
#include "UFehler.h"
#include "USyntaxcheck.h"
#include "UVariablen.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// The error list box: counts refreshes and records which thread did them.
class TCountingListBox : public TFehlerListBox {
public:
    void ClearItems() override { Items.clear(); }
    void AddItem(const std::string& text, const TFehler&) override { Items.push_back(text); }
    void Refreshed() override {
        ++Refreshes;
        RefreshThread = std::this_thread::get_id();
    }
    std::vector<std::string> Items;
    int Refreshes = 0;
    std::thread::id RefreshThread;
};

// Tasks for the main thread, run when the test drains them.
class TMainQueue {
public:
    TSyntaxcheck::TMainThreadPost Poster() {
        return [this](std::function<void()> task) {
            std::lock_guard<std::mutex> guard(Mutex);
            Tasks.push_back(std::move(task));
        };
    }
    bool Empty() {
        std::lock_guard<std::mutex> guard(Mutex);
        return Tasks.empty();
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

void SetText(TStringLines& editor, std::vector<std::string> lines) {
    TLockGuard guard(CriticalSections::EditorLinesLock());
    editor.Lines = std::move(lines);
}

std::vector<std::string> BigProgram(int statements) {
    std::vector<std::string> lines = {"x: integer", "f: Figur"};
    for (int i = 0; i < statements; ++i) lines.push_back("x := x + 1");
    return lines;
}

TEST(SyntaxcheckThread, OneTriggerGivesOneHintInTheErrorList) {
    TStringLines editor({"x: integer", "wenn x dann"});
    TCountingListBox box;
    TFehlerVerwaltung errors(&box);
    TMainQueue main;
    TSyntaxcheck check(editor);
    check.SetErrorList(&errors);
    check.SetMainThreadPost(main.Poster());

    check.Trigger();
    check.WaitUntilIdle();
    ASSERT_EQ(errors.Count(), 1);
    EXPECT_EQ(errors.Records()[0].Source, FehlerTipp);
    EXPECT_EQ(errors.Records()[0].Message, "*wiederhole, *solange, *wenn oder *f\xFCr erwartet.");
    EXPECT_EQ(box.Refreshes, 1);
    EXPECT_EQ(box.RefreshThread, std::this_thread::get_id());
    ASSERT_EQ(box.Items.size(), 1u);
    EXPECT_EQ(box.Items[0].substr(0, 12), "Tipp: (Z.1 S");
    EXPECT_EQ(check.PassCount(), 1);

    // The fixed text removes the hint; a runtime error stays.
    errors.Add(std::make_unique<TFehler>(0, "Division durch Null.", FehlerLaufzeit, 1));
    SetText(editor, {"x: integer", "wenn x dann", "*wenn"});
    check.Trigger();
    check.WaitUntilIdle();
    ASSERT_EQ(errors.Count(), 1);
    EXPECT_EQ(errors.Records()[0].Source, FehlerLaufzeit);
    EXPECT_EQ(box.Refreshes, 2);
    main.Drain();  // late deliveries of finished hand-overs do nothing
    EXPECT_EQ(box.Refreshes, 2);
}

TEST(SyntaxcheckThread, BurstOfEditsGivesOneHintForTheLastText) {
    TStringLines editor({"x: integer"});
    TCountingListBox box;
    TFehlerVerwaltung errors(&box);
    TMainQueue main;
    TSyntaxcheck check(editor);
    check.SetErrorList(&errors);
    check.SetMainThreadPost(main.Poster());
    {
        // While the editor holds its lines the thread cannot load them, so
        // every edit of the burst lands before (or during) its first pass.
        TLockGuard guard(CriticalSections::EditorLinesLock());
        for (int i = 0; i < 50; ++i) {
            editor.Lines.push_back("x := x + " + std::to_string(i));
            check.Trigger();
        }
        editor.Lines.push_back("x := y");
        check.Trigger();
    }
    check.WaitUntilIdle();
    EXPECT_EQ(box.Refreshes, 1);
    EXPECT_LE(check.PassCount(), 2);
    ASSERT_EQ(errors.Count(), 1);
    EXPECT_EQ(errors.Records()[0].Message, "Den Bezeichner y gibt es nicht.");
    EXPECT_EQ(errors.Records()[0].Line, 51);
}

TEST(SyntaxcheckThread, PublishesNamesAndTheDefaultWindowFlag) {
    TStringLines editor({"f: Figur", "n: integer"});
    TSyntaxcheck check(editor);
    {
        TLockGuard guard(CriticalSections::CompletionLock());
        EXPECT_EQ(check.PublishedSpace(), nullptr);
    }
    EXPECT_FALSE(check.DefaultWindow());
    check.Trigger();
    check.WaitUntilIdle();
    EXPECT_TRUE(check.DefaultWindow());
    {
        TLockGuard guard(CriticalSections::CompletionLock());
        ASSERT_NE(check.PublishedSpace(), nullptr);
        const TVariant* f = check.PublishedSpace()->Lookup("f");
        ASSERT_NE(f, nullptr);
        ASSERT_NE(f->AsObject(), nullptr);
        EXPECT_EQ(f->AsObject()->ClassNumber, 2);
    }
    SetText(editor, {"f: Figur", "n: integer", "w: Fenster"});
    check.Trigger();
    check.WaitUntilIdle();
    EXPECT_FALSE(check.DefaultWindow());
    {
        TLockGuard guard(CriticalSections::CompletionLock());
        EXPECT_NE(check.PublishedSpace()->Lookup("w"), nullptr);
    }
}

TEST(SyntaxcheckThread, AttributeSettingReachesTheNextPass) {
    TStringLines editor({"f: Figur", "f.links := 3"});
    TFehlerVerwaltung errors;
    TSyntaxcheck check(editor);
    check.SetErrorList(&errors);
    check.Trigger();
    check.WaitUntilIdle();
    EXPECT_EQ(errors.Count(), 0);
    check.SetNoAttributeAssignment(true);
    check.Trigger();
    check.WaitUntilIdle();
    ASSERT_EQ(errors.Count(), 1);
    EXPECT_EQ(errors.Records()[0].Message, "Einem Attribut darf kein Wert zugewiesen werden!");
}

// An edit made while the finished thread waits for the main thread to
// refresh the list is checked too, although no new thread was started.
TEST(SyntaxcheckThread, EditDuringTheHandOverIsCheckedAfterwards) {
    TStringLines editor({"wenn wahr dann"});
    TCountingListBox box;
    TFehlerVerwaltung errors(&box);
    TMainQueue main;
    TSyntaxcheck check(editor);
    check.SetErrorList(&errors);
    check.SetMainThreadPost(main.Poster());
    check.Trigger();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (main.Empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_FALSE(main.Empty());
    SetText(editor, {"wenn wahr dann", "*wenn"});
    check.Trigger();
    main.Drain();
    check.WaitUntilIdle();
    EXPECT_EQ(errors.Count(), 0);
    EXPECT_EQ(box.Refreshes, 2);
    EXPECT_EQ(check.PassCount(), 2);
}

// The thread waits for the main thread to refresh the list while the main
// thread destroys the check: neither may wait for the other.
TEST(SyntaxcheckThread, DestroyingWhileTheHandOverWaitsDoesNotDeadlock) {
    TStringLines editor({"wenn wahr dann"});
    TCountingListBox box;
    TFehlerVerwaltung errors(&box);
    TMainQueue main;  // never drained while the check lives
    {
        TSyntaxcheck check(editor);
        check.SetErrorList(&errors);
        check.SetMainThreadPost(main.Poster());
        check.Trigger();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (errors.Count() == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(errors.Count(), 1);
    }
    main.Drain();  // the abandoned hand-over arrives after the check is gone
    EXPECT_EQ(box.Refreshes, 0);
}

// The text ends in an error, so that a pass run to its end would leave a
// hint: none arrives, and the destruction does not wait for the pass.
TEST(SyntaxcheckThread, DestroyingDuringAPassAbandonsIt) {
    std::vector<std::string> lines = BigProgram(200000);
    lines.push_back("y := 1");
    TStringLines editor(lines);
    TFehlerVerwaltung errors;
    const auto start = std::chrono::steady_clock::now();
    {
        TSyntaxcheck check(editor);
        check.SetErrorList(&errors);
        check.Trigger();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_EQ(check.PassCount(), 0) << "the pass ended before the test could abandon it";
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(errors.Count(), 0);

    // The same text checked to its end does leave the hint.
    TSyntaxcheck check(editor);
    check.SetErrorList(&errors);
    check.Trigger();
    check.WaitUntilIdle();
    ASSERT_EQ(errors.Count(), 1);
    EXPECT_EQ(errors.Records()[0].Line, static_cast<int>(lines.size()) - 1);
}

// The deepest text the check parses, on the check thread's own stack.
TEST(SyntaxcheckThread, DeepestNestingFitsOnTheThreadsStack) {
    std::vector<std::string> lines = {"x: integer"};
    for (int i = 0; i < 1000; ++i) lines.push_back("wenn wahr dann");
    std::string expression = "x := ";
    for (int i = 0; i < 300; ++i) expression += "abs(-(";
    expression += "1";
    for (int i = 0; i < 300; ++i) expression += "))";
    lines.push_back(expression);
    for (int i = 0; i < 1000; ++i) lines.push_back("*wenn");
    TStringLines editor(lines);
    TFehlerVerwaltung errors;
    TSyntaxcheck check(editor);
    check.SetErrorList(&errors);
    check.Trigger();
    check.WaitUntilIdle();
    ASSERT_EQ(errors.Count(), 1);
    EXPECT_EQ(errors.Records()[0].Message, "Typ Integer erwartet");  // abs yields a Real
    EXPECT_EQ(errors.Records()[0].Line, 1001);
}

} // namespace
