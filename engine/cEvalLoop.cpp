// SPDX-License-Identifier: GPL-3.0-or-later
// Sums and products: the counter, the body's iterations, the flat form of a
// long plain body and the check of a counter set back.
#include "cEvalShared.h"
#include "cEvalWalk.h"
#include "cFlatBody.h"
#include "cLoopStates.h"

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

thread_local uint64_t tFlatLoops = 0;

// Counter variable of a sum or product: i, j, k for selectors 1, 2, 3, else l.
int CounterIndex(const cLongReal& selector) {
    switch (static_cast<long>(round(selector))) {
    case 1: return 'i' - 'a';
    case 2: return 'j' - 'a';
    case 3: return 'k' - 'a';
    default: return 'l' - 'a';
    }
}

} // namespace

uint64_t evalwalk::FlatLoops() { return tFlatLoops; }

// Iterations a loop runs through the walk before its body is flattened.
constexpr uint32_t kWalkedIterations = 8;

[[gnu::noinline]] void cFormulaEngine::_EvalLoop(const cNode& node, cLongReal& out) {
    const cNode* child = node.aChildren.get();
    cScratchSlot hi(*this);
    cScratchSlot value(*this);
    _EvalInto(child[0], *value);
    cLongReal& counter = aVariables[CounterIndex(*value)];
    _EvalInto(child[1], *value);
    cLongReal lo = round(*value);
    _EvalInto(child[2], *value);
    *hi = round(*value);
    const bool isSum = node.aKind == nkSum;
    _Journal();
    out = cLongReal(isSum ? 0L : 1L);
    counter = std::move(lo);
    // Only a loop of this instance in the body can set the counter back.
    const bool mayStepBack = counter <= *hi && (evalwalk::gPlain || HasLoop(child[3]));
    cScratchSlot start(*this);           // the counter at the start of the last iteration
    std::unique_ptr<cLoopStates> states; // made at the first step back
    std::unique_ptr<cFlatBody> flat;
    uint32_t walked = 0;
    for (bool first = true; counter <= *hi; first = false) {
        if (!mayStepBack) {
            if (flat) {
                flat->Run(*this);
            } else {
                _EvalInto(child[3], *value);
                if (++walked == kWalkedIterations && !evalwalk::gPlain) {
                    flat = std::make_unique<cFlatBody>();
                    if (flat->Compile(*this, child[3], *value))
                        ++tFlatLoops;
                    else
                        flat.reset();
                }
            }
            if (isSum)
                out += *value;
            else
                out *= *value;
            ++counter;
            continue;
        }
        if (!first && counter <= *start) {
            if (!states)
                states = std::make_unique<cLoopStates>(*this, child[3]);
            if (states->Repeats())
                throw std::runtime_error(std::string(isSum ? "sum" : "mul") +
                                         ": an inner loop sets the counter back, so the loop never ends");
        }
        *start = counter;
        _EvalInto(child[3], *value);
        if (isSum)
            out += *value;
        else
            out *= *value;
        ++counter;
    }
}
