#include "UDreieck.h"

#include "UDrawCanvas.h"
#include "UStack.h"

#include <cmath>
#include <utility>
#include <vector>

TDreieck::TDreieck(std::string name, TObjekt* owner, bool noSetters)
    : TGefuellteFigur(std::move(name), owner, AsBase) {
    ClassName = "DREIECK";
    ClassNumber = KlassenNummer;
    Drawable = true;

    TMethode* m = AddMethod("eckenSetzen", mnDreieckEckenSetzen);
    for (const char* p : {"x1", "y1", "x2", "y2", "x3", "y3"}) m->AddParameter(p, vkInteger, 0);
    AddMethod("spiegleX", mnSpiegleX);
    AddMethod("spiegleY", mnSpiegleY);

    for (TAttribut* a : {ALinks, ARechts, AOben, AUnten, ABreite, AHoehe}) a->Hidden = true;
    for (std::size_t h : {MEckenSetzen, MLinksObenSetzen, MRechtsUntenSetzen}) HideMethod(h);
    BoundsFromCorners();
    PrevLeft = Left;
    PrevRight = Right;
    PrevTop = Top;
    PrevBottom = Bottom;
    AddSetters(noSetters);
}

void TDreieck::CallMethod(std::int32_t n, TStack& stack) {
    TGefuellteFigur::CallMethod(n, stack);
    switch (n) {
    case mnSpiegleX:
        MirrorX((Left + Right) / 2);
        break;
    case mnSpiegleY:
        MirrorY((Top + Bottom) / 2);
        break;
    case mnDreieckEckenSetzen:
        for (int i = 2; i >= 0; --i) {
            Ecken[i].Y = stack.PopInteger();
            Ecken[i].X = stack.PopInteger();
        }
        BoundsFromCorners();
        break;
    default:
        break;
    }
}

void TDreieck::MoveBy(std::int32_t dx, std::int32_t dy) {
    TGefuellteFigur::MoveBy(dx, dy);
    for (TRealPoint& p : Ecken) {
        p.X += dx;
        p.Y += dy;
    }
    BoundsFromCorners();
}

void TDreieck::StretchAbout(double cx, double cy, double f) {
    TGefuellteFigur::StretchAbout(cx, cy, f);
    for (TRealPoint& p : Ecken) {
        StretchCoordinate(p.X, cx, f);
        StretchCoordinate(p.Y, cy, f);
    }
    BoundsFromCorners();
}

void TDreieck::MirrorX(double c) {
    for (TRealPoint& p : Ecken) p.X = 2 * c - p.X;
    BoundsFromCorners();
}

void TDreieck::MirrorY(double c) {
    for (TRealPoint& p : Ecken) p.Y = 2 * c - p.Y;
    BoundsFromCorners();
}

void TDreieck::RotateAbout(double angle, double cx, double cy) {
    // An angle that is no number would wipe out the corners for good.
    if (!std::isfinite(angle)) return;
    for (TRealPoint& p : Ecken) RotatePoint(p.X, p.Y, cx, cy, angle);
    BoundsFromCorners();
}

void TDreieck::Draw(TDrawCanvas& canvas) {
    TGefuellteFigur::Draw(canvas);
    if (!Sichtbar()) return;
    // Shared by all triangles: figures are drawn one at a time.
    static thread_local std::vector<TPoint> GeraeteEcken(3);
    for (std::size_t i = 0; i < Ecken.size(); ++i)
        GeraeteEcken[i] = {canvas.ToDeviceX(Ecken[i].X), canvas.ToDeviceY(Ecken[i].Y)};
    canvas.Target().Polygon(GeraeteEcken);
}

std::unique_ptr<TObjekt> TDreieck::Clone(const std::string& name, TObjekt* owner) {
    auto copy = std::make_unique<TDreieck>(name, owner);
    copy->Assign(*this);
    return copy;
}

bool TDreieck::ShapeState(TShapeState& state) const {
    for (const TRealPoint& p : Ecken) {
        state.Add(p.X);
        state.Add(p.Y);
    }
    return FigureShape(state);
}

void TDreieck::Assign(const TObjekt& source) {
    TGefuellteFigur::Assign(source);
    const auto* src = dynamic_cast<const TDreieck*>(&source);
    if (!src || src == this) return;
    Ecken = src->Ecken;
}
