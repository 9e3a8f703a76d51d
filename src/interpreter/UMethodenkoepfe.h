#pragma once
// The declaration pass over program-method headers, shared by the
// interpreter and the syntax check: both must read `methode name
// [(parameters)]` alike and report the same errors at the same places, or a
// hint would disagree with the run.
//
// The owner passes its own error routine (called with one message or with
// message parts to concatenate; it sets the owner's error flag), a stop
// test checked before each token of the outer loop, and a callback told of
// every method as it is declared.
#include "UConstants.h"
#include "UDeklaration.h"
#include "UInterpreterMeldungen.h"
#include "UKlassen.h"
#include "UNamen.h"
#include "UObjekt.h"
#include "UScanner.h"
#include "UVariablen.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

template <class TFail>
class TMethodenkoepfe {
public:
    TMethodenkoepfe(TScanner& scanner, TVarSpace& vars, const TKlassenFabrik& factory,
                    std::vector<std::string>& names, const bool& errorFlag, TFail fail)
        : FScanner(scanner), FVars(vars), FFactory(factory), FNames(names), FErrorFlag(errorFlag),
          FFail(fail) {}

    // From the start of the text, every `methode name [(parameters)]`
    // becomes a method variable whose body starts behind the name or the
    // parameter list. Stops at the first error or when `stop` says so; the
    // position is set back to 1 in any case.
    template <class TStop, class TDeclared>
    void Run(TStop stop, TDeclared declared) {
        FScanner.SetPosition(1);
        const bool paused = FScanner.KeepingPaused();
        // Names and commas in a row: past a few, a declaration lists
        // thousands of names, read here once and by the declaration once.
        // Kept, each would hold a table entry for as long as the program
        // runs; so would the class name behind them, and the index up to it.
        int listed = 0, tail = 0;
        while (!FErrorFlag && !stop()) {
            int token = FScanner.NextToken();
            const bool inList = token == OIdentifier || token == OKomma;
            if (!inList && listed >= 32) tail = 2;  // the colon and the type
            else if (tail > 0) --tail;
            listed = inList ? listed + 1 : 0;
            FScanner.PauseKeeping(paused || listed >= 32 || tail > 0);
            if (token == OEOF) break;
            if (token != KMethode) continue;
            if (FScanner.NextToken() != OIdentifier) {
                FFail(Meldung::MethodennameErwartet);
                break;
            }
            const std::string name = FScanner.TokenText();
            auto owned = std::make_unique<TMethode>(FScanner.GetPosition());
            TMethode& method = *owned;
            method.Name = name;
            declared(FScanner.GetPosition(), method);
            FVars.Declare(name, std::make_unique<TVariant>(owned.release()));

            if (FScanner.NextToken() == OKlammerAuf) {
                if (FScanner.NextToken() != OKlammerZu) {
                    FScanner.Rewind();
                    while (ParameterGroup(method)) {
                        token = FScanner.NextToken();
                        if (token == OStrichpunkt) continue;
                        if (token != OKlammerZu) FFail(Meldung::ParameterKlammerZu);
                        break;
                    }
                    if (FErrorFlag) break;
                }
                method.BodyPosition = FScanner.GetPosition();
            } else {
                FScanner.Rewind();
            }

            for (;;) {
                token = FScanner.NextToken();
                if (token == KEnde) {
                    method.BodyEnd = FScanner.GetPosition();
                    break;
                }
                if (token == OEOF) {
                    FFail(Meldung::MethodeMussEnden1, name, Meldung::MethodeMussEnden2);
                    break;
                }
            }
        }
        FScanner.PauseKeeping(paused);
        FScanner.SetPosition(1);
    }

private:
    // [*] name {, name} : type. Returns false after an error.
    bool ParameterGroup(TMethode& method) {
        int token = FScanner.NextToken();
        const bool byReference = token == OMal;
        if (byReference) token = FScanner.NextToken();
        if (token != OIdentifier) {
            FFail(Meldung::BezeichnerErwartet);
            return false;
        }
        FNames.clear();
        for (;;) {
            const std::string& name = FScanner.TokenText();
            const bool taken = method.FindParameter(name) != nullptr ||
                               std::any_of(FNames.begin(), FNames.end(),
                                           [&](const std::string& earlier) { return SameName(earlier, name); });
            if (taken) {
                FFail(Meldung::ParameterGibtEsSchon1, name, Meldung::ParameterGibtEsSchon2);
                return false;
            }
            FNames.push_back(name);
            token = FScanner.NextToken();
            if (token == ODoppelpunkt) break;
            if (token != OKomma) {
                FFail(Meldung::KommaOderDoppelpunkt);
                return false;
            }
            if (FScanner.NextToken() != OIdentifier) {
                FFail(Meldung::BezeichnerErwartetOhnePunkt);
                return false;
            }
        }

        const int typeToken = FScanner.NextToken();
        TKind kind = SimpleTypeKind(typeToken);
        std::int32_t classNumber = 0;
        if (kind == vkNone) {
            if (typeToken != OIdentifier) {
                FFail(Meldung::ParametertypErwartet);
                return false;
            }
            const std::string& className = FScanner.TokenText();
            if (!FFactory.IsClassName(className)) {
                FFail(Meldung::KlasseGibtEsNicht1, className, Meldung::KlasseGibtEsNicht2);
                return false;
            }
            if (!byReference) {
                FFail(Meldung::ObjektAlsWerteparameter);
                return false;
            }
            kind = vkObjekt;
            classNumber = FFactory.ClassNumberOf(className);
        }
        for (const std::string& name : FNames) method.AddParameter(name, kind, classNumber, byReference);
        return true;
    }

    TScanner& FScanner;
    TVarSpace& FVars;
    const TKlassenFabrik& FFactory;
    std::vector<std::string>& FNames;  // the owner's scratch list
    const bool& FErrorFlag;
    TFail FFail;
};
