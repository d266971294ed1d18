// Settings, lifetime, arithmetic and comparisons of cLongReal.
#include "NumberPool.h"

#include <algorithm>
#include <climits>

// Built-in defaults equal the program's defaults.
uint16_t cLongReal::aPrecision = 6;
uint16_t cLongReal::aOutputDrop = 2;
uint16_t cLongReal::aInputSystemStandard = 10;
uint16_t cLongReal::aOutputSystem = 10;
int16_t cLongReal::aOutputExpHigh = 5;
uint16_t cLongReal::aOutputExpLow = 5;
uint16_t cLongReal::aNativeEpsExponent = 2;
bool cLongReal::aEngOn = false;
bool cLongReal::aEngBinary = false;
int16_t cLongReal::aAngleMode = 1;

namespace longreal {

EffectiveSettings gSettings;

namespace {

int UsableBase(uint16_t base)
{
    return base >= 2 && base <= 36 ? base : 10;
}

} // namespace

mpfr_srcptr One()
{
    // Custom storage: a constant that never allocates or needs freeing.
    static mp_limb_t limb;
    static __mpfr_struct one = [] {
        __mpfr_struct x;
        mpfr_custom_init(&limb, 1);
        mpfr_custom_init_set(&x, MPFR_ZERO_KIND, 0, 1, &limb);
        mpfr_set_ui(&x, 1, MPFR_RNDN);
        return x;
    }();
    return &one;
}

} // namespace longreal

using longreal::Settings;

void cLongReal::Init()
{
    longreal::EffectiveSettings s;
    const long digits = std::max<long>(aPrecision, 1);
    s.bits = 16 * digits;
    s.inputBase = longreal::UsableBase(aInputSystemStandard);
    s.outputBase = longreal::UsableBase(aOutputSystem);
    s.outputBits = 16 * std::max<long>(digits - aOutputDrop, 1);
    const long eps = std::min<long>(aNativeEpsExponent, digits - 1);
    s.cleanOn = eps > 0;
    s.cleanShift = 16 * (digits - eps);
    s.angleMode = aAngleMode == 1 || aAngleMode == 2 ? aAngleMode : 0;
    longreal::gSettings = s;
    longreal::ClearNumberPool();
}

mpfr_prec_t cLongReal::WorkingBits()
{
    return Settings().bits;
}

cLongReal::cLongReal()
{
    longreal::AcquireNumber(aNum, WorkingBits());
    mpfr_set_zero(aNum, 1);
}

cLongReal::cLongReal(long value)
{
    longreal::AcquireNumber(aNum, WorkingBits());
    mpfr_set_si(aNum, value, MPFR_RNDN);
}

cLongReal::cLongReal(const cLongReal& other)
{
    longreal::AcquireNumber(aNum, mpfr_get_prec(other.aNum));
    mpfr_set(aNum, other.aNum, MPFR_RNDN);
}

cLongReal::cLongReal(cLongReal&& other) noexcept
{
    longreal::AcquireNumber(aNum, mpfr_get_prec(other.aNum));
    mpfr_swap(aNum, other.aNum);
}

cLongReal& cLongReal::operator=(const cLongReal& other)
{
    if (this != &other) {
        if (mpfr_get_prec(aNum) != mpfr_get_prec(other.aNum))
            mpfr_set_prec(aNum, mpfr_get_prec(other.aNum));
        mpfr_set(aNum, other.aNum, MPFR_RNDN);
    }
    return *this;
}

cLongReal& cLongReal::operator=(cLongReal&& other) noexcept
{
    if (this != &other)
        mpfr_swap(aNum, other.aNum);
    return *this;
}

cLongReal::~cLongReal()
{
    longreal::ReleaseNumber(aNum);
}

namespace {

// An addition or subtraction that left only rounding noise of its larger
// operand yields exactly zero.
void CleanCancellation(mpfr_ptr result, mpfr_srcptr a, mpfr_srcptr b)
{
    const auto& s = Settings();
    if (!s.cleanOn || mpfr_zero_p(result) || !mpfr_number_p(result))
        return;
    mpfr_srcptr larger = mpfr_cmpabs(a, b) >= 0 ? a : b;
    if (mpfr_zero_p(larger))
        return;
    const mpfr_exp_t scaled = mpfr_get_exp(result) + s.cleanShift;
    const mpfr_exp_t top = mpfr_get_exp(larger);
    if (scaled < top) {
        mpfr_set_zero(result, 1);
    } else if (scaled == top) {
        // Same binade after scaling: compare the significands exactly.
        mpfr_mul_2si(result, result, s.cleanShift, MPFR_RNDN);
        const bool noise = mpfr_cmpabs(result, larger) < 0;
        mpfr_div_2si(result, result, s.cleanShift, MPFR_RNDN);
        if (noise)
            mpfr_set_zero(result, 1);
    }
}

} // namespace

cLongReal cLongReal::operator+(const cLongReal& rhs) const
{
    cLongReal r;
    mpfr_add(r.aNum, aNum, rhs.aNum, MPFR_RNDN);
    CleanCancellation(r.aNum, aNum, rhs.aNum);
    longreal::CheckFinite(r.mpfr());
    return r;
}

cLongReal cLongReal::operator-(const cLongReal& rhs) const
{
    cLongReal r;
    mpfr_sub(r.aNum, aNum, rhs.aNum, MPFR_RNDN);
    CleanCancellation(r.aNum, aNum, rhs.aNum);
    longreal::CheckFinite(r.mpfr());
    return r;
}

cLongReal cLongReal::operator*(const cLongReal& rhs) const
{
    cLongReal r;
    mpfr_mul(r.aNum, aNum, rhs.aNum, MPFR_RNDN);
    longreal::CheckFinite(r.mpfr());
    return r;
}

cLongReal cLongReal::operator/(const cLongReal& rhs) const
{
    if (mpfr_zero_p(rhs.aNum))
        longreal::Fail("division by zero");
    cLongReal r;
    mpfr_div(r.aNum, aNum, rhs.aNum, MPFR_RNDN);
    longreal::CheckFinite(r.mpfr());
    return r;
}

cLongReal cLongReal::operator-() const
{
    cLongReal r;
    mpfr_neg(r.aNum, aNum, MPFR_RNDN);
    return r;
}

cLongReal& cLongReal::operator+=(const cLongReal& rhs)
{
    *this = *this + rhs;
    return *this;
}

cLongReal& cLongReal::operator*=(const cLongReal& rhs)
{
    *this = *this * rhs;
    return *this;
}

cLongReal& cLongReal::operator++()
{
    cLongReal r;
    mpfr_add_ui(r.aNum, aNum, 1, MPFR_RNDN);
    CleanCancellation(r.aNum, aNum, longreal::One());
    longreal::CheckFinite(r.aNum);
    return *this = std::move(r);
}

bool cLongReal::operator==(const cLongReal& rhs) const
{
    return mpfr_equal_p(aNum, rhs.aNum) != 0;
}

bool cLongReal::operator<=(const cLongReal& rhs) const
{
    return mpfr_lessequal_p(aNum, rhs.aNum) != 0;
}

cLongReal::operator long() const
{
    if (mpfr_cmp_si(aNum, INT32_MAX) >= 0)
        return INT32_MAX;
    if (mpfr_cmp_si(aNum, INT32_MIN) <= 0)
        return INT32_MIN;
    return mpfr_get_si(aNum, MPFR_RNDN);
}
