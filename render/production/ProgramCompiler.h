#pragma once
// Compiles an expression tree into the three register programs of a picture.
//
// After the scalar graph is built (ExprGraph), the compiler keeps only the
// values the three output channels need, classifies each by what it depends
// on (x, y, or more), moves the x-only and y-only values into the line
// programs, places every value in the sample set of the lazy "if" branches
// that need it, and allocates registers by live ranges.

#include "Program.h"
#include "ProductionOptions.h"

#include "engine/Evaluator.h"
#include "engine/ExprNode.h"

namespace production {

// False when the tree cannot be compiled (a missing child, an invalid kind
// code, a tree deeper than kMaxTreeDepth): the reference renders it.
bool CompilePlan(const ExprNode* root, const CEvaluator& evaluator, const ProductionOptions& options,
                 CompiledPlan& plan);

}  // namespace production
