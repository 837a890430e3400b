// Helpers shared by the capture-core tests: an in-memory sink that can run
// out of space, and small file and process utilities. Capture files are
// read by the walker of avi_walk.h.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "allocation_hooks.h"
#include "file_sink.h"

namespace coretest {

// A file in memory. Overwriting bytes always works; growing the file stops
// at `capacity` bytes, like a disk that is full: the write stores what fits
// and then fails. fail_growth_once makes only the next growing write fail.
// For sweeps over every write: fail_write_at(n) makes the n-th Write() from
// now store half its bytes and fail once (a transient error), and
// fill_at_growth(n) fills the disk at the n-th growing Write() from now,
// which stores half of what it adds.
class MemorySink : public morvane::FileSink {
 public:
  explicit MemorySink(std::vector<std::uint8_t>* bytes, std::uint64_t capacity = UINT64_MAX)
      : bytes_(bytes), capacity_(capacity) {}
  void Write(const void* data, std::size_t size) override;
  void Seek(std::uint64_t offset) override;
  std::uint64_t Position() const override { return position_; }
  void Truncate(std::uint64_t size) override;
  void Close() override { closed_ = true; }

  void set_capacity(std::uint64_t capacity) { capacity_ = capacity; }
  void set_fail_growth_once(bool fail) { fail_growth_once_ = fail; }
  void fail_write_at(std::int64_t n) { fail_write_countdown_ = n; }
  void fill_at_growth(std::int64_t n) { fill_growth_countdown_ = n; }
  // Write() calls so far, and the size of the one that failed last (0: none).
  std::uint64_t writes() const { return writes_; }
  std::size_t failed_write_size() const { return failed_write_size_; }

 private:
  std::vector<std::uint8_t>* bytes_;
  std::uint64_t capacity_;
  std::uint64_t position_ = 0;
  bool fail_growth_once_ = false;
  bool closed_ = false;
  std::int64_t fail_write_countdown_ = -1;
  std::int64_t fill_growth_countdown_ = -1;
  std::uint64_t writes_ = 0;
  std::size_t failed_write_size_ = 0;
};

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::uint64_t at);
std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::uint64_t at);
std::uint64_t Le64(const std::vector<std::uint8_t>& b, std::uint64_t at);
std::string FourCcAt(const std::vector<std::uint8_t>& b, std::uint64_t at);

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path);

// A fresh folder under the system's temporary folder, removed at the end.
class TempDir {
 public:
  explicit TempDir(const std::string& name);
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Runs a shell command natively; returns its exit status and stdout.
struct CommandResult {
  int status = -1;
  std::string out;
};
CommandResult RunCommand(const std::string& command);
bool HaveTool(const std::string& name);

// "key=value" lines (ffprobe -of flat) into a map, quotes removed.
std::map<std::string, std::string> ParseFlat(const std::string& text);

}  // namespace coretest
