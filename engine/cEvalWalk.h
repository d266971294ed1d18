// SPDX-License-Identifier: GPL-3.0-or-later
// Test seam of the evaluator. The plain walk copies every operand into a
// slot of its own and checks every loop for a counter set back; the usual
// walk reads leaf operands where they lie and checks only loops whose body
// holds a loop. Both must give the same values, reports, errors and
// variables; the plain walk is the oracle of that test.
#pragma once

namespace evalwalk {

void SetPlain(bool plain);

} // namespace evalwalk
