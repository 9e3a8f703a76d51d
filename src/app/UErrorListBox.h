#pragma once
// LBError: the list box the error manager mirrors its records into. Each
// item keeps a copy of its record, so a click can jump to the error even
// after the check thread has replaced the record in the manager's list.
#include "UFehler.h"

#include <QListWidget>

#include <functional>
#include <vector>

class TErrorListBox : public QListWidget, public TFehlerListBox {
    Q_OBJECT

public:
    static constexpr int ItemHeight = 16;

    explicit TErrorListBox(QWidget* parent = nullptr);

    void ClearItems() override;
    void AddItem(const std::string& text, const TFehler& record) override;
    void Refreshed() override;

    // The record of the selected item; none without a selection.
    const TFehler* SelectedRecord() const;
    const TFehler* Record(int row) const;

    // Runs after every rebuild (the editor repaints its error markers).
    std::function<void()> OnRefreshed;

private:
    std::vector<TFehler> FRecords;
};
