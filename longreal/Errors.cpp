#include "Support.h"

namespace longreal {

void Fail(const std::string& reason)
{
    throw cLongRealError(reason);
}

void CheckFinite(mpfr_srcptr value)
{
    if (mpfr_nan_p(value))
        Fail("undefined result");
    if (mpfr_inf_p(value))
        Fail("overflow");
}

} // namespace longreal

namespace longreal {

cLongReal Rounded(mpfr_srcptr value)
{
    cLongReal r;
    mpfr_set(r.mpfr(), value, MPFR_RNDN);
    CheckFinite(r.mpfr());
    return r;
}

} // namespace longreal
