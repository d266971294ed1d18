// SPDX-License-Identifier: GPL-3.0-or-later
// The check of a loop whose counter an inner loop sets back.
#pragma once

#include "cFormulaEngine.h"

#include <cstdint>
#include <vector>

// Endless loops. Without a step back of the counter (an inner loop over the
// same counter setting it below where the last iteration started) the
// counter rises and the loop ends. After a step back the loop is refused only
// when it repeats: an iteration starts in a state that an earlier one started
// in, the state being the variables of this instance and of every function
// instance that the body can call. Constants, the pass precision and the
// loop's bounds do not change while it runs, so the body is a function of that
// state and equal states repeat for ever. The state at a step back is compared
// with the one saved at the 1st, 2nd, 4th, 8th, ... step back, which finds
// every repeating loop within twice its period and run-up of step backs, and
// never refuses a loop that ends. A loop that never ends without repeating (a
// counter set back while another climbs) is not found; it runs until it is
// cancelled.
class cLoopStates {
public:
    cLoopStates(cFormulaEngine& engine, const cNode& body);
    // At a step back: true when the state equals the saved one.
    bool Repeats();

private:
    bool Equal() const;

    std::vector<cFormulaEngine*> aInstances;
    std::vector<cLongReal> aSaved;
    uint64_t aStepBacks = 0;
};
