// SPDX-License-Identifier: GPL-3.0-or-later
// Properties of every function over random balls in its domain, at each of
// the three pass precisions: the result contains the value at a random point
// of the input, computed by Arb at far higher precision; the passes' results
// overlap; an aliased call (x = f(x), f(a, a)) gives the same ball.
#include "LongRealFixture.h"

#include <arb_hypgeom.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr slong kRefBits = 2048;
constexpr int kInputsPerRow = 500;

using tFn1 = cLongReal (*)(const cLongReal&);
using tFn2 = cLongReal (*)(const cLongReal&, const cLongReal&);
// The exact value at x (and y), in radians for angles, at `prec` bits: Arb's
// own function where there is one.
using tRef1 = void (*)(arb_ptr r, arb_srcptr x, slong prec);
using tRef2 = void (*)(arb_ptr r, arb_srcptr x, arb_srcptr y, slong prec);

// Inputs a row refuses: balls that hold a point where the function jumps or
// has a pole.
enum class eAvoid { none, wholes, halves, negativeWholes, tangentPoles, cotangentPoles };

enum class eAngle { none, argument, result };

struct cRange {
    double lo, hi;
};

struct cRow {
    const char* aName;
    tFn1 aFn1;
    tFn2 aFn2;
    tRef1 aRef1;
    tRef2 aRef2;
    cRange aX, aY;                // ranges of the whole input balls (open, or closed at exact ends)
    std::vector<double> aSpecial; // exact inputs, drawn now and then
    eAngle aAngle = eAngle::none;
    eAvoid aAvoid = eAvoid::none;
    bool aWholeY = false; // y exact and whole (power of a negative base)
};

// An Arb ball for the references.
class cBall {
public:
    cBall() { arb_init(aBall); }
    cBall(const cBall&) = delete;
    cBall& operator=(const cBall&) = delete;
    ~cBall() { arb_clear(aBall); }
    operator arb_ptr() { return aBall; }

private:
    arb_t aBall;
};

void RefAbs(arb_ptr r, arb_srcptr x, slong) { arb_abs(r, x); }
void RefAcot(arb_ptr r, arb_srcptr x, slong p) {
    cBall quarter;
    arb_const_pi(quarter, p);
    arb_mul_2exp_si(quarter, quarter, -1);
    arb_atan(r, x, p);
    arb_sub(r, quarter, r, p);
}
void RootTwoPi(arb_ptr r, slong p) {
    arb_const_pi(r, p);
    arb_mul_2exp_si(r, r, 1);
    arb_sqrt(r, r, p);
}
void RefNormloc(arb_ptr r, arb_srcptr x, slong p) {
    cBall root;
    RootTwoPi(root, p);
    arb_sqr(r, x, p);
    arb_mul_2exp_si(r, r, -1);
    arb_neg(r, r);
    arb_exp(r, r, p);
    arb_div(r, r, root, p);
}
void RefNorm(arb_ptr r, arb_srcptr x, slong p) {
    cBall root;
    arb_sqrt_ui(root, 2, p);
    arb_div(r, x, root, p);
    arb_neg(r, r);
    arb_hypgeom_erfc(r, r, p);
    arb_mul_2exp_si(r, r, -1);
}
void RefInvnormloc(arb_ptr r, arb_srcptr y, slong p) {
    RootTwoPi(r, p);
    arb_mul(r, r, y, p);
    arb_log(r, r, p);
    arb_mul_si(r, r, -2, p);
    arb_sqrt(r, r, p);
}
void RefInvnorm(arb_ptr r, arb_srcptr q, slong p) {
    cBall root;
    arb_sqrt_ui(root, 2, p);
    arb_mul_2exp_si(r, q, 1);
    arb_hypgeom_erfcinv(r, r, p);
    arb_mul(r, r, root, p);
    arb_neg(r, r);
}
void RefFak(arb_ptr r, arb_srcptr x, slong p) {
    arb_add_ui(r, x, 1, p);
    arb_gamma(r, r, p);
}
// At exact points only.
void RefTrunc(arb_ptr r, arb_srcptr x, slong p) {
    if (arb_is_negative(x))
        arb_ceil(r, x, p);
    else
        arb_floor(r, x, p);
}
void RefRound(arb_ptr r, arb_srcptr x, slong p) // half away from zero
{
    arb_abs(r, x);
    arb_mul_2exp_si(r, r, 1);
    arb_add_ui(r, r, 1, p);
    arb_mul_2exp_si(r, r, -1);
    arb_floor(r, r, p);
    if (arb_is_negative(x))
        arb_neg(r, r);
}
// Gamma(n + 1) / Gamma(n - k + 1), divided by Gamma(k + 1) for com; the
// reciprocal gamma function is 0 at its poles.
void GammaRatio(arb_ptr r, arb_srcptr n, arb_srcptr k, slong p, bool binomial) {
    cBall d;
    arb_add_ui(r, n, 1, p);
    arb_sub(d, r, k, p);
    arb_gamma(r, r, p);
    arb_rgamma(d, d, p);
    arb_mul(r, r, d, p);
    if (binomial) {
        arb_add_ui(d, k, 1, p);
        arb_rgamma(d, d, p);
        arb_mul(r, r, d, p);
    }
}
void RefPer(arb_ptr r, arb_srcptr n, arb_srcptr k, slong p) { GammaRatio(r, n, k, p, false); }
void RefCom(arb_ptr r, arb_srcptr n, arb_srcptr k, slong p) { GammaRatio(r, n, k, p, true); }

const std::vector<double> kAngles = {-540, -180, -90, -45, -30, 0, 15, 30, 45, 60, 90, 135, 180, 270, 360, 450};
const std::vector<double> kTangentAngles = {-540, -135, -45, -30, 0, 15, 30, 45, 60, 120, 180, 225, 360};
const std::vector<double> kCotangentAngles = {-450, -135, -90, -45, -30, 15, 30, 45, 60, 90, 120, 225, 270};
const std::vector<double> kSines = {-1, -0.5, 0, 0.5, 1};
const std::vector<double> kSlopes = {-1, 0, 1};
const std::vector<double> kWholes = {0, 1, 2, 5, 10, 20, 30};

std::vector<cRow> Rows() {
    const cRange any{-1e6, 1e6}, near{-30, 30}, open1{-1, 1}, turns{-2000, 2000};
    return {
        {"abs", abs, nullptr, RefAbs, nullptr, any, {}, {}},
        {"ln", ln, nullptr, arb_log, nullptr, {0, 1e30}, {}, {1}},
        {"exp", exp, nullptr, arb_exp, nullptr, {-1000, 1000}, {}, {0}},
        {"sqrt", sqrt, nullptr, arb_sqrt, nullptr, {0, 1e30}, {}, {0, 1, 4}},
        {"sin", sin, nullptr, arb_sin, nullptr, turns, {}, kAngles, eAngle::argument},
        {"cos", cos, nullptr, arb_cos, nullptr, turns, {}, kAngles, eAngle::argument},
        {"tan", tan, nullptr, arb_tan, nullptr, turns, {}, kTangentAngles, eAngle::argument, eAvoid::tangentPoles},
        {"cot", cot, nullptr, arb_cot, nullptr, turns, {}, kCotangentAngles, eAngle::argument, eAvoid::cotangentPoles},
        {"arcsin", arcsin, nullptr, arb_asin, nullptr, open1, {}, kSines, eAngle::result},
        {"arccos", arccos, nullptr, arb_acos, nullptr, open1, {}, kSines, eAngle::result},
        {"arctan", arctan, nullptr, arb_atan, nullptr, any, {}, kSlopes, eAngle::result},
        {"arccot", arccot, nullptr, RefAcot, nullptr, any, {}, kSlopes, eAngle::result},
        {"sinh", sinh, nullptr, arb_sinh, nullptr, {-700, 700}, {}, {0}},
        {"cosh", cosh, nullptr, arb_cosh, nullptr, {-700, 700}, {}, {0}},
        {"tanh", tanh, nullptr, arb_tanh, nullptr, {-700, 700}, {}, {0}},
        {"arsinh", arsinh, nullptr, arb_asinh, nullptr, any, {}, {0}},
        {"arcosh", arcosh, nullptr, arb_acosh, nullptr, {1, 1e6}, {}, {1}},
        {"artanh", artanh, nullptr, arb_atanh, nullptr, open1, {}, {0}, eAngle::none, eAvoid::none, false},
        {"normloc", normloc, nullptr, RefNormloc, nullptr, near, {}, {0}},
        {"norm", norm, nullptr, RefNorm, nullptr, near, {}, {0}},
        {"invnormloc", invnormloc, nullptr, RefInvnormloc, nullptr, {0, 0.3989}, {}, {0.25}},
        {"invnorm", invnorm, nullptr, RefInvnorm, nullptr, {0, 1}, {}, {0.5, 0.25}},
        {"fak", fak, nullptr, RefFak, nullptr, {-30, 100}, {}, kWholes, eAngle::none, eAvoid::negativeWholes},
        {"trunc", trunc, nullptr, RefTrunc, nullptr, any, {}, {-3, 0, 7}, eAngle::none, eAvoid::wholes},
        {"round", round, nullptr, RefRound, nullptr, any, {}, {-2.5, -1, 0, 0.5, 3.5}, eAngle::none, eAvoid::halves},
        {"per", nullptr, per, nullptr, RefPer, {0, 40}, {0, 40}, kWholes},
        {"com", nullptr, com, nullptr, RefCom, {0, 40}, {0, 40}, kWholes},
        {"power", nullptr, power, nullptr, arb_pow, {0, 1000}, {-40, 40}, {1, 2}, eAngle::none, eAvoid::none, false},
        {"power", nullptr, power, nullptr, arb_pow, {-1000, 0}, {-20, 20}, {-1, -2}, eAngle::none, eAvoid::none, true},
    };
}

const char* const kUnits[] = {"rad", "deg", "gra"};

// Enough digits to tell the last pass's balls apart.
std::string BallText(arb_srcptr x) {
    char* text = arb_get_str(x, 130, 0);
    std::string s(text);
    flint_free(text);
    return s;
}

// An input exactly, to be typed again: its midpoint and radius are doubles.
std::string InputText(arb_srcptr x) {
    char text[80];
    std::snprintf(text, sizeof text, "%.17g +/- %.17g", arf_get_d(arb_midref(x), ARF_RND_NEAR),
                  mag_get_d(arb_radref(x)));
    return text;
}

class cGenerator {
public:
    explicit cGenerator(unsigned long seed) : aRandom(seed) {}

    // A ball for the range (Usable keeps those inside it): a special value,
    // exact or with a narrow radius, now and then; else a midpoint drawn
    // across the range, often scaled towards 0, with no radius or one of
    // 2^-2 to 2^-200 of it.
    cLongReal Ball(const cRange& range, const std::vector<double>& special, bool whole) {
        cLongReal x;
        arb_ptr b = x.arb();
        if (whole) {
            arb_set_si(b, std::uniform_int_distribution<long>(static_cast<long>(range.lo),
                                                              static_cast<long>(range.hi))(aRandom));
            return x;
        }
        const bool nearSpecial = !special.empty() && Chance(3);
        double mid = 0;
        if (nearSpecial) {
            mid = special[std::uniform_int_distribution<size_t>(0, special.size() - 1)(aRandom)];
        } else {
            mid = std::uniform_real_distribution<double>(range.lo, range.hi)(aRandom);
            if (Chance(4)) {
                const double scaled = std::ldexp(mid, -std::uniform_int_distribution<int>(1, 1000)(aRandom));
                if (scaled > range.lo && scaled < range.hi)
                    mid = scaled;
            }
        }
        arb_set_d(b, mid);
        if (nearSpecial ? Chance(2) : !Chance(4)) {
            const slong shift = std::uniform_int_distribution<slong>(nearSpecial ? 16 : 2, 200)(aRandom);
            mag_set_d(arb_radref(b), mid == 0 ? 1.0 : std::fabs(mid));
            mag_mul_2exp_si(arb_radref(b), arb_radref(b), -shift);
        }
        return x;
    }

    // A point of the ball: midpoint + radius * u with u in [-1, 1], exactly.
    void Point(arb_ptr point, arb_srcptr ball) {
        const long u = std::uniform_int_distribution<long>(-(1L << 30), 1L << 30)(aRandom);
        arf_t offset;
        arf_init(offset);
        arf_set_mag(offset, arb_radref(ball));
        arf_mul_si(offset, offset, u, ARF_PREC_EXACT, ARF_RND_DOWN);
        arf_mul_2exp_si(offset, offset, -30);
        arf_add(arb_midref(point), arb_midref(ball), offset, ARF_PREC_EXACT, ARF_RND_DOWN);
        mag_zero(arb_radref(point));
        arf_clear(offset);
    }

private:
    bool Chance(int oneIn) { return std::uniform_int_distribution<int>(1, oneIn)(aRandom) == 1; }
    std::mt19937_64 aRandom;
};

// The angle unit's half turn over pi: x units are x * pi / halfTurn radians.
long HalfTurn(int unit) { return unit == 1 ? 180 : unit == 2 ? 200 : 0; }

// x in half turns of the angle unit.
void HalfTurns(arb_ptr t, arb_srcptr x, int unit) {
    if (HalfTurn(unit) != 0) {
        arb_div_si(t, x, HalfTurn(unit), 256);
        return;
    }
    arb_const_pi(t, 256);
    arb_div(t, x, t, 256);
}

// The whole ball inside the range (open, or closed at an exact end), and
// none of the points the row avoids.
bool Usable(const cLongReal& x, const cRange& range, eAvoid avoid, int unit) {
    arb_srcptr b = x.arb();
    cBall t;
    arb_set_d(t, range.lo);
    bool ok = arb_gt(b, t) || (arb_is_exact(b) && arb_equal(b, t));
    arb_set_d(t, range.hi);
    ok = ok && (arb_lt(b, t) || (arb_is_exact(b) && arb_equal(b, t)));
    switch (avoid) {
    case eAvoid::none: break;
    // A narrow ball (radius below 1/4) that holds a jump of trunc or round
    // is decided at it: one result for all its points, by design.
    case eAvoid::wholes:
        ok = ok && (arb_is_exact(b) || mag_cmp_2exp_si(arb_radref(b), -2) >= 0 || !arb_contains_int(b));
        break;
    case eAvoid::halves:
        arb_set_d(t, 0.5);
        arb_sub(t, b, t, ARF_PREC_EXACT);
        ok = ok && (arb_is_exact(b) || mag_cmp_2exp_si(arb_radref(b), -2) >= 0 || !arb_contains_int(t));
        break;
    case eAvoid::negativeWholes: // the poles -1, -2, ...
        arb_add_ui(t, b, 1, ARF_PREC_EXACT);
        ok = ok && !(arb_contains_int(b) && !arb_is_positive(t));
        break;
    case eAvoid::tangentPoles: // odd quarter turns
        HalfTurns(t, b, unit);
        arb_mul_2exp_si(t, t, 1);
        arb_sub_ui(t, t, 1, 256);
        arb_mul_2exp_si(t, t, -1);
        ok = ok && !arb_contains_int(t);
        break;
    case eAvoid::cotangentPoles: // half turns
        HalfTurns(t, b, unit);
        ok = ok && !arb_contains_int(t);
        break;
    }
    return ok;
}

void Reference(arb_ptr r, const cRow& row, arb_srcptr x, arb_srcptr y, int unit) {
    const long half = row.aAngle == eAngle::none ? 0 : HalfTurn(unit);
    cBall pi, xr;
    arb_const_pi(pi, kRefBits);
    arb_set(xr, x);
    if (half != 0 && row.aAngle == eAngle::argument) {
        arb_mul(xr, xr, pi, kRefBits);
        arb_div_si(xr, xr, half, kRefBits);
    }
    if (row.aRef1 != nullptr)
        row.aRef1(r, xr, kRefBits);
    else
        row.aRef2(r, xr, y, kRefBits);
    if (half != 0 && row.aAngle == eAngle::result) {
        arb_mul_si(r, r, half, kRefBits);
        arb_div(r, r, pi, kRefBits);
    }
}

cLongReal Call(const cRow& row, const cLongReal& x, const cLongReal& y) {
    return row.aFn1 != nullptr ? row.aFn1(x) : row.aFn2(x, y);
}

// The outcome of a call as text: the ball, or the failure.
template <typename F>
std::string Outcome(F call) {
    try {
        const cLongReal r = call();
        return BallText(r.arb()) + (arb_is_exact(r.arb()) ? " (exact)" : "");
    } catch (const cLongRealError& e) {
        return std::string("throws ") + e.what();
    }
}

// An aliased call against the same call on a copy: x = f(x) against f(x),
// f(a, a) against f(a, copy of a). Empty when they agree, else both outcomes.
std::string AliasingDiffers(const cRow& row, const cLongReal& x) {
    const cLongReal copy = x;
    const std::string plain = Outcome([&] { return row.aFn1 != nullptr ? row.aFn1(x) : row.aFn2(x, copy); });
    const std::string aliased = Outcome([&] {
        cLongReal a = x;
        a = row.aFn1 != nullptr ? row.aFn1(a) : row.aFn2(a, a);
        return a;
    });
    return plain == aliased ? std::string() : aliased + " against " + plain;
}

// Passes at 1x, 2x and 4x the working bits, the last of them final.
constexpr int kPasses = 3;

// One pass over one input: empty, or what failed. A result joins `results`;
// a pass below the last may leave the decision to the next.
std::string CheckPass(const cRow& row, const cLongReal& x, const cLongReal& y, arb_srcptr ref, int pass,
                      std::vector<cLongReal>& results) {
    const cLongRealPass guard(cLongReal::WorkingBits() << pass,
                              pass + 1 < kPasses ? cLongRealPass::dkRefining : cLongRealPass::dkLast, pass > 0);
    cLongReal r;
    try {
        r = Call(row, x, y);
    } catch (const cLongRealUndecided&) {
        return pass + 1 < kPasses ? std::string() : "undecided";
    } catch (const cLongRealError& e) {
        return std::string("throws: ") + e.what();
    }
    arb_srcptr b = r.arb();
    if (!arb_is_finite(b) || !(arb_contains(b, ref) || (arb_is_exact(b) && arb_contains(ref, b))))
        return "= " + BallText(b) + " misses the value " + BallText(ref);
    for (const cLongReal& earlier : results)
        if (!arb_overlaps(earlier.arb(), b))
            return "= " + BallText(b) + " does not overlap " + BallText(earlier.arb()) + " of a lower pass";
    if (const std::string differs = AliasingDiffers(row, x); !differs.empty())
        return "the aliased call gives " + differs;
    results.push_back(r);
    return {};
}

} // namespace

class Properties : public LongRealTest {};

TEST_F(Properties, EveryFunctionContainsThePointValueAtEachPassAndPassesOverlap) {
    cGenerator random(20261208);
    cBall point, pointY, ref;
    for (const cRow& row : Rows()) {
        for (int unit = 0; unit < 3; ++unit) {
            if (row.aAngle == eAngle::none && unit != cLongRealDefaults::kAngleMode)
                continue;
            cLongReal::aAngleMode = static_cast<int16_t>(unit);
            cLongReal::Init();
            int failures = 0;
            size_t results = 0;
            for (int i = 0; i < kInputsPerRow && failures < 3; ++i) {
                cLongReal x, y;
                do
                    x = random.Ball(row.aX, row.aSpecial, false);
                while (!Usable(x, row.aX, row.aAvoid, unit));
                if (row.aFn2 != nullptr) {
                    do
                        y = random.Ball(row.aY, row.aSpecial, row.aWholeY);
                    while (!Usable(y, row.aY, eAvoid::none, unit));
                }
                random.Point(point, x.arb());
                random.Point(pointY, y.arb());
                Reference(ref, row, point, pointY, unit);
                std::vector<cLongReal> passes;
                for (int pass = 0; pass < kPasses; ++pass) {
                    const std::string failed = CheckPass(row, x, y, ref, pass, passes);
                    if (failed.empty())
                        continue;
                    ++failures;
                    ADD_FAILURE() << row.aName << "(" << InputText(x.arb())
                                  << (row.aFn2 != nullptr ? ", " + InputText(y.arb()) : std::string()) << ") in "
                                  << kUnits[unit] << " at pass " << pass << " " << failed << " at the point "
                                  << BallText(point) << (row.aFn2 != nullptr ? ", " + BallText(pointY) : std::string());
                }
                results += passes.size();
            }
            // Most passes decide: the property is not left to a few inputs.
            EXPECT_GT(results, size_t{2} * kInputsPerRow) << row.aName << " in " << kUnits[unit];
        }
    }
}
