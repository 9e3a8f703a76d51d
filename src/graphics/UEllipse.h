#pragma once
// TEllipse and TKreis: figures described by a centre and radii instead of by
// their bounding box. Each keeps its geometry in reals, mirrors it into
// Integer attributes for the program and derives the shared bounds from it;
// the bound attributes themselves are hidden.
//
// An ellipse can be turned. Unturned it is the platform's ellipse in its
// bounds; turned it is a polygon that is kept between paints and rebuilt only
// when radii, angle or its centre in pixels (geometry or origin) changed,
// since every statement repaints every figure.
#include "UCanvas.h"
#include "UFigur.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TEllipse : public TGefuellteFigur {
public:
    static constexpr std::int32_t KlassenNummer = 44;
    static constexpr std::int32_t mnMittelpunktSetzen = 31;

    TEllipse(std::string name, TObjekt* owner, bool noSetters = false);

    // Takes a changed radius or centre attribute; then the bounds follow.
    void AttributeChanged(TAttribut* attribute) override;
    void CallMethod(std::int32_t methodNumber, TStack& stack) override;
    // A turned ellipse also takes its bounds from the polygon it draws.
    void Draw(TDrawCanvas& canvas) override;
    void Arrange(TDrawCanvas& canvas) override;
    std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) override;
    void Assign(const TObjekt& source) override;
    bool ShapeState(TShapeState& state) const override;

    void MoveBy(std::int32_t dx, std::int32_t dy) override;
    void StretchAbout(double cx, double cy, double factor) override;
    void MirrorX(double c) override;
    void MirrorY(double c) override;
    void RotateAbout(double angle, double cx, double cy) override;

    double RadiusX() const { return Rx; }
    double RadiusY() const { return Ry; }
    double CentreX() const { return Mx; }
    double CentreY() const { return My; }
    // Degrees, kept strictly between -360 and 360 by every turn.
    double Angle() const { return Winkel; }
    // The polygon of the last paint of the turned ellipse, and how often it
    // was built.
    const std::vector<TPoint>& PolygonPoints() const { return Cache.Points; }
    int PolygonBuilds() const { return Builds; }

    // The number of polygon points for the rounded radii: about one per
    // two pixels of the circumference, a multiple of 4, from 12 to 1000.
    static int PointCount(int rx, int ry);

    TAttribut* ARadiusX;
    TAttribut* ARadiusY;
    TAttribut* AMitteX;
    TAttribut* AMitteY;

private:
    void WriteBack();
    void BuildPolygon(int rx, int ry, int px, int py);
    // For a visible turned ellipse: the polygon for this canvas, and the
    // bounds taken from it. False when the ellipse draws no polygon.
    bool ArrangePolygon(TDrawCanvas& canvas);

    double Rx = 10, Ry = 10, Mx = 0, My = 0, Winkel = 0;

    struct TPolygonCache {
        bool Valid = false;
        int Rx = 0, Ry = 0;  // rounded, at most 10000 in magnitude
        int Px = 0, Py = 0;  // the centre in pixels
        double Angle = 0;
        std::vector<TPoint> Points;
        // The polygon's extent around its pixel centre (y counted downward).
        int MinDx = 0, MaxDx = 0, MinDy = 0, MaxDy = 0;
    } Cache;
    int Builds = 0;
};

class TKreis : public TGefuellteFigur {
public:
    static constexpr std::int32_t KlassenNummer = 52;
    static constexpr std::int32_t mnMittelpunktSetzen = 31;

    TKreis(std::string name, TObjekt* owner, bool noSetters = false);

    void AttributeChanged(TAttribut* attribute) override;
    // "drehen" turns about the circle's own centre and so changes nothing.
    void CallMethod(std::int32_t methodNumber, TStack& stack) override;
    void Draw(TDrawCanvas& canvas) override;
    std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) override;
    void Assign(const TObjekt& source) override;
    bool ShapeState(TShapeState& state) const override;

    void MoveBy(std::int32_t dx, std::int32_t dy) override;
    // A negative factor gives a negative radius, drawn as its magnitude.
    void StretchAbout(double cx, double cy, double factor) override;
    void MirrorX(double c) override;
    void MirrorY(double c) override;
    void RotateAbout(double angle, double cx, double cy) override;

    double Radius() const { return R; }
    double CentreX() const { return Mx; }
    double CentreY() const { return My; }

    TAttribut* ARadius;
    TAttribut* AMitteX;
    TAttribut* AMitteY;

private:
    void WriteBack();

    double R = 10, Mx = 0, My = 0;
};
