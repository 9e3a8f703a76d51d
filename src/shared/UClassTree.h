#pragma once
// The class tree of the help panel: one node per built-in class, below it
// the class's attributes with their types (in reverse list order, each
// object-valued attribute with the attributes of its object below it) and
// its methods with their parameter lists. Qt-free: the desktop fills its
// tree widget from these nodes (UHelpTree.h), the browser its own.
#include <string>
#include <vector>

class TKlassenFabrik;
class TMethode;
class TObjekt;

struct THelpNode {
    std::string Text;  // Windows-1252
    int Image = 0;     // index into the main window's image list (UImageIndex.h)
    std::vector<THelpNode> Children;
};

// The nodes without any widget, in the factory's order.
std::vector<THelpNode> ClassTreeNodes(const TKlassenFabrik& factory);
// The node of one class; `factory` names the classes of object parameters.
THelpNode ClassTreeNode(const TObjekt& prototype, const TKlassenFabrik& factory);
// "name(p: Typ,q: Typ):Ergebnis", or "name( )" without parameters.
std::string MethodNodeText(const TMethode& method, const TKlassenFabrik& factory);
