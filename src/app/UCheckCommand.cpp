#include "UCheckCommand.h"

#include "UCodepage.h"
#include "UCommandLine.h"
#include "UCriticalSections.h"
#include "UHeadless.h"
#include "UKlassen.h"
#include "UProgrammText.h"
#include "USyntaxcheckThread.h"

#include <iostream>
#include <optional>
#include <string>

int RunCheck(const TCommandLine& options) {
    std::string problem;
    std::optional<std::string> text = ReadProgramFile(options.File, problem);
    if (!text) {
        return RefuseFile(options, problem);
    }
    TProgrammDatei program = ReadProgram(*text);
    text.reset();  // the lines hold the program from here on
    if (const std::string note = ConversionNote(program); !note.empty())
        std::cerr << Codepage::Win1252ToUtf8(note) << '\n';
    if (program.OtherVersion)
        std::cerr << Codepage::Win1252ToUtf8("Dieses Programm wurde nicht f\xFCr ZAK 1.5 geschrieben.") << '\n';
    FormatLines(program.Lines);

    CriticalSections::Create();
    int status = 0;
    {
        const TStringLines lines(std::move(program.Lines));
        const TKlassenFabrik factory;
        TSyntaxcheckThread check(factory);
        check.SetNoAttributeAssignment(options.ForbidAttributeAssignment);
        const TSyntaxcheckResult result = check.Pass(lines);
        if (result.Error) status = 1;
        if (options.Json) {
            TJsonResult json;
            json.Status = status;
            json.Error = result.Error ? &*result.Error : nullptr;
            std::cout << JsonText(json) << '\n';
        } else if (result.Error) {
            std::cout << Codepage::Win1252ToUtf8(result.Error->ItemText()) << '\n';
        }
    }
    std::cout.flush();
    CriticalSections::Delete();
    return status;
}
