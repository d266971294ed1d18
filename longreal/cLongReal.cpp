// SPDX-License-Identifier: GPL-3.0-or-later
// Settings, passes, lifetime, arithmetic and comparisons of cLongReal.
#include "Support.h"
#include "cLongRealDefaults.h"

#include <algorithm>
#include <climits>

uint16_t cLongReal::aPrecision = cLongRealDefaults::kPrecision;
uint16_t cLongReal::aOutputDrop = cLongRealDefaults::kOutputDrop;
uint16_t cLongReal::aInputSystemStandard = cLongRealDefaults::kInputSystemStandard;
uint16_t cLongReal::aOutputSystem = cLongRealDefaults::kOutputSystem;
int16_t cLongReal::aOutputExpHigh = cLongRealDefaults::kOutputExpHigh;
uint16_t cLongReal::aOutputExpLow = cLongRealDefaults::kOutputExpLow;
uint16_t cLongReal::aNativeEpsExponent = cLongRealDefaults::kNativeEpsExponent;
bool cLongReal::aEngOn = cLongRealDefaults::kEngOn;
bool cLongReal::aEngBinary = cLongRealDefaults::kEngBinary;
int16_t cLongReal::aAngleMode = cLongRealDefaults::kAngleMode;

namespace longreal {

EffectiveSettings gSettings;
constinit thread_local PassState tPass;

namespace {

// Arb keeps constants (pi, logarithms, ...) per thread; they go with the thread.
struct ThreadCleanup {
    ~ThreadCleanup() { flint_cleanup(); }
};

} // namespace

void ArrangeCleanup()
{
    static thread_local ThreadCleanup cleanup;
    (void)cleanup;
    tPass.cleanup = true;
}

namespace {

int UsableBase(uint16_t base)
{
    return base >= 2 && base <= 36 ? base : 10;
}

} // namespace

} // namespace longreal

using longreal::Finish;
using longreal::Prec;

void cLongReal::Init()
{
    longreal::EffectiveSettings s;
    const slong digits = std::max<slong>(aPrecision, 1);
    s.bits = 16 * digits;
    s.inputBase = longreal::UsableBase(aInputSystemStandard);
    s.outputBase = longreal::UsableBase(aOutputSystem);
    s.outputBits = 16 * std::max<slong>(digits - aOutputDrop, 1);
    const slong eps = std::min<slong>(aNativeEpsExponent, digits - 1);
    s.zeroOn = eps > 0;
    s.zeroShift = 16 * (digits - eps);
    s.angleMode = aAngleMode == 1 || aAngleMode == 2 ? aAngleMode : 0;
    s.generation = longreal::gSettings.generation + 1;
    longreal::gSettings = s;
    longreal::ArmReserve(true);
}

slong cLongReal::WorkingBits()
{
    return longreal::Settings().bits;
}

slong cLongReal::PassBits()
{
    return Prec();
}

cLongRealPass::cLongRealPass(int pass)
    : aSavedBits(longreal::tPass.bits), aSavedFinal(longreal::tPass.final), aSavedActive(longreal::tPass.active)
{
    longreal::EnsureReserve();
    pass = std::clamp(pass, 0, kPasses - 1);
    longreal::tPass.bits = cLongReal::WorkingBits() << pass;
    longreal::tPass.final = pass == kPasses - 1;
    longreal::tPass.active = true;
}

cLongRealPass::~cLongRealPass()
{
    longreal::tPass.bits = aSavedBits;
    longreal::tPass.final = aSavedFinal;
    longreal::tPass.active = aSavedActive;
}

bool cLongRealPass::Active()
{
    return longreal::tPass.active;
}

cLongReal::cLongReal()
{
    arb_init(aBall);
}

cLongReal::cLongReal(long value)
{
    arb_init(aBall);
    arb_set_si(aBall, value);
}

cLongReal::cLongReal(const cLongReal& other)
{
    arb_init(aBall);
    arb_set(aBall, other.aBall);
}

cLongReal::cLongReal(cLongReal&& other) noexcept : aText(std::move(other.aText))
{
    arb_init(aBall);
    arb_swap(aBall, other.aBall);
}

cLongReal& cLongReal::operator=(const cLongReal& other)
{
    if (this != &other) {
        arb_set(aBall, other.aBall);
        aText.reset();
    }
    return *this;
}

cLongReal& cLongReal::operator=(cLongReal&& other) noexcept
{
    if (this != &other) {
        arb_swap(aBall, other.aBall);
        aText.swap(other.aText);
        other.aText.reset();
    }
    return *this;
}

cLongReal::~cLongReal()
{
    arb_clear(aBall);
}

arb_ptr cLongReal::arb()
{
    aText.reset();
    return aBall;
}

namespace {

using longreal::Ball;

void Add(arb_ptr r, arb_srcptr a, arb_srcptr b)
{
    arb_add(r, a, b, Prec());
    longreal::SnapCancellation(r, a, b);
    Finish(r, "undefined result");
}

void Subtract(arb_ptr r, arb_srcptr a, arb_srcptr b)
{
    arb_sub(r, a, b, Prec());
    longreal::SnapCancellation(r, a, b);
    Finish(r, "undefined result");
}

void Multiply(arb_ptr r, arb_srcptr a, arb_srcptr b)
{
    arb_mul(r, a, b, Prec());
    Finish(r, "undefined result");
}

void Divide(arb_ptr r, arb_srcptr a, arb_srcptr b)
{
    if (arb_contains_zero(b) && (arb_is_zero(b) || longreal::SideOf(b, 0, "division by zero") == 0))
        longreal::Fail("division by zero");
    arb_div(r, a, b, Prec());
    Finish(r, "undefined result");
}

using tOperation = void (*)(arb_ptr, arb_srcptr, arb_srcptr);

cLongReal Binary(tOperation op, arb_srcptr a, arb_srcptr b)
{
    cLongReal r;
    op(r.arb(), a, b);
    return r;
}

// In place, leaving the value as it was when the operation fails.
void InPlace(tOperation op, cLongReal& left, arb_srcptr right)
{
    Ball r;
    op(r, left.arb(), right);
    arb_swap(left.arb(), r);
}

} // namespace

cLongReal cLongReal::operator+(const cLongReal& rhs) const { return Binary(Add, aBall, rhs.aBall); }
cLongReal cLongReal::operator-(const cLongReal& rhs) const { return Binary(Subtract, aBall, rhs.aBall); }
cLongReal cLongReal::operator*(const cLongReal& rhs) const { return Binary(Multiply, aBall, rhs.aBall); }
cLongReal cLongReal::operator/(const cLongReal& rhs) const { return Binary(Divide, aBall, rhs.aBall); }

cLongReal cLongReal::operator-() const
{
    cLongReal r;
    arb_neg(r.aBall, aBall);
    return r;
}

cLongReal& cLongReal::operator+=(const cLongReal& rhs)
{
    InPlace(Add, *this, rhs.aBall);
    return *this;
}

cLongReal& cLongReal::operator-=(const cLongReal& rhs)
{
    InPlace(Subtract, *this, rhs.aBall);
    return *this;
}

cLongReal& cLongReal::operator*=(const cLongReal& rhs)
{
    InPlace(Multiply, *this, rhs.aBall);
    return *this;
}

cLongReal& cLongReal::operator/=(const cLongReal& rhs)
{
    InPlace(Divide, *this, rhs.aBall);
    return *this;
}

cLongReal& cLongReal::operator++()
{
    // A loop counter: a small exact whole number steps in place.
    const arf_struct* counter = arb_midref(aBall);
    if (arb_is_exact(aBall) && arf_is_int(counter) && (arf_is_zero(counter) || arf_cmpabs_2exp_si(counter, 60) < 0)) {
        arb_add_ui(aBall, aBall, 1, ARF_PREC_EXACT);
        aText.reset();
        return *this;
    }
    Ball r;
    // Whole numbers within the size rule step exactly; others at the pass precision.
    const arf_struct* mid = arb_midref(aBall);
    const bool whole = arb_is_exact(aBall) && arf_is_int(mid)
        && (arf_is_zero(mid) || arf_cmpabs_2exp_si(mid, longreal::ExactLimitBits()) < 0);
    arb_add_ui(r, aBall, 1, whole ? ARF_PREC_EXACT : Prec());
    if (!whole) {
        Ball one;
        arb_one(one);
        longreal::SnapCancellation(r, aBall, one);
    }
    Finish(r, "undefined result");
    arb_swap(aBall, r);
    aText.reset();
    return *this;
}

bool cLongReal::operator==(const cLongReal& rhs) const
{
    if (arb_is_exact(aBall) && arb_is_exact(rhs.aBall))
        return arb_equal(aBall, rhs.aBall) != 0;
    if (!arb_overlaps(aBall, rhs.aBall))
        return false;
    Ball d;
    arb_sub(d, aBall, rhs.aBall, Prec());
    return longreal::SideOf(d, 0, "cannot decide whether two values are equal") == 0;
}

bool cLongReal::operator<=(const cLongReal& rhs) const
{
    if (arb_is_exact(aBall) && arb_is_exact(rhs.aBall))
        return arf_cmp(arb_midref(aBall), arb_midref(rhs.aBall)) <= 0;
    if (arb_le(aBall, rhs.aBall))
        return true;
    if (arb_gt(aBall, rhs.aBall))
        return false;
    Ball d;
    arb_sub(d, aBall, rhs.aBall, Prec());
    return longreal::SideOf(d, 0, "cannot decide a comparison") <= 0;
}

cLongReal::operator long() const
{
    const arf_struct* mid = arb_midref(aBall);
    if (arf_cmp_si(mid, INT32_MAX) >= 0)
        return INT32_MAX;
    if (arf_cmp_si(mid, INT32_MIN) <= 0)
        return INT32_MIN;
    return arf_get_si(mid, ARF_RND_NEAR);
}
