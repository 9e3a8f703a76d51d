#include "UQtEllipse.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// Beyond this many points per quarter the chords of even a huge ellipse are
// far flatter than a pixel where they cross a surface.
constexpr int MaxQuarterSteps = 4096;

} // namespace

QPolygon EllipseOutline(int left, int top, int right, int bottom) {
    const double cx = (double(left) + right) / 2.0;
    const double cy = (double(top) + bottom) / 2.0;
    const double rx = (double(right) - left) / 2.0;
    const double ry = (double(bottom) - top) / 2.0;
    const int steps = int(std::min<double>(MaxQuarterSteps, std::ceil(rx + ry) + 2));

    // The lower right quarter from the right end to the bottom; the other
    // quarters are its mirror images, so the outline is symmetric.
    std::vector<QPoint> quarter;
    quarter.reserve(size_t(steps) + 1);
    for (int i = 0; i <= steps; ++i) {
        const double angle = (std::numbers::pi / 2) * i / steps;
        int x = int(std::floor(cx + rx * std::cos(angle) + 0.5));
        const int y = int(std::floor(cy + ry * std::sin(angle) + 0.5));
        if (i == 0) x = right;
        if (i == steps) x = int(std::floor(cx + 0.5));
        quarter.emplace_back(x, std::min(y, bottom));
    }
    const qint64 mirrorX = qint64(left) + right;
    const qint64 mirrorY = qint64(top) + bottom;
    QPolygon outline;
    outline.reserve(qsizetype(quarter.size()) * 4);
    auto add = [&](qint64 x, qint64 y) {
        const QPoint p{int(x), int(y)};
        if (outline.isEmpty() || outline.last() != p) outline.append(p);
    };
    for (auto it = quarter.begin(); it != quarter.end(); ++it) add(it->x(), it->y());
    for (auto it = quarter.rbegin(); it != quarter.rend(); ++it) add(mirrorX - it->x(), it->y());
    for (auto it = quarter.begin(); it != quarter.end(); ++it) add(mirrorX - it->x(), mirrorY - it->y());
    for (auto it = quarter.rbegin(); it != quarter.rend(); ++it) add(it->x(), mirrorY - it->y());
    if (outline.size() > 1 && outline.first() == outline.last()) outline.removeLast();
    return outline;
}

namespace {

// Masks larger than this are drawn by QPainter straight away.
constexpr qint64 MaxRunPixels = qint64(1) << 20;
// A program shows few distinct sizes; one that shows ever new ones starts over.
constexpr std::size_t MaxKept = 1024;

constexpr QRgb MaskBackground = 0xFF000000u;
constexpr QRgb MaskPen = 0xFFFF0000u;
constexpr QRgb MaskBrush = 0xFF0000FFu;

std::vector<TEllipseRun> Rasterise(const QPolygon& relative, int w, int h, bool outline, bool fill, bool rim) {
    // A margin keeps the mask's edges away from anything QPainter might clip.
    constexpr int Margin = 2;
    QImage mask(w + 2 * Margin, h + 2 * Margin, QImage::Format_RGB32);
    std::vector<TEllipseRun> runs;
    if (mask.isNull()) return runs;
    mask.fill(MaskBackground);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(outline ? QPen(QBrush(QColor::fromRgb(MaskPen)), 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin)
                               : QPen(Qt::NoPen));
        painter.setBrush(fill ? QBrush(QColor::fromRgb(MaskBrush)) : QBrush(Qt::NoBrush));
        if (rim) painter.setPen(QPen(QColor::fromRgb(MaskBrush), 1));
        painter.drawPolygon(relative.translated(Margin, Margin), Qt::OddEvenFill);
    }
    for (int y = 0; y < mask.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        int x = 0;
        while (x < mask.width()) {
            const QRgb p = row[x];
            int end = x + 1;
            while (end < mask.width() && row[end] == p) ++end;
            if (p != MaskBackground) runs.push_back({y - Margin, x - Margin, end - Margin, p == MaskPen});
            x = end;
        }
    }
    return runs;
}

} // namespace

const std::vector<TEllipseRun>* EllipseRuns(const QPolygon& relative, int w, int h, bool outline, bool fill, bool rim) {
    if (w <= 0 || h <= 0 || qint64(w) * h > MaxRunPixels) return nullptr;
    // Per thread: a canvas may draw on an image outside the GUI thread.
    static thread_local std::unordered_map<std::string, std::vector<TEllipseRun>> kept;
    std::string key(sizeof(int) * 2 + 3, '\0');
    std::memcpy(key.data(), &w, sizeof(int));
    std::memcpy(key.data() + sizeof(int), &h, sizeof(int));
    key[sizeof(int) * 2] = outline ? 1 : 0;
    key[sizeof(int) * 2 + 1] = fill ? 1 : 0;
    key[sizeof(int) * 2 + 2] = rim ? 1 : 0;
    key.append(reinterpret_cast<const char*>(relative.constData()), std::size_t(relative.size()) * sizeof(QPoint));
    if (auto it = kept.find(key); it != kept.end()) return &it->second;
    if (kept.size() >= MaxKept) kept.clear();
    return &kept.emplace(std::move(key), Rasterise(relative, w, h, outline, fill, rim)).first->second;
}
