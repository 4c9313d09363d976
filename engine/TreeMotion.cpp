#include "TreeMotion.h"

#include "NodeKinds.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kTwoPi = 6.28318530717958647692;
// How far (as an angle on the loop's sine) a constant strays at each strength.
constexpr double kDriftReach[kMaxDriftStrength] = {0.15, 0.4, 1.0};

bool Usable(const ExprNode* node, int depth)
{
    return node && IsValidKind(node->nKind) && depth < kMaxTreeDepth &&
           node->nChildren >= KindArity(node->nKind);
}

// The third constant of the spirals, their twist.
bool IsTwist(int kind, int param) { return (kind == KIND_SPIR || kind == KIND_SPIRC) && param == 2; }

uint64_t Mix(uint64_t z)
{
    z += 0x9e3779b97f4a7c15ull;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

}  // namespace

// Builds trees into a MotionTree's nodes with explicit stacks: trees may be
// thousands of levels deep.
class TreeMotionBuilder {
public:
    explicit TreeMotionBuilder(MotionTree& out) : m_out(out)
    {
        m_out.m_nodes.clear();
        m_out.m_root = nullptr;
    }

    ExprNode* Add(const ExprNode& node)
    {
        m_out.m_nodes.push_back(node);
        ExprNode* made = &m_out.m_nodes.back();
        for (int i = KindArity(made->nKind); i < 3; ++i)
            made->pChild[i] = nullptr;
        made->nChildren = KindArity(made->nKind);
        return made;
    }

    // Copies source's branch into *slot; each node copied is handed to
    // visit(node) once. False for an unusable branch.
    template <typename Visit>
    bool Copy(const ExprNode* source, int depth, ExprNode** slot, Visit&& visit)
    {
        struct Item {
            const ExprNode* from;
            int depth;
            ExprNode** slot;
        };
        std::vector<Item> stack{{source, depth, slot}};
        while (!stack.empty()) {
            const Item item = stack.back();
            stack.pop_back();
            if (!Usable(item.from, item.depth))
                return false;
            ExprNode* made = Add(*item.from);
            visit(*made);
            *item.slot = made;
            for (int i = made->nChildren - 1; i >= 0; --i)
                stack.push_back({item.from->pChild[i], item.depth + 1, &made->pChild[i]});
        }
        return true;
    }

    void SetRoot(const ExprNode* root) { m_out.m_root = root; }

private:
    MotionTree& m_out;
};

bool DriftTree(const ExprNode* root, int strength, uint32_t seed, double t, MotionTree& out)
{
    TreeMotionBuilder builder(out);
    const double reach = kDriftReach[std::clamp(strength, kMinDriftStrength, kMaxDriftStrength) - 1];
    uint64_t constant = 0;  // constants in the order of the copy, each with its own phase
    ExprNode* made = nullptr;
    const bool copied = builder.Copy(root, 0, &made, [&](ExprNode& node) {
        const ParamLayout& params = kNodeKinds[node.nKind].params;
        for (int i = 0; i < params.count; ++i, ++constant) {
            if (t == 0.0)
                continue;
            double& value = node.dParam[params.index[i]];
            const double phase = double(Mix(uint64_t(seed) << 32 | constant) >> 11) * (kTwoPi / 9007199254740992.0);
            const double swing = reach * (std::sin(kTwoPi * t + phase) - std::sin(phase));
            if (IsTwist(node.nKind, params.index[i])) {
                // A spiral's bands pile up without end as its twist nears 0:
                // the twist keeps its sign and moves by factors, folded back
                // into -1..1 past 1.
                const double size = std::fabs(value) * std::exp(swing);
                value = std::copysign(size > 1.0 ? 1.0 / size : size, value);
                continue;
            }
            // A sine of an angle that swings about the value's own: the
            // value stays in -1..1 and comes back to where it began.
            value = std::sin(std::asin(std::clamp(value, -1.0, 1.0)) + swing);
        }
    });
    if (!copied) {
        builder.SetRoot(nullptr);
        return false;
    }
    builder.SetRoot(made);
    return true;
}

bool MorphTree(const ExprNode* a, const ExprNode* b, double t, MotionTree& out)
{
    TreeMotionBuilder builder(out);
    const auto none = [](ExprNode&) {};
    ExprNode* made = nullptr;
    if (t <= 0.0 || t >= 1.0) {
        const bool copied = builder.Copy(t <= 0.0 ? a : b, 0, &made, none);
        builder.SetRoot(copied ? made : nullptr);
        return copied;
    }
    // A blend of two colours out of the kinds there are:
    // plus(times(BW(2(1-t)), A), times(BW(2t), B)) = (1-t) A + t B.
    const auto constantNode = [](double value) { return ExprNode{KIND_BW, {value, value, value}, 0, {}}; };
    struct Item {
        const ExprNode* a;
        const ExprNode* b;
        int depth;
        ExprNode** slot;
    };
    std::vector<Item> stack{{a, b, 0, &made}};
    while (!stack.empty()) {
        const Item item = stack.back();
        stack.pop_back();
        if (!Usable(item.a, item.depth) || !Usable(item.b, item.depth))
            return false;
        if (item.a->nKind == item.b->nKind) {
            ExprNode node = *item.a;
            for (int i = 0; i < 3; ++i)  // a + t (b - a): a tree morphed with itself stays still
                node.dParam[i] = item.a->dParam[i] + t * (item.b->dParam[i] - item.a->dParam[i]);
            ExprNode* merged = builder.Add(node);
            *item.slot = merged;
            for (int i = merged->nChildren - 1; i >= 0; --i)
                stack.push_back({item.a->pChild[i], item.b->pChild[i], item.depth + 1, &merged->pChild[i]});
            continue;
        }
        ExprNode* plus = builder.Add(ExprNode{KIND_PLUS, {}, 2, {}});
        ExprNode* timesA = builder.Add(ExprNode{KIND_TIMES, {}, 2, {}});
        ExprNode* timesB = builder.Add(ExprNode{KIND_TIMES, {}, 2, {}});
        plus->pChild[0] = timesA;
        plus->pChild[1] = timesB;
        timesA->pChild[0] = builder.Add(constantNode(2.0 * (1.0 - t)));
        timesB->pChild[0] = builder.Add(constantNode(2.0 * t));
        *item.slot = plus;
        if (!builder.Copy(item.a, item.depth + 2, &timesA->pChild[1], none) ||
            !builder.Copy(item.b, item.depth + 2, &timesB->pChild[1], none))
            return false;
    }
    builder.SetRoot(made);
    return true;
}
