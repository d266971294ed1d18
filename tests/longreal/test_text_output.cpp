// SPDX-License-Identifier: GPL-3.0-or-later
// Rendering under the output settings: digits, bases, exponent thresholds,
// rounding carry and the engineering forms.
#include "LongRealFixture.h"

#include <cstring>

namespace {

struct Output {
    uint16_t base = 10;
    int16_t expHigh = 5;
    uint16_t expLow = 5;
    bool eng = false;
    bool engBinary = false;
};

struct OutputCase {
    const char* value; // a formula-free decimal literal, or "1/3"-style quotient
    Output settings;
    const char* text;
};

cLongReal Value(const std::string& text) {
    const auto slash = text.find('/');
    if (slash == std::string::npos)
        return cLongReal(text.c_str());
    return cLongReal(text.substr(0, slash).c_str()) / cLongReal(text.substr(slash + 1).c_str());
}

void PrintTo(const OutputCase& c, std::ostream* out) {
    *out << c.value << " base " << c.settings.base << " exp " << c.settings.expHigh << " " << c.settings.expLow
         << (c.settings.eng ? (c.settings.engBinary ? " engbin" : " eng") : "");
}

class Rendering : public LongRealTableTest<OutputCase> {};

TEST_P(Rendering, ShowsText) {
    const OutputCase& c = GetParam();
    const cLongReal x = Value(c.value);
    cLongReal::aOutputSystem = c.settings.base;
    cLongReal::aOutputExpHigh = c.settings.expHigh;
    cLongReal::aOutputExpLow = c.settings.expLow;
    cLongReal::aEngOn = c.settings.eng;
    cLongReal::aEngBinary = c.settings.engBinary;
    cLongReal::Init();
    EXPECT_EQ(Text(x), c.text) << c.value;
}

constexpr Output kDefault{};
constexpr Output kBase2{.base = 2};
constexpr Output kBase16{.base = 16};
constexpr Output kBase36{.base = 36};
constexpr Output kNarrow{.expHigh = 2, .expLow = 0};
constexpr Output kEng{.eng = true};
constexpr Output kEngBinary{.expHigh = 2, .expLow = 2, .eng = true, .engBinary = true};

INSTANTIATE_TEST_SUITE_P(
    Decimal, Rendering,
    ::testing::Values(OutputCase{"0", kDefault, "0"}, OutputCase{"-0", kDefault, "0"},
                      OutputCase{"-2.5", kDefault, "-2.5"}, OutputCase{"1/3", kDefault, "0.3333333333333333333"},
                      OutputCase{"2/3", kDefault, "0.6666666666666666667"},
                      // Exponent thresholds: -5 <= k <= 5 positional.
                      OutputCase{"123456", kDefault, "123456"}, OutputCase{"1234567", kDefault, "1.234567E6"},
                      OutputCase{"0.00001", kDefault, "0.00001"}, OutputCase{"0.0000012345", kDefault, "1.2345E-6"},
                      OutputCase{"1E100", kDefault, "1E100"}, OutputCase{"1000", kNarrow, "1E3"},
                      OutputCase{"100", kNarrow, "100"}, OutputCase{"0.5", kNarrow, "5E-1"},
                      OutputCase{"5", Output{.expHigh = -1}, "5E0"},
                      // Rounding to 19 digits carries into a new leading digit.
                      OutputCase{"9.99999999999999999999", kDefault, "10"},
                      OutputCase{"99999.999999999999999999", kDefault, "100000"},
                      OutputCase{"999999.99999999999999999", kDefault, "1E6"},
                      OutputCase{"-0.0000099999999999999999999", kDefault, "-0.00001"},
                      OutputCase{"1.2345678901234567891", kDefault, "1.234567890123456789"},
                      // Engineering: exponents in multiples of 3.
                      OutputCase{"12345678", kEng, "12.345678E6"}, OutputCase{"123456789", kEng, "123.456789E6"},
                      OutputCase{"10000000", kEng, "10E6"}, OutputCase{"0.0000012", kEng, "1.2E-6"},
                      OutputCase{"0.00000012", kEng, "120E-9"}, OutputCase{"-0.000000012", kEng, "-12E-9"},
                      OutputCase{"1234", kEng, "1234"}, OutputCase{"999999999.99999999999999", kEng, "1E9"}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(EngineeringBinary, Rendering,
                         ::testing::Values(OutputCase{"1536", kEngBinary, "1.5*2^10"},
                                           OutputCase{"-1536", kEngBinary, "-1.5*2^10"},
                                           OutputCase{"1048576", kEngBinary, "1*2^20"},
                                           OutputCase{"0.000000953674316406250", kEngBinary, "1*2^-20"},
                                           OutputCase{"0.000001", kEngBinary, "1.048576*2^-20"},
                                           OutputCase{"1023.99999999999999999999", kEngBinary, "1*2^10"},
                                           OutputCase{"12.5", kEngBinary, "12.5"}),
                         CaseName());

INSTANTIATE_TEST_SUITE_P(
    Bases, Rendering,
    ::testing::Values(OutputCase{"5", kBase2, "101"}, OutputCase{"-5.25", kBase2, "-101.01"},
                      OutputCase{"64", kBase2, "1E6"},
                      OutputCase{"1/3", kBase2, "0.01010101010101010101010101010101010101010101010101010101010101011"},
                      OutputCase{"255.5", kBase16, "FF.8"}, OutputCase{"1/3", kBase16, "0.5555555555555555"},
                      OutputCase{"16777216", kBase16, "1@6"}, OutputCase{"0.000000059604644775390625", kBase16, "1@-6"},
                      OutputCase{"1295", kBase36, "ZZ"}, OutputCase{"-35.5", kBase36, "-Z.I"},
                      OutputCase{"2176782336", kBase36, "1@6"}, OutputCase{"1/3", kBase36, "0.C"},
                      // Unusable output bases count as 10.
                      OutputCase{"255", Output{.base = 1}, "255"}, OutputCase{"255", Output{.base = 99}, "255"}),
    CaseName());

using TextOutput = LongRealTest;

TEST_F(TextOutput, DigitCountFollowsPrecisionAndDrop) {
    const struct {
        uint16_t precision, drop;
        const char* text;
    } cases[] = {
        {6, 2, "0.3333333333333333333"}, // 64 bits: 19 digits
        {6, 5, "0.3333"},                // 16 bits: 4 digits
        {6, 6, "0.3333"},                // nothing left: one native digit
        {3, 0, "0.33333333333333"},      // 48 bits: 14 digits
    };
    for (const auto& c : cases) {
        cLongReal::aPrecision = c.precision;
        cLongReal::aOutputDrop = c.drop;
        cLongReal::Init();
        EXPECT_EQ(Text(cLongReal(1L) / cLongReal(3L)), c.text) << c.precision << "/" << c.drop;
    }
}

TEST_F(TextOutput, TextStaysValidUntilNextConversion) {
    const cLongReal x("2.5");
    const cLongReal y("7");
    const char* first = static_cast<const char*>(x);
    const std::string copy = first;
    static_cast<void>(static_cast<const char*>(y));
    EXPECT_STREQ(first, copy.c_str());
}

TEST_F(TextOutput, ManyDigitsRoundCorrectly) {
    cLongReal::aPrecision = 212; // 16 * 210 output bits: 1011 decimal digits
    cLongReal::Init();
    const std::string text = Text(cLongReal(2L) / cLongReal(3L));
    ASSERT_EQ(text.size(), 1013u);
    EXPECT_EQ(text.substr(0, 6), "0.6666");
    EXPECT_EQ(text.substr(1008), "66667");
}

// Fewer proven digits than asked for never look like a shorter exact number:
// proven trailing zeros stay, and digits that end before the point take the
// exponential form.
TEST_F(TextOutput, FewerProvenDigitsKeepTheirZerosAndPlaces) {
    const struct {
        const char* mid;
        slong radiusExponent; // radius 2^e
        const char* text;
    } rows[] = {
        {"1.5", -40, "1.50000000000"},    {"-1.5", -40, "-1.50000000000"},
        {"123.4", -1, "1.2E2"},           {"120000", 10, "1.2E5"},
        {"0.0015", -40, "0.00150000000"}, {"3.25", -200, "3.25"}, // all digits proven: exact-looking is right
    };
    for (const auto& row : rows) {
        cLongReal x(row.mid);
        arb_add_error_2exp_si(x.arb(), row.radiusExponent);
        EXPECT_EQ(Text(x), row.text) << row.mid << " +- 2^" << row.radiusExponent;
    }
}

} // namespace
