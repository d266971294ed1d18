// The standard normal distribution: density, distribution function and their inverses.
#include "Support.h"

#include <algorithm>
#include <cmath>

using longreal::Fail;
using longreal::kGuardBits;
using longreal::Rounded;
using longreal::Scratch;

namespace {

// Guard bits for a function whose relative condition grows like x^2. Beyond
// |x| = 2^40 the results underflow or saturate anyway.
mpfr_prec_t SquareGuardedBits(mpfr_srcptr x)
{
    const mpfr_exp_t e = mpfr_regular_p(x) ? mpfr_get_exp(x) : 0;
    return cLongReal::WorkingBits() + kGuardBits + 2 * std::clamp<mpfr_exp_t>(e, 0, 40);
}

// ln of the density: -x^2/2 - ln(sqrt(2 pi)).
void LogDensity(mpfr_ptr out, mpfr_srcptr x)
{
    Scratch c(mpfr_get_prec(out));
    mpfr_const_pi(c, MPFR_RNDN);
    mpfr_mul_2ui(c, c, 1, MPFR_RNDN);
    mpfr_log(c, c, MPFR_RNDN);
    mpfr_div_2ui(c, c, 1, MPFR_RNDN);
    mpfr_sqr(out, x, MPFR_RNDN);
    mpfr_div_2ui(out, out, 1, MPFR_RNDN);
    mpfr_add(out, out, c, MPFR_RNDN);
    mpfr_neg(out, out, MPFR_RNDN);
}

// The distribution function: erfc(-x / sqrt 2) / 2, accurate in both tails.
void Distribution(mpfr_ptr out, mpfr_srcptr x)
{
    Scratch root2(mpfr_get_prec(out));
    mpfr_sqrt_ui(root2, 2, MPFR_RNDN);
    mpfr_div(out, x, root2, MPFR_RNDN);
    mpfr_neg(out, out, MPFR_RNDN);
    mpfr_erfc(out, out, MPFR_RNDN);
    mpfr_div_2ui(out, out, 1, MPFR_RNDN);
}

// Start for the lower quantile of q <= 1/2 from ln q, to about 4e-4
// (the rational tail approximation of Abramowitz and Stegun 26.2.23).
double LowerQuantileStart(double lnq)
{
    const double t = std::sqrt(-2.0 * lnq);
    const double num = 2.515517 + t * (0.802853 + t * 0.010328);
    const double den = 1.0 + t * (1.432788 + t * (0.189269 + t * 0.001308));
    return -(t - num / den);
}

// One Newton step on ln(Phi(x)) = lnq, at the precision of x. True when
// the step no longer changes x beyond its last bits.
bool NewtonStep(mpfr_ptr x, mpfr_srcptr lnq)
{
    const mpfr_prec_t bits = mpfr_get_prec(x);
    Scratch lnPhi(bits), lnPhiOverPhi(bits);
    Distribution(lnPhi, x);
    mpfr_log(lnPhi, lnPhi, MPFR_RNDN);
    LogDensity(lnPhiOverPhi, x);
    mpfr_sub(lnPhiOverPhi, lnPhi, lnPhiOverPhi, MPFR_RNDN);
    mpfr_exp(lnPhiOverPhi, lnPhiOverPhi, MPFR_RNDN); // Phi / phi
    mpfr_sub(lnPhi, lnPhi, lnq, MPFR_RNDN);
    mpfr_mul(lnPhi, lnPhi, lnPhiOverPhi, MPFR_RNDN);
    mpfr_sub(x, x, lnPhi, MPFR_RNDN);
    return mpfr_zero_p(lnPhi) || mpfr_zero_p(x)
        || mpfr_get_exp(lnPhi) < mpfr_get_exp(x) - static_cast<mpfr_exp_t>(bits) + 2;
}

} // namespace

cLongReal normloc(const cLongReal& x)
{
    Scratch r(SquareGuardedBits(x.mpfr()));
    LogDensity(r, x.mpfr());
    mpfr_exp(r, r, MPFR_RNDN);
    return Rounded(r);
}

cLongReal norm(const cLongReal& x)
{
    Scratch r(SquareGuardedBits(x.mpfr()));
    Distribution(r, x.mpfr());
    return Rounded(r);
}

// The non-negative x with normloc(x) = y: sqrt(-2 ln(y sqrt(2 pi))).
cLongReal invnormloc(const cLongReal& y)
{
    if (mpfr_sgn(y.mpfr()) <= 0)
        Fail("invnormloc: argument must be positive");
    // y sqrt(2 pi) may lie very close to 1: room for the cancellation in ln.
    const mpfr_prec_t bits = 2 * std::max(cLongReal::WorkingBits(), mpfr_get_prec(y.mpfr())) + kGuardBits;
    Scratch r(bits);
    mpfr_const_pi(r, MPFR_RNDN);
    mpfr_mul_2ui(r, r, 1, MPFR_RNDN);
    mpfr_sqrt(r, r, MPFR_RNDN);
    mpfr_mul(r, r, y.mpfr(), MPFR_RNDN);
    if (mpfr_cmp_ui(r, 1) > 0)
        Fail("invnormloc: argument must not exceed 1/sqrt(2 pi)");
    mpfr_log(r, r, MPFR_RNDN);
    mpfr_mul_si(r, r, -2, MPFR_RNDN);
    mpfr_sqrt(r, r, MPFR_RNDN);
    return Rounded(r);
}

// The quantile: Newton on ln Phi(x) = ln q for q = min(p, 1 - p), doubling
// the precision from a double-precision start, mirrored for p > 1/2.
cLongReal invnorm(const cLongReal& p)
{
    if (mpfr_sgn(p.mpfr()) <= 0 || mpfr_cmp_ui(p.mpfr(), 1) >= 0)
        Fail("invnorm: argument must lie between 0 and 1");
    Scratch q(std::max<mpfr_prec_t>(mpfr_get_prec(p.mpfr()), 2));
    const bool upper = mpfr_cmp_d(p.mpfr(), 0.5) > 0;
    if (upper)
        mpfr_ui_sub(q, 1, p.mpfr(), MPFR_RNDN); // exact for p in [1/2, 1)
    else
        mpfr_set(q, p.mpfr(), MPFR_RNDN);
    if (mpfr_cmp_d(q, 0.5) == 0)
        return cLongReal(0L);
    // Near the median x is about (q - 1/2) sqrt(2 pi): Phi(x) must resolve
    // that difference to full relative precision.
    Scratch offset(mpfr_get_prec(q));
    mpfr_sub_d(offset, q, 0.5, MPFR_RNDN); // exact
    const mpfr_prec_t target = cLongReal::WorkingBits() + kGuardBits
        + std::clamp<mpfr_exp_t>(-mpfr_get_exp(offset), 0, mpfr_get_prec(q) + 2);

    Scratch lnq(target), x(target);
    mpfr_log(lnq, q, MPFR_RNDN);
    mpfr_set_prec(x, 53);
    const double lowerStart = LowerQuantileStart(mpfr_get_d(lnq, MPFR_RNDN));
    // Near the median the tangent there is the better start.
    const double medianStart = (mpfr_get_d(q, MPFR_RNDN) - 0.5) * std::sqrt(2 * M_PI);
    mpfr_set_d(x, medianStart > -0.3 ? medianStart : lowerStart, MPFR_RNDN);
    // Converge cheaply at 64 bits, then double the precision: each step
    // doubles the correct bits, so one step per level suffices.
    mpfr_prec_t bits = std::min<mpfr_prec_t>(64, target);
    mpfr_prec_round(x, bits, MPFR_RNDN);
    for (int step = 0; step < 32 && !NewtonStep(x, lnq); ++step) {
    }
    while (bits < target) {
        bits = std::min<mpfr_prec_t>(2 * bits, target);
        mpfr_prec_round(x, bits, MPFR_RNDN);
        NewtonStep(x, lnq);
    }
    if (upper)
        mpfr_neg(x, x, MPFR_RNDN);
    return Rounded(x);
}
