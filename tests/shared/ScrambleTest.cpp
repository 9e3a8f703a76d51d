#include "Uencrypt.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <set>

TEST(Scramble, RoundTripsEveryText) {
    std::mt19937 random(7);
    for (int length = 0; length < 40; ++length) {
        for (int round = 0; round < 20; ++round) {
            std::string text;
            for (int i = 0; i < length; ++i) text += static_cast<char>(random() & 0xFF);
            const std::string hex = Scramble(text);
            ASSERT_EQ(hex.size(), 2 * text.size());
            ASSERT_EQ(Unscramble(hex), text);
        }
    }
    EXPECT_EQ(Unscramble(Scramble("")), "");
}

TEST(Scramble, WritesLowercaseHexOnly) {
    const std::string hex = Scramble("Hallo");
    EXPECT_EQ(hex.size(), 10u);
    for (char c : hex) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c)) || (c >= 'a' && c <= 'f')) << hex;
}

// A single byte only passes through the table, so the 256 one-byte texts
// show that the table is a permutation.
TEST(Scramble, TableIsAPermutation) {
    std::set<std::string> seen;
    for (int b = 0; b < 256; ++b) seen.insert(Scramble(std::string(1, static_cast<char>(b))));
    EXPECT_EQ(seen.size(), 256u);
}

// Stored settings files depend on the table: a changed entry would make
// every saved password unreadable.
TEST(Scramble, TableStaysAsShipped) {
    EXPECT_EQ(Scramble("Keins"), "c5bca6cd8c");
}

TEST(Scramble, NeighbouringBytesInfluenceEachOther) {
    EXPECT_NE(Scramble("ab").substr(0, 2), Scramble("ac").substr(0, 2));
}

TEST(Scramble, BuiltInDefaultIsSixPrintableLetters) {
    const std::string password = Unscramble(kDefaultPasswordScrambled);
    ASSERT_EQ(password.size(), 6u);
    for (char c : password) EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(c))) << password;
    EXPECT_EQ(Scramble(password), kDefaultPasswordScrambled);
}

TEST(Scramble, UnreadableValues) {
    EXPECT_EQ(Unscramble("c5bca6cd8"), Unscramble("c5bca6cd"));  // an odd last digit is ignored
    EXPECT_EQ(Unscramble("C5BCA6CD8C"), "Keins");
    EXPECT_EQ(Unscramble("c5zza6cd8c"), "");
    EXPECT_EQ(Unscramble("x"), "");
}
