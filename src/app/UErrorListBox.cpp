#include "UErrorListBox.h"

#include "UQtText.h"

TErrorListBox::TErrorListBox(QWidget* parent) : QListWidget(parent) {
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void TErrorListBox::ClearItems() {
    clear();
    FRecords.clear();
}

void TErrorListBox::AddItem(const std::string& text, const TFehler& record) {
    auto* item = new QListWidgetItem(ToQString(text));
    item->setSizeHint(QSize(0, ItemHeight));
    addItem(item);
    FRecords.push_back(record);
}

void TErrorListBox::Refreshed() {
    if (OnRefreshed) OnRefreshed();
}

const TFehler* TErrorListBox::Record(int row) const {
    if (row < 0 || row >= static_cast<int>(FRecords.size())) return nullptr;
    return &FRecords[static_cast<std::size_t>(row)];
}

const TFehler* TErrorListBox::SelectedRecord() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) return nullptr;
    return Record(row(selected.front()));
}
