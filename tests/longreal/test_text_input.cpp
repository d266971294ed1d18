// SPDX-License-Identifier: GPL-3.0-or-later
// Number text in the input base: accepted forms, rejected forms, rounding.
#include "LongRealFixture.h"

#include <flint/fmpq.h>
#include <flint/ulong_extras.h>

#include <string>

namespace {

struct InputCase {
    uint16_t base;
    const char* text;
    const char* value; // rendered in base 10
};

void PrintTo(const InputCase& c, std::ostream* out) { *out << '"' << c.text << "\" in base " << c.base; }

class AcceptedText : public LongRealTableTest<InputCase> {};

TEST_P(AcceptedText, ReadsValue) {
    const InputCase& c = GetParam();
    cLongReal::aInputSystemStandard = c.base;
    cLongReal::Init();
    EXPECT_EQ(Text(cLongReal(c.text)), c.value) << c.text << " in base " << c.base;
}

INSTANTIATE_TEST_SUITE_P(
    Bases, AcceptedText,
    ::testing::Values(InputCase{10, "0", "0"}, InputCase{10, "007", "7"}, InputCase{10, "2.5", "2.5"},
                      InputCase{10, ".5", "0.5"}, InputCase{10, "5.", "5"}, InputCase{10, "1.5E3", "1500"},
                      InputCase{10, "1E0", "1"}, InputCase{10, "25E-3", "0.025"}, InputCase{10, "1E+2", "100"},
                      InputCase{10, "-2.5", "-2.5"}, InputCase{10, "0E999999999999", "0"},
                      InputCase{10, "1E-999999999999", "0"},
                      InputCase{10, "12345678901234567890123", "1.234567890123456789E22"}, InputCase{2, "101.1", "5.5"},
                      InputCase{2, "1E3", "8"}, // the exponent is decimal
                      InputCase{14, "D", "13"}, InputCase{14, "1E2", "196"}, InputCase{15, "1E", "29"},
                      InputCase{16, "FF.8", "255.5"}, InputCase{16, "1E", "30"}, InputCase{36, "ZZ", "1295"},
                      InputCase{36, "Z.I", "35.5"},
                      // Unusable bases count as 10.
                      InputCase{0, "19", "19"}, InputCase{1, "19", "19"}, InputCase{37, "19", "19"}),
    CaseName());

struct BadCase {
    uint16_t base;
    const char* text;
};

void PrintTo(const BadCase& c, std::ostream* out) { *out << '"' << c.text << "\" in base " << c.base; }

class RejectedText : public LongRealTableTest<BadCase> {};

TEST_P(RejectedText, Throws) {
    const BadCase& c = GetParam();
    cLongReal::aInputSystemStandard = c.base;
    cLongReal::Init();
    EXPECT_THROW(cLongReal{c.text}, cLongRealError) << '"' << c.text << "\" in base " << c.base;
}

INSTANTIATE_TEST_SUITE_P(Bases, RejectedText,
                         ::testing::Values(BadCase{10, ""}, BadCase{10, "."}, BadCase{10, "1.2.3"}, BadCase{10, "2X"},
                                           BadCase{10, "1E"}, BadCase{10, "1E-"}, BadCase{10, "1,2"}, BadCase{10, "E"},
                                           BadCase{10, "1e5"}, BadCase{10, "1E5.5"}, BadCase{10, "1E2E3"},
                                           BadCase{10, "--1"}, BadCase{10, "-"}, BadCase{10, " 1"}, BadCase{10, "1 "},
                                           BadCase{10, "inf"}, BadCase{10, "nan"}, BadCase{10, "2(3)"},
                                           BadCase{10, "A"}, BadCase{10, "1E999999999999"},
                                           BadCase{10, "9E1000000000000"}, BadCase{2, "2"}, BadCase{2, "12"},
                                           BadCase{16, "G"}, BadCase{16, "ff"}, BadCase{16, "0x1F"}, BadCase{16, "1P3"},
                                           BadCase{36, "a"}, BadCase{36, "1@2"}, BadCase{37, "A"}),
                         CaseName());

using TextInput = LongRealTest;

TEST_F(TextInput, ErrorNamesTheText) {
    try {
        cLongReal x("2X");
        FAIL() << "no exception";
    } catch (const cLongRealError& error) {
        EXPECT_STREQ(error.what(), "invalid number 2X");
    }
}

// Literals keep the bits of the last recomputation pass (4x the working bits).
TEST_F(TextInput, KeepsTheBitsOfTheHighestPass) {
    EXPECT_TRUE(cLongReal("0.1") == cLongReal(1L) / cLongReal(10L));
    EXPECT_TRUE(cLongReal("3.14159265358979323846264338327950288419716939937510") == pi());
    const slong accuracy = arb_rel_accuracy_bits(cLongReal("0.1").arb());
    EXPECT_GE(accuracy, 4 * 96 - 2);
    EXPECT_LE(accuracy, 4 * 96 + 2);
    EXPECT_TRUE(cLongReal("123456789012345678901234567890").IsExact());
    EXPECT_TRUE(cLongReal("0.5").IsExact());
    EXPECT_TRUE(cLongReal("1E100").IsExact()); // 333 bits fit the 384 of a literal
    EXPECT_TRUE(cLongReal("1E200").IsExact()); // beyond them: exact while within the size rule
    EXPECT_FALSE(cLongReal("1E3000").IsExact());
}

// Digits beyond what the last pass uses become a radius: for random long
// literals in several bases, the ball holds the exact value of the whole text
// and is as narrow as the literal's bits.
TEST_F(TextInput, LongLiteralsHoldTheirExactValue) {
    flint_rand_t state;
    flint_randinit(state);
    for (const int base : {10, 2, 7, 16}) {
        cLongReal::aInputSystemStandard = static_cast<uint16_t>(base);
        cLongReal::Init();
        for (int round = 0; round < 60; ++round) {
            const size_t length = 100 + n_randint(state, 3000);
            const size_t point = n_randint(state, length + 1);
            std::string digits;
            for (size_t i = 0; i < length; ++i) {
                // Runs of zeros now and then, so that the digits left out are sometimes all 0.
                const bool zero = i > length / 2 && round % 3 == 0;
                digits += "0123456789ABCDEF"[zero ? 0 : n_randint(state, static_cast<ulong>(base))];
            }
            const std::string text = digits.substr(0, point) + "." + digits.substr(point);
            fmpz_t whole, scale;
            fmpz_init(whole);
            fmpz_init(scale);
            fmpz_set_str(whole, digits.c_str(), base);
            fmpz_ui_pow_ui(scale, static_cast<ulong>(base), length - point);
            fmpq_t exact;
            fmpq_init(exact);
            fmpq_set_fmpz_frac(exact, whole, scale);
            const cLongReal x(text.c_str());
            EXPECT_TRUE(arb_contains_fmpq(x.arb(), exact)) << text << " in base " << base;
            if (!fmpz_is_zero(whole)) {
                EXPECT_GE(arb_rel_accuracy_bits(x.arb()), 4 * 96 - 4) << text;
            }
            fmpq_clear(exact);
            fmpz_clear(scale);
            fmpz_clear(whole);
        }
    }
    flint_randclear(state);
}

TEST_F(TextInput, NullTextThrows) { EXPECT_THROW(cLongReal{static_cast<const char*>(nullptr)}, cLongRealError); }

} // namespace
