// SPDX-License-Identifier: GPL-3.0-or-later
// Circular functions and their inverses in the configured angle unit.
//
// In degrees and gradians an exact argument is reduced exactly modulo the
// full turn and handed to Arb as a rational multiple of pi, so the special
// angles give exact results; other arguments go through sin(pi u) and its
// relatives, which need no approximation of pi for the reduction. A whole
// angle in a machine word takes a short path (WholeCircular).
#include "Support.h"

#include <algorithm>
#include <string>

using longreal::Ball;
using longreal::Fail;
using longreal::Finish;
using longreal::Integer;
using longreal::Prec;
using longreal::Rational;
using longreal::SideOf;

namespace {

using tArbFn = void (*)(arb_ptr, arb_srcptr, slong);

// The quarter turn in the configured unit; 0 for radians.
long Quarter() {
    switch (longreal::Settings().angleMode) {
    case 1: return 90;
    case 2: return 100;
    default: return 0;
    }
}

// Reducing a radian argument needs pi to as many bits as its exponent:
// beyond this the cost grows to seconds and beyond.
constexpr slong kMaxRadianExponent = slong(1) << 20;

cLongReal Radians(tArbFn fn, const cLongReal& x, const char* tooLarge, const char* pole) {
    if (arf_cmpabs_2exp_si(arb_midref(x.arb()), kMaxRadianExponent) > 0)
        Fail(tooLarge);
    return longreal::Compute([&](arb_ptr r, slong bits) { fn(r, x.arb(), bits); }, pole);
}

// |x| modulo `turn` units as an exact rational in [0, turn), with the sign
// of x; false when x is not exact or too small to be worth reducing exactly.
bool ExactAngle(arb_srcptr x, long turn, fmpq* out, int& sign) {
    if (!arb_is_exact(x))
        return false;
    const arf_struct* mid = arb_midref(x);
    sign = arf_sgn(mid);
    if (sign == 0) {
        fmpq_zero(out);
        return true;
    }
    if (slong n = 0; longreal::SmallWhole(x, FLINT_BITS - 2, n)) { // a loop counter: word arithmetic
        fmpq_set_si(out, (n < 0 ? -n : n) % turn, 1);
        return true;
    }
    if (arf_cmpabs_2exp_si(mid, -(slong(1) << 16)) < 0)
        return false;
    Integer man, exp, modulus, residue;
    arf_get_fmpz_2exp(man, exp, mid); // |x| = |man| 2^exp
    fmpz_abs(man, man);
    fmpz_set_si(modulus, turn);
    if (fmpz_sgn(exp) >= 0) {
        Integer two;
        fmpz_set_ui(two, 2);
        fmpz_powm(residue, two, exp, modulus);
        fmpz_mul(residue, residue, man);
        fmpz_mod(residue, residue, modulus);
        fmpq_set_fmpz(out, residue);
        return true;
    }
    // |man| / 2^-exp with an odd numerator: reduce the numerator modulo turn * 2^-exp.
    const ulong shift = static_cast<ulong>(-fmpz_get_si(exp));
    Integer denominator;
    fmpz_one(denominator);
    fmpz_mul_2exp(denominator, denominator, shift);
    fmpz_mul(modulus, modulus, denominator);
    fmpz_mod(residue, man, modulus);
    fmpq_set_fmpz_frac(out, residue, denominator);
    return true;
}

// The ball argument in half turns: x / (2 q).
void HalfTurns(arb_ptr u, arb_srcptr x, long q) { arb_div_ui(u, x, static_cast<ulong>(2 * q), longreal::Guarded()); }

cLongReal Signed(arb_ptr r, int sign) {
    if (sign < 0)
        arb_neg(r, r);
    return longreal::Take(r);
}

// angle / (2 q): an angle in units as a rational multiple of pi.
void InHalfTurns(fmpq* angle, long q) {
    const fmpz num = *fmpq_numref(angle);
    if (fmpz_is_one(fmpq_denref(angle)) && !COEFF_IS_MPZ(num)) { // a whole angle below the turn
        fmpq_set_si(angle, num, static_cast<ulong>(2 * q));
        return;
    }
    Integer d;
    fmpz_set_si(d, 2 * q);
    fmpq_div_fmpz(angle, angle, d);
}

// Below this precision Arb evaluates sin(pi v/w) through pi itself for every
// denominator w beyond 6; above it, some angles take closed forms.
constexpr slong kClosedFormBits = 1500;

// pi / half at `bits`, kept per thread: a loop over whole angles needs it
// once, not once a term. Prec() has arranged the thread's cleanup.
arb_srcptr PiOver(slong half, slong bits) {
    longreal::ThreadConstants& c = longreal::tConstants;
    if (c.halfTurn != half || c.bits != bits) {
        c.halfTurn = 0; // invalid until computed, should Arb run out of memory
        arb_const_pi(&c.piOverHalfTurn, bits);
        arb_div_ui(&c.piOverHalfTurn, &c.piOverHalfTurn, static_cast<ulong>(half), bits);
        c.halfTurn = half;
        c.bits = bits;
    }
    return &c.piOverHalfTurn;
}

// sin or cos of a whole angle n (|n| < 2^62) in units of quarter q, reduced in
// machine words to sin(pi a / 2q) with a in [0, q] and computed at `bits`, as
// Arb would compute it from the rational but without its canonical form.
// False for the angles that Arb gives in closed form (folded into the first
// octant, a denominator up to 6 in half turns), among them all with a rational
// sine: they stay on the rational path.
bool WholeCircular(arb_ptr r, slong n, long q, bool sine, slong bits) {
    const slong half = 2 * q, turn = 4 * q;
    slong a = n % turn;
    if (a < 0)
        a += turn;
    if (!sine)
        a = (a + q) % turn; // cos x = sin(x + quarter)
    const bool negative = a >= half;
    if (negative)
        a -= half;
    if (a > q)
        a = half - a;
    const slong b = std::min(a, q - a); // folded into the first octant, as Arb folds the rational
    if (b == 0 || 4 * b == half || 5 * b == half || 6 * b == half)
        return false;
    arb_mul_ui(r, PiOver(half, bits), static_cast<ulong>(a), bits);
    arb_sin(r, r, bits);
    if (negative)
        arb_neg(r, r);
    return true;
}

// sin or cos in degrees or gradians.
cLongReal Circular(const cLongReal& x, long q, bool sine) {
    Ball r;
    if (slong n = 0, bits = Prec(); bits < kClosedFormBits && longreal::SmallWhole(x.arb(), FLINT_BITS - 2, n) &&
                                    WholeCircular(r, n, q, sine, bits))
        return longreal::Take(r);
    Rational angle;
    int sign = 1;
    if (ExactAngle(x.arb(), 4 * q, angle, sign)) {
        InHalfTurns(angle, q);
        if (sine)
            arb_sin_pi_fmpq(r, angle, Prec());
        else
            arb_cos_pi_fmpq(r, angle, Prec());
        return Signed(r, sine ? sign : 1);
    }
    HalfTurns(r, x.arb(), q);
    if (sine)
        arb_sin_pi(r, r, Prec());
    else
        arb_cos_pi(r, r, Prec());
    Finish(r, "undefined result");
    return longreal::Take(r);
}

// tan (or cot) in degrees or gradians: exact at multiples of an eighth
// turn, an error at the poles.
cLongReal Tangent(const cLongReal& x, long q, bool cotangent) {
    const char* pole = cotangent ? "cot: pole at this angle" : "tan: pole at this angle";
    Ball r;
    Rational angle;
    int sign = 1;
    if (ExactAngle(x.arb(), 2 * q, angle, sign)) {
        // angle in [0, 2q): poles and the exact values at 0, q/2, q, 3q/2.
        const long eighth = q / 2;
        for (long m = 0; m < 4; ++m) {
            if (!fmpq_equal_si(angle, m * eighth))
                continue;
            const long value[4] = {0, 1, 0, -1}; // tan and cot alike, poles aside
            const bool atPole = cotangent ? m == 0 : m == 2;
            if (atPole)
                Fail(pole);
            arb_set_si(r, value[m]);
            return Signed(r, sign);
        }
        InHalfTurns(angle, q);
        Ball c;
        arb_sin_cos_pi_fmpq(r, c, angle, Prec());
        if (cotangent)
            arb_div(r, c, r, Prec());
        else
            arb_div(r, r, c, Prec());
        Finish(r, pole);
        return Signed(r, sign);
    }
    HalfTurns(r, x.arb(), q);
    if (cotangent)
        arb_cot_pi(r, r, Prec());
    else
        arb_tan_pi(r, r, Prec());
    Finish(r, pole);
    return longreal::Take(r);
}

// An inverse function's result in radians, converted to the configured unit.
cLongReal InUnit(arb_ptr radians, long q) {
    if (q != 0) {
        Ball pi;
        arb_const_pi(pi, longreal::Guarded());
        arb_mul_ui(radians, radians, static_cast<ulong>(2 * q), longreal::Guarded());
        arb_div(radians, radians, pi, Prec());
    } else {
        arb_set_round(radians, radians, Prec());
    }
    Finish(radians, "undefined result");
    return longreal::Take(radians);
}

// The fraction num/den of a quarter turn in the configured unit.
cLongReal QuarterTimes(long num, long den, long q) {
    Ball r;
    if (q == 0) {
        arb_const_pi(r, longreal::Guarded());
        arb_mul_si(r, r, num, longreal::Guarded());
        arb_div_si(r, r, 2 * den, Prec());
        return longreal::Take(r);
    }
    arb_set_si(r, q * num);
    arb_div_si(r, r, den, Prec()); // exact: den divides q * num
    return longreal::Take(r);
}

bool ExactlyEquals(const cLongReal& x, double value) {
    return arb_is_exact(x.arb()) && arf_equal_d(arb_midref(x.arb()), value);
}

} // namespace

cLongReal sin(const cLongReal& x) {
    const long q = Quarter();
    return q == 0 ? Radians(arb_sin, x, "sin: argument too large", "sin: pole at this angle") : Circular(x, q, true);
}

cLongReal cos(const cLongReal& x) {
    const long q = Quarter();
    return q == 0 ? Radians(arb_cos, x, "cos: argument too large", "cos: pole at this angle") : Circular(x, q, false);
}

cLongReal tan(const cLongReal& x) {
    const long q = Quarter();
    return q == 0 ? Radians(arb_tan, x, "tan: argument too large", "tan: pole at this angle") : Tangent(x, q, false);
}

cLongReal cot(const cLongReal& x) {
    const long q = Quarter();
    if (q != 0)
        return Tangent(x, q, true);
    if (SideOf(x.arb(), 0, "cot: pole at this angle") == 0)
        Fail("cot: pole at this angle");
    return Radians(arb_cot, x, "cot: argument too large", "cot: pole at this angle");
}

cLongReal arcsin(const cLongReal& x) {
    const char* reason = "arcsin: argument must lie between -1 and 1";
    const int top = SideOf(x.arb(), 1, reason);
    const int bottom = SideOf(x.arb(), -1, reason);
    if (top > 0 || bottom < 0)
        Fail(reason);
    const long q = Quarter();
    if (top == 0)
        return QuarterTimes(1, 1, q);
    if (bottom == 0)
        return QuarterTimes(-1, 1, q);
    if (arb_is_zero(x.arb()))
        return cLongReal(0L);
    if (q == 90 && ExactlyEquals(x, 0.5))
        return cLongReal(30L);
    if (q == 90 && ExactlyEquals(x, -0.5))
        return cLongReal(-30L);
    Ball r;
    arb_asin(r, x.arb(), longreal::Guarded());
    return InUnit(r, q);
}

cLongReal arccos(const cLongReal& x) {
    const char* reason = "arccos: argument must lie between -1 and 1";
    const int top = SideOf(x.arb(), 1, reason);
    const int bottom = SideOf(x.arb(), -1, reason);
    if (top > 0 || bottom < 0)
        Fail(reason);
    const long q = Quarter();
    if (top == 0)
        return cLongReal(0L);
    if (bottom == 0)
        return QuarterTimes(2, 1, q);
    if (arb_is_zero(x.arb()))
        return QuarterTimes(1, 1, q);
    if (q == 90 && ExactlyEquals(x, 0.5))
        return cLongReal(60L);
    if (q == 90 && ExactlyEquals(x, -0.5))
        return cLongReal(120L);
    Ball r;
    arb_acos(r, x.arb(), longreal::Guarded());
    return InUnit(r, q);
}

cLongReal arctan(const cLongReal& x) {
    const long q = Quarter();
    if (arb_is_zero(x.arb()))
        return cLongReal(0L);
    if (ExactlyEquals(x, 1))
        return QuarterTimes(1, 2, q);
    if (ExactlyEquals(x, -1))
        return QuarterTimes(-1, 2, q);
    Ball r;
    arb_atan(r, x.arb(), longreal::Guarded());
    return InUnit(r, q);
}

// arccot(x) = quarter turn - arctan(x), in (0, half turn).
cLongReal arccot(const cLongReal& x) {
    const long q = Quarter();
    if (arb_is_zero(x.arb()))
        return QuarterTimes(1, 1, q);
    if (ExactlyEquals(x, 1))
        return QuarterTimes(1, 2, q);
    if (ExactlyEquals(x, -1))
        return QuarterTimes(3, 2, q);
    const slong bits = longreal::Guarded();
    Ball r, pi;
    arb_const_pi(pi, bits);
    if (arf_cmpabs_2exp_si(arb_midref(x.arb()), 0) <= 0 || arb_contains_zero(x.arb())) {
        arb_atan(r, x.arb(), bits);
        arb_mul_2exp_si(pi, pi, -1);
        arb_sub(r, pi, r, bits);
    } else {
        // atan(1/x), lifted by a half turn for negative x: no cancellation for large |x|.
        arb_ui_div(r, 1, x.arb(), bits);
        arb_atan(r, r, bits);
        if (arf_sgn(arb_midref(x.arb())) < 0)
            arb_add(r, r, pi, bits);
    }
    return InUnit(r, q);
}
