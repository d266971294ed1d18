// Rendering a value as text under the output settings.
//
// The digits come from one correctly rounded mpfr_get_str call; everything
// after it is linear string assembly, so 48,000-digit values render quickly.
#include "Support.h"

#include <bit>
#include <cmath>
#include <memory>
#include <optional>
#include <string_view>

namespace {

// MPFR's digit string, freed on every path.
struct Digits {
    char* text = nullptr;
    mpfr_exp_t exponent = 0; // value = 0.d1d2... * base^exponent
    Digits(mpfr_srcptr value, int base, size_t count)
    {
        // A negative base asks for upper-case digits.
        text = mpfr_get_str(nullptr, &exponent, -base, count, value, MPFR_RNDN);
    }
    Digits(const Digits&) = delete;
    Digits& operator=(const Digits&) = delete;
    ~Digits()
    {
        if (text != nullptr)
            mpfr_free_str(text);
    }
};

// Significant digits of `base` that `bits` bits can hold: the largest D with
// base^D <= 2^bits.
size_t DigitCount(int base, mpfr_prec_t bits)
{
    if (std::has_single_bit(static_cast<unsigned>(base)))
        return static_cast<size_t>(bits / std::countr_zero(static_cast<unsigned>(base)));
    // Never an integer for other bases, so the floating-point floor is safe.
    const double digits = static_cast<double>(bits) * std::log(2.0) / std::log(static_cast<double>(base));
    return std::max<size_t>(static_cast<size_t>(digits), 1);
}

// Positional form of the digit string d with leading-digit exponent k.
void AppendPositional(std::string& out, const std::string_view d, long k)
{
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
void AppendExponential(std::string& out, std::string_view d, size_t lead, const char* marker, long exponent)
{
    AppendPositional(out, d, static_cast<long>(lead) - 1);
    out += marker;
    out += std::to_string(exponent);
}

long FloorDiv(long a, long b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// value = m * 2^(10 j) with 1 <= |m| < 1024, written as m (positional, in
// the output base, `count` significant digits), "*2^" and the decimal 10 j.
std::string RenderBinaryEngineering(mpfr_srcptr value, int base, size_t count)
{
    longreal::Scratch m(mpfr_get_prec(value));
    long j = FloorDiv(static_cast<long>(mpfr_get_exp(value)) - 1, 10);
    mpfr_div_2si(m, value, 10 * j, MPFR_RNDN); // exact
    std::optional<Digits> digits;
    digits.emplace(m, base, count);
    // Rounding may carry m up to 1024 or beyond (1023.99999...): take the
    // next power instead.
    std::string exact = std::string(digits->text) + "@" + std::to_string(digits->exponent);
    exact.insert(exact.front() == '-' ? 1 : 0, "0.");
    longreal::Scratch rounded(static_cast<mpfr_prec_t>(count) * 6 + 16);
    mpfr_set_str(rounded, exact.c_str(), base, MPFR_RNDN);
    if (mpfr_cmpabs_ui(rounded, 1024) >= 0) {
        ++j;
        mpfr_div_2ui(m, m, 10, MPFR_RNDN);
        digits.emplace(m, base, count);
    }
    std::string_view d(digits->text);
    std::string out;
    if (d.front() == '-') {
        out += '-';
        d.remove_prefix(1);
    }
    while (d.size() > 1 && d.back() == '0')
        d.remove_suffix(1);
    AppendPositional(out, d, static_cast<long>(digits->exponent) - 1);
    out += "*2^";
    out += std::to_string(10 * j);
    return out;
}

} // namespace

namespace longreal {

std::string Render(mpfr_srcptr value)
{
    if (mpfr_zero_p(value))
        return "0";
    const int base = Settings().outputBase;
    const size_t count = DigitCount(base, Settings().outputBits);
    const bool engineering = cLongReal::aEngOn;

    Digits digits(value, base, count);
    std::string_view d(digits.text);
    std::string out;
    out.reserve(d.size() + 32);
    if (d.front() == '-') {
        out += '-';
        d.remove_prefix(1);
    }
    while (d.size() > 1 && d.back() == '0')
        d.remove_suffix(1);
    const long k = static_cast<long>(digits.exponent) - 1;
    const char* marker = base <= 14 ? "E" : "@";

    if (k >= -static_cast<long>(cLongReal::aOutputExpLow) && k <= cLongReal::aOutputExpHigh)
        AppendPositional(out, d, k);
    else if (engineering && cLongReal::aEngBinary)
        return RenderBinaryEngineering(value, base, count);
    else if (engineering)
        AppendExponential(out, d, static_cast<size_t>(k - 3 * FloorDiv(k, 3)) + 1, marker, 3 * FloorDiv(k, 3));
    else
        AppendExponential(out, d, 1, marker, k);
    return out;
}

} // namespace longreal

cLongReal::operator const char*() const
{
    if (!aText)
        aText = std::make_unique<std::string>();
    *aText = longreal::Render(aNum);
    return aText->c_str();
}
