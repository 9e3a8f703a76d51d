#pragma once
// Association of a file extension with this program, the freedesktop way, in
// the user's data directory ($XDG_DATA_HOME, else ~/.local/share):
//   mime/packages/<ext>file.xml                   the MIME type text/x-<ext> with the glob *.<ext>
//   applications/<ext>file.desktop                 opens such files with the program
//   icons/hicolor/48x48/mimetypes/text-x-<ext>.png the files' icon
// then the desktop's caches are refreshed with update-mime-database,
// update-desktop-database and xdg-mime where these tools exist. Missing
// tools are skipped silently; they only make the change visible sooner.
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Writes the three files and refreshes the caches. False when a file could
// not be written or the desktop entry read back does not start the program;
// `error` then names the path and the reason. Registering
// again rewrites the same files.
bool RegisterFileType(const QString& extension, const QString& applicationPath,
                      QString* error = nullptr);
// Removes exactly the three files, if present, and refreshes the caches
// when it removed any.
// False with the path and reason when a file exists but cannot be removed.
bool DeregisterFileType(const QString& extension, QString* error = nullptr);

// The directory the files go below.
QString UserDataDirectory();
// The files, relative to UserDataDirectory(), in the order above.
QStringList RegistrationFiles(const QString& extension);
// The Exec value of the desktop entry: the program, quoted where the
// Desktop Entry rules require, and the field code %f for the document.
// A program whose path holds a "%" is started through /bin/sh, since GLib
// would look for it under its path as written, "%%" and all.
QString DesktopExecValue(const QString& applicationPath);
// The arguments an Exec value stands for, as a launcher reads them: the key
// file's escapes resolved, split at blanks outside double quotes, a
// backslash in quotes taking the next character literally; with `expand`,
// "%%" becomes "%" and "%f" the `document`, without it both stay as they
// are (as GLib's loader reads the program). Nothing for a quote left open or
// another field code.
std::optional<QStringList> DesktopExecArguments(const QString& value, const QString& document, bool expand);

// Runs a desktop tool by name with its arguments. The default looks the
// program up in PATH, skips it when absent and waits for it to end.
using TToolRunner = std::function<void(const QString& program, const QStringList& arguments)>;
// Installs a runner (an empty one restores the default); returns the old one.
TToolRunner SetToolRunner(TToolRunner runner);
