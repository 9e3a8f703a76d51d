#include "UPasswortabfrage.h"

#include "UDialogs.h"
#include "UEinstellungen.h"
#include "Uencrypt.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {

void Present(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

TFPasswortabfrage::TFPasswortabfrage(TFEinstellungen& settings, QWidget* parent)
    : QDialog(parent), FSettings(settings) {
    setObjectName("FPasswortabfrage");
    setWindowTitle("Bitte geben Sie das Passwort ein:");
    auto* layout = new QHBoxLayout(this);
    EPass = new QLineEdit(this);
    EPass->setObjectName("EPass");
    BOK = new QPushButton("OK", this);
    BOK->setObjectName("BOK");
    BOK->setDefault(true);
    layout->addWidget(EPass, 1);
    layout->addWidget(BOK);
    resize(320, 60);
    connect(BOK, &QPushButton::clicked, this, [this] { BOKClick(); });
}

void TFPasswortabfrage::BOKClick() {
    const QString typed = EPass->text();
    const bool accepted = typed == FSettings.Password() ||
                          typed == SettingsText(Unscramble(kDefaultPasswordScrambled));
    if (accepted)
        Present(&FSettings);
    else
        Dialogs().Message(this, "Das Passwort war falsch.", "Meldung:");
    hide();
}

void ShowSettings(TFEinstellungen& settings, TFPasswortabfrage& prompt) {
    if (settings.Password().isEmpty())
        Present(&settings);
    else
        Present(&prompt);
}
