#pragma once
// The Qt side of the drawing-window seam: makes TFZeichnen windows for window
// objects and tells them the screen sizes. The application creates one at
// start, after the QApplication, and keeps it to the end; it installs itself,
// together with the font metrics text fields fit their frames to.
#include "UDrawingWindow.h"
#include "UQtTextMass.h"

#include <memory>

class TFLetztesZeichenfenster;

class TQtDrawingWindowHost : public TDrawingWindowHost {
public:
    // Also creates the last drawing window unless the application made one.
    TQtDrawingWindowHost();
    ~TQtDrawingWindowHost() override;
    TQtDrawingWindowHost(const TQtDrawingWindowHost&) = delete;
    TQtDrawingWindowHost& operator=(const TQtDrawingWindowHost&) = delete;

    std::unique_ptr<TDrawingWindow> CreateDrawingWindow() override;
    TScreenSize PrimaryScreenSize() const override;
    TScreenSize WorkAreaSize() const override;
    TScreenSize DesktopSize() const override;

private:
    TQtTextMeasure TextMeasure;
    std::unique_ptr<TFLetztesZeichenfenster> OwnLastWindow;
};
