// SPDX-License-Identifier: GPL-3.0-or-later
// Test seam of the evaluator. The plain walk copies every operand into a
// slot of its own, checks every loop for a counter set back and never
// flattens a loop body; the usual walk reads leaf operands where they lie,
// checks only loops whose body holds a loop, and runs a long loop's plain
// arithmetic body as a flat list. Both must give the same values, reports,
// errors and variables; the plain walk is the oracle of that test.
#pragma once

#include <cstdint>

namespace evalwalk {

void SetPlain(bool plain);
// Loops of this thread that ran their body flattened.
uint64_t FlatLoops();

} // namespace evalwalk
