#include "UClassTree.h"

#include "UImageIndex.h"
#include "UKlassen.h"
#include "UObjekt.h"

namespace {

// An object nested in itself through its attributes would never end; no
// built-in class goes deeper than a colour inside a figure.
constexpr int MaxAttributeDepth = 8;

std::string TypeName(const TParameter& type, const TKlassenFabrik& factory) {
    if (type.Kind == vkObjekt) {
        const TObjekt* cls = factory.FindByNumber(type.ClassNumber);
        return cls ? cls->ClassName : std::string();
    }
    return TVariant::KindName(type.Kind);
}

void AddAttributes(THelpNode& parent, const TObjekt& object, int depth) {
    for (const auto& attribute : object.Attributes()) {
        if (attribute->Hidden) continue;
        const TObjekt* value = attribute->Value.Kind() == vkObjekt ? attribute->Value.AsObject() : nullptr;
        THelpNode node;
        node.Image = ImageList::iiAttribut;
        node.Text = attribute->Name + ": ";
        if (attribute->Value.Kind() == vkObjekt)
            node.Text += value ? value->ClassName : std::string();
        else
            node.Text += attribute->Value.KindName();
        if (value && depth < MaxAttributeDepth) AddAttributes(node, *value, depth + 1);
        // Each attribute goes in front of the ones before it.
        parent.Children.insert(parent.Children.begin(), std::move(node));
    }
}

} // namespace

std::string MethodNodeText(const TMethode& method, const TKlassenFabrik& factory) {
    std::string text = method.Name + "(";
    if (method.Parameters.empty()) text += ' ';
    for (std::size_t i = 0; i < method.Parameters.size(); ++i) {
        if (i > 0) text += ',';
        text += method.Parameters[i].Name + ": " + TypeName(method.Parameters[i], factory);
    }
    text += ')';
    if (method.Result) text += ":" + TypeName(*method.Result, factory);
    return text;
}

THelpNode ClassTreeNode(const TObjekt& prototype, const TKlassenFabrik& factory) {
    THelpNode node;
    node.Text = prototype.Name;
    node.Image = ImageList::iiKlasse;
    AddAttributes(node, prototype, 0);
    for (const auto& method : prototype.Methods()) {
        if (method->Hidden) continue;
        node.Children.push_back({MethodNodeText(*method, factory), ImageList::iiMethode, {}});
    }
    return node;
}

std::vector<THelpNode> ClassTreeNodes(const TKlassenFabrik& factory) {
    std::vector<THelpNode> classes;
    for (const auto& prototype : factory.Prototypes()) classes.push_back(ClassTreeNode(*prototype, factory));
    return classes;
}
