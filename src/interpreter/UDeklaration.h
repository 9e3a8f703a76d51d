#pragma once
// The pieces of a variable declaration `name {, name} : type` that the
// interpreter and the syntax check read alike; what a class name binds to
// differs between them and stays with each.
#include "UConstants.h"
#include "UInterpreterMeldungen.h"
#include "UScanner.h"
#include "UVariablen.h"
#include "UVariant.h"

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

// The kind a simple type keyword names; vkNone for any other token.
inline TKind SimpleTypeKind(int token) {
    switch (token) {
    case KBoolean: return vkBoolean;
    case KInteger: return vkInteger;
    case KReal: return vkReal;
    case KChar: return vkChar;
    case KString: return vkString;
    default: return vkNone;
    }
}

// Reads `name {, name} :` with the first name as the current token and
// collects the names; a long list pauses the scanner's keeping. A name
// `taken` reports, or one given twice, is an error; `fail` is the owner's
// error routine. Returns false after an error.
template <class TTaken, class TFail>
bool ReadDeclaredNames(TScanner& scanner, std::vector<std::string>& names, TTaken taken, TFail fail) {
    names.clear();
    // A declaration may list thousands of names: past the first few each is
    // looked up in a set, not among all before it, and read without keeping
    // its token (nor the rest of the statement: the caller holds a
    // TKeepingScope). The few are compared directly, so that the usual
    // declaration allocates nothing.
    constexpr std::size_t Few = 16;
    std::unordered_set<std::string> given;
    auto twice = [&](const std::string& name) {
        if (names.size() < Few) return std::find(names.begin(), names.end(), name) != names.end();
        if (given.empty()) given.insert(names.begin(), names.end());
        return !given.insert(name).second;
    };
    for (;;) {
        const std::string& name = scanner.TokenText();
        if (taken(name) || twice(name)) {
            fail(Meldung::GibtEsSchon1, name, Meldung::GibtEsSchon2);
            return false;
        }
        names.push_back(name);
        if (names.size() == Few) scanner.PauseKeeping(true);
        const int token = scanner.NextToken();
        if (token == ODoppelpunkt) return true;
        if (token != OKomma) {
            fail(Meldung::KommaOderDoppelpunkt);
            return false;
        }
        if (scanner.NextToken() != OIdentifier) {
            fail(Meldung::BezeichnerErwartetOhnePunkt);
            return false;
        }
    }
}

// Binds every name to a fresh zero value of a simple kind.
inline void DeclareSimple(TVarSpace& vars, const std::vector<std::string>& names, TKind kind) {
    for (const std::string& name : names) vars.DeclareOwnValue(name)->Value->SetKind(kind);
}
