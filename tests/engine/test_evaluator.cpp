// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluator: values, order of evaluation, loops and their counters, user
// functions on the next level, step counts and the exact progress reports.
#include "cEvalMemory.h"
#include "test_core_support.h"

#include "cEvalStack.h"
#include "cEvalWalk.h"

#include <pthread.h>

#include <random>
#include <set>
#include <typeinfo>

#include <algorithm>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

using namespace core_test;

namespace {

class EvaluatorTest : public EngineCoreTest {
protected:
    void SetUp() override {
        EngineCoreTest::SetUp();
        cFormulaEngine::ProgressIndicator = &RecordReport;
    }

    // Value of a formula in the test's engine; reports start afresh.
    cLongReal Eval(const char* formula) {
        Reports().clear();
        aEngine.Parse(formula);
        return aEngine.Evaluate();
    }
    long EvalLong(const char* formula) { return static_cast<long>(Eval(formula)); }
    long Var(char name) const { return static_cast<long>(aEngine.GetVar(name)); }

    cFormulaEngine aEngine;
};

struct ValueCase {
    const char* formula;
    long value;
};

TEST_F(EvaluatorTest, ComputesValues) {
    AddConstant("gg", 9);
    const ValueCase cases[] = {
        {"1+2", 3},
        {"7-2-1", 4},
        {"2*3+4", 10},
        {"12/3/2", 2},
        {"2^3^2", 64},
        {"-2^2", -4},
        {"-(2-5)", 3},
        {"gg*2", 18},
        {"abs(-5)", 5},
        {"sqrt(16)", 4},
        {"per(5,2)", 20},
        {"com(5,2)", 10},
        {"fak(5)", 120},
        {"round(2.6)", 3},
        {"trunc(-2.6)", -2},
        {"round(pi())", 3},
        {"round(e()*100)", 272},
    };
    for (const ValueCase& c : cases)
        EXPECT_EQ(EvalLong(c.formula), c.value) << c.formula;
}

TEST_F(EvaluatorTest, SumsAndProductsLeaveTheirCounters) {
    struct Row {
        const char* formula;
        long value;
        char counter;
        long after;
    };
    const Row rows[] = {
        {"sum(1,1,10,i)", 55, 'i', 11},
        {"mul(2,1,5,j)", 120, 'j', 6},
        {"sum(1,5,1,i)", 0, 'i', 5},
        {"mul(1,5,1,i)", 1, 'i', 5},
        {"sum(3,1,3,k)", 6, 'k', 4},
        {"sum(1.2,1,3,i)", 6, 'i', 4},
        {"sum(0,1,3,l)", 6, 'l', 4},
        {"sum(4,1,3,l)", 6, 'l', 4},
        {"sum(-1,1,3,l)", 6, 'l', 4},
        {"sum(1,0.6,2.4,i)", 3, 'i', 3}, // bounds are rounded
        {"sum(1,1,3,sum(2,1,i,j))", 10, 'j', 4},
        {"sum(1,1,3,sum(1,1,2,i))", 3, 'i', 4}, // the inner loop moves the outer counter
    };
    for (const Row& row : rows) {
        EXPECT_EQ(EvalLong(row.formula), row.value) << row.formula;
        EXPECT_EQ(Var(row.counter), row.after) << row.formula;
    }
}

TEST_F(EvaluatorTest, RightOperandIsEvaluatedFirst) {
    aEngine.SetVar('i', cLongReal(0L));
    EXPECT_EQ(EvalLong("sum(1,1,3,i)+i"), 6);
    aEngine.SetVar('i', cLongReal(0L));
    EXPECT_EQ(EvalLong("i+sum(1,1,3,i)"), 10);
    // built-ins: argument 1 before argument 0
    aEngine.SetVar('i', cLongReal(0L));
    EXPECT_EQ(EvalLong("com(sum(1,1,3,i),i)"), 1);
}

TEST_F(EvaluatorTest, UserFunctionArgumentsFirstToLast) {
    AddUserFunction("g", "xy", "x*10+y");
    aEngine.SetVar('i', cLongReal(0L));
    EXPECT_EQ(EvalLong("g(sum(1,1,3,i),i)"), 64);
}

TEST_F(EvaluatorTest, UserFunctionsSeeOnlyTheirOwnVariables) {
    AddUserFunction("f", "x", "x*y");
    AddUserFunction("s", "n", "sum(1,1,n,i)");
    AddUserFunction("t", "x", "s(x)+i");
    aEngine.SetVar('y', cLongReal(5L));
    EXPECT_EQ(EvalLong("f(3)"), 0);
    aEngine.SetVar('i', cLongReal(100L));
    EXPECT_EQ(EvalLong("s(4)+i"), 110);
    EXPECT_EQ(Var('i'), 100); // the function's loop ran on its own counter
    EXPECT_EQ(static_cast<long>(cFormulaEngine::aUserFunctionArray[1].aTree->GetVar('i')), 5);
    EXPECT_EQ(EvalLong("t(2)"), 3);
    EXPECT_EQ(cFormulaEngine::aUserFunctionArray[1].aTree->aLevel, 2);
}

TEST_F(EvaluatorTest, StepCounts) {
    AddUserFunction("f", "x", "x*x");
    const ValueCase cases[] = {
        {"1+2", 3},
        {"sum(1,1,10,i*i)", 34},
        {"sum(1,5,1,i)", 4},
        {"f(2)", 2},
        {"sin(1)", 2},
        {"-x", 2},
        {"mul(1,1,3,sum(2,1,2,j))", 1 + 1 + 1 + 3 * (1 + 1 + 1 + 1 * 2 + 1) + 1},
    };
    for (const ValueCase& c : cases) {
        Eval(c.formula);
        EXPECT_EQ(static_cast<long>(aEngine.aStepsTotal), c.value) << c.formula;
        EXPECT_EQ(aEngine.aStepsDone, aEngine.aStepsTotal) << c.formula;
        // one report per step between the opening and the closing report
        const size_t reports = Reports().size();
        EXPECT_EQ(std::get<3>(Reports()[reports - 2]), aEngine.aStepsTotal) << c.formula;
    }
}

TEST_F(EvaluatorTest, ReportsEveryNodeInPostOrder) {
    EXPECT_EQ(EvalLong("1+2"), 3);
    const std::vector<tReport> expected = {
        {0, 1, 3, 0}, {0, 1, 3, 1}, {0, 1, 3, 2}, {0, 1, 3, 3}, {0, 0, 0, 0},
    };
    EXPECT_EQ(Reports(), expected);
}

TEST_F(EvaluatorTest, UserFunctionReportsOnTheNextLevel) {
    AddUserFunction("f", "x", "x*x");
    EXPECT_EQ(EvalLong("f(2)"), 4);
    const std::vector<tReport> expected = {
        {0, 1, 2, 0}, {0, 1, 2, 1}, {1, 1, 3, 0}, {1, 1, 3, 1}, {1, 1, 3, 2},
        {1, 1, 3, 3}, {1, 0, 0, 0}, {0, 1, 2, 2}, {0, 0, 0, 0},
    };
    EXPECT_EQ(Reports(), expected);
}

TEST_F(EvaluatorTest, LoopBoundsAreCountedSilently) {
    AddUserFunction("f", "x", "x");
    EXPECT_EQ(EvalLong("sum(1,1,f(2),i)"), 3);
    // the bound's call reports on its own level during the count, then again
    const std::vector<tReport> expected = {
        {1, 1, 1, 0}, {1, 1, 1, 1}, {1, 0, 0, 0}, {0, 1, 7, 0}, {0, 1, 7, 1}, {0, 1, 7, 2}, {0, 1, 7, 3}, {1, 1, 1, 0},
        {1, 1, 1, 1}, {1, 0, 0, 0}, {0, 1, 7, 4}, {0, 1, 7, 5}, {0, 1, 7, 6}, {0, 1, 7, 7}, {0, 0, 0, 0},
    };
    EXPECT_EQ(Reports(), expected);
    EXPECT_EQ(aEngine.aSilent, 0);
}

TEST_F(EvaluatorTest, FailureDeepInACallClosesEveryLevel) {
    AddUserFunction("f", "x", "1/x");
    aEngine.Parse("2+f(0)");
    Reports().clear();
    EXPECT_THROW(aEngine.Evaluate(), cLongRealError);
    const std::vector<tReport> expected = {
        {0, 1, 4, 0}, {0, 1, 4, 1}, {1, 1, 3, 0}, {1, 1, 3, 1}, {1, 1, 3, 2}, {1, 0, 0, 0}, {0, 0, 0, 0},
    };
    EXPECT_EQ(Reports(), expected);
    EXPECT_EQ(static_cast<long>(cFormulaEngine::aUserFunctionArray[0].aTree->GetVar('a')), 0);
}

TEST_F(EvaluatorTest, FailureInABoundEndsBeforeAnyReport) {
    aEngine.Parse("sum(1,1,1/0,i)");
    Reports().clear();
    EXPECT_THROW(aEngine.Evaluate(), cLongRealError);
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(aEngine.aSilent, 0);
}

// The hook may throw to interrupt a calculation.
struct cInterrupt {};
int gReportsBeforeInterrupt = 0;
void InterruptingHook(uint16_t level, uint8_t activity, uint32_t total, uint32_t done) {
    RecordReport(level, activity, total, done);
    if (activity == faCalculating && --gReportsBeforeInterrupt < 0)
        throw cInterrupt{};
}

TEST_F(EvaluatorTest, LongSilentBoundsReportNowAndThen) {
    aEngine.Parse("sum(1,1,sum(2,1,10000,1),i)");
    Reports().clear();
    EXPECT_EQ(static_cast<long>(aEngine.Evaluate()), 50005000);
    // one silent step per inner iteration: a few reports without a total first
    const auto beats = std::count(Reports().begin(), Reports().end(), tReport{0, 1, 0, 0});
    EXPECT_GE(beats, 1);
    EXPECT_LE(beats, 4);
    EXPECT_EQ(std::get<2>(Reports()[static_cast<size_t>(beats)]), aEngine.aStepsTotal);

    // a hook that throws on such a report ends the evaluation with the level closed
    cFormulaEngine::ProgressIndicator = &InterruptingHook;
    gReportsBeforeInterrupt = 0;
    Reports().clear();
    EXPECT_THROW(aEngine.Evaluate(), cInterrupt);
    const std::vector<tReport> expected = {{0, 1, 0, 0}, {0, 0, 0, 0}};
    EXPECT_EQ(Reports(), expected);
    EXPECT_EQ(aEngine.aSilent, 0);
    cFormulaEngine::ProgressIndicator = &RecordReport;
}

TEST_F(EvaluatorTest, FailureKeepsLoopCounters) {
    EXPECT_THROW(Eval("sum(1,1,5,1/(3-i))"), cLongRealError);
    EXPECT_EQ(Var('i'), 3);
}

// A loop is refused only when it repeats a state; setting the counter back
// is not enough.
TEST_F(EvaluatorTest, OnlyLoopsThatRepeatAreRefused) {
    // i goes back once (7 to 5), then past 20
    ASSERT_TRUE(aEngine.SetVar('j', cLongReal(0L)));
    EXPECT_EQ(EvalLong("sum(1,1,20,sum(1,1,14.5*j^2-45.5*j+36,0)+sum(2,j,j,0))"), 0);
    EXPECT_GT(Var('i'), 20);
    EXPECT_THROW(Eval("sum(1,1,5,sum(1,1,1,i))"), std::runtime_error);
    EXPECT_THROW(Eval("mul(2,1,5,mul(2,1,2,2))"), std::runtime_error);

    // f counts its calls in its own k: the outer loop starts twice with i = 3
    // and the same variables of its own, but f's state differs and the loop ends.
    AddUserFunction("f", "x", "sum(3,k,k,0)+k");
    EXPECT_EQ(EvalLong("sum(1,1,3,sum(1,1,trunc(f(0)/4)+1,0))"), 0);
    EXPECT_EQ(Var('i'), 4);
    // a repeat that runs through a function instance is found too
    AddUserFunction("g", "x", "sum(3,1,2,1)+0*x");
    EXPECT_THROW(Eval("sum(1,1,9,sum(1,1,g(i),0))"), std::runtime_error);
}

TEST_F(EvaluatorTest, ThrowingHookInterruptsCleanly) {
    AddUserFunction("f", "x", "x+1");
    cFormulaEngine::ProgressIndicator = &InterruptingHook;
    for (int allowed : {0, 2, 4, 9}) {
        gReportsBeforeInterrupt = allowed;
        aEngine.Parse("sum(1,1,f(3),f(i))");
        Reports().clear();
        EXPECT_THROW(aEngine.Evaluate(), cInterrupt) << allowed;
        EXPECT_EQ(aEngine.aSilent, 0) << allowed;
        // every level that was opened is closed, innermost first
        std::vector<int> open;
        for (const tReport& r : Reports()) {
            const int level = std::get<0>(r);
            if (std::get<1>(r) == faIdle) {
                ASSERT_FALSE(open.empty()) << allowed;
                EXPECT_EQ(open.back(), level) << allowed;
                open.pop_back();
            } else if (open.empty() || open.back() != level) {
                open.push_back(level);
            }
        }
        EXPECT_TRUE(open.empty()) << allowed;
    }
    cFormulaEngine::ProgressIndicator = &RecordReport;
    EXPECT_EQ(EvalLong("f(1)"), 2); // the engine is usable afterwards
}

TEST_F(EvaluatorTest, WorksWithoutAProgressHook) {
    cFormulaEngine::ProgressIndicator = nullptr;
    AddUserFunction("f", "x", "x*2");
    EXPECT_EQ(EvalLong("sum(1,1,4,f(i))"), 20);
}

TEST_F(EvaluatorTest, EvaluateWithoutATreeThrows) {
    cFormulaEngine empty;
    EXPECT_THROW(empty.Evaluate(), std::logic_error);
    EXPECT_TRUE(Reports().empty());
}

TEST_F(EvaluatorTest, VariablesByLetter) {
    EXPECT_TRUE(aEngine.SetVar('m', cLongReal(3L)));
    EXPECT_EQ(Var('m'), 3);
    EXPECT_EQ(EvalLong("m*m"), 9);
    for (char bad : {'A', '`', '{', '0', '\0'}) {
        EXPECT_FALSE(aEngine.SetVar(bad, cLongReal(7L))) << bad;
        EXPECT_TRUE(aEngine.GetVar(bad) == cLongReal(0L)) << bad;
    }
    for (char v = 'a'; v <= 'z'; ++v)
        EXPECT_EQ(Var(v), v == 'm' ? 3 : 0) << v;
}

TEST_F(EvaluatorTest, UnknownNodeKindsYieldZeroWithoutAStep) {
    aEngine.Parse("1+2");
    aEngine.aRoot->aChildren[0].aKind = 42;
    EXPECT_EQ(static_cast<long>(aEngine.Evaluate()), 2);
    EXPECT_EQ(aEngine.aStepsTotal, 2u);
    EXPECT_EQ(aEngine.aStepsDone, 2u);

    cNode call; // a built-in call with four arguments
    call.aKind = nkBasicFunction;
    call.aChildren = std::make_unique<cNode[]>(4);
    call.aChildCount = 4;
    aEngine.aStepsDone = 0;
    EXPECT_TRUE(aEngine._EvalNode(call) == cLongReal(0L));
    EXPECT_EQ(aEngine.aStepsDone, 0u);
}

std::string Repeat(const std::string& piece, size_t times) {
    std::string text;
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

// Runs work on a thread whose stack has the given size; rethrows what it threw.
void OnStackOf(size_t bytes, const std::function<void()>& work) {
    struct cJob {
        const std::function<void()>* work;
        std::exception_ptr failure;
    } job{&work, nullptr};
    pthread_attr_t attr;
    ASSERT_EQ(pthread_attr_init(&attr), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, bytes), 0);
    pthread_t thread;
    const int created = pthread_create(
        &thread, &attr,
        [](void* arg) -> void* {
            auto* j = static_cast<cJob*>(arg);
            try {
                (*j->work)();
            } catch (...) {
                j->failure = std::current_exception();
            }
            return nullptr;
        },
        &job);
    pthread_attr_destroy(&attr);
    ASSERT_EQ(created, 0);
    pthread_join(thread, nullptr);
    if (job.failure)
        std::rethrow_exception(job.failure);
}

// Levels opened and closed by the reports, properly nested.
bool LevelsNestAndClose(const std::vector<tReport>& reports) {
    std::vector<int> open;
    for (const tReport& r : reports) {
        const int level = std::get<0>(r);
        if (std::get<1>(r) == faIdle) {
            if (open.empty() || open.back() != level)
                return false;
            open.pop_back();
        } else if (open.empty() || open.back() != level) {
            open.push_back(level);
        }
    }
    return open.empty();
}

TEST_F(EvaluatorTest, DepthAcrossUserFunctionCallsIsBoundedByTheStack) {
    // Every body lies within the parser's limit; their depths add up across
    // the calls: fb nests fa 3333 times, fc nests fb, ... fl nests fk.
    AddUserFunction("fa", "x", "x+1");
    std::string previous = "fa";
    for (char c = 'b'; c <= 'l'; ++c) {
        const std::string body = Repeat(previous + "(", 3333) + "x" + Repeat(")", 3333);
        const std::string name = std::string("f") + c;
        AddUserFunction(name.c_str(), "x", body.c_str());
        previous = name;
    }
    EXPECT_TRUE(aEngine.SetVar('q', cLongReal(5L)));
    for (const size_t stack : {size_t{1} << 20, size_t{4} << 20}) {
        OnStackOf(stack, [&] {
            Reports().clear();
            aEngine.Parse("q+fl(1)");
            EXPECT_THROW(aEngine.Evaluate(), cEvalTooDeep) << stack;
            EXPECT_TRUE(LevelsNestAndClose(Reports())) << stack;
            EXPECT_FALSE(Reports().empty());
            EXPECT_EQ(EvalLong("fa(fa(q))"), 7) << stack;
        });
    }
    // on the thread of the test as well, and nothing is lost
    aEngine.Parse("fl(1)");
    EXPECT_THROW(aEngine.Evaluate(), cEvalTooDeep);
    EXPECT_EQ(aEngine.aSilent, 0);
    EXPECT_EQ(Var('q'), 5);
    EXPECT_EQ(EvalLong("q+fb(2)"), 3340);
}

TEST_F(EvaluatorTest, LoopBoundsOfAUserFunctionCountAgainstTheSameStack) {
    // The step count evaluates bounds, and calls within them, before any report.
    AddUserFunction("fa", "x", "x+1");
    AddUserFunction("fb", "x", (Repeat("fa(", 3333) + "x" + Repeat(")", 3333)).c_str());
    const std::string deep = "sum(1,1," + Repeat("fb(", 3000) + "0" + Repeat(")", 3000) + ",1)";
    aEngine.Parse(deep.c_str());
    OnStackOf(size_t{1} << 20, [&] {
        EXPECT_THROW(aEngine.Evaluate(), cEvalTooDeep);
        EXPECT_EQ(aEngine.aSilent, 0);
    });
}

TEST_F(EvaluatorTest, OperandsBeyondTheMemoryBudgetFailBeforeTheyAllocate) {
    const uint16_t savedPrecision = cLongReal::aPrecision;
    cLongReal::aPrecision = 4096; // 65,536 bits: some 16 KiB an operand
    cLongReal::Init();
    evalmemory::SetBudget(size_t{16} << 20);
    EXPECT_TRUE(aEngine.SetVar('q', cLongReal(5L)));
    EXPECT_TRUE(aEngine.SetVar('r', sqrt(cLongReal(2L))));
    // Left-deep: every level holds its right operand, a number of the full
    // precision, while the left one is computed, 2,000 of them at once.
    const std::string deep = Repeat("(", 2000) + "r" + Repeat("+r)", 2000);
    aEngine.Parse(deep.c_str());
    Reports().clear();
    EXPECT_THROW(aEngine.Evaluate(), cEvalOutOfMemory);
    EXPECT_TRUE(LevelsNestAndClose(Reports()));
    EXPECT_EQ(Var('q'), 5);
    // A slot keeps its number after use, so any shape counts; shallower
    // formulas fit.
    EXPECT_EQ(EvalLong((Repeat("1+(", 100) + "1" + Repeat(")", 100)).c_str()), 101);
    EXPECT_EQ(EvalLong("q*2+1"), 11);
    evalmemory::SetBudget(0);
    cLongReal::aPrecision = savedPrecision;
    cLongReal::Init();
}

TEST_F(EvaluatorTest, SilentStepsOfTheCountStartAfreshInEveryEvaluation) {
    // 4095 steps, one short of a silent beat ...
    EXPECT_EQ(EvalLong((Repeat("1+", 2047) + "1").c_str()), 2048);
    ASSERT_EQ(aEngine.aStepsDone, 4095u);
    // ... and a short sum gives no report without a total
    EXPECT_EQ(EvalLong("sum(1,1,2,i)"), 3);
    EXPECT_EQ(std::count(Reports().begin(), Reports().end(), tReport{0, 1, 0, 0}), 0);
}

} // namespace

namespace {

// A random formula: loops whose bounds read outer counters, nested loops
// over the same counter, long loops (run flattened after their first
// iterations), user functions with state of their own, and operations that
// fail for some counter values, in the middle of a loop.
class cFormulaMaker {
public:
    explicit cFormulaMaker(unsigned seed) : aRandom(seed) {}
    std::string Make(int depth) {
        const int kind = depth <= 0 ? Pick(0, 2) : Pick(0, 14);
        switch (kind) {
        case 0: return std::to_string(Pick(0, 9));
        case 1: return std::string(1, "ijklab"[Pick(0, 5)]);
        case 2: return Pick(0, 1) ? "gg" : "0.5";
        case 3:
        case 4:
        case 5: {
            static const char kOps[] = "+-*/^";
            const char op = kOps[Pick(0, 4)];
            const std::string right = op == '^' ? std::to_string(Pick(0, 3)) : Make(depth - 1);
            return "(" + Make(depth - 1) + op + right + ")";
        }
        case 6: return "(-(" + Make(depth - 1) + "))";
        case 7: {
            static const char* const kFunctions[] = {"sqrt", "ln", "sin", "round", "abs", "pi"};
            const char* name = kFunctions[Pick(0, 5)];
            return std::string(name) + (name[0] == 'p' ? "()" : "(" + Make(depth - 1) + ")");
        }
        case 8: return "per(" + Make(depth - 1) + "," + std::to_string(Pick(0, 3)) + ")";
        case 9: return "f(" + Make(depth - 1) + ")";
        case 10: return "g(" + Make(depth - 1) + "," + Make(depth - 1) + ")";
        case 11: {
            const std::string counter(1, "ijk"[Pick(0, 2)]);
            const std::string pole = "(" + counter + "-" + std::to_string(Pick(3, 20)) + ")";
            return Pick(0, 1) ? "(" + Make(depth - 1) + "/" + pole + ")" : "ln(" + pole + ")";
        }
        default: {
            const std::string selector = std::to_string(Pick(0, 4));
            const auto outer = [&] { return std::string(1, "ijk"[Pick(0, 2)]); };
            const std::string lo = Pick(0, 2) ? std::to_string(Pick(-1, 2)) : outer() + "-1";
            std::string hi;
            switch (Pick(0, 4)) {
            case 0: hi = std::to_string(Pick(0, 4)); break;
            case 1: hi = outer() + "+1"; break;
            case 2: hi = "sum(3,1," + std::to_string(Pick(9, 14)) + ",1)"; break; // counted silently
            default: hi = std::to_string(Pick(9, 24)); break;
            }
            // a body that fails at a late iteration, after the walk has handed over to the flat list
            const std::string own(1, "lijkl"[selector[0] - '0']);
            const std::string late = std::to_string(Pick(9, 20));
            std::string body;
            switch (Pick(0, 3)) {
            case 0: body = "(" + Make(depth - 1) + "/(" + own + "-" + late + "))"; break;
            case 1:
                body = "(" + Make(depth - 1) + "*ln(" + late + "-" + own + "))";
                break; // fails in the right operand
            default: body = Make(depth - 1); break;
            }
            return std::string(Pick(0, 3) ? "sum(" : "mul(") + selector + "," + lo + "," + hi + "," + body + ")";
        }
        }
    }

private:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(aRandom); }
    std::mt19937 aRandom;
};

// Everything an evaluation shows: value or error, reports, and the
// variables of the instance and of the function bodies afterwards.
struct cOutcome {
    bool aFailed = false;
    std::string aError;
    cLongReal aValue;
    std::vector<tReport> aReports;
    std::vector<cLongReal> aVariables;
};

int gReportsLeft = 0;
void CappedHook(uint16_t level, uint8_t activity, uint32_t total, uint32_t done) {
    RecordReport(level, activity, total, done);
    if (--gReportsLeft < 0)
        throw std::runtime_error("interrupted"); // a loop that runs on without repeating
}

bool Same(const cLongReal& a, const cLongReal& b) { return arb_equal(a.arb(), b.arb()) != 0; }

} // namespace

TEST_F(EvaluatorTest, UsualWalkMatchesThePlainWalk) {
    AddConstant("gg", 3);
    AddUserFunction("f", "x", "x*2+k");
    AddUserFunction("g", "xy", "sum(3,1,x,y)+k+f(x)");
    cFormulaEngine::ProgressIndicator = &CappedHook;
    const auto run = [&](const std::string& formula, bool plain) {
        evalwalk::SetPlain(plain);
        for (char v = 'a'; v <= 'z'; ++v)
            aEngine.SetVar(v, cLongReal(static_cast<long>((v * 7) % 5)));
        for (uint32_t u = 0; u < cFormulaEngine::aUserFunctionCount; ++u)
            for (char v = 'a'; v <= 'z'; ++v)
                cFormulaEngine::aUserFunctionArray[u].aTree->SetVar(v, cLongReal(0L));
        cOutcome outcome;
        Reports().clear();
        gReportsLeft = 20000;
        try {
            aEngine.Parse(formula.c_str());
            outcome.aValue = aEngine.Evaluate();
        } catch (const std::exception& error) {
            outcome.aFailed = true;
            outcome.aError = std::string(typeid(error).name()) + ": " + error.what();
        } catch (feFehlerCode code) {
            ADD_FAILURE() << formula << ": " << feFehlerName(code);
        }
        outcome.aReports = Reports();
        for (char v = 'a'; v <= 'z'; ++v)
            outcome.aVariables.push_back(aEngine.GetVar(v));
        for (uint32_t u = 0; u < cFormulaEngine::aUserFunctionCount; ++u)
            for (char v = 'a'; v <= 'z'; ++v)
                outcome.aVariables.push_back(cFormulaEngine::aUserFunctionArray[u].aTree->GetVar(v));
        evalwalk::SetPlain(false);
        return outcome;
    };
    cFormulaMaker maker(20261208);
    const uint64_t flatBefore = evalwalk::FlatLoops();
    int failed = 0;
    std::set<std::string> errors;
    for (int n = 0; n < 1500; ++n) {
        const std::string formula = maker.Make(1 + n % 5);
        const cOutcome plain = run(formula, true);
        const cOutcome usual = run(formula, false);
        failed += plain.aFailed;
        if (plain.aFailed)
            errors.insert(plain.aError.substr(0, plain.aError.find(':', plain.aError.find(':') + 1)));
        ASSERT_EQ(usual.aFailed, plain.aFailed) << formula << ": " << plain.aError << usual.aError;
        EXPECT_EQ(usual.aError, plain.aError) << formula;
        EXPECT_TRUE(plain.aFailed || Same(usual.aValue, plain.aValue)) << formula;
        EXPECT_EQ(usual.aReports, plain.aReports) << formula;
        ASSERT_EQ(usual.aVariables.size(), plain.aVariables.size());
        for (size_t v = 0; v < plain.aVariables.size(); ++v)
            EXPECT_TRUE(Same(usual.aVariables[v], plain.aVariables[v])) << formula << " variable " << v;
    }
    // errors of several kinds came up (endless loops and interruptions among
    // them), and most formulas had a value
    EXPECT_GE(errors.size(), 5u);
    EXPECT_GT(evalwalk::FlatLoops() - flatBefore, 300u);
    EXPECT_GT(failed, 20);
    EXPECT_LT(failed, 750);
    cFormulaEngine::ProgressIndicator = &RecordReport;
}
