// The widget-free parts of the custom save and copy: the preview's rectangles
// for each margin mode, the progress text, the stored "Bitmap" and "Metrics"
// values and the extension a chosen file type gives.

#include "dialogs/CalcFeedbackDlg.h"
#include "dialogs/PreviewBox.h"
#include "engine/SettingsStore.h"
#include "shell/ExportSettings.h"
#include "shell/MessageBox.h"

#include <gtest/gtest.h>

#include <limits>

TEST(PreviewGeometry, NormalFitsThePictureRatioIntoTheBox)
{
    // Box 160 x 140 (ratio 1.14): a square takes the full height, centred.
    PreviewLayout l = PreviewGeometry(160, 140, 0, 1.0);
    EXPECT_TRUE(l.paper.isEmpty());
    EXPECT_EQ(l.picture, QRect(10, 0, 140, 140));
    // Wider than the box: the full width, centred vertically.
    l = PreviewGeometry(160, 140, 0, 2.0);
    EXPECT_EQ(l.picture, QRect(0, 30, 160, 80));
    // 4:3 in 160 x 140: full width, height trunc(160 / 1.333) = 120.
    l = PreviewGeometry(160, 140, 0, 4.0 / 3.0);
    EXPECT_EQ(l.picture, QRect(0, 10, 160, 120));
}

TEST(PreviewGeometry, PaperModesFitThePaperThenThePictureInIt)
{
    // Portrait 2:3: paper trunc(140 x 2/3) = 93 wide at x = 33; a square
    // picture fills the paper's width, centred in the paper.
    PreviewLayout l = PreviewGeometry(160, 140, 1, 1.0);
    EXPECT_EQ(l.paper, QRect(33, 0, 93, 140));
    EXPECT_EQ(l.picture, QRect(33, 23, 93, 93));
    // Landscape 3:2: paper 160 x 106 at y = 17; a square picture its full height.
    l = PreviewGeometry(160, 140, 3, 1.0);
    EXPECT_EQ(l.paper, QRect(0, 17, 160, 106));
    EXPECT_EQ(l.picture, QRect(27, 17, 106, 106));
    // Portrait 3:4 with a picture of the paper's own ratio: it fills the paper.
    l = PreviewGeometry(160, 140, 2, 0.75);
    EXPECT_EQ(l.paper, QRect(27, 0, 105, 140));
    EXPECT_EQ(l.picture, l.paper);
    // Landscape 4:3 with a tall picture: the paper's full height.
    l = PreviewGeometry(160, 140, 4, 0.5);
    EXPECT_EQ(l.paper, QRect(0, 10, 160, 120));
    EXPECT_EQ(l.picture, QRect(50, 10, 60, 120));
}

TEST(PreviewGeometry, RatiosThatAreNoSizeDrawNoPicture)
{
    for (double aspect : {0.0, -1.0, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_TRUE(PreviewGeometry(160, 140, 0, aspect).picture.isEmpty()) << aspect;
        const PreviewLayout l = PreviewGeometry(160, 140, 1, aspect);
        EXPECT_EQ(l.paper, QRect(33, 0, 93, 140));  // the paper does not need the picture
        EXPECT_TRUE(l.picture.isEmpty());
    }
    EXPECT_TRUE(PreviewGeometry(0, 140, 0, 1.0).picture.isEmpty());
    EXPECT_TRUE(PreviewGeometry(160, 140, 7, 1.0).paper.isEmpty());  // an unknown mode draws as normal
}

TEST(FeedbackText, WholePerCentOfTheColumnsDone)
{
    EXPECT_EQ(FeedbackProgressText(90, 300), QStringLiteral("30 % ready"));
    EXPECT_EQ(FeedbackProgressText(0, 300), QStringLiteral("0 % ready"));
    EXPECT_EQ(FeedbackProgressText(299, 300), QStringLiteral("99 % ready"));
    EXPECT_EQ(FeedbackProgressText(16384, 16384), QStringLiteral("100 % ready"));
    EXPECT_EQ(FeedbackProgressText(10, 0), QStringLiteral("0 % ready"));
    EXPECT_EQ(FeedbackTitle(QStringLiteral("/tmp/a.png")), QStringLiteral("Calculating /tmp/a.png"));
}

TEST(ExportSettings, BitmapDefaultsToTheDisplayedSizeAndCutsLargeSizes)
{
    MemorySettingsStore store;
    BitmapSettings b;
    b.Load(store, 320, 240);
    EXPECT_EQ(b.m_nXPixel, 320u);
    EXPECT_EQ(b.m_nYPixel, 240u);
    EXPECT_EQ(b.m_bAntiAlias, 0);
    EXPECT_EQ(b.m_nMode, 0);
    EXPECT_EQ(b.m_bKeepAspect, 1);

    store.WriteProfileInt("Bitmap", "XPixel", 20000);
    store.WriteProfileInt("Bitmap", "YPixel", -1);  // 4294967295 as unsigned
    store.WriteProfileInt("Bitmap", "Mode", 9);
    store.WriteProfileInt("Bitmap", "AntiAlias", 5);
    b.Load(store, 320, 240);
    EXPECT_EQ(b.m_nXPixel, 16384u);
    EXPECT_EQ(b.m_nYPixel, 16384u);
    EXPECT_EQ(b.m_nMode, 0);
    EXPECT_EQ(b.m_bAntiAlias, 1);
    store.WriteProfileInt("Bitmap", "XPixel", 0);  // no picture has a 0 side
    b.Load(store, 320, 240);
    EXPECT_EQ(b.m_nXPixel, 320u);

    BitmapSettings chosen{640, 480, 1, 3, 0};
    MemorySettingsStore written;
    chosen.Save(written);
    BitmapSettings back;
    back.Load(written, 1, 1);
    EXPECT_EQ(back.m_nXPixel, 640u);
    EXPECT_EQ(back.m_nYPixel, 480u);
    EXPECT_EQ(back.m_bAntiAlias, 1);
    EXPECT_EQ(back.m_nMode, 3);
    EXPECT_EQ(back.m_bKeepAspect, 0);
    EXPECT_FALSE(written.Contains("Bitmap", "FilterLoad"));  // the type is stored only after the save
}

TEST(ExportSettings, MetricsOfTheCopy)
{
    MemorySettingsStore store;
    ClipSettings c;
    c.Load(store);
    EXPECT_EQ(c.m_nClipX, 500u);
    EXPECT_EQ(c.m_nClipY, 500u);
    EXPECT_EQ(c.m_bClipAspect, 1);
    store.WriteProfileInt("Metrics", "ClipX", 16384);
    store.WriteProfileInt("Metrics", "ClipY", 99999);
    store.WriteProfileInt("Metrics", "ClipAspect", 0);
    c.Load(store);
    EXPECT_EQ(c.m_nClipX, 16384u);
    EXPECT_EQ(c.m_nClipY, 16384u);
    EXPECT_EQ(c.m_bClipAspect, 0);
    ClipSettings{120, 90, 1}.Save(store);
    EXPECT_EQ(store.GetProfileInt("Metrics", "ClipX", 0), 120);
    EXPECT_EQ(store.GetProfileInt("Metrics", "ClipY", 0), 90);
    EXPECT_EQ(store.GetProfileInt("Metrics", "ClipAspect", 0), 1);
}

TEST(FileTypeSuffix, TheFirstExtensionOfTheChosenType)
{
    EXPECT_EQ(FirstSuffixOfFilter(QStringLiteral("PNG image (*.png)")), QStringLiteral("png"));
    EXPECT_EQ(FirstSuffixOfFilter(QStringLiteral("JPEG image (*.jpg *.jpeg *.jpe)")), QStringLiteral("jpg"));
    EXPECT_EQ(FirstSuffixOfFilter(QStringLiteral("Windows BMP image (*.bmp *.dib)")), QStringLiteral("bmp"));
    // The patterns stand in the last parentheses; a description may hold its own.
    EXPECT_EQ(FirstSuffixOfFilter(QStringLiteral("Image (*.x) (*.tif *.tiff)")), QStringLiteral("tif"));
    EXPECT_EQ(FirstSuffixOfFilter(QStringLiteral("All Files (*)")), QString());
    EXPECT_EQ(FirstSuffixOfFilter(QString()), QString());
}
