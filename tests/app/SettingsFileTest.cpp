#include "AppTestSupport.h"
#include "FifoTestSupport.h"
#include "LadenSpeichern.h"
#include "UEinstellungen.h"
#include "Uencrypt.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <random>
#include <thread>

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string kKeins = "c5bca6cd8c";  // Scramble("Keins")

class SettingsFileTest : public ::testing::Test {
protected:
    // The file the dialog read or wrote last.
    std::string File() const { return ReadBytes(dialog.FileName()); }
    void Put(const std::string& bytes) const { WriteBytes(kSettingsFileName, bytes); }
    QString DefaultPassword() const { return QString::fromLatin1(Unscramble(kDefaultPasswordScrambled)); }

    bool appReady = (TestApp(), true);  // widgets need the application first
    TTempCurrentDir cwd;
    TFEinstellungen dialog;
};

// Runs `save` while `folder` is read-only for whoever saves; true when it
// says it saved. Root is not bound by the permissions: then `save` runs in a
// forked child that has become `nobody`, who meanwhile owns `folder` and
// `file`.
bool SaveWithReadOnlyFolder(const QString& folder, const QString& file, const std::function<bool()>& save) {
    const auto writable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    if (geteuid() != 0) {
        QFile::setPermissions(folder, readOnly);
        const bool saved = save();
        QFile::setPermissions(folder, writable);
        return saved;
    }
    const passwd* nobody = getpwnam("nobody");
    if (!nobody) {
        ADD_FAILURE() << "there is no user nobody to save as";
        return false;
    }
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    const std::string folderPath = folder.toStdString();
    const std::string filePath = file.toStdString();
    if (chown(folderPath.c_str(), uid, gid) != 0 || chown(filePath.c_str(), uid, gid) != 0) {
        ADD_FAILURE() << "cannot lend the folder to nobody";
        return false;
    }
    QFile::setPermissions(folder, readOnly);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const bool dropped = setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0;
        _exit(!dropped ? 2 : save() ? 0 : 1);
    }
    int status = -1;
    // A child stuck on a lock some other thread held at the fork must not
    // hang the suite.
    for (int waited = 0; child > 0 && waitpid(child, &status, WNOHANG) == 0; ++waited) {
        if (waited == 3000) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    QFile::setPermissions(folder, writable);
    EXPECT_EQ(chown(folderPath.c_str(), geteuid(), getegid()), 0);
    EXPECT_EQ(chown(filePath.c_str(), geteuid(), getegid()), 0);
    if (!WIFEXITED(status)) {
        ADD_FAILURE() << "the child as nobody did not end by itself";
        return false;
    }
    EXPECT_NE(WEXITSTATUS(status), 2) << "the child could not become nobody";
    return WEXITSTATUS(status) == 0;
}

} // namespace

TEST_F(SettingsFileTest, DefaultsAreWrittenByteForByte) {
    dialog.EinstellungenSpeichern();
    EXPECT_EQ(File(), "[pass][" + kKeins + "][KeineZuweisungZuAttributen] false "
                      "[Arbeitsverzeichnis][][Schriftgroesse] 10 ");
}

TEST_F(SettingsFileTest, ChangedSettingsAreWrittenAndReadBack) {
    dialog.findChild<QLineEdit*>("EPasswort")->setText("geheim");
    dialog.findChild<QCheckBox*>("CBKeineZuweisungZuAttributen")->setChecked(true);
    dialog.findChild<QLineEdit*>("EArbeitsverzeichnis")->setText("C:\\a[1]\\b");
    dialog.findChild<QSpinBox*>("UDCharacterSize")->setValue(14);
    dialog.ScreenToVar();
    dialog.EinstellungenSpeichern();
    EXPECT_EQ(File(), "[pass][" + Scramble("geheim") + "][KeineZuweisungZuAttributen] true "
                      "[Arbeitsverzeichnis][C:\\\\a\\[1\\]\\\\b][Schriftgroesse] 14 ");

    TFEinstellungen fresh;
    fresh.EinstellungenLaden();
    EXPECT_EQ(fresh.Password(), "geheim");
    EXPECT_TRUE(fresh.NoAttributeAssignment());
    EXPECT_EQ(fresh.WorkingDirectory(), "C:\\a[1]\\b");
    EXPECT_EQ(fresh.FontSize(), 14);
    EXPECT_EQ(fresh.findChild<QLineEdit*>("ECharacterSize")->text(), "14");
}

TEST_F(SettingsFileTest, EmptyPasswordIsStoredAsKeinsAndMeansNoLock) {
    Put("[pass][" + kKeins + "][KeineZuweisungZuAttributen] true [Arbeitsverzeichnis][/home][Schriftgroesse] 12 ");
    dialog.EinstellungenLaden();
    EXPECT_EQ(dialog.Password(), "");
    EXPECT_TRUE(dialog.NoAttributeAssignment());
    EXPECT_EQ(dialog.WorkingDirectory(), "/home");
    EXPECT_EQ(dialog.FontSize(), 12);
}

TEST_F(SettingsFileTest, MissingFileUnlocksAndKeepsTheRest) {
    dialog.findChild<QLineEdit*>("EPasswort")->setText("alt");
    dialog.findChild<QSpinBox*>("UDCharacterSize")->setValue(20);
    dialog.ScreenToVar();
    dialog.EinstellungenLaden();
    EXPECT_EQ(dialog.Password(), "");
    EXPECT_EQ(dialog.FontSize(), 20);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("EPasswort")->text(), "");
}

TEST_F(SettingsFileTest, EmptyOrMissingPasswordLocksWithTheBuiltInDefault) {
    Put("[pass][][KeineZuweisungZuAttributen] true ");
    dialog.EinstellungenLaden();
    EXPECT_EQ(dialog.Password(), DefaultPassword());
    EXPECT_TRUE(dialog.NoAttributeAssignment());

    // Without a pass entry the next key stays pending and is still read.
    Put("[KeineZuweisungZuAttributen] true [Arbeitsverzeichnis][x][Schriftgroesse] 16 ");
    TFEinstellungen other;
    other.EinstellungenLaden();
    EXPECT_EQ(other.Password(), DefaultPassword());
    EXPECT_TRUE(other.NoAttributeAssignment());
    EXPECT_EQ(other.WorkingDirectory(), "x");
    EXPECT_EQ(other.FontSize(), 16);
}

// The built-in default, once in force, is stored as its own scrambled form.
TEST_F(SettingsFileTest, TheBuiltInDefaultIsSavedAsItsScrambledForm) {
    Put("[pass][]");
    dialog.EinstellungenLaden();
    ASSERT_EQ(dialog.Password(), DefaultPassword());
    ASSERT_TRUE(dialog.EinstellungenSpeichern());
    EXPECT_EQ(File(), "[pass][7c04be91d3a6][KeineZuweisungZuAttributen] false "
                      "[Arbeitsverzeichnis][][Schriftgroesse] 10 ");
}

TEST_F(SettingsFileTest, SmallFontSizeIsRaisedToTen) {
    Put("[pass][" + kKeins + "][KeineZuweisungZuAttributen] false [Arbeitsverzeichnis][][Schriftgroesse] 5 ");
    dialog.EinstellungenLaden();
    EXPECT_EQ(dialog.FontSize(), 10);
}

TEST_F(SettingsFileTest, ForeignKeysAndOtherOrdersFallBackToDefaults) {
    Put("[pass][" + kKeins + "][Fremd][x][Arbeitsverzeichnis][d][Schriftgroesse] 12 ");
    dialog.EinstellungenLaden();
    EXPECT_EQ(dialog.Password(), "");
    EXPECT_FALSE(dialog.NoAttributeAssignment());
    EXPECT_EQ(dialog.WorkingDirectory(), "");
    EXPECT_EQ(dialog.FontSize(), 10);

    // The font size comes first: everything before it in the reading order
    // keeps its default, the font size itself is found.
    Put("[Schriftgroesse] 12 [pass][" + kKeins + "]");
    TFEinstellungen other;
    other.EinstellungenLaden();
    EXPECT_EQ(other.Password(), DefaultPassword());
    EXPECT_EQ(other.FontSize(), 12);
}

// Files written by the earlier rules escape only "[" and "\"; they read the same.
TEST_F(SettingsFileTest, OlderEscapesReadUnchanged) {
    Put("[pass][" + kKeins + "][KeineZuweisungZuAttributen] false "
        "[Arbeitsverzeichnis][C:\\\\Sch\xFCler\\[neu][Schriftgroesse] 11 ");
    dialog.EinstellungenLaden();
    EXPECT_EQ(dialog.WorkingDirectory(), QString::fromUtf8("C:\\Schüler[neu"));
    EXPECT_EQ(dialog.FontSize(), 11);
}

TEST_F(SettingsFileTest, TextOutsideWindows1252IsKeptAsUtf8) {
    const QString directory = QString::fromUtf8("/home/学生/Schüler");
    dialog.findChild<QLineEdit*>("EArbeitsverzeichnis")->setText(directory);
    dialog.findChild<QLineEdit*>("EPasswort")->setText(QString::fromUtf8("pass€"));
    dialog.ScreenToVar();
    dialog.EinstellungenSpeichern();
    EXPECT_NE(File().find("Sch\xC3\xBCler"), std::string::npos);

    TFEinstellungen fresh;
    fresh.EinstellungenLaden();
    EXPECT_EQ(fresh.WorkingDirectory(), directory);
    EXPECT_EQ(fresh.Password(), QString::fromUtf8("pass€"));
    // A Windows-1252 text stays single-byte, as older files hold it.
    EXPECT_EQ(SettingsBytes(QString::fromUtf8("Schüler")), "Sch\xFCler");
}

TEST_F(SettingsFileTest, BrokenFilesNeverCrashAndKeepDefaults) {
    const std::vector<std::string> broken = {
        "",
        "[",
        "[pass",
        "[pass][c5bc",
        "[pass][" + kKeins + "][KeineZuweisungZuAttributen] TRUE",
        "[pass][" + kKeins + "][KeineZuweisungZuAttributen] false [Arbeitsverzeichnis][a\\",
        "[pass][" + kKeins + "][KeineZuweisungZuAttributen] false [Arbeitsverzeichnis][][Schriftgroesse] -",
        "[pass][" + kKeins + "][KeineZuweisungZuAttributen] false [Arbeitsverzeichnis][][Schriftgroesse] 99999999999 ",
        "[pass][zz][KeineZuweisungZuAttributen]",
        std::string("\0\xFF[\x01]\xFE]]][[[\\", 12),
    };
    for (const std::string& bytes : broken) {
        Put(bytes);
        TFEinstellungen fresh;
        fresh.EinstellungenLaden();
        EXPECT_EQ(fresh.FontSize(), 10) << bytes;
        EXPECT_FALSE(fresh.NoAttributeAssignment()) << bytes;
    }
    std::mt19937 random(11);
    for (int round = 0; round < 50; ++round) {
        std::string bytes;
        const int length = static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i) bytes += static_cast<char>(random() % 4 ? random() & 0xFF : "[]\\ "[random() % 4]);
        Put(bytes);
        TFEinstellungen fresh;
        fresh.EinstellungenLaden();
        EXPECT_GE(fresh.FontSize(), 10);
    }
}

TEST_F(SettingsFileTest, UnwritableOrUnreadableFileIsSkipped) {
    // Directories where the files should be.
    QDir().mkdir(kSettingsFileName);
    QDir().mkpath(UserSettingsFile());
    dialog.findChild<QLineEdit*>("EPasswort")->setText("x");
    dialog.ScreenToVar();
    EXPECT_FALSE(dialog.EinstellungenSpeichern());
    EXPECT_TRUE(QFileInfo(kSettingsFileName).isDir());
    dialog.EinstellungenLaden();
    EXPECT_EQ(dialog.Password(), "");
}

// A FIFO or device in the settings file's place would freeze the window
// at start: it is passed over like a file that cannot be read.
TEST_F(SettingsFileTest, AFifoOrDeviceInThePlaceOfTheFileIsPassedOver) {
    const TFeedingFifo fifo(kSettingsFileName, "[pass][" + kKeins +
                                                   "][KeineZuweisungZuAttributen] true "
                                                   "[Arbeitsverzeichnis][x][Schriftgroesse] 20 ");
    ASSERT_TRUE(fifo.Made());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(UserSettingsFile()).absolutePath()));
    ASSERT_TRUE(QFile::link("/dev/zero", UserSettingsFile()));
    dialog.EinstellungenLaden();
    EXPECT_FALSE(fifo.Fed());
    EXPECT_TRUE(dialog.FileName().isEmpty()) << dialog.FileName().toStdString();
    EXPECT_EQ(dialog.FontSize(), TFEinstellungen::kMinFontSize);
    EXPECT_FALSE(dialog.NoAttributeAssignment());
}

// A computer lab: the current folder first, then the user's config folder,
// then the first system folder that has one; a save goes back to the file
// read unless that cannot be written, and then to the user's own file.
TEST_F(SettingsFileTest, TheLabsFileIsFoundInOrderAndNeverOverwritten) {
    const QString user = cwd.Path("config/zak/zak.set");
    const QString first = cwd.Path("system/zak/zak.set");
    const QString second = cwd.Path("zweites/zak/zak.set");
    qputenv("XDG_CONFIG_DIRS", (cwd.Path("leer") + ":relativ:" + cwd.Path("system") + ":" + cwd.Path("zweites")).toLocal8Bit());
    auto put = [](const QString& path, int size) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        WriteBytes(path, "[pass][" + kKeins + "][KeineZuweisungZuAttributen] false [Arbeitsverzeichnis][][Schriftgroesse] " +
                             std::to_string(size) + " ");
    };
    auto sizeRead = [] {
        TFEinstellungen fresh;
        fresh.EinstellungenLaden();
        return std::make_pair(fresh.FontSize(), fresh.FileName());
    };
    put(second, 13);
    EXPECT_EQ(sizeRead(), std::make_pair(13, second));
    put(first, 14);
    EXPECT_EQ(sizeRead(), std::make_pair(14, first));
    put(user, 15);
    EXPECT_EQ(sizeRead(), std::make_pair(15, user));
    Put("[pass][" + kKeins + "][Schriftgroesse] 16 ");
    EXPECT_EQ(sizeRead(), std::make_pair(16, QDir::current().absoluteFilePath("zak.set")));

    // A writable file read is written again, wherever it is.
    QFile::remove("zak.set");
    QFile::remove(user);
    dialog.EinstellungenLaden();
    dialog.findChild<QSpinBox*>("UDCharacterSize")->setValue(20);
    dialog.ScreenToVar();
    ASSERT_TRUE(dialog.EinstellungenSpeichern());
    EXPECT_EQ(dialog.FileName(), first);
    EXPECT_EQ(sizeRead().first, 20);

    // One that cannot be written, even by root (the administrator's file
    // stands for it), stays; the user's own file takes the settings.
    QFile::remove(first);
    ASSERT_TRUE(QFile::link("/proc/version", first));
    dialog.EinstellungenLaden();
    EXPECT_EQ(dialog.FileName(), first);
    const std::string lab = ReadBytes(first);
    dialog.findChild<QSpinBox*>("UDCharacterSize")->setValue(22);
    dialog.ScreenToVar();
    ASSERT_TRUE(dialog.EinstellungenSpeichern());
    EXPECT_EQ(dialog.FileName(), user);
    EXPECT_EQ(ReadBytes(first), lab);
    EXPECT_EQ(sizeRead(), std::make_pair(22, user));

    // Without a writable config folder the save fails and says so.
    QFile::remove(user);
    WriteBytes(cwd.Path("datei"), "x");
    qputenv("XDG_CONFIG_HOME", cwd.Path("datei").toLocal8Bit());
    dialog.EinstellungenLaden();
    EXPECT_FALSE(dialog.EinstellungenSpeichern());
    EXPECT_EQ(ReadBytes(first), lab);
}

TEST(LoadSave, StringsRoundTripWhateverTheyHold) {
    TTempCurrentDir cwd;
    const std::vector<std::string> values = {"", "]", "\\]", "[]", "a]b[c\\d", "\\", "x\\", std::string("\0\r\n ", 4)};
    TLoadSave file;
    ASSERT_TRUE(file.OpenWrite("t.set"));
    for (size_t i = 0; i < values.size(); ++i) file.WriteString("k" + std::to_string(i), values[i]);
    file.WriteInteger("neg", -42);
    file.WriteInteger("min", INT32_MIN);
    file.WriteBoolean("b", true);
    ASSERT_TRUE(file.Close());
    ASSERT_TRUE(file.OpenRead("t.set"));
    for (size_t i = 0; i < values.size(); ++i) EXPECT_EQ(file.ReadString("k" + std::to_string(i), "?"), values[i]) << i;
    EXPECT_EQ(file.ReadInteger("neg", 0), -42);
    EXPECT_EQ(file.ReadInteger("min", 0), INT32_MIN);
    EXPECT_TRUE(file.ReadBoolean("b", false));
    // Past the end every value is its default.
    EXPECT_EQ(file.ReadInteger("weiter", 7), 7);
    file.Close();
}

TEST(LoadSave, AMissingEntryKeepsTheNextKeyPending) {
    TTempCurrentDir cwd;
    WriteBytes("t.set", "[a] 1 [c] 3 ");
    TLoadSave file;
    ASSERT_TRUE(file.OpenRead("t.set"));
    EXPECT_EQ(file.ReadInteger("a", 0), 1);
    EXPECT_EQ(file.ReadInteger("b", 9), 9);
    EXPECT_EQ(file.ReadInteger("c", 0), 3);
}

TEST(LoadSave, ValuesAreFoundPastNoise) {
    TTempCurrentDir cwd;
    WriteBytes("t.set", "[n]\r\n  x-17y[b] !!true");
    TLoadSave file;
    ASSERT_TRUE(file.OpenRead("t.set"));
    EXPECT_EQ(file.ReadInteger("n", 0), -17);
    EXPECT_TRUE(file.ReadBoolean("b", false));
    EXPECT_FALSE(file.OpenRead(""));
    EXPECT_FALSE(file.OpenRead("fehlt.set"));
}

TEST(LoadSave, AnEndlessStringIsCut) {
    TTempCurrentDir cwd;
    WriteBytes("t.set", "[k][" + std::string(100000, 'x'));
    TLoadSave file;
    ASSERT_TRUE(file.OpenRead("t.set"));
    EXPECT_EQ(file.ReadString("k", "").size(), TLoadSave::kMaxTokenLength);
}

// A folder that takes no new files still lets its existing settings file be
// rewritten in place.
// A lab's settings file: writable, in a folder that takes no new files, so
// that it cannot be replaced and must be rewritten in place. Folder
// permissions do not bind root, so as root the save runs in a child process
// that has become `nobody`, to whom the folder and the file are lent.
TEST_F(SettingsFileTest, AFileInAReadOnlyFolderIsRewrittenInPlace) {
    Put("[pass][" + kKeins + "]");
    dialog.EinstellungenLaden();
    const QString folder = QDir::currentPath();
    const QString file = QDir(folder).absoluteFilePath(kSettingsFileName);
    dialog.findChild<QSpinBox*>("UDCharacterSize")->setValue(13);
    dialog.ScreenToVar();
    const bool saved = SaveWithReadOnlyFolder(folder, file, [&] {
        return dialog.EinstellungenSpeichern() && dialog.FileName() == file;
    });
    EXPECT_TRUE(saved);
    EXPECT_NE(ReadBytes(file).find("[Schriftgroesse] 13 "), std::string::npos);
}
