#pragma once
// The animation window's widget-free part: its choices, their limits, how
// they are remembered (section "Animation"), what the preview computes and
// the texts of the save's progress.

#include "animation/AnimationFormats.h"
#include "render/AnimationFrames.h"

#include <string>

class SettingsStore;

inline constexpr const char* kAnimationSection = "Animation";

constexpr int kMaxAnimationSaveWidth = 3840;
constexpr int kMaxAnimationSaveHeight = 2160;
// The preview is this many logical pixels square, computed at the screen's
// pixels; at most this many frames, and this many bytes of them, are kept:
// a longer animation previews every n-th frame.
constexpr int kAnimationPreviewSide = 240;
constexpr int kMaxPreviewFrames = 300;
constexpr long long kMaxPreviewBytes = 128ll << 20;

struct AnimationChoices {
    int mode = int(MotionMode::Drift);
    int strength = 2;         // kMinDriftStrength .. kMaxDriftStrength
    bool driftToo = false;    // turn and zoom: the constants drift as well
    int angle = 360;          // turn, degrees
    double zoom = 4.0;        // zoom factor
    bool zoomBack = true;     // zoom back out, so that it loops
    double pointX = 0.0;      // turn and zoom about this point of the plane
    double pointY = 0.0;
    double seconds = 4.0;
    int fps = 25;
    uint32_t seed = 1;
    int width = 480;
    int height = 480;
    bool antiAlias = false;
    int type = int(AnimationType::WebP);

    MotionSettings Motion() const;
};

// Reads the choices; a missing or unusable value keeps the default.
void LoadAnimationChoices(SettingsStore& store, AnimationChoices& choices);
void SaveAnimationChoices(SettingsStore& store, const AnimationChoices& choices);

// Why the save size cannot be written as the chosen type, or empty.
std::string AnimationSizeProblem(const AnimationChoices& choices);
// The side in device pixels of the preview's frames on a screen of ratio.
int PreviewSide(double ratio);
// The preview computes every PreviewStep-th frame of an animation of frames
// that are side pixels square.
int PreviewStep(int frames, int side = kAnimationPreviewSide);
// The plane point under pixel (x, y) of a square preview of side pixels.
void PreviewPixelToPlane(int x, int y, int side, double& planeX, double& planeY);
// "Saving frame 12 of 100, 0:35 left" (the time left once it can be told).
std::string SaveProgressText(int done, int total, double elapsedSeconds);
