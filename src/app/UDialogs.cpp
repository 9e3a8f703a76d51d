#include "UDialogs.h"

#include <QAbstractItemView>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

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

} // namespace

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
