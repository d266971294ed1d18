// The text constructor: number literals in the input base.
#include "Support.h"

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

cLongReal::cLongReal(const char* text) : cLongReal()
{
    if (text == nullptr)
        longreal::Fail("invalid number (none)");
    const int base = longreal::Settings().inputBase;
    // Rebuilt as MPFR's own syntax: digits, point, '@' and a decimal exponent of the base.
    std::string clean;
    clean.reserve(std::strlen(text) + 24);
    const char* p = text;
    if (*p == '-' || *p == '+')
        clean += *p++;
    bool point = false;
    bool digit = false;
    for (; *p != '\0'; ++p) {
        if (*p == '.') {
            if (point)
                Invalid(text);
            point = true;
            clean += '.';
            continue;
        }
        const int d = DigitValue(*p);
        if (d < 0 || d >= base)
            break;
        digit = true;
        clean += *p;
    }
    if (!digit)
        Invalid(text);
    if (*p != '\0') {
        if (*p != 'E' || base > 14)
            Invalid(text);
        ++p;
        bool negative = false;
        if (*p == '-' || *p == '+')
            negative = *p++ == '-';
        if (*p == '\0')
            Invalid(text);
        // Saturates far beyond any representable power; MPFR then reports
        // overflow or underflow without computing the power.
        long long exponent = 0;
        for (; *p != '\0'; ++p) {
            if (*p < '0' || *p > '9')
                Invalid(text);
            if (exponent < 1'000'000'000'000LL)
                exponent = exponent * 10 + (*p - '0');
        }
        clean += '@';
        if (negative)
            clean += '-';
        clean += std::to_string(exponent);
    }
    char* end = nullptr;
    mpfr_strtofr(aNum, clean.c_str(), &end, base, MPFR_RNDN);
    if (end == nullptr || *end != '\0')
        Invalid(text);
    longreal::CheckFinite(aNum);
}
