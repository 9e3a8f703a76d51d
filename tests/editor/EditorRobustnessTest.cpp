// Large and hostile input, and the editor's side of code completion.
#include "EditorTestSupport.h"
#include "UCompletionPort.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using Lines = std::vector<std::string>;

TEST(EditorRobustness, HugePasteOfBinaryDataIsKeptAndUndone) {
    auto editor = MakeEditor();
    editor->LoadLines({"ab"});
    editor->SetCaret(0, 1);
    QString clip;
    std::mt19937 random(3);
    for (int i = 0; i < 400000; ++i) {
        clip += QChar(static_cast<char16_t>(random() % 0x3000));
        if (i % 50 == 0) clip += QStringLiteral("\r\n");
    }
    SetClipboardText(clip);
    editor->Paste();
    EXPECT_GT(editor->LineCount(), 1000);
    for (int l = 0; l < editor->LineCount(); l += 997) ASSERT_NE(editor->Lines().Info(l), nullptr);
    editor->grab();
    editor->EditorUndo();
    EXPECT_EQ(AllLines(*editor), (Lines{"ab"}));
}

TEST(EditorRobustness, BinaryFileLoadsAndSavesWithoutLoss) {
    QTemporaryDir dir;
    QByteArray bytes;
    std::mt19937 random(5);
    for (int i = 0; i < 100000; ++i) {
        char c = static_cast<char>(random() % 256);
        if (c == '\r' || c == '\n') c = 'x';  // line ends are normalised; everything else survives
        bytes += c;
        if (i % 97 == 0) bytes += "\r\n";
    }
    QFile file(dir.filePath("b.zak"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    auto editor = MakeEditor();
    editor->LineRoutine = nullptr;  // the built-in routine leaves the indentation alone
    std::string header;
    ASSERT_TRUE(editor->Load(file.fileName(), header));
    editor->grab();
    ASSERT_TRUE(editor->Save(dir.filePath("c.zak"), header));
    QFile copy(dir.filePath("c.zak"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), bytes + (bytes.endsWith("\r\n") ? "" : "\r\n"));
}

namespace {

class TFakePopup : public TCompletionPopup {
public:
    int Lookup(const std::string& line, int caretColumn) override {
        if (caretColumn > 0 && line[static_cast<size_t>(caretColumn - 1)] == '.') return caretColumn + 1;
        return -1;
    }
    bool HasItems() const override { return true; }
    void ShowAt(const QPoint&) override { Shown = true; }
    void HidePopup() override { Shown = false; }
    std::string FilterPrefix() const override { return Prefix; }
    void SetFilterPrefix(const std::string& prefix) override { Prefix = prefix; }
    bool FillList() override { return Prefix.empty() || Prefix[0] == 'd'; }
    void SelectNext() override { ++Moves; }
    void SelectPrevious() override { --Moves; }
    std::string InsertText() const override { return "drehen("; }

    bool Shown = false;
    std::string Prefix;
    int Moves = 0;
};

} // namespace

TEST(EditorRobustness, CompletionOpensNarrowsAndReplacesTheWord) {
    auto editor = MakeEditor();
    TFakePopup popup;
    editor->SetCompletionPopup(&popup);
    editor->LoadLines({"x", "rxyz"});
    editor->SetCaret(1, 1);
    Type(*editor, ".");
    ASSERT_TRUE(editor->CompletionOpen());
    EXPECT_TRUE(popup.Shown);
    EXPECT_EQ(editor->CompletionStartColumn(), 3);
    Type(*editor, "d");
    EXPECT_EQ(popup.Prefix, "d");
    Key(*editor, Qt::Key_Down);
    EXPECT_EQ(popup.Moves, 1);
    EXPECT_EQ(editor->CaretLine(), 1);
    Key(*editor, Qt::Key_Return);
    EXPECT_FALSE(editor->CompletionOpen());
    EXPECT_EQ(AllLines(*editor), (Lines{"x", "r.drehen("}));  // the rest of the word is replaced
    EXPECT_EQ(editor->CaretColumn(), 9);
    editor->EditorUndo();
    EXPECT_EQ(editor->LineText(1), "r.dxyz");

    // A filter that matches nothing closes the popup.
    editor->LoadLines({"a"});
    editor->SetCaret(0, 1);
    Type(*editor, ".q");
    EXPECT_FALSE(editor->CompletionOpen());
    EXPECT_FALSE(popup.Shown);
}
