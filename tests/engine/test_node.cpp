// SPDX-License-Identifier: GPL-3.0-or-later
// Node copies and moves, the class-wide tables and instance lifetime.
#include "test_core_support.h"

#include <cstring>

using namespace core_test;

namespace {

class NodeTest : public EngineCoreTest {};

cNode TreeOf(const char* formula) {
    cFormulaEngine engine(formula);
    return std::move(*engine.aRoot);
}

TEST_F(NodeTest, CopyOfChildlessNodeHasNoChildArray) {
    cNode leaf;
    leaf.aKind = nkNumber;
    leaf.aValue = cLongReal(7L);
    const cNode copy(leaf);
    EXPECT_EQ(copy.aChildren, nullptr);
    EXPECT_EQ(copy.aChildCount, 0);
    EXPECT_EQ(copy.aKind, nkNumber);
    EXPECT_TRUE(copy.aValue == cLongReal(7L));
}

TEST_F(NodeTest, AssigningChildlessNodeReleasesOldSubtrees) {
    cNode target = TreeOf("1+2*3");
    ASSERT_EQ(target.aChildCount, 2);
    cNode leaf;
    leaf.aKind = nkVariable;
    leaf.aIndex = 2;
    target = leaf;
    EXPECT_EQ(target.aChildren, nullptr);
    EXPECT_EQ(target.aChildCount, 0);
    EXPECT_EQ(TreeText(target), "c");
}

TEST_F(NodeTest, CopiesAreIndependentOfTheirSource) {
    auto source = std::make_unique<cNode>(TreeOf("sin(x)-2^(y+1)"));
    const cNode copied(*source);
    cNode assigned = TreeOf("z");
    assigned = *source;
    source->aChildren[0].aKind = nkNegate; // changing the source leaves the copies alone
    source.reset();
    EXPECT_EQ(TreeText(copied), "Sub(sin(x),Pow(2,Add(y,1)))");
    EXPECT_EQ(TreeText(assigned), "Sub(sin(x),Pow(2,Add(y,1)))");
}

TEST_F(NodeTest, MovesTakeTheSubtree) {
    cNode source = TreeOf("a*b");
    const cNode* children = source.aChildren.get();
    cNode moved(std::move(source));
    EXPECT_EQ(moved.aChildren.get(), children);
    EXPECT_EQ(source.aChildren, nullptr);
    EXPECT_EQ(source.aChildCount, 0);

    cNode target = TreeOf("1+2");
    target = std::move(moved);
    EXPECT_EQ(target.aChildren.get(), children);
    EXPECT_EQ(TreeText(target), "Mul(a,b)");
}

TEST_F(NodeTest, AssignmentFromOwnDescendant) {
    cNode tree = TreeOf("(a+b)*c");
    tree = tree.aChildren[0]; // copy from inside the subtree being replaced
    EXPECT_EQ(TreeText(tree), "Add(a,b)");
    tree = std::move(tree.aChildren[1]);
    EXPECT_EQ(TreeText(tree), "b");
    cNode& self = tree;
    tree = self;
    EXPECT_EQ(TreeText(tree), "b");
}

TEST_F(NodeTest, InitFillsTheBuiltInTable) {
    struct Row {
        unsigned index;
        const char* name;
        uint16_t args;
        tBasicFn function;
    };
    const Row rows[] = {
        {0, "abs", 1, static_cast<tBasicFn1>(&abs)},
        {15, "arcsinh", 1, static_cast<tBasicFn1>(&arsinh)},
        {17, "arctanh", 1, static_cast<tBasicFn1>(&artanh)},
        {23, "per", 2, static_cast<tBasicFn2>(&per)},
        {24, "com", 2, static_cast<tBasicFn2>(&com)},
        {26, "round", 1, static_cast<tBasicFn1>(&round)},
        {27, "e", 0, static_cast<tBasicFn0>(&e)},
        {28, "pi", 0, static_cast<tBasicFn0>(&pi)},
    };
    ASSERT_EQ(cFormulaEngine::aBasicFunctionCount, 29u);
    for (const Row& row : rows) {
        const cBasicFunction& record = cFormulaEngine::aBasicFunctionArray[row.index];
        EXPECT_EQ(record.aName, row.name) << row.index;
        EXPECT_EQ(record.aArgCount, row.args) << row.index;
        EXPECT_EQ(record.aFunction, row.function) << row.index;
    }
    EXPECT_NE(cFormulaEngine::aUserFunctionArray, nullptr);
    EXPECT_NE(cFormulaEngine::aConstantArray, nullptr);
    EXPECT_EQ(cFormulaEngine::aUserFunctionCount, 0u);
    EXPECT_EQ(cFormulaEngine::aConstantCount, 0u);
}

TEST_F(NodeTest, FreeStaticsReleasesTablesAndInitWorksAgain) {
    AddUserFunction("f", "x", "x*x");
    cFormulaEngine::FreeStatics();
    EXPECT_EQ(cFormulaEngine::aUserFunctionArray, nullptr);
    EXPECT_EQ(cFormulaEngine::aConstantArray, nullptr);
    EXPECT_EQ(cFormulaEngine::aBasicFunctionArray, nullptr);

    cFormulaEngine::aConstantMax = 3;
    cFormulaEngine::Init();
    // The new tables start empty, whatever the released ones held.
    EXPECT_EQ(cFormulaEngine::aUserFunctionCount, 0u);
    EXPECT_THROW(cFormulaEngine("f(2)"), feFehlerCode);
    cFormulaEngine::Init(); // replaces live tables without leaking them
    cFormulaEngine::aConstantMax = 100;
    EXPECT_EQ(cFormulaEngine::aBasicFunctionArray[28].aName, "pi");
    AddConstant("cc", 3);
    EXPECT_EQ(ParsedTree("cc*2"), "Mul($cc,2)");
}

TEST_F(NodeTest, DefaultInstanceHasZeroVariablesAndNoTree) {
    const cFormulaEngine engine;
    for (char v = 'a'; v <= 'z'; ++v)
        EXPECT_TRUE(engine.GetVar(v) == cLongReal(0L)) << v;
    EXPECT_EQ(engine.aRoot, nullptr);
    EXPECT_EQ(engine.aFormula, nullptr);
    EXPECT_EQ(engine.aLevel, 0);
    EXPECT_EQ(engine.aSilent, 0);
}

TEST_F(NodeTest, InstanceFromTextHoldsStrippedFormulaAndTree) {
    const cFormulaEngine engine(" 1 +\tx ");
    EXPECT_STREQ(engine.aFormula.get(), "1+x");
    EXPECT_EQ(TreeText(*engine.aRoot), "Add(1,x)");
    EXPECT_THROW(cFormulaEngine("1+"), feFehlerCode);
}

TEST_F(NodeTest, BuildAndClearInstance) {
    cFormulaEngine* engine = FE_BuildInstance();
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(engine->aRoot, nullptr);
    engine->Parse("2*x");
    FE_ClearInstance(engine);
    EXPECT_EQ(engine, nullptr);
    FE_ClearInstance(engine); // null stays null
    EXPECT_EQ(engine, nullptr);
}

TEST_F(NodeTest, ErrorNames) {
    EXPECT_STREQ(feFehlerName(feErrBrackets), "feErrBrackets");
    EXPECT_STREQ(feFehlerName(feErrArgCount), "feErrArgCount");
    EXPECT_STREQ(feFehlerName(feErrTooDeep), "feErrTooDeep");
    EXPECT_STREQ(feFehlerName(static_cast<feFehlerCode>(42)), "feErrUnknown");
}

} // namespace
