#pragma once
// The class tree of the help panel as a tree widget, from the nodes of
// UClassTree.h.
#include "UClassTree.h"

class QTreeWidget;

// Clears `tree` and fills it from `factory`.
void FillClassTree(QTreeWidget& tree, const TKlassenFabrik& factory);
