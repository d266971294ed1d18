// SPDX-License-Identifier: GPL-3.0-or-later
#include "cFlatBody.h"

#include <memory>

using evalwalk::Leaf;

bool cFlatBody::Compile(const cFormulaEngine& engine, const cNode& body, cLongReal& out) {
    size_t nodes = 0;
    const bool plain = WalkTree(body, [&](const cNode& node) {
        if (++nodes > kMaxNodes)
            return false;
        switch (node.aKind) {
        case nkBasicFunction:
            return cFormulaEngine::aBasicFunctionArray[static_cast<size_t>(node.aIndex)].aFunction.index() ==
                   size_t{node.aChildCount} + 1;
        case nkNumber:
        case nkConstant:
        case nkVariable:
        case nkNegate: return true;
        default: return node.aKind >= nkAdd && node.aKind <= nkPower;
        }
    });
    if (!plain)
        return false;
    aRegisters = std::make_unique<cLongReal[]>(nodes);
    const cLongReal* leaf = Leaf(engine, body);
    if (leaf)
        aSteps.push_back({&body, leaf, nullptr, &out, 0});
    else
        Emit(engine, body, &out, 0);
    return true;
}

const cLongReal* cFlatBody::Operand(const cFormulaEngine& engine, const cNode& node, cLongReal* out, size_t next) {
    if (const cLongReal* leaf = Leaf(engine, node)) {
        ++aPending;
        return leaf;
    }
    Emit(engine, node, out, next);
    return out;
}

void cFlatBody::Emit(const cFormulaEngine& engine, const cNode& node, cLongReal* out, size_t next) {
    const cNode* child = node.aChildren.get();
    const cLongReal* left = nullptr;
    const cLongReal* right = nullptr;
    if (node.aChildCount == 2) {
        right = Operand(engine, child[1], &aRegisters[next], next + 1);
        left = Operand(engine, child[0], out, next + 1);
    } else if (node.aChildCount == 1) {
        left = Operand(engine, child[0], out, next);
    }
    aSteps.push_back({&node, left, right, out, aPending});
    aPending = 0;
}
