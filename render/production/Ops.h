#pragma once
// The scalar operations of the production renderer. The compiler breaks every
// node kind into these, one operation per channel value; each formula below is
// the reference evaluator's, operand for operand and in its order, so that a
// value computed here is the same double the evaluator computes.
//
// The formulas are shared by the array kernels and by constant folding: a
// folded constant is the value the kernel would have produced. They are
// static: the kernels are compiled once per instruction set, and each
// compilation must keep its own copies.

#include <cmath>
#include <cstdint>
#include <cstring>

namespace production {

enum class Op : uint8_t {
    // Leaves: filled by the block set-up, never computed by an instruction.
    Const,   // a constant register (imm 0)
    XVal,    // sample x
    YVal,    // sample y
    InR,     // input colour ("PIC")
    InG,
    InB,
    // Arithmetic.
    Add,     // a + b
    Sub,     // a - b
    Mul,     // a * b
    Neg,     // -a
    Sum3,    // a + b + c
    Plus,    // (a + b) * 0.5
    Minus,   // (a - b) * 0.5
    DivK,    // a / k0
    RHalf,   // sqrt(a * 0.5)
    R2,      // sqrt(2 * a) - 1
    R2C,     // sqrt(a * 4 / k0) - 1
    Atan2,   // atan2(a, b)
    PhiWrap, // a < 0 ? a + k0 : a
    Log,     // log(a)
    Spiral,  // spiral bands from a = log(q), b = wrapped angle; k0 twist, k1 2 x twist x pi
    SinPi,   // sin(k0 * a)
    CosPi,   // cos(k0 * a)
    ExpQ,    // 2 exp(a) / k0 - 1 - k1
    LnQ,     // log(a + k0 + 1) + k1
    Curt,    // signed cube root through pow
    Cub,     // a * a * a
    Div1,    // fractional part of a / b; 0 for a == 0
    Fmod,    // fmod(a, b); b for b == 0
    SelGt,   // a > b ? c : d
    SelGe0,  // a >= 0 ? b : c
    CrossC,  // (a * b - c * d) * 0.5
    Pick,    // a (keeps b and c alive when dead channels are kept)
    // Lazy "if": the per-channel result of a branch choice.
    Phi,     // the split's condition >= 0 ? a : b, each side computed only where chosen
    IfSplit, // the branch choice of one "if" (graph only)
    // Hoisted values: each sample's entry of an x or y table (imm 0: table slot).
    LoadX,
    LoadY,
    Count
};

// Library functions whose calls the renderer counts. Pow is always
// pow(a, 1/3), the cube root's; Atan2 and Fmod take a second operand.
enum class LibFn : uint8_t { Sin, Cos, Exp, Log, Pow, Atan2, Sqrt, Fmod, Count };
constexpr int kNumLibFns = int(LibFn::Count);
extern const char* const kLibFnNames[kNumLibFns];

// Where the transcendental functions come from. The consistent functions
// give the reference's values on every machine; the C library's, called one
// value at a time, are kept only to measure the renderer against.
enum class MathLibrary : uint8_t { Consistent, System };

// One call of fn on a (and b where it takes two), from the given library.
double CallOne(LibFn fn, double a, double b, MathLibrary library);

struct OpInfo {
    const char* name;
    int operands;  // graph operands (Phi and IfSplit keep theirs elsewhere)
    bool leaf;
};
extern const OpInfo kOpInfo[int(Op::Count)];

inline bool IsLeafOp(Op op) { return kOpInfo[int(op)].leaf; }

// Bit pattern of a double: constants and repeated arguments are compared by
// their bits, so that -0 and 0 (and NaN payloads) stay apart.
static inline uint64_t DoubleBits(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

// std::trunc without the library: for |t| < 2^52, adding and subtracting
// 2^52 rounds |t| to the nearest integer exactly, and a step down when that
// went up gives the truncation; larger values, infinities and NaN are their
// own truncation. The sign is t's, so -0.5 gives -0 as trunc does. Written
// with plain arithmetic and selects so that the loops using it vectorise.
static inline double TruncExact(double t)
{
#if defined(__SSE4_1__)
    // Where the instruction set has it, one rounding instruction toward zero
    // does the same (exact) truncation.
    return __builtin_trunc(t);
#else
    constexpr double kTwo52 = 4503599627370496.0;
    const double a = std::fabs(t);
    double r = (a + kTwo52) - kTwo52;
    r = r > a ? r - 1.0 : r;
    r = std::copysign(r, t);
    return a < kTwo52 ? r : t;
#endif
}

// std::modf's fractional part, computed without the call: t - trunc(t) is
// exact, carries the sign of t (copysign keeps it on zero results, as modf
// does), and an infinite t has fractional part 0 with its sign.
static inline double FracPart(double t)
{
    const double f = std::copysign(t - TruncExact(t), t);
    return std::fabs(t) == HUGE_VAL ? std::copysign(0.0, t) : f;
}

// Formulas ------------------------------------------------------------------
// Each takes its operands and immediates; the library-calling ones are
// written so that the kernels can hand the call's argument around it.

static inline double FAdd(double a, double b) { return a + b; }
static inline double FSub(double a, double b) { return a - b; }
static inline double FMul(double a, double b) { return a * b; }
static inline double FNeg(double a) { return -a; }
static inline double FSum3(double a, double b, double c) { return a + b + c; }
static inline double FPlus(double a, double b) { return (a + b) * 0.5; }
static inline double FMinus(double a, double b) { return (a - b) * 0.5; }
static inline double FDivK(double a, double k0) { return a / k0; }
static inline double FRHalf(double a) { return std::sqrt(a * 0.5); }
static inline double FR2(double a) { return std::sqrt(2.0 * a) - 1.0; }
static inline double FR2C(double a, double k0) { return std::sqrt(a * 4.0 / k0) - 1.0; }
static inline double FPhiWrap(double a, double k0) { return a < 0.0 ? a + k0 : a; }
static inline double FSpiral(double logQ, double phi, double twist, double denom)
{
    const double t = (0.5 * logQ - twist * phi) / denom;
    const double f = FracPart(t);
    return t >= 0.0 ? 2.0 * f - 1.0 : 2.0 * f + 1.0;
}
static inline double FSinPiArg(double a, double k0) { return k0 * a; }
static inline double FExpQTail(double e, double k0, double k1) { return 2.0 * e / k0 - 1.0 - k1; }
static inline double FLnQArg(double a, double k0) { return a + k0 + 1.0; }
static inline double FLnQTail(double l, double k1) { return l + k1; }
constexpr double kOneThird = 1.0 / 3.0;
// The cube root's sign handling around its pow call p (NaN takes the negative side).
static inline double FCurtArg(double a) { return a >= 0.0 ? a : -a; }
static inline double FCurtTail(double a, double p) { return a >= 0.0 ? p : -p; }
static inline double FCub(double a) { return a * a * a; }
static inline double FDiv1(double a, double b) { return a == 0.0 ? 0.0 : FracPart(a / b); }
// fmod's quick answers, exact without the call: a when |a| < |b| (signed
// zero included); when |b| <= |a| < 2|b| the quotient truncates to 1 and
// a - (|b| with a's sign) is exact (the operands are within a factor of two),
// with a's sign kept on a zero result as fmod keeps it. Anything else (a
// larger a, NaN, infinities) calls the library.
static inline bool FmodNeedsCall(double a, double b) { return !(std::fabs(a) < 2.0 * std::fabs(b)); }
static inline double FmodQuick(double a, double b)
{
    const double once = std::copysign(a - std::copysign(b, a), a);
    return std::fabs(a) < std::fabs(b) ? a : once;
}
static inline double FFmod(double a, double b)
{
    if (b == 0.0)
        return b;
    return FmodNeedsCall(a, b) ? std::fmod(a, b) : FmodQuick(a, b);
}
static inline double FSelGt(double a, double b, double t, double f) { return a > b ? t : f; }
static inline double FSelGe0(double a, double t, double f) { return a >= 0.0 ? t : f; }
static inline double FCrossC(double a, double b, double c, double d) { return (a * b - c * d) * 0.5; }

// Folds an operation whose operands are all known; Phi, IfSplit and the
// leaves are not folded here.
double FoldScalar(Op op, const double* v, double k0, double k1, MathLibrary library = MathLibrary::Consistent);

// Operations whose computing form calls a mathematics library.
inline bool CallsLibrary(Op op)
{
    switch (op) {
    case Op::Atan2:
    case Op::Log:
    case Op::SinPi:
    case Op::CosPi:
    case Op::ExpQ:
    case Op::LnQ:
    case Op::Curt:
    case Op::Fmod:
        return true;
    default:
        return false;
    }
}

}  // namespace production
