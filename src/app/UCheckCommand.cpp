#include "UCheckCommand.h"

#include "UCodepage.h"
#include "UCriticalSections.h"
#include "UHeadless.h"
#include "UKlassen.h"
#include "UProgrammText.h"
#include "USyntaxcheckThread.h"

#include <cstring>
#include <iostream>
#include <optional>
#include <string>

namespace {

const char* const Usage = "Aufruf: zak --check DATEI [--forbid-attribute-assignment]";

} // namespace

bool IsCheckRun(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--check") == 0) return true;
    return false;
}

int RunCheck(int argc, char** argv) {
    std::string file;
    bool haveFile = false;
    bool forbidAttributeAssignment = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--check" && !haveFile) {
            if (i + 1 >= argc) {
                std::cerr << "Der Dateiname nach --check fehlt.\n" << Usage << '\n';
                return 2;
            }
            file = argv[++i];
            haveFile = true;
        } else if (arg == "--forbid-attribute-assignment") {
            forbidAttributeAssignment = true;
        } else {
            std::cerr << "Unbekanntes Argument: " << arg << '\n' << Usage << '\n';
            return 2;
        }
    }

    std::string problem;
    std::optional<std::string> text = ReadProgramFile(file, problem);
    if (!text) {
        std::cerr << problem << '\n';
        return 2;
    }
    TProgrammDatei program = SplitProgram(*text);
    if (!HeaderFitsVersion(program.Header))
        std::cerr << Codepage::Win1252ToUtf8("Dieses Programm wurde nicht f\xFCr ZAK 1.5 geschrieben.") << '\n';
    FormatLines(program.Lines);

    CriticalSections::Create();
    int status = 0;
    {
        const TStringLines lines(std::move(program.Lines));
        const TKlassenFabrik factory;
        TSyntaxcheckThread check(factory);
        check.SetNoAttributeAssignment(forbidAttributeAssignment);
        const TSyntaxcheckResult result = check.Pass(lines);
        if (result.Error) {
            std::cout << Codepage::Win1252ToUtf8(result.Error->ItemText()) << '\n';
            status = 1;
        }
    }
    std::cout.flush();
    CriticalSections::Delete();
    return status;
}
