// Runs every program under tests/check/*.zak through `zak --check FILE` and
// compares standard output with the program's own comments:
//   // erwartet: <line>   the expected hint line; none when the program is fine
//   // optionen: <args>   more arguments for zak, separated by blanks
// The exit status is 1 with a hint and 0 without. The files are
// Windows-1252; the expectations are compared after conversion to UTF-8.
// Also the command line itself: wrong arguments and unreadable files.
#include "UCodepage.h"

#include <gtest/gtest.h>

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

const fs::path CheckDir = fs::path(ZAK_SOURCE_DIR) / "tests" / "check";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

struct TResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

TResult Zak(const std::string& arguments) {
    const fs::path dir = fs::temp_directory_path() /
                         ("zak-check-" + std::to_string(::getpid()) + "-" +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
    const fs::path out = dir / "out.txt";
    const fs::path err = dir / "err.txt";
    const std::string command = std::string("\"") + ZAK_BINARY + "\" " + arguments + " > \"" + out.string() +
                                "\" 2> \"" + err.string() + "\"";
    const int raw = std::system(command.c_str());
    TResult result;
    if (WIFEXITED(raw)) result.Status = WEXITSTATUS(raw);
    result.Out = ReadAll(out);
    result.Err = ReadAll(err);
    fs::remove_all(dir);
    return result;
}

std::vector<std::string> CheckFiles() {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(CheckDir))
        if (entry.is_regular_file() && entry.path().extension() == ".zak")
            files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
}

class CheckProgramTest : public ::testing::TestWithParam<std::string> {};

TEST_P(CheckProgramTest, GivesTheExpectedHint) {
    const fs::path file = CheckDir / GetParam();
    std::vector<std::string> expected;
    std::string options;
    for (const std::string& line : Lines(Codepage::Win1252ToUtf8(ReadAll(file)))) {
        for (const auto& [key, into] : {std::pair<std::string, int>{"// erwartet: ", 0}, {"// optionen: ", 1}}) {
            const std::size_t at = line.find(key);
            if (at == std::string::npos) continue;
            if (into == 0) expected.push_back(line.substr(at + key.size()));
            else options += " " + line.substr(at + key.size());
        }
    }
    const TResult r = Zak("--check \"" + file.string() + "\"" + options);
    EXPECT_EQ(Lines(r.Out), expected);
    EXPECT_EQ(r.Status, expected.empty() ? 0 : 1) << r.Err;
    EXPECT_EQ(r.Err, "");
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param.substr(0, info.param.size() - 4);
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Pruefung, CheckProgramTest, ::testing::ValuesIn(CheckFiles()), TestName);

TEST(CheckCli, WrongArgumentsAndUnreadableFilesExitWithTwo) {
    for (const char* arguments : {"--check", "--check x.zak --vars", "--check a.zak --check b.zak"}) {
        const TResult r = Zak(arguments);
        EXPECT_EQ(r.Status, 2) << arguments;
        EXPECT_EQ(r.Out, "") << arguments;
        EXPECT_NE(r.Err.find("Aufruf: zak --check"), std::string::npos) << arguments;
    }
    const TResult missing = Zak("--check /nonexistent/programm.zak");
    EXPECT_EQ(missing.Status, 2);
    EXPECT_NE(missing.Err.find("kann nicht gelesen werden"), std::string::npos);
    const TResult directory = Zak("--check \"" + CheckDir.string() + "\"");
    EXPECT_EQ(directory.Status, 2);
}

TEST(CheckCli, ForeignHeaderIsWarnedAboutAndStillChecked) {
    const fs::path file = fs::temp_directory_path() / ("zak-check-header-" + std::to_string(::getpid()) + ".zak");
    std::ofstream(file, std::ios::binary) << "// ZAK 2.0\r\nwenn wahr dann\r\n";
    const TResult r = Zak("--check \"" + file.string() + "\"");
    fs::remove(file);
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Out, "Tipp: (Z.0 Sp.16)    *wiederhole, *solange, *wenn oder *f\xC3\xBCr erwartet.\n");
    EXPECT_NE(r.Err.find("nicht f\xC3\xBCr ZAK 1.5 geschrieben"), std::string::npos);
}

TEST(CheckCli, BinaryFileGivesAtMostOneHint) {
    const fs::path file = fs::temp_directory_path() / ("zak-check-binary-" + std::to_string(::getpid()) + ".zak");
    {
        std::ofstream out(file, std::ios::binary);
        for (int i = 0; i < 20000; ++i) out.put(static_cast<char>((i * 7919) % 256));
    }
    const TResult r = Zak("--check \"" + file.string() + "\"");
    fs::remove(file);
    EXPECT_TRUE(r.Status == 0 || r.Status == 1);
    EXPECT_LE(Lines(r.Out).size(), 1u);
}

} // namespace
