#include "AnimationForm.h"

#include "engine/SettingsStore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Stored as integers: the zoom in hundredths, the point in thousandths and
// the length in tenths.
constexpr int kZoomUnits = 100;
constexpr int kPointUnits = 1000;
constexpr int kSecondsUnits = 10;
constexpr int kMaxAngle = 36000;

int ReadInt(SettingsStore& store, const char* name, int current, int min, int max)
{
    const int value = store.GetProfileInt(kAnimationSection, name, current);
    return value < min || value > max ? current : value;
}

}  // namespace

MotionSettings AnimationChoices::Motion() const
{
    MotionSettings m;
    m.mode = MotionMode(std::clamp(mode, 0, kNumMotionModes - 1));
    m.strength = m.mode == MotionMode::Drift || (driftToo && m.mode != MotionMode::Morph) ? strength : 0;
    m.angle = angle;
    m.zoom = zoom;
    m.zoomBack = zoomBack;
    m.pointX = pointX;
    m.pointY = pointY;
    m.seconds = seconds;
    m.fps = fps;
    m.seed = seed;
    return m;
}

void LoadAnimationChoices(SettingsStore& store, AnimationChoices& c)
{
    c.mode = ReadInt(store, "Mode", c.mode, 0, kNumMotionModes - 1);
    c.strength = ReadInt(store, "Strength", c.strength, kMinDriftStrength, kMaxDriftStrength);
    c.driftToo = ReadInt(store, "DriftToo", c.driftToo, 0, 1) != 0;
    c.angle = ReadInt(store, "Angle", c.angle, -kMaxAngle, kMaxAngle);
    c.zoom = ReadInt(store, "Zoom", int(std::lround(c.zoom * kZoomUnits)), 1,
                     int(kMaxZoomFactor) * kZoomUnits) /
             double(kZoomUnits);
    c.zoomBack = ReadInt(store, "ZoomBack", c.zoomBack, 0, 1) != 0;
    c.pointX = ReadInt(store, "PointX", int(std::lround(c.pointX * kPointUnits)), -kPointUnits, kPointUnits) /
               double(kPointUnits);
    c.pointY = ReadInt(store, "PointY", int(std::lround(c.pointY * kPointUnits)), -kPointUnits, kPointUnits) /
               double(kPointUnits);
    c.seconds = ReadInt(store, "Seconds", int(std::lround(c.seconds * kSecondsUnits)), 1,
                        int(kMaxAnimationSeconds) * kSecondsUnits) /
                double(kSecondsUnits);
    c.fps = ReadInt(store, "Fps", c.fps, kMinAnimationFps, kMaxAnimationFps);
    c.seed = uint32_t(ReadInt(store, "Seed", int(c.seed), 0, 0x7fffffff));
    c.width = ReadInt(store, "Width", c.width, 1, kMaxAnimationSaveWidth);
    c.height = ReadInt(store, "Height", c.height, 1, kMaxAnimationSaveHeight);
    c.antiAlias = ReadInt(store, "AntiAlias", c.antiAlias, 0, 1) != 0;
    c.type = ReadInt(store, "Type", c.type, 0, kNumAnimationTypes - 1);
}

void SaveAnimationChoices(SettingsStore& store, const AnimationChoices& c)
{
    store.WriteProfileInt(kAnimationSection, "Mode", c.mode);
    store.WriteProfileInt(kAnimationSection, "Strength", c.strength);
    store.WriteProfileInt(kAnimationSection, "DriftToo", c.driftToo);
    store.WriteProfileInt(kAnimationSection, "Angle", c.angle);
    store.WriteProfileInt(kAnimationSection, "Zoom", int(std::lround(c.zoom * kZoomUnits)));
    store.WriteProfileInt(kAnimationSection, "ZoomBack", c.zoomBack);
    store.WriteProfileInt(kAnimationSection, "PointX", int(std::lround(c.pointX * kPointUnits)));
    store.WriteProfileInt(kAnimationSection, "PointY", int(std::lround(c.pointY * kPointUnits)));
    store.WriteProfileInt(kAnimationSection, "Seconds", int(std::lround(c.seconds * kSecondsUnits)));
    store.WriteProfileInt(kAnimationSection, "Fps", c.fps);
    store.WriteProfileInt(kAnimationSection, "Seed", int(c.seed & 0x7fffffffu));
    store.WriteProfileInt(kAnimationSection, "Width", c.width);
    store.WriteProfileInt(kAnimationSection, "Height", c.height);
    store.WriteProfileInt(kAnimationSection, "AntiAlias", c.antiAlias);
    store.WriteProfileInt(kAnimationSection, "Type", c.type);
}

std::string AnimationSizeProblem(const AnimationChoices& c)
{
    if (c.width < 1 || c.width > kMaxAnimationSaveWidth || c.height < 1 || c.height > kMaxAnimationSaveHeight)
        return "An animation is at most 3840 x 2160 pixels.";
    if (c.type >= 0 && c.type < kNumAnimationTypes && kAnimationTypes[c.type].evenSides &&
        (c.width % 2 != 0 || c.height % 2 != 0))
        return kMsgEvenSides;
    return {};
}

int PreviewSide(double ratio)
{
    // A ratio beyond any screen's (or not a number) keeps the memory bounded.
    const double r = std::isfinite(ratio) ? std::clamp(ratio, 1.0, 4.0) : 1.0;
    return int(std::lround(kAnimationPreviewSide * r));
}

int PreviewStep(int frames, int side)
{
    const long long frameBytes = 4ll * std::max(side, 1) * std::max(side, 1);
    const int kept = int(std::clamp<long long>(kMaxPreviewBytes / frameBytes, 1, kMaxPreviewFrames));
    return std::max(1, (frames + kept - 1) / kept);
}

void PreviewPixelToPlane(int x, int y, int side, double& planeX, double& planeY)
{
    const int s = std::max(side, 1);
    planeX = std::clamp(2.0 * (x + 0.5) / s - 1.0, -1.0, 1.0);
    planeY = std::clamp(2.0 * (y + 0.5) / s - 1.0, -1.0, 1.0);
}

std::string SaveProgressText(int done, int total, double elapsedSeconds)
{
    char text[96];
    const int n = std::snprintf(text, sizeof text, "Saving frame %d of %d", std::min(done + 1, total), total);
    if (done > 0 && done < total) {
        const long left = std::lround(elapsedSeconds / done * (total - done));
        std::snprintf(text + n, sizeof text - size_t(n), ", %ld:%02ld left", left / 60, left % 60);
    }
    return text;
}
