// The vector picture canvas and the clipboard.
#include "QtTestSupport.h"
#include "UQtPicture.h"

#include <QClipboard>
#include <QMimeData>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

void DrawScene(TCanvas& c) {
    c.Brush.Color = 0x808081;
    c.FillRect(0, 0, 121, 81);
    c.Pen.Color = 0xC0C0C1;
    c.MoveTo(60, 0);
    c.LineTo(60, 80);
    c.Pen.Color = Black;
    c.Brush.Color = Red;
    c.Rectangle(5, 5, 40, 30);
    c.Ellipse(45, 5, 90, 40);
    c.Polygon({{10, 70}, {50, 70}, {30, 45}});
    c.Font.Name = "Arial";
    c.Font.Size = 10;
    c.TextOut(60, 50, "Gr\xFC\xDF" "e");
    c.SetPixel(100, 70, Blue);
    c.Pen.Width = 3;
    c.MoveTo(70, 75);
    c.LineTo(115, 60);
}

// Checks that the document parses and returns the names of its elements.
std::vector<QString> Elements(const QByteArray& svg) {
    std::vector<QString> names;
    QXmlStreamReader xml(svg);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement) names.push_back(xml.name().toString());
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return names;
}

} // namespace

TEST(QtPicture, RecordsAWellFormedSvgOfTheDrawing) {
    EnsureQtApp();
    TQtPictureCanvas picture(120, 80);
    DrawScene(picture);
    const QByteArray svg = picture.Svg();
    ASSERT_FALSE(svg.isEmpty());
    const std::vector<QString> names = Elements(svg);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.front(), "svg");
    EXPECT_GE(std::count(names.begin(), names.end(), QString("text")), 1);
    EXPECT_TRUE(svg.contains("viewBox=\"0 0 120 80\"")) << svg.left(600).toStdString();
    EXPECT_TRUE(svg.contains("Gr\xC3\xBC\xC3\x9F" "e")) << "Windows-1252 text arrives as UTF-8";
}

TEST(QtPicture, HasNoPixelsToReadButItsPixelImageMatchesTheScreen) {
    EnsureQtApp();
    TQtPictureCanvas picture(120, 80);
    DrawScene(picture);
    EXPECT_EQ(picture.Pixel(100, 70), 0xFFFFFFFFu);
    EXPECT_EQ(picture.Pixel(10, 10), 0xFFFFFFFFu);
    EXPECT_EQ(picture.PenPos(), (TPoint{115, 60}));

    TQtSurface surface(120, 80);
    DrawScene(surface.Canvas());
    EXPECT_EQ(picture.Image(), surface.Image());
    EXPECT_EQ(picture.TextWidth("abc"), surface.Canvas().TextWidth("abc"));
}

TEST(QtPicture, DrawingAfterTheRecordingEndedChangesNothing) {
    EnsureQtApp();
    TQtPictureCanvas picture(50, 50);
    picture.Rectangle(1, 1, 10, 10);
    const QByteArray svg = picture.Svg();
    const QImage image = picture.Image();
    picture.Ellipse(5, 5, 40, 40);
    picture.LineTo(30, 30);
    EXPECT_EQ(picture.Svg(), svg);
    EXPECT_EQ(picture.Image(), image);
    EXPECT_EQ(picture.PenPos(), (TPoint{30, 30}));
}

TEST(QtPicture, GoesOnTheClipboardAsSvgAndAsPixels) {
    EnsureQtApp();
    TQtPictureCanvas picture(120, 80);
    DrawScene(picture);
    picture.PutOnClipboard();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat("image/svg+xml"));
    EXPECT_EQ(data->data("image/svg+xml"), picture.Svg());
    ASSERT_TRUE(data->hasImage());
    const QImage image = qvariant_cast<QImage>(data->imageData());
    EXPECT_EQ(image.size(), QSize(120, 80));
    EXPECT_EQ(image.pixel(100, 70) & 0xFFFFFF, 0x0000FFu);
}

TEST(QtPicture, EmptyAndNegativeSizesAreHarmless) {
    EnsureQtApp();
    for (auto [w, h] : {std::pair{0, 0}, {-5, 10}, {10, -5}}) {
        TQtPictureCanvas picture(w, h);
        DrawScene(picture);
        EXPECT_TRUE(picture.Image().isNull());
        picture.PutOnClipboard();
    }
}
