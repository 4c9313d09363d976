#include "AnimationFrames.h"

#include <algorithm>
#include <cmath>
#include <cstring>

const char* const kMotionModeNames[kNumMotionModes] = {"drift", "turn", "zoom", "morph"};

int MotionModeFromName(const char* name)
{
    for (int m = 0; m < kNumMotionModes; ++m)
        if (std::strcmp(name, kMotionModeNames[m]) == 0)
            return m;
    return -1;
}

int MotionSettings::FrameCount() const
{
    const double frames = std::round(std::clamp(seconds, kMinAnimationSeconds, kMaxAnimationSeconds) *
                                     std::clamp(fps, kMinAnimationFps, kMaxAnimationFps));
    return std::max(1, int(frames));
}

bool MotionSettings::Loops() const
{
    switch (mode) {
    case MotionMode::Drift: return true;
    case MotionMode::Turn: return std::fmod(angle, 360.0) == 0.0;
    case MotionMode::Zoom: return zoomBack;
    default: return false;
    }
}

AnimationFrames::AnimationFrames(const ExprNode* from, const ExprNode* to, const MotionSettings& settings)
    : m_from(from), m_to(to), m_settings(settings), m_count(settings.FrameCount())
{
}

bool AnimationFrames::Frame(int k, AnimationFrame& out) const
{
    const MotionSettings& s = m_settings;
    const int n = m_count;
    k = std::max(k, 0);
    k = s.Loops() ? k % n : std::min(k, n - 1);
    // Position along the animation: k / n on a loop (frame n is frame 0
    // again), k / (n - 1) otherwise, so that the last frame reaches the end.
    const double loopT = double(k) / double(n);
    const double endT = n > 1 ? double(k) / double(n - 1) : 0.0;

    out.view = PlaneView{};
    if (s.mode == MotionMode::Morph)
        return MorphTree(m_from, m_to, endT, out.tree);

    double turn = 0.0, scale = 1.0;
    if (s.mode == MotionMode::Turn) {
        turn = s.angle * (s.Loops() ? loopT : endT);
    } else if (s.mode == MotionMode::Zoom) {
        // Constant apparent speed: the scale falls exponentially with time.
        const double t = s.zoomBack ? 1.0 - std::fabs(1.0 - 2.0 * loopT) : endT;
        scale = k == 0 ? 1.0 : std::pow(std::clamp(s.zoom, kMinZoomFactor, kMaxZoomFactor), -t);
    }
    if (k != 0 && (turn != 0.0 || scale != 1.0)) {
        // The chosen point stays where it is on the picture: p = centre + scale R p.
        out.view.angle = turn;
        out.view.scale = scale;
        PlaneView unmoved = out.view;
        const ViewTransform map(unmoved);
        double px, py;
        map.Map(s.pointX, s.pointY, px, py);
        out.view.centreX = s.pointX - px;
        out.view.centreY = s.pointY - py;
    }
    if (s.Drifts())
        return DriftTree(m_from, s.strength, s.seed, loopT, out.tree);
    return DriftTree(m_from, kMinDriftStrength, s.seed, 0.0, out.tree);  // a plain copy
}
