// SPDX-License-Identifier: GPL-3.0-or-later
// The example libraries shipped in examples/ load and compute what they say.
#include "test_lib_fixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

class ExampleLibraryTest : public LibraryTest {
protected:
    static Bytes ReadExample(const char* name) {
        const auto path = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "examples" / name;
        std::ifstream in(path, std::ios::binary);
        EXPECT_TRUE(in) << path;
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    // Loads a file and checks that writing the library back gives the same bytes.
    static void LoadAndRewrite(const Bytes& file, int32_t (*reader)(), bool (*writer)()) {
        MemoryFile::Reset(file);
        ASSERT_EQ(reader(), -1);
        MemoryFile::Reset();
        ASSERT_TRUE(writer());
        EXPECT_EQ(MemoryFile::data, file);
    }
};

struct Expectation {
    const char* formula;
    const char* value;
};

TEST_F(ExampleLibraryTest, PhysicalConstantsLoadWithTheirValues) {
    ASSERT_NO_FATAL_FAILURE(
        LoadAndRewrite(ReadExample("physics.krc"), Engine::ConstantsFromFile, Engine::ConstantsToFile));
    ASSERT_EQ(Engine::GetConstantCount(), 11u);
    for (uint32_t i = 0; i < Engine::GetConstantCount(); ++i)
        EXPECT_GT(std::strlen(Engine::GetConstantDesc(i).get()), 10u) << i;

    const Expectation cases[] = {
        {"clight", "299792458"},
        {"gn", "9.80665"},
        {"hplanck*1000000000000000000000000000000000", "6.62607015E-1"},
        {"na*kb", "8.31446261815324"},
        {"rgas", "8.31446261815324"},
        {"qe*na", "96485.33212331001"}, // Faraday constant
        {"1/(eps_vac*mu_vac*clight^2)", "1"},
        {"atm/100000", "1.01325"},
        {"me*clight^2/qe/1000", "510.99895069"}, // electron rest energy, keV
    };
    for (const Expectation& c : cases) {
        SCOPED_TRACE(c.formula);
        // CODATA values agree with each other only to their published digits.
        const cLongReal value = Eval(c.formula);
        const cLongReal expected(c.value);
        EXPECT_TRUE(abs(value - expected) <= abs(expected) * cLongReal("1E-9"));
    }
    EXPECT_TRUE(Eval("clight") == cLongReal(299792458L));
    EXPECT_TRUE(Near(Eval("rgas"), Eval("na*kb")));
}

TEST_F(ExampleLibraryTest, FunctionsLoadAndCompute) {
    ASSERT_NO_FATAL_FAILURE(
        LoadAndRewrite(ReadExample("functions.krf"), Engine::FunctionsFromFile, Engine::FunctionsToFile));
    ASSERT_EQ(Engine::GetFunctionCount(), 9u);

    const Expectation cases[] = {
        {"hyp(3,4)", "5"},           {"vlen(2,3,6)", "7"},   {"df(10,3)", "7"},
        {"cint(100,5,2)", "110.25"}, {"mean(3,8)", "5.5"},   {"gmean(2,8)", "4"},
        {"logb(2,1024)", "10"},      {"todeg(pi())", "180"}, {"torad(90)*2", "3.14159265358979323846264338327950288"},
    };
    for (const Expectation& c : cases) {
        SCOPED_TRACE(c.formula);
        EXPECT_TRUE(Near(Eval(c.formula), cLongReal(c.value)));
    }
}

TEST_F(ExampleLibraryTest, FunctionsNeedNoConstantsAndBothLibrariesCoexist) {
    ASSERT_NO_FATAL_FAILURE(
        LoadAndRewrite(ReadExample("functions.krf"), Engine::FunctionsFromFile, Engine::FunctionsToFile));
    ASSERT_NO_FATAL_FAILURE(
        LoadAndRewrite(ReadExample("physics.krc"), Engine::ConstantsFromFile, Engine::ConstantsToFile));
    EXPECT_TRUE(Near(Eval("hyp(gn,0)"), cLongReal("9.80665")));
}

} // namespace
