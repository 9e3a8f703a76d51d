#include "UTurtle.h"

#include "UDeferredPaint.h"
#include "UDrawCanvas.h"
#include "UFarbe.h"
#include "UPortableMath.h"
#include "UStack.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double DegToRad = 0.017453292519943295769;
constexpr TColor TurtleRed = 0x0000FF;

const char* const SpurZuLang = "Die Spur der Turtle ist zu lang.";

// The turtle shape is not drawn this far out, where no window reaches.
constexpr double DrawLimit = 1e7;

std::uint16_t Clamp16(std::int32_t v) { return static_cast<std::uint16_t>(std::clamp(v, 0, 65535)); }

} // namespace

TTurtle::TTurtle(std::string name, TObjekt* owner, bool noSetters) : TFigur(std::move(name), owner, AsBase) {
    ClassName = "TURTLE";
    ClassNumber = KlassenNummer;
    Drawable = true;

    // ORDER TURTLE: the class tree and code completion list these as registered.
    AddMethod("vor", mnVor)->AddParameter("Streckenlaenge", vkReal, 0);
    AddMethod("zurueck", mnZurueck)->AddParameter("Streckenlaenge", vkReal, 0);
    AddMethod("linksdrehen", mnLinksdrehen)->AddParameter("Winkel", vkReal, 0);
    AddMethod("rechtsdrehen", mnRechtsdrehen)->AddParameter("Winkel", vkReal, 0);
    TMethode* setzeXY = AddMethod("setzeXY", mnSetzeXY);
    setzeXY->AddParameter("x", vkReal, 0);
    setzeXY->AddParameter("y", vkReal, 0);
    AddMethod("stiftAuf", mnStiftAuf);
    AddMethod("stiftAb", mnStiftAb);
    AddMethod("allesLoeschen", mnAllesLoeschen);
    AddMethod("aufPunkt", mnAufPunkt, vkBoolean)->ChangesNothing = true;
    AddMethod("vorPunkt", mnVorPunkt, vkBoolean)->ChangesNothing = true;

    AFarbe = AddColourAttribute("farbe", 0, 0, 0);
    ALinienstaerke = AddAttribute("linienstaerke", 0, vkInteger);
    ATurtleSichtbar = AddAttribute("turtleSichtbar", 0, vkBoolean);
    AX = AddAttribute("x", 0, vkReal);
    AY = AddAttribute("y", 0, vkReal);
    AKurs = AddAttribute("kurs", 0, vkReal);
    SetInt(ALinienstaerke, 3);
    ATurtleSichtbar->Value.SetBoolean(true);

    for (TAttribut* a : {ALinks, ARechts, AOben, AUnten, ABreite, AHoehe, ARandfarbe, ARandstaerke}) a->Hidden = true;
    for (std::size_t m : {MEckenSetzen, MLinksObenSetzen, MRechtsUntenSetzen, MVerschiebenNach}) HideMethod(m);
    AddSetters(noSetters);
}

TTurtle::~TTurtle() = default;

bool TTurtle::TurtleSichtbar() const { return GetBool(ATurtleSichtbar); }
TFarbe& TTurtle::Farbe() const { return ColourOf(AFarbe); }

double TTurtle::NormalizedHeading(double h) {
    if (!(h > 360 || h < 0)) return h;  // also keeps a NaN, which is never stored
    const double t = std::trunc(h);
    // Within 2^53 the truncated heading is an exact integer and the turns are
    // counted as the integer division does; beyond, only whole degrees exist
    // and the remainder is taken exactly.
    if (std::fabs(t) < 9007199254740992.0) {
        const std::int64_t turns = static_cast<std::int64_t>(t) / 360;
        return h - 360.0 * static_cast<double>(turns);
    }
    return std::fmod(h, 360.0);
}

bool TTurtle::GoTo(double x, double y) {
    // A target that is no finite number (from an infinite or undefined
    // argument) leaves the turtle where it is.
    if (!std::isfinite(x) || !std::isfinite(y)) return true;
    const double oldX = PosX, oldY = PosY;
    PosX = x;
    PosY = y;
    if (!PenIsDown) return true;
    auto widen = [](double& bound, TAttribut* a, double v, bool lower) {
        if (lower ? v < bound : v > bound) {
            bound = v;
            if (StorableCoordinate(v)) SetInt(a, RoundInt(v));
        }
    };
    widen(Left, ALinks, std::min(oldX, x), true);
    widen(Right, ARechts, std::max(oldX, x), false);
    widen(Bottom, AUnten, std::min(oldY, y), true);
    widen(Top, AOben, std::max(oldY, y), false);
    if (TrailSegments.size() >= MaxTrailSegments) return false;
    TrailSegments.push_back({oldX, oldY, x, y, Farbe().ColourValue(), Clamp16(GetInt(ARandart)),
                             Clamp16(GetInt(ALinienstaerke))});
    return true;
}

void TTurtle::WriteBack() {
    AX->Value.SetDouble(PosX);
    AY->Value.SetDouble(PosY);
    AKurs->Value.SetDouble(HeadingDeg);
}

void TTurtle::CallMethod(std::int32_t n, TStack& stack) {
    TFigur::CallMethod(n, stack);
    bool recorded = true;
    switch (n) {
    case mnVor:
    case mnZurueck: {
        const double d = n == mnVor ? stack.PopDouble() : -stack.PopDouble();
        const double h = HeadingDeg * DegToRad;
        recorded = GoTo(PosX + d * PortableMath::Cos(h), PosY + d * PortableMath::Sin(h));
        break;
    }
    case mnLinksdrehen:
    case mnRechtsdrehen: {
        const double w = n == mnLinksdrehen ? stack.PopDouble() : -stack.PopDouble();
        const double h = NormalizedHeading(HeadingDeg + w);
        if (std::isfinite(h)) HeadingDeg = h;
        break;
    }
    case mnSetzeXY: {
        const double y = stack.PopDouble();
        const double x = stack.PopDouble();
        recorded = GoTo(x, y);
        break;
    }
    case mnStiftAuf: PenIsDown = false; break;
    case mnStiftAb: PenIsDown = true; break;
    case mnAllesLoeschen:
        TrailSegments.clear();
        TrailSegments.shrink_to_fit();
        TrailPicture.reset();
        TrailChanged();
        break;
    // The probes tell what the last paint saw; one still owed is done first.
    case mnAufPunkt:
        if (Run) Run->SettleProbes();
        stack.PushBoolean(OnPointFlag);
        break;
    case mnVorPunkt:
        if (Run) Run->SettleProbes();
        stack.PushBoolean(PointAheadFlag);
        break;
    default: break;
    }
    WriteBack();
    if (!recorded) MethodError = SpurZuLang;
}

void TTurtle::AttributeChanged(TAttribut* a) {
    // An assignment has no way to report an overlong trail; the step is taken
    // and just not recorded.
    if (a == AX) {
        GoTo(GetReal(AX), PosY);
    } else if (a == AY) {
        GoTo(PosX, GetReal(AY));
    } else if (a == AKurs) {
        const double h = GetReal(AKurs);
        if (std::isfinite(h)) HeadingDeg = h;
    }
    TFigur::AttributeChanged(a);
    if (a == AX || a == AY || a == AKurs) WriteBack();
}

void TTurtle::MoveBy(std::int32_t dx, std::int32_t dy) {
    TFigur::MoveBy(dx, dy);
    TrailChanged();
    for (TSegment& s : TrailSegments) {
        s.X1 += dx;
        s.X2 += dx;
        s.Y1 += dy;
        s.Y2 += dy;
    }
    PosX += dx;
    PosY += dy;
    WriteBack();
}

void TTurtle::StretchAbout(double cx, double cy, double f) {
    TFigur::StretchAbout(cx, cy, f);
    TrailChanged();
    auto scale = [f](double& v, double c) {
        const double s = c + f * (v - c);
        if (StorableCoordinate(s)) v = s;
    };
    for (TSegment& s : TrailSegments) {
        scale(s.X1, cx);
        scale(s.Y1, cy);
        scale(s.X2, cx);
        scale(s.Y2, cy);
    }
    // The position has no coordinate limit, but it stays a number.
    const double x = cx + f * (PosX - cx), y = cy + f * (PosY - cy);
    if (std::isfinite(x)) PosX = x;
    if (std::isfinite(y)) PosY = y;
    WriteBack();
}

void TTurtle::MirrorX(double c) {
    TFigur::MirrorX(c);
    TrailChanged();
    for (TSegment& s : TrailSegments) {
        s.X1 = 2 * c - s.X1;
        s.X2 = 2 * c - s.X2;
    }
    PosX = 2 * c - PosX;
    HeadingDeg = NormalizedHeading(180 - HeadingDeg);
    WriteBack();
}

void TTurtle::MirrorY(double c) {
    TFigur::MirrorY(c);
    TrailChanged();
    for (TSegment& s : TrailSegments) {
        s.Y1 = 2 * c - s.Y1;
        s.Y2 = 2 * c - s.Y2;
    }
    PosY = 2 * c - PosY;
    HeadingDeg = NormalizedHeading(-HeadingDeg);
    WriteBack();
}

void TTurtle::RotateAbout(double angle, double cx, double cy) {
    TrailChanged();
    for (TSegment& s : TrailSegments) {
        RotatePoint(s.X1, s.Y1, cx, cy, angle);
        RotatePoint(s.X2, s.Y2, cx, cy, angle);
    }
    if (TrailSegments.empty()) return;
    // The integer attributes keep their values; only the real bounds follow.
    double l = 100000, r = -100000, t = -100000, b = 100000;
    for (const TSegment& s : TrailSegments) {
        l = std::min({l, s.X1, s.X2});
        r = std::max({r, s.X1, s.X2});
        t = std::max({t, s.Y1, s.Y2});
        b = std::min({b, s.Y1, s.Y2});
    }
    Left = l;
    Right = r;
    Top = t;
    Bottom = b;
}

void TTurtle::ProbedPixels(const TDrawCanvas& canvas, TPoint& on, TPoint& ahead) const {
    const double h = HeadingDeg * DegToRad;
    on = {canvas.ToDeviceX(PosX), canvas.ToDeviceY(PosY)};
    ahead = {canvas.ToDeviceX(PosX + PortableMath::Cos(h)), canvas.ToDeviceY(PosY + PortableMath::Sin(h))};
}

void TTurtle::Sense(TDrawCanvas& canvas) {
    TCanvas& c = canvas.Target();
    auto marked = [&](TPoint p) {
        const TColor colour = c.Pixel(p.x, p.y);
        return colour != canvas.BackgroundPixelColor() && colour != canvas.GridPixelColor();
    };
    TPoint on, ahead;
    ProbedPixels(canvas, on, ahead);
    SensedForPaint = true;
    OnPointFlag = marked(on);
    PointAheadFlag = marked(ahead);
}

void TTurtle::Draw(TDrawCanvas& canvas) {
    const bool onTop = std::exchange(SensedForPaint, false);
    TFigur::Draw(canvas);
    if (!Sichtbar()) return;
    TCanvas& c = canvas.Target();
    bool drawn = false;
    if (onTop && TrailSegments.size() >= TSpurBild::MinSegments) {
        if (!TrailPicture) TrailPicture = std::make_unique<TSpurBild>();
        drawn = TrailPicture->Draw(canvas, TrailSegments, TrailGeneration);
    }
    if (!drawn)
        for (const TSegment& s : TrailSegments) DrawSpurSegment(c, canvas, s);
    if (!TurtleSichtbar() || std::fabs(PosX) > DrawLimit || std::fabs(PosY) > DrawLimit) return;
    c.Pen.Color = TurtleRed;
    c.Pen.Style = 0;
    c.Pen.Width = 2;
    const double h = HeadingDeg * DegToRad;
    auto corner = [&](double radius, double angle) {
        return TPoint{canvas.ToDeviceX(PosX + radius * PortableMath::Cos(angle)),
                      canvas.ToDeviceY(PosY + radius * PortableMath::Sin(angle))};
    };
    const TPoint p0 = corner(20, h);
    const TPoint p1 = corner(10, h + 120 * DegToRad);
    const TPoint p2 = corner(10, h + 240 * DegToRad);
    c.MoveTo(p0.x, p0.y);
    c.LineTo(p1.x, p1.y);
    c.LineTo(p2.x, p2.y);
    c.LineTo(p0.x, p0.y);
    c.SetPixel(canvas.ToDeviceX(PosX), canvas.ToDeviceY(PosY), TurtleRed);
}

std::unique_ptr<TObjekt> TTurtle::Clone(const std::string& name, TObjekt* owner) {
    auto copy = std::make_unique<TTurtle>(name, owner);
    copy->Run = Run;
    copy->Assign(*this);
    return copy;
}

void TTurtle::Assign(const TObjekt& source) {
    TFigur::Assign(source);
    const auto* src = dynamic_cast<const TTurtle*>(&source);
    if (!src || src == this) return;
    Farbe().Assign(src->Farbe());
    PenIsDown = src->PenIsDown;
    ATurtleSichtbar->Value.SetBoolean(src->TurtleSichtbar());
    PosX = src->PosX;
    PosY = src->PosY;
    HeadingDeg = src->HeadingDeg;
    TrailSegments = src->TrailSegments;
    TrailChanged();
    // The attributes tell the program where the copy stands.
    WriteBack();
}
