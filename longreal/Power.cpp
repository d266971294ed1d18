// power(x, y): x raised to y.
#include "Support.h"

#include <climits>

using longreal::Fail;

namespace {

// y as a long when it is a whole number of at most 62 bits.
bool SmallWhole(mpfr_srcptr y, long& out)
{
    if (mpfr_zero_p(y)) {
        out = 0;
        return true;
    }
    if (!mpfr_regular_p(y) || mpfr_get_exp(y) > 62 || mpfr_get_exp(y) < 1 || !mpfr_integer_p(y))
        return false;
    // All bits of the whole number sit in the top limb of the significand.
    const mp_limb_t* limbs = static_cast<const mp_limb_t*>(mpfr_custom_get_significand(y));
    const mp_limb_t top = limbs[(mpfr_get_prec(y) - 1) / GMP_NUMB_BITS];
    const long magnitude = static_cast<long>(top >> (GMP_NUMB_BITS - mpfr_get_exp(y)));
    out = mpfr_signbit(y) ? -magnitude : magnitude;
    return true;
}

} // namespace

cLongReal power(const cLongReal& x, const cLongReal& y)
{
    long whole = 0;
    const bool small = SmallWhole(y.mpfr(), whole);
    if (mpfr_zero_p(x.mpfr())) {
        if (mpfr_sgn(y.mpfr()) < 0)
            Fail("power: zero to a negative power");
    } else if (mpfr_sgn(x.mpfr()) < 0 && !small && !mpfr_integer_p(y.mpfr())) {
        Fail("power: negative base needs a whole exponent");
    }
    cLongReal r;
    if (small) {
        if (whole == 2)
            mpfr_sqr(r.mpfr(), x.mpfr(), MPFR_RNDN);
        else
            mpfr_pow_si(r.mpfr(), x.mpfr(), whole, MPFR_RNDN);
    } else {
        mpfr_pow(r.mpfr(), x.mpfr(), y.mpfr(), MPFR_RNDN);
    }
    longreal::CheckFinite(r.mpfr());
    return r;
}
