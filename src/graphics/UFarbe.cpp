#include "UFarbe.h"

#include "UStack.h"
#include "UVariablen.h"

#include <algorithm>

namespace {

// Every variable space gets the colour constants as objects of this class.
TObjekt* MakeColourConstant(const char* name, std::int32_t rot, std::int32_t gruen, std::int32_t blau) {
    return new TFarbe(name, nullptr, rot, gruen, blau);
}
const bool ColourMakerSet = (SetColourMaker(MakeColourConstant), true);

} // namespace

TFarbe::TFarbe(std::string name, TObjekt* owner, bool noSetters)
    : TObjekt(std::move(name), owner), NoSetters(noSetters) {
    ClassName = "FARBE";
    ClassNumber = KlassenNummer;
    TMethode* setzeRGB = AddMethod("setzergb", MethodeSetzeRGB);
    setzeRGB->AddParameter("Rotwert", vkInteger, 0);
    setzeRGB->AddParameter("Gruenwert", vkInteger, 0);
    setzeRGB->AddParameter("Blauwert", vkInteger, 0);
    AddAttribute("rot", 0, vkInteger);
    AddAttribute("gruen", 0, vkInteger);
    AddAttribute("blau", 0, vkInteger);
    AddSetters(noSetters);
}

TFarbe::TFarbe(std::string name, TObjekt* owner, std::int32_t rot, std::int32_t gruen,
               std::int32_t blau, bool noSetters)
    : TFarbe(std::move(name), owner, noSetters) {
    SetzeRGB(rot, gruen, blau);
}

void TFarbe::AttributeChanged(TAttribut*) {
    for (TAttribut* component : {Component(0), Component(1), Component(2)}) {
        std::int32_t value = component->Value.AsInteger();
        if (value < 0 || value > 255) component->Value.SetInteger(std::clamp(value, 0, 255));
    }
    Value = static_cast<TColor>(Rot()) + 256u * static_cast<TColor>(Gruen()) +
            65536u * static_cast<TColor>(Blau());
}

void TFarbe::CallMethod(std::int32_t methodNumber, TStack& stack) {
    if (methodNumber != MethodeSetzeRGB) return;
    std::int32_t blau = stack.PopInteger();
    std::int32_t gruen = stack.PopInteger();
    std::int32_t rot = stack.PopInteger();
    SetzeRGB(rot, gruen, blau);
}

std::unique_ptr<TObjekt> TFarbe::Clone(const std::string& name, TObjekt* owner) {
    auto copy = std::make_unique<TFarbe>(name, owner, NoSetters);
    copy->Assign(*this);
    return copy;
}

bool TFarbe::ShapeState(TShapeState& state) const {
    state.Add(std::uint64_t{Value});
    return state.AddAttributes(*this);
}

void TFarbe::Assign(const TObjekt& source) {
    if (auto* colour = dynamic_cast<const TFarbe*>(&source))
        SetzeRGB(colour->Rot(), colour->Gruen(), colour->Blau());
}

void TFarbe::SetzeRGB(std::int32_t rot, std::int32_t gruen, std::int32_t blau) {
    Component(0)->Value.SetInteger(rot);
    Component(1)->Value.SetInteger(gruen);
    Component(2)->Value.SetInteger(blau);
    AttributeChanged(nullptr);
}

void TFarbe::SetFromColourValue(TColor value) {
    Component(0)->Value.SetInteger(static_cast<std::int32_t>(value & 0xFF));
    Component(1)->Value.SetInteger(static_cast<std::int32_t>((value >> 8) & 0xFF));
    Component(2)->Value.SetInteger(static_cast<std::int32_t>((value >> 16) & 0xFF));
    Value = value;
}

std::int32_t TFarbe::Rot() const { return Component(0)->Value.AsInteger(); }
std::int32_t TFarbe::Gruen() const { return Component(1)->Value.AsInteger(); }
std::int32_t TFarbe::Blau() const { return Component(2)->Value.AsInteger(); }
