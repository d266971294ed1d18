// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluator: walks a parsed tree, counts its steps and reports progress
// after every node.
#include "cFormulaEngine.h"

#include "cEvalMemory.h"
#include "cEvalStack.h"
#include "cEvalWalk.h"
#include "cTreeWalk.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace {

bool gPlainWalk = false;
thread_local uint64_t tFlatLoops = 0;

void Report(uint16_t level, uint8_t activity, uint32_t total, uint32_t done) {
    if (cFormulaEngine::ProgressIndicator)
        cFormulaEngine::ProgressIndicator(level, activity, total, done);
}

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

// Counter variable of a sum or product: i, j, k for selectors 1, 2, 3, else l.
int CounterIndex(const cLongReal& selector) {
    switch (static_cast<long>(round(selector))) {
    case 1: return 'i' - 'a';
    case 2: return 'j' - 'a';
    case 3: return 'k' - 'a';
    default: return 'l' - 'a';
    }
}

// The operation of a binary operator node on (left, right) into out, which
// may be left itself. Kept out of _EvalInto so its temporaries stay off the
// recursion's frames.
[[gnu::noinline]] void Apply(uint8_t kind, cLongReal& out, const cLongReal& left, const cLongReal& right) {
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

// The value of a leaf that needs no evaluation: a number, a constant or a
// variable; null for any other node.
const cLongReal* Leaf(const cFormulaEngine& engine, const cNode& node) {
    switch (node.aKind) {
    case nkNumber: return &node.aValue;
    case nkConstant: return &cFormulaEngine::aConstantArray[static_cast<size_t>(node.aIndex)].aValue;
    case nkVariable: return &engine.aVariables[static_cast<size_t>(node.aIndex)];
    default: return nullptr;
    }
}

// Whether a subtree holds a sum or product of its own instance (the only
// nodes that write this instance's variables).
bool HasLoop(const cNode& root) {
    if (gPlainWalk)
        return true;
    std::vector<const cNode*> open{&root};
    while (!open.empty()) {
        const cNode* node = open.back();
        open.pop_back();
        if (node->aKind == nkSum || node->aKind == nkProduct)
            return true;
        for (uint16_t i = 0; i < node->aChildCount; ++i)
            open.push_back(&node->aChildren[i]);
    }
    return false;
}

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

cLongReal& cFormulaEngine::_PushScratch() {
    if (aScratchTop == aScratch.size()) [[unlikely]]
        aScratch.push_back(std::make_unique<cLongReal>());
    return *aScratch[aScratchTop++];
}

namespace {

// The bits that an operand slot is counted at, against the memory budget.
size_t SlotCapacity() { return evalmemory::Capacity(std::max(cLongReal::WorkingBits() << 2, cLongReal::PassBits())); }

} // namespace

// The variables of the instances that one recomputation touches, as they
// were before its first pass. Instances are saved when first written to (a
// loop counter or a function's parameters), so a formula that writes none
// costs nothing here.
class cVariableJournal {
public:
    cVariableJournal() : aMark(++sLastMark), aOuter(sCurrent) { sCurrent = this; }
    ~cVariableJournal() { sCurrent = aOuter; }
    cVariableJournal(const cVariableJournal&) = delete;
    cVariableJournal& operator=(const cVariableJournal&) = delete;

    static void NoteIfActive(cFormulaEngine& engine) {
        if (sCurrent != nullptr && engine.aJournalMark != sCurrent->aMark)
            sCurrent->Note(engine);
    }
    void Restore() {
        for (auto& [engine, saved] : aSaved)
            for (size_t i = 0; i < 26; ++i)
                engine->aVariables[i] = saved[i];
    }

private:
    void Note(cFormulaEngine& engine) {
        auto& saved = aSaved.emplace_back(&engine, std::array<cLongReal, 26>{}).second;
        for (size_t i = 0; i < 26; ++i)
            saved[i] = engine.aVariables[i];
        engine.aJournalMark = aMark;
    }

    static inline thread_local uint64_t sLastMark = 0;
    static inline thread_local cVariableJournal* sCurrent = nullptr;
    uint64_t aMark;
    cVariableJournal* aOuter;
    std::vector<std::pair<cFormulaEngine*, std::array<cLongReal, 26>>> aSaved;
};

void evalwalk::SetPlain(bool plain) { gPlainWalk = plain; }
uint64_t evalwalk::FlatLoops() { return tFlatLoops; }

void cFormulaEngine::_Journal() { cVariableJournal::NoteIfActive(*this); }

// A result that does not show all its digits, or a decision that the balls
// cannot make, is computed again from the same variables with twice the
// bits, as the schedule allows. Calls inside a pass (function bodies) take
// one pass.
cLongReal cFormulaEngine::Evaluate() {
    if (!aRoot)
        throw std::logic_error("Evaluate: the instance holds no parsed formula");
    if (cLongRealPass::Active())
        return _EvaluatePass();
    cVariableJournal journal;
    for (cLongRealSchedule schedule;; schedule.Advance()) {
        cLongRealPass precision(schedule.Bits(), schedule.Decisions(), schedule.Exact());
        try {
            cLongReal result = _EvaluatePass();
            if (schedule.Last())
                return Settled(std::move(result));
            if (result.IsProven())
                return result;
        } catch (const cLongRealUndecided&) {
            if (schedule.Last())
                throw;
        }
        journal.Restore();
    }
}

cLongReal cFormulaEngine::_EvaluatePass() {
    aSlotCapacity = SlotCapacity();
    aBeatSent = false;
    aStepsDone = 0; // the silent steps of the count start afresh
    try {
        aStepsTotal = _NodeCalcSteps(*aRoot);
    } catch (...) {
        if (aBeatSent) // the host saw the level open: close it
            Report(aLevel, faIdle, 0, 0);
        throw;
    }
    aStepsDone = 0;
    cLongReal result;
    try {
        Report(aLevel, faCalculating, aStepsTotal, 0);
        _EvalInto(*aRoot, result);
    } catch (...) {
        aSilent = 0;
        Report(aLevel, faIdle, 0, 0);
        throw;
    }
    Report(aLevel, faIdle, 0, 0);
    return result;
}

cLongReal cFormulaEngine::_EvalNode(const cNode& node) {
    aSlotCapacity = SlotCapacity();
    cLongReal value;
    _EvalInto(node, value);
    return value;
}

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
        Report(aLevel, faCalculating, aStepsTotal, aStepsDone);
    } else if ((aStepsDone & kSilentBeatMask) == 0) [[unlikely]] {
        // A loop bound evaluated while the steps are counted reports nothing,
        // yet may run for long: an occasional report (no total yet) lets the
        // host show the work and interrupt it.
        aBeatSent = true;
        Report(aLevel, faCalculating, 0, 0);
    }
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
    const cLongReal* left = gPlainWalk ? nullptr : Leaf(*this, leftNode);
    const cLongReal* right = gPlainWalk ? nullptr : Leaf(*this, rightNode);
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
        Apply(node.aKind, out, *left, *right);
    } else {
        _EvalInto(leftNode, out);
        Apply(node.aKind, out, out, *right);
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

// Endless loops. Without a step back of the counter (an inner loop over the
// same counter setting it below where the last iteration started) the
// counter rises and the loop ends. After a step back the loop is refused only
// when it repeats: an iteration starts in a state that an earlier one started
// in, the state being the variables of this instance and of every function
// instance that the body can call. Constants, the pass precision and the
// loop's bounds do not change while it runs, so the body is a function of that
// state and equal states repeat for ever. The state at a step back is compared
// with the one saved at the 1st, 2nd, 4th, 8th, ... step back, which finds
// every repeating loop within twice its period and run-up of step backs, and
// never refuses a loop that ends. A loop that never ends without repeating (a
// counter set back while another climbs) is not found; it runs until it is
// cancelled.
class cLoopStates {
public:
    cLoopStates(cFormulaEngine& engine, const cNode& body) {
        aInstances.push_back(&engine);
        std::vector<const cNode*> open{&body};
        while (!open.empty()) {
            const cNode* node = open.back();
            open.pop_back();
            if (node->aKind == nkUserFunction) {
                cFormulaEngine* callee =
                    cFormulaEngine::aUserFunctionArray[static_cast<size_t>(node->aIndex)].aTree.get();
                if (callee && std::find(aInstances.begin(), aInstances.end(), callee) == aInstances.end()) {
                    aInstances.push_back(callee);
                    if (callee->aRoot)
                        open.push_back(callee->aRoot.get());
                }
            }
            for (uint16_t i = 0; i < node->aChildCount; ++i)
                open.push_back(&node->aChildren[i]);
        }
    }

    // At a step back: true when the state equals the saved one.
    bool Repeats() {
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

private:
    bool Equal() const {
        auto saved = aSaved.begin();
        for (const cFormulaEngine* instance : aInstances)
            for (const cLongReal& variable : instance->aVariables)
                if (!arb_equal((saved++)->arb(), variable.arb()))
                    return false;
        return true;
    }

    std::vector<cFormulaEngine*> aInstances;
    std::vector<cLongReal> aSaved;
    uint64_t aStepBacks = 0;
};

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
    bool Compile(const cFormulaEngine& engine, const cNode& body, cLongReal& out) {
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

    void Run(cFormulaEngine& engine) const {
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
                Apply(step.aNode->aKind, *step.aOut, *step.aLeft, *step.aRight);
            } else {
                *step.aOut = Value(step);
            }
            engine._CountStep();
        }
    }

private:
    struct tStep {
        const cNode* aNode;
        const cLongReal* aLeft; // the operands, as the operation reads them
        const cLongReal* aRight;
        cLongReal* aOut;
        uint32_t aLeavesBefore; // steps of leaf operands counted before the operation
    };

    static cLongReal Value(const tStep& step) {
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

    // The value of node: a leaf where it lies, else the register out after
    // the operations that compute it; registers from next on are free.
    const cLongReal* Operand(const cFormulaEngine& engine, const cNode& node, cLongReal* out, size_t next) {
        if (const cLongReal* leaf = Leaf(engine, node)) {
            ++aPending;
            return leaf;
        }
        Emit(engine, node, out, next);
        return out;
    }

    // A node that is no leaf, into out. The right operand (or second
    // argument) goes first, into a register of its own.
    void Emit(const cFormulaEngine& engine, const cNode& node, cLongReal* out, size_t next) {
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

    std::unique_ptr<cLongReal[]> aRegisters;
    std::vector<tStep> aSteps;
    uint32_t aPending = 0; // leaf steps not yet given to an operation
};

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
    const bool mayStepBack = counter <= *hi && HasLoop(child[3]);
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
                if (++walked == kWalkedIterations && !gPlainWalk) {
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
