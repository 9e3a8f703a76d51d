#pragma once
// The password prompt that stands in front of a locked settings dialog.
// The built-in default password is always accepted, so a forgotten password
// never locks a teacher out. There is no limit on attempts.
#include <QDialog>

class QLineEdit;
class QPushButton;
class TFEinstellungen;

class TFPasswortabfrage : public QDialog {
    Q_OBJECT

public:
    TFPasswortabfrage(TFEinstellungen& settings, QWidget* parent = nullptr);

    // The typed text is shown in clear and stays for the next time.
    void BOKClick();

protected:
    void changeEvent(QEvent* event) override;

private:
    // Wide enough for the whole title at the dialog's font, which follows
    // the desktop's font size; called again whenever that font changes.
    void FitTitle();

    TFEinstellungen& FSettings;
    QLineEdit* EPass = nullptr;
    QPushButton* BOK = nullptr;
};

// Opens the settings: through the prompt while a password is set, otherwise
// directly. Neither window blocks the main window.
void ShowSettings(TFEinstellungen& settings, TFPasswortabfrage& prompt);
