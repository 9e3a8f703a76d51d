#include "UEmblem.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgRenderer>

// The resource lives in a static library; without this reference the linker
// may drop it from programs that never name it.
static void InitEmblemResource() { Q_INIT_RESOURCE(zak); }

QImage EmblemImage(int size) {
    if (size < 1) return {};
    InitEmblemResource();
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/icons/zak.svg"));
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray EmblemPng(int size) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    EmblemImage(size).save(&buffer, "PNG");
    return png;
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(QPixmap::fromImage(EmblemImage(size)));
    return icon;
}
