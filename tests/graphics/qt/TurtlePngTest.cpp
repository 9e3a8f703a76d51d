// Turtles in the picture of a whole run (`zak --run FILE --png DIR`): the
// trail and the red turtle lie on top of a rectangle declared after the
// turtle, and a turtle copied into a group shows its trail but not itself.
// On the offscreen platform a drawing area is 447 x 384 pixels, so world
// (x, y) is pixel (224 + x, 192 - y).
#include <gtest/gtest.h>

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

struct TRun {
    int Status = -1;
    std::string Out;
    QImage Picture;
};

TRun RunProgram(const std::string& program) {
    TRun run;
    const fs::path base = fs::temp_directory_path() / ("zak-turtle-" + std::to_string(::getpid()));
    fs::remove_all(base);
    fs::create_directories(base);
    const fs::path file = base / "programm.zak";
    std::ofstream(file, std::ios::binary) << "// ZAK 1.5 - Programm\r\n" << program;
    const fs::path out = base / "out.txt";
    const std::string command = std::string("\"") + ZAK_BINARY + "\" --run \"" + file.string() + "\" --vars --png \"" +
                                (base / "bilder").string() + "\" > \"" + out.string() + "\" 2>&1";
    const int raw = std::system(command.c_str());
    if (WIFEXITED(raw)) run.Status = WEXITSTATUS(raw);
    std::ifstream in(out);
    std::ostringstream text;
    text << in.rdbuf();
    run.Out = text.str();
    run.Picture = QImage(QString::fromStdString((base / "bilder" / "fenster-1.png").string()));
    fs::remove_all(base);
    return run;
}

// The pixel at world (x, y) as 0xRRGGBB.
QRgb At(const QImage& image, int x, int y) { return image.pixel(224 + x, 192 - y) & 0xFFFFFF; }

constexpr QRgb Red = 0xFF0000;
constexpr QRgb Blue = 0x0000FF;
constexpr QRgb Black = 0x000000;
constexpr QRgb Yellow = 0xFFFF00;

} // namespace

TEST(TurtlePng, TurtleAndTrailLieOnTopOfTheRectangle) {
    if (!fs::exists(ZAK_BINARY)) GTEST_SKIP() << "zak is not built";
    const TRun run = RunProgram(
        "t: Turtle\r\n"
        "u: Turtle\r\n"
        "r: Rechteck\r\n"
        "g: Gruppe\r\n"
        "b: Boolean\r\n"
        "r.eckenSetzen(-60, 60, 60, -60)\r\n"
        "r.fuellfarbe := gelb\r\n"
        "t.farbe := blau\r\n"
        "t.linienstaerke := 1\r\n"
        "t.vor(40)\r\n"
        "b := t.aufPunkt()\r\n"
        "u.stiftAuf()\r\n"
        "u.setzeXY(-150, -100)\r\n"
        "u.stiftAb()\r\n"
        "u.vor(30)\r\n"
        "g.kopiere(u)\r\n"
        "g.verschieben(0, 200)\r\n");
    ASSERT_EQ(run.Status, 0) << run.Out;
    EXPECT_NE(run.Out.find("b = wahr"), std::string::npos) << run.Out;
    ASSERT_FALSE(run.Picture.isNull());
    const QImage& p = run.Picture;

    // The thin blue trail over the yellow fill, the turtle's red tip on it.
    EXPECT_EQ(At(p, 10, 0), Blue);
    EXPECT_EQ(At(p, 39, 0), Blue);
    EXPECT_EQ(At(p, 10, 1), Yellow);
    EXPECT_EQ(At(p, 40, 0), Red) << "the turtle marks its position";
    EXPECT_EQ(At(p, 59, 0), Red) << "the tip of the turtle, 20 ahead";

    // The turtle itself, outside the rectangle: a black trail three pixels
    // wide and the red turtle at its end.
    EXPECT_EQ(At(p, -135, -100), Black);
    EXPECT_EQ(At(p, -135, -101), Black);
    EXPECT_EQ(At(p, -120, -100), Red);
    EXPECT_EQ(At(p, -101, -100), Red);

    // Its copy in the group, moved up by 200: the trail without the turtle.
    EXPECT_EQ(At(p, -135, 100), Black);
    EXPECT_NE(At(p, -120, 100), Red);
    EXPECT_NE(At(p, -101, 100), Red);
}
