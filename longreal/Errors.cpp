// SPDX-License-Identifier: GPL-3.0-or-later
// Failures, range checks and the decisions that a ball can straddle.
#include "Support.h"

#include <utility>

namespace longreal {

void Fail(const std::string& reason) { throw cLongRealError(reason); }

void Undecided(const std::string& reason) {
    if (!Final())
        throw cLongRealUndecided(reason);
    Fail(reason);
}

void CheckRangeSlow(arb_ptr r) {
    const arf_struct* mid = arb_midref(r);
    if (!arf_is_special(mid) && arf_cmpabs_2exp_si(mid, kMaxExponent) >= 0)
        Fail("overflow");
    // Below the range: 0 when the whole ball is.
    mag_t bound;
    mag_init(bound);
    arb_get_mag(bound, r);
    if (mag_cmp_2exp_si(bound, -kMaxExponent) < 0)
        arb_zero(r);
    mag_clear(bound);
}

namespace {

// The internal zero at the reference magnitude `scale` (an upper bound).
bool WithinInternalZero(const mag_t radius, const mag_t scale) {
    if (!Settings().zeroOn)
        return false;
    mag_t limit;
    mag_init(limit);
    mag_mul_2exp_si(limit, scale, -Settings().zeroShift);
    const bool within = mag_cmp(radius, limit) <= 0;
    mag_clear(limit);
    return within;
}

} // namespace

int Side(arb_srcptr x, arb_srcptr p, const char* reason) {
    if (arb_gt(x, p))
        return 1;
    if (arb_lt(x, p))
        return -1;
    if (arb_is_exact(x) && arb_equal(x, p))
        return 0;
    if (!Final())
        throw cLongRealUndecided(reason);
    if (!ZeroRule())
        Fail(kCannotDecide);
    mag_t scale;
    mag_init(scale);
    arb_get_mag(scale, p);
    if (mag_cmp_2exp_si(scale, 0) < 0)
        mag_one(scale);
    const bool at = WithinInternalZero(arb_radref(x), scale);
    mag_clear(scale);
    if (!at)
        Fail(reason);
    return 0;
}

int SideOfSlow(arb_srcptr x, slong p, const char* reason) {
    Ball point;
    arb_set_si(point, p);
    return Side(x, point, reason);
}

void SnapCancellation(arb_ptr r, arb_srcptr a, arb_srcptr b) {
    if (!ZeroRule() || arb_is_exact(r) || !arb_contains_zero(r))
        return;
    mag_t scale, other;
    mag_init(scale);
    mag_init(other);
    arb_get_mag(scale, a);
    arb_get_mag(other, b);
    mag_max(scale, scale, other);
    if (WithinInternalZero(arb_radref(r), scale))
        arb_zero(r);
    mag_clear(scale);
    mag_clear(other);
}

bool ExactRational(fmpq* out, arb_srcptr x) {
    if (!arb_is_exact(x))
        return false;
    const arf_struct* mid = arb_midref(x);
    if (arf_is_zero(mid)) {
        fmpq_zero(out);
        return true;
    }
    // The size rule: 2^e with |e| beyond the limit would take as many bits.
    if (arf_cmpabs_2exp_si(mid, ExactLimitBits()) >= 0 || arf_cmpabs_2exp_si(mid, -ExactLimitBits()) < 0)
        return false;
    Integer man, exp;
    arf_get_fmpz_2exp(man, exp, mid);
    fmpq_set_fmpz(out, man);
    const slong e = fmpz_get_si(exp);
    if (e >= 0)
        fmpq_mul_2exp(out, out, static_cast<ulong>(e));
    else
        fmpq_div_2exp(out, out, static_cast<ulong>(-e));
    return true;
}

bool ExactWhole(fmpz* out, arb_srcptr x) {
    const arf_struct* mid = arb_midref(x);
    if (!arb_is_exact(x) || !arf_is_int(mid))
        return false;
    if (!arf_is_zero(mid) && arf_cmpabs_2exp_si(mid, ExactLimitBits()) >= 0)
        return false;
    arf_get_fmpz(out, mid, ARF_RND_DOWN);
    return true;
}

} // namespace longreal

cLongReal Settled(cLongReal value) {
    arb_srcptr x = std::as_const(value).arb();
    if (arb_is_zero(x) || value.IsExact())
        return value;
    if (arb_contains_zero(x)) {
        if (!longreal::ZeroRule())
            longreal::Fail(longreal::kCannotDecide);
        mag_t one;
        mag_init(one);
        mag_one(one);
        const bool zero = longreal::WithinInternalZero(arb_radref(x), one);
        mag_clear(one);
        if (!zero)
            longreal::Fail(longreal::kCannotDecide);
        arb_zero(value.arb());
        return value;
    }
    if (static_cast<const char*>(value)[0] == '?')
        longreal::Fail("the result is not known to a single digit");
    return value;
}
