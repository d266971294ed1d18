// SPDX-License-Identifier: GPL-3.0-or-later
// A bound on the stack that one evaluation may use. Each user-function call
// evaluates its body one level deeper on the same stack, so the depths of
// the bodies add up; the parser's limit bounds each body, this bounds the sum.
#pragma once

#include <cstdint>
#include <stdexcept>

// Thrown when an evaluation would come closer to the end of the thread's
// stack than the reserve kept for the number library and the host's hooks.
class cEvalTooDeep : public std::runtime_error {
public:
    cEvalTooDeep();
};

namespace evalstack {

// Lowest frame address that evaluation may reach on the calling thread:
// the thread's stack end plus the reserve, found once per thread.
uintptr_t Floor();

// The floor once found; until then above every frame, so that the first
// Check finds it.
[[gnu::tls_model("initial-exec")]] extern constinit thread_local uintptr_t tFloor;

[[noreturn]] void ThrowTooDeep();
// Finds the floor when it is not known yet; throws when frame lies below it.
void CheckSlow(uintptr_t frame);

// Throws cEvalTooDeep when the caller's frame lies below the floor: one
// thread-local load and one comparison.
[[gnu::always_inline]] inline void Check() {
    const auto frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (frame < tFloor) [[unlikely]]
        CheckSlow(frame);
}

} // namespace evalstack
