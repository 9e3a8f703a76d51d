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

// Writes the three files and refreshes the caches. False when a file could
// not be written; `error` then names the path and the reason. Registering
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
QString DesktopExecValue(const QString& applicationPath);

// Runs a desktop tool by name with its arguments. The default looks the
// program up in PATH, skips it when absent and waits for it to end.
using TToolRunner = std::function<void(const QString& program, const QStringList& arguments)>;
// Installs a runner (an empty one restores the default); returns the old one.
TToolRunner SetToolRunner(TToolRunner runner);
