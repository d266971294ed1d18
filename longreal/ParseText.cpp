// SPDX-License-Identifier: GPL-3.0-or-later
// The text constructor: number literals in the input base.
#include "Support.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return -1;
}

[[noreturn]] void Invalid(const char* text) { longreal::Fail(std::string("invalid number ") + text); }

} // namespace

// Reads digits, point and exponent; the value is digits * base^exponent.
cLongReal::cLongReal(const char* text) : cLongReal() {
    if (text == nullptr)
        longreal::Fail("invalid number (none)");
    const int base = longreal::Settings().inputBase;
    longreal::EnsureReserve();
    // Digits beyond what the last pass can use only widen the ball: they are
    // read as a radius (any non-zero one left out makes it M + 1/2 +- 1/2 in
    // units of the last digit kept), without building the whole number.
    const size_t keep = static_cast<size_t>(static_cast<double>(longreal::LiteralBits() + 2 * longreal::kGuardBits) /
                                            std::log2(static_cast<double>(base))) +
                        2;
    std::string digits; // significant digits kept
    const char* p = text;
    bool negative = false;
    if (*p == '-' || *p == '+')
        negative = *p++ == '-';
    bool point = false;
    bool anyDigit = false;
    bool sticky = false;    // a non-zero digit was left out
    long long fraction = 0; // digits after the point, up to the last kept one
    long long dropped = 0;  // digits before the point left out
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
        anyDigit = true;
        if (digits.empty() && d == 0) {
            if (point)
                ++fraction;
        } else if (digits.size() < keep) {
            digits += *p;
            if (point)
                ++fraction;
        } else {
            sticky = sticky || d != 0;
            if (!point)
                ++dropped;
        }
    }
    if (!anyDigit)
        Invalid(text);
    if (digits.empty())
        digits = "0";
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
    exponent += dropped - fraction;

    using longreal::Integer;
    Integer mantissa;
    fmpz_set_str(mantissa, digits.c_str(), base);
    arb_ptr x = arb();
    const slong prec = longreal::LiteralBits();
    if (!fmpz_is_zero(mantissa) && exponent != 0) {
        const double log2 = static_cast<double>(fmpz_bits(mantissa)) +
                            static_cast<double>(exponent) * std::log2(static_cast<double>(base));
        if (log2 > static_cast<double>(longreal::kMaxExponent))
            longreal::Fail("overflow");
        if (log2 < -static_cast<double>(longreal::kMaxExponent))
            return; // below the smallest number: 0
    }
    // The kept digits as a ball: exact, or M + 1/2 +- 1/2 with digits left out.
    auto mantissaBall = [&](arb_ptr out, slong bits) {
        if (!sticky) {
            arb_set_round_fmpz(out, mantissa, bits);
            return;
        }
        arb_set_fmpz(out, mantissa);
        arb_mul_2exp_si(out, out, 1);
        arb_add_ui(out, out, 1, ARF_PREC_EXACT);
        arb_mul_2exp_si(out, out, -1);
        arb_add_error_2exp_si(out, -1);
        arb_set_round(out, out, bits);
    };
    const ulong magnitude = static_cast<ulong>(exponent < 0 ? -exponent : exponent);
    if (exponent == 0 || fmpz_is_zero(mantissa)) {
        mantissaBall(x, prec);
    } else if (std::has_single_bit(static_cast<unsigned>(base))) {
        mantissaBall(x, prec);
        arb_mul_2exp_si(x, x, static_cast<slong>(exponent) * std::countr_zero(static_cast<unsigned>(base)));
    } else if (exponent > 0 &&
               static_cast<double>(magnitude) * std::log2(static_cast<double>(base)) < static_cast<double>(prec)) {
        Integer scale;
        fmpz_ui_pow_ui(scale, static_cast<ulong>(base), magnitude); // whole: exact while it fits
        mantissaBall(x, prec + longreal::kGuardBits);
        arb_mul_fmpz(x, x, scale, prec);
    } else {
        longreal::Ball scale;
        arb_ui_pow_ui(scale, static_cast<ulong>(base), magnitude, prec + longreal::kGuardBits);
        mantissaBall(x, prec + longreal::kGuardBits);
        if (exponent > 0)
            arb_mul(x, x, scale, prec);
        else
            arb_div(x, x, scale, prec);
    }
    if (negative)
        arb_neg(x, x);
    longreal::Finish(x, "invalid number");
    // A ball of radius > 0 for a value the digits give exactly: the exact
    // rational as well, when it fits the size rule.
    if (!sticky && !arb_is_exact(x) && !arb_is_zero(x) &&
        static_cast<double>(fmpz_bits(mantissa)) +
                std::fabs(static_cast<double>(exponent)) * std::log2(static_cast<double>(base)) <
            static_cast<double>(longreal::RationalLimitBits())) {
        longreal::Rational q;
        Integer scale;
        fmpz_ui_pow_ui(scale, static_cast<ulong>(base), magnitude);
        fmpq_set_fmpz(q, mantissa);
        if (exponent > 0)
            fmpq_mul_fmpz(q, q, scale);
        else
            fmpq_div_fmpz(q, q, scale);
        if (negative)
            fmpq_neg(q, q);
        cLongRealAccess::SetRational(*this, q, prec);
    }
}
