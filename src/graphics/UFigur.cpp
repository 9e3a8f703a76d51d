#include "UFigur.h"

#include "UDrawCanvas.h"
#include "UFarbe.h"
#include "UPortableMath.h"
#include "UStack.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Attribute values are whatever the program assigned; sums of two of them
// are taken in 64 bits and saturated rather than overflowing.
std::int32_t Sum(std::int64_t a, std::int64_t b) { return SaturateInt32(a + b); }

} // namespace

// ---------------------------------------------------------------- TFigur

TFigur::TFigur(std::string name, TObjekt* owner, bool noSetters) : TFigur(std::move(name), owner, AsBase) {
    AddSetters(noSetters);
}

TFigur::TFigur(std::string name, TObjekt* owner, TAsBase) : TObjekt(std::move(name), owner) {
    ClassName = "FIGUR";
    ClassNumber = KlassenNummer;

    ASichtbar = AddAttribute("sichtbar", 0, vkBoolean);
    ALinks = AddAttribute("links", 0, vkInteger);
    AOben = AddAttribute("oben", 0, vkInteger);
    ARechts = AddAttribute("rechts", 0, vkInteger);
    AUnten = AddAttribute("unten", 0, vkInteger);
    ARandstaerke = AddAttribute("randstaerke", 0, vkInteger);
    ARandart = AddAttribute("randart", 0, vkInteger);
    ARandfarbe = AddColourAttribute("randfarbe", 0, 0, 0);
    ABreite = AddAttribute("breite", 0, vkInteger);
    AHoehe = AddAttribute("hoehe", 0, vkInteger);

    ASichtbar->Value.SetBoolean(true);
    ARandstaerke->Value.SetInteger(1);
    ARandart->Value.SetInteger(0);
    Normalize();

    TMethode* m = AddMethod("verschieben", mnVerschieben);
    m->AddParameter("x-Verschiebung", vkInteger, 0);
    m->AddParameter("y-Verschiebung", vkInteger, 0);
    m = AddMethod("eckenSetzen", mnEckenSetzen);
    m->AddParameter("links", vkInteger, 0);
    m->AddParameter("oben", vkInteger, 0);
    m->AddParameter("rechts", vkInteger, 0);
    m->AddParameter("unten", vkInteger, 0);
    m = AddMethod("linksObenSetzen", mnLinksObenSetzen);
    m->AddParameter("links", vkInteger, 0);
    m->AddParameter("oben", vkInteger, 0);
    m = AddMethod("rechtsUntenSetzen", mnRechtsUntenSetzen);
    m->AddParameter("rechts", vkInteger, 0);
    m->AddParameter("unten", vkInteger, 0);
    m = AddMethod("strecken", mnStrecken);
    m->AddParameter("Streckugsfaktor", vkReal, 0);
    m = AddMethod("verschiebenNach", mnVerschiebenNach);
    m->AddParameter("links", vkInteger, 0);
    m->AddParameter("oben", vkInteger, 0);
    m = AddMethod("drehen", mnDrehen);
    m->AddParameter("Drehwinkel", vkReal, 0);
    m = AddMethod("drehenUm", mnDrehenUm);
    m->AddParameter("X-Koord. Drehpunkt", vkInteger, 0);
    m->AddParameter("Y-Koord. Drehpunkt", vkInteger, 0);
    m->AddParameter("Drehwinkel", vkReal, 0);
    m = AddMethod("streckenAn", mnStreckenAn);
    m->AddParameter("x-Koord. Zentrum", vkInteger, 0);
    m->AddParameter("y-Koord. Zentrum", vkInteger, 0);
    m->AddParameter("Faktor", vkReal, 0);
}

TFigur::~TFigur() {
    // A watcher may unregister itself (or others) while being told.
    TFigurWatcher* first = std::exchange(FirstWatcher, nullptr);
    const auto more = std::move(MoreWatchers);
    if (first) first->FigureDestroyed(this);
    if (more)
        for (TFigurWatcher* w : *more) w->FigureDestroyed(this);
}

TAttribut* TFigur::AddColourAttribute(const std::string& name, std::int32_t r, std::int32_t g,
                                      std::int32_t b) {
    TAttribut* a = AddAttribute(name, TFarbe::KlassenNummer, vkObjekt);
    a->Value.SetObject(new TFarbe(name, this, r, g, b));  // freed by ~TObjekt
    return a;
}

std::int32_t TFigur::GetInt(const TAttribut* a) { return a->Value.AsInteger(); }
void TFigur::SetInt(TAttribut* a, std::int32_t value) { a->Value.SetInteger(value); }
bool TFigur::GetBool(const TAttribut* a) { return a->Value.AsBoolean(); }
double TFigur::GetReal(const TAttribut* a) { return a->Value.AsDouble(); }
TFarbe& TFigur::ColourOf(const TAttribut* a) { return static_cast<TFarbe&>(*a->Value.AsObject()); }

bool TFigur::Sichtbar() const { return GetBool(ASichtbar); }
TFarbe& TFigur::Randfarbe() const { return ColourOf(ARandfarbe); }

// The first watcher is always FirstWatcher: the list holds only later ones.
void TFigur::AddWatcher(TFigurWatcher* watcher) {
    if (!watcher || WatchedBy(watcher)) return;
    if (!FirstWatcher) {
        FirstWatcher = watcher;
        return;
    }
    if (!MoreWatchers) MoreWatchers = std::make_unique<std::vector<TFigurWatcher*>>();
    MoreWatchers->push_back(watcher);
}

bool TFigur::WatchedBy(const TFigurWatcher* watcher) const {
    if (!watcher) return false;
    if (FirstWatcher == watcher) return true;
    return MoreWatchers && std::find(MoreWatchers->begin(), MoreWatchers->end(), watcher) != MoreWatchers->end();
}

void TFigur::RemoveWatcher(TFigurWatcher* watcher) {
    if (!watcher) return;
    if (FirstWatcher == watcher) {
        // The next in order takes its place.
        FirstWatcher = nullptr;
        if (MoreWatchers && !MoreWatchers->empty()) {
            FirstWatcher = MoreWatchers->front();
            MoreWatchers->erase(MoreWatchers->begin());
        }
        return;
    }
    if (MoreWatchers)
        MoreWatchers->erase(std::remove(MoreWatchers->begin(), MoreWatchers->end(), watcher), MoreWatchers->end());
}

void TFigur::Normalize() {
    if (Left > Right) std::swap(Left, Right);
    if (Bottom > Top) std::swap(Bottom, Top);
    if (StorableCoordinate(Left)) SetInt(ALinks, RoundInt(Left));
    if (StorableCoordinate(Right)) SetInt(ARechts, RoundInt(Right));
    if (StorableCoordinate(Top)) SetInt(AOben, RoundInt(Top));
    if (StorableCoordinate(Bottom)) SetInt(AUnten, RoundInt(Bottom));
    SetInt(ABreite, Sum(GetInt(ARechts), -std::int64_t{GetInt(ALinks)}));
    SetInt(AHoehe, Sum(GetInt(AOben), -std::int64_t{GetInt(AUnten)}));
}

void TFigur::RotatePoint(double& x, double& y, double cx, double cy, double angle) {
    const double r = angle * 0.017453292519943295769;
    const double c = PortableMath::Cos(r), s = PortableMath::Sin(r);
    const double dx = x - cx, dy = y - cy;
    x = cx + dx * c - dy * s;
    y = cy + dx * s + dy * c;
}

void TFigur::AttributeChanged(TAttribut* a) {
    std::int32_t links = GetInt(ALinks), rechts = GetInt(ARechts);
    std::int32_t oben = GetInt(AOben), unten = GetInt(AUnten);
    if (rechts < links) {
        if (a == ALinks) {
            rechts = Sum(links, RoundInt(PrevRight - PrevLeft));
            SetInt(ARechts, rechts);
        } else if (a == ARechts) {
            links = Sum(rechts, -std::int64_t{RoundInt(PrevRight - PrevLeft)});
            SetInt(ALinks, links);
        }
    }
    if (oben < unten) {
        if (a == AUnten) {
            oben = Sum(unten, RoundInt(PrevTop - PrevBottom));
            SetInt(AOben, oben);
        } else if (a == AOben) {
            unten = Sum(oben, -std::int64_t{RoundInt(PrevTop - PrevBottom)});
            SetInt(AUnten, unten);
        }
    }
    if (a != ABreite && a != AHoehe) {
        SetInt(ABreite, SaturateInt32(std::llabs(std::int64_t{links} - rechts)));
        SetInt(AHoehe, SaturateInt32(std::llabs(std::int64_t{oben} - unten)));
    }
    Left = links;
    Right = rechts;
    Top = oben;
    Bottom = unten;
    PrevLeft = Left;
    PrevRight = Right;
    PrevTop = Top;
    PrevBottom = Bottom;
}

void TFigur::CallMethod(std::int32_t n, TStack& stack) {
    PrevLeft = Left;
    PrevRight = Right;
    PrevTop = Top;
    PrevBottom = Bottom;
    switch (n) {
    case mnVerschieben:
        MoveByArguments(stack);
        break;
    case mnEckenSetzen: {
        const std::int32_t u = stack.PopInteger();
        const std::int32_t r = stack.PopInteger();
        const std::int32_t o = stack.PopInteger();
        const std::int32_t l = stack.PopInteger();
        Left = l;
        Right = r;
        Top = o;
        Bottom = u;
        Normalize();
        AttributeChanged(nullptr);
        break;
    }
    case mnLinksObenSetzen:
    case mnVerschiebenNach: {
        const std::int32_t o = stack.PopInteger();
        const std::int32_t l = stack.PopInteger();
        MoveTopLeftTo(l, o);
        break;
    }
    case mnRechtsUntenSetzen: {
        const std::int32_t u = stack.PopInteger();
        const std::int32_t r = stack.PopInteger();
        Right = r;
        Bottom = u;
        Normalize();
        AttributeChanged(nullptr);
        break;
    }
    case mnStrecken: {
        const double f = stack.PopDouble();
        if (std::fabs(f) > 0.00001) StretchAbout((Left + Right) / 2, (Top + Bottom) / 2, f);
        AttributeChanged(nullptr);
        break;
    }
    case mnDrehen: {
        const double w = stack.PopDouble();
        RotateAbout(w, (Left + Right) / 2, (Top + Bottom) / 2);
        break;
    }
    case mnDrehenUm: {
        const double w = stack.PopDouble();
        const std::int32_t y = stack.PopInteger();
        const std::int32_t x = stack.PopInteger();
        RotateAbout(w, x, y);
        break;
    }
    case mnStreckenAn: {
        const double f = stack.PopDouble();
        const std::int32_t y = stack.PopInteger();
        const std::int32_t x = stack.PopInteger();
        StretchAbout(x, y, f);
        break;
    }
    default:
        break;
    }
}

void TFigur::MoveTopLeftTo(std::int32_t x, std::int32_t y) { MoveBy(RoundInt(x - Left), RoundInt(y - Top)); }

bool TFigur::FigureShape(TShapeState& state) const {
    for (double v : {PrevLeft, PrevRight, PrevTop, PrevBottom, Left, Right, Top, Bottom}) state.Add(v);
    return state.AddAttributes(*this);
}

void TFigur::MoveByArguments(TStack& stack) {
    const std::int32_t dy = stack.PopInteger();
    const std::int32_t dx = stack.PopInteger();
    MoveBy(dx, dy);
}

void TFigur::MoveBy(std::int32_t dx, std::int32_t dy) {
    Left += dx;
    Right += dx;
    Top += dy;
    Bottom += dy;
    Normalize();
}

void TFigur::StretchAbout(double cx, double cy, double f) {
    const double right = cx + (Right - cx) * f;
    const double left = cx + (Left - cx) * f;
    const double top = cy + (Top - cy) * f;
    const double bottom = cy + (Bottom - cy) * f;
    if (StorableCoordinate(right)) Right = right;
    if (StorableCoordinate(left)) Left = left;
    if (StorableCoordinate(top)) Top = top;
    if (StorableCoordinate(bottom)) Bottom = bottom;
    Normalize();
}

void TFigur::MirrorX(double c) {
    Left = 2 * c - Left;
    Right = 2 * c - Right;
    std::swap(Left, Right);
    Normalize();
}

void TFigur::MirrorY(double c) {
    Top = 2 * c - Top;
    Bottom = 2 * c - Bottom;
    std::swap(Top, Bottom);
    Normalize();
}

void TFigur::RotateAbout(double, double, double) {}

void TFigur::Draw(TDrawCanvas& canvas) {
    if (!Sichtbar()) return;
    TCanvas& c = canvas.Target();
    c.Pen.Width = GetInt(ARandstaerke);
    c.Pen.Style = GetInt(ARandart);
    c.Pen.Color = Randfarbe().ColourValue();
}

std::unique_ptr<TObjekt> TFigur::Clone(const std::string& name, TObjekt* owner) {
    auto copy = std::make_unique<TFigur>(name, owner);
    copy->Assign(*this);
    return copy;
}

void TFigur::Assign(const TObjekt& source) {
    const auto* src = dynamic_cast<const TFigur*>(&source);
    if (!src || src == this) return;
    Left = src->Left;
    Right = src->Right;
    Top = src->Top;
    Bottom = src->Bottom;
    Normalize();
    // A copy must keep its width when an edge is later pushed past the other.
    PrevLeft = Left;
    PrevRight = Right;
    PrevTop = Top;
    PrevBottom = Bottom;
    ASichtbar->Value.SetBoolean(src->Sichtbar());
    SetInt(ARandstaerke, GetInt(src->ARandstaerke));
    SetInt(ARandart, GetInt(src->ARandart));
    Randfarbe().Assign(src->Randfarbe());
}

// ------------------------------------------------------- TGefuellteFigur

TGefuellteFigur::TGefuellteFigur(std::string name, TObjekt* owner, bool noSetters)
    : TGefuellteFigur(std::move(name), owner, AsBase) {
    AddSetters(noSetters);
}

TGefuellteFigur::TGefuellteFigur(std::string name, TObjekt* owner, TAsBase)
    : TFigur(std::move(name), owner, AsBase) {
    ClassName = "GEF" "\xDC" "LLTEFIGUR";
    ClassNumber = KlassenNummer;
    AFuellfarbe = AddColourAttribute("fuellfarbe", 255, 255, 255);
    AFuellart = AddAttribute("fuellart", 0, vkInteger);
    SetInt(AFuellart, 0);
}

TFarbe& TGefuellteFigur::Fuellfarbe() const { return ColourOf(AFuellfarbe); }

void TGefuellteFigur::Draw(TDrawCanvas& canvas) {
    TFigur::Draw(canvas);
    if (!Sichtbar()) return;
    TCanvas& c = canvas.Target();
    c.Brush.Color = Fuellfarbe().ColourValue();
    c.Brush.Style = GetInt(AFuellart);
}

std::unique_ptr<TObjekt> TGefuellteFigur::Clone(const std::string& name, TObjekt* owner) {
    auto copy = std::make_unique<TGefuellteFigur>(name, owner);
    copy->Assign(*this);
    return copy;
}

void TGefuellteFigur::Assign(const TObjekt& source) {
    TFigur::Assign(source);
    const auto* src = dynamic_cast<const TGefuellteFigur*>(&source);
    if (!src || src == this) return;
    Fuellfarbe().Assign(src->Fuellfarbe());
    SetInt(AFuellart, GetInt(src->AFuellart));
}
