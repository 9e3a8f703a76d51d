// ZAK under a real window manager (openbox on a virtual X server): the
// frames of its windows lie on the screen, and a pupil who starts a program
// and presses F9 at once sees it run. The IDE runs as its own process and
// is driven as a pupil drives it, with the mouse and the keyboard; the
// test is skipped where the X tools or the window manager are missing.
#include "AppTestSupport.h"

#include "UMain.h"
#include "UVersion.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

constexpr int ScreenWidth = 1024;
constexpr int ScreenHeight = 768;
constexpr int WaitMs = 20000;  // for each thing the X server, openbox or ZAK must do

// Calls `done` every 50 ms until it holds or `ms` have passed.
bool WaitFor(const std::function<bool()>& done, int ms = WaitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QThread::msleep(50);
    }
    return true;
}

// A virtual screen with openbox on it, and the programs started there.
class TXSession {
public:
    ~TXSession() {
        // The last one started goes first: ZAK, then openbox, then the server.
        for (auto it = Started.rbegin(); it != Started.rend(); ++it) {
            (*it)->kill();
            (*it)->waitForFinished(5000);
            delete *it;
        }
    }

    // Empty when the X server or openbox cannot be started here.
    QString Start() {
        auto* server = Launch(QStringLiteral("Xvfb"),
                              {"-displayfd", "1", "-screen", "0",
                               QStringLiteral("%1x%2x24").arg(ScreenWidth).arg(ScreenHeight), "-nolisten", "tcp",
                               "-dpi", "96"},
                              QProcessEnvironment::systemEnvironment());
        if (!server->waitForStarted(WaitMs)) return "Xvfb startet nicht";
        QByteArray number;
        WaitFor([&] {
            server->waitForReadyRead(50);
            number += server->readAllStandardOutput();
            return number.contains('\n') || server->state() != QProcess::Running;
        });
        if (!number.contains('\n')) return "Xvfb nennt keine Anzeige";
        Environment = QProcessEnvironment::systemEnvironment();
        Environment.insert("DISPLAY", ":" + QString::fromLatin1(number.trimmed()));
        Environment.insert("QT_QPA_PLATFORM", "xcb");
        Environment.remove("WAYLAND_DISPLAY");
        Launch(QStringLiteral("openbox"), {"--sm-disable"}, Environment);
        if (!WaitFor([this] { return Tool("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id"); }))
            return "openbox startet nicht";
        return {};
    }

    QProcess* Launch(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment) {
        auto* process = new QProcess;
        Started.push_back(process);
        process->setProcessEnvironment(environment);
        process->start(program, arguments);
        return process;
    }

    // Runs an X tool on the session's screen and returns its output.
    QByteArray Tool(const QString& program, const QStringList& arguments) const {
        QProcess tool;
        tool.setProcessEnvironment(Environment);
        tool.start(program, arguments);
        if (!tool.waitForFinished(WaitMs)) tool.kill();
        return tool.readAllStandardOutput();
    }

    // The visible window whose title matches `title` exactly.
    std::optional<QString> Window(const QString& title) const {
        const QByteArray found = Tool("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"});
        const QList<QByteArray> ids = found.trimmed().split('\n');
        if (ids.size() != 1 || ids[0].isEmpty()) return std::nullopt;
        return QString::fromLatin1(ids[0]);
    }

    // A window's frame on the screen: its client area as the X server says
    // and the frame openbox put around it.
    QRect Frame(const QString& id) const {
        const QString info = QString::fromLatin1(Tool("xwininfo", {"-id", id}));
        auto value = [&info](const char* label) {
            const QRegularExpression pattern(QString::fromLatin1(label) + QStringLiteral(":\\s*(-?\\d+)"));
            return pattern.match(info).captured(1).toInt();
        };
        const QRect client(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                           value("Height"));
        const QString extents = QString::fromLatin1(Tool("xprop", {"-id", id, "_NET_FRAME_EXTENTS"}));
        const QStringList parts = extents.section('=', 1).split(',');
        if (parts.size() != 4) return {};
        return client.adjusted(-parts[0].trimmed().toInt(), -parts[2].trimmed().toInt(), parts[1].trimmed().toInt(),
                               parts[3].trimmed().toInt());
    }

    // What the window shows now, as the screen shows it.
    QImage Shot(const QString& id) const {
        QImage image;
        image.loadFromData(Tool("import", {"-window", id, "png:-"}), "PNG");
        return image;
    }

    QProcessEnvironment Environment;

private:
    std::vector<QProcess*> Started;
};

// Where "Programm starten ..." lies in a main window of the given size.
QPoint StartButtonCentre(const QSize& size) {
    TestApp();
    TFMain layout(QStringList{QStringLiteral("/usr/bin/zak")});
    layout.SetTicksByHand(true);
    layout.resize(size);
    layout.show();
    QApplication::processEvents();
    const auto* button = layout.findChild<QPushButton*>("BStarten");
    return button->mapTo(&layout, button->rect().center());
}

// Pixels of the picture that are neither the drawing area's background nor
// its grid: what the program drew; their mean column.
struct TDrawn {
    int Count = 0;
    int MeanX = 0;
};

TDrawn Drawn(const QImage& picture) {
    const QRgb background = qRgb(0x81, 0x80, 0x80);
    const QRgb grid = qRgb(0xC1, 0xC0, 0xC0);
    TDrawn drawn;
    long long sumX = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y) | 0xFF000000;
            if (pixel != background && pixel != grid) {
                ++drawn.Count;
                sumX += x;
            }
        }
    if (drawn.Count > 0) drawn.MeanX = static_cast<int>(sumX / drawn.Count);
    return drawn;
}

} // namespace

TEST(WindowManager, FramesLieOnTheScreenAndF9RunsAtOnce) {
#ifdef __SANITIZE_ADDRESS__
    // The X platform's keyboard library reads past a buffer that is not
    // ours as soon as zak connects to a real X server; the main tree runs
    // this test.
    GTEST_SKIP() << "libxkbcommon-x11 ist nicht frei von AddressSanitizer-Befunden";
#endif
    for (const char* tool : {"Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "import"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            GTEST_SKIP() << tool << " fehlt";
    TXSession x;
    if (const QString problem = x.Start(); !problem.isEmpty()) GTEST_SKIP() << problem.toStdString();

    QTemporaryDir home;
    QFile program(home.filePath("rechteck.zak"));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write("// ZAK 1.5 - Programm\r\nr: Rechteck\r\nr.verschieben(100, 0)\r\n");
    program.close();
    QProcessEnvironment environment = x.Environment;
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        environment.insert(variable, home.path());
    QProcess* zak = x.Launch(QStringLiteral(ZAK_BINARY), {program.fileName()}, environment);
    ASSERT_TRUE(zak->waitForStarted(WaitMs));

    std::optional<QString> main;
    const QString title = QStringLiteral("ZAK " ZAK_VERSION " - rechteck.zak").replace('.', QStringLiteral("\\."));
    ASSERT_TRUE(WaitFor([&] { return (main = x.Window(title)).has_value(); }))
        << zak->readAllStandardError().toStdString();
    ASSERT_TRUE(WaitFor([&] { return x.Frame(*main).isValid(); })) << "openbox rahmt das Hauptfenster nicht";
    // The main window stands at the top left, title bar included.
    const QRect mainFrame = x.Frame(*main);
    EXPECT_EQ(mainFrame.topLeft(), QPoint(0, 0));

    // The pupil clicks "Programm starten ..."; the drawing window opens.
    const QString geometry = QString::fromLatin1(x.Tool("xdotool", {"getwindowgeometry", *main}));
    const QRegularExpressionMatch size = QRegularExpression("Geometry: (\\d+)x(\\d+)").match(geometry);
    ASSERT_TRUE(size.hasMatch()) << geometry.toStdString();
    const QPoint button = StartButtonCentre({size.captured(1).toInt(), size.captured(2).toInt()});
    x.Tool("xdotool", {"mousemove", "--window", *main, QString::number(button.x()), QString::number(button.y()),
                       "click", "1"});
    std::optional<QString> drawing;
    ASSERT_TRUE(WaitFor([&] { return (drawing = x.Window("Zeichenfenster")).has_value(); }))
        << "kein Zeichenfenster nach dem Klick auf (" << button.x() << ", " << button.y() << ")";
    ASSERT_TRUE(WaitFor([&] { return x.Frame(*drawing).isValid(); })) << "openbox rahmt das Zeichenfenster nicht";
    // Time for the window manager to hand the keyboard to the new window,
    // as it would if the window asked for it.
    QThread::msleep(500);
    EXPECT_EQ(QString::fromLatin1(x.Tool("xdotool", {"getactivewindow"}).trimmed()), *main)
        << "das Zeichenfenster nimmt dem Hauptfenster die Tastatur";
    const TDrawn before = Drawn(x.Shot(*drawing));

    // F9 at once, wherever the keyboard is: the program runs.
    x.Tool("xdotool", {"key", "F9"});
    TDrawn after;
    EXPECT_TRUE(WaitFor([&] { return (after = Drawn(x.Shot(*drawing))).Count > 0; }, 5000))
        << "F9 startet das Programm nicht";
    EXPECT_EQ(before.Count, 0);
    // The rectangle stands right of the centre, where the program moved it.
    const QRect drawingFrame = x.Frame(*drawing);
    if (after.Count > 0) EXPECT_GT(after.MeanX, drawingFrame.width() / 2 + 50);

    // The whole drawing window, title bar included, lies at the top right.
    EXPECT_EQ(drawingFrame.top(), 0);
    EXPECT_EQ(drawingFrame.right(), ScreenWidth - 1);
    EXPECT_EQ(drawingFrame.size(), QSize(447, 384));
    EXPECT_GE(drawingFrame.left(), 0);
    EXPECT_LE(drawingFrame.bottom(), ScreenHeight - 1);
}
