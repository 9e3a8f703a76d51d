#pragma once
// TFigur and TGefuellteFigur: what every drawable object of the language
// shares. A figure keeps its bounding box twice: as reals for exact geometry
// (Left, Right, Top, Bottom) and as the Integer attributes the program sees
// ("links", "rechts", "oben", "unten", "breite", "hoehe"). World coordinates:
// one unit is one pixel, y points up, so Top >= Bottom after Normalize.
//
// The concrete figure classes derive from these and override the eleven
// virtual operations: the five of TObjekt and MoveTopLeftTo, MoveBy,
// StretchAbout, MirrorX, MirrorY and RotateAbout.
//
// Constructing a class: the public constructor builds the complete class and
// calls AddSetters last; the protected one taking AsBase builds the members
// only, so that a subclass can add and hide its own before it calls
// AddSetters(noSetters) itself.
#include "UObjekt.h"
#include "URunden.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TFarbe;
class TFigur;
class TStack;

struct TAsBase {
    explicit TAsBase() = default;
};
inline constexpr TAsBase AsBase{};

// Told when a figure it watches is destroyed, so that nobody keeps drawing a
// figure that a closed method scope has freed.
class TFigurWatcher {
public:
    virtual void FigureDestroyed(TFigur* figure) = 0;

protected:
    ~TFigurWatcher() = default;
};

class TFigur : public TObjekt {
public:
    static constexpr std::int32_t KlassenNummer = 2;

    // Method numbers of the shared methods.
    enum : std::int32_t {
        mnVerschieben = 1,
        mnEckenSetzen = 7,
        mnLinksObenSetzen = 8,
        mnRechtsUntenSetzen = 9,
        mnStrecken = 30,
        mnVerschiebenNach = 31,
        mnDrehen = 45,
        mnDrehenUm = 146,
        mnStreckenAn = 147,
    };

    TFigur(std::string name, TObjekt* owner, bool noSetters = false);
    ~TFigur() override;

    void AttributeChanged(TAttribut* attribute) override;
    void CallMethod(std::int32_t methodNumber, TStack& stack) override;
    // Sets the outline pen when visible; draws nothing.
    void Draw(TDrawCanvas& canvas) override;
    std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) override;
    void Assign(const TObjekt& source) override;

    virtual void MoveTopLeftTo(std::int32_t x, std::int32_t y);
    virtual void MoveBy(std::int32_t dx, std::int32_t dy);
    virtual void StretchAbout(double cx, double cy, double factor);
    virtual void MirrorX(double c);  // across the vertical line x = c
    virtual void MirrorY(double c);  // across the horizontal line y = c
    virtual void RotateAbout(double angle, double cx, double cy);  // degrees; does nothing here
    // Run by the canvas on every paint after the other figures are drawn and
    // before any turtle is; only turtles probe the picture.
    virtual void Sense(TDrawCanvas&) {}
    // What Draw changes in the figure itself, done without drawing, for a
    // paint that is put off (see UDeferredPaint.h): afterwards the figure is
    // as the paint would have left it. Most figures keep nothing from a paint.
    virtual void Arrange(TDrawCanvas&) {}

    // Orders the real bounds and copies those below the coordinate limit,
    // rounded, into the attributes; then breite and hoehe from the attributes.
    void Normalize();
    // Turns (x, y) about (cx, cy) by `angle` degrees, counter-clockwise.
    static void RotatePoint(double& x, double& y, double cx, double cy, double angle);

    bool Sichtbar() const;
    TFarbe& Randfarbe() const;

    // Integer/Boolean attribute access for the figure classes.
    static std::int32_t GetInt(const TAttribut* a);
    static void SetInt(TAttribut* a, std::int32_t value);
    static bool GetBool(const TAttribut* a);
    static double GetReal(const TAttribut* a);
    // The colour object an attribute holds.
    static TFarbe& ColourOf(const TAttribut* a);

    void AddWatcher(TFigurWatcher* watcher);
    void RemoveWatcher(TFigurWatcher* watcher);
    bool WatchedBy(const TFigurWatcher* watcher) const;

    // Bounds as they were at the start of the last method call or the end of
    // the last attribute change; an edge pushed past the other keeps this width.
    double PrevLeft = -10, PrevRight = 10, PrevTop = 10, PrevBottom = -10;
    double Left = -10, Right = 10, Top = 10, Bottom = -10;
    // The last paint or arranging of any canvas that drew this figure
    // (TDrawCanvas keeps the count).
    std::uint64_t ShownBySerial = 0;

    // The shared attributes and methods, for fast access and so that
    // subclasses can hide or rename them.
    TAttribut* ALinks;
    TAttribut* AOben;
    TAttribut* ARechts;
    TAttribut* AUnten;
    TAttribut* ARandfarbe;
    TAttribut* ARandstaerke;
    TAttribut* ARandart;
    TAttribut* ASichtbar;
    TAttribut* ABreite;
    TAttribut* AHoehe;
    // Places of the shared methods in Methods(), for HideMethod: the figure
    // adds them first, in this order.
    enum : std::size_t {
        MVerschieben,
        MEckenSetzen,
        MLinksObenSetzen,
        MRechtsUntenSetzen,
        MStrecken,
        MVerschiebenNach,
        MDrehen,
        MDrehenUm,
        MStreckenAn,
    };

protected:
    TFigur(std::string name, TObjekt* owner, TAsBase);
    // verschieben(dx, dy): pops its two arguments and moves by them through
    // the figure's own MoveBy.
    void MoveByArguments(TStack& stack);
    // A colour object owned by this figure, held by a new attribute.
    TAttribut* AddColourAttribute(const std::string& name, std::int32_t r, std::int32_t g, std::int32_t b);
    // The attributes and bounds, for the classes whose ShapeState adds
    // the rest of what they draw from.
    bool FigureShape(TShapeState& state) const;

private:
    // Nearly every figure has one watcher, the canvas that shows it: that
    // one is kept in place, any later ones in a list made when needed, in
    // the order added.
    TFigurWatcher* FirstWatcher = nullptr;
    std::unique_ptr<std::vector<TFigurWatcher*>> MoreWatchers;
};

class TGefuellteFigur : public TFigur {
public:
    static constexpr std::int32_t KlassenNummer = 4;

    TGefuellteFigur(std::string name, TObjekt* owner, bool noSetters = false);

    // Outline pen and fill brush when visible; draws nothing.
    void Draw(TDrawCanvas& canvas) override;
    std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) override;
    void Assign(const TObjekt& source) override;

    TFarbe& Fuellfarbe() const;

    TAttribut* AFuellfarbe;
    TAttribut* AFuellart;

protected:
    TGefuellteFigur(std::string name, TObjekt* owner, TAsBase);
};
