// Factorial, permutations and combinations.
#include "Support.h"

using longreal::Fail;

cLongReal fak(const cLongReal& x)
{
    if (mpfr_integer_p(x.mpfr()) && mpfr_sgn(x.mpfr()) < 0)
        Fail("fak: undefined for negative whole numbers");
    cLongReal r;
    mpfr_add_ui(r.mpfr(), x.mpfr(), 1, MPFR_RNDN);
    mpfr_gamma(r.mpfr(), r.mpfr(), MPFR_RNDN);
    return longreal::Finished(std::move(r));
}

cLongReal per(const cLongReal& n, const cLongReal& k)
{
    return fak(n) / fak(n - k);
}

cLongReal com(const cLongReal& n, const cLongReal& k)
{
    return fak(n) / (fak(k) * fak(n - k));
}
