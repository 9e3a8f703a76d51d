#include "AppTestSupport.h"
#include "RegisterFileType.h"
#include "UEmblem.h"

#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <random>

#include <gtest/gtest.h>

namespace {

// Points the user's data and configuration directories at a temporary
// directory and records the desktop tools instead of running them.
class RegisterFileTypeTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        previous = SetToolRunner([this](const QString& program, const QStringList& arguments) {
            tools << (QStringList{program} + arguments).join(' ');
        });
    }
    void TearDown() override {
        SetToolRunner(previous);
        qputenv("XDG_DATA_HOME", TestDataHome());
        qunsetenv("XDG_CONFIG_HOME");
    }
    QString Path(const QString& name) const { return data.filePath(name); }
    std::string Text(const QString& name) const { return ReadBytes(Path(name)); }
    QStringList AllFiles() const {
        QStringList files;
        QDirIterator it(data.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) files << QDir(data.path()).relativeFilePath(it.next());
        files.sort();
        return files;
    }

    QTemporaryDir data;
    QTemporaryDir config;
    QStringList tools;
    TToolRunner previous;
};

} // namespace

TEST_F(RegisterFileTypeTest, WritesTheThreeFilesAndRefreshesTheDesktop) {
    QString error;
    ASSERT_TRUE(RegisterFileType("zak", "/opt/zak/bin/zak", &error)) << error.toStdString();
    EXPECT_EQ(UserDataDirectory(), data.path());
    EXPECT_EQ(AllFiles(), (QStringList{"applications/zakfile.desktop",
                                       "icons/hicolor/48x48/mimetypes/text-x-zak.png",
                                       "mime/packages/zakfile.xml"}));

    const std::string mime = Text("mime/packages/zakfile.xml");
    EXPECT_NE(mime.find("<mime-type type=\"text/x-zak\">"), std::string::npos) << mime;
    EXPECT_NE(mime.find("<glob pattern=\"*.zak\"/>"), std::string::npos) << mime;
    EXPECT_NE(mime.find("<icon name=\"text-x-zak\"/>"), std::string::npos) << mime;

    const std::string desktop = Text("applications/zakfile.desktop");
    EXPECT_EQ(desktop.rfind("[Desktop Entry]\n", 0), 0u) << desktop;
    for (const char* line : {"\nType=Application\n", "\nExec=/opt/zak/bin/zak %f\n", "\nIcon=text-x-zak\n",
                             "\nMimeType=text/x-zak;\n"})
        EXPECT_NE(desktop.find(line), std::string::npos) << line << " in\n" << desktop;

    const QImage icon(Path("icons/hicolor/48x48/mimetypes/text-x-zak.png"));
    EXPECT_EQ(icon.size(), QSize(48, 48));

    EXPECT_EQ(tools, (QStringList{"update-mime-database " + data.path() + "/mime",
                                  "update-desktop-database " + data.path() + "/applications",
                                  "xdg-mime default zakfile.desktop text/x-zak"}));
}

TEST_F(RegisterFileTypeTest, RegisteringTwiceLeavesTheSameFiles) {
    ASSERT_TRUE(RegisterFileType("zak", "/opt/zak/zak"));
    const std::string desktop = Text("applications/zakfile.desktop");
    const std::string mime = Text("mime/packages/zakfile.xml");
    ASSERT_TRUE(RegisterFileType("zak", "/opt/zak/zak"));
    EXPECT_EQ(Text("applications/zakfile.desktop"), desktop);
    EXPECT_EQ(Text("mime/packages/zakfile.xml"), mime);
    EXPECT_EQ(AllFiles().size(), 3);
}

TEST_F(RegisterFileTypeTest, ProgramPathsAreQuotedWhereTheDesktopNeedsIt) {
    EXPECT_EQ(DesktopExecValue("/usr/bin/zak"), "/usr/bin/zak %f");
    EXPECT_EQ(DesktopExecValue("/home/anna/Meine Programme/zak"), "\"/home/anna/Meine Programme/zak\" %f");
    // Inside quotes " ` $ \ take a backslash; the key file doubles every backslash.
    EXPECT_EQ(DesktopExecValue("/a\"b`c$d\\e/zak"), "\"/a\\\\\"b\\\\`c\\\\$d\\\\\\\\e/zak\" %f");
    // A "%" would keep GLib from finding the program: the shell starts it.
    EXPECT_EQ(DesktopExecValue("/opt/100%/zak"),
              "/bin/sh -c \"exec \\\\\"\\\\$0\\\\\" \\\\\"\\\\$@\\\\\"\" /opt/100%%/zak %f");
    EXPECT_EQ(DesktopExecValue(QString::fromUtf8("/home/jürgen/zak")), QString::fromUtf8("/home/jürgen/zak %f"));

    ASSERT_TRUE(RegisterFileType("zak", "/home/anna/Meine Programme/zak"));
    EXPECT_NE(Text("applications/zakfile.desktop").find("\nExec=\"/home/anna/Meine Programme/zak\" %f\n"),
              std::string::npos);
}

// Any program path, read back from the Exec value as a launcher reads it,
// starts that program with the document, and the program the loader looks
// for (the first argument as written) is the one launched.
TEST_F(RegisterFileTypeTest, AnyProgramPathComesBackFromTheExecValue) {
    std::mt19937 random(2207);
    const QString marks = QString::fromUtf8(" \t\n\r\"'\\><~|&;$*?#()`%=üß-af/");
    const QString document = QStringLiteral("/a \"b\" %f 100%.zak");
    for (int i = 0; i < 1000; ++i) {
        QString path = QStringLiteral("/");
        const int length = static_cast<int>(random() % 12);
        for (int k = 0; k < length; ++k) path += marks[static_cast<int>(random() % marks.size())];
        SCOPED_TRACE(path.toStdString());
        const QString value = DesktopExecValue(path);
        EXPECT_FALSE(value.contains('\n') || value.contains('\r') || value.contains('\t'));
        const QStringList expected = path.contains('%')
                                         ? QStringList{"/bin/sh", "-c", "exec \"$0\" \"$@\"", path, document}
                                         : QStringList{path, document};
        const std::optional<QStringList> launched = DesktopExecArguments(value, document, true);
        ASSERT_TRUE(launched.has_value()) << value.toStdString();
        EXPECT_EQ(*launched, expected) << value.toStdString();
        const std::optional<QStringList> loaded = DesktopExecArguments(value, {}, false);
        ASSERT_TRUE(loaded && !loaded->isEmpty()) << value.toStdString();
        EXPECT_EQ(loaded->first(), expected.first()) << value.toStdString();
    }
}

// The desktop's own launcher starts the program from the written entry with
// its path intact, whatever marks the directories' names hold.
TEST_F(RegisterFileTypeTest, TheDesktopLauncherFindsAProgramPathWithBlanksAndQuotes) {
    const QString gio = QStandardPaths::findExecutable("gio");
    if (gio.isEmpty()) GTEST_SKIP() << "no gio";
    const QString directory = Path(QStringLiteral("Meine Programme \"neu\" 'x' $HOME `id` \\ & ; # ~ (1) 100% %f"));
    ASSERT_TRUE(QDir().mkpath(directory));
    const QString program = directory + "/zak";
    const QString record = Path("arguments");
    WriteBytes(program, "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > '" + record.toStdString() + "'\n");
    ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    ASSERT_TRUE(RegisterFileType("zak", program));

    const QString file = Path("mein programm %f 50%.zak");
    QProcess launcher;
    launcher.start(gio, {"launch", Path("applications/zakfile.desktop"), file});
    ASSERT_TRUE(launcher.waitForFinished(10000));
    EXPECT_EQ(launcher.exitCode(), 0) << launcher.readAllStandardError().toStdString();
    for (int i = 0; i < 100 && !QFile::exists(record); ++i) QThread::msleep(50);
    QThread::msleep(50);
    EXPECT_EQ(ReadBytes(record), (program + "\n" + file + "\n").toStdString());
}

TEST_F(RegisterFileTypeTest, DeregisteringRemovesExactlyTheseFiles) {
    WriteBytes(Path("x"), "");  // make sure the directories hold other files too
    QDir().mkpath(Path("mime/packages"));
    QDir().mkpath(Path("applications"));
    WriteBytes(Path("mime/packages/other.xml"), "<other/>");
    WriteBytes(Path("applications/other.desktop"), "[Desktop Entry]\n");
    ASSERT_TRUE(RegisterFileType("zak", "/opt/zak/zak"));
    tools.clear();
    ASSERT_TRUE(DeregisterFileType("zak"));
    EXPECT_EQ(AllFiles(), (QStringList{"applications/other.desktop", "mime/packages/other.xml", "x"}));
    EXPECT_EQ(tools, (QStringList{"update-mime-database " + data.path() + "/mime",
                                  "update-desktop-database " + data.path() + "/applications"}));

    // Nothing registered: nothing changes, no tool runs, and that is no failure.
    tools.clear();
    EXPECT_TRUE(DeregisterFileType("zak"));
    EXPECT_EQ(AllFiles().size(), 3);
    EXPECT_TRUE(tools.isEmpty()) << tools.join(", ").toStdString();
}

TEST_F(RegisterFileTypeTest, ProblemsAreReportedWithThePath) {
    QString error;
    EXPECT_FALSE(RegisterFileType("z/ak", "/opt/zak/zak", &error));
    EXPECT_TRUE(AllFiles().isEmpty());

    WriteBytes(Path("applications"), "a file in the way");
    EXPECT_FALSE(RegisterFileType("zak", "/opt/zak/zak", &error));
    EXPECT_TRUE(error.contains(Path("applications"))) << error.toStdString();
    // The parts that could be written are there.
    EXPECT_TRUE(QFile::exists(Path("mime/packages/zakfile.xml")));
}

TEST_F(RegisterFileTypeTest, RelativeDataHomeIsIgnored) {
    qputenv("XDG_DATA_HOME", "relativ/pfad");
    EXPECT_EQ(UserDataDirectory(), QDir::homePath() + "/.local/share");
}

// With the real tools, where installed: the desktop database then knows the type.
TEST_F(RegisterFileTypeTest, TheMimeDatabaseLearnsTheType) {
    if (QStandardPaths::findExecutable("update-mime-database").isEmpty()) GTEST_SKIP() << "no update-mime-database";
    SetToolRunner({});
    ASSERT_TRUE(RegisterFileType("zak", "/opt/zak/zak"));
    EXPECT_TRUE(QFile::exists(Path("mime/text/x-zak.xml")));
    EXPECT_NE(Text("mime/globs2").find("text/x-zak:*.zak"), std::string::npos);
    ASSERT_TRUE(DeregisterFileType("zak"));
    EXPECT_FALSE(QFile::exists(Path("mime/text/x-zak.xml")));
}

// A pupil's own registration and the installed program describe .zak files
// alike, whichever of the two the desktop reads last; the own desktop entry
// has a name of its own, so that it cannot hide the installed menu entry.
TEST_F(RegisterFileTypeTest, AgreesWithTheInstalledFiles) {
    ASSERT_TRUE(RegisterFileType("zak", "/usr/bin/zak"));
    EXPECT_EQ(Text("mime/packages/zakfile.xml"), ReadBytes(QStringLiteral(ZAK_SOURCE_DIR "/data/zak.xml")));
    const std::string installed = ReadBytes(QStringLiteral(ZAK_SOURCE_DIR "/data/zak.desktop.in"));
    EXPECT_NE(installed.find("\nMimeType=text/x-zak;\n"), std::string::npos) << installed;
    EXPECT_NE(Text("applications/zakfile.desktop").find("\nMimeType=text/x-zak;\n"), std::string::npos);
    EXPECT_NE(QStringLiteral(ZAK_APP_ID ".desktop"), QStringLiteral("zakfile.desktop"));

    // The icon is the emblem, drawn from the picture compiled into the program.
    const QImage icon(Path("icons/hicolor/48x48/mimetypes/text-x-zak.png"));
    ASSERT_EQ(icon.size(), QSize(48, 48));
    EXPECT_EQ(icon.pixelColor(0, 0).alpha(), 0);             // outside the sheet
    EXPECT_EQ(icon.pixelColor(10, 5), QColor(Qt::white));     // the sheet
    EXPECT_EQ(icon.pixelColor(14, 24), QColor(Qt::yellow));   // the circle
    EXPECT_EQ(icon.pixelColor(34, 23), QColor(Qt::blue));     // the bar
    EXPECT_LT(icon.pixelColor(33, 14).value(), 64);           // the stroke
    for (int size : {16, 256}) {
        const QImage scaled = EmblemImage(size);
        ASSERT_EQ(scaled.size(), QSize(size, size));
        EXPECT_EQ(scaled.pixelColor(size * 14 / 48, size / 2), QColor(Qt::yellow)) << size;
    }
    EXPECT_EQ(ApplicationIcon().availableSizes().size(), 7);
}
