#include "UImageList.h"

#include "UGutterImages.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <map>

namespace ImageList {
namespace {

// The scale the pictures are being drawn at: MakeAll sets it for the whole
// set. Painters opened on a blank image draw in its 16 x 16 units.
int DrawScale = 1;

QImage Blank() {
    QImage image(16 * DrawScale, 16 * DrawScale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(DrawScale);
    image.fill(Qt::transparent);
    return image;
}

// A painter with smooth edges; every picture is drawn in a 16 x 16 box.
struct TPen {
    QImage Image = Blank();
    QPainter P{&Image};
    TPen() { P.setRenderHint(QPainter::Antialiasing); }
    // The painter must let go of the image before it is copied out.
    QImage Done() {
        P.end();
        return Image;
    }
};

QImage Letter(const char* letter, QColor color) {
    TPen d;
    QFont font("Liberation Sans");
    font.setPixelSize(14);
    font.setBold(true);
    d.P.setFont(font);
    d.P.setPen(color);
    d.P.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromLatin1(letter));
    return d.Done();
}

// A sheet of paper with a folded corner.
void Sheet(QPainter& p, QRectF r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 3, r.top()), QPointF(r.right() - 3, r.top() + 3));
    p.drawLine(QPointF(r.right() - 3, r.top() + 3), QPointF(r.right(), r.top() + 3));
}

void Lines(QPainter& p, QRectF r, int count) {
    p.setPen(QPen(QColor(150, 150, 170), 1));
    for (int i = 0; i < count; ++i) {
        const double y = r.top() + 4 + 2 * i;
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
    }
}

QImage Neu() {
    TPen d;
    Sheet(d.P, QRectF(3.5, 1.5, 9, 13));
    d.P.setPen(Qt::NoPen);
    d.P.setBrush(QColor(255, 200, 0));
    d.P.drawEllipse(QPointF(12, 4), 2.5, 2.5);
    return d.Done();
}

QImage Oeffnen() {
    TPen d;
    d.P.setPen(QPen(QColor(140, 100, 20), 1));
    d.P.setBrush(QColor(230, 190, 80));
    d.P.drawRect(QRectF(1.5, 4.5, 12, 9));
    d.P.drawRect(QRectF(1.5, 3.5, 5, 2));
    d.P.setBrush(QColor(250, 220, 120));
    d.P.drawPolygon(QPolygonF({{4.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}}));
    return d.Done();
}

void Floppy(QPainter& p) {
    p.setPen(QPen(QColor(20, 40, 110), 1));
    p.setBrush(QColor(50, 90, 190));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 1.5, 9, 5));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 90, 190));
    p.drawRect(QRectF(9, 2, 2, 3));
}

QImage Speichern() {
    TPen d;
    Floppy(d.P);
    return d.Done();
}

QImage SpeichernUnter() {
    TPen d;
    Floppy(d.P);
    // A pencil across the corner: "under another name".
    d.P.setPen(QPen(QColor(120, 60, 0), 1));
    d.P.setBrush(QColor(250, 200, 60));
    d.P.drawPolygon(QPolygonF({{15.5, 6.5}, {9.5, 12.5}, {8, 15}, {10.5, 13.5}, {16, 8}}));
    return d.Done();
}

QImage Ausschneiden() {
    TPen d;
    d.P.setPen(QPen(QColor(60, 60, 60), 1.3));
    d.P.drawLine(QPointF(4, 1), QPointF(10.5, 11));
    d.P.drawLine(QPointF(12, 1), QPointF(5.5, 11));
    d.P.setPen(QPen(QColor(180, 0, 0), 1.5));
    d.P.setBrush(Qt::NoBrush);
    d.P.drawEllipse(QPointF(4.5, 12.5), 2.3, 2.3);
    d.P.drawEllipse(QPointF(11.5, 12.5), 2.3, 2.3);
    return d.Done();
}

QImage Kopieren() {
    TPen d;
    const QRectF back(1.5, 1.5, 8, 10), front(6.5, 4.5, 8, 10);
    Sheet(d.P, back);
    Lines(d.P, back, 3);
    Sheet(d.P, front);
    Lines(d.P, front, 3);
    return d.Done();
}

QImage Einfuegen() {
    TPen d;
    d.P.setPen(QPen(QColor(110, 70, 20), 1));
    d.P.setBrush(QColor(200, 150, 80));
    d.P.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1, 1);
    d.P.setBrush(QColor(170, 170, 170));
    d.P.drawRect(QRectF(4.5, 1.5, 4, 2));
    const QRectF sheet(6.5, 5.5, 8, 10);
    Sheet(d.P, sheet);
    Lines(d.P, sheet, 3);
    return d.Done();
}

// A curved arrow: pointing left for undo, right for redo.
QImage Arrow(bool left) {
    TPen d;
    if (!left) {
        d.P.translate(16, 0);
        d.P.scale(-1, 1);
    }
    QPainterPath arc;
    arc.moveTo(4, 6);
    arc.cubicTo(10, 2, 16, 7, 11, 13);
    d.P.setPen(QPen(QColor(30, 90, 170), 2, Qt::SolidLine, Qt::RoundCap));
    d.P.setBrush(Qt::NoBrush);
    d.P.drawPath(arc);
    d.P.setPen(Qt::NoPen);
    d.P.setBrush(QColor(30, 90, 170));
    d.P.drawPolygon(QPolygonF({{1, 6}, {6.5, 1.5}, {7, 10}}));
    return d.Done();
}

QImage Drucken() {
    TPen d;
    const QRectF paper(4.5, 1.5, 7, 6);
    Sheet(d.P, paper);
    d.P.setPen(QPen(QColor(70, 70, 70), 1));
    d.P.setBrush(QColor(190, 190, 195));
    d.P.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
    d.P.setBrush(Qt::white);
    d.P.drawRect(QRectF(4.5, 10.5, 7, 4));
    d.P.setPen(Qt::NoPen);
    d.P.setBrush(QColor(0, 170, 0));
    d.P.drawRect(QRectF(12, 8, 1.5, 1.5));
    return d.Done();
}

QImage Einstellungen() {
    TPen d;
    // A cog wheel: eight teeth around a ring.
    d.P.translate(8, 8);
    d.P.setPen(Qt::NoPen);
    d.P.setBrush(QColor(100, 100, 110));
    for (int i = 0; i < 8; ++i) {
        d.P.drawRect(QRectF(-1.5, -7.5, 3, 4));
        d.P.rotate(45);
    }
    d.P.drawEllipse(QPointF(0, 0), 5.2, 5.2);
    d.P.setBrush(Qt::white);
    d.P.drawEllipse(QPointF(0, 0), 2.2, 2.2);
    return d.Done();
}

QImage Schliessen() {
    TPen d;
    d.P.setPen(QPen(QColor(90, 50, 20), 1));
    d.P.setBrush(QColor(170, 110, 60));
    d.P.drawRect(QRectF(2.5, 1.5, 8, 13));
    d.P.setBrush(QColor(250, 220, 80));
    d.P.drawEllipse(QPointF(8.5, 8.5), 0.8, 0.8);
    d.P.setPen(QPen(QColor(200, 0, 0), 2, Qt::SolidLine, Qt::RoundCap));
    d.P.drawLine(QPointF(9, 8), QPointF(15, 8));
    d.P.drawLine(QPointF(15, 8), QPointF(12.5, 5.5));
    d.P.drawLine(QPointF(15, 8), QPointF(12.5, 10.5));
    return d.Done();
}

QImage Information() {
    TPen d;
    d.P.setPen(QPen(QColor(10, 60, 150), 1));
    d.P.setBrush(QColor(40, 110, 220));
    d.P.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    QFont font("Liberation Serif");
    font.setPixelSize(13);
    font.setBold(true);
    d.P.setFont(font);
    d.P.setPen(Qt::white);
    d.P.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, "i");
    return d.Done();
}

QImage Start() {
    TPen d;
    d.P.setPen(QPen(QColor(0, 100, 0), 1));
    d.P.setBrush(QColor(20, 170, 40));
    d.P.drawPolygon(QPolygonF({{3.5, 1.5}, {14.5, 8}, {3.5, 14.5}}));
    return d.Done();
}

QImage Pause() {
    TPen d;
    d.P.setPen(QPen(QColor(20, 50, 120), 1));
    d.P.setBrush(QColor(50, 100, 210));
    d.P.drawRect(QRectF(3.5, 2.5, 3, 11));
    d.P.drawRect(QRectF(9.5, 2.5, 3, 11));
    return d.Done();
}

QImage Stop() {
    TPen d;
    d.P.setPen(QPen(QColor(120, 0, 0), 1));
    d.P.setBrush(QColor(210, 30, 30));
    d.P.drawRect(QRectF(2.5, 2.5, 11, 11));
    return d.Done();
}

QImage Schritt() {
    TPen d;
    // One step forward onto the next line: an arrow with a bar in front.
    d.P.setPen(QPen(QColor(0, 100, 0), 1));
    d.P.setBrush(QColor(20, 170, 40));
    d.P.drawPolygon(QPolygonF({{1.5, 3.5}, {9.5, 8}, {1.5, 12.5}}));
    d.P.setPen(Qt::NoPen);
    d.P.setBrush(QColor(40, 40, 40));
    d.P.drawRect(QRectF(11, 2, 3, 12));
    return d.Done();
}

std::array<QImage, Count> MakeAll(int scale) {
    DrawScale = scale;
    std::array<QImage, Count> images;
    images[iiKlasse] = Letter("K", QColor(0, 0, 200));
    images[iiAttribut] = Letter("A", QColor(0, 140, 0));
    images[iiMethode] = Letter("M", QColor(140, 0, 0));
    images[iiFehler] = GutterImages::Error(scale);
    images[iiFehlerstelle] = GutterImages::ErrorPosition(scale);
    images[iiHaltepunkt] = GutterImages::Breakpoint(scale);
    images[iiOeffnen] = Oeffnen();
    images[iiSpeichern] = Speichern();
    images[iiAusschneiden] = Ausschneiden();
    images[iiKopieren] = Kopieren();
    images[iiEinfuegen] = Einfuegen();
    images[iiRueckgaengig] = Arrow(true);
    images[iiDrucken] = Drucken();
    images[iiSpeichernUnter] = SpeichernUnter();
    images[iiEinstellungen] = Einstellungen();
    images[iiNeu] = Neu();
    images[iiSchliessen] = Schliessen();
    images[iiInformation] = Information();
    images[iiPause] = Pause();
    images[iiSchritt] = Schritt();
    images[iiStart] = Start();
    images[iiStop] = Stop();
    images[iiRedo] = Arrow(false);
    DrawScale = 1;
    return images;
}

} // namespace

const QImage& Image(int index, int scale) {
    static std::map<int, std::array<QImage, Count>> sets;
    static const QImage empty = Blank();
    if (index < 0 || index >= Count) return empty;
    scale = std::clamp(scale, 1, MaxScale);
    auto set = sets.find(scale);
    if (set == sets.end()) set = sets.emplace(scale, MakeAll(scale)).first;
    return set->second[static_cast<std::size_t>(index)];
}

QIcon Icon(int index) {
    // The icon engine picks the picture for the screen's density.
    QIcon icon;
    for (int scale = 1; scale <= MaxScale; ++scale) icon.addPixmap(QPixmap::fromImage(Image(index, scale)));
    return icon;
}

} // namespace ImageList
