#include "UHelpTree.h"

#include "UImageList.h"
#include "UQtText.h"

#include <QTreeWidget>

namespace {

void AddToTree(QTreeWidgetItem& parent, const THelpNode& node) {
    auto* item = new QTreeWidgetItem(&parent, QStringList(ToQString(node.Text)));
    item->setIcon(0, ImageList::Icon(node.Image));
    for (const THelpNode& child : node.Children) AddToTree(*item, child);
}

} // namespace

void FillClassTree(QTreeWidget& tree, const TKlassenFabrik& factory) {
    tree.clear();
    for (const THelpNode& node : ClassTreeNodes(factory)) {
        auto* item = new QTreeWidgetItem(&tree, QStringList(ToQString(node.Text)));
        item->setIcon(0, ImageList::Icon(node.Image));
        for (const THelpNode& child : node.Children) AddToTree(*item, child);
    }
}
