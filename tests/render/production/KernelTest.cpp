// The pieces that replace library calls must be the library's values bit for
// bit, on special values most of all; and the wide kernels must compute
// what the baseline ones compute.

#include "render/production/Kernels.h"
#include "render/production/LibraryStats.h"
#include "render/production/Ops.h"

#include "render/PixelMath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

using namespace production;

namespace {

std::vector<double> SpecialValues()
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double two52 = 4503599627370496.0;
    std::vector<double> v = {0.0,   -0.0,   0.5,    -0.5,   1.0,   -1.0,   1.5,    -1.5,   2.5,  -2.5,
                             0.49999999999999994, -0.49999999999999994, 3.0, -3.0, 1e-310, -1e-310,
                             two52, -two52, two52 - 0.5, -(two52 - 0.5), two52 + 1, -(two52 + 1),
                             2147483647.5, -2147483648.5, 1e300, -1e300, inf, -inf, nan, -nan,
                             std::numeric_limits<double>::min(), std::numeric_limits<double>::max()};
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> wide(-1e6, 1e6), narrow(-3, 3);
    for (int i = 0; i < 2000; ++i) {
        v.push_back(wide(rng));
        v.push_back(narrow(rng));
        uint64_t bits = rng();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        v.push_back(any);
    }
    return v;
}

// Same bits, or both NaN (NaN payloads never reach a pixel).
bool Same(double a, double b) { return (std::isnan(a) && std::isnan(b)) || DoubleBits(a) == DoubleBits(b); }

TEST(ProductionKernels, TruncationAndFractionMatchTheLibrary)
{
    for (double t : SpecialValues()) {
        EXPECT_TRUE(Same(TruncExact(t), std::trunc(t))) << t;
        double whole;
        EXPECT_TRUE(Same(FracPart(t), std::modf(t, &whole))) << t;
    }
}

TEST(ProductionKernels, FmodQuickAnswersMatchTheLibrary)
{
    const std::vector<double> values = SpecialValues();
    for (size_t i = 0; i + 1 < values.size(); i += 3) {
        const double v = values[i], w = values[i + 1];
        const double expected = w == 0.0 ? w : std::fmod(v, w);
        EXPECT_TRUE(Same(FFmod(v, w), expected)) << v << " " << w;
        if (!FmodNeedsCall(v, w) && w != 0.0) {
            EXPECT_TRUE(Same(FmodQuick(v, w), std::fmod(v, w))) << v << " " << w;
        }
    }
    // Around the edges of the quick answers: |a| = |b|, |a| just below 2|b|,
    // signed zeros, the largest divisors.
    const double big = std::numeric_limits<double>::max();
    const double pairs[][2] = {{3.0, 3.0},   {-3.0, 3.0},  {3.0, -3.0},  {-0.75, 0.5}, {0.75, -0.5},
                               {1.9999999999999998, 1.0}, {-1.9999999999999998, -1.0}, {2.0, 1.0},
                               {0.0, 1.0},   {-0.0, 1.0},  {big, big},   {-big, big / 1.5}, {1e-310, 7e-311},
                               {0.3, 0.1},   {-0.3, 0.1},  {1.0, 0.6},   {-1.0, 0.6}};
    for (const auto& p : pairs)
        EXPECT_TRUE(Same(FFmod(p[0], p[1]), std::fmod(p[0], p[1]))) << p[0] << " " << p[1];
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> nominal(-1.0, 1.0);
    for (int i = 0; i < 100000; ++i) {
        const double v = nominal(rng), w = nominal(rng);
        ASSERT_TRUE(Same(FFmod(v, w), w == 0.0 ? w : std::fmod(v, w))) << v << " " << w;
    }
}

// Each compute operation through the baseline and through every wider
// compilation this processor runs, on arrays of special and random values (odd lengths leave
// remainders after the vector loops).
TEST(ProductionKernels, WideKernelsMatchTheBaseline)
{
    const std::vector<double> pool = SpecialValues();
    constexpr int kN = 203;
    std::vector<double> regs(8 * kN);
    double* r[8];
    for (int k = 0; k < 8; ++k)
        r[k] = regs.data() + k * kN;
    std::vector<double> scratch(2 * kN);
    std::mt19937 rng(11);
    LibraryCounts counts;
    KernelContext ctx;
    ctx.counts = &counts;
    ctx.scratch[0] = scratch.data();
    ctx.scratch[1] = scratch.data() + kN;
    const std::vector<const KernelSet*> variants = RunnableKernels();
    for (int op = int(Op::Add); op <= int(Op::Pick); ++op) {
        for (int round = 0; round < 4; ++round) {
            for (int k = 0; k < 4; ++k)
                for (int i = 0; i < kN; ++i)
                    r[k][i] = pool[rng() % pool.size()];
            Instr in;
            in.op = Op(op);
            in.dst = 4;
            for (int k = 0; k < kOpInfo[op].operands; ++k)
                in.src[k] = k;
            in.k[0] = pool[rng() % pool.size()];
            in.k[1] = pool[rng() % pool.size()];
            for (bool reuse : {false, true}) {
                ctx.reuseRepeats = reuse;
                kBaselineKernels.compute(in, kN, r, ctx);
                std::vector<double> baseline(r[4], r[4] + kN);
                for (int i = 0; i < kN; ++i) {
                    double v[4] = {r[0][i], r[1][i], r[2][i], r[3][i]};
                    ASSERT_TRUE(Same(baseline[size_t(i)], FoldScalar(Op(op), v, in.k[0], in.k[1])))
                        << kOpInfo[op].name << " sample " << i;
                }
                in.dst = 5;
                for (size_t variant = 1; variant < variants.size(); ++variant) {
                    variants[variant]->compute(in, kN, r, ctx);
                    for (int i = 0; i < kN; ++i)
                        ASSERT_TRUE(Same(baseline[size_t(i)], r[5][i]))
                            << kOpInfo[op].name << " variant " << variant << " sample " << i;
                }
                in.dst = 4;
            }
        }
    }
}
// The lazy "if"'s index work and the pixel packing, in every compilation:
// lists in increasing order, NaN conditions on the second side, and pixel
// bytes (packed in words, or a channel's alone) that are the pixel formula's
// for special values too.
TEST(ProductionKernels, IndexWorkAndPackingInEveryCompilation)
{
    const std::vector<double> pool = SpecialValues();
    std::mt19937 rng(13);
    for (const KernelSet* set : RunnableKernels()) {
        for (int n : {0, 1, 7, 64, 203}) {
            std::vector<double> cond(static_cast<size_t>(n));
            for (double& c : cond)
                c = pool[rng() % pool.size()];
            std::vector<int32_t> listB(size_t(n) + kListSlack), listC(size_t(n) + kListSlack);
            const int nb = set->partition(n, cond.data(), listB.data(), listC.data());
            std::vector<int32_t> expectB, expectC;
            for (int i = 0; i < n; ++i)
                (cond[size_t(i)] >= 0.0 ? expectB : expectC).push_back(i);
            ASSERT_EQ(nb, int(expectB.size())) << set->name << " n " << n;
            EXPECT_TRUE(std::equal(expectB.begin(), expectB.end(), listB.begin())) << set->name;
            EXPECT_TRUE(std::equal(expectC.begin(), expectC.end(), listC.begin())) << set->name;

            // Gather the B side, scatter it back into a copy of C's values, and
            // put C's own values back in place: the original again.
            std::vector<double> side(size_t(n) + 1), merged(size_t(n) + 1, 99.0);
            set->gather(nb, side.data(), cond.data(), listB.data());
            for (int j = 0; j < nb; ++j)
                ASSERT_TRUE(Same(side[size_t(j)], cond[size_t(listB[size_t(j)])])) << set->name;
            set->scatter(nb, merged.data(), side.data(), listB.data());
            set->scatterInPlace(n - nb, merged.data(), cond.data(), listC.data());
            for (int i = 0; i < n; ++i)
                ASSERT_TRUE(Same(merged[size_t(i)], cond[size_t(i)])) << set->name << " sample " << i;
        }
        for (int samples : {1, 4}) {
            constexpr int kPixels = 131;
            std::vector<double> channel[3];
            for (auto& c : channel) {
                c.resize(size_t(kPixels * samples));
                for (double& v : c)
                    v = rng() % 4 == 0 ? pool[rng() % pool.size()] : std::ldexp(double(int(rng() % 4001) - 2000), -10);
            }
            std::vector<uint32_t> words(kPixels);
            set->pack(kPixels, samples, channel[0].data(), channel[1].data(), channel[2].data(), words.data());
            std::vector<uint8_t> blue(kPixels);
            set->bytes(kPixels, samples, channel[2].data(), blue.data());
            for (int p = 0; p < kPixels; ++p) {
                uint32_t bytes[3];
                for (int k = 0; k < 3; ++k) {
                    const double* v = channel[k].data() + p * samples;
                    bytes[k] = samples == 1 ? ChannelByte(ChannelToInt(v[0]))
                                            : AntiAliasByte(ChannelToInt(v[0]), ChannelToInt(v[1]),
                                                            ChannelToInt(v[2]), ChannelToInt(v[3]));
                }
                ASSERT_EQ(words[size_t(p)], PackPixel(bytes[0], bytes[1], bytes[2]))
                    << set->name << " samples " << samples << " pixel " << p;
                ASSERT_EQ(blue[size_t(p)], bytes[2]) << set->name << " bytes, samples " << samples << " pixel " << p;
            }
        }
    }
}

// The consistent vector functions of every compilation this processor runs
// give the scalar functions' bits (a NaN's sign aside) on the arguments the
// kinds pass, special values included; and those stay within one unit in
// the last place of the C library's values. fmod, exact, is the C library's
// to the bit.
TEST(ProductionKernels, ConsistentMathAgreesInEveryCompilation)
{
    const std::vector<double> pool = SpecialValues();
    std::mt19937_64 rng(17);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    // One in four from the pool (special, huge and any bits); the others
    // from each function's own range: channels times pi, exp's overflow
    // edges, log's shifted channels and squared radii, coordinates.
    const auto argument = [&](LibFn fn) {
        if (rng() % 4 == 0)
            return pool[rng() % pool.size()];
        const double u = unit(rng);
        switch (fn) {
        case LibFn::Sin:
        case LibFn::Cos: return M_PI * u * (rng() % 8 == 0 ? 50.0 : 1.0);
        case LibFn::Exp: return rng() % 8 == 0 ? 760.0 * u : 1.5 * u;
        case LibFn::Log: return rng() % 2 ? u + 1.3130352854993312 : std::ldexp(std::fabs(u), int(rng() % 2100) - 1075);
        case LibFn::Pow: return std::ldexp(std::fabs(u), int(rng() % 80) - 40);
        case LibFn::Fmod: return std::ldexp(u, int(rng() % 2100) - 1075);  // quotients of any size
        default: return rng() % 8 == 0 ? 0.0 * u : 2.0 * u;
        }
    };
    // Signed distance in units in the last place, through the ordered bits.
    const auto ulps = [](double a, double b) {
        const auto ordered = [](double v) {
            const int64_t bits = int64_t(DoubleBits(v));
            return bits < 0 ? int64_t(INT64_MIN) - bits : bits;
        };
        return ordered(a) - ordered(b);
    };
    constexpr int kN = 100003;  // leaves a partial lane group
    std::vector<double> a(kN), b(kN), out(kN);
    for (LibFn fn : {LibFn::Sin, LibFn::Cos, LibFn::Exp, LibFn::Log, LibFn::Pow, LibFn::Atan2, LibFn::Fmod}) {
        for (int i = 0; i < kN; ++i) {
            a[size_t(i)] = argument(fn);
            b[size_t(i)] = argument(fn);
        }
        for (int i = 0; i < kN; ++i) {
            const double scalar = CallOne(fn, a[size_t(i)], b[size_t(i)], MathLibrary::Consistent);
            const double system = CallOne(fn, a[size_t(i)], b[size_t(i)], MathLibrary::System);
            ASSERT_EQ(std::isnan(scalar), std::isnan(system)) << kLibFnNames[int(fn)] << "(" << a[size_t(i)] << ")";
            if (!std::isnan(scalar)) {
                ASSERT_LE(std::abs(ulps(scalar, system)), 1) << kLibFnNames[int(fn)] << "(" << a[size_t(i)] << ")";
            }
        }
        for (const KernelSet* set : RunnableKernels()) {
            set->math(fn, kN, out.data(), a.data(), b.data());
            for (int i = 0; i < kN; ++i)
                ASSERT_TRUE(Same(out[size_t(i)], CallOne(fn, a[size_t(i)], b[size_t(i)], MathLibrary::Consistent)))
                    << set->name << " " << kLibFnNames[int(fn)] << "(" << a[size_t(i)] << ", " << b[size_t(i)] << ")";
        }
    }
}

TEST(ProductionKernels, SamplerKeepsAUniformSample)
{
    ArgumentSampler sampler(1000);
    for (int i = 0; i < 100000; ++i)
        sampler.Add(LibFn::Sin, double(i), 0.0);
    const auto& samples = sampler.Samples(LibFn::Sin);
    ASSERT_EQ(samples.size(), 1000u);
    double mean = 0;
    for (const auto& s : samples)
        mean += s.first;
    mean /= double(samples.size());
    EXPECT_NEAR(mean, 50000.0, 5000.0);  // a sample of the first 1000 would give 500
    EXPECT_TRUE(sampler.Samples(LibFn::Cos).empty());
    EXPECT_EQ(ReplaySeconds(LibFn::Cos, sampler.Samples(LibFn::Cos), 1000), 0.0);
    EXPECT_EQ(ReplaySeconds(LibFn::Sin, samples, 0), 0.0);
}

}  // namespace
