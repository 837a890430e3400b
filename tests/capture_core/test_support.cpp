#include "test_support.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <random>

#include "capture_error.h"

namespace coretest {

void MemorySink::Write(const void* data, std::size_t size) {
  if (closed_) throw morvane::CaptureError(morvane::CaptureErrorKind::kClosed, L"closed");
  const auto* p = static_cast<const std::uint8_t*>(data);
  const std::uint64_t end = position_ + size;
  std::uint64_t allowed = end;
  bool fail = false;
  ++writes_;
  if (fail_write_countdown_ >= 0 && fail_write_countdown_-- == 0) {
    allowed = position_ + size / 2;
    fail = true;
  } else if (end > bytes_->size() && fill_growth_countdown_ >= 0 && fill_growth_countdown_-- == 0) {
    const std::uint64_t from = std::max<std::uint64_t>(position_, bytes_->size());
    capacity_ = from + (end - from) / 2;
    allowed = capacity_;
    fail = true;
  } else if (end > bytes_->size()) {
    const std::uint64_t limit = std::max<std::uint64_t>(capacity_, bytes_->size());
    if (fail_growth_once_) {
      fail_growth_once_ = false;
      allowed = std::max<std::uint64_t>(position_, bytes_->size());
      fail = true;
    } else if (end > limit) {
      allowed = std::max<std::uint64_t>(position_, limit);
      fail = true;
    }
  }
  // Store what fits (a torn write), but do not move on: the caller was told.
  if (allowed > position_) {
    if (bytes_->size() < allowed) bytes_->resize(allowed);
    std::copy(p, p + (allowed - position_), bytes_->begin() + static_cast<std::ptrdiff_t>(position_));
  }
  if (fail) {
    failed_write_size_ = size;
    throw morvane::CaptureError(morvane::CaptureErrorKind::kDiskFull, L"full", 28);
  }
  position_ = end;
}

void MemorySink::Seek(std::uint64_t offset) {
  if (closed_) throw morvane::CaptureError(morvane::CaptureErrorKind::kClosed, L"closed");
  position_ = offset;
}

void MemorySink::Truncate(std::uint64_t size) {
  if (closed_) throw morvane::CaptureError(morvane::CaptureErrorKind::kClosed, L"closed");
  bytes_->resize(size);
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::uint64_t at) {
  if (at + 4 > b.size()) return 0;
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::uint64_t at) {
  if (at + 2 > b.size()) return 0;
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::uint64_t Le64(const std::vector<std::uint8_t>& b, std::uint64_t at) {
  return Le32(b, at) | static_cast<std::uint64_t>(Le32(b, at + 4)) << 32;
}
std::string FourCcAt(const std::vector<std::uint8_t>& b, std::uint64_t at) {
  if (at + 4 > b.size()) return "????";
  return std::string(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + 4));
}

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TempDir::TempDir(const std::string& name) {
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(random()));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
#ifdef _WIN32
  (void)command;
#else
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[65536];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  result.status = pclose(pipe);
#endif
  return result;
}

bool HaveTool(const std::string& name) {
#ifdef _WIN32
  (void)name;
  return false;
#else
  return RunCommand("command -v " + name + " >/dev/null 2>&1").status == 0;
#endif
}

std::map<std::string, std::string> ParseFlat(const std::string& text) {
  std::map<std::string, std::string> values;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t eol = text.find('\n', at);
    if (eol == std::string::npos) eol = text.size();
    const std::string line = text.substr(at, eol - at);
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos) {
      std::string value = line.substr(eq + 1);
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
      values[line.substr(0, eq)] = value;
    }
    at = eol + 1;
  }
  return values;
}

}  // namespace coretest
