// Factorial, permutations and combinations.
//
// Whole arguments with 0 <= k <= n are computed exactly as integers and
// rounded once; a whole k of moderate size takes the falling product;
// everything else goes through the gamma function.
#include "Support.h"

#include <gmp.h>

#include <algorithm>
#include <cmath>

using longreal::Fail;
using longreal::kGuardBits;
using longreal::Rounded;
using longreal::Scratch;

namespace {

// Exact integer results are built up to this size; beyond it the gamma
// function gives the same correctly rounded leading digits far sooner.
constexpr double kExactBitsLimit = 1 << 20;

// Factorials up to this n go through mpfr_fac_ui.
constexpr unsigned long kFactorialLimit = 20000;

// MPFR's gamma function first builds a table whose cost grows steeply with
// the precision: about a second at 12,000 bits, minutes at 32,000. Beyond
// this limit non-whole arguments are refused instead of hanging.
constexpr mpfr_prec_t kGammaBitsLimit = 16 * 1024;

void RequireGammaPrecision(const char* name)
{
    if (cLongReal::WorkingBits() > kGammaBitsLimit)
        Fail(std::string(name) + ": non-whole arguments need at most 1024 native digits");
}

class Integer {
public:
    Integer() { mpz_init(aNum); }
    Integer(const Integer&) = delete;
    Integer& operator=(const Integer&) = delete;
    ~Integer() { mpz_clear(aNum); }
    operator mpz_ptr() { return aNum; }

private:
    mpz_t aNum;
};

bool IsWhole(const cLongReal& x)
{
    return mpfr_integer_p(x.mpfr()) != 0;
}

// Whole x with 0 <= x <= ULONG_MAX, as unsigned long.
bool AsCount(const cLongReal& x, unsigned long& out)
{
    if (!IsWhole(x) || mpfr_sgn(x.mpfr()) < 0 || !mpfr_fits_ulong_p(x.mpfr(), MPFR_RNDN))
        return false;
    out = mpfr_get_ui(x.mpfr(), MPFR_RNDN);
    return true;
}

// log2 of n! / (n-k)! and of the binomial coefficient, roughly.
double Log2Falling(double n, double k)
{
    return (std::lgamma(n + 1) - std::lgamma(n - k + 1)) / std::log(2.0);
}

double Log2Binomial(double n, double k)
{
    return Log2Falling(n, k) - std::lgamma(k + 1) / std::log(2.0);
}

// For whole x.
bool IsOdd(const cLongReal& x)
{
    Scratch half(mpfr_get_prec(x.mpfr()));
    mpfr_div_2ui(half, x.mpfr(), 1, MPFR_RNDN);
    return !mpfr_integer_p(half);
}

// Whole k up to this count take the falling product, whatever n is.
constexpr unsigned long kProductLimit = 1 << 16;

// n (n-1) ... (n-k+1), divided by k! for the binomial coefficient. Valid for
// every real n and whole k; each factor adds one rounding, which the extra
// bits absorb. False when k is not a whole count of moderate size.
bool FallingProduct(const cLongReal& n, const cLongReal& k, bool binomial, cLongReal& out)
{
    unsigned long count = 0;
    const mpfr_prec_t bits = cLongReal::WorkingBits();
    if (!AsCount(k, count) || count > kProductLimit || static_cast<double>(count) * bits > 1e8)
        return false;
    const auto extra = static_cast<mpfr_prec_t>(2 * std::log2(count + 1.0)) + 2;
    const mpfr_prec_t wide = std::max(bits, mpfr_get_prec(n.mpfr())) + kGuardBits + extra;
    Scratch product(wide), factor(wide);
    mpfr_set_ui(product, 1, MPFR_RNDN);
    for (unsigned long i = 0; i < count && mpfr_regular_p(product); ++i) {
        mpfr_sub_ui(factor, n.mpfr(), i, MPFR_RNDN);
        mpfr_mul(product, product, factor, MPFR_RNDN);
    }
    if (binomial && mpfr_regular_p(product)) {
        mpfr_fac_ui(factor, count, MPFR_RNDN);
        mpfr_div(product, product, factor, MPFR_RNDN);
    }
    out = Rounded(product);
    return true;
}

// Beyond this binary exponent the gamma quotient would need hundreds of
// thousands of bits to keep its digits; such arguments are refused.
constexpr mpfr_exp_t kGammaExponentLimit = 4096;

bool IsPole(mpfr_srcptr x)
{
    return mpfr_integer_p(x) && mpfr_sgn(x) <= 0;
}

// a + b exactly, as long as the exponents are not too far apart (beyond that
// the gamma path refuses the arguments anyway).
void Sum(mpfr_ptr out, mpfr_srcptr a, mpfr_srcptr b, long sign)
{
    mpfr_prec_t bits = std::max(mpfr_get_prec(a), mpfr_get_prec(b)) + 2 * kGuardBits;
    if (mpfr_regular_p(a) && mpfr_regular_p(b)) {
        const mpfr_exp_t top = std::max(mpfr_get_exp(a), mpfr_get_exp(b));
        const mpfr_exp_t bottom = std::min(mpfr_get_exp(a) - mpfr_get_prec(a),
                                           mpfr_get_exp(b) - mpfr_get_prec(b));
        bits = std::max<mpfr_prec_t>(bits, std::min<mpfr_exp_t>(top - bottom + 2, bits + 8192));
    }
    mpfr_set_prec(out, bits);
    if (sign > 0)
        mpfr_add(out, a, b, MPFR_RNDN);
    else
        mpfr_sub(out, a, b, MPFR_RNDN);
}

// Gamma(num) / (Gamma(den1) * Gamma(den2)); a pole in the denominator
// makes 0, a pole in the numerator is an error. Falls back to ln-gamma when
// the factors overflow on their own.
cLongReal GammaQuotient(mpfr_srcptr num, mpfr_srcptr den1, mpfr_srcptr den2, const char* name)
{
    if ((den1 != nullptr && IsPole(den1)) || IsPole(den2))
        return cLongReal(0L);
    if (IsPole(num))
        Fail(std::string(name) + ": undefined for these arguments");
    RequireGammaPrecision(name);
    for (mpfr_srcptr x : {num, den1, den2})
        if (x != nullptr && mpfr_regular_p(x) && mpfr_get_exp(x) > kGammaExponentLimit)
            Fail(std::string(name) + ": arguments too large");
    const mpfr_prec_t bits = cLongReal::WorkingBits() + kGuardBits;
    Scratch r(bits), d(bits);
    mpfr_gamma(r, num, MPFR_RNDN);
    mpfr_gamma(d, den2, MPFR_RNDN);
    if (den1 != nullptr) {
        Scratch d1(bits);
        mpfr_gamma(d1, den1, MPFR_RNDN);
        mpfr_mul(d, d, d1, MPFR_RNDN);
    }
    if (mpfr_number_p(r) && mpfr_number_p(d) && !mpfr_zero_p(r) && !mpfr_zero_p(d)) {
        mpfr_div(r, r, d, MPFR_RNDN);
        return Rounded(r);
    }
    // ln|Gamma| grows with the arguments: more bits keep the quotient's.
    const mpfr_exp_t e = std::max(mpfr_get_exp(num), mpfr_get_exp(den2));
    const mpfr_prec_t wide = bits + std::clamp<mpfr_exp_t>(e, 0, 1 << 16) + 8;
    Scratch lr(wide), ld(wide);
    int sign = 1, s = 1;
    mpfr_lgamma(lr, &sign, num, MPFR_RNDN);
    mpfr_lgamma(ld, &s, den2, MPFR_RNDN);
    sign *= s;
    mpfr_sub(lr, lr, ld, MPFR_RNDN);
    if (den1 != nullptr) {
        mpfr_lgamma(ld, &s, den1, MPFR_RNDN);
        sign *= s;
        mpfr_sub(lr, lr, ld, MPFR_RNDN);
    }
    mpfr_exp(lr, lr, MPFR_RNDN);
    if (sign < 0)
        mpfr_neg(lr, lr, MPFR_RNDN);
    return Rounded(lr);
}

// x! for x = m - 1/2 with |m| up to the factorial limit, in closed form:
// Gamma(m + 1/2) = (2m)! / (4^m m!) sqrt(pi), and for m = -j < 0
// Gamma(1/2 - j) = (-4)^j j! / (2j)! sqrt(pi).
bool HalfWholeFactorial(const cLongReal& x, cLongReal& out)
{
    Scratch twice(mpfr_get_prec(x.mpfr()));
    mpfr_mul_2ui(twice, x.mpfr(), 1, MPFR_RNDN); // exact
    if (mpfr_integer_p(x.mpfr()) || !mpfr_integer_p(twice) || !mpfr_fits_slong_p(twice, MPFR_RNDN))
        return false;
    const long m = (mpfr_get_si(twice, MPFR_RNDN) + 1) / 2; // 2x is odd
    const unsigned long j = static_cast<unsigned long>(m < 0 ? -m : m);
    if (j > kFactorialLimit)
        return false;
    Integer big, small;
    mpz_fac_ui(big, 2 * j);
    mpz_fac_ui(small, j);
    mpz_mul_2exp(small, small, 2 * j); // 4^j j!
    const mpfr_prec_t bits = cLongReal::WorkingBits() + kGuardBits;
    Scratch r(bits), d(bits);
    mpfr_set_z(r, m >= 0 ? big : small, MPFR_RNDN);
    mpfr_set_z(d, m >= 0 ? small : big, MPFR_RNDN);
    mpfr_div(r, r, d, MPFR_RNDN);
    mpfr_const_pi(d, MPFR_RNDN);
    mpfr_sqrt(d, d, MPFR_RNDN);
    mpfr_mul(r, r, d, MPFR_RNDN);
    if (m < 0 && j % 2 == 1)
        mpfr_neg(r, r, MPFR_RNDN);
    out = Rounded(r);
    return true;
}

} // namespace

cLongReal fak(const cLongReal& x)
{
    if (IsWhole(x) && mpfr_sgn(x.mpfr()) < 0)
        Fail("fak: undefined for negative whole numbers");
    unsigned long n = 0;
    cLongReal r;
    if (AsCount(x, n) && n <= kFactorialLimit) {
        mpfr_fac_ui(r.mpfr(), n, MPFR_RNDN);
        longreal::CheckFinite(r.mpfr());
        return r;
    }
    if (HalfWholeFactorial(x, r))
        return r;
    RequireGammaPrecision("fak");
    Scratch arg(1);
    Sum(arg, x.mpfr(), longreal::One(), 1);
    mpfr_gamma(r.mpfr(), arg, MPFR_RNDN);
    longreal::CheckFinite(r.mpfr());
    return r;
}

cLongReal per(const cLongReal& n, const cLongReal& k)
{
    unsigned long nn = 0, kk = 0;
    if (AsCount(n, nn) && AsCount(k, kk) && kk <= nn
        && Log2Falling(static_cast<double>(nn), static_cast<double>(kk)) < kExactBitsLimit) {
        Integer a, b;
        mpz_bin_uiui(a, nn, kk);
        mpz_fac_ui(b, kk);
        mpz_mul(a, a, b);
        cLongReal r;
        mpfr_set_z(r.mpfr(), a, MPFR_RNDN);
        longreal::CheckFinite(r.mpfr());
        return r;
    }
    if (IsWhole(n) && mpfr_sgn(n.mpfr()) < 0 && IsWhole(k) && mpfr_sgn(k.mpfr()) >= 0) {
        // n (n-1) ... (n-k+1) = (-1)^k (k-n-1) ... (-n)
        const cLongReal r = per(k - n - cLongReal(1L), k);
        return IsOdd(k) ? -r : r;
    }
    cLongReal product;
    if (FallingProduct(n, k, false, product))
        return product;
    Scratch num(1), den(1);
    Sum(num, n.mpfr(), longreal::One(), 1);
    Sum(den, num, k.mpfr(), -1);
    return GammaQuotient(num, nullptr, den, "per");
}

cLongReal com(const cLongReal& n, const cLongReal& k)
{
    unsigned long nn = 0, kk = 0;
    if (AsCount(n, nn) && AsCount(k, kk) && kk <= nn
        && Log2Binomial(static_cast<double>(nn), static_cast<double>(kk)) < kExactBitsLimit) {
        Integer a;
        mpz_bin_uiui(a, nn, kk);
        cLongReal r;
        mpfr_set_z(r.mpfr(), a, MPFR_RNDN);
        longreal::CheckFinite(r.mpfr());
        return r;
    }
    if (IsWhole(n) && mpfr_sgn(n.mpfr()) < 0 && IsWhole(k)) {
        // The binomial series of a negative whole n: (-1)^k com(k-n-1, k).
        if (mpfr_sgn(k.mpfr()) < 0)
            return cLongReal(0L);
        const cLongReal r = com(k - n - cLongReal(1L), k);
        return IsOdd(k) ? -r : r;
    }
    cLongReal product;
    if (FallingProduct(n, k, true, product))
        return product;
    Scratch num(1), den1(1), den2(1);
    Sum(num, n.mpfr(), longreal::One(), 1);
    Sum(den1, k.mpfr(), longreal::One(), 1);
    Sum(den2, num, k.mpfr(), -1);
    return GammaQuotient(num, den1, den2, "com");
}
