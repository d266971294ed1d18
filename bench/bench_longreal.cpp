// SPDX-License-Identifier: GPL-3.0-or-later
// cLongReal on its own against the same work written directly in MPFR:
// short-lived values in a loop, text of 48,000 digits both ways, degree sines.
#include "cLongReal.h"
#include "cLongRealDefaults.h"

#include <benchmark/benchmark.h>
#include <mpfr.h>

#include <string>

namespace {

void UsePrecision(uint16_t nativeDigits) {
    cLongReal::aPrecision = nativeDigits;
    cLongReal::aOutputDrop = cLongRealDefaults::kOutputDrop;
    cLongReal::aAngleMode = cLongRealDefaults::kAngleMode;
    cLongReal::Init();
}

constexpr long kTerms = 100000;

// sum of 1/i^2 with a fresh value for every intermediate result
void Sum_Library(benchmark::State& state) {
    UsePrecision(6);
    const cLongReal one(1L), two(2L), last(kTerms);
    for (auto _ : state) {
        cLongReal sum(0L);
        for (cLongReal i(1L); i <= last; ++i)
            sum += one / power(i, two);
        benchmark::DoNotOptimize(sum.arb());
    }
}

void Sum_Mpfr(benchmark::State& state) {
    mpfr_t i, t, sum;
    mpfr_inits2(96, i, t, sum, static_cast<mpfr_ptr>(nullptr));
    for (auto _ : state) {
        mpfr_set_ui(sum, 0, MPFR_RNDN);
        for (mpfr_set_ui(i, 1, MPFR_RNDN); mpfr_cmp_si(i, kTerms) <= 0; mpfr_add_ui(i, i, 1, MPFR_RNDN)) {
            mpfr_pow_si(t, i, 2, MPFR_RNDN);
            mpfr_ui_div(t, 1, t, MPFR_RNDN);
            mpfr_add(sum, sum, t, MPFR_RNDN);
        }
        benchmark::DoNotOptimize(sum);
    }
    mpfr_clears(i, t, sum, static_cast<mpfr_ptr>(nullptr));
}

// copies and moves of values, as containers and return values make them
void CopyMove_Library(benchmark::State& state) {
    UsePrecision(6);
    const cLongReal x("1.5");
    for (auto _ : state) {
        cLongReal a(x);
        cLongReal b(std::move(a));
        a = b;
        b = std::move(a);
        benchmark::DoNotOptimize(b.arb());
    }
}

void Render_Library(benchmark::State& state) {
    UsePrecision(9999);
    const cLongReal x = pi();
    for (auto _ : state) {
        const cLongReal copy = x; // a fresh value renders anew
        benchmark::DoNotOptimize(static_cast<const char*>(copy));
    }
}

void Render_Mpfr(benchmark::State& state) {
    UsePrecision(9999);
    mpfr_t x;
    mpfr_init2(x, cLongReal::WorkingBits());
    mpfr_const_pi(x, MPFR_RNDN);
    for (auto _ : state) {
        mpfr_exp_t exponent;
        char* digits = mpfr_get_str(nullptr, &exponent, 10, 48150, x, MPFR_RNDN);
        benchmark::DoNotOptimize(digits);
        mpfr_free_str(digits);
    }
    mpfr_clear(x);
}

std::string DigitText() {
    std::string text = "3.";
    for (int k = 0; text.size() < 48000; ++k)
        text += static_cast<char>('0' + (k * 7 + 3) % 10);
    return text;
}

void Parse_Library(benchmark::State& state) {
    UsePrecision(9999);
    const std::string text = DigitText();
    for (auto _ : state) {
        cLongReal x(text.c_str());
        benchmark::DoNotOptimize(x.arb());
    }
}

void Parse_Mpfr(benchmark::State& state) {
    UsePrecision(9999);
    const std::string text = DigitText();
    mpfr_t x;
    mpfr_init2(x, cLongReal::WorkingBits());
    for (auto _ : state) {
        mpfr_set_str(x, text.c_str(), 10, MPFR_RNDN);
        benchmark::DoNotOptimize(x);
    }
    mpfr_clear(x);
}

constexpr long kAngles = 10000;

void SinDegrees_Library(benchmark::State& state) {
    UsePrecision(6);
    for (auto _ : state) {
        cLongReal sum(0L);
        for (long k = 1; k <= kAngles; ++k)
            sum += sin(cLongReal(k));
        benchmark::DoNotOptimize(sum.arb());
    }
}

void SinDegrees_Mpfr(benchmark::State& state) {
    mpfr_t x, rad, sum;
    mpfr_inits2(96, x, rad, sum, static_cast<mpfr_ptr>(nullptr));
    for (auto _ : state) {
        mpfr_const_pi(rad, MPFR_RNDN);
        mpfr_div_ui(rad, rad, 180, MPFR_RNDN);
        mpfr_set_ui(sum, 0, MPFR_RNDN);
        for (long k = 1; k <= kAngles; ++k) {
            mpfr_set_si(x, k % 360, MPFR_RNDN);
            mpfr_mul(x, x, rad, MPFR_RNDN);
            mpfr_sin(x, x, MPFR_RNDN);
            mpfr_add(sum, sum, x, MPFR_RNDN);
        }
        benchmark::DoNotOptimize(sum);
    }
    mpfr_clears(x, rad, sum, static_cast<mpfr_ptr>(nullptr));
}

} // namespace

BENCHMARK(Sum_Library)->Unit(benchmark::kMillisecond);
BENCHMARK(Sum_Mpfr)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyMove_Library);
BENCHMARK(Render_Library)->Unit(benchmark::kMillisecond);
BENCHMARK(Render_Mpfr)->Unit(benchmark::kMillisecond);
BENCHMARK(Parse_Library)->Unit(benchmark::kMillisecond);
BENCHMARK(Parse_Mpfr)->Unit(benchmark::kMillisecond);
BENCHMARK(SinDegrees_Library)->Unit(benchmark::kMillisecond);
BENCHMARK(SinDegrees_Mpfr)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
