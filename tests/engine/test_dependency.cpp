// SPDX-License-Identifier: GPL-3.0-or-later
// Constant reference lists: block-wise growth and shrink, registration order,
// and what committing functions and constants does to them.
#include "test_lib_fixture.h"

#include <vector>

namespace {

class DependencyTest : public LibraryTest {
protected:
    // `count` loose nkConstant nodes naming live constant `index`.
    static std::vector<cNode> ConstantNodes(size_t count, int32_t index = 0) {
        std::vector<cNode> nodes(count);
        for (cNode& n : nodes) {
            n.aKind = nkConstant;
            n.aIndex = index;
        }
        return nodes;
    }

    static std::vector<cNode*> Refs(const cConstant& c) { return {c.aRefs.get(), c.aRefs.get() + c.aRefCount}; }

    // The nkConstant nodes of a committed function body, in preorder.
    static std::vector<cNode*> ConstantNodesOf(uint32_t function) {
        std::vector<cNode*> out;
        std::vector<cNode*> pending{Engine::aUserFunctionArray[function].aTree->aRoot.get()};
        while (!pending.empty()) {
            cNode* n = pending.back();
            pending.pop_back();
            if (n->aKind == nkConstant)
                out.push_back(n);
            for (uint16_t k = n->aChildCount; k > 0; --k)
                pending.push_back(&n->aChildren[k - 1]);
        }
        return out;
    }
};

struct Capacity {
    uint16_t block;
    // Room after each of 12 registrations, then after each removal down to 0.
    std::vector<uint32_t> afterAdd;
    std::vector<uint32_t> afterRemove;
};

TEST_F(DependencyTest, ListsGrowAndShrinkInBlocks) {
    const Capacity cases[] = {
        {10, {10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 20, 20}, {20, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 0}},
        {1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
        {0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
        {5, {5, 5, 5, 5, 5, 10, 10, 10, 10, 10, 15, 15}, {15, 10, 10, 10, 10, 10, 5, 5, 5, 5, 5, 0}},
    };
    ASSERT_EQ(CommitConstants({{"ka=1", ""}}), -1);
    cConstant& ka = Engine::aConstantArray[0];
    Engine engine;
    for (const Capacity& row : cases) {
        SCOPED_TRACE(row.block);
        Engine::aConstRefAlloc = row.block;
        auto nodes = ConstantNodes(12);
        for (size_t i = 0; i < nodes.size(); ++i) {
            engine._SetNodeDependency(nodes[i]);
            EXPECT_EQ(ka.aRefCount, i + 1);
            EXPECT_EQ(ka.aRefCapacity, row.afterAdd[i]) << "after add " << i + 1;
        }
        // Removing from the front shifts the rest down.
        for (size_t i = 0; i < nodes.size(); ++i) {
            engine._DelNodeDependency(nodes[i]);
            EXPECT_EQ(ka.aRefCount, nodes.size() - i - 1);
            EXPECT_EQ(ka.aRefCapacity, row.afterRemove[i]) << "after remove " << i + 1;
            if (ka.aRefCount > 0) {
                EXPECT_EQ(ka.aRefs[0], &nodes[i + 1]);
            }
        }
        EXPECT_EQ(ka.aRefs, nullptr);
    }
}

TEST_F(DependencyTest, SubtreeRegistersEveryConstantNodeInPreorder) {
    ASSERT_EQ(CommitConstants({{"ka=1", ""}, {"kb=2", ""}}), -1);
    // add(mul(k1, x), neg(k0)), plus a stray k1 under the negation
    cNode root;
    root.aKind = nkAdd;
    root.aChildCount = 2;
    root.aChildren.reset(new cNode[2]);
    cNode& mul = root.aChildren[0];
    mul.aKind = nkMultiply;
    mul.aChildCount = 2;
    mul.aChildren.reset(new cNode[2]);
    mul.aChildren[0].aKind = nkConstant;
    mul.aChildren[0].aIndex = 1;
    mul.aChildren[1].aKind = nkVariable;
    mul.aChildren[1].aIndex = 23;
    cNode& neg = root.aChildren[1];
    neg.aKind = nkSubtract;
    neg.aChildCount = 2;
    neg.aChildren.reset(new cNode[2]);
    neg.aChildren[0].aKind = nkConstant;
    neg.aChildren[0].aIndex = 0;
    neg.aChildren[1].aKind = nkConstant;
    neg.aChildren[1].aIndex = 1;

    Engine engine;
    engine._SetNodeDependency(root);
    const cConstant* k = Engine::aConstantArray.get();
    EXPECT_EQ(Refs(k[0]), (std::vector<cNode*>{&neg.aChildren[0]}));
    EXPECT_EQ(Refs(k[1]), (std::vector<cNode*>{&mul.aChildren[0], &neg.aChildren[1]}));

    engine._DelNodeDependency(mul);
    EXPECT_EQ(Refs(k[1]), (std::vector<cNode*>{&neg.aChildren[1]}));
    EXPECT_EQ(Refs(k[0]).size(), 1u);
    engine._DelNodeDependency(root);
    EXPECT_EQ(k[0].aRefCount + k[1].aRefCount, 0u);
}

TEST_F(DependencyTest, RemovingAnUnlistedNodeChangesNothing) {
    ASSERT_EQ(CommitConstants({{"ka=1", ""}}), -1);
    auto nodes = ConstantNodes(3);
    Engine engine;
    engine._SetNodeDependency(nodes[0]);
    engine._SetNodeDependency(nodes[1]);
    engine._DelNodeDependency(nodes[2]);
    const cConstant& ka = Engine::aConstantArray[0];
    EXPECT_EQ(Refs(ka), (std::vector<cNode*>{&nodes[0], &nodes[1]}));
    EXPECT_EQ(ka.aRefCapacity, 10u);
    engine._DelNodeDependency(nodes[0]);
    engine._DelNodeDependency(nodes[1]);
}

TEST_F(DependencyTest, NodesOutsideTheLiveTableAreIgnored) {
    ASSERT_EQ(CommitConstants({{"ka=1", ""}}), -1);
    auto nodes = ConstantNodes(2, 5);
    nodes[1].aIndex = -1;
    Engine engine;
    engine._SetNodeDependency(nodes[0]);
    engine._SetNodeDependency(nodes[1]);
    engine._DelNodeDependency(nodes[0]);
    EXPECT_EQ(Engine::aConstantArray[0].aRefCount, 0u);
    Engine empty; // no tree
    empty._SetDependency();
    empty._DelDependency();
}

TEST_F(DependencyTest, BodyUsingAConstantTwiceHasTwoEntriesUntilItsFunctionGoes) {
    ASSERT_EQ(CommitConstants({{"gn=9.80665", ""}}), -1);
    ASSERT_EQ(CommitFunctions({{"fall(t)=gn*t^2/2+gn*0", ""}}), -1);
    const cConstant& gn = Engine::aConstantArray[0];
    EXPECT_EQ(Refs(gn), ConstantNodesOf(0));
    EXPECT_EQ(gn.aRefCount, 2u);
    EXPECT_EQ(gn.aRefCapacity, 10u);

    Engine::StartFunctionEdit();
    ASSERT_TRUE(Engine::ReplaceFunction(0, "fall(t)=t", ""));
    ASSERT_EQ(Engine::StopFunctionEdit(), -1);
    EXPECT_EQ(gn.aRefCount, 0u);
    EXPECT_EQ(gn.aRefs, nullptr);
    EXPECT_EQ(gn.aRefCapacity, 0u);
}

TEST_F(DependencyTest, EditCopyHoldsExactlyItsEntriesAndLiveListsStay) {
    ASSERT_EQ(CommitConstants({{"ka=1", ""}, {"kb=2", ""}}), -1);
    ASSERT_EQ(CommitFunctions({{"f(x)=x*kb+kb+kb", ""}}), -1);
    const auto live = Refs(Engine::aConstantArray[1]);
    Engine::StartConstantEdit();
    const cConstant& copy = Engine::aConstantEditMem[1];
    EXPECT_EQ(Refs(copy), live);
    EXPECT_EQ(copy.aRefCapacity, 3u);
    EXPECT_EQ(Engine::aConstantEditMem[0].aRefs, nullptr);
    Engine::CancelConstantEdit();
    EXPECT_EQ(Refs(Engine::aConstantArray[1]), live);
    EXPECT_EQ(Engine::aConstantArray[1].aRefCapacity, 10u);

    // Entering function edit mode or a failing function Stop leaves them too.
    Engine::StartFunctionEdit();
    ASSERT_TRUE(Engine::AddFunction("g(x)=nope(x)", ""));
    EXPECT_EQ(Engine::StopFunctionEdit(), 1);
    EXPECT_EQ(Refs(Engine::aConstantArray[1]), live);
}

TEST_F(DependencyTest, DeletingAnEarlierConstantRenumbersTheNodes) {
    ASSERT_EQ(CommitConstants({{"ca=2", ""}, {"cb=7", ""}}), -1);
    ASSERT_EQ(CommitFunctions({{"f(x)=x*cb", ""}}), -1);
    Engine::StartConstantEdit();
    ASSERT_TRUE(Engine::DeleteConstant(0));
    ASSERT_EQ(Engine::StopConstantEdit(), -1);

    ASSERT_EQ(Engine::aConstantCount, 1u);
    const auto nodes = ConstantNodesOf(0);
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(nodes[0]->aIndex, 0);
    EXPECT_EQ(Refs(Engine::aConstantArray[0]), nodes);
    EXPECT_TRUE(Eval("f(3)") == cLongReal(21L));

    // The committed copy of a list still shrinks and releases correctly.
    Engine::StartFunctionEdit();
    ASSERT_TRUE(Engine::DeleteFunction(0));
    ASSERT_EQ(Engine::StopFunctionEdit(), -1);
    EXPECT_EQ(Engine::aConstantArray[0].aRefCount, 0u);
    EXPECT_EQ(Engine::aConstantArray[0].aRefs, nullptr);
}

// Committing functions while constants are in edit mode rebuilds the live
// lists; the edit copy must follow, or the constant Stop would renumber
// nodes of destroyed bodies (the sanitizer build catches that).
TEST_F(DependencyTest, FunctionCommitDuringConstantEditRefreshesTheCopy) {
    ASSERT_EQ(CommitConstants({{"ca=2", ""}, {"cb=7", ""}, {"cc=5", ""}}), -1);
    ASSERT_EQ(CommitFunctions({{"f(x)=x*cb", ""}}), -1);

    Engine::StartConstantEdit();
    ASSERT_TRUE(Engine::DeleteConstant(0));
    ASSERT_TRUE(Engine::AddConstant("cd=11", ""));

    Engine::StartFunctionEdit();
    ASSERT_TRUE(Engine::ReplaceFunction(0, "f(x)=x+cb+cc", ""));
    ASSERT_EQ(Engine::StopFunctionEdit(), -1);

    // The copy's lists now name the new body's nodes; c1 and c2 are in use.
    const auto nodes = ConstantNodesOf(0);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(Refs(Engine::aConstantEditMem[0]), (std::vector<cNode*>{nodes[0]}));
    EXPECT_EQ(Refs(Engine::aConstantEditMem[1]), (std::vector<cNode*>{nodes[1]}));
    EXPECT_EQ(Engine::aConstantEditMem[2].aRefCount, 0u);
    EXPECT_FALSE(Engine::ReplaceConstant(1, "cc=6", ""));

    ASSERT_EQ(Engine::StopConstantEdit(), -1);
    EXPECT_EQ(nodes[0]->aIndex, 0);
    EXPECT_EQ(nodes[1]->aIndex, 1);
    EXPECT_TRUE(Eval("f(1)") == cLongReal(13L));
    EXPECT_TRUE(Eval("cd") == cLongReal(11L));

    // And the other way: the only user of c1 goes, so c1 becomes free in the
    // running constant edit.
    Engine::StartConstantEdit();
    EXPECT_FALSE(Engine::DeleteConstant(0));
    Engine::StartFunctionEdit();
    ASSERT_TRUE(Engine::ReplaceFunction(0, "f(x)=x+cc", ""));
    ASSERT_EQ(Engine::StopFunctionEdit(), -1);
    EXPECT_TRUE(Engine::DeleteConstant(0));
    ASSERT_EQ(Engine::StopConstantEdit(), -1);
    EXPECT_TRUE(Eval("f(1)") == cLongReal(6L));
}

TEST_F(DependencyTest, FunctionCommitDuringConstantEditRefusesRemovedConstants) {
    struct Case {
        const char* what;
        void (*edit)();
    };
    const Case cases[] = {
        {"deleted", [] { ASSERT_TRUE(Engine::DeleteConstant(0)); }},
        {"replaced", [] { ASSERT_TRUE(Engine::ReplaceConstant(0, "ca=99", "")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetTables();
        ASSERT_EQ(CommitConstants({{"ca=2", ""}, {"cb=7", ""}}), -1);
        Engine::StartConstantEdit();
        c.edit();
        Engine::StartFunctionEdit();
        ASSERT_TRUE(Engine::AddFunction("ok(x)=x*cb", ""));
        ASSERT_TRUE(Engine::AddFunction("bad(x)=x*ca", ""));
        EXPECT_EQ(Engine::StopFunctionEdit(), 1);
        EXPECT_TRUE(Engine::aFunctionEditMode);
        EXPECT_EQ(Engine::aConstantArray[1].aRefCount, 0u);
        Engine::CancelFunctionEdit();
        ASSERT_EQ(Engine::StopConstantEdit(), -1);
    }
}

// The tables rebuilt under a running constant edit: the copied lists name
// nodes of destroyed bodies, which the commit must not follow.
TEST_F(DependencyTest, ConstantCommitFollowsOnlyNodesOfLiveBodies) {
    ASSERT_EQ(CommitConstants({{"ka=2", ""}, {"kb=7", ""}}), -1);
    ASSERT_EQ(CommitFunctions({{"f(x)=x*kb", ""}, {"g(x)=x*ka", ""}}), -1);
    Engine::StartConstantEdit();
    ASSERT_EQ(Engine::aConstantEditMem[1].aRefCount, 1u);
    Engine::aUserFunctionCount = 1; // g is gone; f stays
    Engine::aUserFunctionArray[1] = cUserFunction{};
    ASSERT_EQ(Engine::StopConstantEdit(), -1);
    EXPECT_EQ(Engine::aConstantArray[0].aRefCount, 0u);
    EXPECT_EQ(Engine::aConstantArray[0].aRefs, nullptr);
    EXPECT_EQ(Refs(Engine::aConstantArray[1]), ConstantNodesOf(0));

    // A new Init releases every body and ends the edit with the old tables.
    Engine::StartConstantEdit();
    Engine::Init();
    EXPECT_FALSE(Engine::aConstantEditMode);
    EXPECT_EQ(Engine::aConstantEditMem, nullptr);
    ASSERT_EQ(Engine::StopConstantEdit(), -1);
    EXPECT_EQ(Engine::GetConstantCount(), 0u);
}

} // namespace
