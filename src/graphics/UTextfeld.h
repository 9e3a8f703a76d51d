#pragma once
// TTextfeld: a rectangle that carries lines of text. It can fit its right and
// bottom edge to the text ("groesseAutomatischAnpassen") and aligns the lines
// inside its frame; "durchsichtig" leaves out frame and fill. The text is
// never turned: a turned text field places it in its new bounds.
#include "URechteck.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TCanvas;

class TTextfeld : public TRechteck {
public:
    static constexpr std::int32_t KlassenNummer = 272;
    enum : std::int32_t {
        mnZeileHinzufuegen = 10,
        mnZeilenLoeschen = 11,
    };

    TTextfeld(std::string name, TObjekt* owner, bool noSetters = false);
    ~TTextfeld() override;
    TTextfeld(const TTextfeld&) = delete;
    TTextfeld& operator=(const TTextfeld&) = delete;

    void AttributeChanged(TAttribut* attribute) override;
    void CallMethod(std::int32_t methodNumber, TStack& stack) override;
    void Draw(TDrawCanvas& canvas) override;
    std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) override;
    void Assign(const TObjekt& source) override;
    // Its lines and their measures are not told: every call is a change.
    bool ShapeState(TShapeState&) const override { return false; }
    // The text decides the size afterwards: only the upper left corner moves.
    void StretchAbout(double cx, double cy, double factor) override;

    const std::vector<std::string>& Lines() const { return Zeilen; }
    bool AutoSize() const { return GetBool(AGroesseAutomatischAnpassen); }

    TAttribut* AGroesseAutomatischAnpassen;
    TAttribut* AAusrichtungHorizontal;
    TAttribut* AAusrichtungVertikal;
    TAttribut* ASchriftart;
    TAttribut* ASchriftgroesse;
    TAttribut* ASchriftfarbe;
    TAttribut* ADurchsichtig;

private:
    struct TTextMetrics {
        std::int64_t LineHeight = 0;  // h
        std::int64_t Gap = 0;         // g, between lines and to the frame
        std::int64_t Height = 0;      // t, all lines with the gaps between them
    };

    // Sets the font of the text on `c`.
    void UseFont(TCanvas& c) const;
    // h, g and t on a canvas whose font is already set.
    TTextMetrics Measure(TCanvas& c) const;
    // Fits the right and bottom edge to the text, measured on the text
    // measure canvas.
    void TextSize();
    // TextSize where no attribute change follows: "breite" and "hoehe" are
    // brought in step with the new edges too.
    void FitToText();
    // The widest line on the text measure canvas, remembered per font so that
    // adding a line does not measure all earlier ones again.
    std::int64_t WidestLine(TCanvas& c);

    std::vector<std::string> Zeilen;
    // What the lines hold, as told to ProgramMemory: the run's memory
    // budget counts the lines a program gives its text fields.
    std::int64_t FLineBytes = 0;
    static std::int64_t LineBytes(const std::string& line);
    void CountLines(std::int64_t bytes);

    std::int64_t WidestWidth = 0;
    std::size_t WidestCounted = 0;  // lines already in WidestWidth
    TCanvas* WidestCanvas = nullptr;
    std::string WidestFontName;
    int WidestFontSize = 0;
};
