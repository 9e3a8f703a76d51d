#include "AppTestSupport.h"
#include "FifoTestSupport.h"
#include "LadenSpeichern.h"
#include "UEinstellungen.h"
#include "UQtText.h"
#include "Uencrypt.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QSpinBox>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
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

namespace {

// Pieces of the settings files below: words, Windows-1252 and UTF-8 text,
// broken UTF-8 (overlong, surrogate, beyond U+10FFFF, cut short, a byte
// order mark), control bytes and the format's own characters.
// clang-format off
const std::vector<std::string> kFragments = {
    "Schule", "C:\\Users\\lehrer", "/home/a b", "Keins", "true", "-12", " ", "[", "]", "\\", "\\]", "\\[", "\r\n",
    std::string(1, '\0'), "Sch\xFC" "ler", "\x80\x81\x8D\x9F\xA0", "\xE4\xF6\xFC\xDF", "Sch\xC3\xBC" "ler",
    "\xE5\xAD\xA6\xE7\x94\x9F", "\xF0\x9F\x98\x80", "\xE2\x82\xAC", "\xEF\xBB\xBF", "\xC0\xAF", "\xE0\x80\xAF",
    "\xED\xA0\x80", "\xEF\xBF\xBE", "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\xE2\x82", "\x80", "\xFF\xFE",
    "\xC3", "\xF4\x8F\xBF\xBF",
};
// clang-format on

std::string RandomText(std::mt19937& r, int most = 4) {
    std::string text;
    for (int n = static_cast<int>(r() % (most + 1)); n > 0; --n) text += kFragments[r() % kFragments.size()];
    return text;
}

std::string Token(const std::string& value) {
    std::string token = "[";
    for (char c : value) {
        if (c == '[' || c == ']' || c == '\\') token += '\\';
        token += c;
    }
    return token + "]";
}

// A bracketed token written carelessly: some characters escaped that need
// not be, some "]" and "\" left bare, now and then no closing "]".
std::string LooseToken(std::mt19937& r, const std::string& value) {
    std::string token = "[";
    for (char c : value) {
        if ((c == '[' || c == '\\' || r() % 4 == 0) && r() % 5 != 0) token += '\\';
        token += c;
    }
    return r() % 4 == 0 ? token : token + "]";
}

// Valid UTF-8 that starts with byte order marks, or has one after a NUL:
// text that a decoder dropping such marks would change.
std::string MarkedUtf8(std::mt19937& r) {
    static const std::vector<std::string> valid = {
        "Schule",       "Sch\xC3\xBCler", "\xE5\xAD\xA6\xE7\x94\x9F", "\xF0\x9F\x98\x80",
        "\xE2\x82\xAC", "\xEF\xBB\xBF",   std::string(1, '\0'),       "/home/a b"};
    std::string text = r() % 2 ? "\xEF\xBB\xBF\xEF\xBB\xBF" : std::string("\xEF\xBB\xBFx\0\xEF\xBB\xBF", 8);
    for (int n = 2 + static_cast<int>(r() % 5); n > 0; --n) text += valid[r() % valid.size()];
    return text;
}

std::string RandomPasswordValue(std::mt19937& r) {
    switch (r() % 8) {
    case 0: return "";
    case 1: return Scramble("Keins");
    case 2: return std::string(kDefaultPasswordScrambled);
    case 3: {  // upper case digits, an odd digit, or a pair that is no number
        std::string hex = Scramble(RandomText(r, 2));
        for (char& c : hex)
            if (r() % 3 == 0) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (r() % 2) hex += "0123456789abcdefgz"[r() % 18];
        return hex;
    }
    default: return Scramble(RandomText(r));
    }
}

std::string RandomBoolean(std::mt19937& r) {
    static const std::vector<std::string> forms = {
        " true ", " false ", "true",      " TRUE ",   " truex ", " t rue ",       " wahr ",
        "",       " 1 ",     "\xE4true ", "\ttrue\n", "false",   " truetruetrue "};
    if (r() % 3) return r() % 2 ? " true " : " false ";
    return forms[r() % forms.size()];
}

std::string RandomInteger(std::mt19937& r) {
    // clang-format off
    static const std::vector<std::string> forms = {
        " 10 ", " 5 ", " 0 ", " -5 ", " 11 ", " 30 ", " 31 ", " 1000 ", " 2147483647 ", " 2147483648 ", " -2147483648 ",
        " -2147483649 ", " 99999999999999999999999999 ", " --3 ", " - 4 ", " 12abc ", " +7 ", " 0x1F ", "", " - ",
        " 0012 ", "\xD9\xA3", " 1 2 ", "-", " -0 "};
    // clang-format on
    if (r() % 3 == 0) return " " + std::to_string(static_cast<int>(r() % 40) - 5) + " ";
    if (r() % 3 == 0) return " " + std::to_string(static_cast<std::int32_t>(r())) + " ";
    return forms[r() % forms.size()];
}

// The four entries as the dialog writes them, with random values.
std::vector<std::string> RandomEntries(std::mt19937& r) {
    return {Token("pass") + Token(RandomPasswordValue(r)), Token("KeineZuweisungZuAttributen") + RandomBoolean(r),
            Token("Arbeitsverzeichnis") + Token(RandomText(r)), Token("Schriftgroesse") + RandomInteger(r)};
}

std::string Joined(const std::vector<std::string>& entries) {
    std::string bytes;
    for (const std::string& entry : entries) bytes += entry;
    return bytes;
}

// One of eight kinds by `i`: written by the rules, entries reordered, dropped
// or foreign, bytes mutated, careless escapes, binary garbage, huge tokens,
// non-ASCII text in both encodings, odd font sizes.
std::string RandomSettingsFile(std::mt19937& r, int i) {
    static const std::string special = std::string("[]\\ -0123456789truefalse\r\n\xFF\xE4", 28) + std::string(1, '\0');
    std::vector<std::string> entries = RandomEntries(r);
    switch (i % 8) {
    case 0: return Joined(entries);
    case 1: {
        std::shuffle(entries.begin(), entries.end(), r);
        if (r() % 2) entries.erase(entries.begin() + static_cast<long>(r() % entries.size()));
        if (r() % 2)
            entries.insert(entries.begin() + static_cast<long>(r() % entries.size()), Token("Fremd") + Token("x"));
        if (r() % 2) entries.push_back(entries[r() % entries.size()]);
        return Joined(entries);
    }
    case 2: {
        std::string bytes = Joined(entries);
        for (int edits = 1 + static_cast<int>(r() % 4); edits > 0 && !bytes.empty(); --edits) {
            const size_t at = r() % bytes.size();
            switch (r() % 4) {
            case 0: bytes.erase(at, 1); break;
            case 1: bytes.insert(at, 1, special[r() % special.size()]); break;
            case 2: bytes[at] = static_cast<char>(r() & 0xFF); break;
            default: bytes.resize(at); break;
            }
        }
        return bytes;
    }
    case 3:
        return LooseToken(r, "pass") + LooseToken(r, RandomPasswordValue(r)) +
               LooseToken(r, "KeineZuweisungZuAttributen") + RandomBoolean(r) + LooseToken(r, "Arbeitsverzeichnis") +
               LooseToken(r, RandomText(r)) + LooseToken(r, "Schriftgroesse") + RandomInteger(r);
    case 4: {
        std::string bytes;
        for (int n = static_cast<int>(r() % 300); n > 0; --n)
            bytes += r() % 3 ? static_cast<char>(r() & 0xFF) : special[r() % special.size()];
        return r() % 2 ? bytes : entries[0] + bytes;
    }
    case 5: {
        const std::string huge(30000 + r() % 10000, "x\xE4]"[r() % 3]);
        switch (r() % 4) {
        case 0: entries[2] = Token("Arbeitsverzeichnis") + Token(huge); break;
        case 1: entries[0] = Token("pass") + Token(Scramble(huge.substr(0, 17000))); break;
        case 2: entries[1] = Token(huge) + " true "; break;
        default: entries[3] = Token("Schriftgroesse") + " " + std::string(5 + r() % 40, '7') + " "; break;
        }
        return Joined(entries);
    }
    case 6:
        entries[0] = Token("pass") + Token(Scramble(r() % 3 ? RandomText(r, 6) : MarkedUtf8(r)));
        entries[2] = Token("Arbeitsverzeichnis") + Token(r() % 2 ? RandomText(r, 6) : MarkedUtf8(r));
        return Joined(entries);
    default: entries[3] = Token("Schriftgroesse") + RandomInteger(r); return Joined(entries);
    }
}

std::string Hex(const QString& text) { return text.toUtf8().toHex().toStdString(); }

} // namespace

// The settings files of the browser build's differential test
// (tests/web/settings.test.mjs): with ZAK_SETTINGS_FILES_DIR set, writes 400
// random and broken settings files there as NNN.set, each beside NNN.txt
// with what the dialog read from it (texts as hexadecimal UTF-8).
TEST_F(SettingsFileTest, WrittenForTheBrowserBuild) {
    const char* dir = std::getenv("ZAK_SETTINGS_FILES_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "ZAK_SETTINGS_FILES_DIR is not set";
    constexpr int Count = 400;
    std::mt19937 r(20261208);
    for (int i = 0; i < Count; ++i) {
        const std::string bytes = RandomSettingsFile(r, i);
        Put(bytes);
        dialog.EinstellungenLaden();
        ASSERT_FALSE(dialog.FileName().isEmpty()) << i;
        char name[32];
        std::snprintf(name, sizeof name, "/%03d", i);
        WriteBytes(QString::fromLocal8Bit(dir) + name + ".set", bytes);
        WriteBytes(QString::fromLocal8Bit(dir) + name + ".txt",
                   "password " + Hex(dialog.Password()) + "\noption " +
                       (dialog.NoAttributeAssignment() ? "true" : "false") + "\ndirectory " +
                       Hex(dialog.WorkingDirectory()) + "\nfontsize " + std::to_string(dialog.FontSize()) + "\n");
    }
}

// The settings file's texts were decoded by Qt's UTF-8 decoder, which stays
// the reference for the decoding the browser shares: valid UTF-8 with a
// non-ASCII character (a leading byte order mark dropped), else Windows-1252.
TEST(SettingsText, DecodesAsQtsUtf8DecoderDid) {
    const auto reference = [](const std::string& bytes) {
        const bool ascii =
            std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (!ascii) {
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            QString text = utf8.decode(QByteArray::fromStdString(bytes));
            if (!utf8.hasError()) return text;
        }
        return ToQString(bytes);
    };
    std::mt19937 r(5);
    for (int round = 0; round < 20000; ++round) {
        std::string bytes = RandomText(r, 5);
        if (round % 4 == 0)
            for (int n = static_cast<int>(r() % 6); n > 0; --n)
                bytes.insert(r() % (bytes.size() + 1), 1, static_cast<char>(0x80 | (r() & 0x7F)));
        ASSERT_EQ(SettingsText(bytes), reference(bytes)) << QByteArray::fromStdString(bytes).toHex().toStdString();
    }
}
