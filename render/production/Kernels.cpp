#include "Kernels.h"

#include <cmath>

namespace production {

namespace {

using D = double* __restrict;
using S = const double* __restrict;

// Calls f(a[i]) for every sample; with reuse, a sample whose argument has the
// same bits as the previous one takes the previous result (the functions are
// deterministic, so the value is the same). Returns the number of calls.
template <class Eval, class Arg>
uint64_t Unary(LibFn fn, int n, D d, S a, const KernelContext& ctx, Eval eval, Arg arg)
{
    if (n <= 0)
        return 0;
    if (!ctx.reuseRepeats && !ctx.sampler) {
        for (int i = 0; i < n; ++i)
            d[i] = eval(a[i]);
        return uint64_t(n);
    }
    uint64_t calls = 0;
    uint64_t prevBits = 0;
    double prev = 0.0;
    for (int i = 0; i < n; ++i) {
        const uint64_t bits = DoubleBits(a[i]);
        if (ctx.reuseRepeats && i > 0 && bits == prevBits) {
            d[i] = prev;
            continue;
        }
        if (ctx.sampler)
            ctx.sampler->Add(fn, arg(a[i]), 0.0);
        prev = eval(a[i]);
        prevBits = bits;
        d[i] = prev;
        ++calls;
    }
    return calls;
}

// The same for a two-argument function; `needs` tells whether a sample calls
// the library at all (fmod's quick answers do not).
template <class Eval, class Needs>
uint64_t Binary(LibFn fn, int n, D d, S a, S b, const KernelContext& ctx, Eval eval, Needs needs)
{
    uint64_t calls = 0;
    uint64_t prevA = 0, prevB = 0;
    double prev = 0.0;
    bool havePrev = false;
    for (int i = 0; i < n; ++i) {
        if (!needs(a[i], b[i])) {
            d[i] = eval(a[i], b[i]);
            continue;
        }
        const uint64_t bitsA = DoubleBits(a[i]), bitsB = DoubleBits(b[i]);
        if (ctx.reuseRepeats && havePrev && bitsA == prevA && bitsB == prevB) {
            d[i] = prev;
            continue;
        }
        if (ctx.sampler)
            ctx.sampler->Add(fn, a[i], b[i]);
        prev = eval(a[i], b[i]);
        prevA = bitsA;
        prevB = bitsB;
        havePrev = true;
        d[i] = prev;
        ++calls;
    }
    return calls;
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
void Gather(int n, D d, S index, const double* table)
{
    for (int i = 0; i < n; ++i)
        d[i] = table[static_cast<long>(index[i])];
}

}  // namespace

void RunCompute(const Instr& in, int n, double* const* regs, const KernelContext& ctx)
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
        calls[int(LibFn::Sqrt)] += uint64_t(n);
        break;
    case Op::R2:
        R2(n, d, a);
        calls[int(LibFn::Sqrt)] += uint64_t(n);
        break;
    case Op::R2C:
        R2C(n, d, a, k0);
        calls[int(LibFn::Sqrt)] += uint64_t(n);
        break;
    case Op::Atan2:
        calls[int(LibFn::Atan2)] += Binary(
            LibFn::Atan2, n, d, a, b, ctx, [](double y, double x) { return std::atan2(y, x); },
            [](double, double) { return true; });
        break;
    case Op::PhiWrap: PhiWrap(n, d, a, k0); break;
    case Op::Log:
        calls[int(LibFn::Log)] += Unary(
            LibFn::Log, n, d, a, ctx, [](double v) { return std::log(v); }, [](double v) { return v; });
        break;
    case Op::Spiral: Spiral(n, d, a, b, k0, k1); break;
    case Op::SinPi:
        calls[int(LibFn::Sin)] += Unary(
            LibFn::Sin, n, d, a, ctx, [k0](double v) { return std::sin(FSinPiArg(v, k0)); },
            [k0](double v) { return FSinPiArg(v, k0); });
        break;
    case Op::CosPi:
        calls[int(LibFn::Cos)] += Unary(
            LibFn::Cos, n, d, a, ctx, [k0](double v) { return std::cos(FSinPiArg(v, k0)); },
            [k0](double v) { return FSinPiArg(v, k0); });
        break;
    case Op::ExpQ:
        calls[int(LibFn::Exp)] += Unary(
            LibFn::Exp, n, d, a, ctx, [k0, k1](double v) { return FExpQTail(std::exp(v), k0, k1); },
            [](double v) { return v; });
        break;
    case Op::LnQ:
        calls[int(LibFn::Log)] += Unary(
            LibFn::Log, n, d, a, ctx, [k0, k1](double v) { return FLnQTail(std::log(FLnQArg(v, k0)), k1); },
            [k0](double v) { return FLnQArg(v, k0); });
        break;
    case Op::Curt:
        calls[int(LibFn::Pow)] += Unary(
            LibFn::Pow, n, d, a, ctx, [](double v) { return FCurt(v); },
            [](double v) { return v >= 0.0 ? v : -v; });
        break;
    case Op::Cub: Cub(n, d, a); break;
    case Op::Div1: Div1(n, d, a, b); break;
    case Op::Fmod:
        calls[int(LibFn::Fmod)] += Binary(
            LibFn::Fmod, n, d, a, b, ctx, [](double v, double w) { return FFmod(v, w); },
            [](double v, double w) { return w != 0.0 && FmodNeedsCall(v, w); });
        break;
    case Op::SelGt: SelGt(n, d, a, b, c, e); break;
    case Op::SelGe0: SelGe0(n, d, a, b, c); break;
    case Op::CrossC: CrossC(n, d, a, b, c, e); break;
    case Op::Pick: Copy(n, d, a); break;
    case Op::LoadX: Gather(n, d, a, ctx.xTables[in.slot]); break;
    case Op::LoadY: Gather(n, d, a, ctx.yTables[in.slot]); break;
    default: break;
    }
}

}  // namespace production
