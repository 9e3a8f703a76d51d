// The pictures of `zak --run FILE --png DIR`: one PNG per drawing window of
// the run, in creation order, taken from the real canvas on the offscreen
// platform, where a drawing area is 447 x 384 pixels with the origin in its
// middle.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TPictures {
    int Status = -1;
    std::string Out;
    fs::path Dir;
};

TPictures RunWithPictures(const std::string& name, const std::string& program) {
    const fs::path base = fs::temp_directory_path() / ("zak-png-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(base);
    fs::create_directories(base);
    const fs::path file = base / "programm.zak";
    std::ofstream(file, std::ios::binary) << "// ZAK 1.5 - Programm\r\n" << program;
    TPictures result;
    result.Dir = base / "bilder";
    const fs::path out = base / "out.txt";
    std::string command = std::string("\"") + ZAK_BINARY + "\" --run \"" + file.string() +
                          "\" --png \"" + result.Dir.string() + "\" > \"" + out.string() + "\" 2>&1";
    int raw = std::system(command.c_str());
    if (WIFEXITED(raw)) result.Status = WEXITSTATUS(raw);
    std::ifstream in(out);
    std::ostringstream text;
    text << in.rdbuf();
    result.Out = text.str();
    return result;
}

QRgb At(const fs::path& png, int x, int y) {
    QImage image(QString::fromStdString(png.string()));
    return image.pixel(x, y) & 0xFFFFFF;
}

constexpr QRgb White = 0xFFFFFF;
constexpr QRgb Background = 0x818080;  // the canvas's 0x808081 as RGB

// The columns of the black pixels in one row: a rectangle's two borders.
std::vector<int> BlackColumns(const fs::path& png, int row) {
    QImage image(QString::fromStdString(png.string()));
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x)
        if ((image.pixel(x, row) & 0xFFFFFF) == 0) columns.push_back(x);
    return columns;
}

// A default rectangle is 20 units wide: its borders lie 20 pixels apart with
// white in between, centred on `centreX` (give or take the half pixel of an
// odd drawing width).
void ExpectRectangle(const fs::path& png, int row, int centreX) {
    std::vector<int> black = BlackColumns(png, row);
    ASSERT_EQ(black.size(), 2u) << "row " << row;
    EXPECT_EQ(black[1] - black[0], 20);
    EXPECT_NEAR((black[0] + black[1]) / 2.0, centreX, 1.0);
    for (int x = black[0] + 1; x < black[1]; ++x) EXPECT_EQ(At(png, x, row), White) << x;
}

TEST(HeadlessPng, DefaultWindowShowsADefaultRectangle) {
    TPictures p = RunWithPictures("rechteck", "r: Rechteck\r\n");
    ASSERT_EQ(p.Status, 0) << p.Out;
    const fs::path png = p.Dir / "fenster-1.png";
    ASSERT_TRUE(fs::exists(png));
    EXPECT_FALSE(fs::exists(p.Dir / "fenster-2.png"));
    QImage image(QString::fromStdString(png.string()));
    EXPECT_EQ(image.width(), 447);
    EXPECT_EQ(image.height(), 384);
    ExpectRectangle(png, 192, 223);
    EXPECT_EQ(At(png, 5, 5), Background);
    fs::remove_all(p.Dir.parent_path());
}

TEST(HeadlessPng, MovedRectangleIsDrawnWhereItWent) {
    TPictures p = RunWithPictures("verschoben", "r: Rechteck\r\nr.verschieben(100, 50)\r\n");
    ASSERT_EQ(p.Status, 0) << p.Out;
    const fs::path png = p.Dir / "fenster-1.png";
    ExpectRectangle(png, 142, 323);
    EXPECT_TRUE(BlackColumns(png, 192).empty());
    fs::remove_all(p.Dir.parent_path());
}

TEST(HeadlessPng, DeclaredWindowShowsOnlyWhatItWasGiven) {
    TPictures p = RunWithPictures("fenster", "f, g: Fenster\r\nr: Rechteck\r\ng.zeichne(r)\r\n");
    ASSERT_EQ(p.Status, 0) << p.Out;
    ASSERT_TRUE(fs::exists(p.Dir / "fenster-1.png"));
    ASSERT_TRUE(fs::exists(p.Dir / "fenster-2.png"));
    EXPECT_FALSE(fs::exists(p.Dir / "fenster-3.png"));  // no default window
    EXPECT_TRUE(BlackColumns(p.Dir / "fenster-1.png", 192).empty());
    ExpectRectangle(p.Dir / "fenster-2.png", 192, 223);
    fs::remove_all(p.Dir.parent_path());
}

TEST(HeadlessPng, NoWindowNoFile) {
    TPictures p = RunWithPictures("zahlen", "n: integer\r\nn := 3\r\n");
    ASSERT_EQ(p.Status, 0) << p.Out;
    EXPECT_FALSE(fs::exists(p.Dir / "fenster-1.png"));
    fs::remove_all(p.Dir.parent_path());
}

TEST(HeadlessPng, DefaultWindowWithoutDrawableFigureShowsTheGrid) {
    TPictures p = RunWithPictures("figur", "f: Figur\r\n");
    ASSERT_EQ(p.Status, 0) << p.Out;
    const fs::path png = p.Dir / "fenster-1.png";
    ASSERT_TRUE(fs::exists(png));
    EXPECT_EQ(At(png, 5, 5), Background);
    EXPECT_TRUE(BlackColumns(png, 192).empty());
    fs::remove_all(p.Dir.parent_path());
}

// Pixels where two pictures of the same size differ; -1 for different sizes
// or a missing picture.
long long DifferingPixels(const fs::path& a, const fs::path& b) {
    const QImage left(QString::fromStdString(a.string())), right(QString::fromStdString(b.string()));
    if (left.isNull() || right.isNull() || left.size() != right.size()) return -1;
    const QImage l = left.convertToFormat(QImage::Format_RGB32), r = right.convertToFormat(QImage::Format_RGB32);
    long long differing = 0;
    for (int y = 0; y < l.height(); ++y)
        for (int x = 0; x < l.width(); ++x) differing += (l.pixel(x, y) & 0xFFFFFFu) != (r.pixel(x, y) & 0xFFFFFFu);
    return differing;
}

// Every program of the tests and every example draws with ZAK's own raster
// canvas exactly the pictures QPainter draws (ZAK_CANVAS=qt), window by window.
TEST(HeadlessPng, TheRasterCanvasDrawsEveryProgramAsQPainterDoes) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "some hundred runs are too slow under the address sanitizer; the main tree runs them";
#endif
    std::vector<fs::path> programs;
    for (const char* folder : {"tests/programs", "examples"})
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(ZAK_SOURCE_DIR) / folder))
            if (entry.is_regular_file() && entry.path().extension() == ".zak") programs.push_back(entry.path());
    std::sort(programs.begin(), programs.end());
    ASSERT_GT(programs.size(), 150u);
    const fs::path base = fs::temp_directory_path() / ("zak-raster-" + std::to_string(::getpid()));
    int pictures = 0;
    for (const fs::path& program : programs) {
        fs::remove_all(base);
        for (const char* kind : {"qt", "raster"}) {
            const std::string command = std::string("ZAK_CANVAS=") + kind + " \"" + ZAK_BINARY + "\" --run \"" +
                                        program.string() + "\" --max-steps 200000 --png \"" +
                                        (base / kind).string() + "\" > /dev/null 2>&1";
            [[maybe_unused]] const int status = std::system(command.c_str());
        }
        for (int window = 1;; ++window) {
            const std::string name = "fenster-" + std::to_string(window) + ".png";
            const bool qt = fs::exists(base / "qt" / name);
            EXPECT_EQ(qt, fs::exists(base / "raster" / name)) << program << " " << name;
            if (!qt) break;
            EXPECT_EQ(DifferingPixels(base / "qt" / name, base / "raster" / name), 0) << program << " " << name;
            ++pictures;
        }
    }
    fs::remove_all(base);
    EXPECT_GT(pictures, 50);
}

} // namespace
