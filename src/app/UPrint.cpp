#include "UPrint.h"

#include "UDialogs.h"
#include "UProgramPrint.h"
#include "USHControl.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QMarginsF>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

namespace {

// A PDF has no unprintable border of its own; these stand in for the
// border of a typical laser printer, at its resolution.
constexpr int kPdfResolution = 600;
constexpr qreal kPdfBorderMm = 5.0;

void MakePdfPrinter(QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(kPdfResolution);
    printer.setPageMargins(QMarginsF(kPdfBorderMm, kPdfBorderMm, kPdfBorderMm, kPdfBorderMm),
                           QPageLayout::Millimeter);
}

} // namespace

TFPrint::TFPrint(QWidget* parent) : QDialog(parent), FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setObjectName("FPrint");
    setWindowTitle("Drucken...");
    FPrinter->setDocName("ZAK-Programm");
    if (QPrinterInfo::availablePrinters().isEmpty()) MakePdfPrinter(*FPrinter);

    auto* layout = new QGridLayout(this);
    CBZeilenNummern = new QCheckBox("Zeilennummern drucken", this);
    CBZeilenNummern->setObjectName("CBZeilenNummern");
    CBNurMarkierung = new QCheckBox("Nur markierten Bereich drucken", this);
    CBNurMarkierung->setObjectName("CBNurMarkierung");
    BEinstellungen = new QPushButton("Einstellungen ...", this);
    BEinstellungen->setObjectName("BEinstellungen");
    BDrucken = new QPushButton("Drucken", this);
    BDrucken->setObjectName("BDrucken");
    BDrucken->setDefault(true);
    BAbbruch = new QPushButton("Abbruch", this);
    BAbbruch->setObjectName("BAbbruch");
    layout->addWidget(CBZeilenNummern, 0, 0, 1, 3);
    layout->addWidget(CBNurMarkierung, 1, 0, 1, 3);
    layout->setRowStretch(2, 1);
    layout->addWidget(BEinstellungen, 3, 0);
    layout->addWidget(BDrucken, 3, 1);
    layout->addWidget(BAbbruch, 3, 2);
    resize(350, 183);

    connect(BDrucken, &QPushButton::clicked, this, [this] { BDruckenClick(); });
    connect(BEinstellungen, &QPushButton::clicked, this, [this] { BEinstellungenClick(); });
    connect(BAbbruch, &QPushButton::clicked, this, [this] { BAbbruchClick(); });
}

TFPrint::~TFPrint() = default;

void TFPrint::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CBNurMarkierung->setChecked(FEditor && FEditor->HasSelection());
}

bool TFPrint::ChoosePdfFile() {
    if (FPdfNamedInSetup && !FPrinter->outputFileName().isEmpty()) return true;
    const QString proposed = FLastPdfFile.isEmpty() ? QString("Programm.pdf") : FLastPdfFile;
    QString path = Dialogs().SaveFileName(this, "Drucken in eine PDF-Datei", QFileInfo(proposed).absolutePath(),
                                          QFileInfo(proposed).fileName(), "PDF-Dateien (*.pdf)", "pdf");
    if (path.isEmpty()) return false;
    FLastPdfFile = path;
    FPrinter->setOutputFileName(path);
    return true;
}

void TFPrint::BDruckenClick() {
    const bool selectionOnly = CBNurMarkierung->isChecked();
    // Nothing would be printed: no file is asked for and no job begun.
    if (!FEditor || (selectionOnly && !FEditor->HasSelection())) {
        accept();
        return;
    }
    if (FPrinter->outputFormat() == QPrinter::PdfFormat && !ChoosePdfFile()) return;
    QString error;
    if (Print(*FEditor, selectionOnly, CBZeilenNummern->isChecked(), *FPrinter, &error) ==
        TPrintOutcome::Failed) {
        Dialogs().Message(this, "Das Programm konnte nicht gedruckt werden.\n" + error, "Fehler",
                          TMessageIcon::Warning);
        return;
    }
    accept();
}

void TFPrint::BEinstellungenClick() {
    if (!Dialogs().PrinterSetup(this, *FPrinter)) return;
    FPdfNamedInSetup = FPrinter->outputFormat() == QPrinter::PdfFormat && !FPrinter->outputFileName().isEmpty();
    if (FPrinter->outputFormat() == QPrinter::PdfFormat) FPrinter->setResolution(kPdfResolution);
}

void TFPrint::BAbbruchClick() { reject(); }
