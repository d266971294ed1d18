// SPDX-License-Identifier: GPL-3.0-or-later
// The constant and function libraries: edit modes, entry operations,
// compiling, progress and the behaviour of a failing Stop.
#include "test_lib_fixture.h"

#include <string>
#include <vector>

namespace {

using LibrariesTest = LibraryTest;

// ---- edit modes and entry operations

TEST_F(LibrariesTest, OperationsOutsideEditModeAreRefused) {
    ASSERT_EQ(CommitConstants({{"ka=1", "one"}}), -1);
    ASSERT_EQ(CommitFunctions({{"f(x)=x", "id"}}), -1);
    ProgressLog::calls.clear();

    EXPECT_FALSE(Engine::AddConstant("kb=2", ""));
    EXPECT_FALSE(Engine::ReplaceConstant(0, "kb=2", ""));
    EXPECT_FALSE(Engine::DeleteConstant(0));
    EXPECT_FALSE(Engine::AddFunction("g(x)=x", ""));
    EXPECT_FALSE(Engine::ReplaceFunction(0, "g(x)=x", ""));
    EXPECT_FALSE(Engine::DeleteFunction(0));
    EXPECT_EQ(Engine::StopConstantEdit(), -1);
    EXPECT_EQ(Engine::StopFunctionEdit(), -1);
    Engine::CancelConstantEdit();
    Engine::CancelFunctionEdit();

    EXPECT_TRUE(ProgressLog::calls.empty());
    EXPECT_EQ(Constants(), (std::vector<Entry>{{"ka=1", "one"}}));
    EXPECT_EQ(Functions(), (std::vector<Entry>{{"f(x)=x", "id"}}));
}

TEST_F(LibrariesTest, StartingTwiceKeepsTheFirstCopyAndItsChanges) {
    ASSERT_EQ(CommitConstants({{"ka=1", ""}}), -1);
    Engine::StartConstantEdit();
    ASSERT_TRUE(Engine::AddConstant("kb=2", "two"));
    Engine::StartConstantEdit();
    EXPECT_EQ(Constants(), (std::vector<Entry>{{"ka=1", ""}, {"kb=2", "two"}}));

    Engine::StartFunctionEdit();
    ASSERT_TRUE(Engine::AddFunction("f(x)=x", ""));
    Engine::StartFunctionEdit();
    EXPECT_EQ(Engine::GetFunctionCount(), 1u);
}

TEST_F(LibrariesTest, GetAndCountReadTheEditCopyInEditModeAndTheLiveTableOtherwise) {
    ASSERT_EQ(CommitConstants({{"ka=1", "one"}, {"kb=2", "two"}}), -1);
    EXPECT_EQ(Engine::GetConstantDef(2), nullptr);
    EXPECT_EQ(Engine::GetConstantDesc(99), nullptr);

    Engine::StartConstantEdit();
    ASSERT_TRUE(Engine::ReplaceConstant(1, "kb = 3", "three"));
    ASSERT_TRUE(Engine::AddConstant("kc=4", ""));
    EXPECT_EQ(Engine::GetConstantCount(), 3u);
    EXPECT_STREQ(Engine::GetConstantDef(1).get(), "kb = 3");
    EXPECT_STREQ(Engine::GetConstantDesc(1).get(), "three");
    EXPECT_STREQ(Engine::GetConstantDef(2).get(), "kc=4");
    EXPECT_EQ(Engine::GetConstantDef(3), nullptr);
    EXPECT_EQ(Engine::aConstantCount, 2u); // live table untouched
    EXPECT_TRUE(Eval("kb") == cLongReal(2L));

    Engine::CancelConstantEdit();
    EXPECT_EQ(Constants(), (std::vector<Entry>{{"ka=1", "one"}, {"kb=2", "two"}}));
    EXPECT_FALSE(Engine::aConstantEditMode);
    EXPECT_EQ(Engine::aConstantEditMem, nullptr);
    EXPECT_EQ(Engine::aConstantEditCount, 0u);
}

TEST_F(LibrariesTest, AddStopsAtTheCapacity) {
    Engine::aConstantMax = 2;
    Engine::aUserFunctionMax = 1;
    ResetTables();
    Engine::StartConstantEdit();
    EXPECT_TRUE(Engine::AddConstant("ka=1", ""));
    EXPECT_TRUE(Engine::AddConstant("kb=2", ""));
    EXPECT_FALSE(Engine::AddConstant("kc=3", ""));
    EXPECT_EQ(Engine::GetConstantCount(), 2u);
    Engine::StartFunctionEdit();
    EXPECT_TRUE(Engine::AddFunction("f()=1", ""));
    EXPECT_FALSE(Engine::AddFunction("g()=1", ""));
    EXPECT_EQ(Engine::StopFunctionEdit(), -1);
    EXPECT_EQ(Engine::StopConstantEdit(), -1);

    Engine::aConstantMax = 0;
    ResetTables();
    Engine::StartConstantEdit();
    EXPECT_FALSE(Engine::AddConstant("ka=1", ""));
    EXPECT_EQ(Engine::StopConstantEdit(), -1);
}

TEST_F(LibrariesTest, NullTextsAreRefused) {
    Engine::StartConstantEdit();
    Engine::StartFunctionEdit();
    ASSERT_TRUE(Engine::AddConstant("ka=1", ""));
    ASSERT_TRUE(Engine::AddFunction("f()=1", ""));
    EXPECT_FALSE(Engine::AddConstant(nullptr, ""));
    EXPECT_FALSE(Engine::AddConstant("kb=1", nullptr));
    EXPECT_FALSE(Engine::ReplaceConstant(0, nullptr, ""));
    EXPECT_FALSE(Engine::AddFunction(nullptr, ""));
    EXPECT_FALSE(Engine::ReplaceFunction(0, "g()=1", nullptr));
    EXPECT_EQ(Constants(), (std::vector<Entry>{{"ka=1", ""}}));
    EXPECT_EQ(Functions(), (std::vector<Entry>{{"f()=1", ""}}));
}

TEST_F(LibrariesTest, DeleteMovesTheFollowingEntriesDown) {
    Engine::StartFunctionEdit();
    for (const char* def : {"f()=1", "g()=2", "h()=3"})
        ASSERT_TRUE(Engine::AddFunction(def, def));
    EXPECT_FALSE(Engine::DeleteFunction(3));
    ASSERT_TRUE(Engine::DeleteFunction(0));
    EXPECT_EQ(Functions(), (std::vector<Entry>{{"g()=2", "g()=2"}, {"h()=3", "h()=3"}}));
    EXPECT_TRUE(Engine::aUserFunctionEditMem[2].aDefinition.empty());
    ASSERT_EQ(Engine::StopFunctionEdit(), -1);
    EXPECT_TRUE(Eval("g()+h()") == cLongReal(5L));
}

TEST_F(LibrariesTest, ConstantsInUseCannotBeReplacedOrDeletedUntilTheirUsersGo) {
    ASSERT_EQ(CommitConstants({{"ka=1", ""}, {"kb=2", ""}}), -1);
    ASSERT_EQ(CommitFunctions({{"f(x)=x*kb", ""}}), -1);

    Engine::StartConstantEdit();
    EXPECT_FALSE(Engine::ReplaceConstant(1, "kb=3", ""));
    EXPECT_FALSE(Engine::DeleteConstant(1));
    EXPECT_TRUE(Engine::ReplaceConstant(0, "ka=5", ""));
    EXPECT_EQ(Engine::StopConstantEdit(), -1);
    EXPECT_STREQ(Engine::GetConstantDef(1).get(), "kb=2");

    ASSERT_EQ(CommitFunctions({}), -1); // keeps f
    Engine::StartFunctionEdit();
    ASSERT_TRUE(Engine::DeleteFunction(0));
    ASSERT_EQ(Engine::StopFunctionEdit(), -1);

    Engine::StartConstantEdit();
    EXPECT_TRUE(Engine::ReplaceConstant(1, "kb=3", ""));
    EXPECT_TRUE(Engine::DeleteConstant(1));
    EXPECT_EQ(Engine::StopConstantEdit(), -1);
    EXPECT_EQ(Engine::GetConstantCount(), 1u);
}

TEST_F(LibrariesTest, DeletingEntryZeroOfThreeRenumbersTheUsersOfTheOthers) {
    ASSERT_EQ(CommitConstants({{"ka=2", ""}, {"kb=3", ""}, {"kc=5", ""}}), -1);
    ASSERT_EQ(CommitFunctions({{"f()=kc-kb", ""}, {"g(x)=x*kc", ""}}), -1);
    Engine::StartConstantEdit();
    ASSERT_TRUE(Engine::DeleteConstant(0));
    EXPECT_EQ(Constants(), (std::vector<Entry>{{"kb=3", ""}, {"kc=5", ""}}));
    ASSERT_EQ(Engine::StopConstantEdit(), -1);

    const cNode& f = *Engine::aUserFunctionArray[0].aTree->aRoot;
    EXPECT_EQ(f.aChildren[0].aIndex, 1); // kc
    EXPECT_EQ(f.aChildren[1].aIndex, 0); // kb
    EXPECT_TRUE(Eval("f()") == cLongReal(2L));
    EXPECT_TRUE(Eval("g(2)") == cLongReal(10L));
}

TEST_F(LibrariesTest, EntriesWithTheSameNameAreKeptAndTheFirstWins) {
    ASSERT_EQ(CommitConstants({{"ka=1", ""}, {"ka=2", ""}}), -1);
    ASSERT_EQ(CommitFunctions({{"f()=10", ""}, {"f()=20", ""}}), -1);
    EXPECT_EQ(Engine::GetConstantCount(), 2u);
    EXPECT_EQ(Engine::GetFunctionCount(), 2u);
    EXPECT_TRUE(Eval("ka+f()") == cLongReal(11L));
}

TEST_F(LibrariesTest, EmptyCopiesCommitEmptyLibraries) {
    ASSERT_EQ(CommitConstants({{"ka=1", ""}}), -1);
    ASSERT_EQ(CommitFunctions({{"f()=1", ""}}), -1);
    Engine::StartFunctionEdit();
    ASSERT_TRUE(Engine::DeleteFunction(0));
    EXPECT_EQ(Engine::StopFunctionEdit(), -1);
    Engine::StartConstantEdit();
    ASSERT_TRUE(Engine::DeleteConstant(0));
    EXPECT_EQ(Engine::StopConstantEdit(), -1);
    EXPECT_EQ(Engine::GetConstantCount(), 0u);
    EXPECT_EQ(Engine::GetFunctionCount(), 0u);
    EXPECT_FALSE(Engine::aConstantEditMode || Engine::aFunctionEditMode);
}

// ---- compiling

struct ConstantCase {
    const char* definition;
    bool compiles;
    const char* name;
    const char* value;
};

TEST_F(LibrariesTest, CompilesConstantDefinitions) {
    const ConstantCase cases[] = {
        {"gn = 9.80665", true, "gn", "9.80665"}, {"c 1=2", true, "c1", "2"},
        {"big=1.5E3", true, "big", "1500"},      {"neg=-4", true, "neg", "-4"},
        {"\tx\ny =\x80 7", true, "xy", "7"},     {"two=1=2", false, nullptr, nullptr}, // value text "1=2"
        {"noequals", false, nullptr, nullptr},   {"bad=xyz", false, nullptr, nullptr},
        {"empty=", false, nullptr, nullptr},     {"", false, nullptr, nullptr},
    };
    for (const ConstantCase& c : cases) {
        SCOPED_TRACE(c.definition);
        ResetTables();
        EXPECT_EQ(CommitConstants({{c.definition, "d"}}), c.compiles ? -1 : 0);
        if (!c.compiles) {
            EXPECT_TRUE(Engine::aConstantEditMode);
            EXPECT_TRUE(Engine::aConstantEditMem[0].aName.empty());
            continue;
        }
        const cConstant& k = Engine::aConstantArray[0];
        EXPECT_EQ(k.aName, c.name);
        EXPECT_TRUE(k.aValue == cLongReal(c.value));
        EXPECT_EQ(k.aDefinition, c.definition); // stored as entered
    }
}

struct FunctionCase {
    const char* definition;
    bool compiles;
    const char* name;
    int16_t args;
    const char* body; // the substituted body as parsed
};

TEST_F(LibrariesTest, CompilesFunctionDefinitions) {
    const FunctionCase cases[] = {
        {"f(x)=x^2", true, "f", 1, "a^2"},
        {"hyp(x,y)=sqrt(x^2+y^2)", true, "hyp", 2, "sqrt(a^2+b^2)"},
        {"f(x y)=x+y", true, "f", 1, "a+y"},
        {"f()=2", true, "f", 0, "2"},
        {"f(b,a)=a-b", true, "f", 2, "b-a"},
        {"f(x)=x*exp(x)", true, "f", 1, "a*exp(a)"},
        {"f(x,_)=x*_", true, "f", 2, "a*b"},
        {"f(x;y)=x", true, "f", 1, "a"}, // the rest of the head is not examined
        {"f(1)=2", false, nullptr, 0, nullptr},
        {"f(x,)=x", false, nullptr, 0, nullptr},
        {"f(X)=2", false, nullptr, 0, nullptr},
        {"f=2", false, nullptr, 0, nullptr},
        {"f(x)", false, nullptr, 0, nullptr},
        {"fx)=x", false, nullptr, 0, nullptr},
        {")=1", false, nullptr, 0, nullptr},
        {"f(x)=", false, nullptr, 0, nullptr},
        {"f(x)=x+", false, nullptr, 0, nullptr},
        {"f(x)=nokonst", false, nullptr, 0, nullptr},
        {"f(x)=1.2.3", false, nullptr, 0, nullptr}, // number library rejects it
        {"f(x)=f(x)", false, nullptr, 0, nullptr},  // calls itself
        {"", false, nullptr, 0, nullptr},
        // more parameters than the body's variables a..z
        {"f(a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r,s,t,u,v,w,x,y,z,_)=1", false, nullptr, 0, nullptr},
    };
    for (const FunctionCase& c : cases) {
        SCOPED_TRACE(c.definition);
        ResetTables();
        EXPECT_EQ(CommitFunctions({{c.definition, ""}}), c.compiles ? -1 : 0);
        EXPECT_FALSE(Engine::aSearchEditFunc);
        EXPECT_EQ(Engine::aParsedFunctions, 0u);
        if (!c.compiles) {
            EXPECT_TRUE(Engine::aFunctionEditMode);
            EXPECT_EQ(Engine::aUserFunctionEditMem[0].aTree, nullptr);
            EXPECT_TRUE(Engine::aUserFunctionEditMem[0].aName.empty());
            EXPECT_EQ(Engine::aUserFunctionCount, 0u);
            continue;
        }
        const cUserFunction& f = Engine::aUserFunctionArray[0];
        EXPECT_EQ(f.aName, c.name);
        EXPECT_EQ(f.aArgCount, c.args);
        ASSERT_NE(f.aTree, nullptr);
        EXPECT_STREQ(f.aTree->aFormula.get(), c.body);
    }
}

TEST_F(LibrariesTest, TwentySixParametersAreTheMost) {
    ASSERT_EQ(CommitFunctions({{"f(a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r,s,t,u,v,w,x,y,z)=z-a", ""}}), -1);
    EXPECT_EQ(Engine::aUserFunctionArray[0].aArgCount, 26);
    EXPECT_TRUE(Eval("f(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26)") == cLongReal(25L));
}

TEST_F(LibrariesTest, FunctionsSeeOnlyTheFunctionsBeforeThem) {
    ASSERT_EQ(CommitFunctions({{"g(x)=f(x)", ""}, {"f(x)=x+1", ""}}), 0);
    Engine::CancelFunctionEdit();
    ASSERT_EQ(CommitFunctions({{"f(x)=x+1", ""}, {"g(x)=f(x)*2", ""}}), -1);
    EXPECT_TRUE(Eval("g(3)") == cLongReal(8L));
    // Existing functions come first, so a new one may call them.
    ASSERT_EQ(CommitFunctions({{"h(x)=g(x)+f(x)", ""}}), -1);
    EXPECT_TRUE(Eval("h(1)") == cLongReal(6L));
    // A name found before its owner's position in the edit copy, not later ones.
    ASSERT_EQ(CommitFunctions({{"k(x)=m(x)", ""}, {"m(x)=x", ""}}), 3);
}

TEST_F(LibrariesTest, BodiesResolveConstantsInTheLiveTable) {
    ASSERT_EQ(CommitConstants({{"ka=2", ""}}), -1);
    Engine::StartConstantEdit();
    ASSERT_TRUE(Engine::AddConstant("kb=3", ""));
    EXPECT_EQ(CommitFunctions({{"f()=ka", ""}, {"g()=kb", ""}}), 1);
}

// ---- a failing Stop

TEST_F(LibrariesTest, FailingStopKeepsEditModeTextsAndTheLiveTable) {
    ASSERT_EQ(CommitConstants({{"ka=1", "a"}}), -1);
    ASSERT_EQ(CommitFunctions({{"f()=ka", "f"}}), -1);

    Engine::StartConstantEdit();
    ASSERT_TRUE(Engine::AddConstant("kb=2", "b"));
    ASSERT_TRUE(Engine::AddConstant("kc=oops", "c"));
    ASSERT_TRUE(Engine::AddConstant("kd=4", "d"));
    EXPECT_EQ(Engine::StopConstantEdit(), 2);
    EXPECT_TRUE(Engine::aConstantEditMode);
    EXPECT_EQ(Constants(), (std::vector<Entry>{{"ka=1", "a"}, {"kb=2", "b"}, {"kc=oops", "c"}, {"kd=4", "d"}}));
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_TRUE(Engine::aConstantEditMem[i].aName.empty()) << i;
    EXPECT_EQ(Engine::aConstantCount, 1u);
    EXPECT_TRUE(Eval("ka") == cLongReal(1L));
    EXPECT_THROW(Eval("kb"), feFehlerCode);
    // Correct the entry and stop again.
    ASSERT_TRUE(Engine::ReplaceConstant(2, "kc=3", "c"));
    EXPECT_EQ(Engine::StopConstantEdit(), -1);
    EXPECT_TRUE(Eval("ka+kb+kc+kd") == cLongReal(10L));

    Engine::StartFunctionEdit();
    ASSERT_TRUE(Engine::AddFunction("g()=2", "g"));
    ASSERT_TRUE(Engine::AddFunction("h()=g()+", "h"));
    EXPECT_EQ(Engine::StopFunctionEdit(), 2);
    EXPECT_FALSE(Engine::aSearchEditFunc);
    EXPECT_TRUE(Engine::aFunctionEditMode);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Engine::aUserFunctionEditMem[i].aTree, nullptr) << i;
        EXPECT_TRUE(Engine::aUserFunctionEditMem[i].aName.empty()) << i;
    }
    EXPECT_EQ(Functions(), (std::vector<Entry>{{"f()=ka", "f"}, {"g()=2", "g"}, {"h()=g()+", "h"}}));
    EXPECT_EQ(Engine::aUserFunctionCount, 1u);
    EXPECT_EQ(Engine::aConstantArray[0].aRefCount, 1u);
    EXPECT_TRUE(Eval("f()") == cLongReal(1L));
    Engine::CancelFunctionEdit();
    EXPECT_EQ(Functions(), (std::vector<Entry>{{"f()=ka", "f"}}));
}

// ---- progress

TEST_F(LibrariesTest, StopReportsInterpretingProgress) {
    using P = ProgressCall;
    Engine::StartConstantEdit();
    ASSERT_TRUE(Engine::AddConstant("ka=1", ""));
    ASSERT_TRUE(Engine::AddConstant("kb=2", ""));
    ProgressLog::calls.clear();
    ASSERT_EQ(Engine::StopConstantEdit(), -1);
    EXPECT_EQ(ProgressLog::calls, (std::vector<P>{{0, 4, 2, 0}, {0, 4, 2, 1}, {0, 4, 2, 2}, {0, 0, 0, 0}}));

    Engine::StartFunctionEdit();
    ASSERT_TRUE(Engine::AddFunction("f()=1", ""));
    ASSERT_TRUE(Engine::AddFunction("g()=", ""));
    ASSERT_TRUE(Engine::AddFunction("h()=1", ""));
    ProgressLog::calls.clear();
    ASSERT_EQ(Engine::StopFunctionEdit(), 1);
    EXPECT_EQ(ProgressLog::calls, (std::vector<P>{{0, 4, 3, 0}, {0, 4, 3, 1}, {0, 0, 0, 0}}));

    ProgressLog::calls.clear();
    Engine::CancelFunctionEdit();
    Engine::StartFunctionEdit();
    ASSERT_EQ(Engine::StopFunctionEdit(), -1);
    EXPECT_EQ(ProgressLog::calls, (std::vector<P>{{0, 4, 0, 0}, {0, 0, 0, 0}}));
}

TEST_F(LibrariesTest, WorksWithoutAProgressHook) {
    Engine::ProgressIndicator = nullptr;
    EXPECT_EQ(CommitConstants({{"ka=1", ""}}), -1);
    EXPECT_EQ(CommitFunctions({{"f()=ka", ""}}), -1);
    EXPECT_EQ(CommitFunctions({{"g()=", ""}}), 1);
}

} // namespace
