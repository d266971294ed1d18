// SPDX-License-Identifier: GPL-3.0-or-later
// Values, arithmetic, comparisons, the internal zero and the settings' effect.
#include "LongRealFixture.h"

#include <climits>
#include <utility>

namespace {

// Runs before any fixture touches the settings (first test of this program).
TEST(BuiltInSettings, EqualTheProgramDefaults) {
    EXPECT_EQ(cLongReal::aPrecision, 6);
    EXPECT_EQ(cLongReal::aOutputDrop, 2);
    EXPECT_EQ(cLongReal::aInputSystemStandard, 10);
    EXPECT_EQ(cLongReal::aOutputSystem, 10);
    EXPECT_EQ(cLongReal::aOutputExpHigh, 5);
    EXPECT_EQ(cLongReal::aOutputExpLow, 5);
    EXPECT_EQ(cLongReal::aNativeEpsExponent, 2);
    EXPECT_FALSE(cLongReal::aEngOn);
    EXPECT_FALSE(cLongReal::aEngBinary);
    EXPECT_EQ(cLongReal::aAngleMode, 1);
    EXPECT_EQ(cLongReal::WorkingBits(), 96); // usable before Init()
    EXPECT_EQ(Text(cLongReal(1L) / cLongReal(3L)), "0.3333333333333333333");
}

using Arithmetic = LongRealTest;

TEST_F(Arithmetic, ConstructionAndCopies) {
    EXPECT_EQ(Text(cLongReal()), "0");
    EXPECT_EQ(Text(cLongReal(-3L)), "-3");
    EXPECT_EQ(Text(cLongReal(LONG_MAX)), "9.223372036854775807E18");

    cLongReal a("2.5");
    cLongReal b(a);
    cLongReal c(std::move(a));
    cLongReal d;
    d = b;
    cLongReal e;
    e = std::move(c);
    const cLongReal& alias = b;
    b = alias; // self-assignment keeps the value
    EXPECT_EQ(Text(b), "2.5");
    EXPECT_EQ(Text(d), "2.5");
    EXPECT_EQ(Text(e), "2.5");
    d = cLongReal(7L);
    EXPECT_EQ(Text(b), "2.5"); // copies are independent
}

TEST_F(Arithmetic, Operators) {
    const cLongReal two(2L), three(3L);
    EXPECT_EQ(Text(two + three), "5");
    EXPECT_EQ(Text(two - three), "-1");
    EXPECT_EQ(Text(two * three), "6");
    EXPECT_EQ(Text(two / three), "0.6666666666666666667");
    EXPECT_EQ(Text(-two), "-2");
    cLongReal x(2L);
    x += three;
    EXPECT_EQ(Text(x), "5");
    x *= three;
    EXPECT_EQ(Text(x), "15");
    EXPECT_EQ(Text(++x), "16");
    EXPECT_EQ(Text(x), "16");
}

TEST_F(Arithmetic, DivisionByZeroThrows) {
    try {
        cLongReal(1L) / cLongReal(0L);
        FAIL() << "no exception";
    } catch (const cLongRealError& error) {
        EXPECT_STREQ(error.what(), "division by zero");
    }
    EXPECT_THROW(cLongReal(0L) / cLongReal(0L), cLongRealError);
}

TEST_F(Arithmetic, OverflowThrows) {
    // The range ends at binary exponents of +-2^40 (about 10^(3.3E11)).
    const cLongReal huge("1E200000000000");
    EXPECT_THROW(huge * huge, cLongRealError);
    EXPECT_THROW(huge / cLongReal("1E-200000000000"), cLongRealError);
    cLongReal x(huge);
    EXPECT_THROW(x *= huge, cLongRealError);
    EXPECT_EQ(Text(x), "1E200000000000"); // unchanged after the failure
    EXPECT_EQ(Text(cLongReal("1E300000000") * cLongReal("1E300000000")), "1E600000000");
    EXPECT_EQ(Text(cLongReal("1E-200000000000") / huge), "0"); // underflow
}

TEST_F(Arithmetic, ComparisonsAreExact) {
    const cLongReal one(1L);
    const cLongReal almost = one - cLongReal("1E-28");
    EXPECT_TRUE(one == cLongReal("1.0"));
    EXPECT_FALSE(one == almost);
    EXPECT_TRUE(almost <= one);
    EXPECT_FALSE(one <= almost);
    EXPECT_TRUE(one <= one);
    EXPECT_TRUE(cLongReal(0L) == -cLongReal(0L));
}

TEST_F(Arithmetic, ConversionToLongClampsToThirtyTwoBits) {
    const struct {
        const char* value;
        long expected;
    } cases[] = {
        {"0", 0},
        {"-17", -17},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"1E30", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-1E30", INT32_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(static_cast<long>(cLongReal(c.value)), c.expected) << c.value;
}

// Internal zero: results below 2^(-16 (P - n)) of the larger operand are noise.
TEST_F(Arithmetic, CancellationNoiseBecomesZero) {
    const cLongReal root = sqrt(cLongReal(2L));
    EXPECT_TRUE(root * root - cLongReal(2L) == cLongReal(0L));
    EXPECT_TRUE(cLongReal("0.1") + cLongReal("0.2") - cLongReal("0.3") == cLongReal(0L));
    EXPECT_EQ(Text(cLongReal(1L) - cLongReal("0.9999999999")), "1E-10");
    EXPECT_EQ(Text(cLongReal("1E-30") + cLongReal("2E-30")), "3E-30"); // small values are not noise

    // Exact differences are never noise: 1 - 2^-90 is exact, so ++x and
    // x += 1 of its negative leave 2^-90.
    const cLongReal tiny = power(cLongReal(2L), cLongReal(-90L));
    const cLongReal nearlyOne = cLongReal(1L) - tiny;
    cLongReal x = -nearlyOne;
    ++x;
    EXPECT_TRUE(x == tiny);
    cLongReal y = -nearlyOne;
    y += cLongReal(1L);
    EXPECT_TRUE(y == tiny);
    EXPECT_EQ(Text(power(cLongReal(2L), cLongReal(70L)) + cLongReal(3L) - power(cLongReal(2L), cLongReal(70L))), "3");
}

// 1 +- 2^-r: a ball that only the internal zero can tell from 1.
cLongReal OneWithin(long r) {
    cLongReal x(1L);
    mag_set_ui_2exp_si(arb_radref(x.arb()), 1, -r);
    return x;
}

TEST_F(Arithmetic, CancellationRuleFollowsSetting) {
    const cLongReal root = sqrt(cLongReal(2L));
    EXPECT_EQ(Text(OneWithin(70) - cLongReal(1L)), "0"); // within 2^-64
    EXPECT_EQ(Text(OneWithin(20) - cLongReal(1L)), "?"); // proves no digit

    cLongReal::aNativeEpsExponent = 0; // nothing counts as zero that is not
    cLongReal::Init();
    EXPECT_THROW((void)(root * root - cLongReal(2L) == cLongReal(0L)), cLongRealError);
    EXPECT_THROW(cLongReal(1L) / (root * root - cLongReal(2L)), cLongRealError);

    cLongReal::aNativeEpsExponent = 9; // counts as aPrecision - 1: threshold 2^-16
    cLongReal::Init();
    EXPECT_EQ(Text(OneWithin(20) - cLongReal(1L)), "0");
    EXPECT_EQ(Text(OneWithin(12) - cLongReal(1L)), "?");
    EXPECT_EQ(Text(cLongReal(1L) - cLongReal("0.99999")), "0.00001"); // a proven difference stays
}

TEST_F(Arithmetic, InitReappliesSettings) {
    EXPECT_EQ(cLongReal::WorkingBits(), 96);
    cLongReal::aPrecision = 10;
    cLongReal::Init();
    EXPECT_EQ(cLongReal::WorkingBits(), 160);
    EXPECT_GE(arb_rel_accuracy_bits(pi().arb()), 155);
    EXPECT_LE(arb_rel_accuracy_bits(pi().arb()), 161);

    cLongReal::aPrecision = 0; // counts as one native digit
    cLongReal::Init();
    EXPECT_EQ(cLongReal::WorkingBits(), 16);
    EXPECT_EQ(Text(cLongReal(1L) / cLongReal(3L)), "0.3333");

    RestoreDefaultSettings();
    EXPECT_EQ(cLongReal::WorkingBits(), 96);
}

} // namespace
