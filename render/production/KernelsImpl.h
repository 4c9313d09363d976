#pragma once
// The kernel bodies. Each file that includes this compiles them for its own
// instruction set (Kernels.cpp for the baseline, KernelsAvx2.cpp for AVX2),
// so everything here has internal linkage and uses no library template that
// could be shared between the two compilations.

#include "Kernels.h"
#include "ProductionOptions.h"

#include <cmath>
#include <cstdint>

#include <sleef.h>

#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace production {

namespace {

// The consistent functions on this compilation's widest vectors: eight
// lanes with AVX-512, four with AVX, two with SSE2 (every x86-64). All give
// the bits of the scalar functions the reference evaluator calls.
#if defined(__AVX512F__)
constexpr int kLanes = 8;
using Vec = __m512d;
inline Vec VLoad(const double* p) { return _mm512_loadu_pd(p); }
inline void VStore(double* p, Vec v) { _mm512_storeu_pd(p, v); }
inline Vec VSet(double v) { return _mm512_set1_pd(v); }
inline Vec VFmod(Vec a, Vec b) { return Sleef_fmodd8_avx512fnofma(a, b); }
#define QUIL_CONSISTENT(name) Sleef_cinz_##name##d8_u10avx512fnofma
#elif defined(__AVX__)
constexpr int kLanes = 4;
using Vec = __m256d;
inline Vec VLoad(const double* p) { return _mm256_loadu_pd(p); }
inline void VStore(double* p, Vec v) { _mm256_storeu_pd(p, v); }
inline Vec VSet(double v) { return _mm256_set1_pd(v); }
inline Vec VFmod(Vec a, Vec b) { return Sleef_fmodd4_avx(a, b); }
#define QUIL_CONSISTENT(name) Sleef_cinz_##name##d4_u10avx
#elif defined(__SSE2__)
constexpr int kLanes = 2;
using Vec = __m128d;
inline Vec VLoad(const double* p) { return _mm_loadu_pd(p); }
inline void VStore(double* p, Vec v) { _mm_storeu_pd(p, v); }
inline Vec VSet(double v) { return _mm_set1_pd(v); }
inline Vec VFmod(Vec a, Vec b) { return Sleef_fmodd2_sse2(a, b); }
#define QUIL_CONSISTENT(name) Sleef_cinz_##name##d2_u10sse2
#else
constexpr int kLanes = 1;
using Vec = double;
inline Vec VLoad(const double* p) { return *p; }
inline void VStore(double* p, Vec v) { *p = v; }
inline Vec VSet(double v) { return v; }
inline Vec VFmod(Vec a, Vec b) { return std::fmod(a, b); }
#define QUIL_CONSISTENT(name) Sleef_cinz_##name##d1_u10purec
#endif

// out[i] = f(a[i], b[i]) lane group by lane group; the last, partial group
// goes through the vector function too, its unused lanes given 1.
template <class F>
void MapLanes(int n, double* __restrict out, const double* __restrict a, const double* __restrict b, F f)
{
    int i = 0;
    for (; i + kLanes <= n; i += kLanes)
        VStore(out + i, f(VLoad(a + i), VLoad(b + i)));
    if (i < n) {
        double ta[kLanes], tb[kLanes], to[kLanes];
        for (int j = 0; j < kLanes; ++j) {
            ta[j] = i + j < n ? a[i + j] : 1.0;
            tb[j] = i + j < n ? b[i + j] : 1.0;
        }
        VStore(to, f(VLoad(ta), VLoad(tb)));
        for (int j = 0; i + j < n; ++j)
            out[i + j] = to[j];
    }
}

// fmod is exact, so every correct implementation gives the same bits.
// SLEEF's vector fmod is correct while the quotient |a / b| stays finite
// (beyond, a reciprocal step overflows to NaN); samples whose quotient is
// below 2^900 go a lane group at a time, the others to the C library.
inline bool FmodInLanes(double a, double b)
{
    return b != 0.0 && std::fabs(a) < HUGE_VAL && std::fabs(b) < HUGE_VAL && std::fabs(a) <= 0x1p900 * std::fabs(b);
}

// out[at(j)] = fmod(a[at(j)], b[at(j)]) for j < count. On two lanes SLEEF's
// fmod costs about four times the C library's call, so SSE2 keeps the call.
template <class At>
void FmodEach(int count, double* __restrict out, const double* __restrict a, const double* __restrict b, At at)
{
    int j = 0;
    for (; kLanes > 2 && j + kLanes <= count; j += kLanes) {
        double ta[kLanes], tb[kLanes], to[kLanes];
        bool lanes = true;
        for (int k = 0; k < kLanes; ++k) {
            ta[k] = a[at(j + k)];
            tb[k] = b[at(j + k)];
            lanes = lanes && FmodInLanes(ta[k], tb[k]);
        }
        if (lanes)
            VStore(to, VFmod(VLoad(ta), VLoad(tb)));
        else
            for (int k = 0; k < kLanes; ++k)
                to[k] = std::fmod(ta[k], tb[k]);
        for (int k = 0; k < kLanes; ++k)
            out[at(j + k)] = to[k];
    }
    for (; j < count; ++j)
        out[at(j)] = std::fmod(a[at(j)], b[at(j)]);
}

void ConsistentMath(LibFn fn, int n, double* out, const double* a, const double* b)
{
    switch (fn) {
    case LibFn::Sin: MapLanes(n, out, a, a, [](Vec v, Vec) { return QUIL_CONSISTENT(sin)(v); }); break;
    case LibFn::Cos: MapLanes(n, out, a, a, [](Vec v, Vec) { return QUIL_CONSISTENT(cos)(v); }); break;
    case LibFn::Exp: MapLanes(n, out, a, a, [](Vec v, Vec) { return QUIL_CONSISTENT(exp)(v); }); break;
    case LibFn::Log: MapLanes(n, out, a, a, [](Vec v, Vec) { return QUIL_CONSISTENT(log)(v); }); break;
    case LibFn::Pow:
        MapLanes(n, out, a, a, [](Vec v, Vec) { return QUIL_CONSISTENT(pow)(v, VSet(kOneThird)); });
        break;
    case LibFn::Atan2: MapLanes(n, out, a, b, [](Vec y, Vec x) { return QUIL_CONSISTENT(atan2)(y, x); }); break;
    case LibFn::Sqrt:
        for (int i = 0; i < n; ++i)
            out[i] = std::sqrt(a[i]);
        break;
    case LibFn::Fmod: FmodEach(n, out, a, b, [](int j) { return j; }); break;
    default: break;
    }
}
#undef QUIL_CONSISTENT

using D = double* __restrict;
using S = const double* __restrict;

// True when some argument has the bits of the one before it: only then is
// the loop that skips repeated calls worth its test per call. A vectorised
// pass, far cheaper than the test inside the calling loop.
bool HasRepeats(int n, S arg)
{
    int any = 0;
    for (int i = 1; i < n; ++i)
        any |= DoubleBits(arg[i]) == DoubleBits(arg[i - 1]) ? 1 : 0;
    return any != 0;
}

bool HasRepeatedPairs(int n, S a, S b)
{
    int any = 0;
    for (int i = 1; i < n; ++i)
        any |= (DoubleBits(a[i]) == DoubleBits(a[i - 1]) && DoubleBits(b[i]) == DoubleBits(b[i - 1])) ? 1 : 0;
    return any != 0;
}

// The consistent functions on every sample, each value counted as a call.
uint64_t CallLanes(LibFn fn, int n, D out, S a, S b, ArgumentSampler* sampler)
{
    if (n <= 0)
        return 0;
    if (sampler)
        for (int i = 0; i < n; ++i)
            sampler->Add(fn, a[i], fn == LibFn::Atan2 ? b[i] : 0.0);
    ConsistentMath(fn, n, out, a, b);
    return uint64_t(n);
}

// out[i] = f(arg[i]) for every sample: the library calls. The arithmetic
// around a call runs in separate vectorised loops before and after. With
// reuse, a sample whose argument has the previous one's bits takes the
// previous result (the functions are deterministic). Returns the calls made.
template <class F>
uint64_t CallEach(LibFn fn, int n, D out, S arg, const KernelContext& ctx, F f)
{
    // The switches are read once: the calls could change any memory the
    // compiler cannot see into, so a field read in the loop is read per call.
    const bool reuse = ctx.reuseRepeats;
    ArgumentSampler* const sampler = ctx.sampler;
    if (ctx.mathLibrary == MathLibrary::Consistent)
        return CallLanes(fn, n, out, arg, arg, sampler);
    if (!sampler && (!reuse || !HasRepeats(n, arg))) {
        for (int i = 0; i < n; ++i)
            out[i] = f(arg[i]);
        return uint64_t(n > 0 ? n : 0);
    }
    if (n <= 0)
        return 0;
    if (!sampler) {
        // The first sample always calls; each later one calls only when its
        // argument's bits differ from the previous call's.
        double prev = f(arg[0]);
        uint64_t prevBits = DoubleBits(arg[0]);
        out[0] = prev;
        uint64_t calls = 1;
        for (int i = 1; i < n; ++i) {
            const uint64_t bits = DoubleBits(arg[i]);
            if (bits != prevBits) {
                prev = f(arg[i]);
                prevBits = bits;
                ++calls;
            }
            out[i] = prev;
        }
        return calls;
    }
    uint64_t calls = 0;
    uint64_t prevBits = 0;
    double prev = 0.0;
    for (int i = 0; i < n; ++i) {
        const uint64_t bits = DoubleBits(arg[i]);
        if (reuse && calls > 0 && bits == prevBits) {
            out[i] = prev;
            continue;
        }
        sampler->Add(fn, arg[i], 0.0);
        prev = f(arg[i]);
        prevBits = bits;
        out[i] = prev;
        ++calls;
    }
    return calls;
}

uint64_t Atan2(int n, D d, S y, S x, const KernelContext& ctx)
{
    const bool reuse = ctx.reuseRepeats;
    ArgumentSampler* const sampler = ctx.sampler;
    if (ctx.mathLibrary == MathLibrary::Consistent)
        return CallLanes(LibFn::Atan2, n, d, y, x, sampler);
    if (!sampler) {
        if (!reuse || !HasRepeatedPairs(n, y, x)) {
            for (int i = 0; i < n; ++i)
                d[i] = std::atan2(y[i], x[i]);
            return uint64_t(n > 0 ? n : 0);
        }
        if (n <= 0)
            return 0;
        double prev = std::atan2(y[0], x[0]);
        uint64_t prevY = DoubleBits(y[0]), prevX = DoubleBits(x[0]);
        d[0] = prev;
        uint64_t calls = 1;
        for (int i = 1; i < n; ++i) {
            const uint64_t by = DoubleBits(y[i]), bx = DoubleBits(x[i]);
            if (by != prevY || bx != prevX) {
                prev = std::atan2(y[i], x[i]);
                prevY = by;
                prevX = bx;
                ++calls;
            }
            d[i] = prev;
        }
        return calls;
    }
    uint64_t calls = 0;
    uint64_t prevY = 0, prevX = 0;
    double prev = 0.0;
    for (int i = 0; i < n; ++i) {
        const uint64_t by = DoubleBits(y[i]), bx = DoubleBits(x[i]);
        if (reuse && calls > 0 && by == prevY && bx == prevX) {
            d[i] = prev;
            continue;
        }
        sampler->Add(LibFn::Atan2, y[i], x[i]);
        prev = std::atan2(y[i], x[i]);
        prevY = by;
        prevX = bx;
        d[i] = prev;
        ++calls;
    }
    return calls;
}

// fmod's quick answers (a zero divisor, FmodQuick) take no call: they are
// written for the whole block first, then the samples that need the library
// are listed and called.
uint64_t Fmod(int n, D d, S a, S b, const KernelContext& ctx)
{
    // Scratch holds 2n ints: the flags, then the list.
    int32_t* __restrict flag = reinterpret_cast<int32_t*>(ctx.scratch[0]);
    int32_t* __restrict need = flag + n;
    int total = 0;
    for (int i = 0; i < n; ++i) {
        d[i] = b[i] == 0.0 ? b[i] : FmodQuick(a[i], b[i]);
        flag[i] = (b[i] != 0.0 && FmodNeedsCall(a[i], b[i])) ? 1 : 0;
        total += flag[i];
    }
    if (total == 0)
        return 0;  // the usual case: no list to build
    int count = 0;
    for (int i = 0; i < n; ++i) {
        need[count] = i;
        count += flag[i];
    }
    if (ArgumentSampler* const sampler = ctx.sampler)
        for (int j = 0; j < count; ++j)
            sampler->Add(LibFn::Fmod, a[need[j]], b[need[j]]);
    if (ctx.mathLibrary == MathLibrary::System) {
        for (int j = 0; j < count; ++j)
            d[need[j]] = std::fmod(a[need[j]], b[need[j]]);
    } else {
        FmodEach(count, d, a, b, [need](int j) { return need[j]; });
    }
    return uint64_t(count);
}

void Add(int n, D d, S a, S b) { for (int i = 0; i < n; ++i) d[i] = FAdd(a[i], b[i]); }
void Sub(int n, D d, S a, S b) { for (int i = 0; i < n; ++i) d[i] = FSub(a[i], b[i]); }
void Mul(int n, D d, S a, S b) { for (int i = 0; i < n; ++i) d[i] = FMul(a[i], b[i]); }
void Neg(int n, D d, S a) { for (int i = 0; i < n; ++i) d[i] = FNeg(a[i]); }
void Sum3(int n, D d, S a, S b, S c) { for (int i = 0; i < n; ++i) d[i] = FSum3(a[i], b[i], c[i]); }
void Plus(int n, D d, S a, S b) { for (int i = 0; i < n; ++i) d[i] = FPlus(a[i], b[i]); }
void Minus(int n, D d, S a, S b) { for (int i = 0; i < n; ++i) d[i] = FMinus(a[i], b[i]); }
void DivK(int n, D d, S a, double k) { for (int i = 0; i < n; ++i) d[i] = FDivK(a[i], k); }
void RHalf(int n, D d, S a) { for (int i = 0; i < n; ++i) d[i] = FRHalf(a[i]); }
void R2(int n, D d, S a) { for (int i = 0; i < n; ++i) d[i] = FR2(a[i]); }
void R2C(int n, D d, S a, double k) { for (int i = 0; i < n; ++i) d[i] = FR2C(a[i], k); }
void PhiWrap(int n, D d, S a, double k) { for (int i = 0; i < n; ++i) d[i] = FPhiWrap(a[i], k); }
void Spiral(int n, D d, S a, S b, double k0, double k1)
{
    for (int i = 0; i < n; ++i)
        d[i] = FSpiral(a[i], b[i], k0, k1);
}
void Cub(int n, D d, S a) { for (int i = 0; i < n; ++i) d[i] = FCub(a[i]); }
void Div1(int n, D d, S a, S b) { for (int i = 0; i < n; ++i) d[i] = FDiv1(a[i], b[i]); }
void SelGt(int n, D d, S a, S b, S t, S f) { for (int i = 0; i < n; ++i) d[i] = FSelGt(a[i], b[i], t[i], f[i]); }
void SelGe0(int n, D d, S a, S t, S f) { for (int i = 0; i < n; ++i) d[i] = FSelGe0(a[i], t[i], f[i]); }
void CrossC(int n, D d, S a, S b, S c, S e) { for (int i = 0; i < n; ++i) d[i] = FCrossC(a[i], b[i], c[i], e[i]); }
void Copy(int n, D d, S a) { for (int i = 0; i < n; ++i) d[i] = a[i]; }

// The square roots of the radius terminals are instructions in the vector
// loops, but they are counted (and sampled) as the calls the evaluator makes:
// sqrt(a * mul / div) for each sample.
void SqrtCalls(int n, S a, double mul, double div, const KernelContext& ctx, uint64_t* calls)
{
    calls[int(LibFn::Sqrt)] += uint64_t(n);
    if (ctx.sampler)
        for (int i = 0; i < n; ++i)
            ctx.sampler->Add(LibFn::Sqrt, a[i] * mul / div, 0.0);
}

void SinPi(int n, D d, S a, double k0, const KernelContext& ctx, uint64_t* calls, bool cosine)
{
    double* __restrict arg = ctx.scratch[0];
    for (int i = 0; i < n; ++i)
        arg[i] = FSinPiArg(a[i], k0);
    if (cosine)
        calls[int(LibFn::Cos)] += CallEach(LibFn::Cos, n, d, arg, ctx, [](double v) { return std::cos(v); });
    else
        calls[int(LibFn::Sin)] += CallEach(LibFn::Sin, n, d, arg, ctx, [](double v) { return std::sin(v); });
}

void ExpQ(int n, D d, S a, double k0, double k1, const KernelContext& ctx, uint64_t* calls)
{
    double* __restrict e = ctx.scratch[0];
    calls[int(LibFn::Exp)] += CallEach(LibFn::Exp, n, e, a, ctx, [](double v) { return std::exp(v); });
    for (int i = 0; i < n; ++i)
        d[i] = FExpQTail(e[i], k0, k1);
}

void LnQ(int n, D d, S a, double k0, double k1, const KernelContext& ctx, uint64_t* calls)
{
    double* __restrict arg = ctx.scratch[0];
    double* __restrict l = ctx.scratch[1];
    for (int i = 0; i < n; ++i)
        arg[i] = FLnQArg(a[i], k0);
    calls[int(LibFn::Log)] += CallEach(LibFn::Log, n, l, arg, ctx, [](double v) { return std::log(v); });
    for (int i = 0; i < n; ++i)
        d[i] = FLnQTail(l[i], k1);
}

// The evaluator's cube root: pow(v, 1/3) for v >= 0, -pow(-v, 1/3) otherwise
// (NaN included), so the call's argument is v or -v and its result is
// negated back on the same samples.
void Curt(int n, D d, S a, const KernelContext& ctx, uint64_t* calls)
{
    double* __restrict arg = ctx.scratch[0];
    double* __restrict p = ctx.scratch[1];
    for (int i = 0; i < n; ++i)
        arg[i] = FCurtArg(a[i]);
    calls[int(LibFn::Pow)] += CallEach(LibFn::Pow, n, p, arg, ctx, [](double v) { return std::pow(v, kOneThird); });
    for (int i = 0; i < n; ++i)
        d[i] = FCurtTail(a[i], p[i]);
}

// Each sample's entry of a line table, run by run along the block's rows:
// x entries follow the columns of a run, y entries are the run's row's. A
// block of whole rows of a full stripe of the default width (nearly every
// block without anti-alias) takes loops of a fixed length, which compile to a
// few moves.
constexpr int kStripeRun = kDefaultStripeColumns;

bool WholeStripeRows(const BlockShape& shape)
{
    return shape.layout->samples == 1 && shape.width == kStripeRun && shape.offset == 0 &&
           shape.pixels % kStripeRun == 0;
}

void LoadX(D d, const double* table, const BlockShape& shape)
{
    const SampleLayout& layout = *shape.layout;
    if (WholeStripeRows(shape)) {
        const double* __restrict entries = table + size_t(shape.column);
        for (int k = 0; k < shape.pixels; k += kStripeRun)
            for (int j = 0; j < kStripeRun; ++j)
                d[k + j] = entries[j];
        return;
    }
    ForEachRun(shape, [&](int column, int, int run, int k) {
        double* __restrict out = d + size_t(k) * size_t(layout.samples);
        const double* __restrict entries = table + size_t(column) * size_t(layout.numDx);
        if (layout.samples == 1) {
            for (int j = 0; j < run; ++j)
                out[j] = entries[j];
        } else {
            for (int j = 0; j < run; ++j)
                for (int s = 0; s < 4; ++s)
                    out[4 * j + s] = entries[size_t(j) * size_t(layout.numDx) + size_t(layout.dxIndex[s])];
        }
    });
}

void LoadY(D d, const double* table, const BlockShape& shape)
{
    const SampleLayout& layout = *shape.layout;
    if (WholeStripeRows(shape)) {
        const double* __restrict entries = table + size_t(shape.row);
        for (int k = 0; k < shape.pixels; k += kStripeRun) {
            const double v = entries[k / kStripeRun];
            for (int j = 0; j < kStripeRun; ++j)
                d[k + j] = v;
        }
        return;
    }
    ForEachRun(shape, [&](int, int row, int run, int k) {
        double* __restrict out = d + size_t(k) * size_t(layout.samples);
        const double* entries = table + size_t(row) * size_t(layout.numDy);
        if (layout.samples == 1) {
            const double v = entries[0];
            for (int j = 0; j < run; ++j)
                out[j] = v;
        } else {
            double v[4];
            for (int s = 0; s < 4; ++s)
                v[s] = entries[layout.dyIndex[s]];
            for (int j = 0; j < run; ++j)
                for (int s = 0; s < 4; ++s)
                    out[4 * j + s] = v[s];
        }
    });
}

// The lazy "if": both lists are written every time and only one grows, so
// there is no branch to mispredict on a ragged condition.
int Partition(int n, const double* __restrict cond, int32_t* __restrict listB, int32_t* __restrict listC)
{
    int nb = 0, nc = 0, i = 0;
#if defined(__AVX512F__)
    // Sixteen samples at a time: each side's indices compressed into a
    // vector and stored whole (up to kListSlack entries past the list's end).
    const __m512d zero = _mm512_setzero_pd();
    __m512i at = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m512i sixteen = _mm512_set1_epi32(16);
    for (; i + 16 <= n; i += 16) {
        const __mmask8 low = _mm512_cmp_pd_mask(_mm512_loadu_pd(cond + i), zero, _CMP_GE_OQ);
        const __mmask8 high = _mm512_cmp_pd_mask(_mm512_loadu_pd(cond + i + 8), zero, _CMP_GE_OQ);
        const __mmask16 takeB = __mmask16(unsigned(low) | (unsigned(high) << 8));
        _mm512_storeu_si512(listB + nb, _mm512_maskz_compress_epi32(takeB, at));
        _mm512_storeu_si512(listC + nc, _mm512_maskz_compress_epi32(__mmask16(~takeB), at));
        const int count = __builtin_popcount(unsigned(takeB));
        nb += count;
        nc += 16 - count;
        at = _mm512_add_epi32(at, sixteen);
    }
#endif
    for (; i < n; ++i) {
        const int takeB = cond[i] >= 0.0 ? 1 : 0;
        listB[nb] = i;
        listC[nc] = i;
        nb += takeB;
        nc += 1 - takeB;
    }
    return nb;
}

void Gather(int n, D d, S s, const int32_t* __restrict idx)
{
    for (int j = 0; j < n; ++j)
        d[j] = s[idx[j]];
}

void Scatter(int n, D d, S s, const int32_t* __restrict idx)
{
    for (int j = 0; j < n; ++j)
        d[idx[j]] = s[j];
}

void ScatterInPlace(int n, D d, S s, const int32_t* __restrict idx)
{
    for (int j = 0; j < n; ++j)
        d[idx[j]] = s[idx[j]];
}

// A channel value as the integer of the pixel formula, (v + 1) x 0.5 x 255
// truncated; NaN and values outside the int range give -2^31, as the
// processor's conversion does. The replacement before the conversion keeps
// every conversion defined and the loops vectorisable.
inline int32_t ChannelInt(double v)
{
    const double t = (v + 1.0) * 0.5 * 255.0;
    const double inRange = (t > -2147483649.0 && t < 2147483648.0) ? t : -2147483648.0;
    return static_cast<int32_t>(inRange);
}

// The stored byte of a pixel's samples: the low 8 bits of the one sample's
// integer, or of floor(sum / 4) of four (the sum taken modulo 2^32, whose
// bits 2..9 are those of the exact sum).
inline uint32_t SamplesByte(const double* v, int samples)
{
    if (samples == 1)
        return static_cast<uint32_t>(ChannelInt(v[0])) & 0xffu;
    const uint32_t sum = static_cast<uint32_t>(ChannelInt(v[0])) + static_cast<uint32_t>(ChannelInt(v[1])) +
                         static_cast<uint32_t>(ChannelInt(v[2])) + static_cast<uint32_t>(ChannelInt(v[3]));
    return (sum >> 2) & 0xffu;
}

void Pack(int pixels, int samples, S red, S green, S blue, uint32_t* __restrict out)
{
    if (samples == 1) {
        for (int p = 0; p < pixels; ++p)
            out[p] = (SamplesByte(red + p, 1) << 16) | (SamplesByte(green + p, 1) << 8) | SamplesByte(blue + p, 1);
    } else {
        for (int p = 0; p < pixels; ++p)
            out[p] = (SamplesByte(red + 4 * p, 4) << 16) | (SamplesByte(green + 4 * p, 4) << 8) |
                     SamplesByte(blue + 4 * p, 4);
    }
}

#if defined(__AVX2__)
// The integers of four samples: the conversion gives -2^31 for NaN and out of
// range by itself, as ChannelInt does.
inline __m128i ChannelInts4(const double* v)
{
    const __m256d t = _mm256_mul_pd(_mm256_mul_pd(_mm256_add_pd(_mm256_loadu_pd(v), _mm256_set1_pd(1.0)),
                                                  _mm256_set1_pd(0.5)),
                                    _mm256_set1_pd(255.0));
    return _mm256_cvttpd_epi32(t);
}

// The low bytes of eight integers (packing saturates, so the bytes are
// masked first).
inline __m128i LowBytes8(__m128i a, __m128i b)
{
    const __m128i mask = _mm_set1_epi32(0xff);
    const __m128i words = _mm_packs_epi32(_mm_and_si128(a, mask), _mm_and_si128(b, mask));
    return _mm_packus_epi16(words, words);
}
#endif

void Bytes(int pixels, int samples, S v, uint8_t* __restrict out)
{
    int p = 0;
#if defined(__AVX2__)
    if (samples == 1) {
        for (; p + 8 <= pixels; p += 8)
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + p),
                             LowBytes8(ChannelInts4(v + p), ChannelInts4(v + p + 4)));
    } else {
        // Each pixel's four integers summed modulo 2^32, then floor(sum / 4).
        for (; p + 8 <= pixels; p += 8) {
            __m128i sums[2];
            for (int h = 0; h < 2; ++h) {
                const double* q = v + 4 * (p + 4 * h);
                const __m128i ab = _mm_hadd_epi32(ChannelInts4(q), ChannelInts4(q + 4));
                const __m128i cd = _mm_hadd_epi32(ChannelInts4(q + 8), ChannelInts4(q + 12));
                sums[h] = _mm_srli_epi32(_mm_hadd_epi32(ab, cd), 2);
            }
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + p), LowBytes8(sums[0], sums[1]));
        }
    }
#endif
    for (; p < pixels; ++p)
        out[p] = static_cast<uint8_t>(samples == 1 ? SamplesByte(v + p, 1) : SamplesByte(v + 4 * p, 4));
}

void RunComputeImpl(const Instr& in, int n, double* const* regs, const KernelContext& ctx)
{
    double* d = regs[in.dst];
    const double* a = in.src[0] >= 0 ? regs[in.src[0]] : nullptr;
    const double* b = in.src[1] >= 0 ? regs[in.src[1]] : nullptr;
    const double* c = in.src[2] >= 0 ? regs[in.src[2]] : nullptr;
    const double* e = in.src[3] >= 0 ? regs[in.src[3]] : nullptr;
    const double k0 = in.k[0], k1 = in.k[1];
    uint64_t* calls = ctx.counts->calls;
    switch (in.op) {
    case Op::Add: Add(n, d, a, b); break;
    case Op::Sub: Sub(n, d, a, b); break;
    case Op::Mul: Mul(n, d, a, b); break;
    case Op::Neg: Neg(n, d, a); break;
    case Op::Sum3: Sum3(n, d, a, b, c); break;
    case Op::Plus: Plus(n, d, a, b); break;
    case Op::Minus: Minus(n, d, a, b); break;
    case Op::DivK: DivK(n, d, a, k0); break;
    case Op::RHalf:
        RHalf(n, d, a);
        SqrtCalls(n, a, 0.5, 1.0, ctx, calls);
        break;
    case Op::R2:
        R2(n, d, a);
        SqrtCalls(n, a, 2.0, 1.0, ctx, calls);
        break;
    case Op::R2C:
        R2C(n, d, a, k0);
        SqrtCalls(n, a, 4.0, k0, ctx, calls);
        break;
    case Op::Atan2: calls[int(LibFn::Atan2)] += Atan2(n, d, a, b, ctx); break;
    case Op::PhiWrap: PhiWrap(n, d, a, k0); break;
    case Op::Log:
        calls[int(LibFn::Log)] += CallEach(LibFn::Log, n, d, a, ctx, [](double v) { return std::log(v); });
        break;
    case Op::Spiral: Spiral(n, d, a, b, k0, k1); break;
    case Op::SinPi: SinPi(n, d, a, k0, ctx, calls, false); break;
    case Op::CosPi: SinPi(n, d, a, k0, ctx, calls, true); break;
    case Op::ExpQ: ExpQ(n, d, a, k0, k1, ctx, calls); break;
    case Op::LnQ: LnQ(n, d, a, k0, k1, ctx, calls); break;
    case Op::Curt: Curt(n, d, a, ctx, calls); break;
    case Op::Cub: Cub(n, d, a); break;
    case Op::Div1: Div1(n, d, a, b); break;
    case Op::Fmod: calls[int(LibFn::Fmod)] += Fmod(n, d, a, b, ctx); break;
    case Op::SelGt: SelGt(n, d, a, b, c, e); break;
    case Op::SelGe0: SelGe0(n, d, a, b, c); break;
    case Op::CrossC: CrossC(n, d, a, b, c, e); break;
    case Op::Pick: Copy(n, d, a); break;
    case Op::LoadX: LoadX(d, ctx.xTables[in.slot], ctx.shape); break;
    case Op::LoadY: LoadY(d, ctx.yTables[in.slot], ctx.shape); break;
    default: break;
    }
}

constexpr KernelSet MakeKernelSet(const char* name)
{
    return KernelSet{name, &RunComputeImpl, &Partition, &Gather, &Scatter, &ScatterInPlace, &Pack, &Bytes,
                     &ConsistentMath};
}

}  // namespace

}  // namespace production
