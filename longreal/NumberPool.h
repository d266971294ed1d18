// Recycling of MPFR numbers between short-lived values.
//
// A destroyed value at the working precision hands its number to a small
// per-thread pool instead of freeing it; the next value takes it from there.
// The numbers stay MPFR's own allocations, so callers may still resize or
// swap them through the raw accessor.
#pragma once

#include "Support.h"

namespace longreal {

struct NumberPool {
    static constexpr int kCapacity = 16;
    __mpfr_struct numbers[kCapacity];
    int count;
    bool closerMade; // the thread's pool closer exists
    bool closed;     // the thread is ending: free, do not keep
};

// The library is linked at start-up, so its thread-local data can live in
// the static TLS block and be reached without a call.
[[gnu::tls_model("initial-exec")]] extern constinit thread_local NumberPool tNumberPool;

void AcquireNumberSlow(mpfr_ptr out, mpfr_prec_t bits);
void ReleaseNumberSlow(mpfr_ptr number);

// Initialises out as a number of `bits` bits, reusing a released one when possible.
inline void AcquireNumber(mpfr_ptr out, mpfr_prec_t bits)
{
    NumberPool& pool = tNumberPool;
    if (pool.count > 0 && mpfr_get_prec(&pool.numbers[pool.count - 1]) == bits)
        *out = pool.numbers[--pool.count];
    else
        AcquireNumberSlow(out, bits);
}

// Takes over a number initialised by AcquireNumber or mpfr_init2.
inline void ReleaseNumber(mpfr_ptr number)
{
    NumberPool& pool = tNumberPool;
    if (pool.closerMade && pool.count < NumberPool::kCapacity && mpfr_get_prec(number) == Settings().bits
        && !pool.closed)
        pool.numbers[pool.count++] = *number;
    else
        ReleaseNumberSlow(number);
}

// Frees the numbers this thread keeps.
void ClearNumberPool();

} // namespace longreal
