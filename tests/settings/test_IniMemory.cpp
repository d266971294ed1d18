// SPDX-License-Identifier: GPL-3.0-or-later
// Reading Korund.ini costs memory by the line, not by the file: the heap in
// use is measured through a replaced operator new.
#include "KorundSettings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <new>

#if !defined(__SANITIZE_ADDRESS__)
namespace {
size_t gInUse = 0;
size_t gPeak = 0;
} // namespace

void* operator new(size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (!p)
        throw std::bad_alloc();
    gInUse += malloc_usable_size(p);
    gPeak = std::max(gPeak, gInUse);
    return p;
}
void operator delete(void* p) noexcept {
    if (p)
        gInUse -= malloc_usable_size(p);
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    if (p)
        gInUse -= malloc_usable_size(p);
    std::free(p);
}
#endif

namespace {

TEST(ReadKorundIni, MemoryGrowsWithTheLongestLineNotTheFile) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer owns operator new";
#else
    cTempDir dir;
    const std::string path = dir.File("Korund.ini");
    WriteText(path, "[Parser]\nMaxConst=77\n" + std::string(kMaxIniBytes - 64, '\n') + "MaxFunc=8\n");
    gPeak = gInUse;
    const size_t before = gInUse;
    const cKorundSettings settings = ReadKorundIni(path);
    EXPECT_EQ(settings.MaxConst, 77);
    EXPECT_EQ(settings.MaxFunc, 8);
    EXPECT_LT(gPeak - before, size_t{64} << 10);
#endif
}

} // namespace
