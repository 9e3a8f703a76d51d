// Runs every program under tests/programs/<construct>/*.zak through
// `zak --run FILE --vars` and compares standard output with the program's
// own comments:
//   // erwartet: <line>      one expected output line, in order (all of them)
//   // optionen: <args>      more arguments for zak, separated by blanks
//   // status: <n>           the exit status; by default 1 when a
//                            "Laufzeitfehler" line is expected, else 0
//   // fehlerausgabe: <text> standard error must contain the text
// The files are Windows-1252 like every program file; the expectations are
// compared after conversion to UTF-8, the terminal's encoding.
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

const fs::path ProgramDir = fs::path(ZAK_SOURCE_DIR) / "tests" / "programs";

std::vector<std::string> ProgramFiles() {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(ProgramDir))
        if (entry.is_regular_file() && entry.path().extension() == ".zak")
            files.push_back(fs::relative(entry.path(), ProgramDir).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Lines split at CR LF, lone CR and lone LF, trailing blanks dropped.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    auto finish = [&] {
        while (!line.empty() && line.back() == ' ') line.pop_back();
        lines.push_back(line);
        line.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            finish();
        } else {
            line += c;
        }
    }
    if (!line.empty()) finish();
    return lines;
}

struct TExpectation {
    std::vector<std::string> Output;
    std::string Options;
    int Status = -1;
    std::vector<std::string> ErrorOutput;
};

TExpectation ReadExpectation(const std::string& win1252) {
    TExpectation e;
    for (const std::string& line : Lines(Codepage::Win1252ToUtf8(win1252))) {
        auto value = [&](const std::string& key, std::string& out) {
            std::string marker = "// " + key + ": ";
            std::size_t at = line.find(marker);
            if (at == std::string::npos) return false;
            out = line.substr(at + marker.size());
            return true;
        };
        std::string v;
        if (value("erwartet", v)) e.Output.push_back(v);
        else if (value("optionen", v)) e.Options += " " + v;
        else if (value("status", v)) e.Status = std::stoi(v);
        else if (value("fehlerausgabe", v)) e.ErrorOutput.push_back(v);
    }
    if (e.Status < 0) {
        bool error = std::any_of(e.Output.begin(), e.Output.end(), [](const std::string& s) {
            return s.rfind("Laufzeitfehler", 0) == 0;
        });
        e.Status = error ? 1 : 0;
    }
    return e;
}

class ProgramTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ProgramTest, RunsAsExpected) {
    const fs::path file = ProgramDir / GetParam();
    TExpectation expected = ReadExpectation(ReadAll(file));

    const fs::path work = fs::temp_directory_path() /
                          ("zak-programs-" + std::to_string(::getpid()) + "-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(work);
    const fs::path out = work / "stdout.txt";
    const fs::path err = work / "stderr.txt";
    std::string command = std::string("\"") + ZAK_BINARY + "\" --run \"" + file.string() +
                          "\" --vars" + expected.Options + " > \"" + out.string() + "\" 2> \"" +
                          err.string() + "\"";
    int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw)) << command;
    const int status = WEXITSTATUS(raw);

    std::vector<std::string> actual = Lines(ReadAll(out));
    const std::string errors = ReadAll(err);
    EXPECT_EQ(actual, expected.Output) << GetParam();
    EXPECT_EQ(status, expected.Status) << GetParam() << "\nstderr: " << errors;
    for (const std::string& part : expected.ErrorOutput)
        EXPECT_NE(errors.find(part), std::string::npos) << "stderr: " << errors;
    fs::remove_all(work);
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param.substr(0, info.param.size() - 4);
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Programme, ProgramTest, ::testing::ValuesIn(ProgramFiles()), TestName);

} // namespace
