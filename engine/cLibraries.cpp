// SPDX-License-Identifier: GPL-3.0-or-later
// The constant and user-function libraries: edit modes, entry operations on
// the edit copies, and compiling an edit copy into the live table.
#include "cCompileMemory.h"
#include "cConstantRefs.h"
#include "cEvalMemory.h"
#include "cFormulaEngine.h"
#include "cParser.h"
#include "cProgress.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

bool& compilememory::OutOfMemory() {
    static bool outOfMemory = false;
    return outOfMemory;
}

namespace {

using Engine = cFormulaEngine;

// Parameters are bound to the variables a..z of the body's instance.
constexpr size_t kMaxParameters = 26;

struct CompileFailure {};

// Library work reports at level 0.
void Report(uint8_t activity, uint32_t total, uint32_t done) { ReportProgress(0, activity, total, done); }

tOwnedText CopyText(const std::string& text) {
    tOwnedText copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

// Room of each edit copy, fixed when its edit mode starts.
uint32_t gConstantEditCapacity = 0;
uint32_t gFunctionEditCapacity = 0;

bool FunctionsEditable() { return Engine::aFunctionEditMode && Engine::aUserFunctionEditMem; }

// Sets the parser to look up user functions in the compiled part of the
// function edit copy for as long as it lives.
class SearchEditScope {
public:
    SearchEditScope() { Engine::aSearchEditFunc = true; }
    ~SearchEditScope() { Engine::aSearchEditFunc = false; }
    SearchEditScope(const SearchEditScope&) = delete;
    SearchEditScope& operator=(const SearchEditScope&) = delete;
};

void CompileConstant(cConstant& c) {
    auto text = StripFormula(c.aDefinition.c_str());
    const char* equals = std::strchr(text.get(), '=');
    if (!equals)
        throw CompileFailure{};
    c.aName.assign(text.get(), static_cast<size_t>(equals - text.get()));
    c.aValue = cLongReal(equals + 1);
}

// name(p1,p2,...)=body, each parameter one name character.
void CompileFunction(cUserFunction& f) {
    auto text = StripFormula(f.aDefinition.c_str());
    char* head = text.get();
    char* equals = std::strchr(head, '=');
    if (!equals)
        throw CompileFailure{};
    const size_t headLength = static_cast<size_t>(equals - head);
    if (headLength < 2 || head[headLength - 1] != ')')
        throw CompileFailure{};
    const char* open = static_cast<const char*>(std::memchr(head, '(', headLength));
    if (!open)
        throw CompileFailure{};
    const char* close = head + headLength - 1;

    std::string parameters;
    if (close[-1] != '(') {
        for (const char* p = open + 1;; p += 2) {
            if (p >= close || !IsNameChar(*p))
                throw CompileFailure{};
            parameters.push_back(*p);
            if (p[1] != ',')
                break; // the rest of the head is not examined
        }
    }
    if (parameters.size() > kMaxParameters)
        throw CompileFailure{};

    char* body = equals + 1;
    SubstituteParameters(body, parameters.c_str());
    f.aName.assign(head, static_cast<size_t>(open - head));
    f.aArgCount = static_cast<int16_t>(parameters.size());
    f.aTree = std::make_unique<cFormulaEngine>(body);
}

template <typename Compile, typename Record>
bool TryCompile(Compile compile, Record& record) {
    try {
        compile(record);
        return true;
    } catch (const std::bad_alloc&) {
        compilememory::OutOfMemory() = true;
        return false;
    } catch (const cEvalOutOfMemory&) {
        compilememory::OutOfMemory() = true;
        return false;
    } catch (...) {
        return false;
    }
}

template <typename Record>
void DeleteEntry(Record* table, uint32_t& count, uint32_t index) {
    std::move(table + index + 1, table + count, table + index);
    table[count - 1] = Record{};
    --count;
}

} // namespace

// ---- constants

void cFormulaEngine::StartConstantEdit() {
    if (aConstantEditMode)
        return;
    const uint32_t live = LiveConstantCount();
    const uint32_t capacity = std::max(aConstantMax, live);
    auto copy = std::unique_ptr<cConstant[]>(new cConstant[capacity]);
    for (uint32_t i = 0; i < live; ++i) {
        copy[i].aDefinition = aConstantArray[i].aDefinition;
        copy[i].aDescription = aConstantArray[i].aDescription;
        cConstantRefs::CopyRefs(copy[i], aConstantArray[i]);
    }
    cConstantRefs::Book().StartEdit(live);
    gConstantEditCapacity = capacity;
    aConstantEditMem = std::move(copy);
    aConstantEditCount = live;
    aConstantEditMode = true;
}

int32_t cFormulaEngine::StopConstantEdit() {
    if (!aConstantEditMode)
        return lrLoaded;
    if (!aConstantEditMem) {
        CancelConstantEdit();
        return lrLoaded;
    }
    const uint32_t total = aConstantEditCount;
    compilememory::OutOfMemory() = false;
    Report(faInterpreting, total, 0);
    for (uint32_t i = 0; i < total; ++i) {
        if (!TryCompile(CompileConstant, aConstantEditMem[i])) {
            for (uint32_t j = 0; j <= i; ++j)
                aConstantEditMem[j].aName.clear();
            Report(faIdle, 0, 0);
            return static_cast<int32_t>(i);
        }
        Report(faInterpreting, total, i + 1);
    }
    Report(faIdle, 0, 0);

    const auto bodyNodes = cConstantRefs::BodyConstantNodes(); // before anything changes
    aConstantArray = std::move(aConstantEditMem);
    aConstantCount = total;
    aConstantEditCount = 0;
    aConstantEditMode = false;
    cConstantRefs::Book().EndEdit();

    cConstantRefs::Renumber(bodyNodes);
    return lrLoaded;
}

void cFormulaEngine::CancelConstantEdit() {
    if (!aConstantEditMode)
        return;
    aConstantEditMem.reset();
    aConstantEditCount = 0;
    aConstantEditMode = false;
    cConstantRefs::Book().EndEdit();
}

bool cFormulaEngine::AddConstant(const char* definition, const char* description) {
    if (!ConstantsEditable() || !definition || !description)
        return false;
    if (aConstantEditCount >= std::min(aConstantMax, gConstantEditCapacity))
        return false;
    std::string def = definition;
    std::string desc = description;
    cConstantRefs::Book().Added();
    cConstant& c = aConstantEditMem[aConstantEditCount];
    c.aDefinition = std::move(def);
    c.aDescription = std::move(desc);
    ++aConstantEditCount;
    return true;
}

bool cFormulaEngine::ReplaceConstant(uint32_t index, const char* definition, const char* description) {
    if (!ConstantsEditable() || !definition || !description || index >= aConstantEditCount)
        return false;
    cConstant& c = aConstantEditMem[index];
    if (c.aRefCount > 0)
        return false;
    std::string def = definition;
    std::string desc = description;
    c.aDefinition = std::move(def);
    c.aDescription = std::move(desc);
    cConstantRefs::Book().Replaced(index);
    return true;
}

bool cFormulaEngine::DeleteConstant(uint32_t index) {
    if (!ConstantsEditable() || index >= aConstantEditCount)
        return false;
    if (aConstantEditMem[index].aRefCount > 0)
        return false;
    cConstantRefs::Book().Deleted(index);
    DeleteEntry(aConstantEditMem.get(), aConstantEditCount, index);
    return true;
}

tOwnedText cFormulaEngine::GetConstantDef(uint32_t index) {
    if (index >= GetConstantCount())
        return nullptr;
    const cConstant* table = aConstantEditMode ? aConstantEditMem.get() : aConstantArray.get();
    return CopyText(table[index].aDefinition);
}

tOwnedText cFormulaEngine::GetConstantDesc(uint32_t index) {
    if (index >= GetConstantCount())
        return nullptr;
    const cConstant* table = aConstantEditMode ? aConstantEditMem.get() : aConstantArray.get();
    return CopyText(table[index].aDescription);
}

uint32_t cFormulaEngine::GetConstantCount() {
    if (aConstantEditMode)
        return aConstantEditMem ? aConstantEditCount : 0;
    return LiveConstantCount();
}

// ---- user functions

void cFormulaEngine::StartFunctionEdit() {
    if (aFunctionEditMode)
        return;
    const uint32_t live = LiveFunctionCount();
    const uint32_t capacity = std::max(aUserFunctionMax, live);
    auto copy = std::unique_ptr<cUserFunction[]>(new cUserFunction[capacity]);
    for (uint32_t i = 0; i < live; ++i) {
        copy[i].aDefinition = aUserFunctionArray[i].aDefinition;
        copy[i].aDescription = aUserFunctionArray[i].aDescription;
    }
    gFunctionEditCapacity = capacity;
    aUserFunctionEditMem = std::move(copy);
    aUserFunctionEditCount = live;
    aFunctionEditMode = true;
}

int32_t cFormulaEngine::StopFunctionEdit() {
    if (!aFunctionEditMode)
        return lrLoaded;
    if (!aUserFunctionEditMem) {
        CancelFunctionEdit();
        return lrLoaded;
    }
    const uint32_t total = aUserFunctionEditCount;
    compilememory::OutOfMemory() = false;
    const cKeptConstants kept;
    aParsedFunctions = 0;
    Report(faInterpreting, total, 0);
    for (uint32_t i = 0; i < total; ++i) {
        cUserFunction& entry = aUserFunctionEditMem[i];
        bool ok = false;
        {
            SearchEditScope scope;
            ok = TryCompile(CompileFunction, entry);
        }
        if (!ok || !kept.Accepts(entry)) {
            for (uint32_t j = 0; j <= i; ++j) {
                aUserFunctionEditMem[j].aTree.reset();
                aUserFunctionEditMem[j].aName.clear();
            }
            aParsedFunctions = 0;
            Report(faIdle, 0, 0);
            return static_cast<int32_t>(i);
        }
        ++aParsedFunctions;
        Report(faInterpreting, total, i + 1);
    }
    Report(faIdle, 0, 0);
    aParsedFunctions = 0;

    // The reference lists change below; a failed allocation on the way
    // puts back both tables and the lists as they were.
    cRefSnapshot liveRefs(aConstantArray.get(), LiveConstantCount());
    cRefSnapshot editRefs(aConstantEditMem.get(), ConstantsEditable() ? aConstantEditCount : 0);
    const uint32_t oldCount = aUserFunctionCount;
    std::unique_ptr<cUserFunction[]> old = std::move(aUserFunctionArray);
    aUserFunctionArray = std::move(aUserFunctionEditMem);
    aUserFunctionCount = total;
    try {
        for (uint32_t j = 0; old && j < oldCount; ++j)
            if (old[j].aTree)
                old[j].aTree->_DelDependency();
        for (uint32_t j = 0; j < aUserFunctionCount; ++j)
            if (aUserFunctionArray[j].aTree)
                aUserFunctionArray[j].aTree->_SetDependency();
        cConstantRefs::Book().RefreshEditRefs();
    } catch (const std::bad_alloc&) {
        aUserFunctionEditMem = std::move(aUserFunctionArray);
        aUserFunctionArray = std::move(old);
        aUserFunctionCount = oldCount;
        liveRefs.Restore();
        editRefs.Restore();
        throw;
    }
    aUserFunctionEditCount = 0;
    aFunctionEditMode = false;
    return lrLoaded;
}

void cFormulaEngine::CancelFunctionEdit() {
    if (!aFunctionEditMode)
        return;
    aUserFunctionEditMem.reset();
    aUserFunctionEditCount = 0;
    aFunctionEditMode = false;
}

bool cFormulaEngine::AddFunction(const char* definition, const char* description) {
    if (!FunctionsEditable() || !definition || !description)
        return false;
    if (aUserFunctionEditCount >= std::min(aUserFunctionMax, gFunctionEditCapacity))
        return false;
    std::string def = definition;
    std::string desc = description;
    cUserFunction& f = aUserFunctionEditMem[aUserFunctionEditCount];
    f.aDefinition = std::move(def);
    f.aDescription = std::move(desc);
    ++aUserFunctionEditCount;
    return true;
}

bool cFormulaEngine::ReplaceFunction(uint32_t index, const char* definition, const char* description) {
    if (!FunctionsEditable() || !definition || !description || index >= aUserFunctionEditCount)
        return false;
    std::string def = definition;
    std::string desc = description;
    cUserFunction& f = aUserFunctionEditMem[index];
    f.aDefinition = std::move(def);
    f.aDescription = std::move(desc);
    return true;
}

bool cFormulaEngine::DeleteFunction(uint32_t index) {
    if (!FunctionsEditable() || index >= aUserFunctionEditCount)
        return false;
    DeleteEntry(aUserFunctionEditMem.get(), aUserFunctionEditCount, index);
    return true;
}

tOwnedText cFormulaEngine::GetFunctionDef(uint32_t index) {
    if (index >= GetFunctionCount())
        return nullptr;
    const cUserFunction* table = aFunctionEditMode ? aUserFunctionEditMem.get() : aUserFunctionArray.get();
    return CopyText(table[index].aDefinition);
}

tOwnedText cFormulaEngine::GetFunctionDesc(uint32_t index) {
    if (index >= GetFunctionCount())
        return nullptr;
    const cUserFunction* table = aFunctionEditMode ? aUserFunctionEditMem.get() : aUserFunctionArray.get();
    return CopyText(table[index].aDescription);
}

uint32_t cFormulaEngine::GetFunctionCount() {
    if (aFunctionEditMode)
        return aUserFunctionEditMem ? aUserFunctionEditCount : 0;
    return LiveFunctionCount();
}
