// The picture buffer and the aspect margins.

#include "render/CalcBitmap.h"
#include "render/Picture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

Picture Numbered(int width, int height)
{
    Picture p(width, height);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            p.SetPixel(c, r, uint32_t(0x010000 * (c + 1) + r + 1));
    return p;
}

}  // namespace

TEST(Picture, CreateIsBlackTopDownAndBounded)
{
    Picture p;
    ASSERT_TRUE(p.Create(3, 2));
    EXPECT_EQ(p.Width(), 3);
    EXPECT_EQ(p.Height(), 2);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(p.Pixel(c, r), 0u);
    // Pixel (c, r) is word r * width + c: stride 4 x width, row 0 first.
    p.SetPixel(2, 1, 0x00123456);
    EXPECT_EQ(p.Bits()[1 * 3 + 2], 0x00123456u);
    uint8_t bytes[4];
    std::memcpy(bytes, &p.Bits()[5], 4);
    EXPECT_EQ(bytes[0], 0x56);  // blue, green, red, 0 in memory
    EXPECT_EQ(bytes[2], 0x12);
    EXPECT_EQ(bytes[3], 0x00);

    EXPECT_TRUE(p.Create(kMaxPictureSide, 1));
    EXPECT_FALSE(p.Create(kMaxPictureSide + 1, 1));
    EXPECT_TRUE(p.IsNull());
    EXPECT_EQ(p.Width(), 0);
    EXPECT_FALSE(p.Create(1, kMaxPictureSide + 1));
    EXPECT_FALSE(p.Create(-1, 5));
    EXPECT_TRUE(p.Create(0, 5));
    EXPECT_TRUE(p.IsNull());
    EXPECT_EQ(p.Height(), 5);
    EXPECT_TRUE(p.CreateWithLimit(kMaxMarginedSide, 1, kMaxMarginedSide));

    // Without black pixels the same sizes and limits hold.
    EXPECT_TRUE(p.CreateUninitialised(4, 3));
    EXPECT_EQ(p.Width(), 4);
    EXPECT_EQ(p.Height(), 3);
    EXPECT_FALSE(p.IsNull());
    EXPECT_FALSE(p.CreateUninitialised(kMaxPictureSide + 1, 1));
    EXPECT_TRUE(p.IsNull());
    EXPECT_EQ(p.Width(), 0);
    EXPECT_FALSE(p.CreateUninitialised(3, -2));
    EXPECT_TRUE(p.CreateUninitialised(7, 0));
    EXPECT_TRUE(p.IsNull());
}

TEST(Picture, ClampPictureSideComparesUnsigned)
{
    EXPECT_EQ(ClampPictureSide(300), 300u);
    EXPECT_EQ(ClampPictureSide(16384), 16384u);
    EXPECT_EQ(ClampPictureSide(16385), 16384u);
    EXPECT_EQ(ClampPictureSide(unsigned(-1)), 16384u);  // "-1" typed or stored
}

TEST(Picture, CopiesAreDeepAndSnapshotsEqual)
{
    Picture a = Numbered(4, 3);
    Picture b = a;
    EXPECT_EQ(a, b);
    b.SetPixel(0, 0, 7);
    EXPECT_NE(a, b);
    EXPECT_EQ(a.Pixel(0, 0), 0x010001u);
    Picture s = a.SnapshotShared();
    EXPECT_EQ(s, a);
    EXPECT_NE(s.Bits(), a.Bits());
    Picture empty(0, 4);
    EXPECT_EQ(empty.SnapshotShared(), empty);
}

TEST(Picture, DrawClipsAtEveryEdge)
{
    const Picture src = Numbered(3, 3);
    Picture dest(4, 4);
    dest.Fill(0xabcdef);
    dest.Draw(src, -1, 2);  // left part and bottom row cut off
    EXPECT_EQ(dest.Pixel(0, 2), src.Pixel(1, 0));
    EXPECT_EQ(dest.Pixel(1, 3), src.Pixel(2, 1));
    EXPECT_EQ(dest.Pixel(2, 2), 0xabcdefu);
    EXPECT_EQ(dest.Pixel(0, 1), 0xabcdefu);

    Picture far(2, 2);
    far.Draw(src, 5, 5);
    far.Draw(src, -5, 0);
    far.Draw(src, 2147483000, 2147483000);  // no overflow in the edge arithmetic
    EXPECT_EQ(far, Picture(2, 2));
}

TEST(Picture, PadMovesTheContentAndBlackensTheRest)
{
    for (auto [x, y] : {std::pair{0, 0}, std::pair{3, 0}, std::pair{0, 4}, std::pair{2, 5}}) {
        const Picture original = Numbered(5, 4);
        Picture p = original;
        ASSERT_TRUE(p.Pad(9, 10, x, y));
        Picture want(9, 10);
        want.Draw(original, x, y);
        EXPECT_EQ(p, want) << x << "," << y;
    }
    Picture p = Numbered(5, 4);
    const Picture original = p;
    EXPECT_FALSE(p.Pad(9, 10, 5, 0));   // would not fit
    EXPECT_FALSE(p.Pad(4, 10, 0, 0));   // smaller
    EXPECT_FALSE(p.Pad(9, 10, -1, 0));
    EXPECT_FALSE(p.Pad(kMaxMarginedSide + 1, 4, 0, 0));
    EXPECT_EQ(p, original);
    Picture empty(0, 3);
    ASSERT_TRUE(empty.Pad(2, 3, 1, 0));
    EXPECT_EQ(empty, Picture(2, 3));
}

struct MarginCase {
    int width, height;
    unsigned a, b;
    int newWidth, newHeight, x, y;
};

TEST(AspectMargins, ExamplesPlaceThePictureCentred)
{
    const MarginCase cases[] = {
        {300, 300, 2, 3, 300, 450, 0, 75},
        {301, 300, 4, 3, 400, 300, 49, 0},  // odd margin: the extra pixel goes right
        {200, 300, 2, 3, 200, 300, 0, 0},   // already 2 : 3
        {300, 301, 3, 4, 300, 400, 0, 49},
        {10, 5, 3, 2, 10, 6, 0, 0},         // 10 x 2 / 3 = 6 (integer division)
    };
    for (const MarginCase& m : cases) {
        SCOPED_TRACE(testing::Message() << m.width << "x" << m.height << " " << m.a << ":" << m.b);
        const Picture original = Numbered(m.width, m.height);
        Picture p = original;
        EXPECT_EQ(CCalcBitmap::AddAspectMargins(p, m.a, m.b), 1);
        ASSERT_EQ(p.Width(), m.newWidth);
        ASSERT_EQ(p.Height(), m.newHeight);
        for (int r = 0; r < m.newHeight; ++r)
            for (int c = 0; c < m.newWidth; ++c) {
                const bool inside = c >= m.x && c < m.x + m.width && r >= m.y && r < m.y + m.height;
                const uint32_t want = inside ? original.Pixel(c - m.x, r - m.y) : 0u;
                if (p.Pixel(c, r) != want)
                    FAIL() << "pixel " << c << "," << r;
            }
    }
}

TEST(AspectMargins, ZeroTermsAndModes)
{
    Picture p = Numbered(30, 20);
    const Picture original = p;
    EXPECT_EQ(CCalcBitmap::AddAspectMargins(p, 0, 3), 0);
    EXPECT_EQ(CCalcBitmap::AddAspectMargins(p, 3, 0), 0);
    EXPECT_EQ(p, original);

    EXPECT_EQ(CCalcBitmap::AddMarginsForMode(p, MARGIN_NORMAL), 1);
    EXPECT_EQ(p, original);
    EXPECT_EQ(CCalcBitmap::AddMarginsForMode(p, 5), 0);
    EXPECT_EQ(CCalcBitmap::AddMarginsForMode(p, -1), 0);
    EXPECT_EQ(p, original);

    const int sizes[kNumMarginModes][2] = {{30, 20}, {30, 45}, {30, 40}, {30, 20}, {30, 22}};
    for (int mode = 0; mode < kNumMarginModes; ++mode) {
        Picture q = original;
        EXPECT_EQ(CCalcBitmap::AddMarginsForMode(q, mode), 1) << mode;
        EXPECT_EQ(q.Width(), sizes[mode][0]) << kMarginModeLabels[mode];
        EXPECT_EQ(q.Height(), sizes[mode][1]) << kMarginModeLabels[mode];
    }
}

TEST(AspectMargins, LargestPictureCanStillBePadded)
{
    // A wide picture padded to 2 : 3 passes 16384 in height.
    const int width = 10924;  // the narrowest that does: 10924 x 3 / 2 = 16386
    Picture wide(width, 2);
    wide.SetPixel(width - 1, 1, 0x00ff00);
    ASSERT_EQ(CCalcBitmap::AddAspectMargins(wide, 2, 3), 1);
    EXPECT_EQ(wide.Width(), width);
    EXPECT_EQ(wide.Height(), 16386);
    EXPECT_EQ(wide.Pixel(width - 1, 16384 / 2 + 1), 0x00ff00u);
    EXPECT_EQ(wide.Pixel(width - 1, 16385), 0u);
    // Beyond what any mode can need, the picture stays as it was.
    Picture thin(1, kMaxPictureSide);
    EXPECT_EQ(CCalcBitmap::AddAspectMargins(thin, 2, 1), 0);
    EXPECT_EQ(thin.Width(), 1);
    EXPECT_EQ(thin.Height(), kMaxPictureSide);
}
