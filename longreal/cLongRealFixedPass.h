// SPDX-License-Identifier: GPL-3.0-or-later
// A pass at a precision of the caller's choosing rather than the user's
// setting, for work that needs a fixed number of proven bits whatever the
// setting (drawing a curve needs about 17 digits, not thousands).
#pragma once

#include "cLongReal.h"

// For as long as it lives, in this thread: operations use `bits` bits;
// decisions the balls cannot make throw cLongRealUndecided unless `final`.
// Evaluations started meanwhile run as one pass at these bits.
class cLongRealFixedPass {
public:
    cLongRealFixedPass(slong bits, bool final);
    ~cLongRealFixedPass();
    cLongRealFixedPass(const cLongRealFixedPass&) = delete;
    cLongRealFixedPass& operator=(const cLongRealFixedPass&) = delete;

private:
    slong aSavedBits;
    bool aSavedFinal;
    bool aSavedActive;
};
