#pragma once
// TGruppe: several figures treated as one. The group moves, stretches,
// mirrors and turns its members together, draws them in the order they were
// added, and passes its fill, outline and visibility on to them. Its own
// bounds enclose its members.
//
// A member joins either as a private copy ("kopiere"; the group owns it) or
// as itself ("schlucke"; it stays the program's variable, still drawn by its
// windows on its own and still changeable through that variable). A
// swallowed figure that is freed (a local variable whose method ended)
// leaves the group.
//
// A group never contains itself, however deeply nested. Every walk over the
// members is bounded in depth and in the number of figures it visits, so
// that no program can make a group operation exhaust the stack or run
// without end.
#include "UFigur.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TGruppe : public TGefuellteFigur, private TFigurWatcher {
public:
    static constexpr std::int32_t KlassenNummer = 58;

    enum : std::int32_t {
        mnKopiere = 2,
        mnSpiegleX = 20,
        mnSpiegleY = 21,
        mnSchlucke = 22,
    };

    // Limits of what a group may hold: levels of nested groups, and a cost
    // that follows the memory and drawing time a member takes: a figure
    // counts FigureCost, each segment of a turtle's trail one more.
    static constexpr int MaxNesting = 1000;
    static constexpr std::int64_t FigureCost = 400;
    static constexpr std::int64_t MaxCost = 1000000;

    TGruppe(std::string name, TObjekt* owner, bool noSetters = false);
    ~TGruppe() override;

    void AttributeChanged(TAttribut* attribute) override;
    void CallMethod(std::int32_t methodNumber, TStack& stack) override;
    void Draw(TDrawCanvas& canvas) override;
    void Arrange(TDrawCanvas& canvas) override;
    std::unique_ptr<TObjekt> Clone(const std::string& name, TObjekt* owner) override;
    // The members become copies of the source's members, owned by this group.
    void Assign(const TObjekt& source) override;

    void MoveBy(std::int32_t dx, std::int32_t dy) override;
    void StretchAbout(double cx, double cy, double factor) override;
    void MirrorX(double c) override;
    void MirrorY(double c) override;
    void RotateAbout(double angle, double cx, double cy) override;

    // Adds a member as "kopiere" (a copy) or "schlucke" (the figure itself)
    // do. Returns nullptr, or the runtime message when the figure cannot join;
    // then nothing is added.
    const char* Add(TFigur& figure, bool asCopy);

    const std::vector<TFigur*>& Members() const { return MemberList; }
    // What the group changes, it may change in every member at any depth.
    void StampParts(std::uint64_t stamp) override;

private:
    void FigureDestroyed(TFigur* figure) override;
    // Real bounds := the union of the members' real bounds; none keeps them.
    void BoundsFromMembers();
    void TakeSnapshot();
    void OrderBounds();
    bool Owns(const TFigur* figure) const;
    void ReleaseMembers();
    // Runs `action` on every member in order, within the walk limits.
    template <class Action>
    void ForEachMember(Action&& action) const;

    // The real bounds after the last operation: edge assignments move the
    // group by the difference to these.
    double SnapLeft = -10, SnapRight = 10, SnapTop = 10, SnapBottom = -10;
    std::vector<TFigur*> MemberList;
    std::vector<std::unique_ptr<TFigur>> CopyList;
};
