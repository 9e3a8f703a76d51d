#include "UDialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
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

} // namespace

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
                               const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

QString TDialogs::SaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                               const QString& proposedName, const QString& filter,
                               const QString& defaultSuffix) {
    QFileDialog dialog(parent, caption, directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
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
