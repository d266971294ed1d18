// SPDX-License-Identifier: GPL-3.0-or-later
// Allocation failures of GMP and FLINT. Both are C libraries that abort the
// process when an allocation fails, and neither may be unwound by an
// exception. So under an address-space limit their allocations never fail
// while a reserve lasts: a block of address space, mapped but never touched,
// is given back to the system at the first failure and the allocation is
// tried again. The library call then runs to its end unharmed, and the next
// check (`CheckMemory`, after every operation) ends the evaluation with
// cLongRealNoMemory. The reserve is mapped again before the next pass; when
// that is impossible the pass fails at once, so no pass runs without one.
//
// A single call at a high precision may need far more than any reserve (the
// normal distribution at a million bits takes some 50 MB). Under an
// address-space limit such calls first check that room for a few hundred
// numbers of their precision is left (`CheckHeadroom`), and fail otherwise.
#include "Support.h"

#include <sys/mman.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <unistd.h>

namespace longreal {

std::atomic<bool> gMemoryShort{false};

namespace {

std::mutex gReserveMutex;
void* gReserve = nullptr; // guarded by gReserveMutex
size_t gReserveSize = 0;  // guarded by gReserveMutex
std::atomic<bool> gReserveHeld{false};

// The reserve: large enough for the temporaries of the longest single call
// at the highest precision (a few hundred numbers of the last pass), and at
// most an eighth of an address-space limit.
size_t WantedReserve() {
    const size_t number = static_cast<size_t>(LiteralBits() / 8) + 64;
    size_t want = std::clamp<size_t>(number * 256, size_t(16) << 20, size_t(512) << 20);
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        want = std::min<size_t>(want, static_cast<size_t>(limit.rlim_cur / 8));
    return want;
}

// Gives the reserve back; false when there was none left.
bool SpendReserve() {
    std::lock_guard lock(gReserveMutex);
    if (gReserve == nullptr)
        return false;
    munmap(gReserve, gReserveSize);
    gReserve = nullptr;
    gReserveHeld.store(false, std::memory_order_relaxed);
    gMemoryShort.store(true, std::memory_order_relaxed);
    return true;
}

[[noreturn]] void Exhausted(size_t bytes) {
    std::fprintf(stderr, "korund: out of memory: %zu bytes could not be allocated, and the reserve is spent\n", bytes);
    std::abort();
}

template <typename Try>
void* Allocate(size_t bytes, Try attempt) {
    for (;;) {
        if (void* p = attempt())
            return p;
        if (!SpendReserve())
            Exhausted(bytes);
    }
}

void* GmpAlloc(size_t n) {
    return Allocate(n, [&] { return std::malloc(n); });
}
// realloc(p, 0) would free p and answer null, which is no failure to retry.
void* GmpRealloc(void* p, size_t, size_t n) {
    n = std::max<size_t>(n, 1);
    return Allocate(n, [&] { return std::realloc(p, n); });
}
void GmpFree(void* p, size_t) { std::free(p); }

void* FlintAlloc(size_t n) {
    return Allocate(n, [&] { return std::malloc(n); });
}
void* FlintCalloc(size_t count, size_t n) {
    return Allocate(count * n, [&] { return std::calloc(count, n); });
}
void* FlintRealloc(void* p, size_t n) {
    n = std::max<size_t>(n, 1);
    return Allocate(n, [&] { return std::realloc(p, n); });
}
void FlintFree(void* p) { std::free(p); }

} // namespace

bool ArmReserve(bool resize) {
    if (!resize && gReserveHeld.load(std::memory_order_relaxed))
        return true;
    static std::once_flag hooks;
    std::call_once(hooks, [] {
        mp_set_memory_functions(GmpAlloc, GmpRealloc, GmpFree);
        __flint_set_memory_functions(FlintAlloc, FlintCalloc, FlintRealloc, FlintFree);
    });
    std::lock_guard lock(gReserveMutex);
    const size_t size = WantedReserve();
    if (gReserve != nullptr) {
        if (!resize || size == gReserveSize)
            return true;
        munmap(gReserve, gReserveSize);
        gReserve = nullptr;
        gReserveHeld.store(false, std::memory_order_relaxed);
    }
    void* block = mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (block == MAP_FAILED)
        return false;
    gReserve = block;
    gReserveSize = size;
    gReserveHeld.store(true, std::memory_order_relaxed);
    // The reserve is back: a spent one that no check reported (the call that
    // spent it got its memory and ended well) fails nothing after this.
    gMemoryShort.store(false, std::memory_order_relaxed);
    return true;
}

void MemoryShortSlow() {
    gMemoryShort.store(false, std::memory_order_relaxed);
    throw cLongRealNoMemory();
}

void CheckHeadroomSlow(slong bits) {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return;
    std::ifstream statm("/proc/self/statm");
    unsigned long long pages = 0;
    if (!(statm >> pages))
        return;
    const auto used = pages * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE));
    const auto need = kHeavyNumbers * static_cast<unsigned long long>(bits / 8 + 64);
    if (used + need > limit.rlim_cur)
        throw cLongRealNoMemory();
}

void EnsureReserve() {
    if (!ArmReserve())
        throw cLongRealNoMemory();
}

} // namespace longreal

const char* cLongRealNoMemory::what() const noexcept { return "not enough memory"; }
