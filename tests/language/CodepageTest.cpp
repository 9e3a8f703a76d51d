#include "UCodepage.h"

#include <gtest/gtest.h>

TEST(Codepage, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    EXPECT_EQ(Codepage::Utf8ToWin1252(Codepage::Win1252ToUtf8(all)), all);
}

TEST(Codepage, KnownCodes) {
    EXPECT_EQ(Codepage::Win1252ToUtf8("\xE4\xF6\xFC\xDF"), "äöüß");
    EXPECT_EQ(Codepage::Win1252ToUtf8("\x80"), "€");
    EXPECT_EQ(Codepage::Win1252ToUtf8("\x81"), "\xC2\x81");  // undefined: same code point
    EXPECT_EQ(Codepage::Utf8ToWin1252("Größe €"), "Gr\xF6\xDF" "e \x80");
}

TEST(Codepage, UnmappableAndBrokenUtf8BecomeQuestionMarks) {
    EXPECT_EQ(Codepage::Utf8ToWin1252("a\xE2\x88\x9E" "b"), "a?b");  // infinity sign
    EXPECT_EQ(Codepage::Utf8ToWin1252("a\xC3"), "a?");               // cut off
    EXPECT_EQ(Codepage::Utf8ToWin1252("\xFF" "x"), "?x");
    EXPECT_EQ(Codepage::Utf8ToWin1252("\xF0\x9F\x98\x80"), "?");     // emoji
}
