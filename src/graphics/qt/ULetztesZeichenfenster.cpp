#include "ULetztesZeichenfenster.h"

#include "UQtRaster.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QShowEvent>
#include <algorithm>
#include <string>

TFLetztesZeichenfenster* FLetztesZeichenfenster = nullptr;

// The paint area: shows the kept picture and reports the mouse.
class TLetztesBildBox : public QWidget {
public:
    explicit TLetztesBildBox(TFLetztesZeichenfenster* form) : QWidget(form), Form(form) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
        setCursor(Qt::CrossCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override { Form->pbPaint(*this); }
    void mouseMoveEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        Form->pbMouseMove(at.x(), at.y());
    }

private:
    TFLetztesZeichenfenster* Form;
};

namespace {

constexpr int MinimumSize = 30;
const char* const Caption = "Letztes Zeichenfenster";

QImage NoPictureYet() {
    const std::unique_ptr<TSurface> surface = CreateShownSurface(300, 50);
    TCanvas& c = surface->Canvas();
    c.Font.Name = "MS Sans Serif";
    c.Font.Size = 8;
    c.Font.Color = 0;
    c.TextOut(10, 10, "Es gibt noch kein altes Zeichenfenster.");
    return SurfaceImage(*surface);
}

} // namespace

TFLetztesZeichenfenster::TFLetztesZeichenfenster(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QString::fromLatin1(Caption));
    setFixedSize(373, 238);
    pb = new TLetztesBildBox(this);
    pb->setGeometry(rect());
    if (!FLetztesZeichenfenster) FLetztesZeichenfenster = this;
    Bild = NoPictureYet();
    Fit();
}

TFLetztesZeichenfenster::~TFLetztesZeichenfenster() {
    if (FLetztesZeichenfenster == this) FLetztesZeichenfenster = nullptr;
}

void TFLetztesZeichenfenster::TakePicture(const QImage& picture, int originX, int originY) {
    Bild = picture;
    BildOriginX = originX;
    BildOriginY = originY;
    Fit();
    pb->update();
}

// The outer size is the picture's (at least 30 x 30); with a frame the right
// and bottom edge of the picture lie under it.
void TFLetztesZeichenfenster::Fit() {
    const int outerWidth = std::max(MinimumSize, Bild.width());
    const int outerHeight = std::max(MinimumSize, Bild.height());
    const QRect outer = frameGeometry(), inner = geometry();
    const int extraWidth = std::max(0, outer.width() - inner.width());
    const int extraHeight = std::max(0, outer.height() - inner.height());
    setFixedSize(std::max(1, outerWidth - extraWidth), std::max(1, outerHeight - extraHeight));
    pb->setGeometry(rect());
}

void TFLetztesZeichenfenster::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Fit();
}

void TFLetztesZeichenfenster::pbPaint(QWidget& box) {
    QPainter painter(&box);
    // Blocks of equal device pixels on a dense screen, as in the drawing windows.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (!Bild.isNull()) painter.drawImage(0, 0, Bild);
    const QRegion uncovered = QRegion(box.rect()).subtracted(QRegion(Bild.rect()));
    for (const QRect& r : uncovered) painter.fillRect(r, palette().window());
}

void TFLetztesZeichenfenster::pbMouseMove(int x, int y) {
    const std::string title = std::string(Caption) + " x:" + std::to_string(x - BildOriginX) +
                              " y:" + std::to_string(BildOriginY - y);
    setWindowTitle(QString::fromLatin1(title.c_str()));
}
