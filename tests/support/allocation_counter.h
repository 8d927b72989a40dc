// Counts heap allocations made through operator new, on every thread, so a
// test can show that a stretch of code (the per-sample path) allocates nothing.
// Link tests/support/allocation_counter.cpp into the suite that uses it.
#pragma once

#include <cstdint>

namespace testsupport {

// Allocations made through any form of operator new since the process started.
std::uint64_t allocationCount();

}  // namespace testsupport
