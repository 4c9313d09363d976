#pragma once
// What an animation is made of, held by value: copies of its trees, its
// settings and what "PIC" reads, so that a worker computing its frames never
// reads a document that may change or go while it runs.

#include "render/AnimationFrames.h"
#include "render/Picture.h"

#include "engine/TreeMotion.h"

#include <memory>

class AnimationSubject {
public:
    // to is read for a morph only. Either tree may be null (Valid is then false).
    AnimationSubject(const ExprNode* from, const ExprNode* to, const MotionSettings& motion,
                     std::shared_ptr<const Picture> source = nullptr);
    AnimationSubject(const AnimationSubject&) = delete;
    AnimationSubject& operator=(const AnimationSubject&) = delete;

    // Whether the trees could be copied.
    bool Valid() const { return m_valid; }
    const AnimationFrames& Frames() const { return m_frames; }
    const MotionSettings& Motion() const { return m_motion; }
    const std::shared_ptr<const Picture>& Source() const { return m_source; }

private:
    MotionTree m_from, m_to;
    MotionSettings m_motion;
    std::shared_ptr<const Picture> m_source;
    bool m_valid;
    AnimationFrames m_frames;
};
