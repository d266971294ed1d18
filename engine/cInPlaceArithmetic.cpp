// SPDX-License-Identifier: GPL-3.0-or-later
// In-place arithmetic for the evaluator; see the header for the contract.
#include "cInPlaceArithmetic.h"

#include <algorithm>

namespace inplace {
namespace {

// Below this many bits of cancellation no internal-zero rule of + and - can
// apply: that rule only zeroes results at least 16 bits below the larger operand.
constexpr mpfr_exp_t kSafeCancellation = 8;

// The spare at the precision of every new value, as a fresh result would have.
mpfr_ptr Prepared(cLongReal& spare) {
    const mpfr_prec_t bits = cLongReal::WorkingBits();
    if (mpfr_get_prec(spare.mpfr()) != bits)
        mpfr_set_prec(spare.mpfr(), bits);
    return spare.mpfr();
}

// Moves the finished result from spare into target.
void Take(cLongReal& target, cLongReal& spare) { mpfr_swap(target.mpfr(), spare.mpfr()); }

mpfr_exp_t Exponent(mpfr_srcptr x) { return mpfr_regular_p(x) ? mpfr_get_exp(x) : mpfr_get_emin(); }

// A sum or difference that lost too few leading bits for cancellation rules.
bool Uncancelled(mpfr_srcptr result, mpfr_srcptr a, mpfr_srcptr b) {
    return mpfr_regular_p(result) && mpfr_number_p(a) && mpfr_number_p(b) &&
           mpfr_get_exp(result) >= std::max(Exponent(a), Exponent(b)) - kSafeCancellation;
}

} // namespace

void Add(cLongReal& left, const cLongReal& right, cLongReal& spare) {
    mpfr_ptr r = Prepared(spare);
    mpfr_add(r, left.mpfr(), right.mpfr(), MPFR_RNDN);
    if (Uncancelled(r, left.mpfr(), right.mpfr()))
        Take(left, spare);
    else
        left = left + right;
}

void Subtract(cLongReal& left, const cLongReal& right, cLongReal& spare) {
    mpfr_ptr r = Prepared(spare);
    mpfr_sub(r, left.mpfr(), right.mpfr(), MPFR_RNDN);
    if (Uncancelled(r, left.mpfr(), right.mpfr()))
        Take(left, spare);
    else
        left = left - right;
}

void Multiply(cLongReal& left, const cLongReal& right, cLongReal& spare) {
    mpfr_ptr r = Prepared(spare);
    mpfr_mul(r, left.mpfr(), right.mpfr(), MPFR_RNDN);
    if (mpfr_number_p(r))
        Take(left, spare);
    else
        left = left * right;
}

void Divide(cLongReal& left, const cLongReal& right, cLongReal& spare) {
    if (!mpfr_zero_p(right.mpfr())) {
        mpfr_ptr r = Prepared(spare);
        mpfr_div(r, left.mpfr(), right.mpfr(), MPFR_RNDN);
        if (mpfr_number_p(r)) {
            Take(left, spare);
            return;
        }
    }
    left = left / right;
}

void Power(cLongReal& left, const cLongReal& right, cLongReal& spare) {
    // Fast path: a whole exponent of machine size and no zero to a negative power.
    mpfr_srcptr y = right.mpfr();
    if (mpfr_integer_p(y) && mpfr_fits_slong_p(y, MPFR_RNDN) &&
        !(mpfr_zero_p(left.mpfr()) && mpfr_sgn(y) < 0)) {
        mpfr_ptr r = Prepared(spare);
        mpfr_pow_si(r, left.mpfr(), mpfr_get_si(y, MPFR_RNDN), MPFR_RNDN);
        if (mpfr_number_p(r)) {
            Take(left, spare);
            return;
        }
    }
    left = power(left, right);
}

void Negate(cLongReal& value, cLongReal& spare) {
    mpfr_neg(Prepared(spare), value.mpfr(), MPFR_RNDN);
    Take(value, spare);
}

void Increment(cLongReal& value, cLongReal& spare) {
    mpfr_ptr r = Prepared(spare);
    mpfr_add_ui(r, value.mpfr(), 1, MPFR_RNDN);
    const mpfr_exp_t one = 1; // exponent of 1 in MPFR's convention
    if (mpfr_regular_p(r) && mpfr_number_p(value.mpfr()) &&
        mpfr_get_exp(r) >= std::max(Exponent(value.mpfr()), one) - kSafeCancellation)
        Take(value, spare);
    else
        ++value;
}

} // namespace inplace
