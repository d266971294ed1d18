// SPDX-License-Identifier: GPL-3.0-or-later
// cLongReal: Korund's number type, a ball of ball arithmetic (a midpoint with
// a rigorous error radius) over Arb.
//
// Every operation and function returns a ball that contains the exact result
// for every point of its argument balls. Operations run at the precision of
// the current pass: 16 * aPrecision bits, or a multiple of it while an
// evaluation is recomputed (cLongRealPass). Rendering shows only digits that
// the ball proves. Failures (bad text, domain errors, division by zero,
// overflow) throw cLongRealError; a NaN or an infinity is never a value.
#pragma once

#include <arb.h>

#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

class cLongRealError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A decision (a comparison, a domain boundary, a rounding point) that the
// balls of this pass cannot make. Thrown only inside a pass below the
// highest; the evaluation that runs the pass computes it again with more bits.
class cLongRealUndecided : public cLongRealError {
public:
    using cLongRealError::cLongRealError;
};

// An allocation of the number library failed: the evaluation ends, the
// program goes on (see Memory.cpp).
class cLongRealNoMemory : public std::bad_alloc {
public:
    const char* what() const noexcept override;
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
    // Working precision: 16 * effective native digits.
    static slong WorkingBits();
    // Precision of operations now, in this thread (the working precision
    // outside a pass).
    static slong PassBits();

    cLongReal();                          // exactly zero
    cLongReal(long value);                // exact
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
    // In place; on an exception the value is unchanged.
    cLongReal& operator+=(const cLongReal& rhs);
    cLongReal& operator-=(const cLongReal& rhs);
    cLongReal& operator*=(const cLongReal& rhs);
    cLongReal& operator/=(const cLongReal& rhs);
    cLongReal& operator++(); // add one; exact for whole numbers of any size
    // Decisions: exact for exact values; balls that overlap are decided as
    // described in README.md (refined, or taken as equal at the highest pass).
    bool operator==(const cLongReal& rhs) const;
    bool operator<=(const cLongReal& rhs) const;

    // Nearest whole number of the midpoint, clamped to the signed 32-bit
    // range; meant for results of round().
    explicit operator long() const;
    // The value rendered under the output settings, proven digits only;
    // valid until the next conversion of this value or its change.
    explicit operator const char*() const;

    // True when the rendering shows all the digits the output settings ask
    // for (or the value is exactly zero).
    bool IsProven() const;
    // Exact: a ball of radius 0, or (in refinement passes) a rational the
    // ball only approximates.
    bool IsExact() const { return aExact != nullptr || arb_is_exact(aBall) != 0; }

    // Raw access for code that calls Arb directly. Changing the ball through
    // it is fine; the value's cached text is dropped.
    arb_srcptr arb() const { return aBall; }
    arb_ptr arb();

    struct cRendering; // the library's own
    struct cExact;     // the library's own: an exact rational and the bits of its ball

private:
    friend struct cLongRealAccess;
    arb_t aBall;
    std::unique_ptr<cExact> aExact;            // set only for a rational that is not a ball of radius 0
    mutable std::unique_ptr<cRendering> aText; // made on the first conversion
    const cRendering& Rendered() const;
};

// One pass of a recomputation, for as long as it lives, in this thread:
// operations use `bits` bits. In a refining pass a decision the balls cannot
// make throws cLongRealUndecided; in a last pass, and outside any pass,
// decisions are final: at full depth the internal zero decides, in a last
// pass cut short by the time budget such a decision fails. In an exact pass,
// rational values stay exact rationals while they fit the size rule.
// Evaluations started meanwhile run as one pass at these bits.
class cLongRealPass {
public:
    enum eDecisions { dkRefining, dkLast, dkLastShort };
    cLongRealPass(slong bits, eDecisions decisions, bool exact);
    ~cLongRealPass();
    cLongRealPass(const cLongRealPass&) = delete;
    cLongRealPass& operator=(const cLongRealPass&) = delete;
    static bool Active();

private:
    slong aSavedBits;
    eDecisions aSavedDecisions;
    bool aSavedExact;
    bool aSavedActive;
};

// The passes of one evaluation (see README.md): 1x, 2x, 4x, ... the working
// bits while the result is not decided, up to a cap on the bits and a
// budget of time relative to the first pass. The first pass is a plain ball
// pass; the later ones are exact.
class cLongRealSchedule {
public:
    cLongRealSchedule();
    slong Bits() const { return aBits; }
    cLongRealPass::eDecisions Decisions() const { return aDecisions; }
    bool Exact() const { return aPass > 0; }
    bool Last() const { return aDecisions != cLongRealPass::dkRefining; }
    // To the next pass, after one that did not decide.
    void Advance();
    static slong CapBits();

private:
    void Plan();
    int aPass = 0;
    slong aBits;
    cLongRealPass::eDecisions aDecisions = cLongRealPass::dkRefining;
    double aStart; // seconds of processor time
    double aPassStart;
    double aFirst = 0; // seconds the first pass took
    double aLastTime = 0;
};

// A final result: a ball that still contains 0 after a last pass at full
// depth counts as exactly 0 when it is narrower than the internal zero, and
// fails otherwise (always after a last pass cut short); a ball that proves
// no digit at all fails.
cLongReal Settled(cLongReal value);

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
