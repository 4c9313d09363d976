// The animation window's stored choices: they come back as they were saved,
// and values out of range (an edited settings file) give way to the defaults.

#include "dialogs/AnimationForm.h"

#include "engine/SettingsStore.h"

#include <gtest/gtest.h>

TEST(AnimationForm, ChoicesComeBackAndBadValuesKeepTheDefaults)
{
    MemorySettingsStore store;
    AnimationChoices saved;
    saved.mode = int(MotionMode::Zoom);
    saved.strength = 3;
    saved.driftToo = true;
    saved.zoom = 12.5;
    saved.zoomBack = false;
    saved.pointX = -0.25;
    saved.pointY = 0.875;
    saved.seconds = 7.5;
    saved.fps = 30;
    saved.seed = 4242;
    saved.width = 1920;
    saved.height = 1080;
    saved.antiAlias = true;
    saved.type = int(AnimationType::Mp4);
    SaveAnimationChoices(store, saved);
    AnimationChoices read;
    LoadAnimationChoices(store, read);
    EXPECT_EQ(read.mode, saved.mode);
    EXPECT_EQ(read.zoom, 12.5);
    EXPECT_EQ(read.pointY, 0.875);
    EXPECT_EQ(read.seconds, 7.5);
    EXPECT_EQ(read.width, 1920);
    EXPECT_EQ(read.type, saved.type);
    EXPECT_EQ(read.Motion().strength, 3);  // zoom drifting as well

    for (const char* name : {"Mode", "Strength", "Zoom", "Seconds", "Fps", "Width", "Height", "Type", "PointX"})
        store.WriteProfileInt(kAnimationSection, name, 200000);
    store.WriteProfileString(kAnimationSection, "Angle", "ninety");
    AnimationChoices defaults, bad;
    LoadAnimationChoices(store, bad);
    EXPECT_EQ(bad.mode, defaults.mode);
    EXPECT_EQ(bad.strength, defaults.strength);
    EXPECT_EQ(bad.zoom, defaults.zoom);
    EXPECT_EQ(bad.seconds, defaults.seconds);
    EXPECT_EQ(bad.fps, defaults.fps);
    EXPECT_EQ(bad.width, defaults.width);
    EXPECT_EQ(bad.height, defaults.height);
    EXPECT_EQ(bad.type, defaults.type);
    EXPECT_EQ(bad.pointX, defaults.pointX);
    EXPECT_EQ(bad.angle, defaults.angle);

    // Sizes the chosen type cannot take.
    AnimationChoices odd;
    odd.width = 641;
    odd.type = int(AnimationType::WebM);
    EXPECT_EQ(AnimationSizeProblem(odd), kMsgEvenSides);
    odd.type = int(AnimationType::Gif);
    EXPECT_EQ(AnimationSizeProblem(odd), "");
    odd.height = 2161;
    EXPECT_NE(AnimationSizeProblem(odd), "");
}
