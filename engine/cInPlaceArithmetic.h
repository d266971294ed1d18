// SPDX-License-Identifier: GPL-3.0-or-later
// Arithmetic of the evaluator's hot path, done in place without allocating.
// Each operation yields exactly what the cLongReal operator or function of
// the same name yields: the fast path covers ordinary finite results that no
// cancellation rule can touch; every other case is handed to cLongReal itself,
// which computes it (or throws) as usual. spare is any value; it is clobbered.
#pragma once

#include "cLongReal.h"

#include <cstdint>

namespace inplace {

void Add(cLongReal& left, const cLongReal& right, cLongReal& spare);      // left = left + right
void Subtract(cLongReal& left, const cLongReal& right, cLongReal& spare); // left = left - right
void Multiply(cLongReal& left, const cLongReal& right, cLongReal& spare); // left = left * right
void Divide(cLongReal& left, const cLongReal& right, cLongReal& spare);   // left = left / right
void Power(cLongReal& left, const cLongReal& right, cLongReal& spare);    // left = power(left, right)
void Negate(cLongReal& value, cLongReal& spare);                          // value = -value
void Increment(cLongReal& value, cLongReal& spare);                       // ++value

} // namespace inplace
