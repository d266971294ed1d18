// SPDX-License-Identifier: GPL-3.0-or-later
#include "cNameCheck.h"

#include "test_lib_fixture.h"

#include <gtest/gtest.h>

namespace {

using NameCheck = LibraryTest;

TEST_F(NameCheck, ReachableNames) {
    for (const char* name : {"pi", "sum", "ab", "_x", "g_n", "x_"})
        EXPECT_EQ(UnreachableNameReason(name, eNameKind::Constant), nullptr) << name;
    // One letter before '(' is a call, not a variable.
    for (const char* name : {"f", "_", "hyp", "e_", "sinx"})
        EXPECT_EQ(UnreachableNameReason(name, eNameKind::Function), nullptr) << name;
}

TEST_F(NameCheck, OneLetterConstantIsAVariable) {
    EXPECT_STREQ(UnreachableNameReason("g"), "a name of one letter is always a variable");
    EXPECT_NE(UnreachableNameReason("_"), nullptr);
}

TEST_F(NameCheck, DigitsCapitalsAndOtherCharacters) {
    for (const char* name : {"c1", "Na", "h2", "aB", "1a", "X"}) {
        EXPECT_NE(UnreachableNameReason(name, eNameKind::Constant), nullptr) << name;
        EXPECT_NE(UnreachableNameReason(name, eNameKind::Function), nullptr) << name;
    }
    for (const char* name : {"a.b", ".ab", "a+b", "a,b", "a)", "a b", "ab\xc3\x97", "a!"})
        EXPECT_NE(UnreachableNameReason(name, eNameKind::Constant), nullptr) << name;
    EXPECT_NE(UnreachableNameReason("", eNameKind::Function), nullptr);
}

TEST_F(NameCheck, FunctionsCannotShadowBuiltins) {
    for (const char* name : {"sin", "e", "pi", "sum", "mul", "invnormloc"})
        EXPECT_NE(UnreachableNameReason(name, eNameKind::Function), nullptr) << name;
    // Constants and built-ins are told apart by the '(' after the name.
    EXPECT_EQ(UnreachableNameReason("sin", eNameKind::Constant), nullptr);
}

TEST_F(NameCheck, DuplicatesAfterTheFirst) {
    const auto found = UnreachableNames({"ab", "cd", "ab", "X", "X", "ab"}, eNameKind::Constant);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0], (cUnreachableName{2, "ab", kDuplicateNameReason}));
    EXPECT_EQ(found[1].aIndex, 3u);
    // A repeated name that is unreachable anyway keeps its own reason.
    EXPECT_NE(found[2].aReason, kDuplicateNameReason);
    EXPECT_EQ(found[3], (cUnreachableName{5, "ab", kDuplicateNameReason}));
}

TEST_F(NameCheck, LiveLibraries) {
    cFormulaEngine::StartConstantEdit();
    ASSERT_TRUE(cFormulaEngine::AddConstant("g=9.81", ""));
    ASSERT_TRUE(cFormulaEngine::AddConstant("gn=9.81", ""));
    ASSERT_TRUE(cFormulaEngine::AddConstant("g n=1", ""));
    ASSERT_EQ(cFormulaEngine::StopConstantEdit(), -1);
    const auto constants = UnreachableLibraryNames(eNameKind::Constant);
    ASSERT_EQ(constants.size(), 2u);
    EXPECT_EQ(constants[0].aName, "g");
    EXPECT_EQ(constants[1], (cUnreachableName{2, "gn", kDuplicateNameReason}));

    cFormulaEngine::StartFunctionEdit();
    ASSERT_TRUE(cFormulaEngine::AddFunction("sqr(x)=x^2", ""));
    ASSERT_TRUE(cFormulaEngine::AddFunction("sin(x)=x", ""));
    ASSERT_EQ(cFormulaEngine::StopFunctionEdit(), -1);
    const auto functions = UnreachableLibraryNames(eNameKind::Function);
    ASSERT_EQ(functions.size(), 1u);
    EXPECT_EQ(functions[0].aName, "sin");
}

} // namespace
