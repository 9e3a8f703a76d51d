#pragma once
// TDreieck: a filled triangle given by its three corners. Its bounds follow
// the corners after every change; the bound attributes are hidden, but
// "verschiebenNach" still places the top left of the bounds.
#include "UEcken.h"
#include "UCanvas.h"
#include "UFigur.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDreieck : public TGefuellteFigur {
public:
    static constexpr std::int32_t KlassenNummer = 364;
    enum : std::int32_t {
        mnSpiegleX = 20,
        mnSpiegleY = 21,
        mnDreieckEckenSetzen = 101,
    };

    TDreieck(std::string name, TObjekt* owner, bool noSetters = false);

    void CallMethod(std::int32_t methodNumber, TStack& stack) override;
    void Draw(TDrawCanvas& canvas) override;
    std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) override;
    void Assign(const TObjekt& source) override;
    bool ShapeState(TShapeState& state) const override;

    void MoveBy(std::int32_t dx, std::int32_t dy) override;
    void StretchAbout(double cx, double cy, double factor) override;
    void MirrorX(double c) override;
    void MirrorY(double c) override;
    void RotateAbout(double angle, double cx, double cy) override;

    const std::array<TRealPoint, 3>& Corners() const { return Ecken; }

private:
    void BoundsFromCorners() { ::BoundsFromCorners(*this, Ecken.data(), Ecken.size()); }

    std::array<TRealPoint, 3> Ecken{TRealPoint{-10, 0}, TRealPoint{0, 10}, TRealPoint{10, 0}};
};
