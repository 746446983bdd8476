#pragma once
// CheckStack() for the evaluation's hot paths. Headroom only shrinks with depth, so a frame
// no deeper than one that had headroom has it too: only a new lowest frame of the thread
// asks the stack guard.

#include "values/StackGuard.h"

#include <cstdint>

inline thread_local std::uintptr_t t_nLowestCheckedFrame = UINTPTR_MAX;

inline void CheckNesting() {
    const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    if (here >= t_nLowestCheckedFrame)
        return;
    CheckStack();
    t_nLowestCheckedFrame = here;
}
