#pragma once
// Opening a file for reading only when it is a regular file. A FIFO blocks
// the opening (and every read) until some writer comes, a device such as
// /dev/zero never ends and reports a size of 0: either would freeze the
// window or a headless run. Every place that reads a file the user or the
// system may have put there (programs, settings, recovery copies) opens it
// here.

#include <QString>

class QFile;

// The reason given for anything but a regular file, as a German sentence.
QString NotRegularFileReason();

// Opens the file named by `nativePath` (the bytes as the system takes them)
// read-only into `file`. The kind is checked before opening, the opening
// itself cannot block, and the kind is checked again on what was opened. A
// directory gets the system's reason for one; any other kind that is not a
// regular file gets NotRegularFileReason(). On failure `file` stays closed
// and `error`, where given, holds the reason. The file is opened on the
// descriptor checked, so that its fileName() is empty from then on: it is
// removed or renamed by its path.
bool OpenRegularFile(const QByteArray& nativePath, QFile& file, QString* error = nullptr);

// The same for the name `file` was made with.
bool OpenRegularFile(QFile& file, QString* error = nullptr);
