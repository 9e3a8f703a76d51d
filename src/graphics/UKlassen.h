#pragma once
// TKlassenFabrik: the registry of the language's built-in classes. It owns one
// prototype per class and answers: is this a class name, which class number,
// which prototype, and makes new objects by cloning a prototype.
//
// Every user (interpreter, syntax check, code completion, class tree) has its
// own factory, so prototypes are never shared between threads. Prototypes are
// only read after construction.
//
// Class numbers encode the class tree by divisibility (an object of number c
// stands where d is required when c mod d = 0); even numbers are figures.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TObjekt;
class TPaintDebtor;

class TKlassenFabrik {
public:
    // Creates every prototype at once; none are added later. The turtles it
    // makes settle `run`'s owed paints before they report a probe (none: a
    // run that paints at once, or no run).
    explicit TKlassenFabrik(TPaintDebtor* run = nullptr);
    ~TKlassenFabrik();
    TKlassenFabrik(const TKlassenFabrik&) = delete;
    TKlassenFabrik& operator=(const TKlassenFabrik&) = delete;

    // Lookups compare with each prototype's class name, folding only the
    // ASCII letters A-Z, in table order; the first match wins. The filled
    // figure's class name is spelled with the byte 0xDC (Ü).
    bool IsClassName(std::string_view name) const;
    // 0, which no class uses, when no class matches.
    std::int32_t ClassNumberOf(std::string_view className) const;
    TObjekt* FindByName(std::string_view className) const;
    TObjekt* FindByNumber(std::int32_t classNumber) const;
    // A clone of the class's prototype under the new name and owner, with the
    // class defaults; none when no class matches.
    std::unique_ptr<TObjekt> CreateObject(std::string_view className, const std::string& name,
                                          TObjekt* owner) const;

    // In table order: the class tree and code completion list them this way.
    const std::vector<std::unique_ptr<TObjekt>>& Prototypes() const { return PrototypeList; }

private:
    std::vector<std::unique_ptr<TObjekt>> PrototypeList;
};
