#include "URegularFile.h"

#include "UFileErrors.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why a file of this mode is refused; empty for a regular file.
QString KindProblem(mode_t mode) {
    if (S_ISREG(mode)) return {};
    if (S_ISDIR(mode)) return SystemErrorReason(EISDIR);
    return NotRegularFileReason();
}

}  // namespace

QString NotRegularFileReason() { return QStringLiteral("Sie ist keine gew\u00F6hnliche Datei."); }

bool OpenRegularFile(const QByteArray& nativePath, QFile& file, QString* error) {
    auto refuse = [&](const QString& reason) {
        if (error) *error = reason;
        return false;
    };
    if (file.isOpen()) file.close();
    // Looked at first, so that opening a device (which may already do
    // something, such as a modem line's) is never tried.
    struct stat before {};
    if (::stat(nativePath.constData(), &before) != 0) return refuse(SystemErrorReason(errno));
    if (QString problem = KindProblem(before.st_mode); !problem.isEmpty()) return refuse(problem);
    // Without blocking, for a FIFO put in the file's place since.
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return refuse(SystemErrorReason(errno));
    struct stat opened {};
    QString problem;
    if (::fstat(fd, &opened) != 0)
        problem = SystemErrorReason(errno);
    else
        problem = KindProblem(opened.st_mode);
    // A regular file reads the same either way; blocking is the usual mode.
    if (problem.isEmpty()) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) problem = SystemErrorReason(errno);
    }
    if (problem.isEmpty() && !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        problem = FileErrorReason(file);
    if (!problem.isEmpty()) {
        if (!file.isOpen()) ::close(fd);
        file.close();
        return refuse(problem);
    }
    return true;
}

bool OpenRegularFile(QFile& file, QString* error) {
    return OpenRegularFile(QFile::encodeName(file.fileName()), file, error);
}
