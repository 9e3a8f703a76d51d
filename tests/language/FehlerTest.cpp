#include "UFehler.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class TTestListBox : public TFehlerListBox {
public:
    void ClearItems() override {
        Items.clear();
        Lines.clear();
    }
    void AddItem(const std::string& text, const TFehler& record) override {
        Items.push_back(text);
        Lines.push_back(record.Line);
    }
    void Refreshed() override { ++Refreshes; }

    std::vector<std::string> Items;
    std::vector<int> Lines;
    int Refreshes = 0;
};

std::unique_ptr<TFehler> Error(int line, const char* message, int source, int column) {
    return std::make_unique<TFehler>(line, message, source, column);
}

} // namespace

TEST(Fehler, ItemTexts) {
    EXPECT_EQ(TFehler(4, "tue erwartet.", FehlerLaufzeit, 7).ItemText(),
              "Laufzeitfehler: (Z.4 Sp.7)    tue erwartet.");
    EXPECT_EQ(TFehler(0, "Hinweis", FehlerTipp, 1).ItemText(), "Tipp: (Z.0 Sp.1)    Hinweis");
    EXPECT_EQ(TFehler(12, "x", 0, 3).ItemText(), "Tipp: (Z.12 Sp.3)    x");
    EXPECT_EQ(TFehler(-1, "", 5, -2).ItemText(), "Tipp: (Z.-1 Sp.-2)    ");
}

TEST(FehlerVerwaltung, EmptyListGivesAnEmptyBox) {
    TTestListBox box;
    box.Items = {"stale"};
    TFehlerVerwaltung errors(&box);
    errors.Refresh();
    EXPECT_TRUE(box.Items.empty());
    EXPECT_EQ(box.Refreshes, 1);
}

TEST(FehlerVerwaltung, EachSourceReplacesOnlyItsOwnRecord) {
    TTestListBox box;
    TFehlerVerwaltung errors(&box);
    errors.Add(Error(2, "Laufzeit", FehlerLaufzeit, 5));
    errors.Add(Error(3, "Hinweis", FehlerTipp, 1));
    errors.Refresh();
    ASSERT_EQ(box.Items.size(), 2u);

    errors.RemoveSource(FehlerTipp);  // a new check pass
    errors.Add(Error(8, "Neuer Hinweis", FehlerTipp, 2));
    errors.Refresh();
    EXPECT_EQ(box.Items, (std::vector<std::string>{"Laufzeitfehler: (Z.2 Sp.5)    Laufzeit",
                                                    "Tipp: (Z.8 Sp.2)    Neuer Hinweis"}));
    EXPECT_EQ(box.Lines, (std::vector<int>{2, 8}));

    errors.RemoveSource(FehlerLaufzeit);  // a new runtime error
    errors.Add(Error(1, "Zweiter", FehlerLaufzeit, 1));
    std::vector<TFehler> records = errors.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Message, "Neuer Hinweis");
    EXPECT_EQ(records[1].Message, "Zweiter");

    errors.Clear();
    EXPECT_EQ(errors.Count(), 0);
    EXPECT_TRUE(box.Items.empty());
    EXPECT_EQ(box.Refreshes, 3);
}

TEST(FehlerVerwaltung, WorksWithoutAListBox) {
    TFehlerVerwaltung errors;
    errors.Add(Error(0, "a", FehlerLaufzeit, 1));
    errors.Add(nullptr);
    errors.Refresh();
    EXPECT_EQ(errors.Count(), 1);
    TTestListBox box;
    errors.SetListBox(&box);
    errors.Refresh();
    EXPECT_EQ(box.Items.size(), 1u);
}
