// SPDX-License-Identifier: GPL-3.0-or-later
// Settings, passes, lifetime, arithmetic and comparisons of cLongReal.
#include "Support.h"
#include "cLongRealDefaults.h"

#include <algorithm>
#include <climits>
#include <ctime>

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
constinit thread_local ThreadConstants tConstants;

namespace {

// Arb keeps constants (pi, logarithms, ...) per thread, and so do we; they go
// with the thread.
struct ThreadCleanup {
    ~ThreadCleanup() {
        arb_clear(&tConstants.piOverHalfTurn);
        arb_init(&tConstants.piOverHalfTurn); // valid and empty, should a later destructor compute
        tConstants.halfTurn = 0;
        flint_cleanup();
    }
};

} // namespace

void ArrangeCleanup() {
    static thread_local ThreadCleanup cleanup;
    (void)cleanup;
    tPass.cleanup = true;
}

namespace {

int UsableBase(uint16_t base) { return base >= 2 && base <= 36 ? base : 10; }

} // namespace

} // namespace longreal

using longreal::Finish;
using longreal::Prec;

void cLongReal::Init() {
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

slong cLongReal::WorkingBits() { return longreal::Settings().bits; }

slong cLongReal::PassBits() { return Prec(); }

cLongRealPass::cLongRealPass(slong bits, eDecisions decisions, bool exact)
    : aSavedBits(longreal::tPass.bits), aSavedDecisions(longreal::tPass.decisions), aSavedExact(longreal::tPass.exact),
      aSavedActive(longreal::tPass.active) {
    longreal::EnsureReserve();
    longreal::tPass.bits = std::max<slong>(bits, 16);
    longreal::tPass.decisions = decisions;
    longreal::tPass.exact = exact;
    longreal::tPass.active = true;
}

cLongRealPass::~cLongRealPass() {
    longreal::tPass.bits = aSavedBits;
    longreal::tPass.decisions = aSavedDecisions;
    longreal::tPass.exact = aSavedExact;
    longreal::tPass.active = aSavedActive;
}

bool cLongRealPass::Active() { return longreal::tPass.active; }

namespace {

// Processor time of this thread, in seconds: what the passes cost, whatever
// else the machine runs.
double Now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// The passes after the first may take this many times the first one in all,
// and at least this long.
constexpr double kTimeBudgetFactor = 16;
constexpr double kTimeBudgetFloor = 0.1;

} // namespace

slong cLongRealSchedule::CapBits() { return std::max<slong>(slong(1) << 16, cLongReal::WorkingBits() << 2); }

cLongRealSchedule::cLongRealSchedule() : aBits(cLongReal::WorkingBits()), aStart(Now()), aPassStart(aStart) { Plan(); }

void cLongRealSchedule::Advance() {
    const double now = Now();
    aLastTime = now - aPassStart;
    if (aPass == 0)
        aFirst = aLastTime;
    aPassStart = now;
    ++aPass;
    aBits *= 2;
    Plan();
}

// A pass is the last when the one after it would pass the cap on the bits
// (full depth), or when it and the one after it, each taken to cost twice
// the pass before, would pass the time budget (cut short).
void cLongRealSchedule::Plan() {
    if (aBits * 2 > CapBits()) {
        aDecisions = cLongRealPass::dkLast;
        return;
    }
    if (aPass == 0) {
        aDecisions = cLongRealPass::dkRefining;
        return;
    }
    const double budget = std::max(kTimeBudgetFloor, kTimeBudgetFactor * aFirst);
    const double spent = aPassStart - aStart - aFirst;
    aDecisions = spent + 6 * aLastTime > budget ? cLongRealPass::dkLastShort : cLongRealPass::dkRefining;
}

cLongReal::cLongReal() { arb_init(aBall); }

cLongReal::cLongReal(long value) {
    arb_init(aBall);
    arb_set_si(aBall, value);
}

cLongReal::cLongReal(const cLongReal& other)
    : aExact(other.aExact ? std::make_unique<cExact>(*other.aExact)
                          : nullptr) // may throw: before the ball holds memory
{
    arb_init(aBall);
    arb_set(aBall, other.aBall);
    cLongRealAccess::Refresh(*this);
}

cLongReal::cLongReal(cLongReal&& other) noexcept : aExact(std::move(other.aExact)), aText(std::move(other.aText)) {
    arb_init(aBall);
    arb_swap(aBall, other.aBall);
}

cLongReal& cLongReal::operator=(const cLongReal& other) {
    if (this != &other) {
        if (other.aExact) [[unlikely]] {
            cLongReal copy(other);
            *this = std::move(copy);
            return *this;
        }
        arb_set(aBall, other.aBall);
        aExact.reset();
        aText.reset();
    }
    return *this;
}

cLongReal& cLongReal::operator=(cLongReal&& other) noexcept {
    if (this != &other) {
        arb_swap(aBall, other.aBall);
        aExact.swap(other.aExact);
        other.aExact.reset();
        aText.swap(other.aText);
        other.aText.reset();
    }
    return *this;
}

cLongReal::~cLongReal() { longreal::ClearBall(aBall); }

arb_ptr cLongReal::arb() {
    aText.reset();
    aExact.reset();
    return aBall;
}

bool cLongRealAccess::ExactOf(const cLongReal& x, fmpq* out) {
    if (x.aExact) {
        fmpq_set(out, x.aExact->q);
        return true;
    }
    return longreal::ExactRational(out, x.aBall);
}

bool cLongRealAccess::SetRational(cLongReal& x, const fmpq* q, slong bits) {
    const fmpz* num = fmpq_numref(q);
    const fmpz* den = fmpq_denref(q);
    if (static_cast<slong>(fmpz_bits(num) + fmpz_bits(den)) > longreal::RationalLimitBits())
        return false;
    // Made aside, so that x is unchanged when an allocation fails.
    std::unique_ptr<cLongReal::cExact> exact;
    longreal::Ball ball;
    const slong twos = static_cast<slong>(fmpz_val2(den));
    if (static_cast<slong>(fmpz_bits(den)) == twos + 1) { // a power of 2: a ball of radius 0
        arb_set_fmpz(ball, num);
        arb_mul_2exp_si(ball, ball, -twos);
    } else {
        exact = std::make_unique<cLongReal::cExact>();
        fmpq_set(exact->q, q);
        exact->bits = bits > 0 ? bits : Prec();
        arb_set_fmpq(ball, q, exact->bits);
    }
    longreal::CheckMemory();
    arb_swap(x.arb(), ball);
    x.aExact = std::move(exact);
    return true;
}

void cLongRealAccess::Refresh(cLongReal& x) {
    if (x.aExact && x.aExact->bits < Prec()) {
        x.aExact->bits = Prec();
        arb_set_fmpq(x.aBall, x.aExact->q, x.aExact->bits);
        x.aText.reset();
    }
}

const cLongReal& cLongRealAccess::Current(const cLongReal& x, cLongReal& temp) {
    if (!x.aExact || x.aExact->bits >= Prec())
        return x;
    temp = x; // the copy makes its ball afresh
    return temp;
}

namespace {

using longreal::Ball;
using longreal::Rational;

enum class Op { add, subtract, multiply, divide };

void BallOp(Op op, arb_ptr r, arb_srcptr a, arb_srcptr b) {
    switch (op) {
    case Op::add: arb_add(r, a, b, Prec()); return;
    case Op::subtract: arb_sub(r, a, b, Prec()); return;
    case Op::multiply: arb_mul(r, a, b, Prec()); return;
    case Op::divide:
        if (longreal::ContainsZero(b) &&
            (arb_is_zero(b) || longreal::SideOf(b, 0, "cannot decide whether the divisor is 0") == 0))
            longreal::Fail("division by zero");
        arb_div(r, a, b, Prec());
        return;
    }
}

// The exact rational result of an exact pass; false when an operand is not
// exact or the result is beyond the size rule.
bool ExactOp(Op op, cLongReal& out, const cLongReal& a, const cLongReal& b) {
    Rational x, y, r;
    if (!cLongRealAccess::ExactOf(a, x) || !cLongRealAccess::ExactOf(b, y))
        return false;
    switch (op) {
    case Op::add: fmpq_add(r, x, y); break;
    case Op::subtract: fmpq_sub(r, x, y); break;
    case Op::multiply: fmpq_mul(r, x, y); break;
    case Op::divide:
        if (fmpq_is_zero(y))
            longreal::Fail("division by zero");
        fmpq_div(r, x, y);
        break;
    }
    return cLongRealAccess::SetRational(out, r);
}

// The internal zero of a sum or difference r of a and b, then the checks of a result.
void Check(Op op, arb_ptr r, arb_srcptr a, arb_srcptr b) {
    if ((op == Op::add || op == Op::subtract) && longreal::ZeroRule())
        longreal::SnapCancellation(r, a, b);
    Finish(r, "undefined result");
}

// Check, then out = r.
void Conclude(Op op, cLongReal& out, arb_ptr r, arb_srcptr a, arb_srcptr b) {
    Check(op, r, a, b);
    arb_swap(out.arb(), r);
}

// An operand is a rational: exact when both operands are exact, otherwise
// on balls of at least the pass precision.
[[gnu::noinline]] void OperateRational(Op op, cLongReal& out, const cLongReal& a, const cLongReal& b) {
    if (longreal::ExactMode() && a.IsExact() && b.IsExact() && ExactOp(op, out, a, b))
        return;
    cLongReal ta, tb;
    const cLongReal& x = cLongRealAccess::Current(a, ta);
    const cLongReal& y = cLongRealAccess::Current(b, tb);
    Ball r;
    BallOp(op, r, x.arb(), y.arb());
    Conclude(op, out, r, x.arb(), y.arb());
}

// out = a op b; out may be a or b, and is unchanged when the operation
// fails. A fresh out (a new value, neither a nor b) takes the result into its
// own ball; any other is changed only at the end.
template <bool kFresh>
void Operate(Op op, cLongReal& out, const cLongReal& a, const cLongReal& b) {
    if (cLongRealAccess::Exact(a) != nullptr || cLongRealAccess::Exact(b) != nullptr) [[unlikely]] {
        OperateRational(op, out, a, b);
        return;
    }
    // Balls of radius 0 whose result is not one: exact as a rational.
    const auto exact = [&](arb_srcptr r) {
        return longreal::ExactMode() && !arb_is_exact(r) && a.IsExact() && b.IsExact() && ExactOp(op, out, a, b);
    };
    if constexpr (kFresh) {
        arb_ptr r = cLongRealAccess::Raw(out);
        BallOp(op, r, a.arb(), b.arb());
        if (exact(r)) [[unlikely]]
            return;
        Check(op, r, a.arb(), b.arb());
    } else {
        Ball r;
        BallOp(op, r, a.arb(), b.arb());
        if (exact(r)) [[unlikely]]
            return;
        Conclude(op, out, r, a.arb(), b.arb());
    }
}

cLongReal Binary(Op op, const cLongReal& a, const cLongReal& b) {
    cLongReal r;
    Operate<true>(op, r, a, b);
    return r;
}

// Exact comparison of two exact values, one of them a rational: -1, 0, +1,
// or 2 when either is not exact.
int CompareExact(const cLongReal& a, const cLongReal& b) {
    if (!cLongRealAccess::Exact(a) && !cLongRealAccess::Exact(b))
        return 2;
    Rational x, y;
    if (!cLongRealAccess::ExactOf(a, x) || !cLongRealAccess::ExactOf(b, y))
        return 2;
    return fmpq_cmp(x, y);
}

} // namespace

cLongReal cLongReal::operator+(const cLongReal& rhs) const { return Binary(Op::add, *this, rhs); }
cLongReal cLongReal::operator-(const cLongReal& rhs) const { return Binary(Op::subtract, *this, rhs); }
cLongReal cLongReal::operator*(const cLongReal& rhs) const { return Binary(Op::multiply, *this, rhs); }
cLongReal cLongReal::operator/(const cLongReal& rhs) const { return Binary(Op::divide, *this, rhs); }

cLongReal cLongReal::operator-() const {
    cLongReal r;
    arb_neg(r.aBall, aBall);
    if (aExact) {
        r.aExact = std::make_unique<cExact>(*aExact);
        fmpq_neg(r.aExact->q, r.aExact->q);
    }
    return r;
}

cLongReal& cLongReal::operator+=(const cLongReal& rhs) {
    Operate<false>(Op::add, *this, *this, rhs);
    return *this;
}

cLongReal& cLongReal::operator-=(const cLongReal& rhs) {
    Operate<false>(Op::subtract, *this, *this, rhs);
    return *this;
}

cLongReal& cLongReal::operator*=(const cLongReal& rhs) {
    Operate<false>(Op::multiply, *this, *this, rhs);
    return *this;
}

cLongReal& cLongReal::operator/=(const cLongReal& rhs) {
    Operate<false>(Op::divide, *this, *this, rhs);
    return *this;
}

cLongReal& cLongReal::operator++() {
    // A loop counter: a small exact whole number steps in place.
    slong n = 0;
    if (!aExact && longreal::SmallWhole(aBall, FLINT_BITS - 2, n)) [[likely]] {
        arf_set_si(arb_midref(aBall), n + 1);
        aText.reset();
        return *this;
    }
    if (aExact) {
        *this += cLongReal(1L);
        return *this;
    }
    Ball r;
    // Whole numbers within the size rule step exactly; others at the pass precision.
    const arf_struct* mid = arb_midref(aBall);
    const bool whole = arb_is_exact(aBall) && arf_is_int(mid) &&
                       (arf_is_zero(mid) || arf_cmpabs_2exp_si(mid, longreal::ExactLimitBits()) < 0);
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

bool cLongReal::operator==(const cLongReal& rhs) const {
    if (const int order = CompareExact(*this, rhs); order != 2)
        return order == 0;
    if (arb_is_exact(aBall) && arb_is_exact(rhs.aBall))
        return arb_equal(aBall, rhs.aBall) != 0;
    if (!arb_overlaps(aBall, rhs.aBall))
        return false;
    Ball d;
    arb_sub(d, aBall, rhs.aBall, Prec());
    return longreal::SideOf(d, 0, "cannot decide whether two values are equal") == 0;
}

bool cLongReal::operator<=(const cLongReal& rhs) const {
    slong m = 0, n = 0; // a loop counter against its bound
    if (!aExact && !rhs.aExact && longreal::SmallWhole(aBall, FLINT_BITS - 2, m) &&
        longreal::SmallWhole(rhs.aBall, FLINT_BITS - 2, n)) [[likely]]
        return m <= n;
    if (const int order = CompareExact(*this, rhs); order != 2)
        return order <= 0;
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

cLongReal::operator long() const {
    const arf_struct* mid = arb_midref(aBall);
    if (arf_cmp_si(mid, INT32_MAX) >= 0)
        return INT32_MAX;
    if (arf_cmp_si(mid, INT32_MIN) <= 0)
        return INT32_MIN;
    return arf_get_si(mid, ARF_RND_NEAR);
}
