#include "UEllipse.h"

#include "UDrawCanvas.h"
#include "UPortableMath.h"
#include "UStack.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Ellipse and circle are placed by their centre: the bounds and the methods
// that place the bounds are not theirs to offer.
void HideBoundsMembers(TFigur& f) {
    for (TAttribut* a : {f.ALinks, f.ARechts, f.AOben, f.AUnten, f.ABreite, f.AHoehe}) a->Hidden = true;
    for (std::size_t m : {TFigur::MEckenSetzen, TFigur::MLinksObenSetzen, TFigur::MRechtsUntenSetzen, TFigur::MVerschiebenNach}) f.HideMethod(m);
}

// The bounds of the ellipse with centre (mx, my) and radii rx, ry.
void PlaceAroundCentre(TFigur& f, double mx, double my, double rx, double ry) {
    f.Left = mx - rx;
    f.Right = mx + rx;
    f.Bottom = my - ry;
    f.Top = my + ry;
    f.Normalize();
}

void AddCentreMethod(TObjekt& o, std::int32_t number) {
    TMethode* m = o.AddMethod("mittelpunktSetzen", number);
    m->AddParameter("x", vkInteger, 0);
    m->AddParameter("y", vkInteger, 0);
}

// A stretched length that would reach the coordinate limit is not stored.
void StoreIfStorable(double& target, double value) {
    if (StorableCoordinate(value)) target = value;
}

// A polygon radius: rounded, and at most 10000 either way, which keeps every
// point of the polygon well inside 32-bit pixel arithmetic.
int PolygonRadius(double r) { return std::clamp(RoundInt(r), -10000, 10000); }

} // namespace

// -------------------------------------------------------------- TEllipse

TEllipse::TEllipse(std::string name, TObjekt* owner, bool noSetters)
    : TGefuellteFigur(std::move(name), owner, AsBase) {
    ClassName = "ELLIPSE";
    ClassNumber = KlassenNummer;
    Drawable = true;

    AddCentreMethod(*this, mnMittelpunktSetzen);
    ARadiusX = AddAttribute("radiusx", 0, vkInteger);
    ARadiusY = AddAttribute("radiusy", 0, vkInteger);
    AMitteX = AddAttribute("mittex", 0, vkInteger);
    AMitteY = AddAttribute("mittey", 0, vkInteger);
    WriteBack();
    HideBoundsMembers(*this);
    AddSetters(noSetters);
}

void TEllipse::WriteBack() {
    if (StorableCoordinate(Rx)) SetInt(ARadiusX, RoundInt(Rx));
    if (StorableCoordinate(Ry)) SetInt(ARadiusY, RoundInt(Ry));
    if (StorableCoordinate(Mx)) SetInt(AMitteX, RoundInt(Mx));
    if (StorableCoordinate(My)) SetInt(AMitteY, RoundInt(My));
}

void TEllipse::AttributeChanged(TAttribut* a) {
    if (a == ARadiusX) Rx = GetInt(ARadiusX);
    else if (a == ARadiusY) Ry = GetInt(ARadiusY);
    else if (a == AMitteX) Mx = GetInt(AMitteX);
    else if (a == AMitteY) My = GetInt(AMitteY);
    PlaceAroundCentre(*this, Mx, My, Rx, Ry);
}

void TEllipse::CallMethod(std::int32_t n, TStack& stack) {
    switch (n) {
    case mnVerschieben:
        MoveByArguments(stack);
        break;
    case mnMittelpunktSetzen: {
        const std::int32_t y = stack.PopInteger();
        const std::int32_t x = stack.PopInteger();
        MoveBy(RoundInt(x - Mx), RoundInt(y - My));
        break;
    }
    case mnDrehen:
        RotateAbout(stack.PopDouble(), Mx, My);
        break;
    default:
        TGefuellteFigur::CallMethod(n, stack);
        break;
    }
}

void TEllipse::MoveBy(std::int32_t dx, std::int32_t dy) {
    Mx += dx;
    My += dy;
    WriteBack();
    AttributeChanged(nullptr);
}

void TEllipse::StretchAbout(double cx, double cy, double f) {
    StoreIfStorable(Mx, cx + (Mx - cx) * f);
    StoreIfStorable(Rx, f * Rx);
    StoreIfStorable(My, cy + (My - cy) * f);
    StoreIfStorable(Ry, f * Ry);
    WriteBack();
    AttributeChanged(nullptr);
}

void TEllipse::MirrorX(double c) {
    TGefuellteFigur::MirrorX(c);
    Mx = 2 * c - Mx;
    Winkel = 180 - Winkel;
    WriteBack();
}

void TEllipse::MirrorY(double c) {
    TGefuellteFigur::MirrorY(c);
    My = 2 * c - My;
    Winkel = 360 - Winkel;
    WriteBack();
}

void TEllipse::RotateAbout(double angle, double cx, double cy) {
    // An angle that is no number would leave nothing to draw, ever again.
    if (!std::isfinite(angle)) return;
    RotatePoint(Mx, My, cx, cy, angle);
    // Exactly angle - 360 * trunc(angle / 360), also for huge angles.
    Winkel = std::fmod(Winkel + angle, 360.0);
    WriteBack();
    AttributeChanged(nullptr);
}

int TEllipse::PointCount(int rx, int ry) {
    // A negative radius (a stretch by a negative factor) draws the same
    // ellipse, so it needs as many points as the positive one.
    const double sum = std::abs(static_cast<double>(rx)) + std::abs(static_cast<double>(ry));
    const int n = 4 * static_cast<int>(RoundEven(sum * 3.14 / 8));
    return std::clamp(n, 12, 1000);
}

void TEllipse::BuildPolygon(int rx, int ry, int px, int py) {
    constexpr double Pi = 3.14159265358979323846;
    Cache.Valid = true;
    Cache.Rx = rx;
    Cache.Ry = ry;
    Cache.Px = px;
    Cache.Py = py;
    Cache.Angle = Winkel;
    ++Builds;

    const int n = PointCount(rx, ry);
    // The turn uses this shorter constant, not the full pi / 180.
    const double b = Winkel * 0.017453292;
    const double cosB = PortableMath::Cos(b), sinB = PortableMath::Sin(b);
    Cache.Points.resize(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        const double t = j * 2 * Pi / n;
        const double ct = PortableMath::Cos(t), st = PortableMath::Sin(t);
        TPoint& p = Cache.Points[static_cast<std::size_t>(j)];
        p.x = RoundInt(px + rx * ct * cosB - ry * st * sinB);
        p.y = RoundInt(py - rx * ct * sinB - ry * st * cosB);
    }
    Cache.MinDx = Cache.MaxDx = Cache.Points[0].x - px;
    Cache.MinDy = Cache.MaxDy = Cache.Points[0].y - py;
    for (const TPoint& p : Cache.Points) {
        Cache.MinDx = std::min(Cache.MinDx, p.x - px);
        Cache.MaxDx = std::max(Cache.MaxDx, p.x - px);
        Cache.MinDy = std::min(Cache.MinDy, p.y - py);
        Cache.MaxDy = std::max(Cache.MaxDy, p.y - py);
    }
}

bool TEllipse::ArrangePolygon(TDrawCanvas& canvas) {
    if (!Sichtbar() || std::fabs(Winkel) < 0.00001) return false;
    const int rx = PolygonRadius(Rx), ry = PolygonRadius(Ry);
    const int px = canvas.ToDeviceX(Mx), py = canvas.ToDeviceY(My);
    if (!Cache.Valid || Cache.Rx != rx || Cache.Ry != ry || Cache.Px != px || Cache.Py != py || Cache.Angle != Winkel)
        BuildPolygon(rx, ry, px, py);
    // The bounds are those of the drawn polygon (offsets taken in pixels,
    // downward, as they always were), also when the polygon is reused.
    Left = Mx + Cache.MinDx;
    Right = Mx + Cache.MaxDx;
    Top = My + Cache.MaxDy;
    Bottom = My + Cache.MinDy;
    Normalize();
    return true;
}

void TEllipse::Arrange(TDrawCanvas& canvas) { ArrangePolygon(canvas); }

void TEllipse::Draw(TDrawCanvas& canvas) {
    TGefuellteFigur::Draw(canvas);
    if (!Sichtbar()) return;
    if (ArrangePolygon(canvas)) {
        canvas.Target().Polygon(Cache.Points);
        return;
    }
    canvas.Target().Ellipse(canvas.ToDeviceX(Left), canvas.ToDeviceY(Top), canvas.ToDeviceX(Right),
                            canvas.ToDeviceY(Bottom));
}

std::unique_ptr<TObjekt> TEllipse::Clone(const std::string& name, TObjekt* owner) {
    auto copy = std::make_unique<TEllipse>(name, owner);
    copy->Assign(*this);
    return copy;
}

bool TEllipse::ShapeState(TShapeState& state) const {
    for (double v : {Rx, Ry, Mx, My, Winkel}) state.Add(v);
    return FigureShape(state);
}

void TEllipse::Assign(const TObjekt& source) {
    TGefuellteFigur::Assign(source);
    const auto* src = dynamic_cast<const TEllipse*>(&source);
    if (!src || src == this) return;
    Rx = src->Rx;
    Ry = src->Ry;
    Mx = src->Mx;
    My = src->My;
    Winkel = src->Winkel;
    WriteBack();
    AttributeChanged(nullptr);
}

// ---------------------------------------------------------------- TKreis

TKreis::TKreis(std::string name, TObjekt* owner, bool noSetters) : TGefuellteFigur(std::move(name), owner, AsBase) {
    ClassName = "KREIS";
    ClassNumber = KlassenNummer;
    Drawable = true;

    AddCentreMethod(*this, mnMittelpunktSetzen);
    ARadius = AddAttribute("radius", 0, vkInteger);
    AMitteX = AddAttribute("mittex", 0, vkInteger);
    AMitteY = AddAttribute("mittey", 0, vkInteger);
    WriteBack();
    HideBoundsMembers(*this);
    AddSetters(noSetters);
}

void TKreis::WriteBack() {
    SetInt(ARadius, RoundInt(R));
    SetInt(AMitteX, RoundInt(Mx));
    SetInt(AMitteY, RoundInt(My));
}

void TKreis::AttributeChanged(TAttribut* a) {
    if (a == ARadius) R = GetInt(ARadius);
    else if (a == AMitteX) Mx = GetInt(AMitteX);
    else if (a == AMitteY) My = GetInt(AMitteY);
    const double radius = GetInt(ARadius), mx = GetInt(AMitteX), my = GetInt(AMitteY);
    PlaceAroundCentre(*this, mx, my, radius, radius);
}

void TKreis::CallMethod(std::int32_t n, TStack& stack) {
    switch (n) {
    case mnVerschieben:
        MoveByArguments(stack);
        break;
    case mnMittelpunktSetzen: {
        const std::int32_t y = stack.PopInteger();
        const std::int32_t x = stack.PopInteger();
        MoveBy(SaturateInt32(std::int64_t{x} - GetInt(AMitteX)), SaturateInt32(std::int64_t{y} - GetInt(AMitteY)));
        break;
    }
    default:
        TGefuellteFigur::CallMethod(n, stack);
        break;
    }
}

void TKreis::MoveBy(std::int32_t dx, std::int32_t dy) {
    Mx += dx;
    My += dy;
    WriteBack();
    AttributeChanged(nullptr);
}

void TKreis::StretchAbout(double cx, double cy, double f) {
    StoreIfStorable(Mx, cx + (Mx - cx) * f);
    StoreIfStorable(My, cy + (My - cy) * f);
    StoreIfStorable(R, f * R);
    WriteBack();
    AttributeChanged(nullptr);
}

void TKreis::MirrorX(double c) {
    Mx = 2 * c - Mx;
    WriteBack();
    AttributeChanged(nullptr);
}

void TKreis::MirrorY(double c) {
    My = 2 * c - My;
    WriteBack();
    AttributeChanged(nullptr);
}

void TKreis::RotateAbout(double angle, double cx, double cy) {
    if (!std::isfinite(angle)) return;
    RotatePoint(Mx, My, cx, cy, angle);
    WriteBack();
    AttributeChanged(nullptr);
}

void TKreis::Draw(TDrawCanvas& canvas) {
    TGefuellteFigur::Draw(canvas);
    if (!Sichtbar()) return;
    canvas.Target().Ellipse(canvas.ToDeviceX(Mx - R), canvas.ToDeviceY(My + R), canvas.ToDeviceX(Mx + R),
                            canvas.ToDeviceY(My - R));
}

std::unique_ptr<TObjekt> TKreis::Clone(const std::string& name, TObjekt* owner) {
    auto copy = std::make_unique<TKreis>(name, owner);
    copy->Assign(*this);
    return copy;
}

bool TKreis::ShapeState(TShapeState& state) const {
    for (double v : {R, Mx, My}) state.Add(v);
    return FigureShape(state);
}

void TKreis::Assign(const TObjekt& source) {
    TGefuellteFigur::Assign(source);
    const auto* src = dynamic_cast<const TKreis*>(&source);
    if (!src || src == this) return;
    R = src->R;
    Mx = src->Mx;
    My = src->My;
    SetInt(AMitteX, GetInt(src->AMitteX));
    SetInt(AMitteY, GetInt(src->AMitteY));
    SetInt(ARadius, GetInt(src->ARadius));
    AttributeChanged(nullptr);
}
