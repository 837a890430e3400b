// The one error type of the capture core. It carries a message fit to show
// the user as is (Japanese), a kind the caller can branch on, and the
// system's own error code (errno natively, GetLastError() on Windows) so the
// COM layer can turn it into an HRESULT and a description.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace morvane {

enum class CaptureErrorKind {
  kEmptyPath,       // no file name given
  kIsDirectory,     // the name names a folder
  kCannotCreate,    // the file could not be created or opened
  kWriteFailed,     // a write, seek or truncate failed
  kDiskFull,        // a write failed for lack of space
  kInvalidFormat,   // frame size, depth or audio format out of range
  kInvalidArgument, // a buffer of the wrong size, a null pointer
  kFileTooLong,     // the file's indexes cannot describe more data
  kClosed,          // the writer was used after Close()
  kDeviceFailed,    // the capture device would not start, stalled or went away
};

class CaptureError : public std::runtime_error {
 public:
  CaptureError(CaptureErrorKind kind, std::wstring message, std::uint32_t system_code = 0);

  CaptureErrorKind kind() const { return kind_; }
  // What to show the user.
  const std::wstring& message() const { return message_; }
  // errno natively, a Win32 error code on Windows; 0 when the fault is ours.
  std::uint32_t system_code() const { return system_code_; }

 private:
  CaptureErrorKind kind_;
  std::wstring message_;
  std::uint32_t system_code_;
};

// Builds the user message for a kind, naming the file where it matters.
CaptureError MakeFileError(CaptureErrorKind kind, const std::filesystem::path& path,
                           std::uint32_t system_code = 0);

// UTF-8 of a wide string (UTF-16 on Windows, UTF-32 elsewhere); unpaired
// surrogates become U+FFFD. Used for what() and for messages natively.
std::string ToUtf8(const std::wstring& text);

}  // namespace morvane
