// SPDX-License-Identifier: GPL-3.0-or-later
// Factorial, permutations and combinations.
//
// Whole arguments with 0 <= k <= n are computed exactly as integers and
// rounded once; a whole k of moderate size takes the rising factorial;
// everything else goes through the gamma function and its reciprocal.
#include "Support.h"

#include <cmath>
#include <string>

using longreal::Ball;
using longreal::Fail;
using longreal::Finish;
using longreal::Float;
using longreal::Integer;
using longreal::Prec;

namespace {

// Whole k up to this count take the rising factorial, whatever n is.
constexpr ulong kProductLimit = 1 << 16;

// The gamma function of a large argument at very high precision runs for
// minutes in one call that nothing can interrupt: such calls are refused.
// Measured worst cases: 0.9 s at 160,000 bits for any argument, 3.5 s at
// 10^7 and 73 s at 10^9 with 1,050,000 bits.
constexpr slong kSlowGammaBits = 450000;
constexpr double kSlowGammaArgument = 5e6;

void CheckGammaCost(arb_srcptr x, slong bits, const char* name) {
    if (bits <= kSlowGammaBits || x == nullptr)
        return;
    if (std::fabs(arf_get_d(arb_midref(x), ARF_RND_NEAR)) > kSlowGammaArgument)
        Fail(std::string(name) + ": an argument this large would take too long at this precision, and cannot be "
                                 "interrupted; use fewer digits");
}

// Whole x with 0 <= x <= ULONG_MAX, as ulong.
bool AsCount(const cLongReal& x, ulong& out) {
    Integer whole;
    if (!longreal::ExactWhole(whole, x.arb()) || fmpz_sgn(whole) < 0 || !fmpz_abs_fits_ui(whole))
        return false;
    out = fmpz_get_ui(whole);
    return true;
}

bool IsWhole(const cLongReal& x) { return arb_is_exact(x.arb()) && arf_is_int(arb_midref(x.arb())); }

// A pole of the gamma function: a whole number <= 0.
bool IsPole(arb_srcptr x) { return arb_is_exact(x) && arf_is_int(arb_midref(x)) && arf_sgn(arb_midref(x)) <= 0; }

bool IsOdd(const cLongReal& x) {
    Integer whole;
    return longreal::ExactWhole(whole, x.arb()) && fmpz_is_odd(whole);
}

// log2 of n! / (n-k)! and of the binomial coefficient, roughly.
double Log2Falling(double n, double k) { return (std::lgamma(n + 1) - std::lgamma(n - k + 1)) / std::log(2.0); }

double Log2Binomial(double n, double k) { return Log2Falling(n, k) - std::lgamma(k + 1) / std::log(2.0); }

cLongReal Rounded(fmpz* exact) {
    Ball r;
    arb_set_round_fmpz(r, exact, Prec());
    Finish(r, "overflow");
    return longreal::Take(r);
}

// n (n-1) ... (n-k+1), divided by k! for the binomial coefficient, for every
// real n and whole k of moderate size.
bool FallingProduct(const cLongReal& n, const cLongReal& k, bool binomial, cLongReal& out) {
    ulong count = 0;
    if (!AsCount(k, count) || count > kProductLimit || static_cast<double>(count) * static_cast<double>(Prec()) > 1e8)
        return false;
    const slong bits = longreal::Guarded();
    Ball start, r;
    arb_sub_ui(start, n.arb(), count, bits);
    arb_add_ui(start, start, 1, bits);
    arb_hypgeom_rising_ui(r, start, count, bits);
    if (binomial) {
        Ball factorial;
        arb_fac_ui(factorial, count, bits);
        arb_div(r, r, factorial, Prec());
    } else {
        arb_set_round(r, r, Prec());
    }
    Finish(r, "overflow");
    out = longreal::Take(r);
    return true;
}

// 1/Gamma(x) by the reflection Gamma(1-x) sin(pi x) / pi, for x < 1.
void ReflectedRecipGamma(arb_ptr r, arb_srcptr x, slong bits) {
    Ball t, s, pi;
    arb_sub_ui(t, x, 1, bits);
    arb_neg(t, t);
    arb_gamma(t, t, bits);
    arb_sin_pi(s, x, bits);
    arb_const_pi(pi, bits);
    arb_mul(r, t, s, bits);
    arb_div(r, r, pi, bits);
}

// 1/Gamma(x), which is entire. Arb gives no finite bound for a ball that
// reaches a pole of Gamma; the reflection bounds the part of such a ball
// below 1/2, and Arb the part above.
void RecipGamma(arb_ptr r, arb_srcptr x, slong bits) {
    arb_rgamma(r, x, bits);
    if (arb_is_finite(r) || !arb_is_finite(x))
        return;
    Float lo, hi, half;
    arb_get_lbound_arf(lo, x, bits);
    arb_get_ubound_arf(hi, x, bits);
    arf_set_d(half, 0.5);
    if (arf_cmp(hi, half) <= 0) {
        ReflectedRecipGamma(r, x, bits);
    } else if (arf_cmp(lo, half) < 0) {
        Ball below, above;
        arb_set_interval_arf(below, lo, half, bits);
        arb_set_interval_arf(above, half, hi, bits);
        ReflectedRecipGamma(below, below, bits);
        arb_rgamma(above, above, bits);
        arb_union(r, below, above, bits);
    }
}

// Gamma(num) / (Gamma(den1) * Gamma(den2)) with den1 optional: a pole in a
// denominator makes 0, a pole in the numerator is an error.
cLongReal GammaQuotient(arb_srcptr num, arb_srcptr den1, arb_srcptr den2, const char* name) {
    if ((den1 != nullptr && IsPole(den1)) || IsPole(den2))
        return cLongReal(0L);
    const std::string undefined = std::string(name) + ": undefined for these arguments";
    if (IsPole(num))
        Fail(undefined);
    const slong bits = longreal::Guarded();
    CheckGammaCost(num, bits, name);
    CheckGammaCost(den1, bits, name);
    CheckGammaCost(den2, bits, name);
    Ball r, d;
    arb_gamma(r, num, bits);
    RecipGamma(d, den2, bits);
    arb_mul(r, r, d, bits);
    if (den1 != nullptr) {
        RecipGamma(d, den1, bits);
        arb_mul(r, r, d, bits);
    }
    arb_set_round(r, r, Prec());
    Finish(r, undefined.c_str());
    return longreal::Take(r);
}

} // namespace

cLongReal fak(const cLongReal& x) {
    if (IsWhole(x) && arf_sgn(arb_midref(x.arb())) < 0)
        Fail("fak: undefined for negative whole numbers");
    ulong n = 0;
    Ball r;
    CheckGammaCost(x.arb(), Prec(), "fak");
    if (AsCount(x, n)) {
        arb_fac_ui(r, n, Prec());
    } else {
        arb_add_ui(r, x.arb(), 1, longreal::Guarded());
        arb_gamma(r, r, Prec());
    }
    Finish(r, "fak: undefined for negative whole numbers");
    return longreal::Take(r);
}

cLongReal per(const cLongReal& n, const cLongReal& k) {
    ulong nn = 0, kk = 0;
    if (AsCount(n, nn) && AsCount(k, kk) && kk <= nn &&
        longreal::FitsExact(Log2Falling(static_cast<double>(nn), static_cast<double>(kk)))) {
        Integer exact;
        fmpz_rfac_uiui(exact, nn - kk + 1, kk);
        return Rounded(exact);
    }
    if (IsWhole(n) && arf_sgn(arb_midref(n.arb())) < 0 && IsWhole(k) && arf_sgn(arb_midref(k.arb())) >= 0) {
        // n (n-1) ... (n-k+1) = (-1)^k (k-n-1) ... (-n)
        const cLongReal r = per(k - n - cLongReal(1L), k);
        return IsOdd(k) ? -r : r;
    }
    cLongReal product;
    if (FallingProduct(n, k, false, product))
        return product;
    const slong bits = longreal::Guarded();
    Ball num, den;
    arb_add_ui(num, n.arb(), 1, bits);
    arb_sub(den, num, k.arb(), bits);
    return GammaQuotient(num, nullptr, den, "per");
}

cLongReal com(const cLongReal& n, const cLongReal& k) {
    ulong nn = 0, kk = 0;
    if (AsCount(n, nn) && AsCount(k, kk) && kk <= nn &&
        longreal::FitsExact(Log2Binomial(static_cast<double>(nn), static_cast<double>(kk)))) {
        Integer exact;
        fmpz_bin_uiui(exact, nn, kk);
        return Rounded(exact);
    }
    if (IsWhole(n) && arf_sgn(arb_midref(n.arb())) < 0 && IsWhole(k)) {
        // The binomial series of a negative whole n: (-1)^k com(k-n-1, k).
        if (arf_sgn(arb_midref(k.arb())) < 0)
            return cLongReal(0L);
        const cLongReal r = com(k - n - cLongReal(1L), k);
        return IsOdd(k) ? -r : r;
    }
    cLongReal product;
    if (FallingProduct(n, k, true, product))
        return product;
    const slong bits = longreal::Guarded();
    Ball num, den1, den2;
    arb_add_ui(num, n.arb(), 1, bits);
    arb_add_ui(den1, k.arb(), 1, bits);
    arb_sub(den2, num, k.arb(), bits);
    return GammaQuotient(num, den1, den2, "com");
}
