// SPDX-License-Identifier: GPL-3.0-or-later
// A bound on the memory that the operands of one thread's evaluations may
// hold. Every operand that waits for its sibling keeps a number of the
// working precision, so at high precision a deep formula (or a chain of user
// functions) could ask for more memory than the machine has; the number
// library aborts the process when an allocation fails. The bound is checked
// before a new operand is taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>

class cEvalOutOfMemory : public std::runtime_error {
public:
    explicit cEvalOutOfMemory(size_t budget);
};

namespace evalmemory {

// Half the physical memory, and at most half the address-space limit of
// the process when one is set.
size_t Budget();
// Test seam: a budget in bytes for this process; 0 restores the default.
void SetBudget(size_t bytes);
// The largest size in bytes a number of the given precision may take.
size_t NumberBytes(int64_t bits);
// How many operands of at most bits the budget admits at once.
size_t Capacity(int64_t bits);

// Operands held by the evaluations running on this thread.
[[gnu::tls_model("initial-exec")]] extern constinit thread_local size_t tHeld;

class cHold {
public:
    struct tCapacity {
        size_t aSlots; // Capacity() of the operands' precision
    };
    // Throws cEvalOutOfMemory when one more operand of at most bits would
    // pass the budget.
    explicit cHold(int64_t bits) : cHold(tCapacity{Capacity(bits)}) {}
    // The same, with the capacity found beforehand: a load and a comparison.
    explicit cHold(tCapacity capacity) {
        if (tHeld >= capacity.aSlots) [[unlikely]]
            Refuse();
        ++tHeld;
    }
    ~cHold() { --tHeld; }
    cHold(const cHold&) = delete;
    cHold& operator=(const cHold&) = delete;

private:
    [[noreturn]] static void Refuse();
};

} // namespace evalmemory
