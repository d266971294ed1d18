// SPDX-License-Identifier: GPL-3.0-or-later
// Starting the engine's tables with the capacities of the settings file.
#pragma once

#include "KorundSettings.h"

#include <functional>
#include <string>
#include <vector>

// Applies settings and runs init (cFormulaEngine::Init in the program). When
// that runs out of memory, each capacity (MaxConst, MaxFunc, RefAlloc) that
// differs from its default is set back to the default and init runs once
// more; the keys set back are returned as "MaxConst=100000". A failure with
// the defaults propagates.
std::vector<std::string> InitWithDefaultCapacitiesOnFailure(cKorundSettings& settings,
                                                            const std::function<void()>& init);
