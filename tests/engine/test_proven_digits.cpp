// SPDX-License-Identifier: GPL-3.0-or-later
// Every digit shown is right: formulas that cancel, or sit near a point where
// a function loses accuracy, evaluated through the engine at the default
// settings and rendered in every base, against the same value computed
// independently with MPFR at 4,000 or 16,000 bits.
#include "cFormulaEngine.h"
#include "cLongRealDefaults.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <cctype>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

// 4,000 bits, or 16,000 for the formulas beyond 4x the working bits.
mpfr_prec_t gReferenceBits = 4000;

class cRef {
public:
    cRef() { mpfr_init2(aValue, gReferenceBits); }
    ~cRef() { mpfr_clear(aValue); }
    cRef(const cRef&) = delete;
    cRef& operator=(const cRef&) = delete;
    operator mpfr_ptr() { return aValue; }

private:
    mpfr_t aValue;
};

// 10^e, exactly or nearly so.
void PowerOfTen(mpfr_ptr out, long e) {
    mpfr_set_ui(out, 10, MPFR_RNDN);
    mpfr_pow_si(out, out, e, MPFR_RNDN);
}

// x degrees in radians.
void Degrees(mpfr_ptr out, mpfr_srcptr x) {
    cRef pi;
    mpfr_const_pi(pi, MPFR_RNDN);
    mpfr_mul(out, x, pi, MPFR_RNDN);
    mpfr_div_ui(out, out, 180, MPFR_RNDN);
}

struct cRow {
    std::string formula;
    std::function<void(mpfr_ptr)> reference;
};

std::string Format(const char* pattern, long a, long b = 0, long c = 0) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

// The rows: a template each, with random parameters.
std::vector<cRow> Rows(int count) {
    std::mt19937 random(20261207);
    auto pick = [&](long lo, long hi) { return std::uniform_int_distribution<long>(lo, hi)(random); };
    const std::string piDigits = "3."
                                 "1415926535897932384626433832795028841971693993751058209749445923078164062862089986280"
                                 "3482534211706798214808651";
    std::vector<cRow> rows;
    for (int i = 0; static_cast<int>(rows.size()) < count; ++i) {
        switch (i % 16) {
        case 0: {
            const long e = pick(1, 60);
            rows.push_back({Format("(1+10^(-%ld))-1", e), [e](mpfr_ptr r) { PowerOfTen(r, -e); }});
            break;
        }
        case 1: {
            const long e = pick(60, 300), c = pick(1, 999);
            rows.push_back({Format("(2^%ld+%ld)-2^%ld", e, c, e), [c](mpfr_ptr r) { mpfr_set_si(r, c, MPFR_RNDN); }});
            break;
        }
        case 2: {
            const long e = pick(5, 60);
            rows.push_back({Format("ln(1+10^(-%ld))", e), [e](mpfr_ptr r) {
                                PowerOfTen(r, -e);
                                mpfr_log1p(r, r, MPFR_RNDN);
                            }});
            break;
        }
        case 3: {
            const long e = pick(5, 60);
            rows.push_back({Format("arctanh(1-10^(-%ld))", e), [e](mpfr_ptr r) {
                                PowerOfTen(r, -e);
                                mpfr_ui_sub(r, 1, r, MPFR_RNDN);
                                mpfr_atanh(r, r, MPFR_RNDN);
                            }});
            break;
        }
        case 4: {
            const long e = pick(10, 60), c = pick(1, 99);
            rows.push_back(
                {Format("exp(ln(10^%ld+%ld))-10^%ld", e, c, e), [c](mpfr_ptr r) { mpfr_set_si(r, c, MPFR_RNDN); }});
            break;
        }
        case 5: {
            const long e = pick(3, 40);
            rows.push_back({Format("sqrt((10^%ld)^2+1)-10^%ld", e, e), [e](mpfr_ptr r) {
                                cRef x;
                                PowerOfTen(x, e);
                                mpfr_sqr(r, x, MPFR_RNDN);
                                mpfr_add_ui(r, r, 1, MPFR_RNDN);
                                mpfr_sqrt(r, r, MPFR_RNDN);
                                mpfr_sub(r, r, x, MPFR_RNDN);
                            }});
            break;
        }
        case 6: {
            const long e = pick(1, 60);
            rows.push_back({Format("sin(180-10^(-%ld))", e), [e](mpfr_ptr r) {
                                PowerOfTen(r, -e);
                                Degrees(r, r);
                                mpfr_sin(r, r, MPFR_RNDN);
                            }});
            break;
        }
        case 7: {
            const long a = pick(0, 359), b = pick(1, 999999);
            rows.push_back({Format("cos(%ld.%06ld)", a, b), [a, b](mpfr_ptr r) {
                                cRef f;
                                mpfr_set_si(r, a * 1000000 + b, MPFR_RNDN);
                                mpfr_div_ui(r, r, 1000000, MPFR_RNDN);
                                Degrees(r, r);
                                mpfr_cos(r, r, MPFR_RNDN);
                            }});
            break;
        }
        case 8: {
            const long k = pick(5, 90);
            const std::string cut = piDigits.substr(0, static_cast<size_t>(k) + 2);
            rows.push_back({"pi()-" + cut, [cut](mpfr_ptr r) {
                                cRef c;
                                mpfr_set_str(c, cut.c_str(), 10, MPFR_RNDN);
                                mpfr_const_pi(r, MPFR_RNDN);
                                mpfr_sub(r, r, c, MPFR_RNDN);
                            }});
            break;
        }
        case 9: {
            const long x = pick(1, 37);
            rows.push_back({Format("norm(-%ld)", x), [x](mpfr_ptr r) {
                                cRef s;
                                mpfr_sqrt_ui(s, 2, MPFR_RNDN);
                                mpfr_set_si(r, x, MPFR_RNDN);
                                mpfr_div(r, r, s, MPFR_RNDN);
                                mpfr_erfc(r, r, MPFR_RNDN);
                                mpfr_div_2ui(r, r, 1, MPFR_RNDN);
                            }});
            break;
        }
        case 10: {
            const long a = pick(-999999, 999999), b = pick(1, 999999);
            rows.push_back({a < 0 ? Format("-%ld/%ld", -a, b) : Format("%ld/%ld", a, b), [a, b](mpfr_ptr r) {
                                mpfr_set_si(r, a, MPFR_RNDN);
                                mpfr_div_si(r, r, b, MPFR_RNDN);
                            }});
            break;
        }
        case 11: {
            const long a = pick(1, 99), b = pick(1, 999), c = pick(-40, 40);
            rows.push_back({c < 0 ? Format("%ld.%03ld^(-%ld)", a, b, -c) : Format("%ld.%03ld^%ld", a, b, c),
                            [a, b, c](mpfr_ptr r) {
                                mpfr_set_si(r, a * 1000 + b, MPFR_RNDN);
                                mpfr_div_ui(r, r, 1000, MPFR_RNDN);
                                mpfr_pow_si(r, r, c, MPFR_RNDN);
                            }});
            break;
        }
        case 12: {
            const long e = pick(1, 20);
            rows.push_back({Format("1-cos(10^(-%ld))", e), [e](mpfr_ptr r) {
                                PowerOfTen(r, -e);
                                Degrees(r, r);
                                mpfr_cos(r, r, MPFR_RNDN);
                                mpfr_ui_sub(r, 1, r, MPFR_RNDN);
                            }});
            break;
        }
        case 13: {
            const long e = pick(1, 50);
            rows.push_back({Format("tan(90-10^(-%ld))", e), [e](mpfr_ptr r) {
                                PowerOfTen(r, -e);
                                Degrees(r, r);
                                mpfr_cot(r, r, MPFR_RNDN);
                            }});
            break;
        }
        case 14: {
            // Whole angles of either size: reduced in words below 2^62, exactly beyond.
            const long n = pick(-(1L << 62) - 9999, (1L << 62) + 9999) / (i % 3 == 0 ? 1L << 40 : 1);
            const long m = pick(-99999, 99999);
            rows.push_back({Format("sin(%ld)*cos(%ld)", n, m), [n, m](mpfr_ptr r) {
                                cRef c;
                                mpfr_set_si(r, n % 360, MPFR_RNDN);
                                Degrees(r, r);
                                mpfr_sin(r, r, MPFR_RNDN);
                                mpfr_set_si(c, m % 360, MPFR_RNDN);
                                Degrees(c, c);
                                mpfr_cos(c, c, MPFR_RNDN);
                                mpfr_mul(r, r, c, MPFR_RNDN);
                            }});
            break;
        }
        default: {
            const long e = pick(2, 60);
            rows.push_back({Format("arcsin(1-10^(-%ld))", e), [e](mpfr_ptr r) {
                                cRef pi;
                                PowerOfTen(r, -e);
                                mpfr_ui_sub(r, 1, r, MPFR_RNDN);
                                mpfr_asin(r, r, MPFR_RNDN);
                                mpfr_const_pi(pi, MPFR_RNDN);
                                mpfr_mul_ui(r, r, 180, MPFR_RNDN);
                                mpfr_div(r, r, pi, MPFR_RNDN);
                            }});
            break;
        }
        }
    }
    return rows;
}

// Formulas that need more than 4x the working bits: cancellations down to
// 10^-1000, exact integers of 400 to 4,000 bits, intermediate zeros that a
// later operation scales up, near-singular points at 10^-100.
std::vector<cRow> RowsBeyondTheCap(int count) {
    std::mt19937 random(20261208);
    auto pick = [&](long lo, long hi) { return std::uniform_int_distribution<long>(lo, hi)(random); };
    std::vector<cRow> rows;
    for (int i = 0; static_cast<int>(rows.size()) < count; ++i) {
        switch (i % 9) {
        case 0: {
            const long e = pick(100, 1000);
            rows.push_back({Format("(1+10^(-%ld))-1", e), [e](mpfr_ptr r) { PowerOfTen(r, -e); }});
            break;
        }
        case 1: {
            const long e = pick(100, 1000);
            rows.push_back({Format("exp(10^(-%ld))-1", e), [e](mpfr_ptr r) {
                                PowerOfTen(r, -e);
                                mpfr_expm1(r, r, MPFR_RNDN);
                            }});
            break;
        }
        case 2: {
            const long e = pick(400, 4000), c = pick(1, 999);
            rows.push_back({Format("(2^%ld+%ld)-2^%ld", e, c, e), [c](mpfr_ptr r) { mpfr_set_si(r, c, MPFR_RNDN); }});
            break;
        }
        case 3: {
            const long e = pick(250, 2500), c = pick(1, 99);
            rows.push_back({Format("(3^%ld+1/%ld)-3^%ld", e, c, e), [c](mpfr_ptr r) {
                                mpfr_set_ui(r, 1, MPFR_RNDN);
                                mpfr_div_ui(r, r, static_cast<unsigned long>(c), MPFR_RNDN);
                            }});
            break;
        }
        case 4: {
            const long e = pick(100, 700), k = e * 43 / 100;
            rows.push_back({Format("(cosh(%ld)-sinh(%ld))*10^%ld", e, e, k), [e, k](mpfr_ptr r) {
                                cRef t;
                                mpfr_set_si(r, -e, MPFR_RNDN);
                                mpfr_exp(r, r, MPFR_RNDN);
                                PowerOfTen(t, k);
                                mpfr_mul(r, r, t, MPFR_RNDN);
                            }});
            break;
        }
        case 5: {
            const long e = pick(100, 1000);
            rows.push_back({Format("1/(sqrt(10^%ld+1)-10^%ld)", 2 * e, e), [e](mpfr_ptr r) {
                                cRef x;
                                PowerOfTen(x, e); // 1/(sqrt(x^2+1)-x) = sqrt(x^2+1)+x
                                mpfr_sqr(r, x, MPFR_RNDN);
                                mpfr_add_ui(r, r, 1, MPFR_RNDN);
                                mpfr_sqrt(r, r, MPFR_RNDN);
                                mpfr_add(r, r, x, MPFR_RNDN);
                            }});
            break;
        }
        case 6: {
            const long e = pick(60, 100);
            rows.push_back({Format("arctanh(1-1/10^%ld)", e), [e](mpfr_ptr r) {
                                PowerOfTen(r, -e);
                                mpfr_ui_sub(r, 1, r, MPFR_RNDN);
                                mpfr_atanh(r, r, MPFR_RNDN);
                            }});
            break;
        }
        case 7: {
            const long e = pick(50, 100);
            rows.push_back({Format("tan(90-10^(-%ld))", e), [e](mpfr_ptr r) {
                                PowerOfTen(r, -e);
                                Degrees(r, r);
                                mpfr_cot(r, r, MPFR_RNDN);
                            }});
            break;
        }
        default: {
            const long e = pick(100, 1000);
            rows.push_back({Format("(1+1/10^%ld)-1-1/10^%ld+sin(180+10^(-%ld))", e, e, e), [e](mpfr_ptr r) {
                                PowerOfTen(r, -e); // sin(pi + x) = -sin(x)
                                Degrees(r, r);
                                mpfr_sin(r, r, MPFR_RNDN);
                                mpfr_neg(r, r, MPFR_RNDN);
                            }});
            break;
        }
        }
    }
    return rows;
}

// A rendering split into sign, significant digits (no trailing zeros) and
// the exponent of the leading digit.
struct cShown {
    bool negative = false;
    std::string digits;
    long k = 0;
};

bool Split(const std::string& text, int base, cShown& out) {
    std::string s = text;
    if (!s.empty() && s[0] == '-') {
        out.negative = true;
        s.erase(0, 1);
    }
    long exponent = 0;
    const size_t marker = s.find(base <= 14 ? 'E' : '@');
    if (marker != std::string::npos) {
        exponent = std::stol(s.substr(marker + 1));
        s.resize(marker);
    }
    const size_t point = s.find('.');
    const long whole = static_cast<long>(point == std::string::npos ? s.size() : point);
    if (point != std::string::npos)
        s.erase(point, 1);
    size_t zeros = 0;
    while (zeros < s.size() && s[zeros] == '0')
        ++zeros;
    if (zeros == s.size())
        return false;
    out.digits = s.substr(zeros);
    while (out.digits.size() > 1 && out.digits.back() == '0')
        out.digits.pop_back();
    out.k = whole - 1 - static_cast<long>(zeros) + exponent;
    return true;
}

// Each row evaluated at the default settings, rendered in a random base,
// against its reference: all D digits shown, each of them right.
void ExpectRightInEveryBase(const std::vector<cRow>& rows) {
    cLongReal::Init();
    cFormulaEngine::Init();
    cFormulaEngine engine;
    std::mt19937 random(7);
    int wrong = 0, short_ = 0;
    for (const cRow& row : rows) {
        // The base is set first: the passes refine until the digits of this base are decided.
        const int base = std::uniform_int_distribution<int>(2, 36)(random);
        cLongReal::aOutputSystem = static_cast<uint16_t>(base);
        cLongReal::Init();
        engine.Parse(row.formula.c_str());
        const cLongReal value = engine.Evaluate();
        cRef reference;
        row.reference(reference);
        const std::string text = static_cast<const char*>(value);
        cShown shown;
        ASSERT_TRUE(Split(text, base, shown)) << row.formula << " = " << text;
        mpfr_exp_t e = 0;
        char* expected = mpfr_get_str(nullptr, &e, -base, shown.digits.size(), reference, MPFR_RNDN);
        std::string want = expected;
        mpfr_free_str(expected);
        const bool negative = want[0] == '-';
        if (negative)
            want.erase(0, 1);
        if (want != shown.digits || e - 1 != shown.k || negative != shown.negative) {
            ++wrong;
            ADD_FAILURE() << row.formula << " in base " << base << ": shown " << text << ", digits " << want
                          << " at exponent " << e - 1;
        }
        if (!value.IsProven()) {
            ++short_;
            ADD_FAILURE() << row.formula << " in base " << base << " shows only " << text;
        }
        cLongReal::aOutputSystem = cLongRealDefaults::kOutputSystem;
        cLongReal::Init();
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(short_, 0);
    cFormulaEngine::FreeStatics();
}

TEST(ProvenDigits, RandomFormulasShowOnlyRightDigitsInEveryBase) { ExpectRightInEveryBase(Rows(300)); }

TEST(ProvenDigits, FormulasBeyondFourTimesTheBitsShowOnlyRightDigits) {
    gReferenceBits = 16000;
    ExpectRightInEveryBase(RowsBeyondTheCap(180));
    gReferenceBits = 4000;
}

// Exact decimal ties at the last shown digit round half away from zero, also
// after exact arithmetic: random 19-digit mantissas with a 5 after them.
TEST(ProvenDigits, DecimalTiesAtTheLastDigitRoundAwayFromZero) {
    cLongReal::Init();
    cFormulaEngine::Init();
    cFormulaEngine engine;
    std::mt19937_64 random(5);
    for (int i = 0; i < 60; ++i) {
        std::string digits = std::to_string(1000000000000000000ULL + random() % 9000000000000000000ULL); // 19 digits
        std::string up = digits; // the mantissa plus one in its last place
        for (size_t j = up.size(); j-- > 0;) {
            if (up[j] != '9') {
                ++up[j];
                break;
            }
            up[j] = '0';
        }
        if (up[0] == '0')
            continue; // a carry into a 20th digit: no tie to test
        while (up.size() > 1 && up.back() == '0')
            up.pop_back();
        const std::string literal = digits.substr(0, 1) + "." + digits.substr(1) + "5";
        const std::string rounded = up.size() > 1 ? up.substr(0, 1) + "." + up.substr(1) : up;
        const bool negative = i % 2 == 1;
        const std::string formula = (negative ? "-" : "") + (i % 3 == 0 ? literal : "(" + literal + "*3)/3");
        engine.Parse(formula.c_str());
        const cLongReal value = engine.Evaluate();
        EXPECT_EQ(static_cast<const char*>(value), (negative ? "-" : "") + rounded) << formula;
    }
    cFormulaEngine::FreeStatics();
}

// The examples that showed wrong digits with fixed precision.
TEST(ProvenDigits, FormerlyWrongExamplesShowTheirTrueValues) {
    cLongReal::Init();
    cFormulaEngine::Init();
    cFormulaEngine engine;
    const struct {
        const char* formula;
        const char* shown;
    } rows[] = {
        {"(1+10^(-17))-1", "1E-17"},
        {"(2^70+3)-2^70", "3"},
        {"ln(1+10^(-18))", "9.999999999999999995E-19"},
        {"arctanh(0.9999999999999999999)", "22.22113197372340665"},
        {"pi()-3.1415926535897932384", "6.26433832795028842E-20"},
        {"exp(ln(10^25+1))-10^25", "1"},
        {"sqrt(2)^2-2", "0"},
        {"0.1+0.2-0.3", "0"},
        {"sin(180)", "0"},
        {"trunc((0.6+0.3)*10)", "9"},
        {"trunc(7*(1/7))", "1"},
        {"round(1.45*10)", "15"},
        {"exp(10^10)", "1.07775060795856491E4342944819"},
        // Beyond 4x the working bits, and exact while rational.
        {"(1+1/10^200)-1-1/10^200", "0"},
        {"(2^384+3)-2^384", "3"},
        {"(2^384+1/3)-2^384", "0.3333333333333333333"},
        {"1/3*3-1", "0"},
        {"cosh(700)-sinh(700)", "9.859676543759770857E-305"},
        {"1/(sqrt(10^200+1)-10^100)", "2E100"},
        {"arctanh(1-1/10^100)", "115.4758282399822569"},
        {"1.0000000000000000005", "1.000000000000000001"},
    };
    for (const auto& row : rows) {
        engine.Parse(row.formula);
        EXPECT_STREQ(static_cast<const char*>(engine.Evaluate()), row.shown) << row.formula;
    }
    for (const char* failing : {"1/(0.1+0.2-0.3)", "tan(90)", "cot(180)"}) {
        engine.Parse(failing);
        EXPECT_THROW(engine.Evaluate(), cLongRealError) << failing;
    }
    cFormulaEngine::FreeStatics();
}

// A recomputation starts from the variables as they were: the loop counter
// and a function body's variables end as after one evaluation.
TEST(ProvenDigits, RecomputationStartsFromTheSameVariables) {
    cLongReal::Init();
    cFormulaEngine::Init();
    cFormulaEngine engine;
    engine.SetVar('i', cLongReal(42L));
    engine.Parse("sum(1,1,3,i)+(sqrt(2)^2-2)");
    EXPECT_STREQ(static_cast<const char*>(engine.Evaluate()), "6"); // three passes
    EXPECT_STREQ(static_cast<const char*>(engine.GetVar('i')), "4");
    cFormulaEngine::FreeStatics();
}

// Loops end: a counter steps exactly at any size, and a loop that an inner
// loop sends round the same state again is an error instead of an endless loop.
TEST(ProvenDigits, LoopsEnd) {
    cLongReal::Init();
    cFormulaEngine::Init();
    cFormulaEngine engine;
    engine.Parse("sum(1,10^29,10^29,1)");
    EXPECT_STREQ(static_cast<const char*>(engine.Evaluate()), "1");
    engine.Parse("sum(1,10^40,10^40+2,i)-3*10^40");
    EXPECT_STREQ(static_cast<const char*>(engine.Evaluate()), "3");
    engine.Parse("sum(1,1,3,sum(1,1,3,1))");
    EXPECT_STREQ(static_cast<const char*>(engine.Evaluate()), "3");
    engine.Parse("sum(1,1,3,sum(1,1,1,1))");
    EXPECT_THROW(engine.Evaluate(), std::runtime_error);
    engine.Parse("mul(2,1,5,mul(2,1,2,2))");
    EXPECT_THROW(engine.Evaluate(), std::runtime_error);
    // Selectors and bounds far beyond the working precision end at once.
    engine.Parse("sum(3^2222232222,1,223,l)");
    EXPECT_STREQ(static_cast<const char*>(engine.Evaluate()), "24976");
    engine.Parse("sum(1,3^2222232222,3^2222232222+2,1)");
    EXPECT_THROW(engine.Evaluate(), std::exception);
    cFormulaEngine::FreeStatics();
}

} // namespace
