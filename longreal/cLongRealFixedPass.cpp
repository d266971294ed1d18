// SPDX-License-Identifier: GPL-3.0-or-later
#include "cLongRealFixedPass.h"

#include "Support.h"

#include <algorithm>

cLongRealFixedPass::cLongRealFixedPass(slong bits, bool final)
    : aSavedBits(longreal::tPass.bits), aSavedFinal(longreal::tPass.final), aSavedActive(longreal::tPass.active)
{
    longreal::tPass.bits = std::max<slong>(bits, 16);
    longreal::tPass.final = final;
    longreal::tPass.active = true;
}

cLongRealFixedPass::~cLongRealFixedPass()
{
    longreal::tPass.bits = aSavedBits;
    longreal::tPass.final = aSavedFinal;
    longreal::tPass.active = aSavedActive;
}
