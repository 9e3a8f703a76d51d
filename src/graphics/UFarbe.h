#pragma once
// TFarbe: the colour class of the language. Every colour attribute of a
// figure holds one, and the named colours (schwarz, rot, ...) are TFarbe
// objects. Components are clamped to 0..255; the colour value 0x00BBGGRR is
// what pens, brushes and fonts are given.
#include "UCanvas.h"
#include "UObjekt.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TFarbe : public TObjekt {
public:
    static constexpr std::int32_t KlassenNummer = 67;
    static constexpr std::int32_t MethodeSetzeRGB = 1;

    TFarbe(std::string name, TObjekt* owner, bool noSetters = false);
    TFarbe(std::string name, TObjekt* owner, std::int32_t rot, std::int32_t gruen,
           std::int32_t blau, bool noSetters = false);

    // Clamps rot, gruen and blau to 0..255 and recomputes the colour value.
    void AttributeChanged(TAttribut* attribute) override;
    // 1 "setzergb": pops blue, green, red. Other numbers do nothing.
    void CallMethod(std::int32_t methodNumber, TStack& stack) override;
    void Draw(TDrawCanvas&) override {}
    std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) override;
    // Takes the source's components (when the source is a colour).
    void Assign(const TObjekt& source) override;
    bool ShapeState(TShapeState& state) const override;

    void SetzeRGB(std::int32_t rot, std::int32_t gruen, std::int32_t blau);
    // Takes the components from a colour value 0x00BBGGRR (used by the window object).
    void SetFromColourValue(TColor value);
    TColor ColourValue() const { return Value; }

    std::int32_t Rot() const;
    std::int32_t Gruen() const;
    std::int32_t Blau() const;

private:
    // "rot", "gruen" and "blau" are the first three attributes. Every
    // figure holds two colours, so a colour keeps no pointers to them: its
    // own fields fit into the padding at the end of TObjekt.
    TAttribut* Component(std::size_t index) const { return Attributes()[index].get(); }

    bool NoSetters;
    TColor Value = 0;
};
