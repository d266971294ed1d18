// SPDX-License-Identifier: GPL-3.0-or-later
#include "cEvalMemory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace {

std::atomic<size_t> gBudgetOverride{0};

size_t DefaultBudget() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    size_t budget =
        pages > 0 && pageSize > 0 ? static_cast<size_t>(pages) * static_cast<size_t>(pageSize) / 2 : size_t{1} << 30;
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        budget = std::min(budget, static_cast<size_t>(limit.rlim_cur) / 2);
    return budget;
}

std::string MiB(size_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

} // namespace

cEvalOutOfMemory::cEvalOutOfMemory(size_t budget)
    : std::runtime_error("the calculation would need more than " + MiB(budget) +
                         " of memory for its intermediate values at this precision") {}

namespace evalmemory {

constinit thread_local size_t tHeld = 0;

size_t Budget() {
    static const size_t budget = DefaultBudget();
    const size_t override = gBudgetOverride.load(std::memory_order_relaxed);
    return override ? override : budget;
}

void SetBudget(size_t bytes) { gBudgetOverride.store(bytes, std::memory_order_relaxed); }

size_t NumberBytes(int64_t bits) {
    // The midpoint's limbs and the ball's fixed part, with room for the
    // temporaries of one operation.
    constexpr size_t kFixed = 96;
    return kFixed + 2 * static_cast<size_t>(std::max<int64_t>(bits, 64) / 8);
}

size_t Capacity(int64_t bits) {
    // (held + 1) * bytes > budget exactly when held >= budget / bytes
    return Budget() / NumberBytes(bits);
}

void cHold::Refuse() { throw cEvalOutOfMemory(Budget()); }

} // namespace evalmemory
