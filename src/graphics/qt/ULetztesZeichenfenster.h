#pragma once
// TFLetztesZeichenfenster: the one window that shows the picture of the
// drawing window closed last, with the same world coordinates in its title.
// It exists from start-up to the end of the application; the main window
// shows it from its menu.
#include <QImage>
#include <QWidget>

class TFLetztesZeichenfenster : public QWidget {
    Q_OBJECT
public:
    // Starts with a 300 x 50 picture saying there is no old drawing window yet.
    explicit TFLetztesZeichenfenster(QWidget* parent = nullptr);
    ~TFLetztesZeichenfenster() override;

    // Keeps a copy of a closed drawing window's surface and the origin of its
    // canvas, fits the window to it and repaints.
    void TakePicture(const QImage& picture, int originX, int originY);

    const QImage& Picture() const { return Bild; }
    int OriginX() const { return BildOriginX; }
    int OriginY() const { return BildOriginY; }

    QWidget* pb;

protected:
    // The frame is known only once the window is on the screen.
    void showEvent(QShowEvent* event) override;

private:
    friend class TLetztesBildBox;
    void Fit();
    void pbPaint(QWidget& box);
    void pbMouseMove(int x, int y);

    QImage Bild;
    int BildOriginX = 0;
    int BildOriginY = 0;
};

// The application's instance, set by the first one created; drawing windows
// hand their picture to it when they close.
extern TFLetztesZeichenfenster* FLetztesZeichenfenster;
