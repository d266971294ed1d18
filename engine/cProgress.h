// SPDX-License-Identifier: GPL-3.0-or-later
// A report to the host's progress hook, when one is installed.
#pragma once

#include "cFormulaEngine.h"

#include <cstdint>

inline void ReportProgress(uint16_t level, uint8_t activity, uint32_t total, uint32_t done) {
    if (cFormulaEngine::ProgressIndicator)
        cFormulaEngine::ProgressIndicator(level, activity, total, done);
}
