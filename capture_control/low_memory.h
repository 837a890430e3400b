// A buffer whose address is a positive Long. The stream event hands the
// bitmap-info and pixel addresses to the host as Long values, so on 64-bit
// Windows the whole block lies below 2 GiB; on 32-bit Windows any address
// does (the host reads it back bit for bit).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace morvane {

class LowMemoryBuffer {
 public:
  LowMemoryBuffer() = default;
  // Throws std::bad_alloc when no such block is free.
  explicit LowMemoryBuffer(std::size_t size);
  ~LowMemoryBuffer();
  LowMemoryBuffer(LowMemoryBuffer&& other) noexcept;
  LowMemoryBuffer& operator=(LowMemoryBuffer&& other) noexcept;
  LowMemoryBuffer(const LowMemoryBuffer&) = delete;
  LowMemoryBuffer& operator=(const LowMemoryBuffer&) = delete;

  std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

// The address as the Long an event passes, and back.
LONG AddressToLong(const void* address);
void* LongToAddress(LONG value);

}  // namespace morvane
