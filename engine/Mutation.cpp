// The mutation operators and the rounds of variations.

#include "Mutation.h"

#include "CNumbers.h"
#include "GenerationSettings.h"
#include "QuilArchive.h"
#include "RandomSource.h"

#include <algorithm>
#include <functional>
#include <set>

const char* const kMutationOpNames[kNumMutationOps] = {"nudge", "kind", "branch", "wrap", "swap", "crossover"};

namespace {
// Weight of each operator (in MutationOp order) per strength 1..3. A subtle
// round mostly nudges constants and swaps kinds; a wild one grows new
// branches and crosses more.
constexpr int kOpWeights[kMaxStrength][kNumMutationOps] = {
    {40, 25, 10, 10, 10, 15},
    {25, 25, 20, 10, 10, 20},
    {10, 20, 35, 15, 10, 30},
};
// Largest change of a nudged parameter, per strength.
constexpr double kNudgeAmount[kMaxStrength] = {0.05, 0.15, 0.4};
// Levels of a new random branch, and the highest branch it may replace.
constexpr int kBranchLevels[kMaxStrength] = {1, 2, 4};
constexpr int kBranchTargetHeight[kMaxStrength] = {1, 3, kMaxTreeDepth};

int ClampStrength(int strength) { return std::clamp(strength, kMinStrength, kMaxStrength); }

int ChildCount(const ExprNode* node) { return std::clamp(node->nChildren, 0, 3); }

bool IsConstantKind(int kind)
{
    return kind == KIND_BW || kind == KIND_RGB || kind == KIND_SPIR || kind == KIND_SPIRC;
}

using Filler = std::function<ExprNode*(ExprNode* dest)>;

// Copies source's subtree into dest by the pool's hand-out protocol; the copy
// of target (when met) is made by fill instead. Returns the next free node.
ExprNode* CopyReplacing(CQuilExpression& out, ExprNode* dest, const ExprNode* source, const ExprNode* target,
                        const Filler& fill, int depth)
{
    if (target && source == target)
        return fill(dest);
    if (!source || depth >= kMaxTreeDepth)
        return nullptr;
    *dest = *source;
    ExprNode* next = out.NewNode();
    if (!next)
        return nullptr;
    const int count = ChildCount(source);
    dest->nChildren = count;
    for (int i = 0; i < count; ++i) {
        dest->pChild[i] = next;
        next = CopyReplacing(out, next, source->pChild[i], target, fill, depth + 1);
        if (!next)
            return nullptr;
    }
    return next;
}

ExprNode* CopyInto(CQuilExpression& out, ExprNode* dest, const ExprNode* source)
{
    return CopyReplacing(out, dest, source, nullptr, Filler(), 0);
}

// Whether every kind of the branch passes allowed.
bool AllKinds(const ExprNode* node, const std::function<bool(int)>& allowed)
{
    if (!node || !allowed(node->nKind))
        return false;
    for (int i = 0; i < ChildCount(node); ++i)
        if (!AllKinds(node->pChild[i], allowed))
            return false;
    return true;
}
}  // namespace

int BranchHeight(const ExprNode* node)
{
    int height = 0;
    if (node)
        for (int i = 0; i < ChildCount(node); ++i)
            height = std::max(height, BranchHeight(node->pChild[i]) + 1);
    return height;
}

// A node of a tree with its depth (root 0) and the levels below it.
struct CMutator::NodeRef {
    ExprNode* node;
    int depth;
    int height;
};

struct CMutator::Context {
    const ExprNode* parent;
    CQuilExpression& out;
    int strength;  // 1..3
    const ExprNode* mate;
    int limit;  // deepest depth the result may reach
    std::vector<NodeRef> nodes;  // the parent's nodes in pre-order
};

namespace {
// The nodes of a tree in pre-order; returns the height of node.
template <class Ref>
int CollectNodes(const ExprNode* node, int depth, std::vector<Ref>& out)
{
    const size_t at = out.size();
    // The tree is only read here; a NodeRef of the tree being built is written by its owner.
    out.push_back(Ref{const_cast<ExprNode*>(node), depth, 0});
    int height = 0;
    for (int i = 0; i < ChildCount(node); ++i)
        if (node->pChild[i])
            height = std::max(height, CollectNodes(node->pChild[i], depth + 1, out) + 1);
    out[at].height = height;
    return height;
}
}  // namespace

CMutator::CMutator(const GenerationSettings& settings, RandomSource& random, EngineHost* resultHost)
    : m_settings(settings), m_random(random), m_pResultHost(resultHost)
{
}

double CMutator::Unit() { return m_random.Next() / double(kRandMax); }

int CMutator::Index(int k) { return k <= 0 ? 0 : (m_random.Next() * k) / (kRandMax + 1); }

bool CMutator::Allowed(int kind) const { return IsValidKind(kind) && m_settings.m_dProb[kind] > 0.0; }

MutationOp CMutator::ChooseOp(int strength, bool withMate)
{
    const int* weights = kOpWeights[ClampStrength(strength) - 1];
    const int last = withMate ? kNumMutationOps : kNumMutationOps - 1;
    int total = 0;
    for (int i = 0; i < last; ++i)
        total += weights[i];
    int pick = Index(total);
    for (int i = 0; i < last; ++i) {
        if (pick < weights[i])
            return MutationOp(i);
        pick -= weights[i];
    }
    return MutationOp::Nudge;
}

bool CMutator::Apply(MutationOp op, const ExprNode* parent, CQuilExpression& out, int strength,
                     const ExprNode* mate)
{
    if (!parent)
        return false;
    Context c{parent, out, ClampStrength(strength), mate, 0, {}};
    CollectNodes(parent, 0, c.nodes);
    GenerationSettings levels = m_settings;
    levels.ClampLevelsAndCounts();
    c.limit = std::max(levels.m_nMaxLevel, c.nodes.front().height);
    switch (op) {
    case MutationOp::Nudge:
        return Nudge(c);
    case MutationOp::ChangeKind:
        return ChangeKind(c);
    case MutationOp::NewBranch:
        return NewBranch(c);
    case MutationOp::WrapOrUnwrap:
        return WrapOrUnwrap(c);
    case MutationOp::SwapChildren:
        return SwapChildren(c);
    case MutationOp::Crossover:
        return Crossover(c);
    }
    return false;
}

// In-place operators: they work on a copy, whose nodes match the parent's in pre-order.

bool CMutator::Nudge(Context& c)
{
    std::vector<size_t> constants;
    for (size_t i = 0; i < c.nodes.size(); ++i)
        if (IsConstantKind(c.nodes[i].node->nKind))
            constants.push_back(i);
    if (constants.empty() || !c.out.CopyFrom(c.parent))
        return false;
    std::vector<NodeRef> copy;
    CollectNodes(c.out.GetRoot(), 0, copy);
    ExprNode* node = copy[constants[size_t(Index(int(constants.size())))]].node;
    const ParamLayout& params = kNodeKinds[node->nKind].params;
    const double amount = kNudgeAmount[c.strength - 1];
    for (int i = 0; i < params.count; ++i) {
        double& p = node->dParam[params.index[i]];
        p = OnTextGrid(std::clamp(p + (Unit() * 2 - 1) * amount, -1.0, 1.0));
    }
    return true;
}

bool CMutator::ChangeKind(Context& c)
{
    // Nodes whose kind has another allowed kind of the same arity.
    std::vector<size_t> candidates;
    for (size_t i = 0; i < c.nodes.size(); ++i) {
        const int kind = c.nodes[i].node->nKind;
        if (!IsValidKind(kind) || KindArity(kind) != ChildCount(c.nodes[i].node))
            continue;
        for (int k = 0; k < kNumKinds; ++k)
            if (k != kind && KindArity(k) == KindArity(kind) && Allowed(k)) {
                candidates.push_back(i);
                break;
            }
    }
    if (candidates.empty() || !c.out.CopyFrom(c.parent))
        return false;
    std::vector<NodeRef> copy;
    CollectNodes(c.out.GetRoot(), 0, copy);
    ExprNode* node = copy[candidates[size_t(Index(int(candidates.size())))]].node;
    std::vector<int> kinds;
    for (int k = 0; k < kNumKinds; ++k)
        if (k != node->nKind && KindArity(k) == KindArity(node->nKind) && Allowed(k))
            kinds.push_back(k);
    node->nKind = kinds[size_t(Index(int(kinds.size())))];
    if (KindArity(node->nKind) == 0)
        for (double& p : node->dParam)  // a new constant gets new values, as generation gives them
            p = OnTextGrid(Unit() * 2 - 1);
    return true;
}

bool CMutator::SwapChildren(Context& c)
{
    std::vector<size_t> candidates;
    for (size_t i = 0; i < c.nodes.size(); ++i)
        if (ChildCount(c.nodes[i].node) >= 2)
            candidates.push_back(i);
    if (candidates.empty() || !c.out.CopyFrom(c.parent))
        return false;
    std::vector<NodeRef> copy;
    CollectNodes(c.out.GetRoot(), 0, copy);
    ExprNode* node = copy[candidates[size_t(Index(int(candidates.size())))]].node;
    int a = 0;
    int b = 1;
    if (ChildCount(node) == 3) {
        a = Index(3);
        b = (a + 1 + Index(2)) % 3;
    }
    std::swap(node->pChild[a], node->pChild[b]);
    return true;
}

// Structural operators: a copy in which one branch is made anew.

bool CMutator::NewBranch(Context& c)
{
    std::vector<size_t> candidates;
    for (size_t i = 0; i < c.nodes.size(); ++i)
        if (c.nodes[i].height <= kBranchTargetHeight[c.strength - 1])
            candidates.push_back(i);
    const NodeRef& target = c.nodes[candidates[size_t(Index(int(candidates.size())))]];
    const int levels = std::max(0, std::min(kBranchLevels[c.strength - 1], c.limit - target.depth));
    ExprNode* branch = nullptr;
    const Filler fill = [&](ExprNode* dest) {
        branch = dest;
        return c.out.GenerateBranch(dest, unsigned(levels), m_settings, m_random);
    };
    if (!CopyReplacing(c.out, c.out.Reset(), c.parent, target.node, fill, 0))
        return false;
    // Generation falls back on kinds without probability when nothing else
    // wins; such a branch is refused rather than bring in an unwanted kind.
    return AllKinds(branch, [this](int kind) { return Allowed(kind); });
}

bool CMutator::WrapOrUnwrap(Context& c)
{
    std::vector<int> wrappers;
    for (int k = 0; k < kNumKinds; ++k)
        if (KindArity(k) == 1 && Allowed(k))
            wrappers.push_back(k);
    std::vector<size_t> wrappable;
    std::vector<size_t> unwrappable;
    for (size_t i = 0; i < c.nodes.size(); ++i) {
        const NodeRef& n = c.nodes[i];
        if (!wrappers.empty() && n.depth + n.height + 1 <= c.limit)
            wrappable.push_back(i);
        if (IsValidKind(n.node->nKind) && KindArity(n.node->nKind) == 1 && ChildCount(n.node) == 1)
            unwrappable.push_back(i);
    }
    if (wrappable.empty() && unwrappable.empty())
        return false;
    const bool wrap = unwrappable.empty() || (!wrappable.empty() && Index(2) == 0);
    const std::vector<size_t>& from = wrap ? wrappable : unwrappable;
    const ExprNode* target = c.nodes[from[size_t(Index(int(from.size())))]].node;
    Filler fill;
    if (wrap) {
        const int kind = wrappers[size_t(Index(int(wrappers.size())))];
        fill = [&c, target, kind](ExprNode* dest) -> ExprNode* {
            *dest = ExprNode{kind, {0, 0, 0}, 1, {nullptr, nullptr, nullptr}};
            ExprNode* next = c.out.NewNode();
            if (!next)
                return nullptr;
            dest->pChild[0] = next;
            return CopyInto(c.out, next, target);
        };
    } else {
        fill = [&c, target](ExprNode* dest) { return CopyInto(c.out, dest, target->pChild[0]); };
    }
    return CopyReplacing(c.out, c.out.Reset(), c.parent, target, fill, 0) != nullptr;
}

bool CMutator::Crossover(Context& c)
{
    if (!c.mate)
        return false;
    const NodeRef& target = c.nodes[size_t(Index(int(c.nodes.size())))];
    std::vector<NodeRef> mateNodes;
    CollectNodes(c.mate, 0, mateNodes);
    std::vector<const ExprNode*> fitting;
    for (const NodeRef& n : mateNodes)
        if (target.depth + n.height <= c.limit && IsValidKind(n.node->nKind))
            fitting.push_back(n.node);
    if (fitting.empty())
        return false;
    const ExprNode* branch = fitting[size_t(Index(int(fitting.size())))];
    const Filler fill = [&c, branch](ExprNode* dest) { return CopyInto(c.out, dest, branch); };
    return CopyReplacing(c.out, c.out.Reset(), c.parent, target.node, fill, 0) != nullptr;
}

// Rounds ------------------------------------------------------------------------------

std::string CMutator::CanonicalText(const ExprNode* root)
{
    if (!root)
        return {};
    CQuilExpression copy(&m_silent);
    if (!copy.CopyFrom(root))
        return {};
    StringArchive archive;
    if (!copy.WriteExpression(archive))
        return {};
    return archive.Output();
}

bool CMutator::MakeVariation(const ExprNode* parent, int strength, const ExprNode* mate, CQuilExpression* scratch,
                             std::vector<MutationOp>& ops)
{
    // Subtle: one operator; medium: one or two; wild: two or three.
    const int count = strength == 1 ? 1 : (strength == 2 ? 1 + Index(2) : 2 + Index(2));
    const ExprNode* current = parent;
    for (int k = 0; k < count; ++k) {
        const MutationOp op = (k == 0 && mate) ? MutationOp::Crossover : ChooseOp(strength, mate != nullptr);
        CQuilExpression& out = scratch[k % 2];
        if (!Apply(op, current, out, strength, mate))
            return false;
        ops.push_back(op);
        current = out.GetRoot();
    }
    // The result is the last scratch tree written.
    if ((count - 1) % 2 != 0)
        return scratch[0].CopyFrom(scratch[1].GetRoot()) != 0;
    return true;
}

VariationRound CMutator::Vary(const ExprNode* parent, int count, int strength, const ExprNode* mate)
{
    VariationRound round;
    round.requested = std::clamp(count, 0, kMaxVariationsPerRound);
    strength = ClampStrength(strength);
    std::set<std::string> seen;
    const std::string parentText = CanonicalText(parent);
    if (parentText.empty())
        return round;
    seen.insert(parentText);
    CQuilExpression scratch[2] = {CQuilExpression(&m_silent), CQuilExpression(&m_silent)};
    const int maxTries = round.requested * kTriesPerVariation;
    while (int(round.variations.size()) < round.requested && round.tries < maxTries) {
        ++round.tries;
        std::vector<MutationOp> ops;
        if (!MakeVariation(parent, strength, mate, scratch, ops))
            continue;
        StringArchive written;
        if (!scratch[0].WriteExpression(written) || !seen.insert(written.Output()).second)
            continue;
        // Reading the text back gives the variation exactly the values its file will hold.
        auto expression = std::make_unique<CQuilExpression>(m_pResultHost);
        StringArchive text(written.Output());
        if (!expression->ReadExpression(text))
            continue;
        round.variations.push_back(Variation{std::move(expression), written.Output(), std::move(ops)});
    }
    return round;
}
