#pragma once
// Helpers for the syntax check tests: one pass over a few lines.
#include "UKlassen.h"
#include "USyntaxcheckThread.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

struct THint {
    bool Found = false;
    int Line = 0;
    int Column = 0;
    std::string Message;
    bool DefaultWindow = false;
};

inline void PrintTo(const THint& h, std::ostream* os) {
    if (!h.Found) *os << "(no hint)";
    else *os << "(Z." << h.Line << " Sp." << h.Column << ") " << h.Message;
}

inline THint CheckLines(std::vector<std::string> lines, bool forbidAttributeAssignment = false) {
    static const TKlassenFabrik factory;
    TStringLines text(std::move(lines));
    TSyntaxcheckThread check(factory);
    check.SetNoAttributeAssignment(forbidAttributeAssignment);
    TSyntaxcheckResult result = check.Pass(text);
    THint hint;
    hint.DefaultWindow = result.DefaultWindow;
    if (result.Error) {
        hint.Found = true;
        hint.Line = result.Error->Line;
        hint.Column = result.Error->Column;
        hint.Message = result.Error->Message;
        EXPECT_EQ(result.Error->Source, FehlerTipp);
    }
    return hint;
}

// Only the message, or "" when the text is accepted.
inline std::string HintMessage(std::vector<std::string> lines, bool forbidAttributeAssignment = false) {
    return CheckLines(std::move(lines), forbidAttributeAssignment).Message;
}
