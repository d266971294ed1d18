// SPDX-License-Identifier: GPL-3.0-or-later
// Library files: the byte layout, every load result, the progress reports of
// both directions, and that a failed load leaves the library as it was.
#include "test_lib_fixture.h"

#include <cstdlib>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The replacements below pair malloc with free; the check cannot see that.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Global allocation with a switch that makes the n-th allocation from now on
// fail on this thread.
namespace {
thread_local long tAllocationsToFailure = 0;
}

void* operator new(std::size_t size) {
    if (tAllocationsToFailure > 0 && --tAllocationsToFailure == 0)
        throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

class cFailingAllocation {
public:
    explicit cFailingAllocation(long n) { tAllocationsToFailure = n; }
    ~cFailingAllocation() { tAllocationsToFailure = 0; }
    cFailingAllocation(const cFailingAllocation&) = delete;
    cFailingAllocation& operator=(const cFailingAllocation&) = delete;
};

using P = ProgressCall;

class LibraryFileTest : public LibraryTest {
protected:
    static void Append16(Bytes& out, uint16_t v) {
        out.push_back(static_cast<unsigned char>(v));
        out.push_back(static_cast<unsigned char>(v >> 8));
    }

    static void AppendText(Bytes& out, const std::string& text) {
        Append16(out, static_cast<uint16_t>(text.size()));
        out.insert(out.end(), text.begin(), text.end());
    }

    // A library file of the given kind ("KRC"/"KRF") with these entries.
    static Bytes File(const char* magic, const std::vector<Entry>& entries, std::optional<uint32_t> count = {}) {
        Bytes out(magic, magic + 3);
        out.insert(out.end(), {0x00, 0x01});
        const uint32_t n = count.value_or(static_cast<uint32_t>(entries.size()));
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(static_cast<unsigned char>(n >> shift));
        for (const Entry& e : entries) {
            AppendText(out, e.definition);
            AppendText(out, e.description);
        }
        return out;
    }

    static int32_t LoadConstants(Bytes bytes) {
        MemoryFile::Reset(std::move(bytes));
        ProgressLog::calls.clear();
        return Engine::ConstantsFromFile();
    }

    static int32_t LoadFunctions(Bytes bytes) {
        MemoryFile::Reset(std::move(bytes));
        ProgressLog::calls.clear();
        return Engine::FunctionsFromFile();
    }

    static Bytes Save(bool (*writer)()) {
        MemoryFile::Reset();
        ProgressLog::calls.clear();
        EXPECT_TRUE(writer());
        return MemoryFile::data;
    }
};

TEST_F(LibraryFileTest, WritesTheDocumentedLayout) {
    ASSERT_EQ(CommitConstants({{"c=3", ""}}), -1);
    EXPECT_EQ(Save(Engine::ConstantsToFile),
              (Bytes{0x4B, 0x52, 0x43, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x63, 0x3D, 0x33, 0x00, 0x00}));
    EXPECT_EQ(ProgressLog::calls, (std::vector<P>{{0, 2, 1, 0}, {0, 2, 1, 1}, {0, 0, 0, 0}}));

    // Texts as entered, blanks and line breaks included.
    ASSERT_EQ(CommitFunctions({{"f(x) = x\n", "one\r\ntwo"}, {"g()=1", ""}}), -1);
    EXPECT_EQ(Save(Engine::FunctionsToFile), File("KRF", {{"f(x) = x\n", "one\r\ntwo"}, {"g()=1", ""}}));
}

TEST_F(LibraryFileTest, EmptyLibraryIsTheHeaderAndReadsBackUnchanged) {
    const Bytes header{'K', 'R', 'F', 0x00, 0x01, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(Save(Engine::FunctionsToFile), header);
    EXPECT_EQ(ProgressLog::calls, (std::vector<P>{{0, 2, 0, 0}, {0, 0, 0, 0}}));

    ASSERT_EQ(CommitFunctions({{"f()=1", "x"}}), -1);
    EXPECT_EQ(LoadFunctions(header), -1);
    EXPECT_EQ(ProgressLog::calls,
              (std::vector<P>{{0, 3, 0, 0}, {0, 0, 0, 0}, {0, 4, 1, 0}, {0, 4, 1, 1}, {0, 0, 0, 0}}));
    EXPECT_EQ(Functions(), (std::vector<Entry>{{"f()=1", "x"}}));
    EXPECT_FALSE(Engine::aFunctionEditMode);
}

TEST_F(LibraryFileTest, FunctionsRoundTripIntoAnEmptyLibrary) {
    const std::vector<Entry> entries{
        {"hyp(x,y)=sqrt(x^2+y^2)", "hypotenuse"}, {"sq(x) = x*x", ""}, {"q(x)=sq(x)+hyp(3,4)", "uses both"}};
    Engine::StartFunctionEdit();
    for (const Entry& e : entries)
        ASSERT_TRUE(Engine::AddFunction(e.definition.c_str(), e.description.c_str()));
    ASSERT_EQ(Engine::StopFunctionEdit(), -1);
    const Bytes saved = Save(Engine::FunctionsToFile);

    ResetTables();
    EXPECT_EQ(LoadFunctions(saved), -1);
    EXPECT_EQ(ProgressLog::calls, (std::vector<P>{{0, 3, 3, 0},
                                                  {0, 3, 3, 1},
                                                  {0, 3, 3, 2},
                                                  {0, 3, 3, 3},
                                                  {0, 0, 0, 0},
                                                  {0, 4, 3, 0},
                                                  {0, 4, 3, 1},
                                                  {0, 4, 3, 2},
                                                  {0, 4, 3, 3},
                                                  {0, 0, 0, 0}}));
    EXPECT_EQ(Functions(), entries);
    EXPECT_TRUE(Eval("q(2)") == cLongReal(9L));
}

TEST_F(LibraryFileTest, LoadingAddsAfterTheExistingEntries) {
    ASSERT_EQ(CommitConstants({{"ka=1", "a"}}), -1);
    EXPECT_EQ(LoadConstants(File("KRC", {{"kb=2", "b"}, {"ka=5", "again"}})), -1);
    EXPECT_EQ(Constants(), (std::vector<Entry>{{"ka=1", "a"}, {"kb=2", "b"}, {"ka=5", "again"}}));
    EXPECT_TRUE(Eval("ka+kb") == cLongReal(3L));
}

struct FailedLoad {
    const char* what;
    Bytes file;
    int32_t result;
    std::vector<P> progress;
};

TEST_F(LibraryFileTest, FailedConstantLoadsChangeNothing) {
    const Bytes good = File("KRC", {{"kb=2", "b"}, {"kc=3", "c"}});
    Bytes cut = good;
    cut.resize(good.size() - 1);
    Bytes version = good;
    version[4] = 0x02;
    Bytes lowVersion = good;
    lowVersion[3] = 0x01;
    const FailedLoad cases[] = {
        {"nothing", {}, -2, {}},
        {"cut magic", {'K', 'R'}, -2, {}},
        {"cut version", {'K', 'R', 'C', 0x00}, -2, {}},
        {"cut count", {'K', 'R', 'C', 0x00, 0x01, 0x02, 0x00}, -2, {}},
        {"function file", File("KRF", {}), -4, {}},
        {"lower case magic", File("krc", {}), -4, {}},
        {"version 00 02", version, -5, {}},
        {"version 01 01", lowVersion, -5, {}},
        {"ends inside the last entry", cut, -2, {{0, 3, 2, 0}, {0, 3, 2, 1}, {0, 0, 0, 0}}},
        {"count beyond the data", File("KRC", {{"kb=2", ""}}, 2), -2, {{0, 3, 2, 0}, {0, 3, 2, 1}, {0, 0, 0, 0}}},
        {"length past the end",
         {'K', 'R', 'C', 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 'k'},
         -2,
         {{0, 3, 1, 0}, {0, 0, 0, 0}}},
        {"bad value in the file",
         File("KRC", {{"kb=2", ""}, {"kc=x", ""}}),
         2,
         {{0, 3, 2, 0},
          {0, 3, 2, 1},
          {0, 3, 2, 2},
          {0, 0, 0, 0},
          {0, 4, 3, 0},
          {0, 4, 3, 1},
          {0, 4, 3, 2},
          {0, 0, 0, 0}}},
    };
    ASSERT_EQ(CommitConstants({{"ka=1", "a"}}), -1);
    for (const FailedLoad& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LoadConstants(c.file), c.result);
        EXPECT_EQ(ProgressLog::calls, c.progress);
        EXPECT_EQ(Constants(), (std::vector<Entry>{{"ka=1", "a"}}));
        EXPECT_FALSE(Engine::aConstantEditMode);
    }
}

TEST_F(LibraryFileTest, AllocationFailuresAreNoInvalidDeclaration) {
    // The n-th allocation of a load fails, for every n until the load
    // succeeds: the failure comes out as one, and the library stays.
    ASSERT_EQ(CommitFunctions({{"fa(x)=x+1", "a"}}), -1);
    const Bytes file = File("KRF", {{"fb(x)=fa(x)*2", "b"}, {"fc(x,y)=sum(1,1,y,fb(x)^i)", "c"}});
    bool loaded = false;
    int failures = 0;
    for (long n = 1; !loaded && n < 10000; ++n) {
        SCOPED_TRACE(n);
        MemoryFile::Reset(file);
        ProgressLog::calls.clear();
        ProgressLog::calls.reserve(64); // the recorder itself allocates nothing
        int32_t result = 0;
        try {
            const cFailingAllocation failing(n);
            result = Engine::FunctionsFromFile();
        } catch (const std::bad_alloc&) {
            ++failures;
            EXPECT_EQ(Functions(), (std::vector<Entry>{{"fa(x)=x+1", "a"}}));
            EXPECT_FALSE(Engine::aFunctionEditMode);
            if (!ProgressLog::calls.empty()) {
                EXPECT_EQ(ProgressLog::calls.back(), (P{0, 0, 0, 0}));
            }
            continue;
        }
        ASSERT_EQ(result, -1);
        loaded = true;
    }
    EXPECT_TRUE(loaded);
    EXPECT_GT(failures, 5);
    EXPECT_EQ(Functions().size(), 3u);

    // Constants that the bodies use: a failed load leaves every body naming
    // the constant it named.
    ASSERT_EQ(CommitConstants({{"ka=1", "a"}, {"kz=100", "z"}}), -1);
    ASSERT_EQ(CommitFunctions({{"fz(x)=x+kz", "z"}}), -1);
    const Bytes constants = File("KRC", {{"kb=2", "b"}, {"kc=3", "c"}});
    loaded = false;
    for (long n = 1; !loaded && n < 10000; ++n) {
        SCOPED_TRACE(n);
        MemoryFile::Reset(constants);
        try {
            const cFailingAllocation failing(n);
            loaded = Engine::ConstantsFromFile() == -1;
        } catch (const std::bad_alloc&) {
            EXPECT_EQ(Constants().size(), 2u);
        }
        EXPECT_TRUE(Near(Eval("fz(1)"), cLongReal(101L)));
    }
    EXPECT_TRUE(loaded);
}

TEST_F(LibraryFileTest, ConstantFileOfferedToTheFunctionReaderIsNotValid) {
    EXPECT_EQ(LoadFunctions(File("KRC", {{"ka=1", ""}})), -4);
    EXPECT_EQ(Engine::GetFunctionCount(), 0u);
}

TEST_F(LibraryFileTest, FileLargerThanTheFreeRoomIsRefused) {
    Engine::StartConstantEdit();
    for (int i = 0; i < 97; ++i)
        ASSERT_TRUE(Engine::AddConstant(("k_" + std::string(1, char('a' + i % 26)) + "=1").c_str(), ""));
    ASSERT_EQ(Engine::StopConstantEdit(), -1);
    const std::vector<Entry> five(5, Entry{"kz=1", ""});
    EXPECT_EQ(LoadConstants(File("KRC", five)), -3);
    EXPECT_EQ(ProgressLog::calls,
              (std::vector<P>{{0, 3, 5, 0}, {0, 3, 5, 1}, {0, 3, 5, 2}, {0, 3, 5, 3}, {0, 0, 0, 0}}));
    EXPECT_EQ(Engine::GetConstantCount(), 97u);
    EXPECT_FALSE(Engine::aConstantEditMode);
    // Three still fit.
    EXPECT_EQ(LoadConstants(File("KRC", {five.begin(), five.begin() + 3})), -1);
    EXPECT_EQ(Engine::GetConstantCount(), 100u);
}

TEST_F(LibraryFileTest, HugeOrNegativeCountsAreNotTrusted) {
    ASSERT_EQ(CommitConstants({{"ka=1", ""}}), -1);
    // Two billion entries announced, none there: the data runs out first.
    EXPECT_EQ(LoadConstants(File("KRC", {}, 2'000'000'000)), -2);
    // ... or the free room does.
    Engine::aConstantMax = 3;
    ResetTables();
    Bytes many = File("KRC", std::vector<Entry>(4, Entry{"kb=2", ""}), 2'000'000'000);
    EXPECT_EQ(LoadConstants(many), -3);
    EXPECT_EQ(ProgressLog::calls.front(), (P{0, 3, 2'000'000'000u, 0}));
    EXPECT_EQ(ProgressLog::calls.size(), 5u);
    EXPECT_EQ(Engine::GetConstantCount(), 0u);
    // A negative count reads no entries.
    EXPECT_EQ(LoadConstants(File("KRC", {{"kb=2", ""}}, static_cast<uint32_t>(-5))), -1);
    EXPECT_EQ(Engine::GetConstantCount(), 0u);
}

TEST_F(LibraryFileTest, FunctionThatCallsALaterOneFailsAtItsCombinedIndex) {
    ASSERT_EQ(CommitFunctions({{"fa()=1", ""}, {"b()=2", ""}}), -1);
    const Bytes file = File("KRF", {{"c()=b()", ""}, {"dd()=ee()", ""}, {"ee()=3", ""}});
    EXPECT_EQ(LoadFunctions(file), 3);
    EXPECT_EQ(Functions(), (std::vector<Entry>{{"fa()=1", ""}, {"b()=2", ""}}));
    EXPECT_FALSE(Engine::aFunctionEditMode);
    EXPECT_FALSE(Engine::aSearchEditFunc);
}

TEST_F(LibraryFileTest, ReadingDuringEditModeIsRefusedBeforeAnyByte) {
    ASSERT_EQ(CommitConstants({{"ka=1", ""}}), -1);
    Engine::StartConstantEdit();
    ASSERT_TRUE(Engine::AddConstant("kb=2", "pending"));
    EXPECT_EQ(LoadConstants(File("KRC", {{"kc=3", ""}})), -2);
    EXPECT_EQ(MemoryFile::readCalls, 0u);
    EXPECT_TRUE(ProgressLog::calls.empty());
    EXPECT_TRUE(Engine::aConstantEditMode);
    EXPECT_EQ(Constants(), (std::vector<Entry>{{"ka=1", ""}, {"kb=2", "pending"}}));
    EXPECT_EQ(Engine::aConstantCount, 1u);

    Engine::StartFunctionEdit();
    EXPECT_EQ(LoadFunctions(File("KRF", {{"f()=1", ""}})), -2);
    EXPECT_EQ(MemoryFile::readCalls, 0u);
    EXPECT_TRUE(Engine::aFunctionEditMode);
    EXPECT_EQ(Engine::GetFunctionCount(), 0u);
}

TEST_F(LibraryFileTest, WritingShowsTheLiveLibraryNotTheEditCopy) {
    ASSERT_EQ(CommitConstants({{"ka=1", ""}}), -1);
    Engine::StartConstantEdit();
    ASSERT_TRUE(Engine::AddConstant("kb=2", ""));
    EXPECT_EQ(Save(Engine::ConstantsToFile), File("KRC", {{"ka=1", ""}}));
    EXPECT_EQ(Engine::GetConstantCount(), 2u);
}

TEST_F(LibraryFileTest, FailedWritesReportFalse) {
    ASSERT_EQ(CommitConstants({{"ka=1", "first"}, {"kb=2", "second"}}), -1);
    const Bytes full = Save(Engine::ConstantsToFile);

    struct Case {
        size_t limit;
        std::vector<P> progress;
    };
    const Case cases[] = {
        {0, {}},
        {8, {}}, // inside the count
        {9, {{0, 2, 2, 0}, {0, 0, 0, 0}}},
        {full.size() - 1, {{0, 2, 2, 0}, {0, 2, 2, 1}, {0, 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        MemoryFile::Reset();
        MemoryFile::writeLimit = c.limit;
        ProgressLog::calls.clear();
        EXPECT_FALSE(Engine::ConstantsToFile());
        EXPECT_EQ(ProgressLog::calls, c.progress);
        EXPECT_EQ(MemoryFile::data, Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.limit)));
    }
    EXPECT_EQ(Engine::GetConstantCount(), 2u);
}

TEST_F(LibraryFileTest, TextsTooLongForTheLengthFieldFailBeforeAnyByte) {
    const std::string longest(65535, 'x');
    const std::string tooLong(65536, 'x');
    ASSERT_EQ(CommitConstants({{"ka=1", longest}}), -1);
    const Bytes saved = Save(Engine::ConstantsToFile);
    EXPECT_EQ(saved.size(), 9u + 2 + 4 + 2 + 65535);

    ASSERT_EQ(CommitConstants({{"kb=2", tooLong}}), -1);
    MemoryFile::Reset();
    ProgressLog::calls.clear();
    EXPECT_FALSE(Engine::ConstantsToFile());
    EXPECT_TRUE(MemoryFile::data.empty());
    EXPECT_TRUE(ProgressLog::calls.empty());

    // The longest text reads back whole.
    ResetTables();
    EXPECT_EQ(LoadConstants(saved), -1);
    EXPECT_EQ(Engine::GetConstantDesc(0).get(), longest);
}

TEST_F(LibraryFileTest, MissingHooksFailTheTransfer) {
    ASSERT_EQ(CommitConstants({{"ka=1", ""}}), -1);
    ProgressLog::calls.clear();
    Engine::FileWrite = nullptr;
    EXPECT_FALSE(Engine::ConstantsToFile());
    EXPECT_FALSE(Engine::FunctionsToFile());
    Engine::FileRead = nullptr;
    EXPECT_EQ(Engine::ConstantsFromFile(), -2);
    EXPECT_EQ(Engine::FunctionsFromFile(), -2);
    EXPECT_TRUE(ProgressLog::calls.empty());
    EXPECT_FALSE(Engine::aConstantEditMode || Engine::aFunctionEditMode);

    // And the progress hook is optional.
    Engine::FileRead = &MemoryFile::Read;
    Engine::FileWrite = &MemoryFile::Write;
    Engine::ProgressIndicator = nullptr;
    MemoryFile::Reset();
    ASSERT_TRUE(Engine::ConstantsToFile());
    const Bytes saved = MemoryFile::data;
    ResetTables();
    MemoryFile::Reset(saved);
    EXPECT_EQ(Engine::ConstantsFromFile(), -1);
}

TEST_F(LibraryFileTest, AHookThatThrowsLeavesNoEditMode) {
    ASSERT_EQ(CommitConstants({{"ka=1", ""}}), -1);
    MemoryFile::Reset(File("KRC", {{"kb=2", ""}}));
    Engine::FileRead = [](void* buffer, uint16_t count) -> uint16_t {
        if (MemoryFile::readPos >= 9)
            throw std::runtime_error("disk gone");
        return MemoryFile::Read(buffer, count);
    };
    EXPECT_THROW(Engine::ConstantsFromFile(), std::runtime_error);
    EXPECT_FALSE(Engine::aConstantEditMode);
    EXPECT_EQ(Constants(), (std::vector<Entry>{{"ka=1", ""}}));
}

TEST_F(LibraryFileTest, EmbeddedZeroEndsAText) {
    Bytes file = File("KRC", {{"kb=2", ""}});
    file.insert(file.begin() + 9, {0x07, 0x00, 'k', 'c', '=', '3', 0x00, 'z', 'z'});
    file.insert(file.begin() + 18, {0x00, 0x00});
    file[5] = 2;
    EXPECT_EQ(LoadConstants(file), -1);
    EXPECT_EQ(Constants(), (std::vector<Entry>{{"kc=3", ""}, {"kb=2", ""}}));
}

} // namespace
