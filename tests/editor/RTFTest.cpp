// The RTF of copied program text.
#include "URTF.h"

#include <gtest/gtest.h>

namespace {
const std::string kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 Courier New;}"
    "{\\f1\\fnil\\fcharset0 Times New Roman;}}{\\colortbl ;\\red0\\green0\\blue255;\\red0\\green196\\blue0;}"
    "\\viewkind4\\uc1\\pard\\f0\\fs20 ";
}

TEST(RTF, ClassSwitchesOnlyWhereTheClassChanges) {
    EXPECT_EQ(BuildRTF("wenn a dann", "00002220000"), kHeader + "\\b wenn\\b0  a \\b dann}");
    EXPECT_EQ(BuildRTF("// x", "3333"), kHeader + "\\i\\cf2 // x}");
    EXPECT_EQ(BuildRTF("'a'-1", "11144"), kHeader + "\\cf1 'a'\\cf0\\cf1 -1}");
    EXPECT_EQ(BuildRTF("", ""), kHeader + "}");
}

TEST(RTF, EscapesAndLineBreaks) {
    EXPECT_EQ(BuildRTF("\xe4\xdf\x80", "222"), kHeader + "\\'e4\\'df\\'80}");
    EXPECT_EQ(BuildRTF("{ x }\\", "222222"), kHeader + "\\{ x \\}\\\\}");
    EXPECT_EQ(BuildRTF("a\r\nb", "2222"), kHeader + "a\\par\n\rb}");
    // Other bytes above 127 pass unchanged.
    EXPECT_EQ(BuildRTF("\xe9", "2"), kHeader + "\xe9}");
}

TEST(RTF, ShortClassStringKeepsTheLastStyle) {
    EXPECT_EQ(BuildRTF("abc", "0"), kHeader + "\\b abc}");
}
