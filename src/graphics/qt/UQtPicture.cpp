#include "UQtPicture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>

TQtPictureCanvas::TQtPictureCanvas(int width, int height) : SvgBuffer(&SvgData) {
    width = std::clamp(width, 0, 16384);
    height = std::clamp(height, 0, 16384);
    Generator.setOutputDevice(&SvgBuffer);
    Generator.setSize(QSize(width, height));
    Generator.setViewBox(QRect(0, 0, width, height));
    Generator.setResolution(96);
    Generator.setTitle(QStringLiteral("ZAK"));
    if (width > 0 && height > 0) {
        Bitmap = QImage(width, height, QImage::Format_RGB32);
        if (!Bitmap.isNull()) Bitmap.fill(Qt::white);
    }
    VectorCanvas = std::make_unique<TQtCanvas>(Generator, width, height);
    PixelCanvas = std::make_unique<TQtCanvas>(Bitmap);
}

TQtPictureCanvas::~TQtPictureCanvas() { Finish(); }

void TQtPictureCanvas::Finish() {
    if (Finished) return;
    Finished = true;
    VectorCanvas->Flush();
    PixelCanvas->Flush();
}

// Hands the caller's pen, brush, font and pen position to both recordings,
// runs the call on each, and takes back the pen position it left.
template <class Call>
void TQtPictureCanvas::Both(Call&& call) {
    if (Finished) return;
    for (TQtCanvas* canvas : {VectorCanvas.get(), PixelCanvas.get()}) {
        canvas->Pen = Pen;
        canvas->Brush = Brush;
        canvas->Font = Font;
        canvas->MoveTo(PenPosition.x, PenPosition.y);
        call(*canvas);
    }
    PenPosition = PixelCanvas->PenPos();
}

void TQtPictureCanvas::LineTo(int x, int y) {
    if (Finished) PenPosition = {x, y};
    Both([&](TCanvas& c) { c.LineTo(x, y); });
}

void TQtPictureCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    Both([&](TCanvas& c) { c.Rectangle(x1, y1, x2, y2); });
}

void TQtPictureCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    Both([&](TCanvas& c) { c.Ellipse(x1, y1, x2, y2); });
}

void TQtPictureCanvas::Polygon(const std::vector<TPoint>& points) {
    Both([&](TCanvas& c) { c.Polygon(points); });
}

void TQtPictureCanvas::FillRect(int x1, int y1, int x2, int y2) {
    Both([&](TCanvas& c) { c.FillRect(x1, y1, x2, y2); });
}

void TQtPictureCanvas::SetPixel(int x, int y, TColor color) {
    Both([&](TCanvas& c) { c.SetPixel(x, y, color); });
}

void TQtPictureCanvas::TextOut(int x, int y, const std::string& text) {
    Both([&](TCanvas& c) { c.TextOut(x, y, text); });
}

int TQtPictureCanvas::TextWidth(const std::string& text) {
    PixelCanvas->Font = Font;
    return PixelCanvas->TextWidth(text);
}

int TQtPictureCanvas::TextHeight(const std::string& text) {
    PixelCanvas->Font = Font;
    return PixelCanvas->TextHeight(text);
}

QByteArray TQtPictureCanvas::Svg() {
    Finish();
    return SvgData;
}

QImage TQtPictureCanvas::Image() {
    Finish();
    return Bitmap;
}

void TQtPictureCanvas::PutOnClipboard() { PutPictureOnClipboard(Svg(), Image()); }

void PutPictureOnClipboard(const QByteArray& svg, const QImage& image) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return;
    auto* data = new QMimeData;
    if (!svg.isEmpty()) data->setData(QStringLiteral("image/svg+xml"), svg);
    if (!image.isNull()) data->setImageData(image);
    clipboard->setMimeData(data);
}
