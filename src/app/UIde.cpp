#include "UIde.h"

#include "UCodeComplete.h"
#include "UEmblem.h"
#include "UEinstellungen.h"
#include "UGerman.h"
#include "UInformation.h"
#include "ULetztesZeichenfenster.h"
#include "UMain.h"
#include "UPasswortabfrage.h"
#include "UPrint.h"
#include "UQtDrawingWindowHost.h"
#include "URecovery.h"
#include "USHControl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

// Started where no screen can be reached (over ssh, from a cron job), Qt
// gives up in English with a list of its plugins. Its start-up messages are
// held back and a failure ends with a German explanation instead; once the
// application stands, Qt's own handler is back.
void NoScreenMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QByteArray category(context.category ? context.category : "");
    if (type != QtFatalMsg && category.startsWith("qt.qpa")) return;
    if (type == QtFatalMsg) {
        std::fputs("ZAK kann kein Fenster \xC3\xB6" "ffnen: Es ist keine grafische Anzeige erreichbar "
                   "(DISPLAY bzw. WAYLAND_DISPLAY).\n"
                   "Programme ohne Fenster laufen mit: zak --run DATEI\n",
                   stderr);
        std::_Exit(1);
    }
    std::fputs(message.toLocal8Bit().append('\n').constData(), stderr);
}

// Only for the test that kills a running ZAK and looks for its journal:
// once the event loop runs, the text of ZAK_TEST_TYPE is typed into the
// editor key by key, as a pupil would type it. Nothing else sets it.
void TypeTestText(TSHControl* editor) {
    const QString typed = qEnvironmentVariable("ZAK_TEST_TYPE");
    if (typed.isEmpty()) return;
    QTimer::singleShot(0, editor, [editor, typed] {
        for (const QChar c : typed) {
            const bool newLine = c == QLatin1Char('\n');
            QKeyEvent event(QEvent::KeyPress, newLine ? Qt::Key_Return : 0, Qt::NoModifier,
                            newLine ? QStringLiteral("\r") : QString(c));
            QApplication::sendEvent(editor, &event);
        }
    });
}

} // namespace

int RunIde(int argc, char** argv) {
    // The command line as given, before Qt takes its own options out: file
    // names are the user's, whatever they look like.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);

    // A screen of 1.5 times the density is drawn at 2: the drawing windows
    // then show each pixel of their picture as an even block.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
    qInstallMessageHandler(NoScreenMessages);
    QApplication application(argc, argv);
    qInstallMessageHandler(nullptr);
    QApplication::setApplicationName(QStringLiteral("ZAK"));
    InstallGermanTexts(application);
    // Every window without an icon of its own, the drawing windows included,
    // shows the emblem; the desktop file name lets a desktop match the
    // windows to the installed menu entry.
    QApplication::setWindowIcon(ApplicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral(ZAK_APP_ID));
    QuitOnTerminationSignals();

    TFMain mainWindow(arguments);
    TFCodeComplete completion;
    completion.Attach(mainWindow.Editor());
    TFInformation information(&mainWindow);
    TFEinstellungen settings(&mainWindow);
    TFPasswortabfrage prompt(settings, &mainWindow);
    TFPrint print(&mainWindow);
    TFLetztesZeichenfenster lastDrawingWindow;
    TQtDrawingWindowHost host;

    TMainForms forms;
    forms.Information = &information;
    forms.Einstellungen = &settings;
    forms.Passwortabfrage = &prompt;
    forms.Print = &print;
    forms.LetztesZeichenfenster = &lastDrawingWindow;
    mainWindow.SetForms(forms);

    mainWindow.show();
    mainWindow.OfferRecovery();
    TypeTestText(mainWindow.Editor());
    const int status = application.exec();
    mainWindow.Shutdown();
    // The popup goes before the editor that points at it.
    mainWindow.Editor()->SetCompletionPopup(nullptr);
    return status;
}
