#include "Support.h"

namespace longreal {

void Fail(const std::string& reason)
{
    throw cLongRealError(reason);
}

void FailNotFinite(mpfr_srcptr value)
{
    Fail(mpfr_nan_p(value) ? "undefined result" : "overflow");
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
