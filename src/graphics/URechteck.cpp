#include "URechteck.h"

#include "UDrawCanvas.h"
#include "UPortableMath.h"
#include "UStack.h"

#include <cmath>
#include <utility>
#include <vector>

// ------------------------------------------------------------- TRechteck

TRechteck::TRechteck(std::string name, TObjekt* owner, bool noSetters) : TRechteck(std::move(name), owner, AsBase) {
    AddSetters(noSetters);
}

TRechteck::TRechteck(std::string name, TObjekt* owner, TAsBase) : TGefuellteFigur(std::move(name), owner, AsBase) {
    ClassName = "RECHTECK";
    ClassNumber = KlassenNummer;
    Drawable = true;
}

void TRechteck::CornersFromAttributes() {
    const double links = GetInt(ALinks), rechts = GetInt(ARechts);
    const double oben = GetInt(AOben), unten = GetInt(AUnten);
    Ecken = {TRealPoint{links, oben}, TRealPoint{links, unten}, TRealPoint{rechts, unten}, TRealPoint{rechts, oben}};
}

void TRechteck::AttributeChanged(TAttribut* a) {
    // A negative width or height moves no edge; the attribute keeps the
    // value the pupil assigned, because only other changes recompute it.
    if (a == ABreite && GetInt(ABreite) >= 0) {
        SetInt(ARechts, SaturateInt32(std::int64_t{GetInt(ALinks)} + GetInt(ABreite)));
        a = ARechts;
    } else if (a == AHoehe && GetInt(AHoehe) >= 0) {
        SetInt(AUnten, SaturateInt32(std::int64_t{GetInt(AOben)} - GetInt(AHoehe)));
        a = AUnten;
    }
    TGefuellteFigur::AttributeChanged(a);
}

void TRechteck::Draw(TDrawCanvas& canvas) {
    TGefuellteFigur::Draw(canvas);
    if (!Sichtbar()) return;
    TCanvas& c = canvas.Target();
    if (Gedreht) {
        // Shared by all rectangles: figures are drawn one at a time.
        static thread_local std::vector<TPoint> GeraeteEcken(4);
        for (std::size_t i = 0; i < Ecken.size(); ++i)
            GeraeteEcken[i] = {canvas.ToDeviceX(Ecken[i].X), canvas.ToDeviceY(Ecken[i].Y)};
        c.Polygon(GeraeteEcken);
    } else {
        // One pixel more to the right and down, so that the pixels of the
        // right and the bottom edge belong to the rectangle.
        c.Rectangle(canvas.ToDeviceX(GetInt(ALinks)), canvas.ToDeviceY(GetInt(AOben)),
                    canvas.ToDeviceX(GetInt(ARechts)) + 1, canvas.ToDeviceY(GetInt(AUnten)) + 1);
    }
}

std::unique_ptr<TObjekt> TRechteck::Clone(const std::string& name, TObjekt* owner) {
    auto copy = std::make_unique<TRechteck>(name, owner);
    copy->Assign(*this);
    return copy;
}

bool TRechteck::ShapeState(TShapeState& state) const {
    state.Add(std::uint64_t{Gedreht});
    for (const TRealPoint& p : Ecken) {
        state.Add(p.X);
        state.Add(p.Y);
    }
    return FigureShape(state);
}

void TRechteck::Assign(const TObjekt& source) {
    TGefuellteFigur::Assign(source);
    const auto* src = dynamic_cast<const TRechteck*>(&source);
    if (!src || src == this) return;
    Gedreht = src->Gedreht;
    Ecken = src->Ecken;
}

void TRechteck::MoveBy(std::int32_t dx, std::int32_t dy) {
    if (!Gedreht) {
        TGefuellteFigur::MoveBy(dx, dy);
        return;
    }
    for (TRealPoint& p : Ecken) {
        p.X += dx;
        p.Y += dy;
    }
    BoundsFromCorners();
}

void TRechteck::StretchAbout(double cx, double cy, double factor) {
    if (!Gedreht) {
        TGefuellteFigur::StretchAbout(cx, cy, factor);
        return;
    }
    for (TRealPoint& p : Ecken) {
        StretchCoordinate(p.X, cx, factor);
        StretchCoordinate(p.Y, cy, factor);
    }
    BoundsFromCorners();
}

void TRechteck::MirrorX(double c) {
    if (!Gedreht) {
        TGefuellteFigur::MirrorX(c);
        return;
    }
    for (TRealPoint& p : Ecken) p.X = 2 * c - p.X;
    BoundsFromCorners();
}

void TRechteck::MirrorY(double c) {
    if (!Gedreht) {
        TGefuellteFigur::MirrorY(c);
        return;
    }
    for (TRealPoint& p : Ecken) p.Y = 2 * c - p.Y;
    BoundsFromCorners();
}

void TRechteck::RotateAbout(double angle, double cx, double cy) {
    // An angle that is no number (a square root of a negative value) would
    // wipe out the corners for good.
    if (!std::isfinite(angle)) return;
    if (!Gedreht) {
        CornersFromAttributes();
        Gedreht = true;
    }
    for (TRealPoint& p : Ecken) RotatePoint(p.X, p.Y, cx, cy, angle);
    BoundsFromCorners();
}

// -------------------------------------------------------------- TQuadrat

TQuadrat::TQuadrat(std::string name, TObjekt* owner, bool noSetters) : TRechteck(std::move(name), owner, AsBase) {
    ClassName = "QUADRAT";
    ClassNumber = KlassenNummer;
    Drawable = true;

    ASeitenlaenge = AddAttribute("seitenlaenge", 0, vkInteger);
    SetInt(ASeitenlaenge, GetInt(ARechts) - GetInt(ALinks));
    Seite = GetInt(ASeitenlaenge);
    TMethode* m = AddMethod("strecken", mnQuadratStrecken);
    m->AddParameter("Faktor", vkReal, 0);

    // The size is "seitenlaenge" alone; edges that could make it unequal are hidden.
    for (TAttribut* a : {ALinks, ARechts, AOben, AUnten, ABreite, AHoehe}) a->Hidden = true;
    for (std::size_t h : {MEckenSetzen, MRechtsUntenSetzen, MStrecken}) HideMethod(h);
    AddSetters(noSetters);
}

void TQuadrat::CornersToSide() {
    constexpr double Sqrt2 = 1.4142135623730950488;
    // Where the corners have all met in the centre (a stretch by 0) they
    // have no direction left; they take that of the axis-parallel square.
    static constexpr TRealPoint Diagonal[4] = {{-1, 1}, {-1, -1}, {1, -1}, {1, 1}};
    const double mx = (Ecken[0].X + Ecken[2].X) / 2;
    const double my = (Ecken[0].Y + Ecken[2].Y) / 2;
    for (std::size_t i = 0; i < Ecken.size(); ++i) {
        double dx = Ecken[i].X - mx, dy = Ecken[i].Y - my;
        double r = PortableMath::Hypot(dx, dy);
        if (!(r > 0)) {
            dx = Diagonal[i].X;
            dy = Diagonal[i].Y;
            r = Sqrt2;
        }
        Ecken[i].X = mx + dx * Seite / (r * Sqrt2);
        Ecken[i].Y = my + dy * Seite / (r * Sqrt2);
    }
}

void TQuadrat::AttributeChanged(TAttribut* a) {
    TRechteck::AttributeChanged(a);
    Normalize();
    if (a != ASeitenlaenge) return;
    std::int64_t side = GetInt(ASeitenlaenge);
    if (side < 0) side = -side;
    if (side == 0) side = 2;
    SetInt(ASeitenlaenge, SaturateInt32(side));
    Seite = GetInt(ASeitenlaenge);
    if (Gedreht) {
        CornersToSide();
    } else {
        // The top left corner stays.
        const double links = GetInt(ALinks), oben = GetInt(AOben);
        Ecken = {TRealPoint{links, oben}, TRealPoint{links, oben - Seite}, TRealPoint{links + Seite, oben - Seite},
                 TRealPoint{links + Seite, oben}};
    }
    BoundsFromCorners();
}

void TQuadrat::CallMethod(std::int32_t n, TStack& stack) {
    if (n != mnQuadratStrecken || Gedreht) {
        TRechteck::CallMethod(n, stack);
        return;
    }
    PrevLeft = Left;
    PrevRight = Right;
    PrevTop = Top;
    PrevBottom = Bottom;
    const double f = stack.PopDouble();
    // As for every other figure, a factor of about 0 is ignored: it would put
    // all corners into the centre, where no later size could find them again.
    if (!(std::fabs(f) > 0.00001)) {
        AttributeChanged(nullptr);
        return;
    }
    const double side = Seite * f;
    if (!StorableCoordinate(side)) return;
    // The square grows or shrinks about its centre; from now on it is a polygon.
    Seite = side;
    SetInt(ASeitenlaenge, RoundInt(side));
    CornersFromAttributes();
    Gedreht = true;
    CornersToSide();
    BoundsFromCorners();
}

void TQuadrat::StretchAbout(double cx, double cy, double factor) {
    TRechteck::StretchAbout(cx, cy, factor);
    const double side = Gedreht ? PortableMath::Hypot(Ecken[0].X - Ecken[1].X, Ecken[0].Y - Ecken[1].Y) : Right - Left;
    if (!StorableCoordinate(side)) return;
    Seite = side;
    SetInt(ASeitenlaenge, RoundInt(side));
}

std::unique_ptr<TObjekt> TQuadrat::Clone(const std::string& name, TObjekt* owner) {
    auto copy = std::make_unique<TQuadrat>(name, owner);
    copy->Assign(*this);
    return copy;
}

bool TQuadrat::ShapeState(TShapeState& state) const {
    state.Add(Seite);
    return TRechteck::ShapeState(state);
}

void TQuadrat::Assign(const TObjekt& source) {
    const auto* src = dynamic_cast<const TQuadrat*>(&source);
    if (src && src != this) {
        Seite = src->Seite;
        if (StorableCoordinate(Seite)) SetInt(ASeitenlaenge, RoundInt(Seite));
    }
    TRechteck::Assign(source);
}
