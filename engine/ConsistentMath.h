#pragma once
// The transcendental functions that define a picture's values: SLEEF's
// consistent family, 1-ulp variants without fused multiply-add. Its scalar
// functions here and its vector functions in the production renderer's
// kernels give the same bits for every argument on every x86-64 processor,
// so a tree's colours do not depend on the machine or its C library. (The
// one exception: for a negative argument, or a NaN with its sign bit set,
// the AVX-512 log answers a NaN of the other sign; no pixel reads a NaN's
// sign.)
//
// sqrt and fmod are exact in every library: here they stay the C library's.

#include <sleef.h>

namespace consistent {

inline double Sin(double v) { return Sleef_cinz_sind1_u10purec(v); }
inline double Cos(double v) { return Sleef_cinz_cosd1_u10purec(v); }
inline double Exp(double v) { return Sleef_cinz_expd1_u10purec(v); }
inline double Log(double v) { return Sleef_cinz_logd1_u10purec(v); }
inline double Pow(double v, double w) { return Sleef_cinz_powd1_u10purec(v, w); }
inline double Atan2(double y, double x) { return Sleef_cinz_atan2d1_u10purec(y, x); }

}  // namespace consistent
