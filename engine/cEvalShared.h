// SPDX-License-Identifier: GPL-3.0-or-later
// What the evaluator's files share: the report, the step count, leaf
// operands, the operator step and the scratch slots. Internal to the engine.
#pragma once

#include "cEvalMemory.h"
#include "cFormulaEngine.h"
#include "cProgress.h"
#include "cTreeWalk.h"

#include <cstdint>

namespace evalwalk {

// The plain walk of the differential test (cEvalWalk.h).
inline bool gPlain = false;

// The value of a leaf that needs no evaluation: a number, a constant or a
// variable; null for any other node.
inline const cLongReal* Leaf(const cFormulaEngine& engine, const cNode& node) {
    switch (node.aKind) {
    case nkNumber: return &node.aValue;
    case nkConstant: return &cFormulaEngine::aConstantArray[static_cast<size_t>(node.aIndex)].aValue;
    case nkVariable: return &engine.aVariables[static_cast<size_t>(node.aIndex)];
    default: return nullptr;
    }
}

// The operation of a binary operator node on (left, right) into out, which
// may be left itself.
void Apply(uint8_t kind, cLongReal& out, const cLongReal& left, const cLongReal& right);

} // namespace evalwalk

// Silent steps between two reports of a long silent bound evaluation. Node
// reports are suppressed while the bounds of a loop are counted, but such a
// bound may itself be a long loop, and a host can cancel only from inside a
// report: so every 4,096th silent step reports (level, calculating, 0, 0), a
// total not yet known. This beat is a deliberate addition to the silence; it
// costs one report per 4,096 steps and shows the host that work goes on.
constexpr uint32_t kSilentBeatMask = 0xFFF;

[[gnu::always_inline]] inline void cFormulaEngine::_CountStep() {
    ++aStepsDone;
    if (!aSilent) {
        ReportProgress(aLevel, faCalculating, aStepsTotal, aStepsDone);
    } else if ((aStepsDone & kSilentBeatMask) == 0) [[unlikely]] {
        aBeatSent = true;
        ReportProgress(aLevel, faCalculating, 0, 0);
    }
}

// One slot of the instance's scratch stack, released when it goes out of scope.
// A slot may receive a copy of a literal or constant, which carry the bits
// of the last pass, so it is counted at that size.
// The capacity for that size is found once per evaluation (aSlotCapacity).
class cScratchSlot {
public:
    explicit cScratchSlot(cFormulaEngine& engine)
        : aHold(evalmemory::cHold::tCapacity{engine.aSlotCapacity}), aEngine(engine), aValue(engine._PushScratch()) {}
    ~cScratchSlot() { --aEngine.aScratchTop; }
    cScratchSlot(const cScratchSlot&) = delete;
    cScratchSlot& operator=(const cScratchSlot&) = delete;
    cLongReal& operator*() { return aValue; }

private:
    evalmemory::cHold aHold;
    cFormulaEngine& aEngine;
    cLongReal& aValue;
};
