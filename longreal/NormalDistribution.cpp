// The standard normal distribution: density, distribution function and their inverses.
#include "Support.h"

using longreal::Fail;

cLongReal normloc(const cLongReal& x)
{
    return exp(-(x * x) / cLongReal(2L)) / sqrt(cLongReal(2L) * pi());
}

cLongReal norm(const cLongReal& x)
{
    cLongReal r;
    mpfr_div(r.mpfr(), x.mpfr(), sqrt(cLongReal(2L)).mpfr(), MPFR_RNDN);
    mpfr_neg(r.mpfr(), r.mpfr(), MPFR_RNDN);
    mpfr_erfc(r.mpfr(), r.mpfr(), MPFR_RNDN);
    mpfr_div_2ui(r.mpfr(), r.mpfr(), 1, MPFR_RNDN);
    return r;
}

cLongReal invnormloc(const cLongReal& y)
{
    if (mpfr_sgn(y.mpfr()) <= 0)
        Fail("invnormloc: argument must be positive");
    return sqrt(cLongReal(-2L) * ln(y * sqrt(cLongReal(2L) * pi())));
}

cLongReal invnorm(const cLongReal& p)
{
    if (mpfr_sgn(p.mpfr()) <= 0 || mpfr_cmp_si(p.mpfr(), 1) >= 0)
        Fail("invnorm: argument must lie between 0 and 1");
    Fail("invnorm: not available");
}
