#pragma once
// The whole jet algebra in one include: Jet4 and Jet8 scalars (functions of the
// surface parameters u, v with their partial derivatives), their reductions
// Jet3 and Jet5 that drop the mixed derivative of the result, and the vectors
// built from them. Angles are in turns throughout.
#include "jets/ChainRule.h"
#include "jets/Jet3.h"
#include "jets/Jet4.h"
#include "jets/Jet5.h"
#include "jets/Jet8.h"
#include "jets/JetVec.h"
