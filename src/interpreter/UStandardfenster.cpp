#include "UStandardfenster.h"

#include "UKlassen.h"
#include "UScanner.h"

#include <string>

// Reads the text token by token and looks at every `name {, name} : Klasse`
// outside `methode ... ende`. A parameter list (inside a method header) and
// argument lists (commas without a colon) never match.
bool NeedsDefaultWindow(const TLineSource& lines) {
    TScanner scanner;
    scanner.Load(lines);
    TKlassenFabrik factory;
    bool figure = false;
    bool window = false;
    bool inMethod = false;
    int token = scanner.NextToken();
    while (token != OEOF) {
        if (token == KMethode) inMethod = true;
        else if (token == KEnde) inMethod = false;
        if (token != OIdentifier || inMethod) {
            token = scanner.NextToken();
            continue;
        }
        token = scanner.NextToken();
        while (token == OKomma) {
            token = scanner.NextToken();
            if (token != OIdentifier) break;
            token = scanner.NextToken();
        }
        if (token != ODoppelpunkt) continue;
        token = scanner.NextToken();
        if (token != OIdentifier) continue;
        std::int32_t classNumber = factory.ClassNumberOf(scanner.TokenText());
        if (classNumber == 41) window = true;
        else if (classNumber != 0 && classNumber % 2 == 0) figure = true;
        token = scanner.NextToken();
    }
    return figure && !window;
}
