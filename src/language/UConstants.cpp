#include "UConstants.h"

#include <cstring>

// ORDER TOKENS: indexed by token code; the codes are in UConstants.h.
const std::array<const char*, TokenCount> TokenNames = {
    "OTC", "OTZ", "OTS", "OTA", "OTN",                            // 0-4: character classes
    "OEOF", "Zeiger(^)", "Adresse(@)",                            // 5-7
    "OAnfZeich", "OGeschweiftAuf", "OGeschweiftZu",               // 8-10: character classes
    "ODoppelpunkt", "Klammer auf", "Klammer zu",                  // 11-13
    "Eckige Klammer auf", "Eckige Klammer zu", "Strichpunkt",     // 14-16
    "Komma", "Punkt", "OMal", "OGeteilt", "OPlus", "OMinus",      // 17-22
    "OGleich", "OGroesser", "OKleiner",                           // 23-25
    "OGroessergleich", "OKleinergleich", "OUngleich",             // 26-28
    "PunktPunkt", "Doppelpunktgleich",                            // 29-30
    // 31-57: ORDER KEYWORDS
    "Fuer", "Wiederhole", "*Wiederhole", "Immer", "Mal", "Solange", "*Solange",
    "tue", "Bis", "Methode", "Ende", "Var", "Wenn", "*Wenn", "Dann", "Sonst",
    "*Fuer", "Boolean", "Integer", "Real", "Char", "String", "Nicht", "Und",
    "Oder", "Wahr", "falsch",
    "OIdentifier", "OIntegerconst", "ORealConst", "OStringConst",  // 58-61
    "OSpace", "OGleichGleich", "OStop", "OZahlenfehler",           // 62-65
};

namespace {

// ORDER KEYWORDS: keyword i has token code FirstKeyword + i (UConstants.h).
constexpr std::array<const char*, KeywordCount> KeywordList = {
    "FUER", "WIEDERHOLE", "*WIEDERHOLE", "IMMER", "MAL", "SOLANGE", "*SOLANGE",
    "TUE", "BIS", "METHODE", "ENDE", "VAR", "WENN", "*WENN", "DANN", "SONST",
    "*FUER", "BOOLEAN", "INTEGER", "REAL", "CHAR", "STRING", "NICHT", "UND",
    "ODER", "WAHR", "FALSCH",
};

} // namespace

const std::array<const char*, KeywordCount> Keywords = KeywordList;

const std::array<TEndKeyword, EndKeywordCount> EndKeywords = {{
    {"*WIEDERHOLE", KEndWiederhole},
    {"*WENN", KEndWenn},
    {"*SOLANGE", KEndSolange},
    {"*F\xDCR", KEndFuer},
}};

namespace {

constexpr std::array<std::uint8_t, 256> BuildCharClasses() {
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = OTN;
    auto range = [&t](int from, int to, int cls) {
        for (int c = from; c <= to; ++c) t[c] = static_cast<std::uint8_t>(cls);
    };
    range('A', 'Z', OTC);
    range('a', 'z', OTC);
    range('_', '_', OTC);
    range(192, 255, OTC);
    range('0', '9', OTZ);
    for (int c : {9, 13, 32, 63})  // tab, CR, space, ?
        t[c] = OTS;
    for (int c : {1, 92, 96, 124, 126, 128, 145, 146}) t[c] = OTA;
    range(33, 38, OTA);
    range(160, 191, OTA);
    // Everything not named above (0, 2-8, 10-12, 14-31, 127, 129-144,
    // 147-159) stays unprintable.
    t['^'] = OZeiger;
    t['@'] = OAdresse;
    t['\''] = OAnfZeich;
    t['{'] = OGeschweiftAuf;
    t['}'] = OGeschweiftZu;
    t[':'] = ODoppelpunkt;
    t['('] = OKlammerAuf;
    t[')'] = OKlammerZu;
    t['['] = OEckigeKlammerAuf;
    t[']'] = OEckigeKlammerZu;
    t[';'] = OStrichpunkt;
    t[','] = OKomma;
    t['.'] = OPunkt;
    t['*'] = OMal;
    t['/'] = OGeteilt;
    t['+'] = OPlus;
    t['-'] = OMinus;
    t['='] = OGleich;
    t['>'] = OGroesser;
    t['<'] = OKleiner;
    return t;
}

// No keyword is longer than this; longer words need no upper-casing.
constexpr std::size_t MaxKeywordLength = 11;

} // namespace

const std::array<std::uint8_t, 256> CharClassTable = BuildCharClasses();

std::string_view TokenName(int code) {
    if (code < 0 || code >= TokenCount) return {};
    return TokenNames[code];
}

char KeywordUpCase(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || u == 228 || u == 246 || u == 252)
        return static_cast<char>(u - 32);
    return c;
}

std::string KeywordUpCase(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = KeywordUpCase(c);
    return result;
}

namespace {

// The keywords grouped by length, so that a word is compared only with the
// few keywords of its own length, upper-cased into a buffer on the stack.
struct TKeywordsByLength {
    std::array<std::array<std::uint8_t, KeywordCount>, MaxKeywordLength + 1> Index{};
    std::array<std::uint8_t, MaxKeywordLength + 1> Count{};
    constexpr TKeywordsByLength() {
        for (int i = 0; i < KeywordCount; ++i) {
            const std::size_t length = std::string_view(KeywordList[i]).size();
            Index[length][Count[length]++] = static_cast<std::uint8_t>(i);
        }
    }
};
constexpr TKeywordsByLength KeywordsByLength;

// Upper-cases `word` into `buffer` (at least MaxKeywordLength long) and
// gives the view of it; the caller has checked the length.
std::string_view UpCaseInto(std::string_view word, char* buffer) {
    for (std::size_t i = 0; i < word.size(); ++i) buffer[i] = KeywordUpCase(word[i]);
    return {buffer, word.size()};
}

} // namespace

int KeywordCode(std::string_view word) {
    if (word.empty() || word.size() > MaxKeywordLength) return OIdentifier;
    char buffer[MaxKeywordLength];
    const std::string_view upper = UpCaseInto(word, buffer);
    const std::size_t length = word.size();
    for (int k = 0; k < KeywordsByLength.Count[length]; ++k) {
        const int i = KeywordsByLength.Index[length][k];
        if (std::memcmp(upper.data(), KeywordList[i], length) == 0) return FirstKeyword + i;
    }
    return OIdentifier;
}

int EndKeywordCode(std::string_view starWord) {
    if (starWord.size() > MaxKeywordLength) return 0;
    char buffer[MaxKeywordLength];
    const std::string_view upper = UpCaseInto(starWord, buffer);
    for (const TEndKeyword& k : EndKeywords)
        if (upper == k.Text) return k.Code;
    return 0;
}
