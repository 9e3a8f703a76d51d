#include "UVariablenText.h"

namespace VariablenText {
namespace {

void AppendValue(std::string& out, TVariant& value) {
    if (value.Changed()) out += Rot;
    std::string text = value.DisplayText();
    if (text.size() > MaxValueText) {
        text.resize(MaxValueText);
        text += "...";
    }
    out += text;
    if (value.Changed()) out += Schwarz;
    value.SetChanged(false);
}

void AppendName(std::string& out, const std::string& name) {
    out += FettAn;
    out += name;
    out += FettAus;
}

} // namespace

std::optional<std::string> FormatVariable(TVariable& variable) {
    TVariant* value = variable.Value;
    if (variable.BuiltIn || !value || value->Kind() == vkMethod) return std::nullopt;
    std::string text;
    AppendName(text, variable.Name);
    if (value->Kind() != vkObjekt) {
        text += " = ";
        AppendValue(text, *value);
        return text;
    }
    text += " = (";
    bool first = true;
    if (TObjekt* object = value->AsObject())
        for (const auto& attribute : object->Attributes()) {
            if (attribute->Hidden) continue;
            if (!first) text += ',';
            first = false;
            AppendName(text, attribute->Name);
            if (attribute->Value.Kind() == vkObjekt) continue;
            text += " = ";
            AppendValue(text, attribute->Value);
        }
    text += ')';
    return text;
}

std::vector<std::string> VariableCells(TVarSpace& space) {
    std::vector<std::string> cells;
    auto add = [&](int index) {
        if (auto text = FormatVariable(*space.At(index))) cells.push_back(std::move(*text));
    };
    const int count = space.Count();
    const int scopes = space.ScopeCount();
    if (scopes > 0)
        for (int i = space.ScopeStart(scopes - 1); i < count; ++i) add(i);
    const int globals = scopes > 0 ? space.ScopeStart(0) : count;
    auto holdsObject = [&](int i) {
        const TVariant* value = space.At(i)->Value;
        return value && value->Kind() == vkObjekt;
    };
    for (int i = 0; i < globals; ++i)
        if (!holdsObject(i)) add(i);
    for (int i = 0; i < globals; ++i)
        if (holdsObject(i)) add(i);
    return cells;
}

std::string StripMarks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c < FettAn || c > Schwarz) out += c;
    return out;
}

} // namespace VariablenText
