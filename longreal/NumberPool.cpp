// The per-thread pool of released MPFR numbers.
#include "NumberPool.h"

namespace longreal {

constinit thread_local NumberPool tNumberPool = {};

namespace {

void Drain(NumberPool& pool)
{
    while (pool.count > 0)
        mpfr_clear(&pool.numbers[--pool.count]);
}

// Frees the pool when its thread ends. Values destroyed after that (static
// ones, at program exit) free their numbers directly.
struct PoolCloser {
    PoolCloser() = default;
    PoolCloser(const PoolCloser&) = delete;
    PoolCloser& operator=(const PoolCloser&) = delete;
    ~PoolCloser()
    {
        Drain(tNumberPool);
        tNumberPool.closed = true;
    }
};

} // namespace

void AcquireNumberSlow(mpfr_ptr out, mpfr_prec_t bits)
{
    mpfr_init2(out, bits);
}

void ReleaseNumberSlow(mpfr_ptr number)
{
    NumberPool& pool = tNumberPool;
    if (!pool.closerMade && !pool.closed) {
        thread_local PoolCloser closer;
        pool.closerMade = true;
        ReleaseNumber(number);
        return;
    }
    mpfr_clear(number);
}

void ClearNumberPool()
{
    Drain(tNumberPool);
}

} // namespace longreal
