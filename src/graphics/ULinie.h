#pragma once
// TLinie: a line between two end points, drawn with its own pen: colour
// "farbe", width "linienStaerke" and the inherited outline style, which a
// line shows as "linienart". Its bounds are always the bounding box of the
// end points, so "drehen" and "strecken" work about the line's midpoint.
#include "UFigur.h"

#include <cstdint>
#include <memory>
#include <string>

class TLinie : public TFigur {
public:
    static constexpr std::int32_t KlassenNummer = 46;
    enum : std::int32_t {
        mnPunkt1Setzen = 70,
        mnPunkt2Setzen = 71,
        mnEndpunkteSetzen = 72,
    };

    TLinie(std::string name, TObjekt* owner, bool noSetters = false);

    void AttributeChanged(TAttribut* attribute) override;
    void CallMethod(std::int32_t methodNumber, TStack& stack) override;
    // The end pixel is not set.
    void Draw(TDrawCanvas& canvas) override;
    std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) override;
    void Assign(const TObjekt& source) override;
    bool ShapeState(TShapeState& state) const override;

    void MoveBy(std::int32_t dx, std::int32_t dy) override;
    void StretchAbout(double cx, double cy, double factor) override;
    void MirrorX(double c) override;
    void MirrorY(double c) override;
    void RotateAbout(double angle, double cx, double cy) override;

    double X1() const { return PX1; }
    double Y1() const { return PY1; }
    double X2() const { return PX2; }
    double Y2() const { return PY2; }
    TFarbe& Farbe() const { return ColourOf(AFarbe); }

    TAttribut* AX1;
    TAttribut* AY1;
    TAttribut* AX2;
    TAttribut* AY2;
    TAttribut* AFarbe;
    TAttribut* ALinienStaerke;
    // The inherited "randart" under its name in a line.
    TAttribut* ALinienart;

private:
    // Rounds the end points into "x1" to "y2", then lets the bounds follow.
    void WriteBack();

    double PX1 = -10, PY1 = 10, PX2 = 10, PY2 = -10;
};
