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
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

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
    // A directory opens as a stream of unknown size on some systems.
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) return refuse(SystemErrorReason(EISDIR));
    errno = 0;
    std::ifstream in(name, std::ios::binary);
    if (!in) return refuse(errno != 0 ? SystemErrorReason(errno) : QStringLiteral("Unbekannter Fehler."));
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || !in) return refuse(QStringLiteral("Ihre Gr\u00F6\u00DFe ist nicht zu ermitteln."));
    if (static_cast<std::uintmax_t>(size) > MaxFileSize) {
        problem = "Die Datei " + name + " ist zu gro\xC3\x9F f\xC3\xBCr ein ZAK-Programm.";
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    errno = 0;
    if (size > 0 && !in.read(text.data(), size))
        return refuse(errno != 0 ? SystemErrorReason(errno) : QStringLiteral("Sie endet fr\u00FCher als erwartet."));
    return text;
}

QImage SurfaceImage(TSurface& surface) {
    QImage image(surface.Width(), surface.Height(), QImage::Format_RGB32);
    TCanvas& canvas = surface.Canvas();
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x) {
            TColor c = canvas.Pixel(x, y);
            image.setPixel(x, y, qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        }
    return image;
}

// The final picture of every drawing window, the default window first; the
// paths of those written go to `written`.
bool WritePictures(const TInterpreter& interpreter, const std::string& dir, std::vector<std::string>& written) {
    std::error_code made;
    std::filesystem::create_directories(dir, made);
    if (made) {
        std::cerr << "Das Verzeichnis " << dir << " kann nicht angelegt werden: "
                  << SystemErrorReason(made.value()).toStdString() << '\n';
        return false;
    }
    int number = 0;
    bool ok = true;
    for (TFenster* window : interpreter.Windows()) {
        TDrawCanvas* canvas = window->Canvas();
        if (!canvas) continue;
        std::string path = dir + "/fenster-" + std::to_string(++number) + ".png";
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::WriteOnly) || !SurfaceImage(canvas->Surface()).save(&file, "PNG") ||
            !file.flush()) {
            std::cerr << "Das Bild " << path << " kann nicht geschrieben werden: "
                      << FileErrorReason(file).toStdString() << '\n';
            ok = false;
        } else {
            written.push_back(path);
        }
    }
    return ok;
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
    if (!options.PngDir.empty()) WritePictures(interpreter, options.PngDir, pictures);
    const std::string stopped = "Abgebrochen nach " + std::to_string(calls) + " Schritten.";
    if (status == 3) std::cerr << stopped << '\n';
    if (options.Json) {
        TJsonResult result;
        result.Status = status;
        result.Error = interpreter.Error();
        if (status == 3) {
            result.ProblemKind = "Schrittgrenze";
            result.Problem = stopped;
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
    if (options.Json) {
        TJsonResult result;
        result.Status = 1;
        result.ProblemKind = "Laufzeitfehler";
        result.Problem = message;
        std::cout << JsonText(result) << '\n';
    } else {
        std::cout << "Laufzeitfehler: " << message << '\n';
    }
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

    TProgrammDatei file = SplitProgram(*text);
    text.reset();  // the lines hold the program from here on
    if (!HeaderFitsVersion(file.Header))
        PrintLine(std::cerr, "Dieses Programm wurde nicht f\xFCr ZAK 1.5 geschrieben.");
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
