// SPDX-License-Identifier: GPL-3.0-or-later
// cFormulaEngine: class-wide tables, construction and the instance helpers
// exported as free functions.
#include "cFormulaEngine.h"

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
    aBasicFunctionCount = 29;
    aBasicFunctionArray = std::make_unique<cBasicFunction[]>(aBasicFunctionCount);

    _SetBasic(0, "abs", Fn1(&abs), 1);
    _SetBasic(1, "ln", Fn1(&ln), 1);
    _SetBasic(2, "exp", Fn1(&exp), 1);
    _SetBasic(3, "sqrt", Fn1(&sqrt), 1);
    _SetBasic(4, "sin", Fn1(&sin), 1);
    _SetBasic(5, "cos", Fn1(&cos), 1);
    _SetBasic(6, "tan", Fn1(&tan), 1);
    _SetBasic(7, "cot", Fn1(&cot), 1);
    _SetBasic(8, "arcsin", Fn1(&arcsin), 1);
    _SetBasic(9, "arccos", Fn1(&arccos), 1);
    _SetBasic(10, "arctan", Fn1(&arctan), 1);
    _SetBasic(11, "arccot", Fn1(&arccot), 1);
    _SetBasic(12, "sinh", Fn1(&sinh), 1);
    _SetBasic(13, "cosh", Fn1(&cosh), 1);
    _SetBasic(14, "tanh", Fn1(&tanh), 1);
    _SetBasic(15, "arcsinh", Fn1(&arsinh), 1);
    _SetBasic(16, "arccosh", Fn1(&arcosh), 1);
    _SetBasic(17, "arctanh", Fn1(&artanh), 1);
    _SetBasic(18, "normloc", Fn1(&normloc), 1);
    _SetBasic(19, "norm", Fn1(&norm), 1);
    _SetBasic(20, "invnormloc", Fn1(&invnormloc), 1);
    _SetBasic(21, "invnorm", Fn1(&invnorm), 1);
    _SetBasic(22, "fak", Fn1(&fak), 1);
    _SetBasic(23, "per", Fn2(&per), 2);
    _SetBasic(24, "com", Fn2(&com), 2);
    _SetBasic(25, "trunc", Fn1(&trunc), 1);
    _SetBasic(26, "round", Fn1(&round), 1);
    _SetBasic(27, "e", Fn0(&e), 0);
    _SetBasic(28, "pi", Fn0(&pi), 0);
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
