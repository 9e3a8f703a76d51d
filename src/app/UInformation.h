#pragma once
// The about box: the language's name, the version, credits, a link to the
// project's web page and a small drawing. At start it is shown without a
// border for two seconds; from the menu it is shown with a caption bar.
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <functional>

class QPushButton;

inline constexpr const char* kHomePageUrl = "https://zak.example.org/";

// A label that acts as a link: blue while the mouse is over it, black
// otherwise; a click opens its address in the system's browser.
class TLinkLabel : public QLabel {
    Q_OBJECT

public:
    TLinkLabel(const QString& text, const QString& url, QWidget* parent);
    const QString& Url() const { return FUrl; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void SetTextColor(const QColor& color);
    QString FUrl;
};

class TFInformation : public QDialog {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 474;
    static constexpr int kClientHeight = 294;
    static constexpr int kStartupMs = 2000;

    explicit TFInformation(QWidget* parent = nullptr);

    // Shows the box without a border, centred on `mainWindow`, and hides it
    // after two seconds whatever happened in between; then `afterwards` runs
    // (the main window loads the settings there). The box never takes the
    // keyboard: a pupil may already be typing, and keys that reach it anyway
    // go on to `mainWindow`'s focus widget.
    void ShowStartup(QWidget* mainWindow, std::function<void()> afterwards = {});
    // Shows the box with a caption bar, not modally. The client area keeps
    // its size however often this is called. Unasked for (`activate` false),
    // it leaves the keyboard where it is.
    void ShowInformation(QWidget* mainWindow, bool activate = true);
    bool Bordered() const { return FBordered; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void CentreOn(QWidget* mainWindow);
    void EndStartup();
    bool PassKeyOn(QKeyEvent* event);

    bool FBordered = false;
    QTimer FStartupTimer;
    std::function<void()> FAfterStartup;
    QPointer<QWidget> FKeysTo;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    TLinkLabel* Label5 = nullptr;
    QPushButton* SpeedButton1 = nullptr;
};
