// SPDX-License-Identifier: GPL-3.0-or-later
#include "cLoopStates.h"

#include "cTreeWalk.h"

#include <algorithm>
#include <iterator>

// The instances are this one and every function instance the body can call,
// through any depth of calls.
cLoopStates::cLoopStates(cFormulaEngine& engine, const cNode& body) {
    aInstances.push_back(&engine);
    std::vector<const cNode*> roots{&body};
    while (!roots.empty()) {
        const cNode* root = roots.back();
        roots.pop_back();
        WalkTree(*root, [&](const cNode& node) {
            if (node.aKind != nkUserFunction)
                return;
            cFormulaEngine* callee = cFormulaEngine::aUserFunctionArray[static_cast<size_t>(node.aIndex)].aTree.get();
            if (callee && std::find(aInstances.begin(), aInstances.end(), callee) == aInstances.end()) {
                aInstances.push_back(callee);
                if (callee->aRoot)
                    roots.push_back(callee->aRoot.get());
            }
        });
    }
}

bool cLoopStates::Repeats() {
    ++aStepBacks;
    if (!aSaved.empty() && Equal())
        return true;
    if ((aStepBacks & (aStepBacks - 1)) == 0) {
        aSaved.clear();
        for (const cFormulaEngine* instance : aInstances)
            aSaved.insert(aSaved.end(), std::begin(instance->aVariables), std::end(instance->aVariables));
    }
    return false;
}

bool cLoopStates::Equal() const {
    auto saved = aSaved.begin();
    for (const cFormulaEngine* instance : aInstances)
        for (const cLongReal& variable : instance->aVariables)
            if (!arb_equal((saved++)->arb(), variable.arb()))
                return false;
    return true;
}
