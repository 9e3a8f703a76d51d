#include "UGruppe.h"

#include "UDrawCanvas.h"
#include "UFarbe.h"
#include "UMeldungen.h"
#include "UStack.h"
#include "UTurtle.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

const char* const NichtSelbstEnthalten = "Eine Gruppe kann sich nicht selbst enthalten.";
const char* const ZuTiefVerschachtelt = "Die Gruppen sind zu tief verschachtelt.";
const char* const ZuVieleFiguren = "Die Gruppe enth\xE4lt zu viele Figuren.";

// Filled classes take a group's fill; the line takes its outline colour as
// its own colour too (class numbers encode the class tree by divisibility).
constexpr std::int32_t FilledClass = 4;
constexpr std::int32_t LineClass = 23;

// Walks run for every member on every paint: the class number is asked
// first, since a failing dynamic_cast costs a walk of the class tree.
const TGruppe* AsGroup(const TFigur& f) {
    return f.ClassNumber == TGruppe::KlassenNummer ? dynamic_cast<const TGruppe*>(&f) : nullptr;
}

std::int64_t OwnCost(const TFigur& f) {
    if (f.ClassNumber == TTurtle::KlassenNummer)
        if (const auto* turtle = dynamic_cast<const TTurtle*>(&f))
            return TGruppe::FigureCost + static_cast<std::int64_t>(turtle->Trail().size());
    return TGruppe::FigureCost;
}

// Every walk over members, however it is nested (a group drawing a group
// that copies a group ...), stays within these. They are looser than what
// joining a group allows, so they only cut short structures that grew behind
// the checks: a swallowed group or turtle that grew afterwards.
constexpr int WalkDepthLimit = 2 * TGruppe::MaxNesting;
constexpr std::int64_t WalkBudget = 4 * TGruppe::MaxCost;

struct TWalk {
    int Depth = 0;
    std::int64_t Budget = 0;
};
thread_local TWalk Walk;

class TWalkLevel {
public:
    TWalkLevel() {
        if (Walk.Depth == 0) Walk.Budget = WalkBudget;
        ++Walk.Depth;
    }
    ~TWalkLevel() { --Walk.Depth; }
    TWalkLevel(const TWalkLevel&) = delete;
    TWalkLevel& operator=(const TWalkLevel&) = delete;
    bool TooDeep() const { return Walk.Depth > WalkDepthLimit; }
};

// Cost and nesting depth of a figure, and whether `Target` is inside it.
// Groups shared by several paths are measured once, but counted once per
// path, as drawing visits them once per path.
class TMeasure {
public:
    struct TResult {
        std::int64_t Cost = 0;
        int Depth = 0;  // 0 for a figure that is no group
        bool Reaches = false;
    };

    explicit TMeasure(const TFigur* target) : Target(target) {}

    TResult Of(const TFigur& f) {
        const auto* g = dynamic_cast<const TGruppe*>(&f);
        if (!g) return {OwnCost(f), 0, &f == Target};
        if (auto it = Known.find(g); it != Known.end()) return it->second;
        if (Level >= WalkDepthLimit) return {TGruppe::MaxCost + 1, WalkDepthLimit, false};
        ++Level;
        TResult r{TGruppe::FigureCost, 1, g == Target};
        for (const TFigur* m : g->Members()) {
            const TResult sub = Of(*m);
            r.Cost = std::min(r.Cost + sub.Cost, TGruppe::MaxCost + 1);
            r.Depth = std::max(r.Depth, sub.Depth + 1);
            r.Reaches = r.Reaches || sub.Reaches;
        }
        --Level;
        Known.emplace(g, r);
        return r;
    }

private:
    const TFigur* Target;
    std::unordered_map<const TGruppe*, TResult> Known;
    int Level = 0;
};

// Every figure drawn and moved through `f`: itself and, for a group, all its
// members at any depth.
std::unordered_set<const TFigur*> Reachable(const TFigur& f) {
    std::unordered_set<const TFigur*> seen;
    std::vector<const TFigur*> open{&f};
    while (!open.empty()) {
        const TFigur* next = open.back();
        open.pop_back();
        if (!seen.insert(next).second) continue;
        if (const auto* g = dynamic_cast<const TGruppe*>(next))
            for (const TFigur* m : g->Members()) open.push_back(m);
    }
    return seen;
}

// A copy made for a group: no name, owned by the group.
std::unique_ptr<TFigur> CopyOf(TFigur& f, TObjekt* group) {
    std::unique_ptr<TObjekt> copy = f.Clone("", group);
    if (!dynamic_cast<TFigur*>(copy.get())) return nullptr;
    return std::unique_ptr<TFigur>(static_cast<TFigur*>(copy.release()));
}

} // namespace

TGruppe::TGruppe(std::string name, TObjekt* owner, bool noSetters)
    : TGefuellteFigur(std::move(name), owner, AsBase) {
    ClassName = "GRUPPE";
    ClassNumber = KlassenNummer;
    Drawable = true;
    // ORDER GROUP: the class tree and code completion list these as registered.
    AddMethod("kopiere", mnKopiere)->AddParameter("figur", vkObjekt, TFigur::KlassenNummer);
    AddMethod("schlucke", mnSchlucke)->AddParameter("figur", vkObjekt, TFigur::KlassenNummer);
    AddMethod("spiegleX", mnSpiegleX);
    AddMethod("spiegleY", mnSpiegleY);
    AddSetters(noSetters);
}

TGruppe::~TGruppe() {
    ReleaseMembers();
    MemberList.clear();
}

template <class Action>
void TGruppe::ForEachMember(Action&& action) const {
    TWalkLevel level;
    if (level.TooDeep()) return;
    // By index: an action may not add members, but it must not trip over a
    // reallocation if it ever did.
    for (std::size_t i = 0; i < MemberList.size(); ++i) {
        TFigur& m = *MemberList[i];
        const std::int64_t cost = AsGroup(m) ? FigureCost : OwnCost(m);
        if (Walk.Budget < cost) return;
        Walk.Budget -= cost;
        action(m);
    }
}

bool TGruppe::Owns(const TFigur* figure) const {
    return std::any_of(CopyList.begin(), CopyList.end(), [figure](const auto& c) { return c.get() == figure; });
}

void TGruppe::ReleaseMembers() {
    for (TFigur* m : MemberList)
        if (!Owns(m)) m->RemoveWatcher(this);
}

void TGruppe::FigureDestroyed(TFigur* figure) {
    MemberList.erase(std::remove(MemberList.begin(), MemberList.end(), figure), MemberList.end());
    TObjekt::NoteChange(this);
}

void TGruppe::StampParts(std::uint64_t stamp) {
    // A group already stamped was walked already (members may be shared).
    StampChange(stamp);
    std::vector<TGruppe*> open;
    for (TGruppe* g = this; g;) {
        for (TFigur* m : g->MemberList) {
            auto* sub = m->ClassNumber == KlassenNummer ? dynamic_cast<TGruppe*>(m) : nullptr;
            if (sub && sub->LastChange() != stamp) open.push_back(sub);
            m->StampChange(stamp);
        }
        g = nullptr;
        if (!open.empty()) {
            g = open.back();
            open.pop_back();
        }
    }
}

const char* TGruppe::Add(TFigur& figure, bool asCopy) {
    TMeasure measure(this);
    const TMeasure::TResult joining = measure.Of(figure);
    // A copy holds copies of the members, never the group itself, so only
    // swallowing can close a cycle; copying the group into itself is fine.
    if (!asCopy && (&figure == this || joining.Reaches)) return NichtSelbstEnthalten;
    const TMeasure::TResult own = measure.Of(*this);
    if (std::max(own.Depth, joining.Depth + 1) > MaxNesting) return ZuTiefVerschachtelt;
    if (own.Cost + joining.Cost > MaxCost) return ZuVieleFiguren;

    // A figure the group already moves (itself or inside a member group)
    // would be moved, stretched and turned twice by every operation and
    // leave the group's bounds behind: swallowing it again changes nothing.
    if (!asCopy) {
        const std::unordered_set<const TFigur*> held = Reachable(*this);
        for (const TFigur* f : Reachable(figure))
            if (held.count(f)) return nullptr;
    }

    TFigur* member = &figure;
    if (asCopy) {
        if (TObjekt::LiveCount() >= MaxLive) return Meldung::ZuVieleObjekte;
        std::unique_ptr<TFigur> copy = CopyOf(figure, this);
        if (!copy) return nullptr;
        // A copied turtle shows its trail, not itself.
        if (auto* turtle = dynamic_cast<TTurtle*>(copy.get())) turtle->ATurtleSichtbar->Value.SetBoolean(false);
        member = copy.get();
        CopyList.push_back(std::move(copy));
    } else {
        figure.AddWatcher(this);
    }
    MemberList.push_back(member);

    if (MemberList.size() == 1) {
        Left = member->Left;
        Right = member->Right;
        Top = member->Top;
        Bottom = member->Bottom;
    } else {
        Left = std::min(Left, member->Left);
        Right = std::max(Right, member->Right);
        Top = std::max(Top, member->Top);
        Bottom = std::min(Bottom, member->Bottom);
    }
    TakeSnapshot();
    Normalize();
    return nullptr;
}

void TGruppe::BoundsFromMembers() {
    if (MemberList.empty()) return;
    // The union starts from the first member, so that members far out
    // (beyond +-10000) are enclosed as well.
    double l = MemberList[0]->Left, r = MemberList[0]->Right;
    double t = MemberList[0]->Top, b = MemberList[0]->Bottom;
    for (const TFigur* m : MemberList) {
        l = std::min(l, m->Left);
        r = std::max(r, m->Right);
        t = std::max(t, m->Top);
        b = std::min(b, m->Bottom);
    }
    auto take = [](double& bound, double v) {
        if (std::fabs(v - bound) > 0.000001) bound = v;
    };
    take(Left, l);
    take(Right, r);
    take(Top, t);
    take(Bottom, b);
    Normalize();
}

void TGruppe::TakeSnapshot() {
    SnapLeft = Left;
    SnapRight = Right;
    SnapTop = Top;
    SnapBottom = Bottom;
}

void TGruppe::OrderBounds() {
    if (Left > Right) std::swap(Left, Right);
    if (Bottom > Top) std::swap(Bottom, Top);
}

void TGruppe::CallMethod(std::int32_t n, TStack& stack) {
    TGefuellteFigur::CallMethod(n, stack);
    switch (n) {
    case mnKopiere:
    case mnSchlucke:
        if (auto* figure = dynamic_cast<TFigur*>(stack.PopObject()))
            if (const char* refusal = Add(*figure, n == mnKopiere)) MethodError = refusal;
        break;
    case mnSpiegleX:
        MirrorX(RoundEven((static_cast<double>(GetInt(ALinks)) + GetInt(ARechts)) / 2));
        break;
    case mnSpiegleY:
        MirrorY(RoundEven((static_cast<double>(GetInt(AOben)) + GetInt(AUnten)) / 2));
        break;
    default: break;
    }
}

void TGruppe::MoveBy(std::int32_t dx, std::int32_t dy) {
    BoundsFromMembers();
    TFigur::MoveBy(dx, dy);
    ForEachMember([dx, dy](TFigur& m) { m.MoveBy(dx, dy); });
    TakeSnapshot();
}

void TGruppe::StretchAbout(double cx, double cy, double f) {
    BoundsFromMembers();
    TFigur::StretchAbout(cx, cy, f);
    ForEachMember([=](TFigur& m) { m.StretchAbout(cx, cy, f); });
    OrderBounds();
    TakeSnapshot();
}

void TGruppe::MirrorX(double c) {
    BoundsFromMembers();
    TFigur::MirrorX(c);
    ForEachMember([c](TFigur& m) { m.MirrorX(c); });
    OrderBounds();
    TakeSnapshot();
}

void TGruppe::MirrorY(double c) {
    BoundsFromMembers();
    TFigur::MirrorY(c);
    ForEachMember([c](TFigur& m) { m.MirrorY(c); });
    OrderBounds();
    TakeSnapshot();
}

void TGruppe::RotateAbout(double angle, double cx, double cy) {
    ForEachMember([=](TFigur& m) { m.RotateAbout(angle, cx, cy); });
    BoundsFromMembers();
    TakeSnapshot();
}

void TGruppe::Draw(TDrawCanvas& canvas) {
    TGefuellteFigur::Draw(canvas);
    if (!Sichtbar()) return;
    ForEachMember([&canvas](TFigur& m) { m.Draw(canvas); });
}

void TGruppe::Arrange(TDrawCanvas& canvas) {
    if (!Sichtbar()) return;
    ForEachMember([&canvas](TFigur& m) { m.Arrange(canvas); });
}

void TGruppe::AttributeChanged(TAttribut* a) {
    TFigur::AttributeChanged(a);
    if (a == nullptr) {
        // nothing to pass on
    } else if (a == AFuellfarbe || a == AFuellart) {
        const TColor colour = Fuellfarbe().ColourValue();
        const std::int32_t style = GetInt(AFuellart);
        ForEachMember([&](TFigur& m) {
            auto* filled = dynamic_cast<TGefuellteFigur*>(&m);
            if (!filled || m.ClassNumber % FilledClass != 0) return;
            if (a == AFuellfarbe) {
                filled->Fuellfarbe().SetFromColourValue(colour);
                filled->AttributeChanged(filled->AFuellfarbe);
            } else {
                SetInt(filled->AFuellart, style);
                filled->AttributeChanged(filled->AFuellart);
            }
        });
    } else if (a == ARandart) {
        const std::int32_t style = GetInt(ARandart);
        ForEachMember([style](TFigur& m) {
            SetInt(m.ARandart, style);
            m.AttributeChanged(m.ARandart);
        });
    } else if (a == ARandfarbe) {
        const TColor colour = Randfarbe().ColourValue();
        ForEachMember([colour](TFigur& m) {
            m.Randfarbe().SetFromColourValue(colour);
            m.AttributeChanged(m.ARandfarbe);
            if (m.ClassNumber % LineClass != 0) return;
            TAttribut* farbe = m.FindAttributeAny("farbe");
            auto* own = farbe ? dynamic_cast<TFarbe*>(farbe->Value.AsObject()) : nullptr;
            if (!own) return;
            own->SetFromColourValue(colour);
            m.AttributeChanged(farbe);
        });
    } else if (a == ASichtbar) {
        const bool visible = Sichtbar();
        ForEachMember([visible](TFigur& m) { m.ASichtbar->Value.SetBoolean(visible); });
    } else if (a == ALinks || a == ARechts || a == AOben || a == AUnten) {
        // An edge assignment moves the whole group by how far that edge was
        // moved; the group keeps its size, also when it has no members yet.
        std::int32_t dx = 0, dy = 0;
        if (a == ALinks) dx = RoundInt(GetInt(ALinks) - SnapLeft);
        if (a == ARechts) dx = RoundInt(GetInt(ARechts) - SnapRight);
        if (a == AOben) dy = RoundInt(GetInt(AOben) - SnapTop);
        if (a == AUnten) dy = RoundInt(GetInt(AUnten) - SnapBottom);
        Left = SnapLeft;
        Right = SnapRight;
        Top = SnapTop;
        Bottom = SnapBottom;
        MoveBy(dx, dy);
    } else if (a == ABreite || a == AHoehe) {
        // A new width or height stretches the whole group about its centre,
        // in both directions. Bounds without extent cannot be stretched to a
        // size: they stay, and the attribute shows the size they have.
        const bool width = a == ABreite;
        const std::int32_t wanted = GetInt(a);
        const double extent = width ? Right - Left : Top - Bottom;
        if (wanted <= 0 || extent == 0) {
            const std::int64_t current = width ? std::int64_t{GetInt(ARechts)} - GetInt(ALinks)
                                               : std::int64_t{GetInt(AOben)} - GetInt(AUnten);
            SetInt(a, SaturateInt32(current));
        } else {
            const double f = wanted / extent;
            if (std::fabs(f) > 0.00001) StretchAbout((Left + Right) / 2, (Top + Bottom) / 2, f);
            AttributeChanged(nullptr);
        }
    }
    TakeSnapshot();
}

std::unique_ptr<TObjekt> TGruppe::Clone(const std::string& name, TObjekt* owner) {
    auto copy = std::make_unique<TGruppe>(name, owner);
    copy->Assign(*this);
    return copy;
}

void TGruppe::Assign(const TObjekt& source) {
    TGefuellteFigur::Assign(source);
    const auto* src = dynamic_cast<const TGruppe*>(&source);
    if (!src || src == this) return;
    // The copies are made before anything is dropped: the source may hold
    // this group, or figures this group holds.
    std::vector<std::unique_ptr<TFigur>> copies;
    src->ForEachMember([&](TFigur& m) {
        if (std::unique_ptr<TFigur> copy = CopyOf(m, this)) copies.push_back(std::move(copy));
    });
    ReleaseMembers();
    MemberList.clear();
    for (const auto& c : copies) MemberList.push_back(c.get());
    CopyList = std::move(copies);
    TakeSnapshot();
}
