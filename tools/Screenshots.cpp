// Build step: the pictures of the AppStream data, taken from a real run on
// Qt's offscreen platform, so that they always show the program as it is:
//   OUT/hauptfenster.png    the main window with PROGRAM in the editor
//   OUT/zeichenfenster.png  the drawing window after PROGRAM has run
// Usage: zak_screenshots OUT PROGRAM
#include "UEmblem.h"
#include "UGerman.h"
#include "UMain.h"
#include "UQtDrawingWindowHost.h"
#include "USyntaxcheck.h"
#include "UZeichenfenster.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>

namespace {

bool Save(const QPixmap& picture, const QString& path) {
    if (picture.isNull() || !picture.save(path, "PNG")) {
        std::fprintf(stderr, "zak_screenshots: %s kann nicht geschrieben werden\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "Aufruf: zak_screenshots VERZEICHNIS PROGRAMM\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // No settings of the machine that builds (a larger font) get into the pictures.
    setenv("XDG_CONFIG_DIRS", "/nonexistent", 1);
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    InstallGermanTexts(application);
    QApplication::setWindowIcon(ApplicationIcon());
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    TQtDrawingWindowHost host;
    TFMain window({QStringLiteral("zak"), QString::fromLocal8Bit(argv[2])});
    window.RunTimer().stop();
    window.resize(900, 620);
    window.show();
    window.Syntaxcheck()->WaitUntilIdle();
    QApplication::processEvents();
    if (!Save(window.grab(), out + "/hauptfenster.png")) return 1;

    window.BStartenClick();
    window.StartExecute();
    for (int ticks = 0; window.Running() && ticks < 100000; ++ticks) window.TimerTimer();
    QApplication::processEvents();
    TFZeichnen* drawing = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* candidate = qobject_cast<TFZeichnen*>(widget); candidate && candidate->isVisible())
            drawing = candidate;
    if (!drawing) {
        std::fprintf(stderr, "zak_screenshots: das Programm hat kein Zeichenfenster gezeigt\n");
        return 1;
    }
    const bool saved = Save(drawing->grab(), out + "/zeichenfenster.png");
    window.BBearbeitenClick();
    window.Shutdown();
    return saved ? 0 : 1;
}
