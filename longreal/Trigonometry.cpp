// Circular functions and their inverses in the configured angle unit.
//
// In degrees and gradians the argument is first reduced exactly modulo the
// full turn, and every later step (quadrant, complement) is an exact
// subtraction, so the special angles give exact results.
#include "Support.h"

#include <algorithm>

using longreal::Fail;
using longreal::kGuardBits;
using longreal::Rounded;
using longreal::Scratch;

namespace {

using tMpfrFn = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// The quarter turn in the configured unit; 0 for radians.
long Quarter()
{
    switch (longreal::Settings().angleMode) {
    case 1: return 90;
    case 2: return 100;
    default: return 0;
    }
}

mpfr_prec_t GuardedBits()
{
    return cLongReal::WorkingBits() + kGuardBits;
}

// fn of the angle u, given in the unit whose quarter turn is q: fn(u * pi / (2 q)).
cLongReal OfScaled(tMpfrFn fn, mpfr_srcptr u, long q)
{
    Scratch angle(GuardedBits());
    mpfr_const_pi(angle, MPFR_RNDN);
    mpfr_mul(angle, angle, u, MPFR_RNDN);
    mpfr_div_ui(angle, angle, 2 * q, MPFR_RNDN);
    fn(angle, angle, MPFR_RNDN);
    return Rounded(angle);
}

// Reduced angle: |x| modulo `turn` in units, together with the sign of x.
struct Reduced {
    Scratch value;
    int sign;
    Reduced(const cLongReal& x, long turn)
        : value(std::max<mpfr_prec_t>(mpfr_get_prec(x.mpfr()), 32)), sign(mpfr_sgn(x.mpfr()))
    {
        mpfr_abs(value, x.mpfr(), MPFR_RNDN);
        Scratch modulus(32);
        mpfr_set_si(modulus, turn, MPFR_RNDN);
        mpfr_fmod(value, value, modulus, MPFR_RNDN); // exact
    }
};

// sin(u) and cos(u) for 0 <= u <= q units.
cLongReal SinQ(mpfr_ptr u, long q)
{
    if (mpfr_zero_p(u))
        return cLongReal(0L);
    if (mpfr_cmp_si(u, q) == 0)
        return cLongReal(1L);
    if (q == 90 && mpfr_cmp_si(u, 30) == 0)
        return cLongReal(1L) / cLongReal(2L);
    if (mpfr_cmp_d(u, q / 2.0) <= 0)
        return OfScaled(mpfr_sin, u, q);
    mpfr_si_sub(u, q, u, MPFR_RNDN); // exact: u lies in [q/2, q]
    return OfScaled(mpfr_cos, u, q);
}

cLongReal CosQ(mpfr_ptr u, long q)
{
    if (mpfr_zero_p(u))
        return cLongReal(1L);
    if (mpfr_cmp_si(u, q) == 0)
        return cLongReal(0L);
    if (q == 90 && mpfr_cmp_si(u, 60) == 0)
        return cLongReal(1L) / cLongReal(2L);
    if (mpfr_cmp_d(u, q / 2.0) < 0)
        return OfScaled(mpfr_cos, u, q);
    mpfr_si_sub(u, q, u, MPFR_RNDN); // exact
    return OfScaled(mpfr_sin, u, q);
}

// tan(u) and cot(u) for 0 < u < q units (tan also at 0).
cLongReal TanQ(mpfr_ptr u, long q)
{
    if (mpfr_zero_p(u))
        return cLongReal(0L);
    const int half = mpfr_cmp_d(u, q / 2.0);
    if (half == 0)
        return cLongReal(1L);
    if (half < 0)
        return OfScaled(mpfr_tan, u, q);
    mpfr_si_sub(u, q, u, MPFR_RNDN); // exact
    return OfScaled(mpfr_cot, u, q);
}

cLongReal CotQ(mpfr_ptr u, long q)
{
    const int half = mpfr_cmp_d(u, q / 2.0);
    if (half == 0)
        return cLongReal(1L);
    if (half < 0)
        return OfScaled(mpfr_cot, u, q);
    mpfr_si_sub(u, q, u, MPFR_RNDN); // exact
    return OfScaled(mpfr_tan, u, q);
}

cLongReal WithSign(cLongReal value, int sign)
{
    return sign < 0 ? -value : value;
}

// Exact reduction of a radian argument needs pi to as many bits as the
// argument's exponent: past this the cost grows to seconds and beyond.
constexpr mpfr_exp_t kMaxRadianExponent = 1 << 20;

cLongReal Radians(tMpfrFn fn, const cLongReal& x, const char* name)
{
    if (mpfr_regular_p(x.mpfr()) && mpfr_get_exp(x.mpfr()) > kMaxRadianExponent)
        Fail(std::string(name) + ": argument too large");
    cLongReal r;
    fn(r.mpfr(), x.mpfr(), MPFR_RNDN);
    longreal::CheckFinite(r.mpfr());
    return r;
}

// An inverse function's result in radians, converted to the configured unit.
cLongReal InUnit(mpfr_ptr radians, long q)
{
    if (q != 0) {
        Scratch pi(GuardedBits());
        mpfr_const_pi(pi, MPFR_RNDN);
        mpfr_mul_ui(radians, radians, 2 * q, MPFR_RNDN);
        mpfr_div(radians, radians, pi, MPFR_RNDN);
    }
    return Rounded(radians);
}

// The fraction num/den of a quarter turn in the configured unit.
cLongReal QuarterTimes(long num, long den, long q)
{
    if (q == 0) {
        Scratch r(GuardedBits());
        mpfr_const_pi(r, MPFR_RNDN);
        mpfr_mul_si(r, r, num, MPFR_RNDN);
        mpfr_div_si(r, r, 2 * den, MPFR_RNDN);
        return Rounded(r);
    }
    return cLongReal(q * num) / cLongReal(den);
}

} // namespace

cLongReal sin(const cLongReal& x)
{
    const long q = Quarter();
    if (q == 0)
        return Radians(mpfr_sin, x, "sin");
    Reduced r(x, 4 * q);
    mpfr_ptr u = r.value;
    int sign = r.sign;
    if (mpfr_cmp_si(u, 2 * q) >= 0) { // sin(u) = -sin(u - 2q)
        mpfr_sub_si(u, u, 2 * q, MPFR_RNDN); // exact
        sign = -sign;
    }
    if (mpfr_cmp_si(u, q) > 0)
        mpfr_si_sub(u, 2 * q, u, MPFR_RNDN); // sin(u) = sin(2q - u), exact
    return WithSign(SinQ(u, q), sign);
}

cLongReal cos(const cLongReal& x)
{
    const long q = Quarter();
    if (q == 0)
        return Radians(mpfr_cos, x, "cos");
    Reduced r(x, 4 * q);
    mpfr_ptr u = r.value;
    int sign = 1;
    if (mpfr_cmp_si(u, 2 * q) >= 0) { // cos(u) = -cos(u - 2q)
        mpfr_sub_si(u, u, 2 * q, MPFR_RNDN);
        sign = -sign;
    }
    if (mpfr_cmp_si(u, q) > 0) { // cos(u) = -cos(2q - u)
        mpfr_si_sub(u, 2 * q, u, MPFR_RNDN);
        sign = -sign;
    }
    return WithSign(CosQ(u, q), sign);
}

cLongReal tan(const cLongReal& x)
{
    const long q = Quarter();
    if (q == 0)
        return Radians(mpfr_tan, x, "tan");
    Reduced r(x, 2 * q);
    mpfr_ptr u = r.value;
    int sign = r.sign;
    const int side = mpfr_cmp_si(u, q);
    if (side == 0)
        Fail("tan: pole at this angle");
    if (side > 0) { // tan(u) = -tan(2q - u)
        mpfr_si_sub(u, 2 * q, u, MPFR_RNDN);
        sign = -sign;
    }
    return WithSign(TanQ(u, q), sign);
}

cLongReal cot(const cLongReal& x)
{
    const long q = Quarter();
    if (q == 0) {
        if (mpfr_zero_p(x.mpfr()))
            Fail("cot: pole at this angle");
        return Radians(mpfr_cot, x, "cot");
    }
    Reduced r(x, 2 * q);
    mpfr_ptr u = r.value;
    int sign = r.sign;
    if (mpfr_zero_p(u))
        Fail("cot: pole at this angle");
    const int side = mpfr_cmp_si(u, q);
    if (side == 0)
        return cLongReal(0L);
    if (side > 0) { // cot(u) = -cot(2q - u)
        mpfr_si_sub(u, 2 * q, u, MPFR_RNDN);
        sign = -sign;
    }
    return WithSign(CotQ(u, q), sign);
}

cLongReal arcsin(const cLongReal& x)
{
    if (mpfr_cmpabs_ui(x.mpfr(), 1) > 0)
        Fail("arcsin: argument must lie between -1 and 1");
    const long q = Quarter();
    const int sign = mpfr_sgn(x.mpfr());
    if (mpfr_zero_p(x.mpfr()))
        return cLongReal(0L);
    if (mpfr_cmpabs_ui(x.mpfr(), 1) == 0)
        return QuarterTimes(sign, 1, q);
    if (q == 90 && mpfr_cmp_d(x.mpfr(), 0.5 * sign) == 0)
        return cLongReal(30L * sign);
    Scratch r(GuardedBits());
    mpfr_asin(r, x.mpfr(), MPFR_RNDN);
    return InUnit(r, q);
}

cLongReal arccos(const cLongReal& x)
{
    if (mpfr_cmpabs_ui(x.mpfr(), 1) > 0)
        Fail("arccos: argument must lie between -1 and 1");
    const long q = Quarter();
    if (mpfr_cmp_si(x.mpfr(), 1) == 0)
        return cLongReal(0L);
    if (mpfr_zero_p(x.mpfr()))
        return QuarterTimes(1, 1, q);
    if (mpfr_cmp_si(x.mpfr(), -1) == 0)
        return QuarterTimes(2, 1, q);
    if (q == 90 && mpfr_cmp_d(x.mpfr(), 0.5) == 0)
        return cLongReal(60L);
    if (q == 90 && mpfr_cmp_d(x.mpfr(), -0.5) == 0)
        return cLongReal(120L);
    Scratch r(GuardedBits());
    mpfr_acos(r, x.mpfr(), MPFR_RNDN);
    return InUnit(r, q);
}

cLongReal arctan(const cLongReal& x)
{
    const long q = Quarter();
    if (mpfr_zero_p(x.mpfr()))
        return cLongReal(0L);
    if (mpfr_cmpabs_ui(x.mpfr(), 1) == 0)
        return QuarterTimes(mpfr_sgn(x.mpfr()), 2, q);
    Scratch r(GuardedBits());
    mpfr_atan(r, x.mpfr(), MPFR_RNDN);
    return InUnit(r, q);
}

// arccot(x) = quarter turn - arctan(x), in (0, half turn).
cLongReal arccot(const cLongReal& x)
{
    const long q = Quarter();
    if (mpfr_zero_p(x.mpfr()))
        return QuarterTimes(1, 1, q);
    if (mpfr_cmp_si(x.mpfr(), 1) == 0)
        return QuarterTimes(1, 2, q);
    if (mpfr_cmp_si(x.mpfr(), -1) == 0)
        return QuarterTimes(3, 2, q);
    // atan(1/x), lifted by a half turn for negative x, avoids the
    // cancellation of the difference for large |x|.
    Scratch r(GuardedBits());
    mpfr_ui_div(r, 1, x.mpfr(), MPFR_RNDN);
    mpfr_atan(r, r, MPFR_RNDN);
    if (mpfr_sgn(x.mpfr()) < 0) {
        Scratch pi(GuardedBits());
        mpfr_const_pi(pi, MPFR_RNDN);
        mpfr_add(r, r, pi, MPFR_RNDN);
    }
    return InUnit(r, q);
}
