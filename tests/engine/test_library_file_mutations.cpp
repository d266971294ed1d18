// SPDX-License-Identifier: GPL-3.0-or-later
// The readers against damaged files: thousands of deterministic mutations
// and truncations of real library files. Every read must end with a result
// code in range, leave no edit mode behind, and change nothing unless it
// committed.
#include "test_lib_fixture.h"

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

class LibraryFileMutationTest : public LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        ASSERT_EQ(CommitConstants({{"gn=9.80665", "standard gravity"}, {"ka=2", ""}, {"kb = 1.5E1", "with blanks"}}),
                  -1);
        ASSERT_EQ(CommitFunctions({{"fall(t)=gn*t^2/2", "distance fallen"},
                                   {"twice(x)=2*x+ka-ka", ""},
                                   {"hyp(x,y)=sqrt(x^2+y^2)", "hypotenuse"}}),
                  -1);
    }

    // Deterministic across platforms: raw engine output only.
    uint32_t Next(uint32_t bound) { return static_cast<uint32_t>(mRandom() % bound); }

    Bytes Mutate(const Bytes& original) {
        Bytes b = original;
        const uint32_t edits = 1 + Next(3);
        for (uint32_t e = 0; e < edits; ++e) {
            switch (Next(6)) {
            case 0: // truncate
                b.resize(Next(static_cast<uint32_t>(b.size()) + 1));
                break;
            case 1: // change bytes
                for (uint32_t k = 1 + Next(4); k > 0 && !b.empty(); --k)
                    b[Next(static_cast<uint32_t>(b.size()))] = static_cast<unsigned char>(Next(256));
                break;
            case 2: // flip one bit
                if (!b.empty())
                    b[Next(static_cast<uint32_t>(b.size()))] ^= static_cast<unsigned char>(1u << Next(8));
                break;
            case 3: { // insert random bytes
                const auto at = b.begin() + Next(static_cast<uint32_t>(b.size()) + 1);
                Bytes extra(1 + Next(8));
                for (auto& x : extra)
                    x = static_cast<unsigned char>(Next(256));
                b.insert(at, extra.begin(), extra.end());
                break;
            }
            case 4: { // delete a range
                if (b.empty())
                    break;
                const uint32_t from = Next(static_cast<uint32_t>(b.size()));
                const uint32_t length = 1 + Next(std::min<uint32_t>(16, static_cast<uint32_t>(b.size()) - from));
                b.erase(b.begin() + from, b.begin() + from + length);
                break;
            }
            default: // a wild count
                if (b.size() >= 9) {
                    const uint32_t n = static_cast<uint32_t>(mRandom());
                    for (int i = 0; i < 4; ++i)
                        b[static_cast<size_t>(5 + i)] = static_cast<unsigned char>(n >> (8 * i));
                }
                break;
            }
        }
        return b;
    }

    // Reads `file` with `reader` and checks the outcome against the library
    // before; a committed read is undone so every case starts alike.
    void Check(const Bytes& file, int32_t (*reader)(), bool constants) {
        const auto before = constants ? Constants() : Functions();
        MemoryFile::Reset(file);
        const int32_t result = reader();
        ++mSeen[result < 0 ? result : 0];
        ASSERT_FALSE(Engine::aConstantEditMode || Engine::aFunctionEditMode);
        ASSERT_FALSE(Engine::aSearchEditFunc);
        const auto after = constants ? Constants() : Functions();
        if (result != -1) {
            ASSERT_GE(result, -5);
            ASSERT_LT(result, 100); // an index within the capacity
            ASSERT_EQ(after, before) << "result " << result;
            ++mFailures;
            return;
        }
        ASSERT_GE(after.size(), before.size());
        ASSERT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
        ++mLoads;
        // Undo the load.
        if (constants) {
            Engine::StartConstantEdit();
            while (Engine::GetConstantCount() > before.size())
                ASSERT_TRUE(Engine::DeleteConstant(static_cast<uint32_t>(before.size())));
            ASSERT_EQ(Engine::StopConstantEdit(), -1);
        } else {
            Engine::StartFunctionEdit();
            while (Engine::GetFunctionCount() > before.size())
                ASSERT_TRUE(Engine::DeleteFunction(static_cast<uint32_t>(before.size())));
            ASSERT_EQ(Engine::StopFunctionEdit(), -1);
        }
    }

    std::mt19937 mRandom{20261207};
    std::map<int32_t, int> mSeen; // result -> cases; every entry index counts as 0
    int mLoads = 0;
    int mFailures = 0;
};

TEST_F(LibraryFileMutationTest, ReadersSurviveDamagedFiles) {
    // Real files, as the writer makes them.
    Engine::StartConstantEdit();
    ASSERT_TRUE(Engine::AddConstant("kc=3", "three"));
    ASSERT_TRUE(Engine::AddConstant("kd=4.25", std::string(300, 'd').c_str()));
    ASSERT_TRUE(Engine::AddConstant("ke = -7", ""));
    ASSERT_EQ(Engine::StopConstantEdit(), -1);
    MemoryFile::Reset();
    ASSERT_TRUE(Engine::ConstantsToFile());
    const Bytes constantFile = MemoryFile::data;

    Engine::StartFunctionEdit();
    ASSERT_TRUE(Engine::AddFunction("sq(x)=x*x", "square"));
    ASSERT_TRUE(Engine::AddFunction("cube(x)=sq(x)*x+ka-ka", ""));
    ASSERT_TRUE(Engine::AddFunction("mix(a,b)=hyp(a,b)+sum(i,1,3,i*a)", "calls and sums"));
    ASSERT_EQ(Engine::StopFunctionEdit(), -1);
    MemoryFile::Reset();
    ASSERT_TRUE(Engine::FunctionsToFile());
    const Bytes functionFile = MemoryFile::data;

    // Back to the base library of the fixture: the files add to it.
    Engine::StartFunctionEdit();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(Engine::DeleteFunction(3));
    ASSERT_EQ(Engine::StopFunctionEdit(), -1);
    Engine::StartConstantEdit();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(Engine::DeleteConstant(3));
    ASSERT_EQ(Engine::StopConstantEdit(), -1);

    // The originals load, also into the other reader.
    Check(constantFile, Engine::ConstantsFromFile, true);
    Check(functionFile, Engine::FunctionsFromFile, false);
    ASSERT_EQ(mLoads, 2);

    for (int round = 0; round < 1500; ++round) {
        Check(Mutate(constantFile), Engine::ConstantsFromFile, true);
        Check(Mutate(functionFile), Engine::FunctionsFromFile, false);
        if (round % 50 == 0) {
            Check(Mutate(functionFile), Engine::ConstantsFromFile, true);
            Check(Mutate(constantFile), Engine::FunctionsFromFile, false);
        }
        if (HasFatalFailure())
            FAIL() << "at round " << round;
    }
    // Every prefix of a real file.
    for (size_t n = 0; n < functionFile.size(); ++n)
        Check(Bytes(functionFile.begin(), functionFile.begin() + static_cast<std::ptrdiff_t>(n)),
              Engine::FunctionsFromFile, false);
    for (size_t n = 0; n < constantFile.size(); ++n)
        Check(Bytes(constantFile.begin(), constantFile.begin() + static_cast<std::ptrdiff_t>(n)),
              Engine::ConstantsFromFile, true);

    // The damage reached every check of the readers, and the library still works.
    for (int32_t result : {-5, -4, -2, -1, 0})
        EXPECT_GT(mSeen[result], 5) << result;
    EXPECT_GT(mFailures, 2000);
    EXPECT_TRUE(Eval("fall(2)") == cLongReal("19.6133"));
    EXPECT_TRUE(Eval("hyp(3,4)+twice(kb)") == cLongReal(35L));
}

} // namespace
