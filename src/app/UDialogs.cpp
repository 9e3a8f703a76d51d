#include "UDialogs.h"

#include <QAbstractItemView>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLayout>
#include <QLocale>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeView>
#include <QUrl>

#include <algorithm>

namespace {

TDialogs* gCurrent = nullptr;

QMessageBox::Icon ToQtIcon(TMessageIcon icon) {
    switch (icon) {
    case TMessageIcon::Information: return QMessageBox::Information;
    case TMessageIcon::Warning: return QMessageBox::Warning;
    case TMessageIcon::Question: return QMessageBox::Question;
    case TMessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// Qt's own file dialog writes sizes and dates in the system's locale
// ("7 Dec 2026" on an English system); this writes them in German. It names
// our programs' type itself: until the type is installed, the desktop
// guesses from a program's first line, "//", that it is C.
class TGermanFileDetails : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files && role == Qt::DisplayRole && index.column() >= 1 && index.column() <= 3) {
            const QModelIndex source = mapToSource(index);
            const QLocale german;
            if (index.column() == 3) return german.toString(files->lastModified(source), QLocale::ShortFormat);
            if (index.column() == 1)
                return files->isDir(source) ? QString() : german.formattedDataSize(files->size(source));
            if (!files->isDir(source) && files->fileInfo(source).suffix().compare("zak", Qt::CaseInsensitive) == 0)
                return QStringLiteral("ZAK-Programm");
        }
        return QIdentityProxyModel::data(index, role);
    }
};

// The widest text of each detail column that the dialog can know before it
// has read a folder: the German size and date formats at their widest and
// our programs' type.
QStringList DetailSamples(int column) {
    const QLocale german;
    switch (column) {
    case 1: {
        QStringList sizes;
        for (const qint64 bytes : {qint64{1023}, (qint64{1} << 20) - 1, (qint64{1} << 30) - 1, (qint64{1} << 40) - 1})
            sizes << german.formattedDataSize(bytes);
        return sizes;
    }
    case 2: return {QStringLiteral("ZAK-Programm")};
    case 3: return {german.toString(QDateTime(QDate(2028, 12, 28), QTime(22, 58)), QLocale::ShortFormat)};
    default: return {};
    }
}

// On a screen too small for the whole dialog, the side bar leaves the
// names this many characters.
constexpr int kFewestNameCharacters = 12;

// What a detail column needs: its header, the cells shown and, for the
// size, type and date, the samples.
int ColumnNeed(QTreeView& tree, int column) {
    const QFontMetrics metrics(tree.font());
    // QTreeView hides the measure of the cells shown; its base class offers it.
    int needed = std::max(static_cast<const QAbstractItemView&>(tree).sizeHintForColumn(column),
                          tree.header()->sectionSizeHint(column));
    // The samples get the item's text margins and focus frame, with room to spare.
    for (const QString& sample : DetailSamples(column))
        needed = std::max(needed, metrics.horizontalAdvance(sample) + metrics.height());
    return needed;
}

// Sizes the side bar to its longest place name and all its places, the
// size, type and date columns to their texts and the name column to the
// names, and the dialog to hold them, within the screen. Where the screen
// is too small, the names give way down to a few characters, then the side
// bar; sizes, types and dates stay whole.
void FitToContents(QFileDialog& dialog, QTreeView& tree, QAbstractItemView& sidebar, QSplitter& splitter) {
    const QFontMetrics metrics(sidebar.font());
    int sidebarWidth = 0, sidebarHeight = 2 * sidebar.frameWidth();
    for (int row = 0; row < sidebar.model()->rowCount(); ++row) {
        const QModelIndex item = sidebar.model()->index(row, 0);
        const QString name = item.data(Qt::DisplayRole).toString();
        sidebarWidth = std::max({sidebarWidth, sidebar.sizeHintForIndex(item).width(),
                                 sidebar.iconSize().width() + metrics.horizontalAdvance(name) + 2 * metrics.height()});
        sidebarHeight += sidebar.sizeHintForIndex(item).height();
    }
    sidebarWidth += 2 * sidebar.frameWidth();

    QHeaderView* header = tree.header();
    const int columns = header->count();
    if (columns < 1) return;
    int details = 0;  // the columns after the name
    for (int column = 1; column < columns; ++column) {
        header->resizeSection(column, ColumnNeed(tree, column));
        if (!header->isSectionHidden(column)) details += header->sectionSize(column);
    }
    const int scrollBar = tree.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &tree);
    const int treeChrome = scrollBar + 2 * tree.frameWidth();

    // What lies around the splitter (margins, the rows above and below)
    // keeps its size.
    dialog.layout()->activate();
    const int aroundWidth = std::max(0, dialog.width() - splitter.width());
    const int aroundHeight = std::max(0, dialog.height() - sidebar.height());
    const int fixedWidth = aroundWidth + splitter.handleWidth() + treeChrome + details;
    QSize size(std::max(dialog.width(), fixedWidth + sidebarWidth + ColumnNeed(tree, 0)),
               std::max(dialog.height(), aroundHeight + sidebarHeight + scrollBar));
    if (const QScreen* screen = dialog.screen()) size = size.boundedTo(screen->availableGeometry().size());
    dialog.resize(size);
    const int fewestNameWidth = kFewestNameCharacters * metrics.averageCharWidth();
    sidebarWidth = std::min(sidebarWidth, std::max(fewestNameWidth, size.width() - fixedWidth - fewestNameWidth));
    const int treeWidth = size.width() - aroundWidth - splitter.handleWidth() - sidebarWidth;
    header->resizeSection(0, std::max(treeWidth - treeChrome - details, header->sectionSizeHint(0)));
    splitter.setSizes({sidebarWidth, treeWidth});
}

} // namespace

void FitFileDialog(QFileDialog& dialog) {
    // A desktop's own dialog has none of these and sizes itself.
    auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* sidebar = dialog.findChild<QAbstractItemView*>(QStringLiteral("sidebar"));
    auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"));
    auto* files = dialog.findChild<QFileSystemModel*>();
    if (!tree || !sidebar || !splitter || !files || !sidebar->model()) return;
    FitToContents(dialog, *tree, *sidebar, *splitter);
    // The folder is read in the background: its rows may need more.
    QObject::connect(files, &QFileSystemModel::directoryLoaded, &dialog,
                     [&dialog, tree, sidebar, splitter] { FitToContents(dialog, *tree, *sidebar, *splitter); });
}

void UseGermanFileDetails(QFileDialog& dialog) {
    // Ignored by a dialog of the desktop, which speaks the desktop's language.
    dialog.setProxyModel(new TGermanFileDetails(&dialog));
}

void TDialogs::Message(QWidget* parent, const QString& text, const QString& caption, TMessageIcon icon) {
    QMessageBox box(ToQtIcon(icon), caption, text, QMessageBox::Ok, parent);
    box.exec();
}

TAnswer TDialogs::Confirm(QWidget* parent, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? TAnswer::Ok : TAnswer::Cancel;
}

TAnswer TDialogs::Ask(QWidget* parent, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, caption, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return TAnswer::Yes;
    case QMessageBox::No: return TAnswer::No;
    default: return TAnswer::Cancel;
    }
}

QString TDialogs::OpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                               const QString& filter, const QList<TPlace>& places) {
    QFileDialog dialog(parent, caption, directory, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    UseGermanFileDetails(dialog);
    QList<QUrl> urls = dialog.sidebarUrls();
    for (const TPlace& place : places) urls << QUrl::fromLocalFile(place.Path);
    dialog.setSidebarUrls(urls);
    // Qt's side bar names a place after its folder ("examples"), and names
    // it so again whenever the folder is visited; the pupil looks for the
    // German name.
    auto* sidebar = dialog.findChild<QAbstractItemView*>(QStringLiteral("sidebar"));
    if (QAbstractItemModel* model = sidebar ? sidebar->model() : nullptr) {
        auto name = [model, places] {
            for (int row = 0; row < model->rowCount(); ++row) {
                const QModelIndex item = model->index(row, 0);
                for (const TPlace& place : places)
                    if (item.data(Qt::UserRole + 1).toUrl() == QUrl::fromLocalFile(place.Path) &&
                        item.data(Qt::DisplayRole).toString() != place.Name)
                        model->setData(item, place.Name, Qt::DisplayRole);
            }
        };
        name();
        QObject::connect(model, &QAbstractItemModel::dataChanged, &dialog, name);
        QObject::connect(model, &QAbstractItemModel::rowsInserted, &dialog, name);
    }
    FitFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString TDialogs::SaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                               const QString& proposedName, const QString& filter,
                               const QString& defaultSuffix) {
    QFileDialog dialog(parent, caption, directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    UseGermanFileDetails(dialog);
    if (!proposedName.isEmpty()) dialog.selectFile(proposedName);
    FitFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

bool TDialogs::PrinterSetup(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    // Only the choice of printer and paper belongs here; what is printed is
    // decided by the print dialog's own check boxes.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    return dialog.exec() == QDialog::Accepted;
}

bool TDialogs::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

TDialogs& Dialogs() {
    static TDialogs standard;
    return gCurrent ? *gCurrent : standard;
}

TDialogs* SetDialogs(TDialogs* dialogs) {
    TDialogs* previous = gCurrent;
    gCurrent = dialogs;
    return previous;
}
