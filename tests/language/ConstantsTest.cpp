#include "UConstants.h"

#include <gtest/gtest.h>

namespace {

// The class of each byte, written out independently of the table's builder.
int ExpectedClass(int c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 192) return 0;
    if (c >= '0' && c <= '9') return 1;
    if (c == 9 || c == 13 || c == 32 || c == '?') return 2;
    if (c == 1 || (c >= 33 && c <= 38) || c == 92 || c == 96 || c == 124 || c == 126 ||
        c == 128 || c == 145 || c == 146 || (c >= 160 && c <= 191))
        return 3;
    const std::string symbols = "^@'{}:()[];,.*/+-=><";
    const int codes[] = {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25};
    const auto at = symbols.find(static_cast<char>(c));
    if (c != 0 && at != std::string::npos) return codes[at];
    return 4;
}

} // namespace

TEST(Constants, CharacterClassOfEveryByte) {
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(CharClass(static_cast<char>(c)), ExpectedClass(c)) << "byte " << c;
}

TEST(Constants, TokenNamesByCode) {
    EXPECT_EQ(TokenName(0), "OTC");
    EXPECT_EQ(TokenName(OEOF), "OEOF");
    EXPECT_EQ(TokenName(OZeiger), "Zeiger(^)");
    EXPECT_EQ(TokenName(OKlammerAuf), "Klammer auf");
    EXPECT_EQ(TokenName(OPunktPunkt), "PunktPunkt");
    EXPECT_EQ(TokenName(ODoppelpunktgleich), "Doppelpunktgleich");
    EXPECT_EQ(TokenName(KTue), "tue");
    EXPECT_EQ(TokenName(KFalsch), "falsch");
    EXPECT_EQ(TokenName(KEndFuer), "*Fuer");
    EXPECT_EQ(TokenName(OIdentifier), "OIdentifier");
    EXPECT_EQ(TokenName(OZahlenfehler), "OZahlenfehler");
    EXPECT_EQ(TokenName(-1), "");
    EXPECT_EQ(TokenName(TokenCount), "");
}

TEST(Constants, KeywordTableMatchesTokenNamesAndCodes) {
    // The keyword of code 31 + i is its token name upper-cased: a check that
    // the two tables and the enum stay in step.
    for (int i = 0; i < KeywordCount; ++i) {
        EXPECT_EQ(KeywordUpCase(TokenNames[FirstKeyword + i]), Keywords[i]) << i;
        if (Keywords[i][0] != '*') {
            EXPECT_EQ(KeywordCode(Keywords[i]), FirstKeyword + i);
        }
    }
    EXPECT_EQ(KeywordCode("wiederhole"), KWiederhole);
    EXPECT_EQ(KeywordCode("Falsch"), KFalsch);
    EXPECT_EQ(KeywordCode("f\xFCr"), OIdentifier);  // für
    EXPECT_EQ(KeywordCode("wiederholen"), OIdentifier);
    EXPECT_EQ(KeywordCode(""), OIdentifier);
}

TEST(Constants, EndKeywords) {
    EXPECT_EQ(EndKeywordCode("*wiederhole"), KEndWiederhole);
    EXPECT_EQ(EndKeywordCode("*Wenn"), KEndWenn);
    EXPECT_EQ(EndKeywordCode("*SOLANGE"), KEndSolange);
    EXPECT_EQ(EndKeywordCode("*f\xFCr"), KEndFuer);  // *für
    EXPECT_EQ(EndKeywordCode("*F\xDCR"), KEndFuer);  // *FÜR
    EXPECT_EQ(EndKeywordCode("*fuer"), 0);
    EXPECT_EQ(EndKeywordCode("*"), 0);
    EXPECT_EQ(EndKeywordCode("wenn"), 0);
}

TEST(Constants, UpCaseFoldsOnlyAsciiAndThreeUmlauts) {
    EXPECT_EQ(KeywordUpCase("az\xE4\xF6\xFC"), "AZ\xC4\xD6\xDC");
    EXPECT_EQ(KeywordUpCase("\xDF\xE9\xE5 1_"), "\xDF\xE9\xE5 1_");  // ß, é, å stay
    for (int c = 0; c < 256; ++c) {
        const char up = KeywordUpCase(static_cast<char>(c));
        const bool folds = (c >= 'a' && c <= 'z') || c == 228 || c == 246 || c == 252;
        EXPECT_EQ(static_cast<unsigned char>(up), folds ? c - 32 : c) << c;
    }
}
