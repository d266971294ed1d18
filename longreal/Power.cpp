// SPDX-License-Identifier: GPL-3.0-or-later
// power(x, y): x raised to y.
#include "Support.h"

#include <cmath>

using longreal::Ball;
using longreal::Fail;
using longreal::Finish;
using longreal::Integer;
using longreal::Prec;

namespace {

// y as a whole number: exact, or a narrow ball decided at the whole number it holds.
bool WholeExponent(const cLongReal& y, fmpz* out) {
    if (longreal::ExactWhole(out, y.arb()))
        return true;
    if (arb_is_exact(y.arb()) || !arb_contains_int(y.arb()) || mag_cmp_2exp_si(arb_radref(y.arb()), -2) >= 0)
        return false;
    Ball point;
    arf_get_fmpz(out, arb_midref(y.arb()), ARF_RND_NEAR);
    arb_set_fmpz(point, out);
    return longreal::Side(y.arb(), point, "power: cannot decide whether the exponent is whole") == 0;
}

// x^n for a whole n beyond 2^40 and |x| near 1, as sign * exp(n ln|x|):
// repeated squaring would carry n's bits in its working precision.
cLongReal HugeWholePower(const cLongReal& x, const fmpz* n, int base) {
    const slong bits = longreal::Guarded();
    Ball t, limit;
    arb_abs(t, x.arb());
    arb_log(t, t, bits);
    arb_mul_fmpz(t, t, n, bits);
    arb_set_si(limit, 2);
    arb_mul_2exp_si(limit, limit, 40); // e^(2^41) is beyond 2^(2^40)
    if (arb_gt(t, limit))
        Fail("overflow");
    arb_neg(limit, limit);
    if (arb_lt(t, limit))
        return cLongReal(0L);
    Ball r;
    arb_exp(r, t, Prec());
    if (base < 0 && fmpz_is_odd(n))
        arb_neg(r, r);
    Finish(r, "overflow");
    return longreal::Take(r);
}

// x^n exactly, in an exact pass, for an exact x and a result within the size rule.
bool ExactPower(const cLongReal& x, slong n, cLongReal& out) {
    if (!longreal::ExactMode() || !x.IsExact())
        return false;
    longreal::Rational q, r;
    if (!cLongRealAccess::ExactOf(x, q))
        return false;
    const double bits = static_cast<double>(fmpz_bits(fmpq_numref(q.get())) + fmpz_bits(fmpq_denref(q.get()))) *
                        std::fabs(static_cast<double>(n));
    if (bits > static_cast<double>(longreal::RationalLimitBits()))
        return false;
    if (fmpq_is_zero(q) && n < 0)
        Fail("power: zero to a negative power");
    fmpq_pow_si(r, q, n);
    return cLongRealAccess::SetRational(out, r);
}

// A small whole exponent (below 2^40), exact or not.
bool SmallWhole(const cLongReal& y, slong& n) { return longreal::SmallWhole(y.arb(), 40, n); }

cLongReal PowerOfBalls(const cLongReal& x, const cLongReal& y);

} // namespace

cLongReal power(const cLongReal& x, const cLongReal& y) {
    if (cLongRealAccess::Exact(x) == nullptr && cLongRealAccess::Exact(y) == nullptr) [[likely]]
        return PowerOfBalls(x, y);
    cLongReal r;
    slong n = 0;
    if (SmallWhole(y, n) && ExactPower(x, n, r))
        return r;
    cLongReal tx, ty;
    const cLongReal& xc = cLongRealAccess::Current(x, tx);
    const cLongReal& yc = cLongRealAccess::Current(y, ty);
    return PowerOfBalls(xc, yc);
}

namespace {

// x^n for 0 < n < 2^40 and x away from 0, with no decision to make: what
// the general path computes. Its own function, so that the value is built
// where the caller wants it.
cLongReal SmallPower(const cLongReal& x, slong n) {
    cLongReal result;
    arb_ptr r = cLongRealAccess::Raw(result);
    if (n == 2) {
        arb_sqr(r, x.arb(), Prec());
    } else {
        fmpz_t e;
        fmpz_init_set_si(e, n); // a small fmpz: no heap
        arb_pow_fmpz(r, x.arb(), e, Prec());
        fmpz_clear(e);
    }
    if (!arb_is_exact(r) && longreal::ExactMode() && ExactPower(x, n, result)) [[unlikely]]
        return result;
    Finish(r, "overflow");
    return result;
}

cLongReal GeneralPower(const cLongReal& x, const cLongReal& y);

cLongReal PowerOfBalls(const cLongReal& x, const cLongReal& y) {
    // The common case, a small positive whole exponent of a base away from 0.
    slong n = 0;
    if (SmallWhole(y, n) && n > 0 && !longreal::ContainsZero(x.arb())) [[likely]]
        return SmallPower(x, n);
    return GeneralPower(x, y);
}

// Kept apart, so that its frame stays off the common case.
[[gnu::noinline]] cLongReal GeneralPower(const cLongReal& x, const cLongReal& y) {
    // A base above 0 has a power for every exponent: only an exact whole
    // one takes the whole path, and no ball needs deciding.
    Integer whole;
    const bool isWhole = arb_is_positive(x.arb()) ? longreal::ExactWhole(whole, y.arb()) : WholeExponent(y, whole);
    const int base = longreal::SideOf(x.arb(), 0, "power: cannot decide the sign of the base");
    Ball r;
    if (base == 0) {
        if (isWhole ? fmpz_sgn(whole) < 0 : longreal::SideOf(y.arb(), 0, "power: cannot decide the exponent") < 0)
            Fail("power: zero to a negative power");
        if (isWhole ? fmpz_is_zero(whole) : longreal::SideOf(y.arb(), 0, "power: cannot decide the exponent") == 0)
            arb_one(r);
        else
            arb_zero(r);
        return longreal::Take(r);
    }
    if (isWhole && fmpz_bits(whole) > 40) {
        // |x| at least 2 or below 1/2: far beyond the range either way.
        const slong e = fmpz_get_si(ARF_EXPREF(arb_midref(x.arb()))); // |mid| in [2^(e-1), 2^e)
        const bool grows = e >= 2;
        const bool shrinks = e <= -1;
        if ((grows && fmpz_sgn(whole) > 0) || (shrinks && fmpz_sgn(whole) < 0))
            Fail("overflow");
        if (grows || shrinks)
            return cLongReal(0L);
        if (!arb_is_one(x.arb()) && !arb_equal_si(x.arb(), -1))
            return HugeWholePower(x, whole, base);
    }
    if (isWhole && fmpz_fits_si(whole)) {
        cLongReal exact;
        if (ExactPower(x, fmpz_get_si(whole), exact))
            return exact;
    }
    if (isWhole) {
        if (fmpz_equal_si(whole, 2))
            arb_sqr(r, x.arb(), Prec());
        else
            arb_pow_fmpz(r, x.arb(), whole, Prec());
    } else {
        if (base < 0)
            Fail("power: negative base needs a whole exponent");
        longreal::CheckHeadroom(Prec());
        arb_pow(r, x.arb(), y.arb(), Prec());
    }
    Finish(r, "overflow");
    return longreal::Take(r);
}

} // namespace
