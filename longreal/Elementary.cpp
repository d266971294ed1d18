// SPDX-License-Identifier: GPL-3.0-or-later
// Elementary functions: abs, ln, exp, sqrt, hyperbolic functions, rounding, constants.
#include "Support.h"

using longreal::Ball;
using longreal::Fail;
using longreal::Finish;
using longreal::Float;
using longreal::Prec;
using longreal::SideOf;

namespace {

using tArbFn = void (*)(arb_ptr, arb_srcptr, slong);

cLongReal Apply(tArbFn fn, const cLongReal& x, const char* reason) {
    return longreal::Compute([&](arb_ptr r, slong bits) { fn(r, x.arb(), bits); }, reason);
}

} // namespace

cLongReal abs(const cLongReal& x) {
    if (cLongRealAccess::Exact(x) != nullptr && arf_sgn(arb_midref(x.arb())) < 0)
        return -x; // an exact rational stays one
    if (cLongRealAccess::Exact(x) != nullptr)
        return x;
    cLongReal r;
    arb_abs(r.arb(), x.arb());
    return r;
}

cLongReal ln(const cLongReal& x) {
    if (SideOf(x.arb(), 0, "ln: argument must be positive") <= 0)
        Fail("ln: argument must be positive");
    // A whole argument takes Arb's logarithm of an integer, which keeps the
    // logarithms of small primes cached.
    if (slong n = 0; longreal::SmallWhole(x.arb(), FLINT_BITS - 2, n))
        return longreal::Compute([n](arb_ptr r, slong bits) { arb_log_ui(r, static_cast<ulong>(n), bits); },
                                 "ln: argument must be positive");
    return Apply(arb_log, x, "ln: argument must be positive");
}

cLongReal exp(const cLongReal& x) { return Apply(arb_exp, x, "overflow"); }

cLongReal sqrt(const cLongReal& x) {
    const int side = SideOf(x.arb(), 0, "sqrt: argument must not be negative");
    if (side < 0)
        Fail("sqrt: argument must not be negative");
    if (side == 0)
        return cLongReal(0L);
    return Apply(arb_sqrt, x, "sqrt: argument must not be negative");
}

cLongReal sinh(const cLongReal& x) { return Apply(arb_sinh, x, "overflow"); }
cLongReal cosh(const cLongReal& x) { return Apply(arb_cosh, x, "overflow"); }
cLongReal tanh(const cLongReal& x) { return Apply(arb_tanh, x, "undefined result"); }
cLongReal arsinh(const cLongReal& x) { return Apply(arb_asinh, x, "undefined result"); }

cLongReal arcosh(const cLongReal& x) {
    const int side = SideOf(x.arb(), 1, "arcosh: argument must be at least 1");
    if (side < 0)
        Fail("arcosh: argument must be at least 1");
    if (side == 0)
        return cLongReal(0L);
    return Apply(arb_acosh, x, "arcosh: argument must be at least 1");
}

cLongReal artanh(const cLongReal& x) {
    const char* reason = "artanh: argument must lie between -1 and 1";
    if (SideOf(x.arb(), 1, reason) >= 0 || SideOf(x.arb(), -1, reason) <= 0)
        Fail(reason);
    Ball r;
    arb_atanh(r, x.arb(), Prec());
    if (!arb_is_finite(r)) {
        // A ball inside (-1, 1) but wide for its distance to them, where Arb
        // gives no bound: artanh rises, so its ends bound it.
        Float radius, end;
        Ball low, high;
        arf_set_mag(radius, arb_radref(x.arb()));
        arf_sub(end, arb_midref(x.arb()), radius, ARF_PREC_EXACT, ARF_RND_DOWN);
        arb_set_arf(low, end);
        arf_add(end, arb_midref(x.arb()), radius, ARF_PREC_EXACT, ARF_RND_DOWN);
        arb_set_arf(high, end);
        arb_atanh(low, low, Prec());
        arb_atanh(high, high, Prec());
        arb_union(r, low, high, Prec());
    }
    Finish(r, reason);
    return longreal::Take(r);
}

namespace {

// trunc (toward zero) or round (halves away from zero) of the point v.
void WholeOf(arf_ptr out, arf_srcptr v, bool nearest) {
    if (arf_is_int(v)) { // also every point too large for a fraction: no half added to it
        arf_set(out, v);
        return;
    }
    // The size rule: a point nearer to 0 than the first boundary is 0, with
    // no exact sum as wide as its exponent is deep.
    if (arf_cmpabs_2exp_si(v, nearest ? -1 : 0) < 0) {
        arf_zero(out);
        return;
    }
    if (nearest) { // |v| >= 1/2 of at most boundBits bits: the sum is as small
        longreal::Float half;
        arf_abs(out, v);
        arf_set_si_2exp_si(half, 1, -1);
        arf_add(out, out, half, ARF_PREC_EXACT, ARF_RND_DOWN);
        arf_floor(out, out);
        if (arf_sgn(v) < 0)
            arf_neg(out, out);
    } else if (arf_sgn(v) < 0) {
        arf_ceil(out, v);
    } else {
        arf_floor(out, v);
    }
}

// Equal at both ends of the ball: exact. A narrow ball holding one boundary
// is decided at it. A wider ball encloses the results of all its points.
cLongReal Whole(const cLongReal& x, bool nearest) {
    const char* reason = nearest ? "round: cannot decide at a half" : "trunc: cannot decide at a whole number";
    arb_srcptr ball = x.arb();
    if (arb_is_exact(ball) && arf_is_int(arb_midref(ball)))
        return x;
    // The ends rounded outward: exactly they could need as many bits as the
    // midpoint's exponent lies above the radius's.
    const slong boundBits = 4 * Prec() + 64;
    longreal::Float low, high, a, b;
    arb_get_lbound_arf(low, ball, boundBits);
    arb_get_ubound_arf(high, ball, boundBits);
    WholeOf(a, low, nearest);
    WholeOf(b, high, nearest);
    Ball r;
    if (arf_equal(a, b)) {
        arb_set_arf(r, a);
        return longreal::Take(r);
    }
    Ball step;
    arb_set_arf(step, b);
    arb_sub_arf(step, step, a, 64); // exact when it is 1
    if (!arb_equal_si(step, 1) || mag_cmp_2exp_si(arb_radref(ball), -2) >= 0) {
        arb_set_interval_arf(r, a, b, Prec());
        Finish(r, reason);
        return longreal::Take(r);
    }
    // The results a and a + 1 meet at a + 1/2 (round), or at the whole
    // number of the two that lies farther from zero (trunc).
    Ball boundary;
    if (nearest) {
        arb_set_arf(boundary, a);
        arb_add_arf(boundary, boundary, b, ARF_PREC_EXACT);
        arb_mul_2exp_si(boundary, boundary, -1);
    } else {
        arb_set_arf(boundary, arf_sgn(b) > 0 ? static_cast<arf_ptr>(b) : static_cast<arf_ptr>(a));
    }
    const int side = longreal::Side(ball, boundary, reason);
    if (side < 0)
        arb_set_arf(r, a);
    else if (side > 0)
        arb_set_arf(r, b);
    else {
        WholeOf(a, arb_midref(boundary.get()), nearest);
        arb_set_arf(r, a);
    }
    return longreal::Take(r);
}

} // namespace

cLongReal trunc(const cLongReal& x) { return Whole(x, false); }
cLongReal round(const cLongReal& x) { return Whole(x, true); }

cLongReal e() {
    Ball r;
    longreal::CheckHeadroom(Prec());
    arb_const_e(r, Prec());
    return longreal::Take(r);
}

cLongReal pi() {
    Ball r;
    longreal::CheckHeadroom(Prec());
    arb_const_pi(r, Prec());
    return longreal::Take(r);
}
