// power(x, y): x raised to y.
#include "Support.h"

using longreal::Fail;

cLongReal power(const cLongReal& x, const cLongReal& y)
{
    const bool whole = mpfr_integer_p(y.mpfr()) != 0;
    if (mpfr_zero_p(x.mpfr())) {
        if (mpfr_sgn(y.mpfr()) < 0)
            Fail("power: zero to a negative power");
    } else if (mpfr_sgn(x.mpfr()) < 0 && !whole) {
        Fail("power: negative base needs a whole exponent");
    }
    cLongReal r;
    if (whole && mpfr_fits_slong_p(y.mpfr(), MPFR_RNDN))
        mpfr_pow_si(r.mpfr(), x.mpfr(), mpfr_get_si(y.mpfr(), MPFR_RNDN), MPFR_RNDN);
    else
        mpfr_pow(r.mpfr(), x.mpfr(), y.mpfr(), MPFR_RNDN);
    return longreal::Finished(std::move(r));
}
