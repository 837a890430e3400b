// Counts every allocation of the test program so that tests can assert that
// the capture loop's steady state does not touch the heap, and fails one on
// demand.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "allocation_hooks.h"

namespace {
std::atomic<std::uint64_t> g_allocations{0};
std::atomic<std::int64_t> g_fail_countdown{-1};
std::atomic<std::size_t> g_fail_from_size{SIZE_MAX};

void* Allocate(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (size >= g_fail_from_size.load(std::memory_order_relaxed)) throw std::bad_alloc();
  if (g_fail_countdown.load(std::memory_order_relaxed) >= 0 && g_fail_countdown.fetch_sub(1) == 0) {
    throw std::bad_alloc();
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
}  // namespace

std::uint64_t coretest::AllocationCount() { return g_allocations.load(std::memory_order_relaxed); }
void coretest::FailAllocationAt(std::int64_t n) { g_fail_countdown.store(n); }
void coretest::FailAllocationsFrom(std::size_t size) { g_fail_from_size.store(size); }

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
