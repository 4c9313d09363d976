#include "AnimationSubject.h"

namespace {
// A plain copy: a drift that has not begun.
bool CopyTree(const ExprNode* root, MotionTree& out) { return root && DriftTree(root, 1, 0, 0.0, out); }
}  // namespace

AnimationSubject::AnimationSubject(const ExprNode* from, const ExprNode* to, const MotionSettings& motion,
                                   std::shared_ptr<const Picture> source)
    : m_motion(motion), m_source(std::move(source)),
      m_valid(CopyTree(from, m_from) && (motion.mode != MotionMode::Morph || CopyTree(to, m_to))),
      m_frames(m_from.Root(), m_to.Root(), m_motion)
{
}
