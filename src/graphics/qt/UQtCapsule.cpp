#include "UQtCapsule.h"

#include "URasterScan.h"

#include <algorithm>

namespace {

class TImageSpans final : public TSpanSink {
public:
    TImageSpans(QImage& image, QRgb color) : Image(image), Color(color) {}
    void Span(int y, int left, int right) override {
        QRgb* line = reinterpret_cast<QRgb*>(Image.scanLine(y));
        std::fill(line + left, line + right, Color);
    }

private:
    QImage& Image;
    QRgb Color;
};

} // namespace

void FillCapsule(QImage& image, QPointF from, QPointF to, double radius, QRgb color) {
    if (image.isNull()) return;
    TImageSpans spans(image, color);
    FillCapsule(from.x(), from.y(), to.x(), to.y(), radius, 0, image.height() - 1, 0, image.width() - 1, spans);
}
