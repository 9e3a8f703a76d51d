#include "UKlassen.h"

#include "UDreieck.h"
#include "UEllipse.h"
#include "UFarbe.h"
#include "UFenster.h"
#include "UFigur.h"
#include "UGruppe.h"
#include "ULinie.h"
#include "UNamen.h"
#include "URechteck.h"
#include "UTextfeld.h"
#include "UTurtle.h"

#include <iterator>

namespace {

// A prototype carries the upper-case class name as its object name, has no
// owner and has its setters.
using TPrototypeMaker = std::unique_ptr<TObjekt> (*)(const char* objectName);

template <class T>
std::unique_ptr<TObjekt> Make(const char* objectName) {
    return std::make_unique<T>(objectName, nullptr);
}

// The window prototype is marked as such so that it opens no drawing window.
std::unique_ptr<TObjekt> MakeWindowPrototype(const char* objectName) {
    return std::make_unique<TFenster>(objectName, nullptr, false, true);
}

struct TClassRow {
    const char* ObjectName;
    TPrototypeMaker Make;
};

// ORDER CLASSES: this order is the order of lookups, of the class tree and of
// code completion's type proposals. The concrete figure classes take their
// reserved rows as they are written; a row without a maker is skipped.
const TClassRow ClassTable[] = {
    {"RECHTECK", Make<TRechteck>},
    {"QUADRAT", Make<TQuadrat>},
    {"FENSTER", MakeWindowPrototype},
    {"ELLIPSE", Make<TEllipse>},
    {"KREIS", Make<TKreis>},
    {"DREIECK", Make<TDreieck>},
    {"LINIE", Make<TLinie>},
    {"TEXTFELD", Make<TTextfeld>},
    {"TURTLE", Make<TTurtle>},
    {"GRUPPE", Make<TGruppe>},
    {"FARBE", Make<TFarbe>},
    {"FIGUR", Make<TFigur>},
    {"GEFUELLTEFIGUR", Make<TGefuellteFigur>},
};
static_assert(std::size(ClassTable) == 13);

} // namespace

TKlassenFabrik::TKlassenFabrik(TPaintDebtor* run) {
    for (const TClassRow& row : ClassTable)
        if (row.Make) PrototypeList.push_back(row.Make(row.ObjectName));
    if (auto* turtle = dynamic_cast<TTurtle*>(FindByNumber(TTurtle::KlassenNummer))) turtle->SetPaintDebtor(run);
}

TKlassenFabrik::~TKlassenFabrik() = default;

TObjekt* TKlassenFabrik::FindByName(std::string_view className) const {
    for (const auto& p : PrototypeList)
        if (SameName(p->ClassName, className)) return p.get();
    return nullptr;
}

bool TKlassenFabrik::IsClassName(std::string_view name) const { return FindByName(name) != nullptr; }

std::int32_t TKlassenFabrik::ClassNumberOf(std::string_view className) const {
    const TObjekt* p = FindByName(className);
    return p ? p->ClassNumber : 0;
}

TObjekt* TKlassenFabrik::FindByNumber(std::int32_t classNumber) const {
    for (const auto& p : PrototypeList)
        if (p->ClassNumber == classNumber) return p.get();
    return nullptr;
}

std::unique_ptr<TObjekt> TKlassenFabrik::CreateObject(std::string_view className, const std::string& name,
                                                      TObjekt* owner) const {
    TObjekt* p = FindByName(className);
    return p ? p->Clone(name, owner) : nullptr;
}
