#include "Ops.h"

#include "engine/ConsistentMath.h"

namespace production {

const char* const kLibFnNames[kNumLibFns] = {"sin", "cos", "exp", "log", "pow", "atan2", "sqrt", "fmod"};

const OpInfo kOpInfo[int(Op::Count)] = {
    {"const", 0, true},   {"x", 0, true},        {"y", 0, true},      {"in.r", 0, true},
    {"in.g", 0, true},    {"in.b", 0, true},
    {"add", 2, false},    {"sub", 2, false},     {"mul", 2, false},   {"neg", 1, false},
    {"sum3", 3, false},   {"plus", 2, false},    {"minus", 2, false}, {"divk", 1, false},
    {"rhalf", 1, false},  {"r2", 1, false},      {"r2c", 1, false},   {"atan2", 2, false},
    {"phiwrap", 1, false}, {"log", 1, false},    {"spiral", 2, false}, {"sinpi", 1, false},
    {"cospi", 1, false},  {"expq", 1, false},    {"lnq", 1, false},   {"curt", 1, false},
    {"cub", 1, false},    {"div1", 2, false},    {"fmod", 2, false},  {"selgt", 4, false},
    {"selge0", 3, false}, {"crossc", 4, false},  {"pick", 3, false},  {"phi", 2, false},
    {"ifsplit", 1, false}, {"loadx", 0, false},  {"loady", 0, false},
};

double CallOne(LibFn fn, double a, double b, MathLibrary library)
{
    const bool system = library == MathLibrary::System;
    switch (fn) {
    case LibFn::Sin: return system ? std::sin(a) : consistent::Sin(a);
    case LibFn::Cos: return system ? std::cos(a) : consistent::Cos(a);
    case LibFn::Exp: return system ? std::exp(a) : consistent::Exp(a);
    case LibFn::Log: return system ? std::log(a) : consistent::Log(a);
    case LibFn::Pow: return system ? std::pow(a, kOneThird) : consistent::Pow(a, kOneThird);
    case LibFn::Atan2: return system ? std::atan2(a, b) : consistent::Atan2(a, b);
    case LibFn::Sqrt: return std::sqrt(a);
    case LibFn::Fmod: return std::fmod(a, b);
    default: return 0.0;
    }
}

double FoldScalar(Op op, const double* v, double k0, double k1, MathLibrary library)
{
    const auto call = [library](LibFn fn, double a, double b = 0.0) { return CallOne(fn, a, b, library); };
    switch (op) {
    case Op::Add: return FAdd(v[0], v[1]);
    case Op::Sub: return FSub(v[0], v[1]);
    case Op::Mul: return FMul(v[0], v[1]);
    case Op::Neg: return FNeg(v[0]);
    case Op::Sum3: return FSum3(v[0], v[1], v[2]);
    case Op::Plus: return FPlus(v[0], v[1]);
    case Op::Minus: return FMinus(v[0], v[1]);
    case Op::DivK: return FDivK(v[0], k0);
    case Op::RHalf: return FRHalf(v[0]);
    case Op::R2: return FR2(v[0]);
    case Op::R2C: return FR2C(v[0], k0);
    case Op::Atan2: return call(LibFn::Atan2, v[0], v[1]);
    case Op::PhiWrap: return FPhiWrap(v[0], k0);
    case Op::Log: return call(LibFn::Log, v[0]);
    case Op::Spiral: return FSpiral(v[0], v[1], k0, k1);
    case Op::SinPi: return call(LibFn::Sin, FSinPiArg(v[0], k0));
    case Op::CosPi: return call(LibFn::Cos, FSinPiArg(v[0], k0));
    case Op::ExpQ: return FExpQTail(call(LibFn::Exp, v[0]), k0, k1);
    case Op::LnQ: return FLnQTail(call(LibFn::Log, FLnQArg(v[0], k0)), k1);
    case Op::Curt: return FCurtTail(v[0], call(LibFn::Pow, FCurtArg(v[0])));
    case Op::Cub: return FCub(v[0]);
    case Op::Div1: return FDiv1(v[0], v[1]);
    case Op::Fmod: return FFmod(v[0], v[1]);
    case Op::SelGt: return FSelGt(v[0], v[1], v[2], v[3]);
    case Op::SelGe0: return FSelGe0(v[0], v[1], v[2]);
    case Op::CrossC: return FCrossC(v[0], v[1], v[2], v[3]);
    case Op::Pick: return v[0];
    default: return 0.0;
    }
}

}  // namespace production
