#pragma once
// Trees of a moving picture, made from still ones: the constants of a tree
// moved along closed loops (drift), and the trees between two pictures
// (morph). The results are plain node records of their own, never written
// to a file; the renderers read them as any tree.

#include "ExprNode.h"

#include <cstddef>
#include <cstdint>
#include <deque>

// A tree that owns its nodes (a deque keeps each node where it was made).
class MotionTree {
public:
    MotionTree() = default;
    // The nodes point at each other: a copy would point into the original.
    MotionTree(const MotionTree&) = delete;
    MotionTree& operator=(const MotionTree&) = delete;
    MotionTree(MotionTree&&) = default;
    MotionTree& operator=(MotionTree&&) = default;
    const ExprNode* Root() const { return m_root; }
    size_t NodeCount() const { return m_nodes.size(); }

private:
    friend class TreeMotionBuilder;
    std::deque<ExprNode> m_nodes;
    const ExprNode* m_root = nullptr;
};

constexpr int kMinDriftStrength = 1;  // subtle
constexpr int kMaxDriftStrength = 3;  // wild

// A copy of root in which each constant that its node's kind reads has moved
// to phase t (0 <= t < 1, one loop) of its own closed loop inside -1..1; the
// loop's start and size come from seed and strength. At t = 0 every constant
// is exactly the original. Returns false for a tree that cannot be copied (a
// missing child, an invalid kind, deeper than kMaxTreeDepth).
bool DriftTree(const ExprNode* root, int strength, uint32_t seed, double t, MotionTree& out);

// The tree at t (0..1) of the way from a to b: where both trees have the
// same kind at the same place, the constants move from a's to b's; where
// they differ, the colours of the two branches are blended. At t = 0 the
// copy of a, at t = 1 the copy of b. Returns false as DriftTree does, also
// when the blended tree would pass kMaxTreeDepth.
bool MorphTree(const ExprNode* a, const ExprNode* b, double t, MotionTree& out);
