#pragma once
// The print dialog: two options and the printer setup; printing itself is
// done by Print (UProgramPrint.h) on the editor handed in by the main window.
// Without an installed printer the output goes to a PDF file, whose name the
// user picks when printing (or in the printer setup).
#include <QDialog>

#include <memory>

class QCheckBox;
class QPrinter;
class QPushButton;
class TSHControl;

class TFPrint : public QDialog {
    Q_OBJECT

public:
    explicit TFPrint(QWidget* parent = nullptr);
    ~TFPrint() override;

    // Set by the main window before each showing.
    void SetEditor(TSHControl* editor) { FEditor = editor; }
    QPrinter& Printer() { return *FPrinter; }

    void BDruckenClick();
    void BEinstellungenClick();
    void BAbbruchClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The PDF file to print into; asks the user unless the printer setup
    // named one. False when the user cancelled.
    bool ChoosePdfFile();

    std::unique_ptr<QPrinter> FPrinter;
    TSHControl* FEditor = nullptr;
    bool FPdfNamedInSetup = false;
    QString FLastPdfFile;

    QCheckBox* CBZeilenNummern = nullptr;
    QCheckBox* CBNurMarkierung = nullptr;
    QPushButton* BEinstellungen = nullptr;
    QPushButton* BDrucken = nullptr;
    QPushButton* BAbbruch = nullptr;
};
