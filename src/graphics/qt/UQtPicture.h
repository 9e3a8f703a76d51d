#pragma once
// A canvas that records a drawing as a vector picture (SVG at 96 dpi) and,
// alongside, as pixels with the same rules as the screen, so that the
// clipboard can offer both forms of one picture.
#include "UQtCanvas.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QSvgGenerator>
#include <memory>

class TQtPictureCanvas : public TCanvas {
public:
    // Negative sizes count as 0.
    TQtPictureCanvas(int width, int height);
    ~TQtPictureCanvas() override;

    void LineTo(int x, int y) override;
    void Rectangle(int x1, int y1, int x2, int y2) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void Polygon(const std::vector<TPoint>& points) override;
    void FillRect(int x1, int y1, int x2, int y2) override;
    // A picture has no pixels to read, whatever it recorded.
    TColor Pixel(int, int) const override { return 0xFFFFFFFF; }
    void SetPixel(int x, int y, TColor color) override;
    void TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;

    // Both end the recording; drawing afterwards changes nothing.
    QByteArray Svg();
    QImage Image();
    void PutOnClipboard();

private:
    void Finish();
    template <class Call>
    void Both(Call&& call);

    QByteArray SvgData;
    QBuffer SvgBuffer;
    QSvgGenerator Generator;
    QImage Bitmap;
    std::unique_ptr<TQtCanvas> VectorCanvas;
    std::unique_ptr<TQtCanvas> PixelCanvas;
    bool Finished = false;
};

// Offers the picture as image/svg+xml and as a pixel image (image/png and the
// platform's other image formats) in one clipboard entry.
void PutPictureOnClipboard(const QByteArray& svg, const QImage& image);
