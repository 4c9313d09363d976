#pragma once
// ExprGraph turns an expression tree into a graph of scalar operations, one
// value per channel. Identical operations are made once (hash-consing), which
// merges identical subtrees, computes a function of a grey value once instead
// of three times, and shares the angle and the log of the radius between all
// angle and spiral terminals. Operations on constants are folded with the same
// formulas the kernels use.
//
// The graph is built in topological order: every node's operands have smaller
// ids. Build refuses what the reference evaluator would stop on (a missing
// child, an invalid kind code, a tree deeper than kMaxTreeDepth).

#include "Ops.h"
#include "ProductionOptions.h"

#include "engine/Evaluator.h"
#include "engine/ExprNode.h"

#include <array>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

namespace production {

struct GraphNode {
    Op op = Op::Const;
    int in[4] = {-1, -1, -1, -1};  // Phi: split, B value, C value; IfSplit: condition
    double k[2] = {0.0, 0.0};      // Const: value in k[0]
    uint64_t salt = 0;             // keeps apart what a switched-off sharing must not merge
};

using Triple = std::array<int, 3>;

class ExprGraph {
public:
    ExprGraph(const CEvaluator& evaluator, const ProductionOptions& options);

    // Adds the tree and returns its three channel values; false when the
    // tree cannot be compiled (the reference path then renders it).
    bool Build(const ExprNode* root);

    const std::vector<GraphNode>& Nodes() const { return m_nodes; }
    std::vector<GraphNode>& Nodes() { return m_nodes; }
    const GraphNode& Node(int id) const { return m_nodes[size_t(id)]; }
    bool IsConst(int id) const { return m_nodes[size_t(id)].op == Op::Const; }
    double ConstValue(int id) const { return m_nodes[size_t(id)].k[0]; }
    const Triple& Outputs() const { return m_outputs; }
    // The channels of a node of the tree built, as if it were the root;
    // false for a node not in that tree.
    bool ValueOf(const ExprNode* node, Triple& value) const;
    // The phis of each split, in creation order (indexed by split id).
    const std::vector<int>& PhisOf(int split) const;

    // Node making, exposed for the tests of the compiler.
    int Leaf(Op op);
    int Const(double value);
    int Make(Op op, int a, int b = -1, int c = -1, int d = -1, double k0 = 0.0, double k1 = 0.0, uint64_t salt = 0);

private:
    struct Key {
        uint8_t op;
        int in[4];
        uint64_t k0, k1, salt;
        bool operator==(const Key& o) const;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const;
    };

    int Intern(const GraphNode& node);
    bool Compile(const ExprNode* node, int depth, Triple& out, int& height);
    Triple Terminal(const ExprNode* node, uint64_t serialSalt);
    int SpiralValue(double cx, double cy, double twist, uint64_t angleSalt);
    void MakeIf(int condition, const Triple& b, const Triple& c, uint64_t salt, Triple& out);
    uint64_t ChannelSalt(uint64_t nodeSalt, int channel) const;

    const CEvaluator& m_eval;
    ProductionOptions m_options;
    std::vector<GraphNode> m_nodes;
    std::unordered_map<Key, int, KeyHash> m_intern;
    struct Compiled {
        Triple value;
        int height;  // levels below the node
    };
    std::unordered_map<const ExprNode*, Compiled> m_compiled;
    using SplitKey = std::array<int64_t, 8>;
    std::map<SplitKey, int> m_splits;
    std::unordered_map<int, std::vector<int>> m_phis;
    uint64_t m_nextSerial = 0;
    Triple m_outputs = {-1, -1, -1};
};

}  // namespace production
