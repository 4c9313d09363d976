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
#include <cstdint>
#include <vector>

namespace production {

// False when the tree cannot be compiled (a missing child, an invalid kind
// code, a tree deeper than kMaxTreeDepth): the reference renders it.
bool CompilePlan(const ExprNode* root, const CEvaluator& evaluator, const ProductionOptions& options,
                 CompiledPlan& plan);

// Where the thumbnails find one channel value: a constant, a slot of the x
// or y line table (values of x alone or y alone), or a byte slot of the
// main program.
enum class ValueHome : uint8_t { Constant, XLine, YLine, Main };
struct ValueSource {
    ValueHome home = ValueHome::Constant;
    int slot = 0;
    double constant = 0.0;
};

// The programs of all thumbnails of a tree: every node's three channels on
// every sample (the lazy "if" is off). The main program stores each of its
// values as the channel bytes of its pixels (byte slot) as soon as it is
// computed; line values stay in the line tables. Nodes with the same three
// values (shared subtrees, "id", a grey function of a grey value) share one
// image.
struct ThumbnailPlan {
    CompiledPlan programs;                          // the main program has no outputs
    std::vector<std::array<ValueSource, 3>> images;  // red, green and blue of each image
    std::vector<int> imageOfNode;                   // per node of the tree in pre-order
    std::vector<int> branchEnd;                     // per node: pre-order index past its branch
};

// False when some node of the tree is not compiled (the root's tree cannot
// be, or a node lists a child its kind does not read).
bool CompileThumbnailPlan(const ExprNode* root, const CEvaluator& evaluator, const ProductionOptions& options,
                          ThumbnailPlan& plan);

}  // namespace production
