#include "AppTestSupport.h"
#include "RegisterFileType.h"
#include "UEinstellungen.h"
#include "UPasswortabfrage.h"
#include "USHControl.h"
#include "Uencrypt.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace {

class SettingsDialogTest : public ::testing::Test {
protected:
    template <typename T>
    T* Find(QWidget& parent, const char* name) {
        T* child = parent.findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    void Click(QWidget& parent, const char* name) { Find<QPushButton>(parent, name)->click(); }
    // Stores a password as OK would.
    void SetPassword(const QString& password) {
        settings.show();
        Find<QLineEdit>(settings, "EPasswort")->setText(password);
        Click(settings, "BOK");
    }

    bool appReady = (TestApp(), true);  // widgets need the application first
    TTempCurrentDir cwd;
    TScriptedDialogs dialogs;
    TDialogsOverride dialogsOverride{dialogs};
    TFEinstellungen settings;
    TFPasswortabfrage prompt{settings};
};

} // namespace

TEST_F(SettingsDialogTest, ControlsCarryTheirNamesAndTexts) {
    EXPECT_EQ(settings.windowTitle(), "Einstellungen");
    EXPECT_EQ(Find<QCheckBox>(settings, "CBKeineZuweisungZuAttributen")->text(),
              "Zuweisungen zu Attributen (z.B. r.links := 10) verbieten");
    EXPECT_EQ(Find<QPushButton>(settings, "BOK")->text(), "OK");
    EXPECT_EQ(Find<QPushButton>(settings, "BAbbrechen")->text(), "Abbrechen");
    EXPECT_EQ(Find<QPushButton>(settings, "BRegister")->text(), "Endung .zak registrieren");
    EXPECT_EQ(Find<QPushButton>(settings, "BDeregister")->text(),
              QString::fromUtf8("Änderungen der Registry wieder rückgängig machen"));
    EXPECT_EQ(Find<QGroupBox>(settings, "GBFileRegistrieren")->title(),
              "Endung \".zak\" beim Betriebssystem registrieren");
    const QStringList memo = Find<QPlainTextEdit>(settings, "Memo1")->toPlainText().split('\n');
    ASSERT_EQ(memo.size(), 8);
    EXPECT_TRUE(memo[0].endsWith("anmelden. Alle "));
    EXPECT_FALSE(memo[5].endsWith(' '));
    EXPECT_EQ(memo[7], QString::fromUtf8("die Änderungen an der Registry durchgeführt werden können."));
    QStringList labels;
    for (QLabel* label : settings.findChildren<QLabel*>()) labels << label->text();
    for (const char* text : {"Schriftgröße im Editor:", "Passwort:", "Arbeitsverzeichnis:",
                             "dieses Passworts aufrufen kann."})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
    EXPECT_TRUE(Find<QLineEdit>(settings, "ECharacterSize")->isReadOnly());
    EXPECT_EQ(Find<QSpinBox>(settings, "UDCharacterSize")->minimum(), 10);
    EXPECT_EQ(Find<QSpinBox>(settings, "UDCharacterSize")->maximum(), 30);
    EXPECT_EQ(Find<QLineEdit>(settings, "EPasswort")->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(prompt.windowTitle(), "Bitte geben Sie das Passwort ein:");
}

TEST_F(SettingsDialogTest, WithoutFileTheDialogOpensUnlockedWithDefaults) {
    settings.EinstellungenLaden();
    ShowSettings(settings, prompt);
    EXPECT_TRUE(settings.isVisible());
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_EQ(Find<QLineEdit>(settings, "ECharacterSize")->text(), "10");
    EXPECT_EQ(Find<QLineEdit>(settings, "EPasswort")->text(), "");
    EXPECT_EQ(Find<QLineEdit>(settings, "EArbeitsverzeichnis")->text(), "");
    EXPECT_FALSE(Find<QCheckBox>(settings, "CBKeineZuweisungZuAttributen")->isChecked());
}

TEST_F(SettingsDialogTest, OkStoresAppliesAndRestartsTheCheck) {
    TSHControl editor;
    int checks = 0;
    editor.OnTextChanged = [&] { ++checks; };
    settings.SetEditor(&editor);
    int applied = 0;
    settings.OnApplied = [&] { ++applied; };
    settings.show();
    Find<QSpinBox>(settings, "UDCharacterSize")->setValue(18);
    Find<QCheckBox>(settings, "CBKeineZuweisungZuAttributen")->setChecked(true);
    Click(settings, "BOK");
    EXPECT_FALSE(settings.isVisible());
    EXPECT_EQ(editor.FontSize(), 18);
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(applied, 1);
    EXPECT_TRUE(settings.NoAttributeAssignment());
    EXPECT_EQ(settings.FileName(), UserSettingsFile());
    EXPECT_NE(ReadBytes(settings.FileName()).find("[KeineZuweisungZuAttributen] true [Arbeitsverzeichnis][][Schriftgroesse] 18 "),
              std::string::npos);

    // Loading gives the stored size to the editor as well.
    editor.SetFontSize(10);
    TFEinstellungen other;
    other.SetEditor(&editor);
    other.EinstellungenLaden();
    EXPECT_EQ(editor.FontSize(), 18);
}

TEST_F(SettingsDialogTest, OkSaysWhenTheFileCannotBeWritten) {
    QDir().mkpath(UserSettingsFile());  // a folder where the file should be
    settings.show();
    Find<QLineEdit>(settings, "EPasswort")->setText("geheim");
    Click(settings, "BOK");
    EXPECT_FALSE(settings.isVisible());
    // The password holds for this session, and the user is told it will not last.
    EXPECT_EQ(settings.Password(), "geheim");
    ASSERT_EQ(dialogs.Of("Message").size(), 1u);
    EXPECT_EQ(dialogs.Of("Message")[0].Caption, "Meldung:");
    EXPECT_TRUE(dialogs.Of("Message")[0].Text.contains("zak.set"));
    EXPECT_TRUE(dialogs.Of("Message")[0].Text.contains("werden:\nDas ist ein Verzeichnis.\nSie gelten"))
        << dialogs.Of("Message")[0].Text.toStdString();

    // A file that can be written raises no message.
    QDir().rmdir(UserSettingsFile());
    settings.show();
    Click(settings, "BOK");
    EXPECT_EQ(dialogs.Of("Message").size(), 1u);
}

TEST_F(SettingsDialogTest, CancelForgetsTheEdits) {
    settings.show();
    Find<QLineEdit>(settings, "EArbeitsverzeichnis")->setText("/tmp/neu");
    Find<QSpinBox>(settings, "UDCharacterSize")->setValue(25);
    Click(settings, "BAbbrechen");
    EXPECT_FALSE(settings.isVisible());
    EXPECT_EQ(settings.WorkingDirectory(), "");
    EXPECT_TRUE(settings.FileName().isEmpty());
    settings.show();
    EXPECT_EQ(Find<QLineEdit>(settings, "EArbeitsverzeichnis")->text(), "");
    EXPECT_EQ(Find<QSpinBox>(settings, "UDCharacterSize")->value(), 10);
}

TEST_F(SettingsDialogTest, ArrowKeysMoveTheFontSizeWithinItsRange) {
    settings.show();
    QSpinBox* upDown = Find<QSpinBox>(settings, "UDCharacterSize");
    upDown->setValue(29);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
        QApplication::sendEvent(upDown, &up);
    }
    EXPECT_EQ(Find<QLineEdit>(settings, "ECharacterSize")->text(), "30");
}

TEST_F(SettingsDialogTest, ThePasswordGuardsTheDialog) {
    SetPassword("geheim");
    ShowSettings(settings, prompt);
    EXPECT_TRUE(prompt.isVisible());
    EXPECT_FALSE(settings.isVisible());

    QLineEdit* typed = Find<QLineEdit>(prompt, "EPass");
    typed->setText("falsch");
    Click(prompt, "BOK");
    ASSERT_EQ(dialogs.Of("Message").size(), 1u);
    EXPECT_EQ(dialogs.Of("Message")[0].Text, "Das Passwort war falsch.");
    EXPECT_EQ(dialogs.Of("Message")[0].Caption, "Meldung:");
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_FALSE(settings.isVisible());

    // No limit on attempts; the typed text stays for the next time.
    ShowSettings(settings, prompt);
    EXPECT_EQ(typed->text(), "falsch");
    typed->setText("geheim");
    Click(prompt, "BOK");
    EXPECT_TRUE(settings.isVisible());
    EXPECT_FALSE(prompt.isVisible());
    EXPECT_EQ(dialogs.Of("Message").size(), 1u);
}

TEST_F(SettingsDialogTest, TheBuiltInDefaultAlwaysOpens) {
    SetPassword("geheim");
    ShowSettings(settings, prompt);
    Find<QLineEdit>(prompt, "EPass")->setText(QString::fromLatin1(Unscramble(kDefaultPasswordScrambled)));
    Click(prompt, "BOK");
    EXPECT_TRUE(settings.isVisible());
    EXPECT_TRUE(dialogs.Of("Message").empty());
}

TEST_F(SettingsDialogTest, ASavedEmptyPasswordLeavesTheDialogOpen) {
    SetPassword("");
    TFEinstellungen loaded;
    TFPasswortabfrage loadedPrompt{loaded};
    loaded.EinstellungenLaden();
    ShowSettings(loaded, loadedPrompt);
    EXPECT_TRUE(loaded.isVisible());
    EXPECT_FALSE(loadedPrompt.isVisible());
}

TEST_F(SettingsDialogTest, RegistrationButtonsReport) {
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    std::vector<QString> tools;
    const TToolRunner previous = SetToolRunner([&](const QString& program, const QStringList&) { tools.push_back(program); });
    settings.ApplicationPath = [] { return QString("/opt/zak/zak"); };

    Click(settings, "BRegister");
    EXPECT_TRUE(QFile::exists(data.filePath("applications/zakfile.desktop")));
    Click(settings, "BDeregister");
    EXPECT_FALSE(QFile::exists(data.filePath("applications/zakfile.desktop")));
    const auto messages = dialogs.Of("Message");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].Text, "ZAK wurde in der Registry angemeldet.");
    EXPECT_EQ(messages[0].Caption, "Fertig!");
    EXPECT_EQ(messages[1].Text, QString::fromUtf8("Alle ZAK-Einträge in der Registry wurden entfernt"));
    EXPECT_EQ(messages[1].Caption, "Fertig!");

    // A data directory that is a file cannot take the registration: no
    // success is claimed.
    QTemporaryDir blocked;
    WriteBytes(blocked.filePath("datei"), "x");
    qputenv("XDG_DATA_HOME", blocked.filePath("datei").toUtf8());
    Click(settings, "BRegister");
    ASSERT_EQ(dialogs.Of("Message").size(), 3u);
    EXPECT_EQ(dialogs.Of("Message")[2].Caption, "Fehler");
    EXPECT_TRUE(dialogs.Of("Message")[2].Text.contains(blocked.filePath("datei"))) << dialogs.Of("Message")[2].Text.toStdString();

    SetToolRunner(previous);
    qputenv("XDG_DATA_HOME", TestDataHome());
}

// The window system writes the prompt's title across the dialog's width,
// often in bold: at every font size up to the largest the settings offer,
// the whole title fits with room for a title bar's icon and buttons, in a
// prompt made at that size and in one whose font grows while it exists.
TEST_F(SettingsDialogTest, ThePromptIsWideEnoughForItsTitleAtEveryFontSize) {
    const QFont original = QApplication::font();
    const auto restore = qScopeGuard([&original] { QApplication::setFont(original); });
    for (int points = 8; points <= Find<QSpinBox>(settings, "UDCharacterSize")->maximum(); points += 2) {
        SCOPED_TRACE(points);
        QFont font = original;
        font.setPointSize(points);
        QApplication::setFont(font);
        font.setBold(true);
        const QFontMetrics metrics(font);
        const int needed = metrics.horizontalAdvance(prompt.windowTitle()) + 3 * metrics.height();
        EXPECT_GE(prompt.width(), needed);
        TFPasswortabfrage fresh(settings);
        EXPECT_GE(fresh.width(), needed);
        fresh.show();
        QApplication::processEvents();
        EXPECT_GE(fresh.width(), needed);
    }
}
