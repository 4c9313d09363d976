// The frames of an animation: the first is the still, loops close without a
// jump, frames move by small steps, a morph runs from one picture to the
// other, and both renderers agree on every frame.

#include "render/AnimationFrames.h"
#include "render/Picture.h"
#include "render/RenderRequest.h"
#include "render/production/ProductionRenderer.h"

#include "tests/engine/ExpressionText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* const kTreeA = "rgb[sin[plus[R2C[0.300000,-0.200000,],times[X[],BW[0.500000]]]],"
                           "cos[minus[SPIRC[0.100000,-0.400000,0.600000],Y[]]],"
                           "plus[RGB[0.200000,-0.700000,0.900000],times[Y[],X[]]]]";
const char* const kTreeB = "rgb[sin[plus[R2C[-0.500000,0.400000,],times[X[],BW[-0.200000]]]],"
                           "cos[times[Y[],Y[]]],minus[CIR[],R[]]]";

Picture Render(const ExprNode* root, const PlaneView& view, bool production, int size = 32)
{
    CEvaluator evaluator;
    Picture target(size, size);
    RenderRequest request;
    request.evaluator = &evaluator;
    request.root = root;
    request.target = &target;
    request.view = view;
    request.threads = 2;
    EXPECT_EQ(production ? RenderProduction(request) : RenderReference(request), 1);
    return target;
}

Picture RenderFrame(const AnimationFrames& frames, int k, bool production = false)
{
    AnimationFrame frame;
    EXPECT_TRUE(frames.Frame(k, frame)) << k;
    return Render(frame.tree.Root(), frame.view, production);
}

// Mean absolute difference of the channel bytes.
double MeanDifference(const Picture& a, const Picture& b)
{
    double sum = 0;
    for (int r = 0; r < a.Height(); ++r)
        for (int c = 0; c < a.Width(); ++c)
            for (int shift : {0, 8, 16})
                sum += std::abs(int((a.Pixel(c, r) >> shift) & 0xff) - int((b.Pixel(c, r) >> shift) & 0xff));
    return sum / (3.0 * a.Width() * a.Height());
}

bool SamePixels(const Picture& a, const Picture& b) { return MeanDifference(a, b) == 0.0; }

void ExpectConstantsInRange(const ExprNode* node)
{
    std::vector<const ExprNode*> stack{node};
    while (!stack.empty()) {
        const ExprNode* n = stack.back();
        stack.pop_back();
        const ParamLayout& params = kNodeKinds[n->nKind].params;
        for (int i = 0; i < params.count; ++i)
            EXPECT_LE(std::fabs(n->dParam[params.index[i]]), 1.0);
        for (int i = 0; i < n->nChildren; ++i)
            stack.push_back(n->pChild[i]);
    }
}

MotionSettings Settings(MotionMode mode)
{
    MotionSettings s;
    s.mode = mode;
    s.seconds = 1.0;
    s.fps = 24;
    s.pointX = 0.3;
    s.pointY = -0.2;
    s.strength = mode == MotionMode::Drift ? 3 : 0;
    s.seed = 11;
    return s;
}

TEST(AnimationFrames, FirstFrameIsTheStill)
{
    auto a = Parse(kTreeA);
    const Picture still = Render(a->GetRoot(), PlaneView{}, false);
    for (MotionMode mode : {MotionMode::Drift, MotionMode::Turn, MotionMode::Zoom}) {
        MotionSettings s = Settings(mode);
        s.strength = 3;  // turn and zoom with drift too
        const AnimationFrames frames(a->GetRoot(), nullptr, s);
        EXPECT_TRUE(SamePixels(RenderFrame(frames, 0), still)) << kMotionModeNames[int(mode)];
        EXPECT_TRUE(SamePixels(RenderFrame(frames, 0, true), still)) << kMotionModeNames[int(mode)];
    }
}

// Every step, the last to the first included, is small beside the
// difference of two unrelated pictures; the middle of the loop has moved.
TEST(AnimationFrames, LoopsMoveInSmallStepsAndClose)
{
    auto a = Parse(kTreeA);
    auto b = Parse(kTreeB);
    const double unrelated = MeanDifference(Render(a->GetRoot(), {}, false), Render(b->GetRoot(), {}, false));
    for (MotionMode mode : {MotionMode::Drift, MotionMode::Turn, MotionMode::Zoom}) {
        MotionSettings s = Settings(mode);
        s.seconds = 2.0;
        ASSERT_TRUE(s.Loops());
        const AnimationFrames frames(a->GetRoot(), nullptr, s);
        const int n = frames.Count();
        ASSERT_EQ(n, 48);
        std::vector<Picture> pictures;
        for (int k = 0; k <= n; ++k)
            pictures.push_back(RenderFrame(frames, k));
        EXPECT_TRUE(SamePixels(pictures[size_t(n)], pictures[0])) << kMotionModeNames[int(mode)];
        double largest = 0;
        for (int k = 0; k < n; ++k)
            largest = std::max(largest, MeanDifference(pictures[size_t(k)], pictures[size_t(k) + 1]));
        EXPECT_LT(largest, unrelated / 4) << kMotionModeNames[int(mode)] << " " << unrelated;
        EXPECT_GT(MeanDifference(pictures[0], pictures[size_t(n / 2)]), largest / 4) << kMotionModeNames[int(mode)];
        if (mode == MotionMode::Drift)
            for (int k = 0; k < n; k += 5) {
                AnimationFrame frame;
                ASSERT_TRUE(frames.Frame(k, frame));
                ExpectConstantsInRange(frame.tree.Root());
            }
    }
}

TEST(AnimationFrames, MorphRunsFromOnePictureToTheOther)
{
    auto a = Parse(kTreeA);
    auto b = Parse(kTreeB);
    MotionSettings s = Settings(MotionMode::Morph);
    const AnimationFrames morph(a->GetRoot(), b->GetRoot(), s);
    const int last = morph.Count() - 1;
    EXPECT_TRUE(SamePixels(RenderFrame(morph, 0), Render(a->GetRoot(), {}, false)));
    EXPECT_TRUE(SamePixels(RenderFrame(morph, last), Render(b->GetRoot(), {}, false)));
    // The blended frames: both renderers agree, and the steps are small.
    for (int k : {1, last / 2, last - 1})
        EXPECT_TRUE(SamePixels(RenderFrame(morph, k), RenderFrame(morph, k, true))) << k;
    EXPECT_LT(MeanDifference(RenderFrame(morph, last / 2), RenderFrame(morph, last / 2 + 1)),
              MeanDifference(RenderFrame(morph, 0), RenderFrame(morph, last)) / 4);

    const AnimationFrames still(a->GetRoot(), a->GetRoot(), s);
    const Picture first = RenderFrame(still, 0);
    for (int k = 1; k <= last; k += 4)
        EXPECT_TRUE(SamePixels(RenderFrame(still, k), first)) << k;
}

TEST(AnimationFrames, BrokenTreesAreRefused)
{
    auto a = Parse(kTreeA);
    ExprNode broken = *a->GetRoot();
    broken.pChild[1] = nullptr;
    AnimationFrame frame;
    EXPECT_FALSE(AnimationFrames(&broken, nullptr, Settings(MotionMode::Drift)).Frame(3, frame));
    EXPECT_FALSE(AnimationFrames(a->GetRoot(), &broken, Settings(MotionMode::Morph)).Frame(3, frame));
    EXPECT_EQ(frame.tree.Root(), nullptr);
}

}  // namespace
