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

#include <array>
#include <vector>

namespace production {

// False when the tree cannot be compiled (a missing child, an invalid kind
// code, a tree deeper than kMaxTreeDepth): the reference renders it.
bool CompilePlan(const ExprNode* root, const CEvaluator& evaluator, const ProductionOptions& options,
                 CompiledPlan& plan);

// The program of all thumbnails of a tree: every node's three channels on
// every sample (the lazy "if" is off), each distinct value stored as the
// channel bytes of its pixels (byte slot) as soon as it is computed. Nodes
// with the same three values (shared subtrees, "id", a grey function of a
// grey value) share one image.
struct ThumbnailPlan {
    CompiledPlan programs;                    // the main program stores bytes; it has no outputs
    std::vector<std::array<int, 3>> images;   // byte slots of the red, green and blue channel
    std::vector<int> imageOfNode;             // per node of the tree in pre-order
    std::vector<int> branchEnd;               // per node: pre-order index past its branch
};

// False when some node of the tree is not compiled (the root's tree cannot
// be, or a node lists a child its kind does not read).
bool CompileThumbnailPlan(const ExprNode* root, const CEvaluator& evaluator, const ProductionOptions& options,
                          ThumbnailPlan& plan);

}  // namespace production
