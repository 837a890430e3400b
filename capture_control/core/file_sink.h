// Where the writers put their bytes. The real one is a file with 64-bit
// offsets (a Win32 HANDLE on Windows, a POSIX descriptor elsewhere); tests
// substitute an in-memory sink that can fail on demand.
//
// Writes are not buffered here: when Write() returns, the bytes are with the
// system. The AVI writer relies on that to know which chunks are complete
// when a later write fails; it gathers small pieces itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace morvane {

class FileSink {
 public:
  virtual ~FileSink() = default;
  // Every method throws CaptureError on failure. A failed Write() may have
  // written part of the data, but leaves Position() where it was.
  virtual void Write(const void* data, std::size_t size) = 0;
  // Moves the write position (absolute, from the start).
  virtual void Seek(std::uint64_t offset) = 0;
  virtual std::uint64_t Position() const = 0;
  // Cuts the file at size (used to drop a partly written chunk).
  virtual void Truncate(std::uint64_t size) = 0;
  // Closes; further calls fail. Safe to call twice.
  virtual void Close() = 0;
};

// Creates (or replaces) the file. An empty path or a folder is refused
// with a clear message; so is any failure to create it.
std::unique_ptr<FileSink> CreateFileSink(const std::filesystem::path& path);

// Refuses an empty path or a path naming a folder (CaptureError).
void CheckOutputPath(const std::filesystem::path& path);

// Puts the finished file `from` in place of `to`, replacing what was there
// in one step (CaptureError on failure, `from` left as it was).
void MoveFileOver(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace morvane
