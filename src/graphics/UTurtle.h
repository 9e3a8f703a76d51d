#pragma once
// TTurtle: the turtle-graphics figure. A cursor with a position and a heading
// that leaves a trail of line segments while its pen is down. The trail is
// kept as segments in world coordinates, so the turtle moves, stretches,
// mirrors and turns like any other figure.
//
// Turtles are drawn after every other figure of a drawing window, and before
// they are drawn each one probes the picture under and one unit ahead of its
// position ("aufPunkt", "vorPunkt"); the probes therefore see background,
// grid, axes and the ordinary figures, but never trails or turtle shapes.
#include "UCanvas.h"
#include "UFigur.h"
#include "UTurtleSpur.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TFarbe;
class TPaintDebtor;

class TTurtle : public TFigur {
public:
    static constexpr std::int32_t KlassenNummer = 62;

    enum : std::int32_t {
        mnVor = 50,
        mnZurueck = 51,
        mnLinksdrehen = 52,
        mnRechtsdrehen = 53,
        mnStiftAuf = 54,
        mnStiftAb = 55,
        mnAllesLoeschen = 56,
        mnAufPunkt = 57,
        mnVorPunkt = 58,
        mnSetzeXY = 59,
    };

    // A trail longer than this is not recorded any further: a runaway loop
    // ends with a message instead of eating all memory.
    static constexpr std::size_t MaxTrailSegments = 1000000;

    using TSegment = TSpurSegment;

    TTurtle(std::string name, TObjekt* owner, bool noSetters = false);
    ~TTurtle() override;

    void AttributeChanged(TAttribut* attribute) override;
    void CallMethod(std::int32_t methodNumber, TStack& stack) override;
    void Draw(TDrawCanvas& canvas) override;
    // The copy settles the same run's paints.
    std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) override;
    // The run whose owed paints are settled before a probe is reported;
    // none when nothing can owe this turtle a paint.
    void SetPaintDebtor(TPaintDebtor* run) { Run = run; }
    // Everything but "linienstaerke", which keeps this turtle's value.
    void Assign(const TObjekt& source) override;

    void MoveBy(std::int32_t dx, std::int32_t dy) override;
    void StretchAbout(double cx, double cy, double factor) override;
    void MirrorX(double c) override;
    void MirrorY(double c) override;
    // Turns the drawing; the turtle keeps its position and heading.
    void RotateAbout(double angle, double cx, double cy) override;
    void Sense(TDrawCanvas& canvas) override;
    // The two pixels Sense reads.
    void ProbedPixels(const TDrawCanvas& canvas, TPoint& on, TPoint& ahead) const;
    // Sense for a canvas that draws no turtle after it: the next Draw is not
    // the one right after a probe.
    void SenseOnly(TDrawCanvas& canvas) {
        Sense(canvas);
        SensedForPaint = false;
    }

    const std::vector<TSegment>& Trail() const { return TrailSegments; }
    double X() const { return PosX; }
    double Y() const { return PosY; }
    double Heading() const { return HeadingDeg; }
    bool PenDown() const { return PenIsDown; }
    bool OnPoint() const { return OnPointFlag; }
    bool PointAhead() const { return PointAheadFlag; }
    bool TurtleSichtbar() const;
    TFarbe& Farbe() const;

    // Folds a heading above 360 or below 0 by whole turns of the truncated
    // heading: 370 -> 10, 720 -> 0, -450 -> -90; 360 and -90 stay.
    static double NormalizedHeading(double heading);

    TAttribut* AFarbe;
    TAttribut* ALinienstaerke;
    TAttribut* ATurtleSichtbar;
    TAttribut* AX;
    TAttribut* AY;
    TAttribut* AKurs;

private:
    // Steps to the target; with the pen down records the segment and widens
    // the bounds. Returns false when the trail is full.
    bool GoTo(double x, double y);
    void WriteBack();
    // Existing segments changed: a kept picture of the trail is out of date.
    void TrailChanged() { ++TrailGeneration; }

    bool PenIsDown = true;
    double PosX = 0, PosY = 0;
    double HeadingDeg = 0;
    std::vector<TSegment> TrailSegments;
    bool OnPointFlag = false;
    bool PointAheadFlag = false;

    // Only turtles a window draws on top of everything keep a picture of
    // their trail; they are the ones it probes right before drawing them.
    bool SensedForPaint = false;
    TPaintDebtor* Run = nullptr;
    std::uint64_t TrailGeneration = 0;
    std::unique_ptr<TSpurBild> TrailPicture;
};
