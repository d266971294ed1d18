// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the library's source files; not part of the public interface.
#pragma once

#include "cLongReal.h"
#include "cLongRealDefaults.h"

#include <arb.h>
#include <arb_hypgeom.h>
#include <flint/fmpq.h>
#include <flint/fmpz.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace longreal {

[[noreturn]] void Fail(const std::string& reason);

// The failure of a decision that no pass within the budget could make.
inline constexpr const char* kCannotDecide = "cannot decide whether this is 0 at this precision; ask for more digits";

// Settings made usable: what Init() derived from the raw static members
// (before the first Init(), from the defaults).
struct EffectiveSettings {
    slong bits = 16 * cLongRealDefaults::kPrecision; // working precision
    int inputBase = cLongRealDefaults::kInputSystemStandard;
    int outputBase = cLongRealDefaults::kOutputSystem;
    // bits the rendered digits may represent
    slong outputBits = 16 * (cLongRealDefaults::kPrecision - cLongRealDefaults::kOutputDrop);
    // internal zero: 2^-zeroShift of the reference magnitude
    slong zeroShift = 16 * (cLongRealDefaults::kPrecision - cLongRealDefaults::kNativeEpsExponent);
    bool zeroOn = cLongRealDefaults::kNativeEpsExponent > 0;
    int angleMode = cLongRealDefaults::kAngleMode; // 0 rad, 1 deg, 2 gra
    unsigned generation = 0;                       // changes with every Init(): cached texts are stale
};

extern EffectiveSettings gSettings;

inline const EffectiveSettings& Settings() { return gSettings; }

// The refinement pass of this thread.
struct PassState {
    slong bits = 0;                                              // 0: the working precision
    cLongRealPass::eDecisions decisions = cLongRealPass::dkLast; // outside a pass: final
    bool exact = false;                                          // rationals stay exact
    bool active = false;
    bool cleanup = false; // the thread frees Arb's caches when it ends
};

[[gnu::tls_model("initial-exec")]] extern constinit thread_local PassState tPass;

// Constants the functions keep per thread, beside Arb's own; they are freed
// with those when the thread ends (ArrangeCleanup, called by Prec()).
struct ThreadConstants {
    arb_struct piOverHalfTurn{}; // zero bytes: an initialised arb_t
    slong halfTurn = 0;          // its unit, 0 while not computed
    slong bits = 0;
};

[[gnu::tls_model("initial-exec")]] extern constinit thread_local ThreadConstants tConstants;

void ArrangeCleanup();

// Precision of operations now.
inline slong Prec() {
    if (!tPass.cleanup) [[unlikely]]
        ArrangeCleanup();
    return tPass.bits != 0 ? tPass.bits : gSettings.bits;
}

// Decisions are final: a last pass, or no pass.
inline bool Final() { return tPass.decisions != cLongRealPass::dkRefining; }

// The internal zero may decide: a last pass at full depth, or no pass.
inline bool ZeroRule() { return tPass.decisions == cLongRealPass::dkLast; }

// Rational values stay exact (the passes after the first).
inline bool ExactMode() { return tPass.exact; }

// Allocation failures (Memory.cpp): set when GMP or FLINT spent the reserve.
extern std::atomic<bool> gMemoryShort;
[[noreturn]] void MemoryShortSlow();
inline void CheckMemory() {
    if (gMemoryShort.load(std::memory_order_relaxed)) [[unlikely]]
        MemoryShortSlow();
}
// Under an address-space limit, a function at this many bits or more first
// checks that room for kHeavyNumbers numbers of its precision is left.
constexpr slong kHeavyBits = slong(1) << 17;
constexpr unsigned long long kHeavyNumbers = 512;
void CheckHeadroomSlow(slong bits);
inline void CheckHeadroom(slong bits) {
    if (bits >= kHeavyBits) [[unlikely]]
        CheckHeadroomSlow(bits);
}
// Maps the reserve (again) if it is not held; false when that fails.
bool ArmReserve(bool resize = false);
// ArmReserve, or cLongRealNoMemory.
void EnsureReserve();

// Literals are read with 4x the working bits; an exact one keeps its
// rational too, for the passes beyond.
inline slong LiteralBits() { return gSettings.bits << 2; }

// The size rule: an exact result (an integer, a rational, a value of an
// exact sum) is computed exactly only while it takes at most this many bits,
// the larger of 2^20 and the bits of the last pass. Beyond it an operation
// rounds at the pass precision, where that is still sound, or fails with a
// reason. No call into Arb, FLINT or GMP then asks for more memory than a
// bound that follows from the precision and the operands' exponents.
inline slong ExactLimitBits() { return std::max<slong>(slong(1) << 20, LiteralBits()); }

inline bool FitsExact(double bits) { return bits <= static_cast<double>(ExactLimitBits()); }

// Exact rationals of an exact pass (numerator and denominator together) stay
// exact up to this size: 16 times the pass precision, at least 8192 bits,
// within the size rule. Beyond it they become balls at the pass precision.
inline slong RationalLimitBits() { return std::min(ExactLimitBits(), std::max<slong>(8192, 16 * Prec())); }

// Extra bits for intermediate steps of a function.
constexpr slong kGuardBits = 32;

// The precision of a function's intermediate steps; at high precision it
// checks the headroom first (see CheckHeadroom).
inline slong Guarded() {
    const slong bits = Prec() + kGuardBits;
    CheckHeadroom(bits);
    return bits;
}

// Binary exponents beyond +-2^40 overflow (error) or underflow (to 0).
constexpr slong kMaxExponent = slong(1) << 40;

// Scoped Arb, FLINT values: T is the library's one-element array type
// (arb_t, ...), Init and Clear its pair of functions.
template <typename T, typename Ptr, void (*Init)(Ptr), void (*Clear)(Ptr)>
class cScoped {
public:
    cScoped() { Init(aValue); }
    cScoped(const cScoped&) = delete;
    cScoped& operator=(const cScoped&) = delete;
    ~cScoped() { Clear(aValue); }
    operator Ptr() { return aValue; }
    Ptr get() { return aValue; }

private:
    T aValue;
};

// arb_clear, inline where there is nothing to free (a mantissa of at most
// two limbs, small exponents): the common case of short-lived balls.
inline void ClearBall(arb_ptr x) {
    const arf_struct* mid = arb_midref(x);
    if (ARF_HAS_PTR(mid) || COEFF_IS_MPZ(ARF_EXP(mid)) || COEFF_IS_MPZ(MAG_EXP(arb_radref(x)))) [[unlikely]]
        arb_clear(x);
}

using Ball = cScoped<arb_t, arb_ptr, arb_init, ClearBall>;
using Float = cScoped<arf_t, arf_ptr, arf_init, arf_clear>;
using Integer = cScoped<fmpz_t, fmpz*, fmpz_init, fmpz_clear>;
using Rational = cScoped<fmpq_t, fmpq*, fmpq_init, fmpq_clear>;

// x as a whole number n with |n| < 2^bits (bits at most 62), when it is an
// exact ball whose midpoint is one. Read from the midpoint's parts, without
// a call: a whole number below 2^62 is 0 or one limb, as the midpoint keeps
// no trailing zero limb.
inline bool SmallWhole(arb_srcptr x, slong bits, slong& n) {
    const arf_struct* mid = arb_midref(x);
    if (!mag_is_zero(arb_radref(x)))
        return false;
    if (arf_is_special(mid)) {
        n = 0;
        return arf_is_zero(mid);
    }
    const slong e = ARF_EXP(mid); // |mid| in [2^(e-1), 2^e); a pointer tag reads as beyond 2^62
    if (ARF_SIZE(mid) != 1 || e < 1 || e > bits || e >= FLINT_BITS)
        return false;
    const mp_limb_t d = ARF_NOPTR_D(mid)[0];
    if ((d << e) != 0) // bits below the point
        return false;
    const slong whole = static_cast<slong>(d >> (FLINT_BITS - e));
    n = ARF_SGNBIT(mid) ? -whole : whole;
    return true;
}

// True when the ball x certainly excludes 0: |mid| >= 2^(e-1) is beyond a
// radius below 2^(radius exponent). False says nothing; arb_contains_zero decides.
inline bool SurelyNonzero(arb_srcptr x) {
    const arf_struct* mid = arb_midref(x);
    if (arf_is_special(mid))
        return false;
    const mag_struct* rad = arb_radref(x);
    if (mag_is_zero(rad))
        return true;
    const slong e = ARF_EXP(mid);
    const slong r = MAG_EXP(rad);
    return !COEFF_IS_MPZ(e) && !COEFF_IS_MPZ(r) && e > r;
}

inline bool ContainsZero(arb_srcptr x) { return !SurelyNonzero(x) && arb_contains_zero(x) != 0; }

// A decision the balls of this pass cannot make: recompute (below the last
// pass) or fail with `reason`.
[[noreturn]] void Undecided(const std::string& reason);

// Checks a fresh result: a non-finite ball is Undecided(reason), a midpoint
// beyond the exponent range overflows, a ball below it becomes 0.
void CheckRangeSlow(arb_ptr r);
inline void Finish(arb_ptr r, const char* reason) {
    CheckMemory();
    const arf_struct* mid = arb_midref(r);
    if (!arf_is_finite(mid) || mag_is_inf(arb_radref(r))) // arb_is_finite, inline
        Undecided(reason);
    if (arf_is_special(mid)) {
        if (!mag_is_zero(arb_radref(r)))
            CheckRangeSlow(r);
        return;
    }
    const fmpz e = *ARF_EXPREF(mid);
    if (COEFF_IS_MPZ(e) || e > kMaxExponent || e < -kMaxExponent)
        CheckRangeSlow(r);
}

// Where the ball x lies against the exact point p: -1 below, +1 above, 0 at p.
// A ball that contains p and is not exactly p is undecided below the last
// pass; in the last pass it counts as p when its radius is at most the
// internal zero times max(1, |p|), and fails with `reason` otherwise.
int Side(arb_srcptr x, arb_srcptr p, const char* reason);
int SideOfSlow(arb_srcptr x, slong p, const char* reason);
inline int SideOf(arb_srcptr x, slong p, const char* reason) {
    if (p == 0 && arb_is_exact(x)) // an exact ball against 0: its sign
        return arf_sgn(arb_midref(x));
    return SideOfSlow(x, p, reason);
}

// The internal zero of a sum or difference r of a and b (see README.md).
void SnapCancellation(arb_ptr r, arb_srcptr a, arb_srcptr b);

// x as an exact rational, when it is exact and of moderate exponent.
bool ExactRational(fmpq* out, arb_srcptr x);

// The exact whole number x, when it is one.
bool ExactWhole(fmpz* out, arb_srcptr x);

} // namespace longreal

// An exact rational value and the bits its ball was made with.
struct cLongReal::cExact {
    fmpq_t q;
    slong bits;
    cExact() : bits(0) { fmpq_init(q); }
    cExact(const cExact& other) : bits(other.bits) {
        fmpq_init(q);
        fmpq_set(q, other.q);
    }
    cExact& operator=(const cExact&) = delete;
    ~cExact() { fmpq_clear(q); }
};

// The library's access to a value's parts.
struct cLongRealAccess {
    static const cLongReal::cExact* Exact(const cLongReal& x) { return x.aExact.get(); }
    // The ball of a fresh value (no rational, no text), to compute into.
    static arb_ptr Raw(cLongReal& x) { return x.aBall; }
    // x as an exact rational (its rational, or its ball of radius 0, within
    // the size rule); false when it is none.
    static bool ExactOf(const cLongReal& x, fmpq* out);
    // Makes x the exact rational q (a ball of radius 0 when q is dyadic),
    // when q fits RationalLimitBits(); false, with x unchanged, otherwise.
    // Its ball has `bits` bits (0: the pass precision).
    static bool SetRational(cLongReal& x, const fmpq* q, slong bits = 0);
    // x with a ball of at least the pass precision: x itself, or a copy in `temp`.
    static const cLongReal& Current(const cLongReal& x, cLongReal& temp);
    // Makes x's ball from its rational at the pass precision, when coarser.
    static void Refresh(cLongReal& x);
};

// The cached text of a value.
struct cLongReal::cRendering {
    std::string text;
    bool proven = false;
    unsigned generation = 0;
};

namespace longreal {
cLongReal::cRendering Render(arb_srcptr value, const fmpq* exact);

// A value made from a ball, which is left as zero.
inline cLongReal Take(arb_ptr ball) {
    CheckMemory();
    cLongReal r;
    arb_swap(cLongRealAccess::Raw(r), ball);
    return r;
}

// The value fn(r, bits) computes at the working precision, checked by
// Finish(r, reason).
template <typename Fn>
cLongReal Compute(Fn fn, const char* reason) {
    Ball r;
    CheckHeadroom(Prec());
    fn(r, Prec());
    Finish(r, reason);
    return Take(r);
}
} // namespace longreal
