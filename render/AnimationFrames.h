#pragma once
// What an animation shows: for every frame k of N an expression tree and a
// view of the plane, computed from a still (and for a morph, its partner) and
// the motion's settings. Each frame is then rendered as any picture, so every
// renderer gives it the same pixels.

#include "PlaneView.h"
#include "RenderRequest.h"

#include "engine/TreeMotion.h"

#include <cstdint>

enum class MotionMode : int { Drift = 0, Turn, Zoom, Morph };
constexpr int kNumMotionModes = 4;
// The names of the modes in quil-cli's options and in recipes, by MotionMode.
extern const char* const kMotionModeNames[kNumMotionModes];
// -1 for a name that is no mode.
int MotionModeFromName(const char* name);

constexpr double kMinAnimationSeconds = 0.1;
constexpr double kMaxAnimationSeconds = 600.0;
constexpr int kMinAnimationFps = 1;
constexpr int kMaxAnimationFps = 60;
constexpr double kMinZoomFactor = 1.0 / 1024.0;
constexpr double kMaxZoomFactor = 1024.0;

struct MotionSettings {
    MotionMode mode = MotionMode::Drift;
    // Drift's strength (kMinDriftStrength..kMaxDriftStrength); with turn or
    // zoom, 0 leaves the constants still and any other strength drifts them too.
    int strength = 2;
    double angle = 360.0;       // turn: degrees over the animation
    double zoom = 4.0;          // zoom: the magnification reached
    bool zoomBack = true;       // zoom: back out again, so that the animation loops
    double pointX = 0.0;        // the point turned about or zoomed into, in the plane
    double pointY = 0.0;
    double seconds = 4.0;
    int fps = 25;
    uint32_t seed = 1;

    // round(seconds x fps), at least 1.
    int FrameCount() const;
    // Whether the frame after the last is the first again.
    bool Loops() const;
    // Whether the constants of the tree move.
    bool Drifts() const { return mode == MotionMode::Drift || (mode != MotionMode::Morph && strength > 0); }
};

struct AnimationFrame {
    MotionTree tree;
    PlaneView view;
};

class AnimationFrames {
public:
    // from and to are not owned and must outlive this; to is read by morph only.
    AnimationFrames(const ExprNode* from, const ExprNode* to, const MotionSettings& settings);

    int Count() const { return m_count; }
    // Frame k, 0 <= k; a loop's frames repeat with period Count(), others
    // hold their last frame. False when a tree cannot be made.
    bool Frame(int k, AnimationFrame& out) const;

private:
    const ExprNode* m_from;
    const ExprNode* m_to;
    MotionSettings m_settings;
    int m_count;
};
