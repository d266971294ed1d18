// SPDX-License-Identifier: GPL-3.0-or-later
// Workloads through the engine against the same work written directly in MPFR
// (reusing its numbers), in the same run; prints the ratio per workload.
#include "cFormulaEngine.h"

#include <benchmark/benchmark.h>
#include <mpfr.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

void NoProgress(uint16_t, uint8_t, uint32_t, uint32_t) {}

void UsePrecision(uint16_t nativeDigits) {
    cLongReal::aPrecision = nativeDigits;
    cLongReal::aOutputDrop = nativeDigits > 2 ? 2 : 0;
    cLongReal::Init();
}

mpfr_prec_t Bits(uint16_t nativeDigits) { return 16 * static_cast<mpfr_prec_t>(nativeDigits); }

// Parse + evaluate + render, through the engine.
void RunEngine(benchmark::State& state, const char* formula, uint16_t digits) {
    UsePrecision(digits);
    cFormulaEngine engine;
    for (auto _ : state) {
        mpfr_free_cache(); // constants are not reused between runs, as in the baseline
        engine.Parse(formula);
        cLongReal value = engine.Evaluate();
        benchmark::DoNotOptimize(static_cast<const char*>(value));
    }
}

// Decimal text of x with as many digits as the engine shows.
void Render(const mpfr_t x, uint16_t digits) {
    const size_t n = static_cast<size_t>((digits - (digits > 2 ? 2 : 0)) * 16 * 0.30103);
    mpfr_exp_t exponent;
    char* s = mpfr_get_str(nullptr, &exponent, 10, n, x, MPFR_RNDN);
    benchmark::DoNotOptimize(s);
    mpfr_free_str(s);
}

// W1: sum(1,1,1000000,1/i^2)
void Mpfr_W1(benchmark::State& state) {
    const mpfr_prec_t p = Bits(6);
    mpfr_t i, t, acc;
    mpfr_inits2(p, i, t, acc, (mpfr_ptr)nullptr);
    for (auto _ : state) {
        mpfr_set_ui(acc, 0, MPFR_RNDN);
        for (mpfr_set_ui(i, 1, MPFR_RNDN); mpfr_cmp_ui(i, 1000000) <= 0; mpfr_add_ui(i, i, 1, MPFR_RNDN)) {
            mpfr_sqr(t, i, MPFR_RNDN);
            mpfr_ui_div(t, 1, t, MPFR_RNDN);
            mpfr_add(acc, acc, t, MPFR_RNDN);
        }
        Render(acc, 6);
    }
    mpfr_clears(i, t, acc, (mpfr_ptr)nullptr);
}

// W2: sum(1,1,100000,sin(i)*ln(i)+sqrt(i)), i in degrees
void Mpfr_W2(benchmark::State& state) {
    const mpfr_prec_t p = Bits(6);
    mpfr_t i, t, u, acc, rad;
    mpfr_inits2(p, i, t, u, acc, rad, (mpfr_ptr)nullptr);
    for (auto _ : state) {
        mpfr_free_cache();
        mpfr_const_pi(rad, MPFR_RNDN);
        mpfr_div_ui(rad, rad, 180, MPFR_RNDN);
        mpfr_set_ui(acc, 0, MPFR_RNDN);
        for (mpfr_set_ui(i, 1, MPFR_RNDN); mpfr_cmp_ui(i, 100000) <= 0; mpfr_add_ui(i, i, 1, MPFR_RNDN)) {
            mpfr_fmod_ui(t, i, 360, MPFR_RNDN);
            mpfr_mul(t, t, rad, MPFR_RNDN);
            mpfr_sin(t, t, MPFR_RNDN);
            mpfr_log(u, i, MPFR_RNDN);
            mpfr_mul(t, t, u, MPFR_RNDN);
            mpfr_sqrt(u, i, MPFR_RNDN);
            mpfr_add(t, t, u, MPFR_RNDN);
            mpfr_add(acc, acc, t, MPFR_RNDN);
        }
        Render(acc, 6);
    }
    mpfr_clears(i, t, u, acc, rad, (mpfr_ptr)nullptr);
}

constexpr uint16_t kBig = 9999;

// W3: pi(), e(), sqrt(2) at 9,999 native digits, with text
void Mpfr_W3(benchmark::State& state, int which) {
    mpfr_t x;
    mpfr_init2(x, Bits(kBig));
    for (auto _ : state) {
        mpfr_free_cache();
        if (which == 0) mpfr_const_pi(x, MPFR_RNDN);
        if (which == 1) { mpfr_set_ui(x, 1, MPFR_RNDN); mpfr_exp(x, x, MPFR_RNDN); }
        if (which == 2) mpfr_sqrt_ui(x, 2, MPFR_RNDN);
        Render(x, kBig);
    }
    mpfr_clear(x);
}

// W4: exp(1/3)*ln(7)+sqrt(2)^(1/3) at 9,999 native digits, with text
void Mpfr_W4(benchmark::State& state) {
    mpfr_t a, b, c;
    mpfr_inits2(Bits(kBig), a, b, c, (mpfr_ptr)nullptr);
    for (auto _ : state) {
        mpfr_free_cache();
        mpfr_set_ui(a, 1, MPFR_RNDN);
        mpfr_div_ui(a, a, 3, MPFR_RNDN);
        mpfr_exp(a, a, MPFR_RNDN);
        mpfr_set_ui(b, 7, MPFR_RNDN);
        mpfr_log(b, b, MPFR_RNDN);
        mpfr_mul(a, a, b, MPFR_RNDN);
        mpfr_sqrt_ui(b, 2, MPFR_RNDN);
        mpfr_set_ui(c, 1, MPFR_RNDN);
        mpfr_div_ui(c, c, 3, MPFR_RNDN);
        mpfr_pow(b, b, c, MPFR_RNDN);
        mpfr_add(a, a, b, MPFR_RNDN);
        Render(a, kBig);
    }
    mpfr_clears(a, b, c, (mpfr_ptr)nullptr);
}

// W5: sum(1,1,300,sum(2,1,300,1/(i+j)))
void Mpfr_W5(benchmark::State& state) {
    mpfr_t i, j, t, inner, acc;
    mpfr_inits2(Bits(6), i, j, t, inner, acc, (mpfr_ptr)nullptr);
    for (auto _ : state) {
        mpfr_set_ui(acc, 0, MPFR_RNDN);
        for (mpfr_set_ui(i, 1, MPFR_RNDN); mpfr_cmp_ui(i, 300) <= 0; mpfr_add_ui(i, i, 1, MPFR_RNDN)) {
            mpfr_set_ui(inner, 0, MPFR_RNDN);
            for (mpfr_set_ui(j, 1, MPFR_RNDN); mpfr_cmp_ui(j, 300) <= 0; mpfr_add_ui(j, j, 1, MPFR_RNDN)) {
                mpfr_add(t, i, j, MPFR_RNDN);
                mpfr_ui_div(t, 1, t, MPFR_RNDN);
                mpfr_add(inner, inner, t, MPFR_RNDN);
            }
            mpfr_add(acc, acc, inner, MPFR_RNDN);
        }
        Render(acc, 6);
    }
    mpfr_clears(i, j, t, inner, acc, (mpfr_ptr)nullptr);
}

struct cWorkload {
    const char* name;
    const char* formula;
    uint16_t digits;
    void (*baseline)(benchmark::State&);
    double target;
};

void Pi(benchmark::State& s) { Mpfr_W3(s, 0); }
void E(benchmark::State& s) { Mpfr_W3(s, 1); }
void Sqrt2(benchmark::State& s) { Mpfr_W3(s, 2); }

const std::vector<cWorkload> kWorkloads = {
    {"W1", "sum(1,1,1000000,1/i^2)", 6, Mpfr_W1, 3.0},
    {"W2", "sum(1,1,100000,sin(i)*ln(i)+sqrt(i))", 6, Mpfr_W2, 1.3},
    {"W3-pi", "pi()", kBig, Pi, 1.1},
    {"W3-e", "e()", kBig, E, 1.1},
    {"W3-sqrt2", "sqrt(2)", kBig, Sqrt2, 1.1},
    {"W4", "exp(1/3)*ln(7)+sqrt(2)^(1/3)", kBig, Mpfr_W4, 1.1},
    {"W5", "sum(1,1,300,sum(2,1,300,1/(i+j)))", 6, Mpfr_W5, 3.0},
};

// Collects the CPU times (steadier than wall time on a busy machine) so that
// the ratios can be printed at the end.
class cRatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                seconds[run.benchmark_name()] =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv) {
    cFormulaEngine::ProgressIndicator = NoProgress;
    cFormulaEngine::Init();
    cLongReal::aAngleMode = 1;
    for (const cWorkload& w : kWorkloads) {
        benchmark::RegisterBenchmark((std::string(w.name) + "/engine").c_str(),
                                     [w](benchmark::State& s) { RunEngine(s, w.formula, w.digits); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string(w.name) + "/mpfr").c_str(), w.baseline)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    cRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-10s %12s %12s %8s %8s  %s\n", "workload", "engine cpu ms", "mpfr cpu ms", "ratio",
                "target", "formula");
    for (const cWorkload& w : kWorkloads) {
        const auto engine = reporter.seconds.find(std::string(w.name) + "/engine");
        const auto mpfr = reporter.seconds.find(std::string(w.name) + "/mpfr");
        if (engine == reporter.seconds.end() || mpfr == reporter.seconds.end()) continue;
        std::printf("%-10s %12.3f %12.3f %7.2fx %7.1fx  %s\n", w.name, engine->second * 1e3,
                    mpfr->second * 1e3, engine->second / mpfr->second, w.target, w.formula);
    }
    cFormulaEngine::FreeStatics();
    benchmark::Shutdown();
    return 0;
}
