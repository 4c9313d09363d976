// Pixels of whole renders, compared with the independent computation of
// RenderTestSupport.h; the channel conversion; the source picture.

#include "RenderTestSupport.h"

#include "render/CalcBitmap.h"
#include "render/PixelMath.h"
#include "render/production/ProductionRenderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

void ExpectSamePictures(const Picture& got, const Picture& want)
{
    ASSERT_EQ(got.Width(), want.Width());
    ASSERT_EQ(got.Height(), want.Height());
    int differences = 0;
    for (int r = 0; r < want.Height(); ++r)
        for (int c = 0; c < want.Width(); ++c)
            if (got.Pixel(c, r) != want.Pixel(c, r) && ++differences <= 5)
                ADD_FAILURE() << "pixel (" << c << ", " << r << "): " << std::hex << got.Pixel(c, r) << " instead of "
                              << want.Pixel(c, r);
    EXPECT_EQ(differences, 0);
}

}  // namespace

TEST(ChannelConversion, ExamplesAndWrap)
{
    EXPECT_EQ(ChannelByte(ChannelToInt(1.0)), 255u);
    EXPECT_EQ(ChannelByte(ChannelToInt(-1.0)), 0u);
    EXPECT_EQ(ChannelByte(ChannelToInt(0.0)), 127u);
    const int32_t one = ChannelToInt(1.0), minusOne = ChannelToInt(-1.0);
    EXPECT_EQ(AntiAliasByte(one, one, one, minusOne), 191u);
    // Not clamped: the low 8 bits of the integer.
    EXPECT_EQ(ChannelToInt(1.01), 256);
    EXPECT_EQ(ChannelByte(ChannelToInt(1.01)), 0u);
    EXPECT_EQ(ChannelToInt(-1.01), -1);  // truncated toward zero
    EXPECT_EQ(ChannelByte(ChannelToInt(-1.01)), 255u);
    EXPECT_EQ(ChannelByte(ChannelToInt(3.0)), 510u & 0xffu);
    EXPECT_EQ(ChannelByte(ChannelToInt(-1.02)), 254u);  // t = -2.55 -> -2
    EXPECT_EQ(ChannelByte(ChannelToInt(-1.03)), 253u);  // t = -3.825 -> -3
}

TEST(ChannelConversion, DefinedForEveryDouble)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double v : {nan, -nan, inf, -inf, 1e300, -1e300, 16843009.0, -16843011.0})
        EXPECT_EQ(ChannelToInt(v), INT32_MIN) << v;
    EXPECT_EQ(ChannelByte(ChannelToInt(nan)), 0u);
    // The largest values that still convert.
    EXPECT_EQ(ChannelToInt(16843008.0), 2147483647);    // t = 2147483647.5
    EXPECT_EQ(ChannelToInt(-16843010.0), -2147483647);  // t = -2147483647.5
    // Four out-of-range samples: the sum passes the int range, the mean is still defined.
    EXPECT_EQ(AntiAliasByte(INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN), 0u);
    EXPECT_EQ(AntiAliasByte(INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX), 0xffu);
}

TEST(ChannelConversion, MeanMatchesExactArithmetic)
{
    std::mt19937 gen(7);
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
    std::uniform_int_distribution<int32_t> near(-600, 600);
    for (int i = 0; i < 20000; ++i) {
        int32_t t[4];
        for (int32_t& v : t)
            v = i % 2 ? any(gen) : near(gen);
        ASSERT_EQ(AntiAliasByte(t[0], t[1], t[2], t[3]), expected::MeanByte(t[0], t[1], t[2], t[3]))
            << t[0] << " " << t[1] << " " << t[2] << " " << t[3];
    }
}

TEST(SamplePositions, OnePixelIsSampledJustOffTheCentre)
{
    // times(X, BW(1e6)) turns the tiny offset of x into a whole byte: a
    // sample at exactly 0 would give 127, one just left of 0 gives -127 & 255.
    TreeBuilder t;
    t.Fn(KIND_RGBF, t.Fn(KIND_TIMES, t.Leaf(KIND_X), t.Leaf(KIND_BW, 1e6)),
         t.Fn(KIND_TIMES, t.Leaf(KIND_Y), t.Leaf(KIND_BW, 1e5)), t.Leaf(KIND_BW, 0.0));
    const RenderOutcome got = RenderNow(t.Root(), 1, 1);
    const double x = 2 * 0.499999 - 1, y = 2 * 0.50001 - 1;
    const uint32_t red = expected::Byte(expected::ToInt(x * 1e6));
    const uint32_t green = expected::Byte(expected::ToInt(y * 1e5));
    EXPECT_EQ(red, 129u);    // x = -2e-6: -2 -> t = -127
    EXPECT_EQ(green, 126u);  // y = 2e-5: 2 -> t = 382
    EXPECT_EQ(got.picture.Pixel(0, 0), (red << 16) | (green << 8) | 127u);
    EXPECT_EQ(got.result, 1);
}

TEST(SamplePositions, AntiAliasSamplesInOrder)
{
    EXPECT_EQ(SampleCoordinate(0, kAntiAliasSamples[0].dx, 300), 2 * 0.33333 / 300 - 1);
    EXPECT_EQ(SampleCoordinate(0, kAntiAliasSamples[0].dy, 300), 2 * 0.333331 / 300 - 1);
    const double order[4][2] = {{0.33333, 0.333331}, {0.666666, 0.333331}, {0.33333, 0.666661}, {0.66666, 0.666661}};
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(kAntiAliasSamples[s].dx, order[s][0]);
        EXPECT_EQ(kAntiAliasSamples[s].dy, order[s][1]);
    }
}

// Trees with their colour functions written out by hand.
struct Case {
    const char* name;
    std::function<const ExprNode*(TreeBuilder&)> build;
    ColourFunction colour;
};

std::vector<Case> Cases()
{
    return {
        {"xym", [](TreeBuilder& t) { return t.Leaf(KIND_XYM); },
         [](double x, double y, Colour) { return Colour{x, y, (x + y) * 0.5}; }},
        {"cir", [](TreeBuilder& t) { return t.Leaf(KIND_CIR); },
         [](double x, double y, Colour) { return Colour{-y, x, 0}; }},
        // Products far outside [-1, 1]: every pixel wraps.
        {"times", [](TreeBuilder& t) { return t.Fn(KIND_TIMES, t.Leaf(KIND_XYM), t.Leaf(KIND_RGB, 7.5, -3.25, 40)); },
         [](double x, double y, Colour) { return Colour{x * 7.5, y * -3.25, (x + y) * 0.5 * 40}; }},
        {"r", [](TreeBuilder& t) { return t.Leaf(KIND_R); },
         [](double x, double y, Colour) {
             const double v = std::sqrt((x * x + y * y) * 0.5);
             return Colour{v, v, v};
         }},
    };
}

TEST(WholePictures, MatchIndependentComputation)
{
    for (const Case& test : Cases())
        for (bool antiAlias : {false, true})
            for (auto size : {std::pair{37, 23}, std::pair{1, 5}, std::pair{64, 64}}) {
                SCOPED_TRACE(testing::Message() << test.name << " aa=" << antiAlias << " " << size.first << "x"
                                                << size.second);
                TreeBuilder t;
                test.build(t);
                const RenderOutcome got = RenderNow(t.Root(), size.first, size.second, antiAlias);
                EXPECT_EQ(got.result, 1);
                ExpectSamePictures(got.picture, expected::Render(test.colour, size.first, size.second, antiAlias));
            }
}

TEST(WholePictures, ProductionKindGivesTheSamePixels)
{
    for (const Case& test : Cases()) {
        SCOPED_TRACE(test.name);
        TreeBuilder t;
        test.build(t);
        const RenderOutcome reference = RenderNow(t.Root(), 45, 31, true, nullptr, RenderReference);
        const RenderOutcome production = RenderNow(t.Root(), 45, 31, true, nullptr, RenderProduction);
        ExpectSamePictures(production.picture, reference.picture);
        EXPECT_EQ(production.notifications, reference.notifications);
    }
}

TEST(SourcePicture, SmallerSourceFillsOnlyTheTopLeft)
{
    auto source = std::make_shared<Picture>(100, 50);
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 100; ++c)
            source->SetPixel(c, r, uint32_t(((c * 2) << 16) | ((r * 5) << 8) | ((c + r) & 255)));
    TreeBuilder t;
    t.Leaf(KIND_PIC);
    const auto identity = [](double, double, Colour in) { return in; };
    for (bool antiAlias : {false, true}) {
        const RenderOutcome got = RenderNow(t.Root(), 300, 300, antiAlias, source);
        ExpectSamePictures(got.picture, expected::Render(identity, 300, 300, antiAlias, source.get()));
        // Outside the source "PIC" reads black.
        EXPECT_EQ(got.picture.Pixel(100, 0), 0u);
        EXPECT_EQ(got.picture.Pixel(0, 50), 0u);
        EXPECT_EQ(got.picture.Pixel(299, 299), 0u);
        int same = 0;
        for (int r = 0; r < 50; ++r)
            for (int c = 0; c < 100; ++c)
                same += got.picture.Pixel(c, r) == source->Pixel(c, r);
        EXPECT_GT(same, 100 * 50 / 2);  // the byte round trip loses at most one step
    }
}

TEST(SourcePicture, LargerSourceIsCutNotScaled)
{
    auto source = std::make_shared<Picture>(20, 20);
    source->Fill(0xffffff);
    source->SetPixel(3, 4, 0xff0000);
    TreeBuilder t;
    t.Fn(KIND_NEG, t.Leaf(KIND_PIC));
    const RenderOutcome got = RenderNow(t.Root(), 5, 6, false, source);
    EXPECT_EQ(got.picture.Pixel(3, 4), 0x00ffffu);  // negated red
    EXPECT_EQ(got.picture.Pixel(0, 0), 0x000000u);
}

TEST(SourcePicture, NoSourceReadsBlackEverywhere)
{
    TreeBuilder t;
    t.Fn(KIND_NEG, t.Leaf(KIND_PIC));
    const RenderOutcome got = RenderNow(t.Root(), 7, 3, true);
    Picture white(7, 3);
    white.Fill(0xffffff);
    ExpectSamePictures(got.picture, white);
}
