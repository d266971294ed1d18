// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: arbitrary formula text through Parse and Evaluate.
// Evaluations are bounded by a step budget and a time budget enforced from
// the progress hook, as a user would press Cancel: work that reports can
// always be stopped, so only work that cannot (one long library call, a
// parse) may reach libFuzzer's timeout.
#include "cFormulaEngine.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

namespace {

struct cBudgetExceeded {};

uint32_t gReports = 0;
constexpr uint32_t kReportBudget = 200000;
std::chrono::steady_clock::time_point gDeadline;
constexpr std::chrono::seconds kTimeBudget{5};

// A report without a total stands for a few thousand silent steps.
void BudgetHook(uint16_t, uint8_t activity, uint32_t total, uint32_t) {
    if (activity != faCalculating)
        return;
    if ((gReports += total == 0 ? 4096 : 1) > kReportBudget || std::chrono::steady_clock::now() > gDeadline)
        throw cBudgetExceeded{};
}

void AddLibraries() {
    cFormulaEngine::StartConstantEdit();
    cFormulaEngine::AddConstant("gn=9.80665", "standard gravity");
    cFormulaEngine::AddConstant("c0=299792458", "");
    cFormulaEngine::StopConstantEdit();
    cFormulaEngine::StartFunctionEdit();
    cFormulaEngine::AddFunction("f(x)=x*x+gn", "");
    cFormulaEngine::AddFunction("g(x,y)=f(x)-y/c0", "");
    cFormulaEngine::AddFunction("h()=sum(1,1,3,g(i,2))", "");
    cFormulaEngine::StopFunctionEdit();
}

cFormulaEngine& Engine() {
    static std::unique_ptr<cFormulaEngine> engine = [] {
        cFormulaEngine::aConstantMax = 16;
        cFormulaEngine::aUserFunctionMax = 16;
        cFormulaEngine::ProgressIndicator = BudgetHook;
        cFormulaEngine::Init();
        AddLibraries();
        return std::make_unique<cFormulaEngine>();
    }();
    return *engine;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 2048)
        return 0; // long texts only slow the search down
    cFormulaEngine& engine = Engine();
    const std::string text(reinterpret_cast<const char*>(data), size);
    gReports = 0;
    gDeadline = std::chrono::steady_clock::now() + kTimeBudget;
    for (char v = 'a'; v <= 'z'; ++v) // every input starts from the same state
        engine.SetVar(v, cLongReal(0L));
    try {
        engine.Parse(text.c_str());
    } catch (...) {
        return 0;
    }
    try {
        cLongReal value = engine.Evaluate();
        (void)static_cast<const char*>(value);
    } catch (const cBudgetExceeded&) {
    } catch (const std::exception&) {
    }
    return 0;
}
