#pragma once
// The code completion popup: a borderless list that stays on top of the main
// window, below the caret's row. The editor decides when it opens, narrows
// and closes (TCompletionPopup); Up and Down move the selection, Enter or a
// click inserts the chosen proposal. The popup never takes the keyboard
// focus from the editor; keys that reach it anyway are passed on.
#include "UCompletionPort.h"
#include "UVorschlaege.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

class QListWidget;
class QListWidgetItem;
class TSHControl;
class TSyntaxcheck;

class TFCodeComplete : public QWidget, public TCompletionPopup {
    Q_OBJECT

public:
    static constexpr int kItemHeight = 18;
    static constexpr int kWidth = 390;
    static constexpr int kHeight = 220;

    explicit TFCodeComplete(QWidget* parent = nullptr);
    ~TFCodeComplete() override;

    // Installs the popup in `editor` and reads the names its syntax check
    // publishes.
    void Attach(TSHControl* editor);
    void SetSources(const TSyntaxcheck* check, TSHControl* editor);

    // --- TCompletionPopup --------------------------------------------------
    int Lookup(const std::string& line, int caretColumn) override;
    bool HasItems() const override;
    void ShowAt(const QPoint& globalTopLeft) override;
    void HidePopup() override;
    std::string FilterPrefix() const override { return FModel.FilterPrefix; }
    void SetFilterPrefix(const std::string& prefix) override { FModel.FilterPrefix = prefix; }
    bool FillList() override;
    void SelectNext() override;
    void SelectPrevious() override;
    std::string InsertText() const override { return FModel.InsertText(); }

    const TVorschlaege& Model() const { return FModel; }
    QListWidget* ListBox() const { return FListBox; }

    // The icons of the list, 16 x 16 with a transparent background: a green
    // A for an attribute, a dark red M for a method, a blue K for a class;
    // none for a simple type name.
    // Drawn at `scale` times the resolution for a dense screen.
    static QImage Icon(TVorschlagsArt art, int scale = 1);
    // Width of a drawn item: icon, name in bold, description.
    static int ItemWidth(const TVorschlag& proposal);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void ShowModel();
    void ListBoxClick();

    TVorschlaege FModel;
    QPointer<TSHControl> FEditor;  // the editor may go first
    QListWidget* FListBox = nullptr;
    bool FPopupKey = false;  // the key being pressed came through the popup
    bool FSyncing = false;   // the list is being refilled from the model
};
