// SPDX-License-Identifier: GPL-3.0-or-later
// Workloads through the engine against the same work written directly in MPFR
// and directly in Arb (reusing their numbers), in the same run; prints the
// ratios per workload, and a table of single functions at growing precision
// against Arb at the same bits.
//
// The hand-written programs do the operations in the engine's order (the
// right operand of an operator first): Arb and MPFR keep caches (logarithms
// of small primes, exp tables) across calls, and for W4 the order alone
// makes the Arb program some 1.6x slower when exp comes first.
#include "RatioReporter.h"
#include "cFormulaEngine.h"

#include <arb.h>
#include <arb_hypgeom.h>
#include <benchmark/benchmark.h>
#include <mpfr.h>

#include <cstdio>
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
void RunEngine(benchmark::State& state, const char* formula, uint16_t digits, int16_t angleMode = 1,
               bool coldCaches = true) {
    cLongReal::aAngleMode = angleMode;
    UsePrecision(digits);
    cFormulaEngine engine;
    for (auto _ : state) {
        if (coldCaches)
            flint_cleanup(); // constants are not reused between runs, as in the baselines
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
    mpfr_inits2(p, i, t, acc, (mpfr_ptr) nullptr);
    for (auto _ : state) {
        mpfr_set_ui(acc, 0, MPFR_RNDN);
        for (mpfr_set_ui(i, 1, MPFR_RNDN); mpfr_cmp_ui(i, 1000000) <= 0; mpfr_add_ui(i, i, 1, MPFR_RNDN)) {
            mpfr_sqr(t, i, MPFR_RNDN);
            mpfr_ui_div(t, 1, t, MPFR_RNDN);
            mpfr_add(acc, acc, t, MPFR_RNDN);
        }
        Render(acc, 6);
    }
    mpfr_clears(i, t, acc, (mpfr_ptr) nullptr);
}

// W2: sum(1,1,100000,sin(i)*ln(i)+sqrt(i)), i in degrees
void Mpfr_W2(benchmark::State& state) {
    const mpfr_prec_t p = Bits(6);
    mpfr_t i, t, u, acc, rad;
    mpfr_inits2(p, i, t, u, acc, rad, (mpfr_ptr) nullptr);
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
    mpfr_clears(i, t, u, acc, rad, (mpfr_ptr) nullptr);
}

constexpr uint16_t kBig = 9999;

// W3: pi(), e(), sqrt(2) at 9,999 native digits, with text
void Mpfr_W3(benchmark::State& state, int which) {
    mpfr_t x;
    mpfr_init2(x, Bits(kBig));
    for (auto _ : state) {
        mpfr_free_cache();
        if (which == 0)
            mpfr_const_pi(x, MPFR_RNDN);
        if (which == 1) {
            mpfr_set_ui(x, 1, MPFR_RNDN);
            mpfr_exp(x, x, MPFR_RNDN);
        }
        if (which == 2)
            mpfr_sqrt_ui(x, 2, MPFR_RNDN);
        Render(x, kBig);
    }
    mpfr_clear(x);
}

// W4: exp(1/3)*ln(7)+sqrt(2)^(1/3) at 9,999 native digits, with text
void Mpfr_W4(benchmark::State& state) {
    mpfr_t a, b, c;
    mpfr_inits2(Bits(kBig), a, b, c, (mpfr_ptr) nullptr);
    for (auto _ : state) {
        mpfr_free_cache();
        mpfr_sqrt_ui(b, 2, MPFR_RNDN);
        mpfr_set_ui(c, 1, MPFR_RNDN);
        mpfr_div_ui(c, c, 3, MPFR_RNDN);
        mpfr_pow(b, b, c, MPFR_RNDN);
        mpfr_set_ui(c, 7, MPFR_RNDN);
        mpfr_log(c, c, MPFR_RNDN);
        mpfr_set_ui(a, 1, MPFR_RNDN);
        mpfr_div_ui(a, a, 3, MPFR_RNDN);
        mpfr_exp(a, a, MPFR_RNDN);
        mpfr_mul(a, a, c, MPFR_RNDN);
        mpfr_add(a, a, b, MPFR_RNDN);
        Render(a, kBig);
    }
    mpfr_clears(a, b, c, (mpfr_ptr) nullptr);
}

// W5: sum(1,1,300,sum(2,1,300,1/(i+j)))
void Mpfr_W5(benchmark::State& state) {
    mpfr_t i, j, t, inner, acc;
    mpfr_inits2(Bits(6), i, j, t, inner, acc, (mpfr_ptr) nullptr);
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
    mpfr_clears(i, j, t, inner, acc, (mpfr_ptr) nullptr);
}

// The same workloads written directly in Arb, with the same text at the end.
slong ArbBits(uint16_t nativeDigits) { return 16 * static_cast<slong>(nativeDigits); }

void ArbRender(const arb_t x, uint16_t digits) {
    const slong n = static_cast<slong>((digits - (digits > 2 ? 2 : 0)) * 16 * 0.30103);
    char* s = arb_get_str(x, n, ARB_STR_NO_RADIUS);
    benchmark::DoNotOptimize(s);
    flint_free(s);
}

class cArbs {
public:
    explicit cArbs(int count) : aCount(count) { aValues = _arb_vec_init(count); }
    ~cArbs() { _arb_vec_clear(aValues, aCount); }
    cArbs(const cArbs&) = delete;
    cArbs& operator=(const cArbs&) = delete;
    arb_ptr operator[](int i) { return aValues + i; }

private:
    int aCount;
    arb_ptr aValues;
};

void Arb_W1(benchmark::State& state) {
    const slong p = ArbBits(6);
    cArbs v(3);
    arb_ptr i = v[0], t = v[1], acc = v[2];
    for (auto _ : state) {
        arb_zero(acc);
        for (arb_one(i); arf_cmp_ui(arb_midref(i), 1000000) <= 0; arb_add_ui(i, i, 1, p)) {
            arb_sqr(t, i, p);
            arb_ui_div(t, 1, t, p);
            arb_add(acc, acc, t, p);
        }
        ArbRender(acc, 6);
    }
}

void Arb_W2(benchmark::State& state) {
    const slong p = ArbBits(6);
    cArbs v(5);
    arb_ptr i = v[0], t = v[1], u = v[2], acc = v[3], rad = v[4];
    for (auto _ : state) {
        flint_cleanup();
        arb_const_pi(rad, p); // pi/180 once, as a careful programmer would
        arb_div_ui(rad, rad, 180, p);
        arb_zero(acc);
        for (arb_one(i); arf_cmp_ui(arb_midref(i), 100000) <= 0; arb_add_ui(i, i, 1, p)) {
            arb_mul(t, i, rad, p);
            arb_sin(t, t, p);
            arb_log(u, i, p);
            arb_mul(t, t, u, p);
            arb_sqrt(u, i, p);
            arb_add(t, t, u, p);
            arb_add(acc, acc, t, p);
        }
        ArbRender(acc, 6);
    }
}

void Arb_W3(benchmark::State& state, int which) {
    cArbs v(1);
    arb_ptr x = v[0];
    for (auto _ : state) {
        flint_cleanup();
        if (which == 0)
            arb_const_pi(x, ArbBits(kBig));
        if (which == 1)
            arb_const_e(x, ArbBits(kBig));
        if (which == 2)
            arb_sqrt_ui(x, 2, ArbBits(kBig));
        ArbRender(x, kBig);
    }
}

void Arb_W4(benchmark::State& state) {
    const slong p = ArbBits(kBig);
    cArbs v(3);
    arb_ptr a = v[0], b = v[1], c = v[2];
    for (auto _ : state) {
        flint_cleanup();
        arb_sqrt_ui(b, 2, p);
        arb_set_ui(c, 1);
        arb_div_ui(c, c, 3, p);
        arb_pow(b, b, c, p);
        arb_log_ui(c, 7, p);
        arb_set_ui(a, 1);
        arb_div_ui(a, a, 3, p);
        arb_exp(a, a, p);
        arb_mul(a, a, c, p);
        arb_add(a, a, b, p);
        ArbRender(a, kBig);
    }
}

void Arb_W5(benchmark::State& state) {
    const slong p = ArbBits(6);
    cArbs v(5);
    arb_ptr i = v[0], j = v[1], t = v[2], inner = v[3], acc = v[4];
    for (auto _ : state) {
        arb_zero(acc);
        for (arb_one(i); arf_cmp_ui(arb_midref(i), 300) <= 0; arb_add_ui(i, i, 1, p)) {
            arb_zero(inner);
            for (arb_one(j); arf_cmp_ui(arb_midref(j), 300) <= 0; arb_add_ui(j, j, 1, p)) {
                arb_add(t, i, j, p);
                arb_ui_div(t, 1, t, p);
                arb_add(inner, inner, t, p);
            }
            arb_add(acc, acc, inner, p);
        }
        ArbRender(acc, 6);
    }
}

void ArbPi(benchmark::State& s) { Arb_W3(s, 0); }
void ArbE(benchmark::State& s) { Arb_W3(s, 1); }
void ArbSqrt2(benchmark::State& s) { Arb_W3(s, 2); }

struct cWorkload {
    const char* name;
    const char* formula;
    uint16_t digits;
    void (*baseline)(benchmark::State&);
    void (*arbBaseline)(benchmark::State&);
    double target; // engine / Arb
};

void Pi(benchmark::State& s) { Mpfr_W3(s, 0); }
void E(benchmark::State& s) { Mpfr_W3(s, 1); }
void Sqrt2(benchmark::State& s) { Mpfr_W3(s, 2); }

const std::vector<cWorkload> kWorkloads = {
    {"W1", "sum(1,1,1000000,1/i^2)", 6, Mpfr_W1, Arb_W1, 1.3},
    {"W2", "sum(1,1,100000,sin(i)*ln(i)+sqrt(i))", 6, Mpfr_W2, Arb_W2, 1.15},
    {"W3-pi", "pi()", kBig, Pi, ArbPi, 1.05},
    {"W3-e", "e()", kBig, E, ArbE, 1.05},
    {"W3-sqrt2", "sqrt(2)", kBig, Sqrt2, ArbSqrt2, 1.05},
    {"W4", "exp(1/3)*ln(7)+sqrt(2)^(1/3)", kBig, Mpfr_W4, Arb_W4, 1.05},
    {"W5", "sum(1,1,300,sum(2,1,300,1/(i+j)))", 6, Mpfr_W5, Arb_W5, 1.3},
};

// Growth: one function at DigitsUse 10 to 9999, engine against Arb at the
// same bits (16 a native digit), both with the text at the end. Arb's caches
// stay warm on both sides (clearing them costs some 0.15 ms, which would
// hide the engine's own share at low precision).
using tArbWork = void (*)(arb_ptr result, arb_ptr scratch, slong bits);

struct cGrowth {
    const char* name;
    const char* formula;
    int16_t angleMode;
    tArbWork arb;
};

const cGrowth kGrowth[] = {
    {"pi", "pi()", 1, [](arb_ptr r, arb_ptr, slong p) { arb_const_pi(r, p); }},
    {"exp", "exp(1/3)", 1,
     [](arb_ptr r, arb_ptr, slong p) {
         arb_set_ui(r, 1);
         arb_div_ui(r, r, 3, p);
         arb_exp(r, r, p);
     }},
    {"ln", "ln(7)", 1, [](arb_ptr r, arb_ptr, slong p) { arb_log_ui(r, 7, p); }},
    {"sin", "sin(1)", 0,
     [](arb_ptr r, arb_ptr, slong p) {
         arb_one(r);
         arb_sin(r, r, p);
     }},
    {"norm", "norm(-1)", 1,
     [](arb_ptr r, arb_ptr t, slong p) { // erfc(1/sqrt(2))/2
         arb_rsqrt_ui(r, 2, p + 32);
         arb_hypgeom_erfc(r, r, p);
         arb_mul_2exp_si(r, r, -1);
         (void)t;
     }},
    {"invnorm", "invnorm(0.3)", 1,
     [](arb_ptr r, arb_ptr t, slong p) { // -sqrt(2) erfcinv(0.6)
         arb_set_ui(r, 3);
         arb_div_ui(r, r, 5, p + 32);
         arb_hypgeom_erfcinv(r, r, p + 32);
         arb_sqrt_ui(t, 2, p + 32);
         arb_mul(r, r, t, p);
         arb_neg(r, r);
     }},
};

constexpr uint16_t kGrowthDigits[] = {10, 100, 1000, 9999};

void RunArbGrowth(benchmark::State& state, tArbWork work, uint16_t digits) {
    cArbs v(2);
    for (auto _ : state) {
        work(v[0], v[1], ArbBits(digits));
        ArbRender(v[0], digits);
    }
}

std::string GrowthName(const cGrowth& g, uint16_t digits, const char* kind) {
    return std::string("G-") + g.name + "/" + std::to_string(digits) + "/" + kind;
}
} // namespace

int main(int argc, char** argv) {
    cFormulaEngine::ProgressIndicator = NoProgress;
    cFormulaEngine::Init();
    for (const cWorkload& w : kWorkloads) {
        benchmark::RegisterBenchmark((std::string(w.name) + "/engine").c_str(),
                                     [w](benchmark::State& s) { RunEngine(s, w.formula, w.digits); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.2);
        if (w.baseline != nullptr)
            benchmark::RegisterBenchmark((std::string(w.name) + "/mpfr").c_str(), w.baseline)
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.2);
        if (w.arbBaseline != nullptr)
            benchmark::RegisterBenchmark((std::string(w.name) + "/arb").c_str(), w.arbBaseline)
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.2);
    }
    for (const cGrowth& g : kGrowth)
        for (uint16_t digits : kGrowthDigits) {
            benchmark::RegisterBenchmark(
                GrowthName(g, digits, "engine").c_str(),
                [g, digits](benchmark::State& s) { RunEngine(s, g.formula, digits, g.angleMode, false); })
                ->Unit(benchmark::kMillisecond)
                ->MinTime(digits >= 9999 ? 0.5 : 0.1);
            benchmark::RegisterBenchmark(GrowthName(g, digits, "arb").c_str(),
                                         [g, digits](benchmark::State& s) { RunArbGrowth(s, g.arb, digits); })
                ->Unit(benchmark::kMillisecond)
                ->MinTime(digits >= 9999 ? 0.5 : 0.1);
        }
    cRatioReporter reporter;
    RunInterleaved(argc, argv, reporter, 5);

    std::printf("\nfastest of 5 repetitions, in random order\n%-10s %10s %10s %10s %11s %8s %11s  %s\n", "workload",
                "engine ms", "mpfr ms", "arb ms", "engine/arb", "target", "engine/mpfr", "formula");
    const auto ms = [&](const cWorkload& w, const char* kind) {
        return reporter.Milliseconds(std::string(w.name) + "/" + kind);
    };
    for (const cWorkload& w : kWorkloads) {
        const double engine = ms(w, "engine"), mpfr = ms(w, "mpfr"), arb = ms(w, "arb");
        if (engine < 0)
            continue;
        if (mpfr <= 0) {
            std::printf("%-10s %10.3f %10s %10s %11s %8s %10s  %s\n", w.name, engine, "-", "-", "-", "-", "-",
                        w.formula);
            continue;
        }
        std::printf("%-10s %10.3f %10.3f %10.3f %10.2fx %7.2fx %10.2fx  %s\n", w.name, engine, mpfr, arb, engine / arb,
                    w.target, engine / mpfr, w.formula);
    }
    std::printf("\ngrowth, engine / Arb at the same bits (engine ms / Arb ms)\n%-14s", "DigitsUse");
    for (uint16_t digits : kGrowthDigits)
        std::printf(" %22u", digits);
    std::printf("\n");
    for (const cGrowth& g : kGrowth) {
        std::printf("%-14s", g.formula);
        for (uint16_t digits : kGrowthDigits) {
            const double engine = reporter.Milliseconds(GrowthName(g, digits, "engine"));
            const double arb = reporter.Milliseconds(GrowthName(g, digits, "arb"));
            if (engine < 0 || arb <= 0)
                std::printf(" %22s", "-");
            else
                std::printf(" %6.2fx (%6.3g/%6.3g)", engine / arb, engine, arb);
        }
        std::printf("\n");
    }
    cFormulaEngine::FreeStatics();
    benchmark::Shutdown();
    return 0;
}
