// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluator: walks a parsed tree, counts its steps and reports progress
// after every node.
#include "cEvalShared.h"
#include "cEvalStack.h"
#include "cEvalWalk.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>
#include <variant>

using evalwalk::Leaf;

// Kept out of _EvalInto so its temporaries stay off the recursion's frames.
[[gnu::noinline]] void evalwalk::Apply(uint8_t kind, cLongReal& out, const cLongReal& left, const cLongReal& right) {
    if (&out == &left) {
        switch (kind) {
        case nkAdd: out += right; return;
        case nkSubtract: out -= right; return;
        case nkMultiply: out *= right; return;
        case nkDivide: out /= right; return;
        default: out = power(left, right); return;
        }
    }
    switch (kind) {
    case nkAdd: out = left + right; return;
    case nkSubtract: out = left - right; return;
    case nkMultiply: out = left * right; return;
    case nkDivide: out = left / right; return;
    default: out = power(left, right); return;
    }
}

cLongReal& cFormulaEngine::_PushScratch() {
    if (aScratchTop == aScratch.size()) [[unlikely]]
        aScratch.push_back(std::make_unique<cLongReal>());
    return *aScratch[aScratchTop++];
}

namespace {

// The bits that an operand slot is counted at, against the memory budget.
size_t SlotCapacity() { return evalmemory::Capacity(std::max(cLongReal::WorkingBits() << 2, cLongReal::PassBits())); }

} // namespace

cLongReal cFormulaEngine::_EvaluatePass() {
    aSlotCapacity = SlotCapacity();
    aBeatSent = false;
    aStepsDone = 0; // the silent steps of the count start afresh
    try {
        aStepsTotal = _NodeCalcSteps(*aRoot);
    } catch (...) {
        if (aBeatSent) // the host saw the level open: close it
            ReportProgress(aLevel, faIdle, 0, 0);
        throw;
    }
    aStepsDone = 0;
    cLongReal result;
    try {
        ReportProgress(aLevel, faCalculating, aStepsTotal, 0);
        _EvalInto(*aRoot, result);
    } catch (...) {
        aSilent = 0;
        ReportProgress(aLevel, faIdle, 0, 0);
        throw;
    }
    ReportProgress(aLevel, faIdle, 0, 0);
    return result;
}

cLongReal cFormulaEngine::_EvalNode(const cNode& node) {
    aSlotCapacity = SlotCapacity();
    cLongReal value;
    _EvalInto(node, value);
    return value;
}

void cFormulaEngine::_EvalInto(const cNode& node, cLongReal& out) {
    evalstack::Check();
    switch (node.aKind) {
    case nkUserFunction: _EvalUserFunction(node, out); break;
    case nkBasicFunction:
        if (!_EvalBasicFunction(node, out)) {
            out = cLongReal(0L);
            return;
        }
        break;
    case nkConstant: out = aConstantArray[static_cast<size_t>(node.aIndex)].aValue; break;
    case nkVariable: out = aVariables[static_cast<size_t>(node.aIndex)]; break;
    case nkAdd:
    case nkSubtract:
    case nkMultiply:
    case nkDivide:
    case nkPower: _EvalOperator(node, out); break;
    case nkNegate:
        _EvalInto(node.aChildren[0], out);
        out = -out;
        break;
    case nkNumber: out = node.aValue; break;
    case nkSum:
    case nkProduct: _EvalLoop(node, out); break;
    default: out = cLongReal(0L); return;
    }
    _CountStep();
}

// An operator node. A leaf operand is used where it lies instead of being
// copied, with its step counted where its evaluation would be: the left one
// is read last in any case; the right one is read after the left operand
// has been evaluated, so it is used in place only when it cannot change
// meanwhile (a number or constant, or a variable beside a leaf).
[[gnu::noinline]] void cFormulaEngine::_EvalOperator(const cNode& node, cLongReal& out) {
    const cNode& leftNode = node.aChildren[0];
    const cNode& rightNode = node.aChildren[1];
    const cLongReal* left = evalwalk::gPlain ? nullptr : Leaf(*this, leftNode);
    const cLongReal* right = evalwalk::gPlain ? nullptr : Leaf(*this, rightNode);
    std::optional<cScratchSlot> slot;
    if (right && (rightNode.aKind != nkVariable || left)) {
        _CountStep();
    } else {
        slot.emplace(*this);
        _EvalInto(rightNode, **slot);
        right = &**slot;
    }
    if (left) {
        _CountStep();
        evalwalk::Apply(node.aKind, out, *left, *right);
    } else {
        _EvalInto(leftNode, out);
        evalwalk::Apply(node.aKind, out, out, *right);
    }
}

// A built-in call; false, with nothing evaluated, when its arguments are not
// those of the function (the parser builds no such call; the table has no
// function of more than 2 arguments).
[[gnu::noinline]] bool cFormulaEngine::_EvalBasicFunction(const cNode& node, cLongReal& out) {
    const tBasicFn& function = aBasicFunctionArray[static_cast<size_t>(node.aIndex)].aFunction;
    const cNode* child = node.aChildren.get();
    if (function.index() != size_t{node.aChildCount} + 1)
        return false;
    switch (node.aChildCount) {
    case 0: out = std::get<tBasicFn0>(function)(); break;
    case 1:
        _EvalInto(child[0], out);
        out = std::get<tBasicFn1>(function)(out);
        break;
    default: {
        cScratchSlot x1(*this);
        _EvalInto(child[1], *x1);
        _EvalInto(child[0], out);
        out = std::get<tBasicFn2>(function)(out, *x1);
        break;
    }
    }
    return true;
}

[[gnu::noinline]] void cFormulaEngine::_EvalUserFunction(const cNode& node, cLongReal& out) {
    cFormulaEngine* body = aUserFunctionArray[static_cast<size_t>(node.aIndex)].aTree.get();
    if (!body)
        throw std::logic_error("Evaluate: user function without a compiled body");
    body->_Journal();
    for (uint16_t i = 0; i < node.aChildCount; ++i) {
        cScratchSlot argument(*this);
        _EvalInto(node.aChildren[i], *argument);
        if (i < 26)
            body->aVariables[i] = *argument;
    }
    body->aLevel = static_cast<uint16_t>(aLevel + 1);
    out = body->Evaluate();
}

bool cFormulaEngine::SetVar(char name, cLongReal value) {
    if (name < 'a' || name > 'z')
        return false;
    aVariables[name - 'a'] = std::move(value);
    return true;
}

cLongReal cFormulaEngine::GetVar(char name) const {
    if (name < 'a' || name > 'z')
        return cLongReal(0L);
    return aVariables[name - 'a'];
}

void evalwalk::SetPlain(bool plain) { gPlain = plain; }
