#pragma once
// The settings dialog: the editor's font size, the password that locks this
// dialog, the option that forbids assignments to attributes and the working
// directory for opening programs; it also carries the buttons of the file
// type registration. The settings live in "zak.set": the first found of
// SettingsSearchPath(), so that an administrator's file in /etc/xdg/zak
// holds for a whole computer lab.
//
// Created once at start and only shown and hidden afterwards. Settings
// change only through OK and through loading the file.
#include "USettingsFile.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class TLoadSave;
class TSHControl;

inline constexpr const char* kSettingsFileName = "zak.set";

class TFEinstellungen : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMinFontSize = SettingsFile::kMinFontSize;
    static constexpr int kMaxFontSize = 30;

    explicit TFEinstellungen(QWidget* parent = nullptr);
    ~TFEinstellungen() override;

    // The editor that receives the font size and whose syntax check is
    // restarted when OK changes the option. May stay unset.
    void SetEditor(TSHControl* editor) { FEditor = editor; }

    // The password in plain form; empty means the dialog is not locked.
    const QString& Password() const { return FPassword; }
    // "KeineZuweisungZuAttributen"; safe to read from the syntax-check thread.
    bool NoAttributeAssignment() const { return FNoAttributeAssignment.load(); }
    const QString& WorkingDirectory() const { return FWorkingDirectory; }
    int FontSize() const { return FFontSize; }

    // Reads the first settings file of SettingsSearchPath(); none leaves the
    // dialog unlocked and the other settings as they are. Gives the font
    // size to the editor and puts the settings into the controls.
    void EinstellungenLaden();
    // Writes the file read when it can be written, otherwise (and when none
    // was read) the user's own UserSettingsFile(); false when neither could
    // be written, which leaves older files as they were.
    bool EinstellungenSpeichern();
    // The settings file in use: the one read or last written; empty before.
    const QString& FileName() const { return FFileName; }
    void VarToScreen();
    void ScreenToVar();

    // The running program's path, for the file type registration; tests
    // replace it.
    std::function<QString()> ApplicationPath;
    // Called after OK has stored the settings, so the owner can pass the
    // option on (the editor is served by SetEditor already).
    std::function<void()> OnApplied;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    bool WriteFile(const QString& path);
    void BOKClick();
    void BAbbrechenClick();
    void BRegisterClick();
    void BDeregisterClick();

    std::unique_ptr<TLoadSave> FLoadSave;
    QString FFileName;
    QString FTriedFileName;  // the last file a save tried, for its message
    QString FSaveError;
    TSHControl* FEditor = nullptr;

    QString FPassword;
    std::atomic<bool> FNoAttributeAssignment{false};
    QString FWorkingDirectory;
    int FFontSize = kMinFontSize;

    QSpinBox* UDCharacterSize = nullptr;
    QLineEdit* ECharacterSize = nullptr;
    QGroupBox* GBFileRegistrieren = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* BRegister = nullptr;
    QPushButton* BDeregister = nullptr;
    QLineEdit* EPasswort = nullptr;
    QCheckBox* CBKeineZuweisungZuAttributen = nullptr;
    QLineEdit* EArbeitsverzeichnis = nullptr;
    QPushButton* BOK = nullptr;
    QPushButton* BAbbrechen = nullptr;
};

// Where the settings file is looked for, in this order: "zak.set" in the
// current directory (as always), UserSettingsFile(), then zak/zak.set in
// each folder of $XDG_CONFIG_DIRS (default /etc/xdg). Absolute paths.
QStringList SettingsSearchPath();
// $XDG_CONFIG_HOME/zak/zak.set, by default ~/.config/zak/zak.set.
QString UserSettingsFile();

// The settings file holds bytes. Text that Windows-1252 can hold is stored
// in it, as older settings files are; anything else is stored as UTF-8.
// Reading takes bytes that form valid UTF-8 with a non-ASCII character as
// UTF-8 and everything else as Windows-1252.
std::string SettingsBytes(const QString& text);
QString SettingsText(const std::string& bytes);
