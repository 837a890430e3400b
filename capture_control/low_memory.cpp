#include "low_memory.h"

#include <new>
#include <utility>

namespace morvane {
namespace {

void* AllocateBelow2G(std::size_t size) {
#ifdef _WIN64
  // Walk the address space from 256 MiB upward and take the first free range
  // big enough; VirtualQuery skips whole occupied regions at once instead of
  // probing every 64 KiB step.
  constexpr UINT_PTR kStart = 0x10000000;
  // Below 2 GiB, not 4: a host that reads the Long as signed (as the
  // hosts' Long type is) must still get back the address it was given.
  constexpr UINT_PTR kLimit = 0x80000000ull;
  constexpr UINT_PTR kGranularity = 0x10000;
  UINT_PTR address = kStart;
  while (address + size <= kLimit) {
    MEMORY_BASIC_INFORMATION info{};
    if (::VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof(info)) == 0) break;
    const UINT_PTR region_end = reinterpret_cast<UINT_PTR>(info.BaseAddress) + info.RegionSize;
    if (info.State == MEM_FREE && region_end >= address + size) {
      void* block = ::VirtualAlloc(reinterpret_cast<void*>(address), size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
      if (block) return block;
      address += kGranularity;  // raced with another allocation: try further up
      continue;
    }
    address = (region_end + kGranularity - 1) & ~(kGranularity - 1);
  }
  return nullptr;
#else
  return ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
#endif
}

}  // namespace

LowMemoryBuffer::LowMemoryBuffer(std::size_t size) : size_(size) {
  data_ = static_cast<std::uint8_t*>(AllocateBelow2G(size));
  if (!data_) throw std::bad_alloc();
}

LowMemoryBuffer::~LowMemoryBuffer() {
  if (data_) ::VirtualFree(data_, 0, MEM_RELEASE);
}

LowMemoryBuffer::LowMemoryBuffer(LowMemoryBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

LowMemoryBuffer& LowMemoryBuffer::operator=(LowMemoryBuffer&& other) noexcept {
  if (this != &other) {
    if (data_) ::VirtualFree(data_, 0, MEM_RELEASE);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

LONG AddressToLong(const void* address) { return static_cast<LONG>(reinterpret_cast<UINT_PTR>(address)); }

void* LongToAddress(LONG value) { return reinterpret_cast<void*>(static_cast<UINT_PTR>(static_cast<ULONG>(value))); }

}  // namespace morvane
