#include "UHeadless.h"

#include "UCodepage.h"
#include "UCommandLine.h"
#include "UCriticalSections.h"
#include "UDrawCanvas.h"
#include "UFenster.h"
#include "UFehler.h"
#include "UFileErrors.h"
#include "UGerman.h"
#include "UInterpreter.h"
#include "UInterpreterMeldungen.h"
#include "UProgrammText.h"
#include "UQtDrawingWindowHost.h"
#include "UQtRaster.h"
#include "URegularFile.h"
#include "UScanner.h"
#include "UStandardfenster.h"
#include "UVariablenText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <new>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A program file larger than this is no pupil's program; refusing it keeps
// the runner from reading gigabytes into memory.
constexpr std::uintmax_t MaxFileSize = 64u * 1024u * 1024u;

// Terminal output is UTF-8; the system's texts are Windows-1252.
void PrintLine(std::ostream& out, const std::string& win1252) {
    out << Codepage::Win1252ToUtf8(win1252) << '\n';
}

std::optional<std::string> ReadFile(const std::string& name, std::string& problem) {
    auto refuse = [&](const QString& reason) -> std::optional<std::string> {
        problem = "Die Datei " + name + " kann nicht gelesen werden: " + reason.toStdString();
        return std::nullopt;
    };
    // The name's bytes as given: one that is not valid UTF-8 would not
    // survive a way through QString.
    QFile in;
    QString reason;
    if (!OpenRegularFile(QByteArray::fromStdString(name), in, &reason)) return refuse(reason);
    const qint64 size = in.size();
    if (size < 0) return refuse(QStringLiteral("Ihre Gr\u00F6\u00DFe ist nicht zu ermitteln."));
    if (static_cast<std::uintmax_t>(size) > MaxFileSize) {
        problem = "Die Datei " + name + " ist zu gro\xC3\x9F f\xC3\xBCr ein ZAK-Programm.";
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    if (size > 0 && in.read(text.data(), size) != size)
        return refuse(in.error() != QFileDevice::NoError ? FileErrorReason(in)
                                                         : QStringLiteral("Sie endet fr\u00FCher als erwartet."));
    return text;
}

// The surface's pixels, opaque, whatever canvas drew them.
QImage PictureOf(TSurface& surface) {
    QImage image = SurfaceImage(surface);
    if (!image.isNull() || surface.Width() <= 0 || surface.Height() <= 0) return image;
    image = QImage(surface.Width(), surface.Height(), QImage::Format_RGB32);
    TCanvas& canvas = surface.Canvas();
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x) {
            const TColor c = canvas.Pixel(x, y);
            image.setPixel(x, y, qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        }
    return image;
}

// Writes `image` as a PNG to `path`, replacing the file as a whole: it is
// written beside it under a temporary name and renamed to `path` only when
// complete, so a full disk leaves no half picture and a link planted in the
// file's place is replaced itself rather than followed. (QSaveFile would
// follow the link and replace its target.) Returns the reason of a failure,
// empty on success.
QString WritePicture(const QImage& image, const std::string& path) {
    QTemporaryFile file(QFile::decodeName(path.c_str()) + QStringLiteral(".XXXXXX"));
    if (!file.open()) return FileErrorReason(file);
    if (!image.save(&file, "PNG") || !file.flush()) return FileErrorReason(file);
    // The picture gets the rights a newly created file gets, not the
    // temporary file's private ones.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(file.handle(), 0666 & ~mask) != 0) return SystemErrorReason(errno);
    file.close();
    if (file.error() != QFileDevice::NoError) return FileErrorReason(file);
    if (::rename(QFile::encodeName(file.fileName()).constData(), path.c_str()) != 0) return SystemErrorReason(errno);
    file.setAutoRemove(false);
    return {};
}

// The final picture of every drawing window, the default window first; the
// paths of those written go to `written`. Returns the first problem (also
// printed, with every other one, on standard error); empty when all were
// written.
std::string WritePictures(const TInterpreter& interpreter, const std::string& dir, std::vector<std::string>& written) {
    std::string first;
    auto report = [&first](const std::string& problem) {
        std::cerr << problem << '\n';
        if (first.empty()) first = problem;
    };
    std::error_code made;
    std::filesystem::create_directories(dir, made);
    if (made) {
        report("Das Verzeichnis " + dir +
               " kann nicht angelegt werden: " + SystemErrorReason(made.value()).toStdString());
        return first;
    }
    int number = 0;
    for (TFenster* window : interpreter.Windows()) {
        TDrawCanvas* canvas = window->Canvas();
        if (!canvas) continue;
        std::string path = dir + "/fenster-" + std::to_string(++number) + ".png";
        const QString reason = WritePicture(PictureOf(canvas->Surface()), path);
        if (!reason.isEmpty())
            report("Das Bild " + path + " kann nicht geschrieben werden: " + reason.toStdString());
        else
            written.push_back(path);
    }
    return first;
}

// The offscreen platform as it comes, but without the window frames it
// pretends to draw: a drawing window of a headless run is all drawing area,
// 447 x 384 pixels, and its window object reads that same outer size.
// Returns false (and leaves the plain platform) when no file can be written.
bool UseFramelessOffscreen(QTemporaryFile& config) {
    config.setFileTemplate(QDir::tempPath() + "/zak-offscreen-XXXXXX.json");
    if (!config.open()) return false;
    const QByteArray json =
        R"({"synchronousWindowSystemEvents": false, "windowFrameMargins": false, "screens": [)"
        R"({"name": "", "x": 0, "y": 0, "width": 800, "height": 800, "logicalDpiX": 96, "logicalDpiY": 96,)"
        R"( "logicalBaseDpiX": 96, "logicalBaseDpiY": 96, "dpr": 1}]})";
    const QByteArray path = config.fileName().toLocal8Bit();
    // The platform argument is split at colons.
    if (config.write(json) != json.size() || !config.flush() || path.contains(':')) return false;
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + path);
    return true;
}

// Qt's own chatter (for example about a missing runtime directory on a
// server) would mix with the run's messages on standard error. What is left
// is Qt's own English and is marked as such.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg || type == QtCriticalMsg)
        std::cerr << "Schwerer Fehler in Qt: " << message.toStdString() << '\n';
}

// The run itself, once Qt and the locks are there; returns the exit status.
int RunProgram(const TCommandLine& options, std::vector<std::string> programLines) {
    int status = 0;
    TStringLines lines(std::move(programLines));
    TScanner scanner;
    scanner.Load(lines);
    TFehlerVerwaltung errorList;
    TInterpreter interpreter(scanner, NeedsDefaultWindow(lines), &errorList);
    interpreter.SetNoAttributeAssignment(options.ForbidAttributeAssignment);
    interpreter.SetMaxMemory(options.MaxMemoryMiB * 1024 * 1024);
    scanner.SkipBlanks();

    long long calls = 0;
    bool outOfMemory = false;
    try {
        while (!scanner.AtEnd() && !interpreter.ErrorFlag() && calls < options.MaxSteps) {
            interpreter.Step(false);
            ++calls;
        }
        interpreter.SettleOwedPaints();
    } catch (const std::bad_alloc&) {
        outOfMemory = true;
    } catch (const std::length_error&) {
        outOfMemory = true;
    }
    // What a step had built when the allocation failed is gone again, so
    // that the error can be recorded and the run ends as after any other.
    if (outOfMemory) interpreter.FailOutOfMemory();
    if (interpreter.ErrorFlag()) status = 1;
    else if (!scanner.AtEnd()) status = 3;

    // Exactly what the variables view would show: its first cells.
    std::vector<std::string> cells;
    if (options.Vars || options.Json) {
        cells = VariablenText::VariableCells(interpreter.VarSpace());
        cells.resize(std::min(cells.size(), std::size_t{VariablenText::MaxCells}));
        for (std::string& cell : cells) cell = VariablenText::StripMarks(cell);
    }
    std::vector<std::string> pictures;
    if (!options.Json) {
        if (const TFehler* error = interpreter.Error()) PrintLine(std::cout, error->ItemText());
        if (options.Vars)
            for (const std::string& cell : cells) PrintLine(std::cout, cell);
        std::cout.flush();
    }
    std::string pictureProblem;
    if (!options.PngDir.empty()) pictureProblem = WritePictures(interpreter, options.PngDir, pictures);
    // A run that ended well but left a picture unwritten is no success
    // for whoever waits for the pictures; other statuses say more.
    if (!pictureProblem.empty() && status == 0) status = 2;
    const std::string stopped = "Abgebrochen nach " + std::to_string(calls) + " Schritten.";
    if (status == 3) std::cerr << stopped << '\n';
    if (options.Json) {
        TJsonResult result;
        result.Status = status;
        result.Error = interpreter.Error();
        if (status == 3) {
            result.ProblemKind = "Schrittgrenze";
            result.Problem = stopped;
        } else if (status == 2) {
            result.ProblemKind = "Datei";
            result.Problem = pictureProblem;
        }
        for (const std::string& cell : cells) result.Variables.push_back(SplitVariableCell(cell));
        result.Pictures = std::move(pictures);
        std::cout << JsonText(result) << '\n';
        std::cout.flush();
    }
    return status;
}

// An allocation failed outside the steps (the program's text is too large
// for the memory there is): the message of a spent budget, without a place.
int RefuseMemory(const TCommandLine& options) {
    const std::string message = Codepage::Win1252ToUtf8(Meldung::ArbeitsspeicherReichtNicht);
    if (options.Json) PrintJsonProblem(1, "Laufzeitfehler", message);
    else std::cout << "Laufzeitfehler: " << message << '\n';
    std::cout.flush();
    return 1;
}

} // namespace

std::optional<std::string> ReadProgramFile(const std::string& name, std::string& problem) {
    return ReadFile(name, problem);
}

int RunHeadless(const TCommandLine& options, char* argv0) {
    std::string problem;
    std::optional<std::string> text = ReadFile(options.File, problem);
    if (!text) {
        return RefuseFile(options, problem);
    }

    TProgrammDatei file = ReadProgram(*text);
    text.reset();  // the lines hold the program from here on
    if (const std::string note = ConversionNote(file); !note.empty()) PrintLine(std::cerr, note);
    if (file.OtherVersion) PrintLine(std::cerr, "Dieses Programm wurde nicht f\xFCr ZAK 1.5 geschrieben.");
    FormatLines(file.Lines);

    // Drawing windows and canvases are the real ones, on a platform that
    // needs no display.
    QTemporaryFile platformConfig;
    if (!UseFramelessOffscreen(platformConfig)) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    int qtArgc = 1;
    char* qtArgv[] = {argv0, nullptr};
    QApplication application(qtArgc, qtArgv);
    // As in the IDE, so that a run here behaves exactly as one there.
    InstallGermanTexts(application);
    CriticalSections::Create();
    TQtDrawingWindowHost host;

    int status = 0;
    try {
        status = RunProgram(options, std::move(file.Lines));
    } catch (const std::bad_alloc&) {
        status = RefuseMemory(options);
    } catch (const std::length_error&) {
        status = RefuseMemory(options);
    }
    CriticalSections::Delete();
    return status;
}
