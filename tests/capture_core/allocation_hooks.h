// The test program's own operator new (alloc_counter.cpp): it counts every
// allocation, and fails one on demand. Shared with the control's tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace coretest {

// The number of heap allocations made so far by this program (operator new).
std::uint64_t AllocationCount();
// Makes the n-th allocation from now (0: the next) throw std::bad_alloc;
// -1 disarms.
void FailAllocationAt(std::int64_t n);
// Makes every allocation of at least size bytes throw std::bad_alloc (a frame
// buffer, say, while small bookkeeping goes on); SIZE_MAX disarms.
void FailAllocationsFrom(std::size_t size);

}  // namespace coretest
