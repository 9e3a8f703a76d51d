#include "AppTestSupport.h"
#include "ULineList.h"
#include "UProgramPrint.h"
#include "USHControl.h"

#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

// Lines with their classes; every character gets `cls` unless given.
TLineList MakeLines(const std::vector<std::string>& texts, char cls = '2') {
    TLineList lines;
    for (int i = 0; i < static_cast<int>(texts.size()); ++i) {
        lines.Insert(i, texts[static_cast<size_t>(i)]);
        lines.EnsureInfo(i).Classes = std::string(texts[static_cast<size_t>(i)].size() + 1, cls);
    }
    return lines;
}

class PrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setResolution(600);
        printer.setOutputFileName(Pdf());
    }
    QString Pdf() const { return dir.filePath("out.pdf"); }

    // The pages of the PDF as text, laid out as printed.
    std::vector<std::string> Pages() {
        QProcess process;
        process.start("pdftotext", {"-layout", Pdf(), "-"});
        EXPECT_TRUE(process.waitForFinished(30000));
        const std::string text = process.readAllStandardOutput().toStdString();
        std::vector<std::string> pages;
        size_t start = 0;
        for (size_t feed; (feed = text.find('\f', start)) != std::string::npos; start = feed + 1)
            pages.push_back(text.substr(start, feed - start));
        return pages;
    }
    static std::vector<std::string> Rows(const std::string& page) {
        std::vector<std::string> rows;
        size_t start = 0;
        for (size_t end; (end = page.find('\n', start)) != std::string::npos; start = end + 1)
            rows.push_back(page.substr(start, end - start));
        return rows;
    }
    TPrintLayout Layout(int lineCount, bool numbers) { return ComputePrintLayout(printer, lineCount, numbers); }
    TPrintOutcome PrintAll(const TLineList& lines, bool numbers) {
        const int last = lines.Count() - 1;
        return PrintLines(lines, {0, 0}, {last, lines.Length(last)}, numbers, printer);
    }

    QTemporaryDir dir;
    bool appReady = (TestApp(), true);  // a printer needs the application first
    QPrinter printer{QPrinter::HighResolution};
};

} // namespace

TEST_F(PrintTest, LayoutFollowsTheTextAndThePage) {
    const TPrintLayout plain = Layout(9, false);
    EXPECT_EQ(plain.Digits, 1);
    EXPECT_EQ(plain.NumberWidth, 0);
    EXPECT_EQ(Layout(99, true).Digits, 2);
    EXPECT_EQ(Layout(120, true).Digits, 3);
    EXPECT_EQ(Layout(1000, true).Digits, 4);
    const TPrintLayout numbered = Layout(120, true);
    EXPECT_EQ(numbered.NumberWidth, 5 * numbered.CellWidth);
    EXPECT_EQ(numbered.RowsPerPage, (printer.height() - 100) / numbered.RowHeight);
    EXPECT_EQ(numbered.CharsPerRow, (printer.width() - 100 - numbered.NumberWidth) / numbered.CellWidth);
    // Courier New 10 pt at 600 dpi: cells of 6 points, rows of about 11.
    EXPECT_NEAR(numbered.CellWidth, 50, 2);
    EXPECT_NEAR(numbered.RowHeight, 94, 6);
}

TEST_F(PrintTest, NumbersArePaddedToTheDigitsOfTheWholeText) {
    std::vector<std::string> texts;
    for (int i = 1; i <= 120; ++i) texts.push_back("zeile" + std::to_string(i));
    ASSERT_EQ(PrintAll(MakeLines(texts), true), TPrintOutcome::Printed);
    const std::vector<std::string> pages = Pages();
    ASSERT_EQ(pages.size(), 2u);
    // The page's leftmost ink starts the text layout, so the first page,
    // whose numbers have at most two digits, shows one padding blank less.
    const std::vector<std::string> first = Rows(pages[0]);
    ASSERT_GT(first.size(), 10u);
    EXPECT_EQ(first[6], " 7: zeile7");
    EXPECT_EQ(first[9], "10: zeile10");
    const std::vector<std::string> second = Rows(pages[1]);
    const int perPage = Layout(120, true).RowsPerPage;
    ASSERT_LT(perPage, 99);
    EXPECT_EQ(second.at(static_cast<size_t>(98 - perPage)), " 99: zeile99");
    EXPECT_EQ(second.at(static_cast<size_t>(99 - perPage)), "100: zeile100");
}

TEST_F(PrintTest, LongLinesWrapWithoutNumbersOnContinuationRows) {
    const int width = Layout(3, true).CharsPerRow;
    const std::string exact(static_cast<size_t>(width), 'x');
    const std::string longer = std::string(static_cast<size_t>(width), 'a') + "bbb";
    ASSERT_EQ(PrintAll(MakeLines({exact, "", longer}), true), TPrintOutcome::Printed);
    const std::vector<std::string> rows = Rows(Pages().at(0));
    ASSERT_GE(rows.size(), 5u);
    EXPECT_EQ(rows[0], "1:" + std::string(1, ' ') + exact);
    EXPECT_EQ(rows[1], "");  // the exact line's second, empty row
    EXPECT_EQ(rows[2], "2:");
    EXPECT_EQ(rows[3], "3: " + std::string(static_cast<size_t>(width), 'a'));
    EXPECT_EQ(rows[4], "   bbb");
}

TEST_F(PrintTest, PagesBreakAfterTheRowsPerPage) {
    const int perPage = Layout(10, true).RowsPerPage;
    std::vector<std::string> texts;
    for (int i = 1; i <= perPage; ++i) texts.push_back("z" + std::to_string(i));
    // A job whose last row fills a page begins the next page before it ends.
    ASSERT_EQ(PrintAll(MakeLines(texts), false), TPrintOutcome::Printed);
    std::vector<std::string> pages = Pages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(Rows(pages[0]).at(static_cast<size_t>(perPage - 1)), "z" + std::to_string(perPage));
    EXPECT_EQ(pages[1].find_first_not_of(" \n"), std::string::npos) << pages[1];

    texts.push_back("danach");
    ASSERT_EQ(PrintAll(MakeLines(texts), false), TPrintOutcome::Printed);
    pages = Pages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(Rows(pages[1]).at(0), "danach");

    // A wrapped line's second row filling the page counts the same.
    texts.assign(static_cast<size_t>(perPage - 2), "k");
    texts.push_back(std::string(static_cast<size_t>(Layout(10, false).CharsPerRow), 'a'));
    ASSERT_EQ(PrintAll(MakeLines(texts), false), TPrintOutcome::Printed);
    EXPECT_EQ(Pages().size(), 2u);
}

TEST_F(PrintTest, AnEmptyProgramPrintsItsOneEmptyRow) {
    auto editor = std::make_unique<TSHControl>();
    editor->LoadLines({""});
    ASSERT_EQ(Print(*editor, false, true, printer), TPrintOutcome::Printed);
    const std::vector<std::string> pages = Pages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(Rows(pages[0]).at(0), "1:");
    // Only the selection: nothing, and no file.
    QFile::remove(Pdf());
    EXPECT_EQ(Print(*editor, true, true, printer), TPrintOutcome::NothingToPrint);
    EXPECT_FALSE(QFile::exists(Pdf()));
}

TEST_F(PrintTest, ContinuationOnANewPageCarriesItsNumber) {
    const TPrintLayout layout = Layout(10, true);
    std::vector<std::string> texts(static_cast<size_t>(layout.RowsPerPage - 1), "k");
    texts.push_back(std::string(static_cast<size_t>(layout.CharsPerRow), 'a') + "rest");
    ASSERT_EQ(PrintAll(MakeLines(texts), true), TPrintOutcome::Printed);
    const std::vector<std::string> pages = Pages();
    ASSERT_EQ(pages.size(), 2u);
    const std::string number = std::to_string(layout.RowsPerPage) + ":";
    EXPECT_EQ(Rows(pages[1]).at(0), number + std::string(layout.Digits + 2 - number.size(), ' ') + "rest");
}

TEST_F(PrintTest, PrintsOnlyTheRange) {
    const TLineList lines = MakeLines({"eins zwei", "drei vier", "fuenf sechs"});
    ASSERT_EQ(PrintLines(lines, {0, 5}, {2, 5}, false, printer), TPrintOutcome::Printed);
    const std::vector<std::string> rows = Rows(Pages().at(0));
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0], "zwei");
    EXPECT_EQ(rows[1], "drei vier");
    EXPECT_EQ(rows[2], "fuenf");
    // Within one line both cuts apply.
    ASSERT_EQ(PrintLines(lines, {1, 2}, {1, 6}, false, printer), TPrintOutcome::Printed);
    EXPECT_EQ(Rows(Pages().at(0)).at(0), "ei v");
}

TEST_F(PrintTest, ClassesGiveColours) {
    TLineList lines = MakeLines({"'blau'  // gruen"});
    lines.EnsureInfo(0).Classes = "111111223333333332";
    ASSERT_EQ(PrintAll(lines, false), TPrintOutcome::Printed);
    QProcess render;
    render.start("pdftoppm", {"-r", "150", "-png", "-singlefile", Pdf(), dir.filePath("page")});
    ASSERT_TRUE(render.waitForFinished(30000));
    const QImage image(dir.filePath("page.png"));
    ASSERT_FALSE(image.isNull());
    bool blue = false, green = false;
    for (int y = 0; y < image.height() / 8; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            blue |= c.blue() > 200 && c.red() < 90 && c.green() < 90;
            green |= c.green() > 200 && c.red() < 90 && c.blue() < 90;
        }
    EXPECT_TRUE(blue);
    EXPECT_TRUE(green);
}

TEST_F(PrintTest, EditorSelectionAndItsAbsence) {
    auto editor = std::make_unique<TSHControl>();
    editor->LoadLines({"erste", "zweite", "dritte"});
    // An empty selection starts no job at all.
    EXPECT_EQ(Print(*editor, true, false, printer), TPrintOutcome::NothingToPrint);
    EXPECT_FALSE(QFile::exists(Pdf()));

    editor->SetSelection({2, 3}, {1, 1});  // backwards: normalised before printing
    ASSERT_EQ(Print(*editor, true, true, printer), TPrintOutcome::Printed);
    std::vector<std::string> rows = Rows(Pages().at(0));
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0], "2: weite");
    EXPECT_EQ(rows[1], "3: dri");

    ASSERT_EQ(Print(*editor, false, false, printer), TPrintOutcome::Printed);
    rows = Rows(Pages().at(0));
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[2], "dritte");
}

TEST_F(PrintTest, AnUnwritableFileIsReportedWithItsPath) {
    const QString path = dir.filePath("fehlt/out.pdf");
    printer.setOutputFileName(path);
    QString error;
    EXPECT_EQ(PrintAll(MakeLines({"x"}), false), TPrintOutcome::Failed);
    EXPECT_EQ(PrintLines(MakeLines({"x"}), {0, 0}, {0, 1}, false, printer, &error), TPrintOutcome::Failed);
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
}
