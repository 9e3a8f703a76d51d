#include "ULinie.h"

#include "UDrawCanvas.h"
#include "UFarbe.h"
#include "UStack.h"

#include <algorithm>
#include <cmath>
#include <utility>

TLinie::TLinie(std::string name, TObjekt* owner, bool noSetters) : TFigur(std::move(name), owner, AsBase) {
    ClassName = "LINIE";
    ClassNumber = KlassenNummer;
    Drawable = true;

    TMethode* m = AddMethod("punkt1Setzen", mnPunkt1Setzen);
    m->AddParameter("x", vkInteger, 0);
    m->AddParameter("y", vkInteger, 0);
    m = AddMethod("punkt2Setzen", mnPunkt2Setzen);
    m->AddParameter("x", vkInteger, 0);
    m->AddParameter("y", vkInteger, 0);
    m = AddMethod("endpunkteSetzen", mnEndpunkteSetzen);
    for (const char* p : {"x1", "y1", "x2", "y2"}) m->AddParameter(p, vkInteger, 0);

    AX1 = AddAttribute("x1", 0, vkInteger);
    AY1 = AddAttribute("y1", 0, vkInteger);
    AX2 = AddAttribute("x2", 0, vkInteger);
    AY2 = AddAttribute("y2", 0, vkInteger);
    AFarbe = AddColourAttribute("farbe", 0, 0, 0);
    ALinienStaerke = AddAttribute("linienStaerke", 0, vkInteger);
    SetInt(ALinienStaerke, 0);

    ALinienart = ARandart;
    ALinienart->Name = "linienart";
    for (TAttribut* a : {ALinks, ARechts, AOben, AUnten, ABreite, AHoehe, ARandfarbe, ARandstaerke}) a->Hidden = true;
    for (std::size_t h : {MEckenSetzen, MLinksObenSetzen, MRechtsUntenSetzen}) HideMethod(h);
    WriteBack();
    AddSetters(noSetters);
}

void TLinie::WriteBack() {
    SetInt(AX1, RoundInt(PX1));
    SetInt(AY1, RoundInt(PY1));
    SetInt(AX2, RoundInt(PX2));
    SetInt(AY2, RoundInt(PY2));
    AttributeChanged(nullptr);
}

void TLinie::AttributeChanged(TAttribut* a) {
    TFigur::AttributeChanged(a);
    if (a == AX1) PX1 = GetInt(AX1);
    else if (a == AY1) PY1 = GetInt(AY1);
    else if (a == AX2) PX2 = GetInt(AX2);
    else if (a == AY2) PY2 = GetInt(AY2);
    Left = std::min(PX1, PX2);
    Right = std::max(PX1, PX2);
    Bottom = std::min(PY1, PY2);
    Top = std::max(PY1, PY2);
    SetInt(AX1, RoundInt(PX1));
    SetInt(AY1, RoundInt(PY1));
    SetInt(AX2, RoundInt(PX2));
    SetInt(AY2, RoundInt(PY2));
    SetInt(ALinks, RoundInt(Left));
    SetInt(ARechts, RoundInt(Right));
    SetInt(AOben, RoundInt(Top));
    SetInt(AUnten, RoundInt(Bottom));
    SetInt(ABreite, SaturateInt32(std::int64_t{GetInt(ARechts)} - GetInt(ALinks)));
    SetInt(AHoehe, SaturateInt32(std::int64_t{GetInt(AOben)} - GetInt(AUnten)));
}

void TLinie::CallMethod(std::int32_t n, TStack& stack) {
    switch (n) {
    case mnPunkt1Setzen:
        PY1 = stack.PopInteger();
        PX1 = stack.PopInteger();
        WriteBack();
        break;
    case mnPunkt2Setzen:
        PY2 = stack.PopInteger();
        PX2 = stack.PopInteger();
        WriteBack();
        break;
    case mnEndpunkteSetzen:
        PY2 = stack.PopInteger();
        PX2 = stack.PopInteger();
        PY1 = stack.PopInteger();
        PX1 = stack.PopInteger();
        WriteBack();
        break;
    default:
        break;
    }
    TFigur::CallMethod(n, stack);
}

void TLinie::MoveBy(std::int32_t dx, std::int32_t dy) {
    PX1 += dx;
    PX2 += dx;
    PY1 += dy;
    PY2 += dy;
    WriteBack();
}

void TLinie::StretchAbout(double cx, double cy, double f) {
    TFigur::StretchAbout(cx, cy, f);
    for (double* x : {&PX1, &PX2}) {
        const double v = cx + f * (*x - cx);
        if (StorableCoordinate(v)) *x = v;
    }
    for (double* y : {&PY1, &PY2}) {
        const double v = cy + f * (*y - cy);
        if (StorableCoordinate(v)) *y = v;
    }
    WriteBack();
}

void TLinie::MirrorX(double c) {
    TFigur::MirrorX(c);
    PX1 = 2 * c - PX1;
    PX2 = 2 * c - PX2;
    WriteBack();
}

void TLinie::MirrorY(double c) {
    TFigur::MirrorY(c);
    PY1 = 2 * c - PY1;
    PY2 = 2 * c - PY2;
    WriteBack();
}

void TLinie::RotateAbout(double angle, double cx, double cy) {
    // An angle that is no number would wipe out the end points for good.
    if (!std::isfinite(angle)) return;
    RotatePoint(PX1, PY1, cx, cy, angle);
    RotatePoint(PX2, PY2, cx, cy, angle);
    WriteBack();
}

void TLinie::Draw(TDrawCanvas& canvas) {
    TCanvas& c = canvas.Target();
    c.Pen.Style = GetInt(ALinienart);
    c.Pen.Color = Farbe().ColourValue();
    c.Pen.Width = GetInt(ALinienStaerke);
    c.Pen.Mode = TPenMode::Copy;
    if (!Sichtbar()) return;
    c.Brush.Style = 1;
    c.MoveTo(canvas.ToDeviceX(PX1), canvas.ToDeviceY(PY1));
    c.LineTo(canvas.ToDeviceX(PX2), canvas.ToDeviceY(PY2));
    c.Brush.Style = 0;
}

std::unique_ptr<TObjekt> TLinie::Clone(const std::string& name, TObjekt* owner) {
    auto copy = std::make_unique<TLinie>(name, owner);
    copy->Assign(*this);
    return copy;
}

bool TLinie::ShapeState(TShapeState& state) const {
    for (double v : {PX1, PY1, PX2, PY2}) state.Add(v);
    return FigureShape(state);
}

void TLinie::Assign(const TObjekt& source) {
    TFigur::Assign(source);
    const auto* src = dynamic_cast<const TLinie*>(&source);
    if (!src || src == this) return;
    Farbe().Assign(src->Farbe());
    SetInt(ALinienStaerke, GetInt(src->ALinienStaerke));
    PX1 = src->PX1;
    PY1 = src->PY1;
    PX2 = src->PX2;
    PY2 = src->PY2;
    WriteBack();
}
