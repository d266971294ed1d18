// SPDX-License-Identifier: GPL-3.0-or-later
// Pieces of the engine-state text.
#pragma once

#include <string>

// Decimal digits held by k native (16-bit) digits: ceil(k * ln 65536 / ln 10),
// for negative k too.
int DecimalDigits(int k);

// General floating-point form with at most `digits` significant digits and
// no trailing zeros: positional from 0.00001 up to below 10^digits,
// otherwise "d.dddE-10" (exponent without '+' or leading zeros).
std::string FormatGeneral(double value, int digits);

// The fewest native digits that hold `decimal` decimal digits in full: the
// smallest k with 16 k log10(2) >= decimal (0 for decimal <= 0).
int NativeDigitsFor(int decimal);
