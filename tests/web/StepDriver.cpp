// The native side of the stepping test (stepping.test.mjs): runs a program
// through the browser build's API compiled natively, in the slices a script
// names, and prints what the page would see after every slice. The test runs
// the same script through the WebAssembly module and compares the lines.
//
//   zak_web_step PROGRAM.zak OP...
//   zak_web_step --complete PROGRAM.zak
// prints the completion after every "." and ":" of every line instead.
// OP is "run:N" (N interpreter calls), "step" (one statement, breakpoints
// ignored), "bp:LINE:1" / "bp:LINE:0" (set, clear) or "tick:N" (one timer
// tick of N statements).
#include "UCodepage.h"
#include "UWebApi.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// FNV-1a over the pixels, as the test computes it in JavaScript.
std::uint32_t PixelHash(const std::vector<std::uint32_t>& pixels) {
    std::uint32_t hash = 2166136261u;
    for (std::uint32_t p : pixels) {
        hash ^= p;
        hash *= 16777619u;
    }
    return hash;
}

void Print(TWebSession& session, const TRunReport& report) {
    std::cout << static_cast<int>(report.State) << ' ' << report.Line << ' ' << report.TotalCalls << ' '
              << report.Error.ItemText << '|';
    for (const std::string& cell : session.Variables(true)) std::cout << cell << '\x1f';
    std::cout << '|';
    for (int i = 0; i < session.WindowCount(); ++i) {
        const TWindowInfo info = session.Window(i);
        std::cout << info.Title << ' ' << info.Left << ' ' << info.Top << ' ' << info.Width << ' ' << info.Height << ' '
                  << info.PixelWidth << ' ' << info.PixelHeight << ' ' << PixelHash(session.WindowRgb(i)) << ';';
    }
    std::cout << '\n';
}

// Every completion the program's own lines offer, one line each.
int PrintCompletions(TWebSession& session) {
    for (const std::string& line : session.Lines()) {
        // Carets count characters, as in the page.
        const std::string chars = Codepage::Utf8ToWin1252(line);
        for (std::size_t i = 0; i < chars.size(); ++i) {
            if (chars[i] != '.' && chars[i] != ':') continue;
            const TWebCompletion completion = session.Complete(line, static_cast<int>(i) + 1);
            std::cout << completion.StartColumn;
            for (const TWebProposal& p : completion.Proposals)
                std::cout << ' ' << p.Kind << p.InsertText << '/' << p.Description;
            std::cout << '\n';
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "Aufruf: zak_web_step PROGRAMM.zak OP...\n";
        return 2;
    }
    const bool complete = std::string(argv[1]) == "--complete";
    std::ifstream in(argv[complete ? 2 : 1], std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    TWebSession session;
    session.LoadFile(bytes.str());
    if (complete) return PrintCompletions(session);
    TWebSession::SetRandomSeed(0);
    session.Start(false, 1024);
    for (int i = 2; i < argc; ++i) {
        const std::string op = argv[i];
        TRunReport report;
        if (op.rfind("run:", 0) == 0) {
            report = session.RunCalls(std::stod(op.substr(4)), 0);
        } else if (op.rfind("tick:", 0) == 0) {
            report = session.RunStatements(std::stoi(op.substr(5)), 100, 0);
        } else if (op == "step") {
            report = session.Step();
        } else if (op.rfind("bp:", 0) == 0) {
            const std::size_t colon = op.find(':', 3);
            session.SetBreakpoint(std::stoi(op.substr(3, colon - 3)), op.substr(colon + 1) == "1");
            report = session.Report();
        } else {
            std::cerr << "Unbekannter Schritt: " << op << '\n';
            return 2;
        }
        session.SettlePaints();
        Print(session, report);
    }
    return 0;
}
