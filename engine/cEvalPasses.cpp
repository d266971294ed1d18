// SPDX-License-Identifier: GPL-3.0-or-later
// The passes of one evaluation: a result that does not show all its digits,
// or a decision that the balls cannot make, is computed again from the same
// variables with twice the bits, as the schedule allows.
#include "cEvalShared.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

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

void cFormulaEngine::_Journal() { cVariableJournal::NoteIfActive(*this); }

// Calls inside a pass (function bodies) take one pass.
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
