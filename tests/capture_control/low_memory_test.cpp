// Frame buffers a host can address through a signed 32-bit Long.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "low_memory.h"

namespace morvane {
namespace {

TEST(LowMemoryTest, AddressesSurviveTheTripThroughALong) {
  const size_t sizes[] = {64 + 160 * 120 * 3, 64 + 640 * 480 * 3, 64 + 1920 * 1080 * 3};
  std::vector<LowMemoryBuffer> buffers;
  for (size_t size : sizes) {
    LowMemoryBuffer buffer(size);
    ASSERT_NE(nullptr, buffer.data());
    EXPECT_EQ(buffer.data(), LongToAddress(AddressToLong(buffer.data())));
    if (sizeof(void*) == 8) {
      // A host reads the Long signed: the whole block must be below 2 GiB.
      EXPECT_GT(AddressToLong(buffer.data()), 0);
      EXPECT_LE(reinterpret_cast<UINT_PTR>(buffer.data()) + size, static_cast<UINT_PTR>(0x80000000u));
    }
    buffer.data()[size - 1] = 0x5A;  // all of it is usable
    buffers.push_back(std::move(buffer));
  }
  EXPECT_NE(buffers[0].data(), buffers[1].data());
}

#ifdef _WIN64
// With every free range below 2 GiB taken, a buffer is refused rather than
// placed where a host reading the address as a signed Long would get a
// negative number.
TEST(LowMemoryTest, NoBlockAboveTwoGigabytesWhenTheLowRangeIsFull) {
  constexpr UINT_PTR kGranularity = 0x10000;
  std::vector<void*> reserved;
  auto reserve = [&](UINT_PTR start, UINT_PTR size) {
    void* block = ::VirtualAlloc(reinterpret_cast<void*>(start), size, MEM_RESERVE, PAGE_NOACCESS);
    if (block) reserved.push_back(block);
    return block != nullptr;
  };
  for (UINT_PTR address = kGranularity; address < 0x80000000u;) {
    MEMORY_BASIC_INFORMATION info{};
    if (::VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof(info)) == 0) break;
    const UINT_PTR end = reinterpret_cast<UINT_PTR>(info.BaseAddress) + info.RegionSize;
    // Reservations start on the allocation granularity; the last free range
    // may reach far beyond 2 GiB and is taken only up to there.
    const UINT_PTR start = (reinterpret_cast<UINT_PTR>(info.BaseAddress) + kGranularity - 1) & ~(kGranularity - 1);
    const UINT_PTR stop = std::min<UINT_PTR>(end, 0x80000000u);
    if (info.State == MEM_FREE && start < stop && !reserve(start, stop - start)) {
      // Wine reports ranges as free that it will only hand out piece by piece.
      for (UINT_PTR piece = start; piece + kGranularity <= stop; piece += kGranularity) reserve(piece, kGranularity);
    }
    address = std::max(end, address + kGranularity);
  }
  bool refused = false;
  UINT_PTR placed = 0;
  try {
    LowMemoryBuffer buffer(4 * 1024 * 1024);
    placed = reinterpret_cast<UINT_PTR>(buffer.data());
  } catch (const std::bad_alloc&) {
    refused = true;
  }
  for (void* block : reserved) ::VirtualFree(block, 0, MEM_RELEASE);
  EXPECT_TRUE(refused) << "placed at 0x" << std::hex << placed;
}
#endif

}  // namespace
}  // namespace morvane
