// The pictures of `zak --run FILE --png DIR`: one PNG per drawing window of
// the run, in creation order, taken from the real canvas on the offscreen
// platform, where a drawing area is 447 x 384 pixels with the origin at
// (223, 192).
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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

bool RectangleMissing(const TPictures& p) {
    return p.Out.find("Rechteck gibt es nicht") != std::string::npos;
}

QRgb At(const fs::path& png, int x, int y) {
    QImage image(QString::fromStdString(png.string()));
    return image.pixel(x, y) & 0xFFFFFF;
}

TEST(HeadlessPng, DefaultWindowShowsADefaultRectangle) {
    TPictures p = RunWithPictures("rechteck", "r: Rechteck\r\n");
    if (RectangleMissing(p)) GTEST_SKIP() << "the rectangle class is not built in yet";
    ASSERT_EQ(p.Status, 0) << p.Out;
    const fs::path png = p.Dir / "fenster-1.png";
    ASSERT_TRUE(fs::exists(png));
    EXPECT_FALSE(fs::exists(p.Dir / "fenster-2.png"));
    QImage image(QString::fromStdString(png.string()));
    EXPECT_EQ(image.width(), 447);
    EXPECT_EQ(image.height(), 384);
    EXPECT_EQ(At(png, 223, 192), qRgb(255, 255, 255) & 0xFFFFFF);  // filled white
    EXPECT_EQ(At(png, 213, 192), 0u);                              // left border, black
    EXPECT_EQ(At(png, 5, 5), qRgb(129, 128, 128) & 0xFFFFFF);       // background
    fs::remove_all(p.Dir.parent_path());
}

TEST(HeadlessPng, MovedRectangleIsDrawnWhereItWent) {
    TPictures p = RunWithPictures("verschoben", "r: Rechteck\r\nr.verschieben(100, 50)\r\n");
    if (RectangleMissing(p)) GTEST_SKIP() << "the rectangle class is not built in yet";
    ASSERT_EQ(p.Status, 0) << p.Out;
    const fs::path png = p.Dir / "fenster-1.png";
    EXPECT_EQ(At(png, 323, 142), qRgb(255, 255, 255) & 0xFFFFFF);
    EXPECT_NE(At(png, 223, 192), qRgb(255, 255, 255) & 0xFFFFFF);
    fs::remove_all(p.Dir.parent_path());
}

TEST(HeadlessPng, DeclaredWindowShowsOnlyWhatItWasGiven) {
    TPictures p = RunWithPictures("fenster", "f, g: Fenster\r\nr: Rechteck\r\ng.zeichne(r)\r\n");
    if (RectangleMissing(p)) GTEST_SKIP() << "the rectangle class is not built in yet";
    ASSERT_EQ(p.Status, 0) << p.Out;
    ASSERT_TRUE(fs::exists(p.Dir / "fenster-1.png"));
    ASSERT_TRUE(fs::exists(p.Dir / "fenster-2.png"));
    EXPECT_FALSE(fs::exists(p.Dir / "fenster-3.png"));  // no default window
    EXPECT_NE(At(p.Dir / "fenster-1.png", 223, 192), qRgb(255, 255, 255) & 0xFFFFFF);
    EXPECT_EQ(At(p.Dir / "fenster-2.png", 223, 192), qRgb(255, 255, 255) & 0xFFFFFF);
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
    EXPECT_EQ(At(png, 5, 5), qRgb(129, 128, 128) & 0xFFFFFF);
    EXPECT_EQ(At(png, 223, 192), At(png, 223, 5));  // the vertical axis
    fs::remove_all(p.Dir.parent_path());
}

} // namespace
