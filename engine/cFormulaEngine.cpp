// SPDX-License-Identifier: GPL-3.0-or-later
// cFormulaEngine: class-wide tables, construction and the instance helpers
// exported as free functions.
#include "cFormulaEngine.h"

#include "cBuiltins.h"
#include "cParser.h"

#include <stdexcept>

std::unique_ptr<cUserFunction[]> cFormulaEngine::aUserFunctionArray;
uint32_t cFormulaEngine::aUserFunctionCount = 0;
std::unique_ptr<cConstant[]> cFormulaEngine::aConstantArray;
uint32_t cFormulaEngine::aConstantCount = 0;
std::unique_ptr<cBasicFunction[]> cFormulaEngine::aBasicFunctionArray;
uint32_t cFormulaEngine::aBasicFunctionCount = 0;
std::unique_ptr<cUserFunction[]> cFormulaEngine::aUserFunctionEditMem;
uint32_t cFormulaEngine::aUserFunctionEditCount = 0;
std::unique_ptr<cConstant[]> cFormulaEngine::aConstantEditMem;
uint32_t cFormulaEngine::aConstantEditCount = 0;
bool cFormulaEngine::aConstantEditMode = false;
bool cFormulaEngine::aFunctionEditMode = false;
bool cFormulaEngine::aSearchEditFunc = false;
uint32_t cFormulaEngine::aParsedFunctions = 0;
// The engine's own capacities, for a host that sets none. They are not the
// defaults of Korund.ini (MaxFunc there is 30): every program applies its
// settings before Init (ApplySettings), and the settings own those defaults.
uint32_t cFormulaEngine::aUserFunctionMax = 100;
uint32_t cFormulaEngine::aConstantMax = 100;
uint16_t cFormulaEngine::aConstRefAlloc = 10;
tFileReadHook cFormulaEngine::FileRead = nullptr;
tFileWriteHook cFormulaEngine::FileWrite = nullptr;
tProgressHook cFormulaEngine::ProgressIndicator = nullptr;

namespace {

tBasicFn Fn0(tBasicFn0 f) { return f; }
tBasicFn Fn1(tBasicFn1 f) { return f; }
tBasicFn Fn2(tBasicFn2 f) { return f; }

} // namespace

void cFormulaEngine::Init() {
    cLongReal::Init();
    // A second Init replaces the tables; the old ones go first.
    FreeStatics();
    // Fresh tables start empty: counts and edit copies that described the
    // released tables (a second Init) would point past them or at freed nodes.
    aUserFunctionCount = 0;
    aConstantCount = 0;
    aUserFunctionEditMem.reset();
    aConstantEditMem.reset();
    aUserFunctionEditCount = 0;
    aConstantEditCount = 0;
    aFunctionEditMode = false;
    aConstantEditMode = false;
    aSearchEditFunc = false;
    aParsedFunctions = 0;
    aUserFunctionArray = std::make_unique<cUserFunction[]>(aUserFunctionMax);
    aConstantArray = std::make_unique<cConstant[]>(aConstantMax);
    aBasicFunctionCount = kBasicFunctionCount;
    aBasicFunctionArray = std::make_unique<cBasicFunction[]>(aBasicFunctionCount);

    // Names and argument counts come from kBuiltins; the functions in its order.
    const tBasicFn functions[kBasicFunctionCount] = {
        Fn1(&abs),     Fn1(&ln),    Fn1(&exp),        Fn1(&sqrt),    Fn1(&sin),    Fn1(&cos),
        Fn1(&tan),     Fn1(&cot),   Fn1(&arcsin),     Fn1(&arccos),  Fn1(&arctan), Fn1(&arccot),
        Fn1(&sinh),    Fn1(&cosh),  Fn1(&tanh),       Fn1(&arsinh),  Fn1(&arcosh), Fn1(&artanh),
        Fn1(&normloc), Fn1(&norm),  Fn1(&invnormloc), Fn1(&invnorm), Fn1(&fak),    Fn2(&per),
        Fn2(&com),     Fn1(&trunc), Fn1(&round),      Fn0(&e),       Fn0(&pi),
    };
    for (uint16_t i = 0; i < kBasicFunctionCount; ++i)
        _SetBasic(i, kBuiltins[i].aName, functions[i], kBuiltins[i].aArgCount);
}

void cFormulaEngine::FreeStatics() {
    aUserFunctionArray.reset();
    aConstantArray.reset();
    aBasicFunctionArray.reset();
}

void cFormulaEngine::_SetBasic(uint16_t index, const char* name, tBasicFn function, uint16_t argCount) {
    if (function.index() != size_t{argCount} + 1)
        throw std::logic_error("_SetBasic: the function does not take that many arguments");
    cBasicFunction& record = aBasicFunctionArray[index];
    record.aName = name;
    record.aFunction = function;
    record.aArgCount = argCount;
}

cFormulaEngine::cFormulaEngine() = default;

cFormulaEngine::cFormulaEngine(const char* formula) {
    aFormula = StripFormula(formula);
    aRoot = std::make_unique<cNode>();
    *aRoot = _BuildFormula();
}

cFormulaEngine::~cFormulaEngine() = default;

cFormulaEngine* FE_BuildInstance() { return new cFormulaEngine(); }

void FE_ClearInstance(cFormulaEngine*& instance) {
    delete instance;
    instance = nullptr;
}

const char* feFehlerName(feFehlerCode code) {
    switch (code) {
    case feErrBrackets: return "feErrBrackets";
    case feErrUnknownFunction: return "feErrUnknownFunction";
    case feErrUnknownConstant: return "feErrUnknownConstant";
    case feErrBadSymbol: return "feErrBadSymbol";
    case feErrEmpty: return "feErrEmpty";
    case feErrArgCount: return "feErrArgCount";
    case feErrTooDeep: return "feErrTooDeep";
    }
    return "feErrUnknown";
}
