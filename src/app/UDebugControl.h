#pragma once
// TDebugControl: the variables view. It knows nothing of the language: it
// shows up to 200 short texts ("cells", Windows-1252 with formatting marks)
// flowed into rows of cells whose widths are multiples of 100 pixels, with
// scroll bars where the cells do not fit. Everything is drawn into an
// off-screen image first, so refreshing at every statement does not flicker.
//
// Marks inside a cell: 1 bold on, 2 bold off, 3 red, 4 black.
#include <QFont>
#include <QImage>
#include <QWidget>

#include <array>
#include <mutex>
#include <string>
#include <string_view>

class QScrollBar;

class TDebugControl : public QWidget {
    Q_OBJECT

public:
    static constexpr int MaxCells = 200;
    static constexpr int ScrollBarThickness = 16;
    static constexpr int CellQuantum = 100;
    static constexpr int LineGap = 3;
    static constexpr int LeftMargin = 3;
    static constexpr int TopMargin = 3;

    struct TCell {
        std::string Text;
        int Row = 0;
        int Left = 0;   // content pixels
        int Width = 0;  // a multiple of CellQuantum
    };

    explicit TDebugControl(QWidget* parent = nullptr);
    ~TDebugControl() override;

    void Clear();
    // A cell beyond the 200th is dropped without notice.
    void AddCell(std::string_view text);
    // Lays the cells out, shows or hides the scroll bars and repaints.
    void Arrange();
    // Draws the visible cells into the off-screen image and shows it.
    void Paint();

    // Width of a cell text in pixels, marks applied (bold is wider).
    int Measure(std::string_view text) const;

    // What the layout produced, for the window and for tests.
    int Count() const;
    TCell Cell(int index) const;
    int RowHeight() const { return FRowHeight; }
    int RowCount() const { return FRowCount; }
    int VisibleRows() const { return FVisibleRows; }
    int DrawingWidth() const { return FDrawingWidth; }
    int DrawingHeight() const { return FDrawingHeight; }
    int HorizontalPosition() const { return FHPos; }
    int VerticalPosition() const { return FVPos; }
    QScrollBar* HorizontalBar() const { return FHBar; }
    QScrollBar* VerticalBar() const { return FVBar; }
    // The picture last drawn (drawing width x drawing height, in device
    // pixels at the screen's density).
    const QImage& Bitmap() const { return FBitmap; }

    static const char* const NoVariablesText;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Scrolled();
    void DrawCell(QPainter& painter, std::string_view text, int x, int y) const;

    // Guards the cells, the count and the layout values; always taken after
    // the step lock, never before it.
    mutable std::recursive_mutex FLock;
    std::array<TCell, MaxCells> FCells;
    // Measure's result for each cell's text, -1 when not measured yet. The
    // view is refreshed after every statement at the speeds that follow the
    // program, while most cells keep their text, and measuring means
    // shaping the text with the font.
    std::array<int, MaxCells> FMeasured;
    int FCount = 0;

    QFont FFont;
    QFont FBoldFont;
    QImage FBitmap;
    QScrollBar* FHBar;
    QScrollBar* FVBar;
    bool FArranging = false;

    int FHPos = 0;
    int FVPos = 0;
    int FRowHeight = 0;
    int FRowCount = 0;
    int FVisibleRows = 0;
    int FDrawingWidth = 0;
    int FDrawingHeight = 0;
};
