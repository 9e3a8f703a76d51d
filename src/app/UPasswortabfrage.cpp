#include "UPasswortabfrage.h"

#include "UDialogs.h"
#include "UEinstellungen.h"
#include "Uencrypt.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

// The window system draws the title, often in bold, beside the window's
// icon and its buttons; it does not tell their size. This many line heights
// of the title's font leave room for an icon and three buttons with their
// gaps.
constexpr int kTitleBarLineHeights = 8;
constexpr int kPromptHeight = 60;

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
    FitTitle();
    resize(minimumWidth(), kPromptHeight);
    connect(BOK, &QPushButton::clicked, this, [this] { BOKClick(); });
}

void TFPasswortabfrage::FitTitle() {
    QFont titleFont = font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    const int width = metrics.horizontalAdvance(windowTitle()) + kTitleBarLineHeights * metrics.height();
    // A larger minimum also widens the dialog at once.
    setMinimumWidth(std::max(width, layout()->minimumSize().width()));
}

void TFPasswortabfrage::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange) FitTitle();
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
