// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the engine core tests: a fixture with fresh tables, a
// compact text form of trees, and a recorder for progress reports.
#pragma once

#include "cFormulaEngine.h"
#include "cLongRealDefaults.h"
#include "cParser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

namespace core_test {

using tReport = std::tuple<int, int, unsigned, unsigned>; // level, activity, total, done

inline std::vector<tReport>& Reports() {
    static std::vector<tReport> reports;
    return reports;
}

inline void RecordReport(uint16_t level, uint8_t activity, uint32_t total, uint32_t done) {
    Reports().emplace_back(level, activity, total, done);
}

// Whole numbers as integers, others with a few digits: independent of the
// number library's output settings.
inline std::string NumberText(const cLongReal& value) {
    const arf_struct* mid = arb_midref(value.arb());
    if (value.IsExact() && arf_is_int(mid) && arf_cmpabs_2exp_si(mid, 62) < 0)
        return std::to_string(arf_get_si(mid, ARF_RND_DOWN));
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", arf_get_d(mid, ARF_RND_NEAR));
    return text;
}

// "Sub(Mul(2,Pow(Add(x,1),2)),Div(y,4))" and the like; calls show their names.
inline std::string TreeText(const cNode& node) {
    static const char* const kOperators[] = {"Add", "Sub", "Mul", "Div", "Pow", "Neg"};
    std::string head;
    switch (node.aKind) {
    case nkUserFunction: head = cFormulaEngine::aUserFunctionArray[static_cast<size_t>(node.aIndex)].aName; break;
    case nkBasicFunction: head = cFormulaEngine::aBasicFunctionArray[static_cast<size_t>(node.aIndex)].aName; break;
    case nkConstant: return "$" + cFormulaEngine::aConstantArray[static_cast<size_t>(node.aIndex)].aName;
    case nkVariable: return std::string(1, static_cast<char>('a' + node.aIndex));
    case nkNumber: return NumberText(node.aValue);
    case nkSum: head = "Sum"; break;
    case nkProduct: head = "Prod"; break;
    case nkNone: return "?";
    default:
        if (node.aKind >= nkAdd && node.aKind <= nkNegate)
            head = kOperators[node.aKind - nkAdd];
        else
            head = "#" + std::to_string(node.aKind);
    }
    head += '(';
    for (uint16_t i = 0; i < node.aChildCount; ++i) {
        if (i > 0)
            head += ',';
        head += TreeText(node.aChildren[i]);
    }
    return head + ')';
}

// Fresh tables around every test; every hook and mode back to null or off.
class EngineCoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        cLongReal::aInputSystemStandard = cLongRealDefaults::kInputSystemStandard;
        cFormulaEngine::Init();
        Reports().clear();
    }
    void TearDown() override {
        cFormulaEngine::FreeStatics();
        cFormulaEngine::aUserFunctionCount = 0;
        cFormulaEngine::aConstantCount = 0;
        cFormulaEngine::aSearchEditFunc = false;
        cFormulaEngine::aParsedFunctions = 0;
        cFormulaEngine::aUserFunctionEditMem.reset();
        cFormulaEngine::ProgressIndicator = nullptr;
        cFormulaEngine::FileRead = nullptr;
        cFormulaEngine::FileWrite = nullptr;
        cLongReal::aInputSystemStandard = cLongRealDefaults::kInputSystemStandard;
        cLongReal::Init();
    }

    // Appends a compiled user function, e.g. ("g", "xy", "x*10+y").
    static void AddUserFunction(const char* name, const char* params, const char* body) {
        std::string text(body);
        SubstituteParameters(text.data(), params);
        cUserFunction& f = cFormulaEngine::aUserFunctionArray[cFormulaEngine::aUserFunctionCount];
        f.aTree = std::make_unique<cFormulaEngine>(text.c_str());
        f.aArgCount = static_cast<int16_t>(std::string(params).size());
        f.aName = name;
        ++cFormulaEngine::aUserFunctionCount;
    }

    static void AddConstant(const char* name, long value) {
        cConstant& c = cFormulaEngine::aConstantArray[cFormulaEngine::aConstantCount++];
        c.aName = name;
        c.aValue = cLongReal(value);
    }

    static std::string ParsedTree(const char* formula) {
        cFormulaEngine engine;
        engine.Parse(formula);
        return TreeText(*engine.aRoot);
    }
};

} // namespace core_test
