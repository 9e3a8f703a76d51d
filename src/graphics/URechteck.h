#pragma once
// TRechteck, the axis-parallel rectangle of the language, and TQuadrat, the
// rectangle with equal sides sized by "seitenlaenge".
//
// A rectangle is drawn from its Integer bounds until it is first turned; from
// then on it is a four-cornered polygon and its bounds follow the corners. It
// never returns to the axis-parallel state. While turned, assigning a bound
// attribute changes the bounds but not the corners: the drawing stays and the
// next move, stretch, mirror or turn recomputes the bounds from the corners.
#include "UEcken.h"
#include "UCanvas.h"
#include "UFigur.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TRechteck : public TGefuellteFigur {
public:
    static constexpr std::int32_t KlassenNummer = 16;

    TRechteck(std::string name, TObjekt* owner, bool noSetters = false);

    // "breite" and "hoehe" move the right and the bottom edge.
    void AttributeChanged(TAttribut* attribute) override;
    void Draw(TDrawCanvas& canvas) override;
    std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) override;
    void Assign(const TObjekt& source) override;
    bool ShapeState(TShapeState& state) const override;

    void MoveBy(std::int32_t dx, std::int32_t dy) override;
    void StretchAbout(double cx, double cy, double factor) override;
    void MirrorX(double c) override;
    void MirrorY(double c) override;
    void RotateAbout(double angle, double cx, double cy) override;

    bool Turned() const { return Gedreht; }
    // Corner 1 top left, 2 bottom left, 3 bottom right, 4 top right as they
    // were when the rectangle was first turned, and moved with it since.
    const std::array<TRealPoint, 4>& Corners() const { return Ecken; }

protected:
    TRechteck(std::string name, TObjekt* owner, TAsBase);

    // The corners of the axis-parallel rectangle the Integer bounds describe.
    void CornersFromAttributes();
    void BoundsFromCorners() { ::BoundsFromCorners(*this, Ecken.data(), Ecken.size()); }

    bool Gedreht = false;
    std::array<TRealPoint, 4> Ecken{};
};

class TQuadrat : public TRechteck {
public:
    static constexpr std::int32_t KlassenNummer = 32;
    // Its own "strecken" with the caption "Faktor" replaces the inherited one.
    static constexpr std::int32_t mnQuadratStrecken = 30;

    TQuadrat(std::string name, TObjekt* owner, bool noSetters = false);

    void AttributeChanged(TAttribut* attribute) override;
    void CallMethod(std::int32_t methodNumber, TStack& stack) override;
    std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) override;
    void Assign(const TObjekt& source) override;
    bool ShapeState(TShapeState& state) const override;
    // Also keeps "seitenlaenge" in step with the stretched square.
    void StretchAbout(double cx, double cy, double factor) override;

    double Side() const { return Seite; }

    TAttribut* ASeitenlaenge;

private:
    // Moves every corner along its line from the centre to the distance of
    // half the diagonal of a square with side Seite.
    void CornersToSide();

    double Seite = 20.0;
};
