// ZAK on a screen of twice the density. Qt takes QT_SCALE_FACTOR only when
// the application starts, so the checks run in a child process of this test
// program that has it set.
#include "AppTestSupport.h"
#include "UDebugControl.h"
#include "UDrawCanvas.h"
#include "UFenster.h"
#include "UGutterImages.h"
#include "UImageList.h"
#include "UQtDrawingWindowHost.h"
#include "UQtPaintBox.h"
#include "UZeichenfenster.h"

#include <QMouseEvent>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

TEST(HiDpi, AtScaleTwo) {
    if (qgetenv("ZAK_HIDPI_CHILD") == "1") GTEST_SKIP() << "the child itself";
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_SCALE_FACTOR", "2");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("ZAK_HIDPI_CHILD", "1");
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("/proc/self/exe"), {"--gtest_filter=HiDpiChild.*"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
}

// Every pixel of the program's picture is a 2 x 2 block of its colour in the
// window, the title counts in the program's units, and the small pictures
// and the variables view are drawn at twice the resolution rather than
// enlarged.
TEST(HiDpiChild, PicturePixelsAreBlocksAndIconsAreDrawnAnew) {
    if (qgetenv("ZAK_HIDPI_CHILD") != "1") GTEST_SKIP() << "runs in the child of HiDpi.AtScaleTwo";
    TestApp();
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    TQtDrawingWindowHost host;
    TFenster window("f", nullptr);
    auto& form = static_cast<TFZeichnen&>(*window.DrawingWindow());
    form.show();
    QApplication::processEvents();

    TSurface& surface = window.Canvas()->Surface();
    const QImage shown = form.pb->grab().toImage();
    ASSERT_EQ(shown.size(), 2 * QSize(surface.Width(), surface.Height()));
    int wrong = 0;
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x) {
            const TColor c = surface.Canvas().Pixel(x, y);
            const QRgb expected = qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
            for (int d = 0; d < 4; ++d)
                if ((shown.pixel(2 * x + d % 2, 2 * y + d / 2) & 0xFFFFFF) != (expected & 0xFFFFFF)) ++wrong;
        }
    EXPECT_EQ(wrong, 0);

    const int ox = window.Canvas()->OriginX(), oy = window.Canvas()->OriginY();
    QMouseEvent move(QEvent::MouseMove, QPointF(ox + 30, oy - 40), form.pb->mapToGlobal(QPointF(ox + 30, oy - 40)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(form.pb, &move);
    EXPECT_EQ(form.windowTitle(), " x:30 y:40");

    const QPixmap sharp = ImageList::Icon(ImageList::iiStart).pixmap(QSize(16, 16), 2.0);
    EXPECT_EQ(sharp.size(), QSize(32, 32));
    const QImage enlarged = ImageList::Image(ImageList::iiStart).scaled(32, 32);
    EXPECT_NE(sharp.toImage().convertToFormat(enlarged.format()), enlarged);
    const QImage& breakpoint = GutterImages::Breakpoint(GutterImages::ScaleFor(qApp->devicePixelRatio()));
    EXPECT_EQ(breakpoint.size(), QSize(32, 32));
    EXPECT_EQ(breakpoint.devicePixelRatio(), 2.0);

    TDebugControl variables;
    variables.resize(416, 88);
    variables.AddCell("\x01n\x02 = 5");
    variables.Arrange();
    EXPECT_EQ(variables.Bitmap().size(), 2 * QSize(variables.DrawingWidth(), variables.DrawingHeight()));
    EXPECT_EQ(variables.Bitmap().devicePixelRatio(), 2.0);
}

} // namespace
