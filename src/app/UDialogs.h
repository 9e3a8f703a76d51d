#pragma once
// Every message box, file dialog, printer setup and browser call of the
// shell goes through the current TDialogs, so that a test (or a headless
// caller) can answer them without a person. The default shows Qt's dialogs.
#include <QList>
#include <QString>

class QFileDialog;
class QPrinter;
class QUrl;
class QWidget;

enum class TMessageIcon { None, Information, Warning, Question };
enum class TAnswer { Ok, Cancel, Yes, No };

// A folder the open dialog offers beside the user's own places.
struct TPlace {
    QString Name;
    QString Path;
};

class TDialogs {
public:
    virtual ~TDialogs() = default;

    // A message with an OK button.
    virtual void Message(QWidget* parent, const QString& text, const QString& caption,
                         TMessageIcon icon = TMessageIcon::None);
    // OK and Cancel with the warning symbol: Ok or Cancel.
    virtual TAnswer Confirm(QWidget* parent, const QString& text, const QString& caption);
    // Yes, No and Cancel: Yes, No or Cancel (closing the box counts as Cancel).
    virtual TAnswer Ask(QWidget* parent, const QString& text, const QString& caption);

    // An empty result means the user cancelled. `filter` is in Qt's form
    // ("ZAK-Programme (*.zak)"); `defaultSuffix` is appended by the save
    // dialog when the user types a name without one. `places` go into the
    // open dialog's side bar under their names (a desktop's own dialog may
    // show them by their folder names).
    virtual QString OpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter, const QList<TPlace>& places = {});
    virtual QString SaveFileName(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& proposedName, const QString& filter,
                                 const QString& defaultSuffix);

    // The printer setup: the user picks a printer (or a PDF file) and its
    // paper. False when cancelled; the printer is then unchanged.
    virtual bool PrinterSetup(QWidget* parent, QPrinter& printer);

    // Opens a web page in the system's browser; false when none could be started.
    virtual bool OpenUrl(const QUrl& url);
};

// Makes Qt's own file dialog (where the desktop offers none) write the
// sizes and dates of its files in German.
void UseGermanFileDetails(QFileDialog& dialog);
// Makes Qt's own file dialog large enough that every detail column shows
// its texts in full and the side bar its place names without a scroll bar;
// the columns grow again when a folder's rows need more. Call it when the
// side bar has its places and names.
void FitFileDialog(QFileDialog& dialog);

// The dialogs in force; the default ones unless a replacement is installed.
TDialogs& Dialogs();
// Installs `dialogs` (not owned; nullptr restores the default) and returns
// the one it replaces.
TDialogs* SetDialogs(TDialogs* dialogs);

// Installs a replacement for the lifetime of a scope.
class TDialogsOverride {
public:
    explicit TDialogsOverride(TDialogs& dialogs) : FPrevious(SetDialogs(&dialogs)) {}
    ~TDialogsOverride() { SetDialogs(FPrevious); }
    TDialogsOverride(const TDialogsOverride&) = delete;
    TDialogsOverride& operator=(const TDialogsOverride&) = delete;

private:
    TDialogs* FPrevious;
};
