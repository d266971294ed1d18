// SPDX-License-Identifier: GPL-3.0-or-later
// power(x, y): x raised to y.
#include "Support.h"

using longreal::Ball;
using longreal::Fail;
using longreal::Finish;
using longreal::Integer;
using longreal::Prec;

namespace {

// y as a whole number: exact, or a narrow ball decided at the whole number it holds.
bool WholeExponent(const cLongReal& y, fmpz* out)
{
    if (longreal::ExactWhole(out, y.arb()))
        return true;
    if (arb_is_exact(y.arb()) || !arb_contains_int(y.arb()) || mag_cmp_2exp_si(arb_radref(y.arb()), -2) >= 0)
        return false;
    Ball point;
    arf_get_fmpz(out, arb_midref(y.arb()), ARF_RND_NEAR);
    arb_set_fmpz(point, out);
    return longreal::Side(y.arb(), point, "power: cannot decide whether the exponent is whole") == 0;
}

} // namespace

cLongReal power(const cLongReal& x, const cLongReal& y)
{
    Integer whole;
    const bool isWhole = WholeExponent(y, whole);
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
    }
    if (isWhole) {
        if (fmpz_equal_si(whole, 2))
            arb_sqr(r, x.arb(), Prec());
        else
            arb_pow_fmpz(r, x.arb(), whole, Prec());
    } else {
        if (base < 0)
            Fail("power: negative base needs a whole exponent");
        arb_pow(r, x.arb(), y.arb(), Prec());
    }
    Finish(r, "overflow");
    return longreal::Take(r);
}
