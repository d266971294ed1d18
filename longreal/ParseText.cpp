// SPDX-License-Identifier: GPL-3.0-or-later
// The text constructor: number literals in the input base.
#include "Support.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return -1;
}

[[noreturn]] void Invalid(const char* text)
{
    longreal::Fail(std::string("invalid number ") + text);
}

} // namespace

// Reads digits, point and exponent; the value is digits * base^exponent.
cLongReal::cLongReal(const char* text) : cLongReal()
{
    if (text == nullptr)
        longreal::Fail("invalid number (none)");
    const int base = longreal::Settings().inputBase;
    std::string digits;
    digits.reserve(std::strlen(text));
    const char* p = text;
    bool negative = false;
    if (*p == '-' || *p == '+')
        negative = *p++ == '-';
    bool point = false;
    long long fraction = 0; // digits after the point
    for (; *p != '\0'; ++p) {
        if (*p == '.') {
            if (point)
                Invalid(text);
            point = true;
            continue;
        }
        const int d = DigitValue(*p);
        if (d < 0 || d >= base)
            break;
        digits += *p;
        if (point)
            ++fraction;
    }
    if (digits.empty())
        Invalid(text);
    // Saturates far beyond any representable power.
    constexpr long long kSaturation = 1'000'000'000'000'000LL;
    long long exponent = 0;
    if (*p != '\0') {
        if (*p != 'E' || base > 14)
            Invalid(text);
        ++p;
        bool negativeExponent = false;
        if (*p == '-' || *p == '+')
            negativeExponent = *p++ == '-';
        if (*p == '\0')
            Invalid(text);
        for (; *p != '\0'; ++p) {
            if (*p < '0' || *p > '9')
                Invalid(text);
            if (exponent < kSaturation)
                exponent = exponent * 10 + (*p - '0');
        }
        if (negativeExponent)
            exponent = -exponent;
    }
    exponent -= fraction;

    using longreal::Integer;
    Integer mantissa;
    fmpz_set_str(mantissa, digits.c_str(), base);
    arb_ptr x = arb();
    const slong prec = longreal::LiteralBits();
    if (!fmpz_is_zero(mantissa) && exponent != 0) {
        const double log2 = static_cast<double>(fmpz_bits(mantissa))
            + static_cast<double>(exponent) * std::log2(static_cast<double>(base));
        if (log2 > static_cast<double>(longreal::kMaxExponent))
            longreal::Fail("overflow");
        if (log2 < -static_cast<double>(longreal::kMaxExponent))
            return; // below the smallest number: 0
    }
    const ulong magnitude = static_cast<ulong>(exponent < 0 ? -exponent : exponent);
    if (exponent == 0 || fmpz_is_zero(mantissa)) {
        arb_set_round_fmpz(x, mantissa, prec);
    } else if (std::has_single_bit(static_cast<unsigned>(base))) {
        arb_set_round_fmpz(x, mantissa, prec);
        arb_mul_2exp_si(x, x, static_cast<slong>(exponent) * std::countr_zero(static_cast<unsigned>(base)));
    } else if (exponent > 0 && static_cast<double>(magnitude) * std::log2(static_cast<double>(base)) < static_cast<double>(prec)) {
        Integer scale;
        fmpz_ui_pow_ui(scale, static_cast<ulong>(base), magnitude); // whole: exact while it fits
        fmpz_mul(mantissa, mantissa, scale);
        arb_set_round_fmpz(x, mantissa, prec);
    } else {
        longreal::Ball scale;
        arb_ui_pow_ui(scale, static_cast<ulong>(base), magnitude, prec + longreal::kGuardBits);
        arb_set_round_fmpz(x, mantissa, prec + longreal::kGuardBits);
        if (exponent > 0)
            arb_mul(x, x, scale, prec);
        else
            arb_div(x, x, scale, prec);
    }
    if (negative)
        arb_neg(x, x);
    longreal::Finish(x, "invalid number");
}
