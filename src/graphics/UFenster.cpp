#include "UFenster.h"

#include "UDeferredPaint.h"
#include "UDrawCanvas.h"
#include "UFarbe.h"
#include "UFigur.h"
#include "UStack.h"

#include <utility>

namespace {

std::int32_t GetInt(const TAttribut* a) { return a->Value.AsInteger(); }
void SetInt(TAttribut* a, std::int32_t v) { a->Value.SetInteger(v); }

// Lower bound first, so that on a screen narrower than the margin the upper
// bound wins, as the order of the rules requires.
std::int32_t ClampLowThenHigh(std::int32_t v, std::int32_t lo, std::int64_t hi) {
    if (v < lo) v = lo;
    if (v > hi) v = SaturateInt32(hi);
    return v;
}

std::int32_t ClampHighThenLow(std::int32_t v, std::int64_t hi, std::int32_t lo) {
    if (v > hi) v = SaturateInt32(hi);
    if (v < lo) v = lo;
    return v;
}

constexpr TScreenSize FallbackScreen{1024, 768};

} // namespace

TFenster::TFenster(std::string name, TObjekt* owner, bool noSetters, bool prototype)
    : TObjekt(std::move(name), owner), Prototype(prototype) {
    ClassName = "FENSTER";
    ClassNumber = KlassenNummer;

    if (!Prototype)
        if (TDrawingWindowHost* host = DrawingWindowHost()) {
            Window = host->CreateDrawingWindow();
            if (Window) {
                Window->SetWindowObject(this);
                Window->Canvas().Grid = true;
                Window->Canvas().GridSpacing = 10;
            }
        }

    TMethode* m = AddMethod("verschiebe", mnVerschiebe);
    m->AddParameter("x-Verschiebung", vkInteger, 0);
    m->AddParameter("y-Verschiebung", vkInteger, 0);
    m = AddMethod("zeichne", mnZeichne);
    m->AddParameter("Figur", vkObjekt, TFigur::KlassenNummer);
    AddMethod("gitterein", mnGitterEin);
    AddMethod("gitteraus", mnGitterAus);

    AStrichabstand = AddAttribute("strichabstand", 0, vkInteger);
    AName = AddAttribute("name", 0, vkString);
    ALinks = AddAttribute("links", 0, vkInteger);
    AOben = AddAttribute("oben", 0, vkInteger);
    ABreite = AddAttribute("breite", 0, vkInteger);
    AHoehe = AddAttribute("hoehe", 0, vkInteger);
    AHintergrundfarbe = AddAttribute("hintergrundfarbe", TFarbe::KlassenNummer, vkObjekt);
    AHintergrundfarbe->Value.SetObject(new TFarbe("hintergrundfarbe", this, 0, 0, 0));
    AGitterfarbe = AddAttribute("gitterfarbe", TFarbe::KlassenNummer, vkObjekt);
    AGitterfarbe->Value.SetObject(new TFarbe("gitterfarbe", this, 0, 0, 0));

    SetInt(AStrichabstand, 10);
    AName->Value.SetString("Fenster");
    if (Window) {
        SetInt(ALinks, Window->Left());
        SetInt(AOben, Window->Top());
        SetInt(ABreite, Window->Width());
        SetInt(AHoehe, Window->Height());
        ColourOf(AHintergrundfarbe).SetFromColourValue(Window->Canvas().BackgroundColor);
        ColourOf(AGitterfarbe).SetFromColourValue(Window->Canvas().GridColor);
    } else {
        SetInt(ALinks, 0);
        SetInt(AOben, 0);
        SetInt(ABreite, 0);
        SetInt(AHoehe, 0);
    }

    AddSetters(noSetters);
}

TFenster::~TFenster() {
    // A window object freed before the end of its run (a local variable of a
    // program method) still passes its picture on.
    CloseDrawingWindow();
}

TFarbe& TFenster::ColourOf(const TAttribut* a) const { return static_cast<TFarbe&>(*a->Value.AsObject()); }

TDrawCanvas* TFenster::Canvas() const { return Window ? &Window->Canvas() : nullptr; }

TScreenSize TFenster::ScreenSize() {
    TDrawingWindowHost* host = DrawingWindowHost();
    return host ? host->PrimaryScreenSize() : FallbackScreen;
}

TScreenSize TFenster::DesktopSize() {
    TDrawingWindowHost* host = DrawingWindowHost();
    return host ? host->DesktopSize() : FallbackScreen;
}

void TFenster::AttributeChanged(TAttribut* a) {
    if (a == AName) {
        if (Window) {
            Window->SetCaptionBase(AName->Value.AsString());
            Window->RefreshCaption();
        }
        return;
    }
    if (a == AStrichabstand) {
        if (Window) Window->Canvas().GridSpacing = GetInt(AStrichabstand);
        return;
    }
    if (a == AHintergrundfarbe || a == AGitterfarbe) {
        Repaint();
        return;
    }

    const TScreenSize screen = ScreenSize();
    SetInt(ALinks, ClampLowThenHigh(GetInt(ALinks), 0, std::int64_t{screen.Width} - 10));
    SetInt(AOben, ClampLowThenHigh(GetInt(AOben), 0, std::int64_t{screen.Height} - 10));
    SetInt(ABreite, ClampHighThenLow(GetInt(ABreite), screen.Width, 10));
    SetInt(AHoehe, ClampHighThenLow(GetInt(AHoehe), screen.Height, 10));
    if (!Window) return;
    if (a == ALinks) Window->SetLeft(GetInt(ALinks));
    else if (a == AOben) Window->SetTop(GetInt(AOben));
    else if (a == ABreite) Window->SetWidth(GetInt(ABreite));
    else if (a == AHoehe) Window->SetHeight(GetInt(AHoehe));
}

void TFenster::CallMethod(std::int32_t n, TStack& stack) {
    switch (n) {
    case mnVerschiebe: {
        const std::int32_t dy = stack.PopInteger();
        const std::int32_t dx = stack.PopInteger();
        if (!Window) return;
        const TScreenSize desktop = DesktopSize();
        const std::int64_t left = std::int64_t{Window->Left()} + dx;
        if (left >= 0 && left <= std::int64_t{desktop.Width} - 10) Window->SetLeft(static_cast<int>(left));
        const std::int64_t top = std::int64_t{Window->Top()} + dy;
        if (top >= 0 && top <= std::int64_t{desktop.Height} - 10) Window->SetTop(static_cast<int>(top));
        break;
    }
    case mnZeichne:
        ShowFigure(stack.PopObject());
        break;
    case mnGitterEin:
        if (Window) Window->Canvas().Grid = true;
        break;
    case mnGitterAus:
        if (Window) Window->Canvas().Grid = false;
        break;
    default:
        break;
    }
}

std::unique_ptr<TObjekt> TFenster::Clone(const std::string& name, TObjekt* owner) {
    auto copy = std::make_unique<TFenster>(name, owner);
    copy->AName->Value.SetString(AName->Value.AsString());
    if (Window && copy->Window) copy->Window->Canvas().Grid = Window->Canvas().Grid;
    SetInt(copy->AStrichabstand, GetInt(AStrichabstand));
    return copy;
}

void TFenster::ShowFigure(TObjekt* figure) {
    if (!Window) return;
    AddFigure(figure);
    Repaint();
}

void TFenster::AddFigure(TObjekt* figure) {
    if (Window && figure && figure->Drawable) Window->Canvas().AddFigure(figure);
}

// The colour objects can also be changed one component at a time
// (f.hintergrundfarbe.rot := 255), which only the colour object hears of; the
// canvas takes their values before every paint so that the picture never
// disagrees with the attributes.
void TFenster::Repaint() {
    if (!Window) return;
    if (!DeferPaints) return PaintNow();
    Owed = true;
    Window->RepaintLater();
}

void TFenster::PaintNow() {
    Owed = false;
    TakeColours();
    Window->Repaint();
}

void TFenster::TakeColours() {
    Window->Canvas().BackgroundColor = ColourOf(AHintergrundfarbe).ColourValue();
    Window->Canvas().GridColor = ColourOf(AGitterfarbe).ColourValue();
}

void TFenster::SettleProbes() {
    if (!Owed || !Window) return;
    TakeColours();
    if (!Window->Canvas().SenseOnly()) PaintNow();
}

void TFenster::JoinRun(TPaintDebtor& run, const TPaintShortcuts& shortcuts) {
    if (!shortcuts.Defer) SettlePaint();
    DeferPaints = shortcuts.Defer;
    if (!Window) return;
    Window->Canvas().Shortcuts = shortcuts;
    // A run that paints at once never owes a paint.
    Window->SetPaintDebtor(shortcuts.Defer ? &run : nullptr);
}

void TFenster::SettlePaint() {
    if (Owed && Window) PaintNow();
    Owed = false;
}

void TFenster::RunEnded() {
    SettlePaint();
    if (!Window) return;
    Window->Canvas().PaintEnabled = false;
    Window->SetPaintDebtor(nullptr);
}

void TFenster::CloseDrawingWindow() {
    if (!Window) return;
    SettlePaint();
    Window->Close();
    Window.reset();
}
