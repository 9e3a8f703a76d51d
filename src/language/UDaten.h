#pragma once
// Runtime values, the evaluation stack and the object model, in one include.
#include "UObjekt.h"
#include "UStack.h"
#include "UVariant.h"
