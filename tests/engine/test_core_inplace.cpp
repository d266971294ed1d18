// SPDX-License-Identifier: GPL-3.0-or-later
// In-place arithmetic of the evaluator gives exactly what the cLongReal
// operators give: values, precision and failures.
#include "cInPlaceArithmetic.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

cLongReal Pow2(long exponent, long sign = 1) {
    cLongReal x;
    mpfr_set_si_2exp(x.mpfr(), sign, exponent, MPFR_RNDN);
    return x;
}

// 1 + 2^-bits, which cancels against -1 down to its last bits.
cLongReal OnePlus(long bits) { return cLongReal(1L) + Pow2(-bits); }

std::vector<cLongReal> Operands() {
    std::vector<cLongReal> v = {
        cLongReal(0L), cLongReal(1L), cLongReal(-1L), cLongReal(3L), cLongReal(-2L),
        cLongReal("0.1"), cLongReal(1L) / cLongReal(3L), cLongReal("1E30"), -cLongReal("1E-30"),
        OnePlus(20), OnePlus(60), OnePlus(90), -OnePlus(60), Pow2(-20), cLongReal("2.5"),
        Pow2(mpfr_get_emax() - 1), Pow2(mpfr_get_emin() + 1), cLongReal("1000000000"),
    };
    cLongReal odd; // a value of another precision than the working one
    mpfr_set_prec(odd.mpfr(), 300);
    mpfr_const_pi(odd.mpfr(), MPFR_RNDN);
    v.push_back(odd);
    return v;
}

// The value, or nothing when the operation throws.
std::optional<cLongReal> Outcome(const std::function<cLongReal()>& f) {
    try {
        return f();
    } catch (const cLongRealError&) {
        return std::nullopt;
    }
}

void ExpectSame(const std::optional<cLongReal>& expected, const std::optional<cLongReal>& actual,
                const std::string& what) {
    ASSERT_EQ(expected.has_value(), actual.has_value()) << what;
    if (!expected)
        return;
    EXPECT_TRUE(mpfr_equal_p(expected->mpfr(), actual->mpfr()) ||
                (mpfr_zero_p(expected->mpfr()) && mpfr_zero_p(actual->mpfr())))
        << what;
    EXPECT_EQ(mpfr_get_prec(expected->mpfr()), mpfr_get_prec(actual->mpfr())) << what;
}

using tInPlace = void (*)(cLongReal&, const cLongReal&, cLongReal&);
using tReference = cLongReal (*)(const cLongReal&, const cLongReal&);

TEST(InPlaceArithmetic, BinaryOperationsMatchTheOperators) {
    cLongReal::Init();
    struct Row {
        const char* name;
        tInPlace inPlace;
        tReference reference;
    };
    const Row rows[] = {
        {"+", inplace::Add, [](const cLongReal& a, const cLongReal& b) { return a + b; }},
        {"-", inplace::Subtract, [](const cLongReal& a, const cLongReal& b) { return a - b; }},
        {"*", inplace::Multiply, [](const cLongReal& a, const cLongReal& b) { return a * b; }},
        {"/", inplace::Divide, [](const cLongReal& a, const cLongReal& b) { return a / b; }},
        {"^", inplace::Power, [](const cLongReal& a, const cLongReal& b) { return power(a, b); }},
    };
    const std::vector<cLongReal> operands = Operands();
    cLongReal spare;
    for (const Row& row : rows) {
        for (size_t i = 0; i < operands.size(); ++i) {
            for (size_t j = 0; j < operands.size(); ++j) {
                const cLongReal& a = operands[i];
                const cLongReal& b = operands[j];
                const auto expected = Outcome([&] { return row.reference(a, b); });
                const auto actual = Outcome([&] {
                    cLongReal left = a;
                    row.inPlace(left, b, spare);
                    return left;
                });
                ExpectSame(expected, actual, std::to_string(i) + row.name + std::to_string(j));
            }
        }
    }
}

TEST(InPlaceArithmetic, UnaryOperationsMatchTheOperators) {
    cLongReal::Init();
    cLongReal spare;
    std::vector<cLongReal> operands = Operands();
    operands.push_back(-OnePlus(90) + Pow2(-200)); // just above -1: +1 cancels
    operands.push_back(cLongReal(-1L));
    for (size_t i = 0; i < operands.size(); ++i) {
        const cLongReal& a = operands[i];
        const auto negated = Outcome([&] {
            cLongReal v = a;
            inplace::Negate(v, spare);
            return v;
        });
        ExpectSame(Outcome([&] { return -a; }), negated, "-" + std::to_string(i));
        const auto incremented = Outcome([&] {
            cLongReal v = a;
            inplace::Increment(v, spare);
            return v;
        });
        ExpectSame(Outcome([&] {
                       cLongReal v = a;
                       ++v;
                       return v;
                   }),
                   incremented, "++" + std::to_string(i));
    }
}

TEST(InPlaceArithmetic, FollowsAChangeOfPrecision) {
    const uint16_t saved = cLongReal::aPrecision;
    cLongReal::Init();
    cLongReal spare;
    cLongReal::aPrecision = 20;
    cLongReal::Init();
    cLongReal left(1L);
    inplace::Divide(left, cLongReal(3L), spare);
    ExpectSame(cLongReal(1L) / cLongReal(3L), left, "1/3 at 320 bits");
    cLongReal::aPrecision = saved;
    cLongReal::Init();
}

} // namespace
