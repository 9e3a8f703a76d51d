#include "UQtEllipse.h"

#include "URasterEllipse.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

QPolygon EllipsePolygon(int left, int top, int right, int bottom) {
    const std::vector<TPoint> points = EllipseOutline(left, top, right, bottom);
    QPolygon outline;
    outline.reserve(qsizetype(points.size()));
    for (const TPoint& p : points) outline.append(QPoint(p.x, p.y));
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
