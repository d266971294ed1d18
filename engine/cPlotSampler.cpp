// SPDX-License-Identifier: GPL-3.0-or-later
#include "cPlotSampler.h"

#include "cFormulaText.h"
#include "cTreeWalk.h"

#include <cmath>
#include <new>

namespace {

constexpr slong kFirstPassBits = 64;
constexpr int kPasses = 3;            // 64, 128, 256 bits
constexpr slong kProvenBits = 55;     // relative accuracy a sample must prove
constexpr slong kZeroExponent = -128; // a ball holding 0 this narrow is 0
constexpr std::chrono::milliseconds kBoundQuietTime{200};

void ParseInto(cFormulaEngine& engine, const std::string& text) {
    if (const auto foreign = FindForeignChar(text)) {
        const auto first = static_cast<int32_t>(foreign->aOffset);
        throw cPlotParseError(feErrBadSymbol, first, first + static_cast<int32_t>(foreign->aLength) - 1, false, true);
    }
    try {
        engine.Parse(text.c_str());
    } catch (feFehlerCode code) {
        throw cPlotParseError(code, engine.aErrorFirst, engine.aErrorLast, engine.aErrorUnclosed, false);
    }
}

void CopyVariables(cLongReal (&to)[26], tPlotVariables from) {
    for (size_t i = 0; i < 26; ++i)
        to[i] = from[i];
}

cLongReal FromDouble(double value) {
    if (!std::isfinite(value))
        throw std::invalid_argument("plot range: not a finite number");
    cLongReal result;
    arb_set_d(result.arb(), value);
    return result;
}

double ToDouble(const cLongReal& value) { return arf_get_d(arb_midref(value.arb()), ARF_RND_NEAR); }

// While a sampling (or a bound) is computed: the engine's progress hook is the sampler's, which
// passes the reports on to the host's hook one level deeper, once the quiet
// time is over. Restores the host's hook and closes its level on every way out.
class cHookScope {
public:
    cHookScope(std::chrono::milliseconds quiet, uint32_t count)
        : aHost(cFormulaEngine::ProgressIndicator), aOuter(sActive), aQuiet(quiet), aCount(count),
          aStart(std::chrono::steady_clock::now()) {
        if (aHost) {
            sActive = this;
            cFormulaEngine::ProgressIndicator = &Forward;
        }
    }
    ~cHookScope() {
        if (!aHost)
            return;
        cFormulaEngine::ProgressIndicator = aHost;
        sActive = aOuter;
        if (aOpen) {
            try {
                aHost(0, faIdle, 0, 0);
            } catch (...) {
            }
        }
    }
    cHookScope(const cHookScope&) = delete;
    cHookScope& operator=(const cHookScope&) = delete;

    void Samples(uint32_t done) {
        aDone = done;
        Pass(0, faCalculating, aCount, done);
    }
    // An exception came from the host's hook: it ends the sampling.
    bool HostThrew() const { return aHostThrew; }

private:
    static void Forward(uint16_t level, uint8_t activity, uint32_t total, uint32_t done) {
        sActive->Pass(static_cast<uint16_t>(level + 1), activity, total, done);
    }
    void Pass(uint16_t level, uint8_t activity, uint32_t total, uint32_t done) {
        if (!aOpen) {
            // The clock is read every 16th report.
            if (aQuiet.count() > 0 && ((++aCalls & 15) != 0 || std::chrono::steady_clock::now() - aStart < aQuiet))
                return;
            aOpen = true;
            Call(0, faCalculating, aCount, aDone);
        }
        Call(level, activity, total, done);
    }
    void Call(uint16_t level, uint8_t activity, uint32_t total, uint32_t done) {
        try {
            aHost(level, activity, total, done);
        } catch (...) {
            aHostThrew = true;
            throw;
        }
    }

    static inline thread_local cHookScope* sActive = nullptr;
    tProgressHook aHost;
    cHookScope* aOuter;
    std::chrono::milliseconds aQuiet;
    uint32_t aCount;
    uint32_t aDone = 0;
    uint32_t aCalls = 0;
    std::chrono::steady_clock::time_point aStart;
    bool aOpen = false;
    bool aHostThrew = false;

public:
    static cHookScope* Active() { return sActive; }
};

} // namespace

cPlotSampler::cPlotSampler(const std::string& formula, char variable, tPlotVariables variables)
    : aEngine(std::make_unique<cFormulaEngine>()), aRunning(variable - 'a') {
    if (variable < 'a' || variable > 'z')
        throw std::invalid_argument("the running variable must be a letter a to z");
    ParseInto(*aEngine, formula);
    CopyVariables(aVariables, variables);
    for (int i = 0; i < 26; ++i)
        aEngine->aVariables[i] = aVariables[i];
    aHasLoop = HasLoop(*aEngine->aRoot);
}

cPlotSampler::~cPlotSampler() = default;

// One evaluation at the bits of the current pass: the double, or nothing
// while the ball does not prove it (a value beyond the doubles is a gap).
cPlotSampler::tOutcome cPlotSampler::ValueOnce(double& y, bool last) {
    const cLongReal value = aEngine->Evaluate();
    arb_srcptr ball = value.arb();
    if (arb_rel_accuracy_bits(ball) >= kProvenBits) {
        y = ToDouble(value);
        return std::isfinite(y) ? tOutcome::Value : tOutcome::Gap;
    }
    if (last && arb_contains_zero(ball) && mag_cmp_2exp_si(arb_radref(ball), kZeroExponent) <= 0) {
        y = 0;
        return tOutcome::Value;
    }
    return last ? tOutcome::Gap : tOutcome::Retry;
}

bool cPlotSampler::ValueAt(const cLongReal& x, double& y) {
    ++aEvaluations;
    auto hostThrew = [] { return cHookScope::Active() && cHookScope::Active()->HostThrew(); };
    for (int pass = 0; pass < kPasses; ++pass) {
        const bool last = pass + 1 == kPasses;
        if (aHasLoop)
            for (int i = 0; i < 26; ++i)
                aEngine->aVariables[i] = aVariables[i];
        aEngine->aVariables[aRunning] = x;
        try {
            cLongRealPass precision(kFirstPassBits << pass, last ? cLongRealPass::dkLast : cLongRealPass::dkRefining,
                                    false);
            const tOutcome outcome = ValueOnce(y, last);
            if (outcome != tOutcome::Retry)
                return outcome == tOutcome::Value;
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const cLongRealUndecided&) {
            if (hostThrew())
                throw;
        } catch (...) {
            if (hostThrew())
                throw;
            return false;
        }
    }
    return false;
}

bool cPlotSampler::IsPole(cLongReal left, cLongReal right, double yLeft, double yRight) {
    const bool signChange = (yLeft < 0) != (yRight < 0);
    for (int step = 0; step < kPoleSteps; ++step) {
        cLongReal middle = left + right;
        arb_mul_2exp_si(middle.arb(), middle.arb(), -1);
        double y = 0;
        if (!ValueAt(middle, y))
            return true;
        if (signChange) {
            // Keep the sign change; the midpoint replaces the end of its sign.
            if (y == 0)
                return false;
            const bool replacesLeft = (y < 0) == (yLeft < 0);
            if (std::fabs(y) <= std::fabs(replacesLeft ? yLeft : yRight))
                return false;
            (replacesLeft ? left : right) = std::move(middle);
            (replacesLeft ? yLeft : yRight) = y;
        } else {
            // Keep the half towards the larger |y|.
            if (std::fabs(y) <= std::max(std::fabs(yLeft), std::fabs(yRight)))
                return false;
            const bool replacesLeft = std::fabs(yLeft) < std::fabs(yRight);
            (replacesLeft ? left : right) = std::move(middle);
            (replacesLeft ? yLeft : yRight) = y;
        }
    }
    return true;
}

void cPlotSampler::FindPoles(std::vector<cPlotPoint>& points, const std::vector<cLongReal>& xs) {
    const size_t n = points.size();
    // |y| of point i, or -1 for a gap or a point outside the range (they count as rising).
    auto magnitude = [&points, n](size_t i) { return i < n && points[i].aValid ? std::fabs(points[i].aY) : -1.0; };
    for (size_t i = 0; i + 1 < n; ++i) {
        const cPlotPoint& a = points[i];
        const cPlotPoint& b = points[i + 1];
        if (!a.aValid || !b.aValid || a.aY == 0 || b.aY == 0)
            continue;
        const bool signChange = (a.aY < 0) != (b.aY < 0);
        const bool risesInto = magnitude(i - 1) < std::fabs(a.aY) && magnitude(i + 2) < std::fabs(b.aY);
        if ((signChange || risesInto) && IsPole(xs[i], xs[i + 1], a.aY, b.aY))
            points[i + 1].aBreak = true;
    }
}

std::vector<cPlotPoint> cPlotSampler::Sample(const cLongReal& from, const cLongReal& to, uint32_t count) {
    if (count == 0)
        throw std::invalid_argument("a plot needs at least one sample");
    aEvaluations = 0;
    cHookScope hook(aQuietTime, count);
    std::vector<cPlotPoint> points(count);
    std::vector<cLongReal> xs(count);
    const cLongReal span = to - from;
    const cLongReal intervals(static_cast<long>(count > 1 ? count - 1 : 1));
    for (uint32_t i = 0; i < count; ++i) {
        hook.Samples(i);
        // from + span * i / (count - 1): exact wherever the numbers allow.
        xs[i] = i == 0 ? from : i + 1 == count ? to : from + span * cLongReal(static_cast<long>(i)) / intervals;
        points[i].aX = ToDouble(xs[i]);
        points[i].aValid = ValueAt(xs[i], points[i].aY);
        if (!points[i].aValid)
            points[i].aY = 0;
    }
    FindPoles(points, xs);
    hook.Samples(count);
    return points;
}

std::vector<cPlotPoint> cPlotSampler::Sample(double from, double to, uint32_t count) {
    return Sample(FromDouble(from), FromDouble(to), count);
}

cLongReal EvaluatePlotBound(const std::string& formula, tPlotVariables variables) {
    cFormulaEngine engine;
    ParseInto(engine, formula);
    CopyVariables(engine.aVariables, variables);
    cHookScope hook(kBoundQuietTime, 1);
    return engine.Evaluate();
}
