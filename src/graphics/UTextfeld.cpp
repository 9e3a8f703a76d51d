#include "UTextfeld.h"

#include "UDrawCanvas.h"
#include "UProgramMemory.h"
#include "UFarbe.h"
#include "UStack.h"
#include "UTextMass.h"

#include <algorithm>
#include <utility>

namespace {

// A line runs off every screen long before this many characters, at any font
// size. Only this much of a longer line is measured and drawn: a loop that
// doubles a text reaches millions of characters, and measuring those at every
// repaint would freeze the drawing window.
constexpr std::size_t MaxShownCharacters = 10000;

const std::string& Shown(const std::string& line, std::string& scratch) {
    if (line.size() <= MaxShownCharacters) return line;
    scratch.assign(line, 0, MaxShownCharacters);
    return scratch;
}

} // namespace

TTextfeld::TTextfeld(std::string name, TObjekt* owner, bool noSetters) : TRechteck(std::move(name), owner, AsBase) {
    ClassName = "TEXTFELD";
    ClassNumber = KlassenNummer;
    Drawable = true;

    TMethode* m = AddMethod("zeileHinzufuegen", mnZeileHinzufuegen);
    m->AddParameter("Text", vkString, 0);
    AddMethod("zeilenLoeschen", mnZeilenLoeschen);

    AGroesseAutomatischAnpassen = AddAttribute("groesseAutomatischAnpassen", 0, vkBoolean);
    AGroesseAutomatischAnpassen->Value.SetBoolean(true);
    AAusrichtungHorizontal = AddAttribute("ausrichtungHorizontal", 0, vkInteger);
    SetInt(AAusrichtungHorizontal, 0);
    AAusrichtungVertikal = AddAttribute("ausrichtungVertikal", 0, vkInteger);
    SetInt(AAusrichtungVertikal, 0);
    ASchriftart = AddAttribute("schriftart", 0, vkString);
    ASchriftart->Value.SetString("Arial");
    ASchriftgroesse = AddAttribute("schriftgroesse", 0, vkInteger);
    SetInt(ASchriftgroesse, 12);
    ASchriftfarbe = AddColourAttribute("schriftfarbe", 0, 0, 0);
    ADurchsichtig = AddAttribute("durchsichtig", 0, vkBoolean);
    ADurchsichtig->Value.SetBoolean(false);
    AddSetters(noSetters);
}

void TTextfeld::UseFont(TCanvas& c) const {
    c.Font.Name = ASchriftart->Value.AsString();
    c.Font.Size = GetInt(ASchriftgroesse);
    c.Font.Style = 0;
}

TTextfeld::TTextMetrics TTextfeld::Measure(TCanvas& c) const {
    TTextMetrics m;
    const std::int64_t n = static_cast<std::int64_t>(Zeilen.size());
    if (n == 0) return m;
    // One line is as high as itself; several share the height of a line
    // with ascenders and descenders.
    std::string scratch;
    m.LineHeight = n == 1 ? c.TextHeight(Shown(Zeilen.front(), scratch)) : c.TextHeight("HDF|g");
    m.Gap = static_cast<std::int64_t>(RoundEven(static_cast<double>(m.LineHeight) / 4));
    m.Height = m.LineHeight * n + m.Gap * (n - 1);
    return m;
}

std::int64_t TTextfeld::WidestLine(TCanvas& c) {
    if (&c != WidestCanvas || c.Font.Name != WidestFontName || c.Font.Size != WidestFontSize ||
        WidestCounted > Zeilen.size()) {
        WidestCanvas = &c;
        WidestFontName = c.Font.Name;
        WidestFontSize = c.Font.Size;
        WidestWidth = 0;
        WidestCounted = 0;
    }
    std::string scratch;
    for (; WidestCounted < Zeilen.size(); ++WidestCounted)
        WidestWidth = std::max<std::int64_t>(WidestWidth, c.TextWidth(Shown(Zeilen[WidestCounted], scratch)));
    return WidestWidth;
}

void TTextfeld::TextSize() {
    TCanvas& c = TextMeasureCanvas();
    UseFont(c);
    const TTextMetrics m = Measure(c);
    const std::int64_t w = Zeilen.empty() ? 0 : WidestLine(c);
    SetInt(ARechts, SaturateInt32(GetInt(ALinks) + w + 2 * m.Gap));
    SetInt(AUnten, SaturateInt32(GetInt(AOben) - m.Height - 2 * m.Gap));
    Right = GetInt(ARechts);
    Bottom = GetInt(AUnten);
}

void TTextfeld::FitToText() {
    TextSize();
    SetInt(ABreite, SaturateInt32(std::int64_t{GetInt(ARechts)} - GetInt(ALinks)));
    SetInt(AHoehe, SaturateInt32(std::int64_t{GetInt(AOben)} - GetInt(AUnten)));
}

TTextfeld::~TTextfeld() { CountLines(-FLineBytes); }

std::int64_t TTextfeld::LineBytes(const std::string& line) {
    return static_cast<std::int64_t>(sizeof(std::string)) + ProgramMemory::HeapOf(line);
}

void TTextfeld::CountLines(std::int64_t bytes) {
    FLineBytes += bytes;
    ProgramMemory::Add(bytes);
}

void TTextfeld::AttributeChanged(TAttribut* a) {
    if (AutoSize()) TextSize();
    TRechteck::AttributeChanged(a);
}

void TTextfeld::CallMethod(std::int32_t n, TStack& stack) {
    TRechteck::CallMethod(n, stack);
    if (n == mnZeileHinzufuegen) {
        Zeilen.push_back(stack.PopString());
        CountLines(LineBytes(Zeilen.back()));
        // Only the edges follow the text; "breite" and "hoehe" show the new
        // size from the next change on, as after any edge assignment.
        if (AutoSize()) TextSize();
    } else if (n == mnZeilenLoeschen) {
        // The frame keeps its size until the next fit.
        Zeilen.clear();
        CountLines(-FLineBytes);
        WidestCanvas = nullptr;
    }
}

void TTextfeld::StretchAbout(double cx, double cy, double factor) {
    TRechteck::StretchAbout(cx, cy, factor);
    if (AutoSize()) FitToText();
}

void TTextfeld::Draw(TDrawCanvas& canvas) {
    const bool sichtbar = Sichtbar();
    if (sichtbar && !GetBool(ADurchsichtig)) TRechteck::Draw(canvas);
    if (!sichtbar || Zeilen.empty()) return;

    TCanvas& c = canvas.Target();
    UseFont(c);
    c.Font.Color = ColourOf(ASchriftfarbe).ColourValue();
    c.Brush.Style = 1;
    const TTextMetrics m = Measure(c);

    const std::int64_t links = GetInt(ALinks), rechts = GetInt(ARechts);
    const std::int64_t oben = GetInt(AOben), unten = GetInt(AUnten);
    std::int64_t y;
    switch (GetInt(AAusrichtungVertikal)) {
    case 0: y = oben - static_cast<std::int64_t>(RoundEven(static_cast<double>(oben - unten - m.Height) / 2)); break;
    case 1: y = oben - m.Gap; break;
    case 2: y = unten + m.Height + m.Gap; break;
    default: y = oben; break;
    }

    const std::int32_t horizontal = GetInt(AAusrichtungHorizontal);
    const int surfaceHeight = canvas.Surface().Height();
    std::string scratch;
    for (const std::string& whole : Zeilen) {
        const std::string& line = Shown(whole, scratch);
        const int top = canvas.ToDeviceY(static_cast<double>(y));
        // Lines run downwards: the first one below the surface ends the text,
        // lines above it cost no measuring.
        if (top >= surfaceHeight && m.LineHeight + m.Gap > 0) break;
        if (top + m.LineHeight > 0) {
            const std::int64_t w = c.TextWidth(line);
            std::int64_t x;
            switch (horizontal) {
            case 0: x = links + static_cast<std::int64_t>(RoundEven(static_cast<double>(rechts - links - w) / 2)); break;
            case 1: x = links + m.Gap; break;
            case 2: x = rechts - w - m.Gap; break;
            default: x = links; break;
            }
            c.TextOut(canvas.ToDeviceX(static_cast<double>(x)), top, line);
        }
        y -= m.LineHeight + m.Gap;
    }
    c.Brush.Style = 0;
}

std::unique_ptr<TObjekt> TTextfeld::Clone(const std::string& name, TObjekt* owner) {
    auto copy = std::make_unique<TTextfeld>(name, owner);
    copy->Assign(*this);
    // A private copy (a group's "kopiere") must look like its source: with
    // the sizing of a new field, a frame set by hand would shrink to its text
    // at the copy's next change.
    copy->AGroesseAutomatischAnpassen->Value.SetBoolean(AutoSize());
    return copy;
}

void TTextfeld::Assign(const TObjekt& source) {
    TRechteck::Assign(source);
    const auto* src = dynamic_cast<const TTextfeld*>(&source);
    if (!src || src == this) return;
    ASchriftart->Value.SetString(src->ASchriftart->Value.AsString());
    SetInt(AAusrichtungHorizontal, GetInt(src->AAusrichtungHorizontal));
    SetInt(AAusrichtungVertikal, GetInt(src->AAusrichtungVertikal));
    SetInt(ASchriftgroesse, GetInt(src->ASchriftgroesse));
    ColourOf(ASchriftfarbe).Assign(ColourOf(src->ASchriftfarbe));
    ADurchsichtig->Value.SetBoolean(GetBool(src->ADurchsichtig));
    // "groesseAutomatischAnpassen" stays the target's own: an assigned
    // field sizes itself as it was told to.
    Zeilen = src->Zeilen;
    CountLines(src->FLineBytes - FLineBytes);
    WidestCounted = 0;
    WidestWidth = 0;
    WidestCanvas = nullptr;
}
