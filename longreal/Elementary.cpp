// Elementary functions: abs, ln, exp, sqrt, hyperbolic functions, rounding, constants.
#include "Support.h"

using longreal::Fail;

namespace {

using tMpfrFn = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

cLongReal Apply(tMpfrFn fn, const cLongReal& x)
{
    cLongReal r;
    fn(r.mpfr(), x.mpfr(), MPFR_RNDN);
    longreal::CheckFinite(r.mpfr());
    return r;
}

} // namespace

cLongReal abs(const cLongReal& x) { return Apply(mpfr_abs, x); }

cLongReal ln(const cLongReal& x)
{
    if (mpfr_sgn(x.mpfr()) <= 0)
        Fail("ln: argument must be positive");
    return Apply(mpfr_log, x);
}

cLongReal exp(const cLongReal& x) { return Apply(mpfr_exp, x); }

cLongReal sqrt(const cLongReal& x)
{
    if (mpfr_sgn(x.mpfr()) < 0)
        Fail("sqrt: argument must not be negative");
    return Apply(mpfr_sqrt, x);
}

cLongReal sinh(const cLongReal& x) { return Apply(mpfr_sinh, x); }
cLongReal cosh(const cLongReal& x) { return Apply(mpfr_cosh, x); }
cLongReal tanh(const cLongReal& x) { return Apply(mpfr_tanh, x); }
cLongReal arsinh(const cLongReal& x) { return Apply(mpfr_asinh, x); }

cLongReal arcosh(const cLongReal& x)
{
    if (mpfr_cmp_si(x.mpfr(), 1) < 0)
        Fail("arcosh: argument must be at least 1");
    return Apply(mpfr_acosh, x);
}

cLongReal artanh(const cLongReal& x)
{
    if (mpfr_cmpabs_ui(x.mpfr(), 1) >= 0)
        Fail("artanh: argument must lie between -1 and 1");
    return Apply(mpfr_atanh, x);
}

cLongReal trunc(const cLongReal& x) { return Apply(mpfr_rint_trunc, x); }
cLongReal round(const cLongReal& x) { return Apply(mpfr_rint_round, x); }

cLongReal e()
{
    cLongReal r(1L);
    mpfr_exp(r.mpfr(), r.mpfr(), MPFR_RNDN);
    return r;
}

cLongReal pi()
{
    cLongReal r;
    mpfr_const_pi(r.mpfr(), MPFR_RNDN);
    return r;
}
