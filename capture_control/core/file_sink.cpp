#include "file_sink.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "capture_error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace morvane {
namespace {

#ifdef _WIN32
using NativeHandle = HANDLE;
const NativeHandle kNoHandle = INVALID_HANDLE_VALUE;

std::uint32_t LastError() { return GetLastError(); }
bool IsDiskFull(std::uint32_t code) { return code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL; }

NativeHandle OpenNative(const std::filesystem::path& path) {
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Positional write: with an OVERLAPPED offset on a synchronous handle the
// write lands at that offset, so no seek state can go stale after a failure.
bool WriteAt(NativeHandle h, std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(size > 0x40000000u ? 0x40000000u : size);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD written = 0;
    if (!WriteFile(h, data, chunk, &written, &at)) return false;
    if (written == 0) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
    data += written;
    size -= written;
    offset += written;
  }
  return true;
}

bool TruncateAt(NativeHandle h, std::uint64_t size) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(size);
  return SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
}

bool CloseNative(NativeHandle h) { return CloseHandle(h) != 0; }
#else
using NativeHandle = int;
const NativeHandle kNoHandle = -1;

std::uint32_t LastError() { return static_cast<std::uint32_t>(errno); }
bool IsDiskFull(std::uint32_t code) { return code == ENOSPC || code == EDQUOT; }

NativeHandle OpenNative(const std::filesystem::path& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

bool WriteAt(NativeHandle fd, std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

bool TruncateAt(NativeHandle fd, std::uint64_t size) { return ::ftruncate(fd, static_cast<off_t>(size)) == 0; }

bool CloseNative(NativeHandle fd) { return ::close(fd) == 0; }
#endif

class DiskFileSink final : public FileSink {
 public:
  DiskFileSink(std::filesystem::path path, NativeHandle handle) : path_(std::move(path)), handle_(handle) {}
  ~DiskFileSink() override {
    if (handle_ != kNoHandle) CloseNative(handle_);
  }

  void Write(const void* data, std::size_t size) override {
    CheckOpen();
    if (!WriteAt(handle_, position_, static_cast<const std::uint8_t*>(data), size)) Fail();
    position_ += size;
  }

  void Seek(std::uint64_t offset) override {
    CheckOpen();
    position_ = offset;
  }

  std::uint64_t Position() const override { return position_; }

  void Truncate(std::uint64_t size) override {
    CheckOpen();
    if (!TruncateAt(handle_, size)) Fail();
  }

  void Close() override {
    if (handle_ == kNoHandle) return;
    const bool closed = CloseNative(handle_);
    handle_ = kNoHandle;
    if (!closed) Fail();
  }

 private:
  void CheckOpen() const {
    if (handle_ == kNoHandle) throw MakeFileError(CaptureErrorKind::kClosed, path_);
  }

  [[noreturn]] void Fail() const {
    const std::uint32_t code = LastError();
    throw MakeFileError(IsDiskFull(code) ? CaptureErrorKind::kDiskFull : CaptureErrorKind::kWriteFailed,
                        path_, code);
  }

  std::filesystem::path path_;
  NativeHandle handle_;
  std::uint64_t position_ = 0;
};

}  // namespace

void CheckOutputPath(const std::filesystem::path& path) {
  if (path.empty()) throw MakeFileError(CaptureErrorKind::kEmptyPath, path);
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw MakeFileError(CaptureErrorKind::kIsDirectory, path);
}

void MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to) {
#ifdef _WIN32
  // Said outright rather than left to the library: a rename that refuses an
  // existing target would lose the new file's purpose.
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    throw MakeFileError(CaptureErrorKind::kWriteFailed, to, GetLastError());
  }
#else
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    throw MakeFileError(CaptureErrorKind::kWriteFailed, to, static_cast<std::uint32_t>(errno));
  }
#endif
}

std::unique_ptr<FileSink> CreateFileSink(const std::filesystem::path& path) {
  CheckOutputPath(path);
  const NativeHandle handle = OpenNative(path);
  if (handle == kNoHandle) {
    const std::uint32_t code = LastError();
    throw MakeFileError(CaptureErrorKind::kCannotCreate, path, code);
  }
  try {
    return std::make_unique<DiskFileSink>(path, handle);
  } catch (...) {
    CloseNative(handle);
    throw;
  }
}

}  // namespace morvane
