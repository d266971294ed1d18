// SPDX-License-Identifier: GPL-3.0-or-later
#include "cEvalStack.h"

#include <pthread.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

constexpr size_t kMinReserve = size_t{256} << 10;
constexpr size_t kFallbackStack = size_t{1} << 20;

// The reserve: an eighth of the stack, at least 256 KiB. The number library
// uses the stack for its temporaries and the host's progress hook may
// process window events below the deepest evaluation frame.
uintptr_t ComputeFloor() {
    const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    uintptr_t low = 0;
    size_t size = 0;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        void* address = nullptr;
        if (pthread_attr_getstack(&attr, &address, &size) != 0)
            size = 0;
        low = reinterpret_cast<uintptr_t>(address);
        pthread_attr_destroy(&attr);
    }
    if (size == 0 || here <= low || here - low > size) {
        // Unknown stack: assume the soft limit, at most what lies below here.
        rlimit limit{};
        size = getrlimit(RLIMIT_STACK, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
                   ? static_cast<size_t>(limit.rlim_cur)
                   : kFallbackStack;
        size = std::min<size_t>(size, here);
        low = here - size;
    }
    return low + std::max(kMinReserve, size / 8);
}

} // namespace

cEvalTooDeep::cEvalTooDeep()
    : std::runtime_error("the calculation nests too deeply (user functions calling each other): "
                         "not enough stack") {}

constinit thread_local uintptr_t evalstack::tFloor = UINTPTR_MAX;

uintptr_t evalstack::Floor() {
    if (tFloor == UINTPTR_MAX)
        tFloor = ComputeFloor();
    return tFloor;
}

void evalstack::CheckSlow(uintptr_t frame) {
    if (frame < Floor())
        ThrowTooDeep();
}

void evalstack::ThrowTooDeep() { throw cEvalTooDeep(); }
