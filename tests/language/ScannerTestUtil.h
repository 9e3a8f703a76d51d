#pragma once
// Helpers shared by the scanner tests.
#include "UScanner.h"

#include <ostream>
#include <string>
#include <vector>

struct TScannedToken {
    int Code;
    std::string Text;
    bool operator==(const TScannedToken&) const = default;
};

inline void PrintTo(const TScannedToken& t, std::ostream* os) {
    *os << "{" << t.Code << " " << TokenName(t.Code) << " '" << t.Text << "'}";
}

// All tokens of `lines` up to and including OEOF (at most `limit`).
inline std::vector<TScannedToken> ScanAll(const TStringLines& lines, int limit = 100000) {
    TScanner scanner;
    scanner.Load(lines);
    std::vector<TScannedToken> tokens;
    for (int i = 0; i < limit; ++i) {
        const int code = scanner.NextToken();
        tokens.push_back({code, scanner.TokenText()});
        if (code == OEOF) break;
    }
    return tokens;
}

inline std::vector<TScannedToken> ScanAll(std::vector<std::string> lines) {
    return ScanAll(TStringLines(std::move(lines)));
}

inline std::vector<int> Codes(std::vector<std::string> lines) {
    std::vector<int> codes;
    for (const TScannedToken& t : ScanAll(std::move(lines))) codes.push_back(t.Code);
    return codes;
}
