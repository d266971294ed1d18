// Evaluator: walks a parsed tree, counts its steps and reports progress
// after every node.
#include "cFormulaEngine.h"

#include <cstdint>
#include <stdexcept>

namespace {

using tBasicFn3 = cLongReal (*)(const cLongReal&, const cLongReal&, const cLongReal&);

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

} // namespace

// One slot of the instance's scratch stack, released when it goes out of scope.
class cScratchSlot {
public:
    explicit cScratchSlot(cFormulaEngine& engine) : aEngine(engine), aValue(engine._PushScratch()) {}
    ~cScratchSlot() { --aEngine.aScratchTop; }
    cScratchSlot(const cScratchSlot&) = delete;
    cScratchSlot& operator=(const cScratchSlot&) = delete;
    cLongReal& operator*() { return aValue; }

private:
    cFormulaEngine& aEngine;
    cLongReal& aValue;
};

cLongReal& cFormulaEngine::_PushScratch() {
    // A deque keeps the addresses of its elements when it grows at the back.
    if (aScratchTop == aScratch.size())
        aScratch.emplace_back();
    return aScratch[aScratchTop++];
}

cLongReal cFormulaEngine::Evaluate() {
    if (!aRoot)
        throw std::logic_error("Evaluate: the instance holds no parsed formula");
    aStepsTotal = _NodeCalcSteps(*aRoot);
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
    cLongReal value;
    _EvalInto(node, value);
    return value;
}

void cFormulaEngine::_CountStep() {
    ++aStepsDone;
    if (!aSilent)
        Report(aLevel, faCalculating, aStepsTotal, aStepsDone);
}

void cFormulaEngine::_EvalInto(const cNode& node, cLongReal& out) {
    const cNode* child = node.aChildren.get();
    switch (node.aKind) {
    case nkUserFunction: {
        cFormulaEngine* body = aUserFunctionArray[node.aIndex].aTree.get();
        if (!body)
            throw std::logic_error("Evaluate: user function without a compiled body");
        for (uint16_t i = 0; i < node.aChildCount; ++i) {
            cScratchSlot argument(*this);
            _EvalInto(child[i], *argument);
            if (i < 26)
                body->aVariables[i] = *argument;
        }
        body->aLevel = static_cast<uint16_t>(aLevel + 1);
        out = body->Evaluate();
        break;
    }
    case nkBasicFunction: {
        const tBasicFn function = aBasicFunctionArray[node.aIndex].aFunction;
        switch (node.aChildCount) {
        case 0:
            out = reinterpret_cast<tBasicFn0>(function)();
            break;
        case 1:
            _EvalInto(child[0], out);
            out = reinterpret_cast<tBasicFn1>(function)(out);
            break;
        case 2: {
            cScratchSlot x1(*this);
            _EvalInto(child[1], *x1);
            _EvalInto(child[0], out);
            out = reinterpret_cast<tBasicFn2>(function)(out, *x1);
            break;
        }
        case 3: {
            cScratchSlot x2(*this);
            cScratchSlot x1(*this);
            _EvalInto(child[2], *x2);
            _EvalInto(child[1], *x1);
            _EvalInto(child[0], out);
            out = reinterpret_cast<tBasicFn3>(function)(out, *x1, *x2);
            break;
        }
        default:
            out = cLongReal(0L);
            return;
        }
        break;
    }
    case nkConstant:
        out = aConstantArray[node.aIndex].aValue;
        break;
    case nkVariable:
        out = aVariables[node.aIndex];
        break;
    case nkAdd:
    case nkSubtract:
    case nkMultiply:
    case nkDivide:
    case nkPower: {
        cScratchSlot right(*this);
        _EvalInto(child[1], *right);
        _EvalInto(child[0], out);
        switch (node.aKind) {
        case nkAdd: out = out + *right; break;
        case nkSubtract: out = out - *right; break;
        case nkMultiply: out = out * *right; break;
        case nkDivide: out = out / *right; break;
        default: out = power(out, *right); break;
        }
        break;
    }
    case nkNegate:
        _EvalInto(child[0], out);
        out = -out;
        break;
    case nkNumber:
        out = node.aValue;
        break;
    case nkSum:
    case nkProduct: {
        cScratchSlot hi(*this);
        cScratchSlot value(*this);
        _EvalInto(child[0], *value);
        const int counter = CounterIndex(*value);
        _EvalInto(child[1], *value);
        cLongReal lo = round(*value);
        _EvalInto(child[2], *value);
        *hi = round(*value);
        const bool isSum = node.aKind == nkSum;
        out = cLongReal(isSum ? 0L : 1L);
        aVariables[counter] = std::move(lo);
        while (aVariables[counter] <= *hi) {
            _EvalInto(child[3], *value);
            if (isSum)
                out += *value;
            else
                out *= *value;
            ++aVariables[counter];
        }
        break;
    }
    default:
        out = cLongReal(0L);
        return;
    }
    _CountStep();
}

uint32_t cFormulaEngine::_NodeCalcSteps(const cNode& node) {
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
    case nkNumber:
        return 1;
    case nkAdd:
    case nkSubtract:
    case nkMultiply:
    case nkDivide:
    case nkPower:
        return 1 + _NodeCalcSteps(child[0]) + _NodeCalcSteps(child[1]);
    case nkNegate:
        return 1 + _NodeCalcSteps(child[0]);
    case nkSum:
    case nkProduct: {
        int64_t lo = 0;
        int64_t hi = 0;
        {
            cSilence silence(aSilent);
            lo = static_cast<long>(round(_EvalNode(child[1])));
            hi = static_cast<long>(round(_EvalNode(child[2])));
        }
        const int64_t n = hi - lo + 1 > 0 ? hi - lo + 1 : 0;
        uint32_t steps = _NodeCalcSteps(child[0]);
        steps += _NodeCalcSteps(child[1]);
        steps += _NodeCalcSteps(child[2]);
        steps += _NodeCalcSteps(child[3]) * static_cast<uint32_t>(n);
        return steps + 1;
    }
    default:
        return 0;
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
