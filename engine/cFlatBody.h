// SPDX-License-Identifier: GPL-3.0-or-later
// The flat form of a plain loop body.
#pragma once

#include "cEvalShared.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <variant>
#include <vector>

// A loop body of plain arithmetic (numbers, constants, variables, operators
// and built-in calls; no loop and no user function, so nothing in it writes
// a variable) as a list of operations in the order the walk performs them,
// over registers of its own: run once per iteration without recursion. Each
// operation counts the steps of the leaf operands read before it, then its
// own, as the walk does. A loop runs its first iterations through the walk,
// which meets the depth and memory guards at the depth and with the operands
// that every later iteration has; the list uses less stack and holds its
// registers from the first iteration on, so it passes wherever the walk did.
class cFlatBody {
public:
    static constexpr size_t kMaxNodes = 64;

    // False when the body is not plain arithmetic of at most kMaxNodes nodes.
    bool Compile(const cFormulaEngine& engine, const cNode& body, cLongReal& out);
    void Run(cFormulaEngine& engine) const;

private:
    struct tStep {
        const cNode* aNode;
        const cLongReal* aLeft; // the operands, as the operation reads them
        const cLongReal* aRight;
        cLongReal* aOut;
        uint32_t aLeavesBefore; // steps of leaf operands counted before the operation
    };

    static cLongReal Value(const tStep& step);
    // The value of node: a leaf where it lies, else the register out after
    // the operations that compute it; registers from next on are free.
    const cLongReal* Operand(const cFormulaEngine& engine, const cNode& node, cLongReal* out, size_t next);
    // A node that is no leaf, into out. The right operand (or second
    // argument) goes first, into a register of its own.
    void Emit(const cFormulaEngine& engine, const cNode& node, cLongReal* out, size_t next);

    std::unique_ptr<cLongReal[]> aRegisters;
    std::vector<tStep> aSteps;
    uint32_t aPending = 0; // leaf steps not yet given to an operation
};

// Inlined where it is built in place, so the result needs no move.
[[gnu::always_inline]] inline cLongReal cFlatBody::Value(const tStep& step) {
    const cNode& node = *step.aNode;
    switch (node.aKind) {
    case nkBasicFunction: {
        const tBasicFn& function = cFormulaEngine::aBasicFunctionArray[static_cast<size_t>(node.aIndex)].aFunction;
        if (node.aChildCount == 0)
            return std::get<tBasicFn0>(function)();
        if (node.aChildCount == 1)
            return std::get<tBasicFn1>(function)(*step.aLeft);
        return std::get<tBasicFn2>(function)(*step.aLeft, *step.aRight);
    }
    case nkNegate: return -*step.aLeft;
    case nkAdd: return *step.aLeft + *step.aRight;
    case nkSubtract: return *step.aLeft - *step.aRight;
    case nkMultiply: return *step.aLeft * *step.aRight;
    case nkDivide: return *step.aLeft / *step.aRight;
    case nkPower: return power(*step.aLeft, *step.aRight);
    default: return *step.aLeft; // a leaf
    }
}

// Inline: it runs once per iteration of the loop that holds it.
[[gnu::always_inline]] inline void cFlatBody::Run(cFormulaEngine& engine) const {
    for (const tStep& step : aSteps) {
        for (uint32_t k = step.aLeavesBefore; k > 0; --k)
            engine._CountStep();
        if (step.aOut != step.aLeft) {
            // Built where it goes, without a temporary to move from; on
            // an exception the register is left zero.
            std::destroy_at(step.aOut);
            try {
                ::new (static_cast<void*>(step.aOut)) cLongReal(Value(step));
            } catch (...) {
                ::new (static_cast<void*>(step.aOut)) cLongReal();
                throw;
            }
        } else if (step.aNode->aKind >= nkAdd && step.aNode->aKind <= nkPower) {
            evalwalk::Apply(step.aNode->aKind, *step.aOut, *step.aLeft, *step.aRight);
        } else {
            *step.aOut = Value(step);
        }
        engine._CountStep();
    }
}
