#pragma once
// Token codes, token kind names, the keyword table and the character class
// table of the language. Defined once here and shared by the scanner, the line
// formatter, the interpreter, the syntax check, code completion and the help.
//
// Text is 8-bit Windows-1252: every table is indexed by the byte as an
// unsigned value, so always go through the helpers below (never index a
// table with a plain, possibly negative, char).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// ---------------------------------------------------------------------------
// Character classes. The symbol characters' class number is also the token
// code of their one-character token.
// ORDER TOKENS: these codes, TokenNames in UConstants.cpp and the class table
// there must stay in step; grep ORDER TOKENS when changing any of them.
enum TCharClass : int {
    OTC = 0,             // letter: A-Z, a-z, _, 192-255
    OTZ = 1,             // digit
    OTS = 2,             // blank: tab, CR, space, ?
    OTA = 3,             // other printable character without meaning
    OTN = 4,             // unprintable
    OAnfZeich = 8,       // apostrophe
    OGeschweiftAuf = 9,  // {
    OGeschweiftZu = 10,  // }
};

// Token codes returned by TScanner::NextToken (0-4 and 8-10 never are).
enum TTokenCode : int {
    OEOF = 5,
    OZeiger = 6,              // ^
    OAdresse = 7,             // @
    ODoppelpunkt = 11,        // :
    OKlammerAuf = 12,         // (
    OKlammerZu = 13,          // )
    OEckigeKlammerAuf = 14,   // [
    OEckigeKlammerZu = 15,    // ]
    OStrichpunkt = 16,        // ;
    OKomma = 17,              // ,
    OPunkt = 18,              // .
    OMal = 19,                // *  (the operator; the keyword "mal" is KMal)
    OGeteilt = 20,            // /
    OPlus = 21,               // +
    OMinus = 22,              // -
    OGleich = 23,             // =
    OGroesser = 24,           // >
    OKleiner = 25,            // <
    OGroessergleich = 26,     // >=
    OKleinergleich = 27,      // <=
    OUngleich = 28,           // <>
    OPunktPunkt = 29,         // ..
    ODoppelpunktgleich = 30,  // :=

    // Keywords: code = 31 + index in Keywords (ORDER KEYWORDS).
    KFuer = 31,
    KWiederhole = 32,
    KEndWiederhole = 33,  // *wiederhole
    KImmer = 34,
    KMal = 35,
    KSolange = 36,
    KEndSolange = 37,     // *solange
    KTue = 38,
    KBis = 39,
    KMethode = 40,
    KEnde = 41,
    KVar = 42,
    KWenn = 43,
    KEndWenn = 44,        // *wenn
    KDann = 45,
    KSonst = 46,
    KEndFuer = 47,        // *für
    KBoolean = 48,
    KInteger = 49,
    KReal = 50,
    KChar = 51,
    KString = 52,
    KNicht = 53,
    KUnd = 54,
    KOder = 55,
    KWahr = 56,
    KFalsch = 57,

    OIdentifier = 58,
    OIntegerconst = 59,
    ORealConst = 60,
    OStringConst = 61,
    OSpace = 62,          // internal to the scanner; never returned
    OGleichGleich = 63,   // ==
    OStop = 64,           // breakpoint mark at a line start
    OZahlenfehler = 65,   // malformed number
};

constexpr int TokenCount = 66;
constexpr int FirstKeyword = KFuer;
constexpr int KeywordCount = 27;
constexpr int LastKeyword = FirstKeyword + KeywordCount - 1;

// The character the scanner finds in place of the separator in front of a
// line that carries a breakpoint.
constexpr char BreakpointMark = '\x01';

// Highlight classes of the line formatter, stored as ASCII digits in
// TFormatResult::Classes and the editor's line records.
enum THighlightClass : char {
    HKeyword = '0',  // keywords, including end keywords such as *wenn
    HString = '1',
    HNormal = '2',   // identifiers, blanks, operators
    HComment = '3',
    HNumber = '4',
};

// ---------------------------------------------------------------------------
// Tables (UConstants.cpp).

// ORDER TOKENS: token kind name of each code 0..65.
extern const std::array<const char*, TokenCount> TokenNames;
// ORDER KEYWORDS: upper-case keyword i has token code FirstKeyword + i.
extern const std::array<const char*, KeywordCount> Keywords;
// Character class of each byte (see TCharClass and the symbol codes).
extern const std::array<std::uint8_t, 256> CharClassTable;

// An end keyword as written after its star, upper-cased, with its code:
// "*WIEDERHOLE", "*WENN", "*SOLANGE" and "*FÜR" (Ü as code 220). The keyword
// table's "*FUER" only names token 47; `*fuer` is `*` followed by `fuer`.
struct TEndKeyword {
    const char* Text;
    int Code;
};
constexpr int EndKeywordCount = 4;
extern const std::array<TEndKeyword, EndKeywordCount> EndKeywords;

// ---------------------------------------------------------------------------
// Helpers.

inline int CharClass(char c) { return CharClassTable[static_cast<unsigned char>(c)]; }
inline bool IsLetter(char c) { return CharClass(c) == OTC; }
inline bool IsDigit(char c) { return CharClass(c) == OTZ; }
inline bool IsLetterOrDigit(char c) { return CharClass(c) <= OTZ; }

// Name of a token code; "" for codes outside 0..65.
std::string_view TokenName(int code);

// Upper-casing for keyword comparison: a-z to A-Z and ä, ö, ü (228, 246, 252)
// to Ä, Ö, Ü (196, 214, 220); every other byte unchanged.
char KeywordUpCase(char c);
std::string KeywordUpCase(std::string_view text);

// Token code of a word in any letter case when it is a keyword
// (FirstKeyword..LastKeyword), else OIdentifier. `für` is no keyword.
int KeywordCode(std::string_view word);
// Token code of `*` plus the letter/digit run after it (the star included,
// any letter case) when it is an end keyword, else 0.
int EndKeywordCode(std::string_view starWord);
