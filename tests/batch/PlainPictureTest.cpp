// Plain pictures: a constant expression is plain; X, PHI and typical random
// pictures are not; the two rules (one colour over 90 %, flat channels) each
// decide at their edge.

#include "BatchTestSupport.h"

#include "batch/PlainPicture.h"
#include "engine/NodeKinds.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "render/CalcBitmap.h"
#include "render/RenderRequest.h"

#include <gtest/gtest.h>

namespace {

// The picture of an expression text, computed by the reference renderer.
Picture PictureOf(const std::string& text, int side = 64)
{
    CQuilExpression expression;
    StringArchive archive(text);
    EXPECT_NE(expression.ReadExpression(archive), nullptr) << text;
    return ReferencePicture(expression.GetRoot(), side, side);
}

}  // namespace

TEST(PlainPicture, ConstantsArePlainPositionsAreNot)
{
    EXPECT_TRUE(IsPlainPicture(PictureOf("BW[0.300000]")));
    EXPECT_TRUE(IsPlainPicture(PictureOf("RGB[0.100000,-0.500000,0.900000]")));
    EXPECT_TRUE(IsPlainPicture(PictureOf("sin[BW[0.700000]]")));
    EXPECT_FALSE(IsPlainPicture(PictureOf("X[]")));
    EXPECT_FALSE(IsPlainPicture(PictureOf("PHI[]")));
    EXPECT_FALSE(IsPlainPicture(PictureOf("rgb[X[],Y[],BW[-1.000000]]")));
    EXPECT_TRUE(IsPlainPicture(Picture()));
}

TEST(PlainPicture, TypicalRandomPicturesAreNotPlain)
{
    MemorySettingsStore store;
    GenerationSettings settings;
    settings.InitGenerationSettings(store);
    LcgRandomSource random(2024);
    int plain = 0;
    constexpr int kPictures = 40;
    for (int i = 0; i < kPictures; ++i) {
        CQuilExpression expression;
        expression.Reset();
        ASSERT_EQ(expression.GenerateRandom(settings, random), 1);
        plain += IsPlainPicture(ReferencePicture(expression.GetRoot(), 48, 48)) ? 1 : 0;
    }
    // Some random trees are flat; most are not.
    EXPECT_LT(plain, kPictures / 4);
}

TEST(PlainPicture, OneColourOverNinetyPercentOrFlatChannels)
{
    // 100 pixels: 91 of one colour and 9 far apart is plain, 89 is not.
    Picture mostly(10, 10);
    mostly.Fill(0x00204060);
    for (int i = 0; i < 9; ++i)
        mostly.SetPixel(i, 0, i % 2 ? 0x00ffffff : 0x00000000);
    EXPECT_TRUE(IsPlainPicture(mostly));
    mostly.SetPixel(9, 0, 0x00ffffff);
    mostly.SetPixel(0, 1, 0x00000000);
    EXPECT_FALSE(IsPlainPicture(mostly));

    // Every pixel different, each channel within a deviation below 4: plain.
    Picture gradient(16, 16);
    for (int c = 0; c < 16; ++c)
        for (int r = 0; r < 16; ++r)
            gradient.SetPixel(c, r, uint32_t(100 + c / 2) << 16 | uint32_t(100 + r / 2) << 8 | 50u);
    EXPECT_TRUE(IsPlainPicture(gradient));
    // The same spread in steps of 4 varies by more.
    for (int c = 0; c < 16; ++c)
        for (int r = 0; r < 16; ++r)
            gradient.SetPixel(c, r, uint32_t(100 + 2 * c) << 16 | 50u);
    EXPECT_FALSE(IsPlainPicture(gradient));
}
