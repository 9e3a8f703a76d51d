#pragma once
// The reason of a failed file operation as a short German sentence, for
// example "Zugriff verweigert.". Qt passes the system's reason through in
// English (or in the system's language); every message about a file that
// cannot be read or written gives ours instead.

#include <QString>

class QFileDevice;

// Why the last operation on `file` failed.
QString FileErrorReason(const QFileDevice& file);

// The same for an error number (errno) reported by the system.
QString SystemErrorReason(int errorNumber);
