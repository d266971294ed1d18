// SPDX-License-Identifier: GPL-3.0-or-later
// The steps of a tree, counted before it is evaluated: one per node, and a
// loop's body once per iteration.
#include "cEvalShared.h"
#include "cEvalStack.h"

#include <cmath>

namespace {

// Sets a flag for as long as it lives; clears it on every way out.
class cSilence {
public:
    explicit cSilence(uint8_t& flag) : aFlag(flag) { aFlag = 1; }
    ~cSilence() { aFlag = 0; }
    cSilence(const cSilence&) = delete;
    cSilence& operator=(const cSilence&) = delete;

private:
    uint8_t& aFlag;
};

// Steps of a sum or product: its bounds are evaluated silently to learn how
// often the body runs; the count wraps around on overflow.
[[gnu::noinline]] uint32_t LoopCalcSteps(cFormulaEngine& engine, const cNode& node) {
    const cNode* child = node.aChildren.get();
    int64_t lo = 0;
    int64_t hi = 0;
    {
        cSilence silence(engine.aSilent);
        lo = static_cast<long>(round(engine._EvalNode(child[1])));
        hi = static_cast<long>(round(engine._EvalNode(child[2])));
    }
    const int64_t n = hi - lo + 1 > 0 ? hi - lo + 1 : 0;
    uint32_t steps = engine._NodeCalcSteps(child[0]);
    steps += engine._NodeCalcSteps(child[1]);
    steps += engine._NodeCalcSteps(child[2]);
    steps += engine._NodeCalcSteps(child[3]) * static_cast<uint32_t>(n);
    return steps + 1;
}

} // namespace

uint32_t cFormulaEngine::_NodeCalcSteps(const cNode& node) {
    evalstack::Check();
    const cNode* child = node.aChildren.get();
    switch (node.aKind) {
    case nkUserFunction:
    case nkBasicFunction: {
        uint32_t steps = 1;
        for (uint16_t i = 0; i < node.aChildCount; ++i)
            steps += _NodeCalcSteps(child[i]);
        return steps;
    }
    case nkConstant:
    case nkVariable:
    case nkNumber: return 1;
    case nkAdd:
    case nkSubtract:
    case nkMultiply:
    case nkDivide:
    case nkPower: return 1 + _NodeCalcSteps(child[0]) + _NodeCalcSteps(child[1]);
    case nkNegate: return 1 + _NodeCalcSteps(child[0]);
    case nkSum:
    case nkProduct: return LoopCalcSteps(*this, node);
    default: return 0;
    }
}
