// SPDX-License-Identifier: GPL-3.0-or-later
// Compound assignments (in place, as the evaluator uses them) give exactly
// what the operators give: balls and failures; a failure leaves the value.
#include "cLongReal.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

cLongReal Pow2(long exponent, long sign = 1) {
    cLongReal x;
    arb_set_si(x.arb(), sign);
    arb_mul_2exp_si(x.arb(), x.arb(), exponent);
    return x;
}

// 1 + 2^-bits, which cancels against -1 down to its last bits.
cLongReal OnePlus(long bits) { return cLongReal(1L) + Pow2(-bits); }

std::vector<cLongReal> Operands() {
    std::vector<cLongReal> v = {
        cLongReal(0L),
        cLongReal(1L),
        cLongReal(-1L),
        cLongReal(3L),
        cLongReal(-2L),
        cLongReal("0.1"),
        cLongReal(1L) / cLongReal(3L),
        cLongReal("1E30"),
        -cLongReal("1E-30"),
        OnePlus(20),
        OnePlus(60),
        OnePlus(90),
        -OnePlus(60),
        Pow2(-20),
        cLongReal("2.5"),
        Pow2((1L << 40) - 1),
        Pow2(-(1L << 40) + 1),
        cLongReal("1000000000"),
    };
    cLongReal wide; // a ball with more bits than the working precision
    arb_const_pi(wide.arb(), 300);
    v.push_back(wide);
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
    EXPECT_TRUE(arb_equal(expected->arb(), actual->arb())) << what;
}

using tInPlace = void (*)(cLongReal&, const cLongReal&);
using tReference = cLongReal (*)(const cLongReal&, const cLongReal&);

TEST(CompoundAssignment, BinaryOperationsMatchTheOperators) {
    cLongReal::Init();
    struct Row {
        const char* name;
        tInPlace inPlace;
        tReference reference;
    };
    const Row rows[] = {
        {"+", [](cLongReal& a, const cLongReal& b) { a += b; },
         [](const cLongReal& a, const cLongReal& b) { return a + b; }},
        {"-", [](cLongReal& a, const cLongReal& b) { a -= b; },
         [](const cLongReal& a, const cLongReal& b) { return a - b; }},
        {"*", [](cLongReal& a, const cLongReal& b) { a *= b; },
         [](const cLongReal& a, const cLongReal& b) { return a * b; }},
        {"/", [](cLongReal& a, const cLongReal& b) { a /= b; },
         [](const cLongReal& a, const cLongReal& b) { return a / b; }},
    };
    // Outside a pass, and in an exact pass where rationals stay exact.
    for (const bool exact : {false, true}) {
        std::optional<cLongRealPass> pass;
        if (exact)
            pass.emplace(384, cLongRealPass::dkLast, true);
        const std::vector<cLongReal> operands = Operands();
        for (const Row& row : rows) {
            for (size_t i = 0; i < operands.size(); ++i) {
                for (size_t j = 0; j < operands.size(); ++j) {
                    const cLongReal& a = operands[i];
                    const cLongReal& b = operands[j];
                    const auto expected = Outcome([&] { return row.reference(a, b); });
                    cLongReal left = a;
                    const auto actual = Outcome([&] {
                        row.inPlace(left, b);
                        return left;
                    });
                    ExpectSame(expected, actual, std::to_string(i) + row.name + std::to_string(j));
                    if (!actual) {
                        EXPECT_TRUE(arb_equal(left.arb(), a.arb())) << "changed by a failure: " << i << row.name << j;
                    }
                }
                cLongReal self = operands[i]; // both operands one value
                const auto aliased = Outcome([&] {
                    row.inPlace(self, self);
                    return self;
                });
                ExpectSame(Outcome([&] { return row.reference(operands[i], operands[i]); }), aliased,
                           std::to_string(i) + row.name + "itself");
            }
        }
    }
}

// Only a last pass at full depth lets the internal zero decide; one cut short
// by the time budget fails instead, and a refining pass asks for more bits.
TEST(CompoundAssignment, OnlyALastPassAtFullDepthTakesATinyBallForZero) {
    cLongReal::Init();
    auto cancelled = [] { return power(sqrt(cLongReal(2L)), cLongReal(2L)) - cLongReal(2L); };
    {
        cLongRealPass pass(192, cLongRealPass::dkLast, true);
        EXPECT_STREQ(static_cast<const char*>(Settled(cancelled())), "0");
        EXPECT_THROW(cLongReal(1L) / cancelled(), cLongRealError);
    }
    {
        cLongRealPass pass(192, cLongRealPass::dkLastShort, true);
        const cLongReal d = cancelled();
        EXPECT_FALSE(arb_is_zero(d.arb())); // not taken for 0
        try {
            Settled(d);
            ADD_FAILURE() << "a tiny ball settled in a short last pass";
        } catch (const cLongRealError& e) {
            EXPECT_STREQ(e.what(), "cannot decide whether this is 0 at this precision; ask for more digits");
        }
        EXPECT_THROW(cLongReal(1L) / d, cLongRealError);
    }
    {
        cLongRealPass pass(192, cLongRealPass::dkRefining, true);
        EXPECT_THROW(cLongReal(1L) / cancelled(), cLongRealUndecided);
        EXPECT_STREQ(static_cast<const char*>(cLongReal("0.1") + cLongReal("0.2") - cLongReal("0.3")), "0");
    }
}

TEST(CompoundAssignment, IncrementIsExactForWholeNumbersOfAnySize) {
    cLongReal::Init();
    for (const char* text : {"0", "-1", "1E28", "1E29", "123456789012345678901234567890123456789"}) {
        cLongReal x(text);
        const cLongReal before = x;
        ++x;
        EXPECT_TRUE(x.IsExact()) << text;
        EXPECT_FALSE(x == before) << text;
        EXPECT_TRUE(x - before == cLongReal(1L)) << text;
    }
    cLongReal third = cLongReal(1L) / cLongReal(3L);
    ++third;
    EXPECT_STREQ(static_cast<const char*>(third), "1.333333333333333333");
}

} // namespace
