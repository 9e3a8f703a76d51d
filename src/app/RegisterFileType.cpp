#include "RegisterFileType.h"

#include "UEmblem.h"
#include "UFileErrors.h"
#include "URegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <filesystem>
#include <optional>
#include <system_error>

namespace {

constexpr int kToolTimeoutMs = 30000;

void RunInstalledTool(const QString& program, const QStringList& arguments) {
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) return;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(path, arguments);
    if (!process.waitForStarted()) return;
    if (!process.waitForFinished(kToolTimeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
}

TToolRunner& Runner() {
    static TToolRunner runner = RunInstalledTool;
    return runner;
}

QString MimeType(const QString& ext) { return "text/x-" + ext; }
QString MimeIconName(const QString& ext) { return "text-x-" + ext; }
QString DesktopFileName(const QString& ext) { return ext + "file.desktop"; }

// The extension becomes part of file names, a MIME type and XML: only
// letters, digits and a few marks are allowed.
bool ValidExtension(const QString& ext) {
    static const QRegularExpression pattern("^[A-Za-z0-9_+-]+$");
    return pattern.match(ext).hasMatch();
}

// The package the installed program ships (compiled in), so that both
// describe .zak files alike; another extension gets its own names in it.
QByteArray MimePackage(const QString& ext) {
    QFile shipped(QStringLiteral(":/mime/zak.xml"));
    if (!shipped.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromUtf8(shipped.readAll());
    text.replace(QStringLiteral("\"text/x-zak\""), '"' + MimeType(ext) + '"')
        .replace(QStringLiteral("\"text-x-zak\""), '"' + MimeIconName(ext) + '"')
        .replace(QStringLiteral("\"*.zak\""), "\"*." + ext + '"');
    return text.toUtf8();
}

// One argument of the Exec value: quoted where it holds a character the
// Desktop Entry rules reserve (then " ` $ \ take a backslash), every "%"
// doubled.
QString ExecArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool quote = argument.isEmpty();
    for (QChar c : argument)
        if (reserved.contains(c)) quote = true;
    QString written;
    if (quote) {
        written = "\"";
        for (QChar c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') written += '\\';
            written += c;
        }
        written += '"';
    } else {
        written = argument;
    }
    return written.replace("%", "%%");
}

QByteArray DesktopEntry(const QString& ext, const QString& applicationPath) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=ZAK\n"
               "Comment=ZAK-Programme bearbeiten und ausführen\n"
               "Exec=%1\n"
               "Icon=%2\n"
               "MimeType=%3;\n"
               "Terminal=false\n"
               "NoDisplay=true\n")
        .arg(DesktopExecValue(applicationPath), MimeIconName(ext), MimeType(ext))
        .toUtf8();
}

bool WriteFile(const QString& path, const QByteArray& contents, QString* error) {
    const QString directory = QFileInfo(path).absolutePath();
    // Made by the standard library, which tells why it could not.
    std::error_code made;
    std::filesystem::create_directories(QFile::encodeName(directory).toStdString(), made);
    if (made) {
        if (error)
            *error = directory + ": Das Verzeichnis kann nicht angelegt werden. " + SystemErrorReason(made.value());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.commit()) {
        if (error) *error = path + ": " + FileErrorReason(file);
        return false;
    }
    return true;
}

// Whether the entry written at `path` starts `applicationPath` with a
// document as a launcher reads it, and names as its program (for the
// loader, which takes the first argument as written) the one launched.
bool EntryStartsProgram(const QString& path, const QString& applicationPath) {
    QFile file(path);
    if (!OpenRegularFile(file)) return false;
    const QString document = QStringLiteral("/Ein \"Dokument\" mit $ und %.zak");
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        if (!line.startsWith(QLatin1String("Exec="))) continue;
        const QString value = line.mid(5);
        const std::optional<QStringList> launched = DesktopExecArguments(value, document, true);
        const std::optional<QStringList> loaded = DesktopExecArguments(value, {}, false);
        if (!launched || !loaded || loaded->isEmpty() || launched->isEmpty() || loaded->first() != launched->first())
            return false;
        return *launched == QStringList{applicationPath, document} ||
               *launched == QStringList{"/bin/sh", "-c", "exec \"$0\" \"$@\"", applicationPath, document};
    }
    return false;
}

void RefreshCaches(const QString& dataDirectory, const QString& ext, bool registered) {
    Runner()("update-mime-database", {dataDirectory + "/mime"});
    Runner()("update-desktop-database", {dataDirectory + "/applications"});
    if (registered) Runner()("xdg-mime", {"default", DesktopFileName(ext), MimeType(ext)});
}

} // namespace

QString UserDataDirectory() {
    const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
    // Relative paths are invalid there and must be ignored.
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured)) return QDir::cleanPath(configured);
    return QDir::homePath() + "/.local/share";
}

QStringList RegistrationFiles(const QString& ext) {
    return {"mime/packages/" + ext + "file.xml", "applications/" + DesktopFileName(ext),
            "icons/hicolor/48x48/mimetypes/" + MimeIconName(ext) + ".png"};
}

QString DesktopExecValue(const QString& applicationPath) {
    QString command;
    // GLib's loader looks for the program of the first argument as written,
    // "%%" not yet made "%": a program whose path holds a "%" is not found
    // and the whole entry is refused. The shell, which is found, then starts
    // the program, handed to it as an argument like the document.
    if (applicationPath.contains('%'))
        command = ExecArgument(QStringLiteral("/bin/sh")) + " -c " +
                  ExecArgument(QStringLiteral("exec \"$0\" \"$@\"")) + ' ' + ExecArgument(applicationPath);
    else
        command = ExecArgument(applicationPath);
    command += " %f";
    // The value is a string of the key file, whose own escapes come on top.
    QString value;
    for (QChar c : command) {
        if (c == '\\') value += "\\\\";
        else if (c == '\n') value += "\\n";
        else if (c == '\t') value += "\\t";
        else if (c == '\r') value += "\\r";
        else value += c;
    }
    return value;
}

std::optional<QStringList> DesktopExecArguments(const QString& value, const QString& document, bool expand) {
    // The key file's escapes first.
    QString command;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            command += value[i];
            continue;
        }
        const QChar next = value[++i];
        command += next == 'n'   ? QChar('\n')
                   : next == 't' ? QChar('\t')
                   : next == 'r' ? QChar('\r')
                   : next == 's' ? QChar(' ')
                                 : next;
    }
    QStringList arguments;
    QString argument;
    bool inArgument = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (c == ' ') {
            if (inArgument) arguments << argument;
            argument.clear();
            inArgument = false;
        } else if (c == '"') {
            inArgument = true;
            for (++i; i < command.size() && command[i] != '"'; ++i) {
                if (command[i] == '\\' && i + 1 < command.size())
                    ++i;
                else if (expand && command[i] == '%' && i + 1 < command.size() && command[i + 1] == '%')
                    ++i;
                argument += command[i];
            }
            if (i == command.size()) return std::nullopt;  // no closing quote
        } else if (c == '%' && expand) {
            if (i + 1 == command.size()) return std::nullopt;
            const QChar code = command[++i];
            if (code == '%')
                argument += '%';
            else if (code == 'f')
                argument += document;
            else
                return std::nullopt;
            inArgument = true;
        } else {
            inArgument = true;
            argument += c;
        }
    }
    if (inArgument) arguments << argument;
    return arguments;
}

bool RegisterFileType(const QString& ext, const QString& applicationPath, QString* error) {
    if (!ValidExtension(ext)) {
        if (error) *error = ext + ": Diese Endung kann nicht registriert werden.";
        return false;
    }
    const QString data = UserDataDirectory();
    const QStringList files = RegistrationFiles(ext);
    const QByteArray contents[] = {MimePackage(ext), DesktopEntry(ext, applicationPath), EmblemPng(48)};
    // Every file is attempted, so one unwritable directory spoils no other
    // part; the first failure is the one reported.
    bool ok = true;
    for (int i = 0; i < files.size(); ++i) {
        QString reason;
        if (!WriteFile(data + '/' + files[i], contents[i], &reason)) {
            if (ok && error) *error = reason;
            ok = false;
        }
    }
    const QString entry = data + '/' + files[1];
    if (ok && !EntryStartsProgram(entry, applicationPath)) {
        if (error) *error = entry + ": Der Desktop kann den geschriebenen Eintrag nicht laden.";
        ok = false;
    }
    RefreshCaches(data, ext, true);
    return ok;
}

bool DeregisterFileType(const QString& ext, QString* error) {
    if (!ValidExtension(ext)) return true;
    const QString data = UserDataDirectory();
    bool ok = true;
    bool removed = false;
    for (const QString& name : RegistrationFiles(ext)) {
        QFile file(data + '/' + name);
        if (!file.exists()) continue;
        if (file.remove()) {
            removed = true;
        } else {
            if (ok && error) *error = file.fileName() + ": " + FileErrorReason(file);
            ok = false;
        }
    }
    // The tools would (re)build caches even where nothing was registered.
    if (removed) RefreshCaches(data, ext, false);
    return ok;
}

TToolRunner SetToolRunner(TToolRunner runner) {
    TToolRunner previous = Runner();
    Runner() = runner ? std::move(runner) : TToolRunner(RunInstalledTool);
    return previous;
}
