// The command line of the headless run: what happens with wrong arguments,
// unreadable files and the step limit, and that --version and --help answer.
#include "UVersion.h"
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct TResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

TResult Zak(const std::string& arguments) {
    const fs::path dir = fs::temp_directory_path() / ("zak-cli-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path out = dir / "out.txt";
    const fs::path err = dir / "err.txt";
    std::string command = std::string("\"") + ZAK_BINARY + "\" " + arguments + " > \"" +
                          out.string() + "\" 2> \"" + err.string() + "\"";
    int raw = std::system(command.c_str());
    TResult result;
    if (WIFEXITED(raw)) result.Status = WEXITSTATUS(raw);
    auto read = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    };
    result.Out = read(out);
    result.Err = read(err);
    fs::remove_all(dir);
    return result;
}

fs::path WriteProgram(const std::string& name, const std::string& bytes) {
    fs::path path = fs::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(HeadlessCli, VersionIsUnchangedAndHelpIsGerman) {
    TResult r = Zak("--version");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "ZAK " ZAK_VERSION "\n");
    TResult help = Zak("--help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_EQ(help.Out.rfind("Aufruf:\n", 0), 0u) << help.Out;
    for (const char* use : {"zak --run DATEI", "zak --check DATEI", "zeigt diese Hilfe"})
        EXPECT_NE(help.Out.find(use), std::string::npos) << use;
}

TEST(HeadlessCli, WrongArgumentsExitWithTwo) {
    for (const char* arguments : {"--run", "--run x.zak --max-steps", "--run x.zak --max-steps 0",
                                  "--run x.zak --max-steps 12x", "--run x.zak --bunt",
                                  "--run x.zak --png"}) {
        TResult r = Zak(arguments);
        EXPECT_EQ(r.Status, 2) << arguments;
        EXPECT_FALSE(r.Err.empty()) << arguments;
        EXPECT_TRUE(r.Out.empty()) << arguments;
    }
}

TEST(HeadlessCli, UnreadableFileExitsWithTwo) {
    // The reason is ours, in German, not the system's.
    TResult missing = Zak("--run /nonexistent/zak/programm.zak");
    EXPECT_EQ(missing.Status, 2);
    EXPECT_EQ(missing.Err, "Die Datei /nonexistent/zak/programm.zak kann nicht gelesen werden: "
                           "Die Datei oder das Verzeichnis gibt es nicht.\n");
    TResult directory = Zak("--run " + fs::temp_directory_path().string());
    EXPECT_EQ(directory.Status, 2);
    EXPECT_NE(directory.Err.find("kann nicht gelesen werden: Das ist ein Verzeichnis."), std::string::npos)
        << directory.Err;
    const fs::path program = WriteProgram("zak-cli-png-blocked.zak", "// ZAK 1.5 - Programm\r\nr: Rechteck\r\n");
    TResult blocked = Zak("--run " + program.string() + " --png " + program.string() + "/bilder");
    EXPECT_NE(blocked.Err.find("kann nicht angelegt werden: Ein Teil des Pfades ist kein Verzeichnis."),
              std::string::npos) << blocked.Err;
    fs::remove(program);
}

TEST(HeadlessCli, StepLimitCountsInterpreterCalls) {
    fs::path program = WriteProgram("zak-cli-limit.zak",
                                    "// ZAK 1.5 - Programm\r\nn: integer\r\nwiederhole immer\r\n"
                                    "n := n + 1\r\n*wiederhole\r\n");
    TResult r = Zak("--run " + program.string() + " --vars --max-steps 1000");
    EXPECT_EQ(r.Status, 3);
    EXPECT_EQ(r.Err, "Abgebrochen nach 1000 Schritten.\n");
    EXPECT_EQ(r.Out, "n = 499\n");
    fs::remove(program);
}

// Binary junk is just text to the language: the run ends with a message or
// without one, never with a crash.
TEST(HeadlessCli, BinaryFileEndsCleanly) {
    std::string bytes = "// ZAK 1.5 - Programm\r\n";
    for (int i = 0; i < 4096; ++i) bytes += static_cast<char>((i * 7919 + i / 13) % 256);
    fs::path program = WriteProgram("zak-cli-binary.zak", bytes);
    TResult r = Zak("--run " + program.string() + " --vars --max-steps 100000");
    EXPECT_TRUE(r.Status == 0 || r.Status == 1 || r.Status == 3) << r.Status;
    fs::remove(program);
}

} // namespace
