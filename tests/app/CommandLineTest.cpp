// The command line as a teacher's script uses it: options in any order give
// the same run, --json says in one object what the text lines say, and the
// help names every option.
#include "UVersion.h"
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct TResult {
    int Status = -1;
    QString Out;
    QString Err;
};

// Runs `program` and kills it after `timeoutMs`; then the status is -1.
TResult Start(const QString& program, const QStringList& arguments, const QString& directory = {},
              const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
              int timeoutMs = 60000) {
    QProcess zak;
    zak.setProcessEnvironment(environment);
    if (!directory.isEmpty()) zak.setWorkingDirectory(directory);
    zak.start(program, arguments);
    const bool finished = zak.waitForFinished(timeoutMs);
    if (!finished) {
        zak.kill();
        zak.waitForFinished();
    }
    return {finished && zak.exitStatus() == QProcess::NormalExit ? zak.exitCode() : -1,
            QString::fromUtf8(zak.readAllStandardOutput()), QString::fromUtf8(zak.readAllStandardError())};
}

TResult Zak(const QStringList& arguments, const QString& directory = {},
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    return Start(QStringLiteral(ZAK_BINARY), arguments, directory, environment);
}

QJsonObject Json(const TResult& result) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.Out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << result.Out.toStdString();
    EXPECT_TRUE(result.Out.endsWith('\n') && result.Out.count('\n') == 1) << "one line";
    return document.object();
}

// A run of zak whose address space is capped (3 GiB unless given), so that
// a run its memory budget failed to end cannot take the machine's memory;
// its standard output goes to `outFile`. Ends it after two minutes.
struct TBoundedRun {
    int Status = -1;  // the exit code; -1 after a signal
    long MaxRssMiB = 0;
};

TBoundedRun ZakBounded(const QStringList& arguments, const QString& outFile, rlim_t addressSpaceMiB = 3072) {
    const rlim_t AddressSpace = addressSpaceMiB << 20;
    std::vector<std::string> words{ZAK_BINARY};
    for (const QString& argument : arguments) words.push_back(argument.toStdString());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string out = outFile.toStdString();

    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int null = open("/dev/null", O_WRONLY);
        if (fd < 0 || null < 0 || dup2(fd, 1) < 0 || dup2(null, 2) < 0) _exit(126);
        const rlimit limit{AddressSpace, AddressSpace};
        setrlimit(RLIMIT_AS, &limit);
        execv(argv[0], argv.data());
        _exit(127);
    }
    TBoundedRun run;
    if (pid < 0) return run;
    int status = 0;
    rusage usage{};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (wait4(pid, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.MaxRssMiB = usage.ru_maxrss / 1024;
    return run;
}

class CommandLineTest : public ::testing::Test {
protected:
    static void WriteBytes(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray ReadFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<fehlt>");
    }
    QString Write(const QString& name, const QByteArray& body) {
        QFile file(Dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("// ZAK 1.5 - Programm\r\n" + body);
        return file.fileName();
    }
    QTemporaryDir Dir;
};

// Every order of the same options runs the same, and the JSON result holds
// exactly what the text output shows: the error with its place, the
// variables, the pictures written.
TEST_F(CommandLineTest, AnyOrderRunsTheSameAndJsonMatchesTheText) {
    const QString program = Write("fehler.zak",
                                  "r: Rechteck\r\nn: integer\r\nt: string\r\nn := 7\r\n"
                                  "t := 'Gr\xFC\xDF" "e \"x\"'\r\nr.eckenSetzen(-50, 50, 50, -50)\r\nn := n / 0\r\n");
    const TResult text = Zak({"--run", program, "--vars", "--png", "a"}, Dir.path());
    ASSERT_EQ(text.Status, 1) << text.Err.toStdString();
    for (const QStringList& order : {QStringList{"--vars", "--run", program, "--png", "b"},
                                     QStringList{"--run", "--vars", "--png", "c", program},
                                     QStringList{program, "--png=d", "--vars", "--run"},
                                     QStringList{"--png", "e", "--run", "--vars", "--", program}}) {
        const TResult again = Zak(order, Dir.path());
        EXPECT_EQ(again.Status, 1) << order.join(' ').toStdString();
        EXPECT_EQ(again.Out, text.Out) << order.join(' ').toStdString();
    }

    const QJsonObject json = Json(Zak({"--json", "--png", "j", program, "--run"}, Dir.path()));
    EXPECT_EQ(json["status"].toInt(), 1);
    QStringList lines = text.Out.split('\n', Qt::SkipEmptyParts);
    const QJsonObject error = json["error"].toObject();
    EXPECT_EQ(QStringLiteral("%1: (Z.%2 Sp.%3)    %4")
                  .arg(error["kind"].toString())
                  .arg(error["line"].toInt())
                  .arg(error["column"].toInt())
                  .arg(error["message"].toString()),
              lines.takeFirst());
    EXPECT_EQ(error["kind"].toString(), "Laufzeitfehler");
    const QJsonArray variables = json["variables"].toArray();
    ASSERT_EQ(variables.size(), lines.size());
    for (int i = 0; i < lines.size(); ++i)
        EXPECT_EQ(variables[i]["name"].toString() + " = " + variables[i]["text"].toString(), lines[i]);
    EXPECT_EQ(variables[1]["text"].toString(), QString::fromUtf8("'Grüße \"x\"'"));
    const QJsonArray pictures = json["pictures"].toArray();
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_TRUE(QFile::exists(QDir(Dir.path()).filePath(pictures[0].toString()))) << pictures[0].toString().toStdString();

    // The check's hint, the step limit and an unreadable file come as errors
    // of their own kinds; a clean program has none.
    const QString hint = Write("hinweis.zak", "wenn 1 = 1\r\n");
    const TResult hintText = Zak({"--check", hint});
    const QJsonObject hintJson = Json(Zak({hint, "--json", "--check"}));
    EXPECT_EQ(hintJson["status"].toInt(), 1);
    EXPECT_EQ(hintJson["error"]["kind"].toString(), "Tipp");
    EXPECT_TRUE(hintText.Out.contains(hintJson["error"]["message"].toString())) << hintText.Out.toStdString();
    const QString loop = Write("schleife.zak", "n: integer\r\nwiederhole immer\r\nn := n + 1\r\n*wiederhole\r\n");
    const QJsonObject limit = Json(Zak({"--run", loop, "--json", "--max-steps", "100"}));
    EXPECT_EQ(limit["status"].toInt(), 3);
    EXPECT_EQ(limit["error"]["kind"].toString(), "Schrittgrenze");
    EXPECT_EQ(limit["variables"][0]["name"].toString(), "n");
    for (const char* mode : {"--run", "--check"}) {
        const TResult missing = Zak({mode, Dir.filePath("fehlt.zak"), "--json"});
        EXPECT_EQ(missing.Status, 2);
        EXPECT_EQ(Json(missing)["error"].toObject()["kind"].toString(), "Datei");
        EXPECT_TRUE(missing.Err.contains("kann nicht gelesen werden"));
    }
    const QJsonObject clean = Json(Zak({"--check", "--json", Write("gut.zak", "n: integer\r\n")}));
    EXPECT_EQ(clean["status"].toInt(), 0);
    EXPECT_TRUE(clean["error"].isNull());
}

// A file from another editor, UTF-8 and without the header line, runs and
// is checked with every line in place: the line numbers are those the
// editor shows for it, and standard error says what the editor would.
TEST_F(CommandLineTest, FilesFromOtherEditorsKeepTheirLineNumbers) {
    QFile file(Dir.filePath("fremd.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("n: integer\nt: string\nt := 'Gr\xC3\xBC\xC3\x9F! \xE2\x9C\x93'\nx := 5\n");
    file.close();
    const TResult run = Zak({"--run", file.fileName(), "--json"});
    EXPECT_EQ(run.Status, 1);
    const QJsonObject json = Json(run);
    EXPECT_EQ(json["error"]["line"].toInt(), 3) << run.Out.toStdString();
    EXPECT_EQ(json["variables"][1]["text"].toString(), QString::fromUtf8("'Grüß! ?'"));
    EXPECT_EQ(run.Err,
              QString::fromUtf8("Die Datei ist in UTF-8 geschrieben. 1 Zeichen darin kann ZAK nicht darstellen; "
                                "es steht jetzt als „?“ im Programm.\n"
                                "Dieses Programm wurde nicht für ZAK 1.5 geschrieben.\n"));

    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF// ZAK 1.5 - Programm\r\nn: integer\r\nt: string\r\nwenn 1 = 1\r\n");
    file.close();
    const TResult check = Zak({"--check", "--json", file.fileName()});
    EXPECT_EQ(check.Status, 1);
    EXPECT_EQ(Json(check)["error"].toObject()["line"].toInt(), 2) << check.Out.toStdString();
    EXPECT_TRUE(check.Err.isEmpty()) << check.Err.toStdString();
}

// What a marking script meets besides programs: a FIFO or a device named
// like a program is refused at once (a FIFO would block the run, /dev/zero
// never end), and pictures that cannot be written make the run fail, while
// a link planted in a picture's place is replaced, not followed.
TEST_F(CommandLineTest, NoRegularFilesAndUnwritablePicturesFail) {
    const QString fifo = Dir.filePath("fifo.zak");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = Dir.filePath("null.zak");
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    for (const QString& file : {fifo, zero}) {
        for (const char* mode : {"--run", "--check"}) {
            SCOPED_TRACE(file.toStdString() + " " + mode);
            const TResult r = Start(QStringLiteral(ZAK_BINARY), {mode, file, "--json"}, {},
                                    QProcessEnvironment::systemEnvironment(), 20000);
            ASSERT_EQ(r.Status, 2) << r.Err.toStdString();
            const QJsonObject json = Json(r);
            EXPECT_EQ(json["status"].toInt(), 2);
            EXPECT_EQ(json["error"]["kind"].toString(), "Datei");
            const QString expected =
                QString::fromUtf8("Die Datei %1 kann nicht gelesen werden: Sie ist keine gewöhnliche Datei.").arg(file);
            EXPECT_EQ(json["error"]["message"].toString(), expected);
            EXPECT_EQ(r.Err, expected + '\n');
        }
    }

    const QString program = Write("bild.zak", "r: Rechteck\r\nr.eckenSetzen(-50, 50, 50, -50)\r\n");
    const QString pictures = Dir.filePath("bilder");
    const QString picture = pictures + "/fenster-1.png";
    ASSERT_TRUE(QDir().mkpath(pictures));
    const QString victim = Dir.filePath("fremd.txt");
    WriteBytes(victim, "bleibt");
    ASSERT_TRUE(QFile::link(victim, picture));
    const QJsonObject linked = Json(Zak({"--run", program, "--json", "--png", pictures}));
    EXPECT_EQ(linked["status"].toInt(), 0);
    EXPECT_EQ(linked["pictures"].toArray().size(), 1);
    EXPECT_EQ(ReadFile(victim), "bleibt");
    EXPECT_FALSE(QFileInfo(picture).isSymLink());
    EXPECT_EQ(QImage(picture).size(), QSize(447, 384));
    EXPECT_EQ(QDir(pictures).entryList(QDir::Files | QDir::System | QDir::Hidden), QStringList{"fenster-1.png"});

    // No file may grow beyond 0 bytes, as on a full disk: nothing is left
    // behind, and the status says so.
    QFile::remove(picture);
    const QString full = QStringLiteral("trap '' XFSZ; ulimit -f 0; exec \"$0\" \"$@\"");
    for (const bool json : {false, true}) {
        SCOPED_TRACE(json);
        QStringList arguments{"-c", full, QStringLiteral(ZAK_BINARY), "--run", program, "--png", pictures};
        if (json) arguments << "--json";
        const TResult r = Start("/bin/sh", arguments);
        EXPECT_EQ(r.Status, 2) << r.Err.toStdString();
        const QString problem =
            QString::fromUtf8("Das Bild %1 kann nicht geschrieben werden: Die Datei wird zu groß.").arg(picture);
        EXPECT_TRUE(r.Err.contains(problem + '\n')) << r.Err.toStdString();
        if (json) {
            const QJsonObject result = Json(r);
            EXPECT_EQ(result["status"].toInt(), 2);
            EXPECT_EQ(result["error"]["kind"].toString(), "Datei");
            EXPECT_EQ(result["error"]["message"].toString(), problem);
            EXPECT_TRUE(result["pictures"].toArray().isEmpty());
        }
        EXPECT_TRUE(QDir(pictures).entryList(QDir::Files | QDir::System | QDir::Hidden).isEmpty());
    }
    // A runtime error keeps its own status.
    const QString failing = Write("fehler.zak", "r: Rechteck\r\nn: integer\r\nn := n / 0\r\n");
    EXPECT_EQ(Start("/bin/sh", {"-c", full, QStringLiteral(ZAK_BINARY), "--run", failing, "--png", pictures}).Status,
              1);
}

TEST_F(CommandLineTest, HelpNamesEveryOptionAndErrorsNameTheOption) {
    const TResult help = Zak({"-h"});
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(Zak({"--help"}).Out, help.Out);
    for (const char* option : {"--run", "--check", "--vars", "--json", "--png VERZEICHNIS", "--max-steps N",
                               "--max-memory MIB", "--forbid-attribute-assignment", "-v, --version", "-h, --help"})
        EXPECT_TRUE(help.Out.contains(QRegularExpression(QStringLiteral("\n  %1 +\\S").arg(QRegularExpression::escape(option)))))
            << option;
    for (const QString& line : help.Out.split('\n')) EXPECT_LE(line.size(), 80) << line.toStdString();
    EXPECT_EQ(Zak({"-v"}).Out, "ZAK " ZAK_VERSION "\n");

    // Without a screen the window cannot open: one German explanation, no
    // English list of Qt's plugins.
    QProcessEnvironment noScreen = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) noScreen.remove(name);
    const TResult ide = Zak({}, {}, noScreen);
    EXPECT_EQ(ide.Status, 1);
    EXPECT_TRUE(ide.Err.startsWith(QString::fromUtf8("ZAK kann kein Fenster \u00F6ffnen"))) << ide.Err.toStdString();
    EXPECT_FALSE(ide.Err.contains("plugin")) << ide.Err.toStdString();

    const QString program = Write("p.zak", "");
    struct TWrong {
        QStringList Arguments;
        QString Named;
    };
    for (const TWrong& wrong : {TWrong{{"--run", program, "--bunt"}, "Unbekannte Option: --bunt"},
                                TWrong{{"-x", "--check", program}, "Unbekannte Option: -x"},
                                TWrong{{"--run", program, "--vars=ja"}, "--vars nimmt keinen Wert an"},
                                TWrong{{"--run", program, "--max-steps"}, "Der Wert nach --max-steps fehlt"},
                                TWrong{{"--check", program, "--png", "d"}, "--png gilt nur mit --run"},
                                TWrong{{"--check", program, "--max-memory", "9"}, "--max-memory gilt nur mit --run"},
                                TWrong{{"--run", program, "--max-memory", "0"}, "--max-memory muss eine ganze Zahl"},
                                TWrong{{"--run", program, "--max-memory=1G"}, "--max-memory muss eine ganze Zahl"},
                                TWrong{{"--run", program, "--check"}, "schlie\u00DFen einander aus"},
                                TWrong{{"--run", program, program}, "Nur eine Datei"},
                                TWrong{{"--vars", "--run"}, "Der Dateiname nach --run fehlt"}}) {
        const TResult r = Zak(wrong.Arguments);
        EXPECT_EQ(r.Status, 2) << wrong.Arguments.join(' ').toStdString();
        EXPECT_TRUE(r.Out.isEmpty());
        EXPECT_TRUE(r.Err.contains(wrong.Named)) << r.Err.toStdString();
        EXPECT_TRUE(r.Err.contains("Aufruf: zak --")) << r.Err.toStdString();
    }
}

// A few lines of program that would take all the memory there is end
// with the German message of the spent budget, as a runtime error, while
// the process stays near its budget: a recursion passing down a text that
// grows at every call, one passing down a text of 8 MiB, and a text field
// given thousands of lines of 8 MiB.
TEST_F(CommandLineTest, MemoryBudgetEndsProgramsThatWouldTakeAllMemory) {
#ifdef __SANITIZE_ADDRESS__
    // AddressSanitizer reserves terabytes of address space for its shadow,
    // so the cap on the children's address space cannot apply; the main
    // tree runs this test.
    GTEST_SKIP() << "Adressraumgrenze und AddressSanitizer vertragen sich nicht";
#endif
    const QByteArray doubled = "s: String\r\ns := 'a'\r\nwiederhole 23 mal\r\n   s := s + s\r\n*wiederhole\r\n";
    struct TCase {
        const char* Name;
        QByteArray Body;
        int Line;  // where the run stops, counted from 0 as in the error list
    };
    const TCase cases[] = {
        {"wachsend.zak", "methode m(s: String)\r\n   m(s + '" + QByteArray(32, 'a') + "')\r\nende\r\nm('x')\r\n", 1},
        {"tief.zak", doubled + "methode m(t: String)\r\n   m(t)\r\nende\r\nm(s)\r\n", 6},
        {"zeilen.zak", "t: Textfeld\r\n" + doubled + "wiederhole 1000 mal\r\n   t.zeileHinzufuegen(s)\r\n*wiederhole\r\n", 7},
    };
    const QString expected = QString::fromUtf8("Der Arbeitsspeicher reicht f\u00FCr dieses Programm nicht aus.");
    // The budget, and what the process needs besides: Qt, the offscreen
    // platform, the program, and the last text built on top of the budget.
    constexpr long Budget = 256;
    constexpr long Besides = 320;
    for (const TCase& c : cases) {
        const QString program = Write(c.Name, c.Body);
        const QString out = Dir.filePath(QStringLiteral("out.json"));
        const TBoundedRun run = ZakBounded({"--run", "--json", "--max-memory", QString::number(Budget), program}, out);
        EXPECT_EQ(run.Status, 1) << c.Name;
        EXPECT_LT(run.MaxRssMiB, Budget + Besides) << c.Name;
        QFile file(out);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QJsonObject json = Json({run.Status, QString::fromUtf8(file.readAll()), {}});
        EXPECT_EQ(json["status"].toInt(), 1) << c.Name;
        const QJsonObject error = json["error"].toObject();
        EXPECT_EQ(error["kind"].toString(), "Laufzeitfehler") << c.Name;
        EXPECT_EQ(error["message"].toString(), expected) << c.Name;
        EXPECT_EQ(error["line"].toInt(), c.Line) << c.Name;
    }

    // Without --max-memory the budget is a GiB; the text output says the same.
    const TBoundedRun run = ZakBounded({"--run", Dir.filePath(cases[0].Name)}, Dir.filePath("out.txt"));
    EXPECT_EQ(run.Status, 1);
    EXPECT_GT(run.MaxRssMiB, 700);
    EXPECT_LT(run.MaxRssMiB, 1024 + Besides);
    QFile text(Dir.filePath("out.txt"));
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(text.readAll()).endsWith(expected + '\n'));

    // A budget larger than the memory there is: the failed allocation ends
    // the run with the same message, not with an abort.
    const TBoundedRun starved =
        ZakBounded({"--run", "--json", "--max-memory", "100000", Dir.filePath(cases[0].Name)}, Dir.filePath("out.json"), 1536);
    EXPECT_EQ(starved.Status, 1);
    QFile file(Dir.filePath("out.json"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject error = Json({starved.Status, QString::fromUtf8(file.readAll()), {}})["error"].toObject();
    EXPECT_EQ(error["kind"].toString(), "Laufzeitfehler");
    EXPECT_EQ(error["message"].toString(), expected);
}

} // namespace
