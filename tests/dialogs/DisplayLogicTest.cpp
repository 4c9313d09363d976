// The display dialog's widget-free part: where its values come from and
// what each scope changes and stores.

#include "dialogs/SetDisplayDlg.h"
#include "engine/SettingsStore.h"
#include "shell/DisplaySettings.h"

#include <gtest/gtest.h>

namespace {

struct Applied {
    bool all;
    int antiAlias;
    int pictureResolution;
    unsigned width;
    unsigned height;
};

class RecordingTargets : public DisplayTargets {
public:
    void ApplyToDocuments(bool all, int antiAlias, int pictureResolution, unsigned width, unsigned height) override
    {
        m_applied.push_back({all, antiAlias, pictureResolution, width, height});
    }
    std::vector<Applied> m_applied;
};

struct ScopeRun {
    DisplaySettings frame;
    MemorySettingsStore store;
    RecordingTargets targets;
};

DisplayValues Chosen(unsigned x, unsigned y, int scope)
{
    DisplayValues v;
    v.m_nX = x;
    v.m_nY = y;
    v.m_bKeepAspect = 0;
    v.m_nApply = scope;
    v.m_bAntiAlias = 1;
    v.m_bPictureResolution = 1;
    return v;
}

}  // namespace

TEST(DisplaySettingsDialog, OpensWithTheActiveDocumentsOptionsAndViewSize)
{
    DisplaySettings frame;
    frame.m_nDisplayWidth = 300;
    frame.m_nDisplayHeight = 200;
    frame.m_bAspect = 0;
    frame.m_nApply = 2;
    frame.m_bAntiAlias = 1;
    frame.m_bPictureResolution = 1;  // the main window's follows; the dialog starts from 0 without a document
    DisplayValues v = InitialDisplayValues(frame, std::nullopt);
    EXPECT_EQ(v.m_nX, 300u);
    EXPECT_EQ(v.m_nY, 200u);
    EXPECT_EQ(v.m_bKeepAspect, 0);
    EXPECT_EQ(v.m_nApply, 2);
    EXPECT_EQ(v.m_bAntiAlias, 1);
    EXPECT_EQ(v.m_bPictureResolution, 0);

    v = InitialDisplayValues(frame, ActiveDisplay{1024, 768, 0, 1});
    EXPECT_EQ(v.m_nX, 1024u);
    EXPECT_EQ(v.m_nY, 768u);
    EXPECT_EQ(v.m_bAntiAlias, 0);
    EXPECT_EQ(v.m_bPictureResolution, 1);
    EXPECT_EQ(v.m_nApply, 2);
}

TEST(DisplaySettingsDialog, ThisViewOnlyLeavesTheDefaultsAndStoresOnlyTheScope)
{
    ScopeRun r;
    ApplyDisplaySettings(Chosen(500, 500, APPLY_THIS_VIEW), r.frame, r.store, r.targets);
    ASSERT_EQ(r.targets.m_applied.size(), 1u);
    EXPECT_FALSE(r.targets.m_applied[0].all);
    EXPECT_EQ(r.targets.m_applied[0].width, 500u);
    EXPECT_EQ(r.targets.m_applied[0].antiAlias, 1);
    EXPECT_EQ(r.targets.m_applied[0].pictureResolution, 1);
    EXPECT_EQ(r.frame.m_nDisplayWidth, 300);
    EXPECT_EQ(r.frame.m_bAntiAlias, 0);
    EXPECT_EQ(r.frame.m_nApply, APPLY_THIS_VIEW);
    EXPECT_EQ(r.store.GetProfileInt(kSectionDisplay, kValueApply, -1), 0);
    for (const char* value : {kValueDisplayX, kValueDisplayY, kValueAntiAlias, kValueAspect, kValuePictureResolution})
        EXPECT_FALSE(r.store.Contains(kSectionDisplay, value)) << value;
}

TEST(DisplaySettingsDialog, ThisAndNextViewsSetsAndStoresTheDefaults)
{
    ScopeRun r;
    ApplyDisplaySettings(Chosen(640, 480, APPLY_THIS_AND_NEXT), r.frame, r.store, r.targets);
    ASSERT_EQ(r.targets.m_applied.size(), 1u);
    EXPECT_FALSE(r.targets.m_applied[0].all);
    EXPECT_EQ(r.frame.m_nDisplayWidth, 640);
    EXPECT_EQ(r.frame.m_nDisplayHeight, 480);
    EXPECT_EQ(r.frame.m_bAntiAlias, 1);
    EXPECT_EQ(r.frame.m_bAspect, 0);
    EXPECT_EQ(r.frame.m_bPictureResolution, 1);
    EXPECT_EQ(r.store.GetProfileInt(kSectionDisplay, kValueDisplayX, -1), 640);
    EXPECT_EQ(r.store.GetProfileInt(kSectionDisplay, kValueDisplayY, -1), 480);
    EXPECT_EQ(r.store.GetProfileInt(kSectionDisplay, kValueAntiAlias, -1), 1);
    EXPECT_EQ(r.store.GetProfileInt(kSectionDisplay, kValueAspect, -1), 0);
    EXPECT_EQ(r.store.GetProfileInt(kSectionDisplay, kValuePictureResolution, -1), 1);
    EXPECT_EQ(r.store.GetProfileInt(kSectionDisplay, kValueApply, -1), 1);
}

TEST(DisplaySettingsDialog, AllViewsReachesEveryDocumentAndCutsSizes)
{
    ScopeRun r;
    ApplyDisplaySettings(Chosen(20000, 16384, APPLY_ALL_VIEWS), r.frame, r.store, r.targets);
    ASSERT_EQ(r.targets.m_applied.size(), 1u);
    EXPECT_TRUE(r.targets.m_applied[0].all);
    EXPECT_EQ(r.targets.m_applied[0].width, 16384u);
    EXPECT_EQ(r.targets.m_applied[0].height, 16384u);
    EXPECT_EQ(r.frame.m_nDisplayWidth, 16384);
    EXPECT_EQ(r.store.GetProfileInt(kSectionDisplay, kValueApply, -1), 2);
}
