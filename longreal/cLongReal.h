// cLongReal: Korund's number type, a value class over GNU MPFR.
//
// Every value carries 16 * aPrecision bits and every operation is correctly
// rounded to nearest. Failures (bad text, domain errors, division by zero,
// overflow) throw cLongRealError; a NaN or an infinity is never a value.
#pragma once

#include <mpfr.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

class cLongRealError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class cLongReal {
public:
    // Settings, written before Init(); Init() applies them (again, when called again).
    static uint16_t aPrecision;           // native digits (16 bits each) used in calculations
    static uint16_t aOutputDrop;          // native digits dropped on output
    static uint16_t aInputSystemStandard; // default base of numerical input
    static uint16_t aOutputSystem;        // base of rendered output
    static int16_t aOutputExpHigh;        // largest positive exponent rendered as zeros
    static uint16_t aOutputExpLow;        // largest negative exponent rendered as zeros
    static uint16_t aNativeEpsExponent;   // n of the internal zero epsilon 2^(-16 n)
    static bool aEngOn;                   // engineering notation
    static bool aEngBinary;               // ... in its binary form
    static int16_t aAngleMode;            // 0 rad, 1 deg, 2 gra

    static void Init();
    // Bits of every value made from now on (16 * effective native digits).
    static mpfr_prec_t WorkingBits();

    cLongReal();                      // zero
    cLongReal(long value);            // exact
    explicit cLongReal(const char* text); // number text in the input base; throws on bad text
    cLongReal(const cLongReal& other);
    cLongReal(cLongReal&& other) noexcept;
    cLongReal& operator=(const cLongReal& other);
    cLongReal& operator=(cLongReal&& other) noexcept;
    ~cLongReal();

    cLongReal operator+(const cLongReal& rhs) const;
    cLongReal operator-(const cLongReal& rhs) const;
    cLongReal operator*(const cLongReal& rhs) const;
    cLongReal operator/(const cLongReal& rhs) const;
    cLongReal operator-() const;
    cLongReal& operator+=(const cLongReal& rhs);
    cLongReal& operator*=(const cLongReal& rhs);
    cLongReal& operator++(); // add one
    bool operator==(const cLongReal& rhs) const; // exact
    bool operator<=(const cLongReal& rhs) const; // exact

    // Clamped to the signed 32-bit range; meant for results of round().
    explicit operator long() const;
    // The value rendered under the output settings; valid until the next
    // conversion of this value or its change.
    explicit operator const char*() const;

    // Raw access for code that calls MPFR directly. The number is an ordinary
    // MPFR allocation: it may be resized with mpfr_set_prec or exchanged with
    // another value's by mpfr_swap.
    mpfr_srcptr mpfr() const { return aNum; }
    mpfr_ptr mpfr() { return aNum; }

private:
    // The representation below is the library's own business.
    mpfr_t aNum;
    mutable std::unique_ptr<std::string> aText; // made on the first conversion
};

// Free functions: arguments by const reference, result a new value.
cLongReal abs(const cLongReal& x);
cLongReal ln(const cLongReal& x);
cLongReal exp(const cLongReal& x);
cLongReal sqrt(const cLongReal& x);
cLongReal sin(const cLongReal& x);
cLongReal cos(const cLongReal& x);
cLongReal tan(const cLongReal& x);
cLongReal cot(const cLongReal& x);
cLongReal arcsin(const cLongReal& x);
cLongReal arccos(const cLongReal& x);
cLongReal arctan(const cLongReal& x);
cLongReal arccot(const cLongReal& x);
cLongReal sinh(const cLongReal& x);
cLongReal cosh(const cLongReal& x);
cLongReal tanh(const cLongReal& x);
cLongReal arsinh(const cLongReal& x);
cLongReal arcosh(const cLongReal& x);
cLongReal artanh(const cLongReal& x);
cLongReal normloc(const cLongReal& x);
cLongReal norm(const cLongReal& x);
cLongReal invnormloc(const cLongReal& x);
cLongReal invnorm(const cLongReal& x);
cLongReal fak(const cLongReal& x);
cLongReal trunc(const cLongReal& x);
cLongReal round(const cLongReal& x);
cLongReal per(const cLongReal& n, const cLongReal& k);
cLongReal com(const cLongReal& n, const cLongReal& k);
cLongReal power(const cLongReal& x, const cLongReal& y);
cLongReal e();
cLongReal pi();
