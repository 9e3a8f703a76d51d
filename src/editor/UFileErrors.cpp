#include "UFileErrors.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDevice>

#include <cerrno>
#include <cstring>
#include <initializer_list>

#include <unistd.h>

namespace {

// The errors a file operation of ZAK can meet, with our words for them.
struct TReason {
    int Number;
    const char* Text;
};

const TReason Reasons[] = {
    {EACCES, "Zugriff verweigert."},
    {EPERM, "Zugriff verweigert."},
    {ENOSPC, "Kein Platz mehr auf dem Datentr\u00E4ger."},
    {EDQUOT, "Der zugeteilte Speicherplatz ist aufgebraucht."},
    {EROFS, "Der Datentr\u00E4ger ist schreibgesch\u00FCtzt."},
    {ENOENT, "Die Datei oder das Verzeichnis gibt es nicht."},
    {ENOTDIR, "Ein Teil des Pfades ist kein Verzeichnis."},
    {EISDIR, "Das ist ein Verzeichnis."},
    {ENAMETOOLONG, "Der Dateiname ist zu lang."},
    {EINVAL, "Der Dateiname ist hier nicht erlaubt."},
    {EEXIST, "Die Datei gibt es schon."},
    {ELOOP, "Der Pfad enth\u00E4lt zu viele Verkn\u00FCpfungen."},
    {EMFILE, "Es sind zu viele Dateien ge\u00F6ffnet."},
    {ENFILE, "Es sind zu viele Dateien ge\u00F6ffnet."},
    {EFBIG, "Die Datei wird zu gro\u00DF."},
    {EIO, "Der Datentr\u00E4ger meldet einen Ein-/Ausgabefehler."},
    {EBUSY, "Die Datei wird gerade benutzt."},
    {ETXTBSY, "Die Datei wird gerade benutzt."},
    {ENOMEM, "Der Arbeitsspeicher reicht nicht aus."},
    {ENXIO, "Das Ger\u00E4t ist nicht erreichbar."},
    {ENODEV, "Das Ger\u00E4t ist nicht erreichbar."},
    {ESTALE, "Die Verbindung zum Netzlaufwerk ist unterbrochen."},
    {ENOTCONN, "Die Verbindung zum Netzlaufwerk ist unterbrochen."},
    {ETIMEDOUT, "Das Netzlaufwerk antwortet nicht."},
    {EXDEV, "Die Datei kann nicht auf einen anderen Datentr\u00E4ger verschoben werden."},
    {EAGAIN, "Die Datei ist gerade gesperrt."},
    {EINTR, "Der Vorgang wurde unterbrochen."},
};

// The text Qt hands on for an error number: four of its own, the C
// library's (in the process's language) for the rest.
QStringList QtTexts(int number) {
    const char* own = nullptr;
    switch (number) {
    case EACCES: own = "Permission denied"; break;
    case EMFILE: own = "Too many open files"; break;
    case ENOENT: own = "No such file or directory"; break;
    case ENOSPC: own = "No space left on device"; break;
    default: break;
    }
    if (own) return {QString::fromLatin1(own), QCoreApplication::translate("QIODevice", own)};
    return {QString::fromLocal8Bit(std::strerror(number)).trimmed()};
}

bool Matches(const QString& text, std::initializer_list<QString> candidates) {
    for (const QString& candidate : candidates)
        if (!candidate.isEmpty() && text == candidate) return true;
    return false;
}

QString Translated(const char* context, const char* text) {
    return QCoreApplication::translate(context, text);
}

// What the kind of failure says when the reason itself is not known.
QString ReasonOfKind(QFileDevice::FileError kind) {
    switch (kind) {
    case QFileDevice::NoError: break;
    case QFileDevice::ReadError: return QStringLiteral("Die Datei kann nicht gelesen werden.");
    case QFileDevice::WriteError: return QStringLiteral("Die Datei kann nicht geschrieben werden.");
    case QFileDevice::OpenError: return QStringLiteral("Die Datei kann nicht ge\u00F6ffnet werden.");
    case QFileDevice::RemoveError: return QStringLiteral("Die Datei kann nicht gel\u00F6scht werden.");
    case QFileDevice::RenameError: return QStringLiteral("Die Datei kann nicht umbenannt werden.");
    case QFileDevice::CopyError: return QStringLiteral("Die Datei kann nicht kopiert werden.");
    case QFileDevice::ResizeError: return QStringLiteral("Die Gr\u00F6\u00DFe der Datei kann nicht ge\u00E4ndert werden.");
    case QFileDevice::PermissionsError:
        return QStringLiteral("Die Zugriffsrechte der Datei k\u00F6nnen nicht ge\u00E4ndert werden.");
    case QFileDevice::PositionError: return QStringLiteral("Die Datei kann nicht an dieser Stelle gelesen werden.");
    case QFileDevice::AbortError: return QStringLiteral("Der Vorgang wurde abgebrochen.");
    case QFileDevice::TimeOutError: return QStringLiteral("Die Zeit f\u00FCr den Vorgang ist abgelaufen.");
    case QFileDevice::FatalError:
    case QFileDevice::ResourceError:
    case QFileDevice::UnspecifiedError: break;
    }
    return QStringLiteral("Unbekannter Fehler.");
}

} // namespace

QString SystemErrorReason(int errorNumber) {
    for (const TReason& reason : Reasons)
        if (reason.Number == errorNumber) return QString::fromUtf8(reason.Text);
    return QStringLiteral("Das System meldet den Fehler Nr. %1.").arg(errorNumber);
}

QString FileErrorReason(const QFileDevice& file) {
    const QString text = file.errorString().trimmed();
    if (!text.isEmpty()) {
        for (const TReason& reason : Reasons)
            for (const QString& qtText : QtTexts(reason.Number))
                if (text == qtText) return QString::fromUtf8(reason.Text);
        // Qt's own words for the few failures it finds before asking the
        // system.
        const char* directory = "file to open is a directory";
        const char* saveDirectory = "Filename refers to a directory";
        const char* notWritable = "Existing file %1 is not writable";
        if (Matches(text, {QString::fromLatin1(directory), Translated("QIODevice", directory),
                           QString::fromLatin1(saveDirectory), Translated("QSaveFile", saveDirectory)}))
            return SystemErrorReason(EISDIR);
        if (Matches(text, {QString::fromLatin1(notWritable).arg(file.fileName()),
                           Translated("QSaveFile", notWritable).arg(file.fileName())})) {
            // Qt found the file not writable without saying why; the system
            // tells a read-only medium from a forbidden file.
            const int why = ::access(QFile::encodeName(file.fileName()).constData(), W_OK) == 0 ? EACCES : errno;
            return SystemErrorReason(why);
        }
    }
    return ReasonOfKind(file.error());
}
