#pragma once
// Windows-1252 bytes <-> QString, for everything the Qt layer shows or takes
// from the screen, the clipboard and file names.
#include <QString>
#include <string>

QString ToQString(const std::string& win1252);
// Characters without a Windows-1252 code become '?'.
std::string FromQString(const QString& text);
