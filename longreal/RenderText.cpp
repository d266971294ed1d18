// SPDX-License-Identifier: GPL-3.0-or-later
// Rendering a ball as text under the output settings, proven digits only.
//
// A digit is shown only when every point of the ball rounds to it: the ball
// is scaled by a power of the base, and rounding to a whole number (half
// away from zero) must give one integer for the whole ball. Rounding is
// monotonic, so the true value rounds to the same digits. The largest digit
// count up to D that the ball decides is shown.
#include "Support.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <string_view>

using longreal::Ball;
using longreal::Integer;

namespace {

// Significant digits of `base` that `bits` bits can hold: the largest D with
// base^D <= 2^bits.
slong DigitCount(int base, slong bits) {
    if (std::has_single_bit(static_cast<unsigned>(base)))
        return bits / std::countr_zero(static_cast<unsigned>(base));
    // Never an integer for other bases, so the floating-point floor is safe.
    const double digits = static_cast<double>(bits) * std::log(2.0) / std::log(static_cast<double>(base));
    return std::max<slong>(static_cast<slong>(digits), 1);
}

double Log2Base(int base) { return std::log2(static_cast<double>(base)); }

// Exponent k of the leading digit of |x| in `base`, from the midpoint; may be off by one.
long LeadingExponent(arb_srcptr x, int base) {
    arf_t top;
    arf_init(top);
    arf_set_round(top, arb_midref(x), 53, ARF_RND_DOWN);
    const slong e = fmpz_get_si(ARF_EXPREF(top)); // |mid| in [2^(e-1), 2^e)
    arf_mul_2exp_si(top, top, -e);
    const double fraction = std::fabs(arf_get_d(top, ARF_RND_DOWN));
    arf_clear(top);
    return static_cast<long>(std::floor((static_cast<double>(e) + std::log2(fraction)) / Log2Base(base)));
}

// |q| * base^s rounded to a whole number, half away from zero, exactly.
void RoundExact(const fmpq* q, int base, slong s, fmpz* N) {
    Integer num, den, power;
    fmpz_abs(num, fmpq_numref(q));
    fmpz_set(den, fmpq_denref(q));
    fmpz_ui_pow_ui(power, static_cast<ulong>(base), static_cast<ulong>(s >= 0 ? s : -s));
    if (s >= 0)
        fmpz_mul(num, num, power);
    else
        fmpz_mul(den, den, power);
    fmpz_mul_2exp(num, num, 1);
    fmpz_add(num, num, den);
    fmpz_mul_2exp(den, den, 1);
    fmpz_fdiv_q(N, num, den); // floor(|q| base^s + 1/2)
}

// The digits of N >= 0 in `base`, upper case; empty for 0.
std::string DigitsOf(const fmpz* N, int base) {
    if (fmpz_is_zero(N))
        return {};
    char* text = fmpz_get_str(nullptr, base, N);
    std::string d = text;
    flint_free(text);
    if (base > 10)
        for (char& c : d)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
    return d;
}

// |x| (a ball without 0) rounded to n significant digits: their text d
// (B^(n-1) <= N < B^n: d has n digits) and leading exponent k. False when
// the ball does not decide them. With `exact`, the rational x approximates
// is rounded.
bool RoundTo(arb_srcptr x, const fmpq* exact, int base, slong n, long& k, std::string& d) {
    Ball y, power;
    Integer N;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const slong s = n - 1 - k;
        if (exact != nullptr) {
            RoundExact(exact, base, s, N);
        } else {
            const slong prec = static_cast<slong>(static_cast<double>(n) * Log2Base(base)) + 64 +
                               static_cast<slong>(std::log2(std::fabs(static_cast<double>(s)) + 2));
            arb_ui_pow_ui(power, static_cast<ulong>(base), static_cast<ulong>(s >= 0 ? s : -s), prec);
            arb_abs(y, x);
            if (s >= 0)
                arb_mul(y, y, power, prec);
            else
                arb_div(y, y, power, prec);
            arb_mul_2exp_si(y, y, 1);
            arb_add_ui(y, y, 1, prec);
            arb_mul_2exp_si(y, y, -1); // y + 1/2
            arb_floor(y, y, prec);
            if (!arb_get_unique_fmpz(N, y))
                return false;
        }
        // The text's length places N against B^(n-1) and B^n.
        d = DigitsOf(N, base);
        const slong length = static_cast<slong>(d.size());
        if (length > n)
            ++k; // a carry, or the estimate was low
        else if (length < n)
            --k;
        else
            return true;
    }
    return false;
}

struct Digits {
    std::string d;   // significant digits, trailing zeros removed
    long k = 0;      // exponent of the leading digit
    slong count = 0; // digits decided (before removing zeros)
};

// The most digits, up to `most`, that the ball (or the exact rational it
// approximates) decides; count 0 when none. Trailing zeros are dropped only
// when all `most` digits are decided.
Digits Decide(arb_srcptr x, const fmpq* exact, int base, slong most) {
    Digits out;
    if (exact == nullptr && arb_contains_zero(x))
        return out;
    // No more digits than the radius allows, give or take one.
    const slong accuracy = arb_rel_accuracy_bits(x);
    slong n = most;
    if (exact == nullptr && accuracy < ARF_PREC_EXACT / 2)
        n = std::min<slong>(most,
                            static_cast<slong>(static_cast<double>(std::max<slong>(accuracy, 0)) / Log2Base(base)) + 2);
    n = std::max<slong>(n, 1);
    long k = LeadingExponent(x, base);
    for (; n >= 1; --n) {
        long kn = k;
        if (RoundTo(x, exact, base, n, kn, out.d)) {
            out.count = n;
            out.k = kn;
            while (n == most && out.d.size() > 1 && out.d.back() == '0')
                out.d.pop_back();
            return out;
        }
    }
    out.d.clear();
    return out;
}

// Positional form of the digit string d with leading-digit exponent k.
void AppendPositional(std::string& out, const std::string_view d, long k) {
    if (k < 0) {
        out += "0.";
        out.append(static_cast<size_t>(-k - 1), '0');
        out += d;
        return;
    }
    const size_t whole = static_cast<size_t>(k) + 1;
    if (d.size() <= whole) {
        out += d;
        out.append(whole - d.size(), '0');
        return;
    }
    out += d.substr(0, whole);
    out += '.';
    out += d.substr(whole);
}

// Mantissa with `lead` digits before the point (padding with zeros), then
// the marker and the decimal exponent.
void AppendExponential(std::string& out, std::string_view d, size_t lead, const char* marker, long exponent) {
    AppendPositional(out, d, static_cast<long>(lead) - 1);
    out += marker;
    out += std::to_string(exponent);
}

long FloorDiv(long a, long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

// Compares the decided digits (0.d * base^(k+1)) with 1024 and with 1.
int CompareWithKibi(const Digits& digits, int base, long target) {
    Integer value, scale;
    fmpz_set_str(value, digits.d.c_str(), base);
    const long shift = digits.k - static_cast<long>(digits.d.size()) + 1;
    fmpz_set_si(scale, target);
    if (shift >= 0) {
        Integer p;
        fmpz_ui_pow_ui(p, static_cast<ulong>(base), static_cast<ulong>(shift));
        fmpz_mul(value, value, p);
    } else {
        Integer p;
        fmpz_ui_pow_ui(p, static_cast<ulong>(base), static_cast<ulong>(-shift));
        fmpz_mul(scale, scale, p);
    }
    return fmpz_cmp(value, scale);
}

// |x| = m * 2^(10 j) with 1 <= m < 1024: the decided digits of m, and j.
Digits BinaryMantissa(arb_srcptr x, const fmpq* exact, int base, slong most, long& j) {
    const slong e = fmpz_get_si(ARF_EXPREF(arb_midref(x))); // |mid| in [2^(e-1), 2^e)
    j = FloorDiv(static_cast<long>(e) - 1, 10);
    Ball m;
    longreal::Rational q;
    Digits digits;
    for (int attempt = 0; attempt < 3; ++attempt) {
        arb_mul_2exp_si(m, x, -10 * static_cast<slong>(j)); // exact
        if (exact != nullptr) {
            if (j >= 0)
                fmpq_div_2exp(q, exact, static_cast<ulong>(10 * j));
            else
                fmpq_mul_2exp(q, exact, static_cast<ulong>(-10 * j));
        }
        digits = Decide(m, exact != nullptr ? q.get() : nullptr, base, most);
        if (digits.count == 0)
            return digits;
        // Rounding may carry m up to 1024 (1023.99999...): take the next power.
        if (CompareWithKibi(digits, base, 1024) >= 0)
            ++j;
        else if (CompareWithKibi(digits, base, 1) < 0)
            --j;
        else
            return digits;
    }
    return digits;
}

} // namespace

namespace longreal {

cLongReal::cRendering Render(arb_srcptr x, const fmpq* exact) {
    cLongReal::cRendering result;
    result.generation = Settings().generation;
    if (arb_is_zero(x)) {
        result.text = "0";
        result.proven = true;
        return result;
    }
    const int base = Settings().outputBase;
    const slong most = DigitCount(base, Settings().outputBits);
    const bool engineering = cLongReal::aEngOn;

    Digits digits = Decide(x, exact, base, most);
    CheckMemory();
    if (digits.count == 0) {
        result.text = "?"; // not a single digit is known
        return result;
    }
    std::string& out = result.text;
    out.reserve(digits.d.size() + 32);
    if (arf_sgn(arb_midref(x)) < 0)
        out += '-';
    const long k = digits.k;
    const char* marker = base <= 14 ? "E" : "@";

    // Fewer digits than asked for, none after the point: the exponential
    // form, so that they cannot be taken for an exact whole number.
    const bool wholeLooking = digits.count < most && static_cast<long>(digits.d.size()) <= k + 1;
    if (k >= -static_cast<long>(cLongReal::aOutputExpLow) && k <= cLongReal::aOutputExpHigh && !wholeLooking) {
        AppendPositional(out, digits.d, k);
    } else if (engineering && cLongReal::aEngBinary) {
        long j = 0;
        digits = BinaryMantissa(x, exact, base, most, j);
        if (digits.count == 0) {
            result.text = "?";
            return result;
        }
        AppendPositional(out, digits.d, digits.k);
        out += "*2^";
        out += std::to_string(10 * j);
    } else if (engineering) {
        AppendExponential(out, digits.d, static_cast<size_t>(k - 3 * FloorDiv(k, 3)) + 1, marker, 3 * FloorDiv(k, 3));
    } else {
        AppendExponential(out, digits.d, 1, marker, k);
    }
    result.proven = digits.count == most;
    return result;
}

} // namespace longreal

const cLongReal::cRendering& cLongReal::Rendered() const {
    if (!aText || aText->generation != longreal::Settings().generation)
        aText = std::make_unique<cRendering>(longreal::Render(aBall, aExact ? aExact->q : nullptr));
    return *aText;
}

cLongReal::operator const char*() const { return Rendered().text.c_str(); }

bool cLongReal::IsProven() const { return Rendered().proven; }
