// Still frames, saving the capture file, device names and the About box.
#include <windows.h>
#include <oleauto.h>

#include <cstring>

#include "control.h"
#include "core/bmp_writer.h"
#include "handles.h"
#include "module.h"

namespace morvane {
namespace {

// A BSTR argument as the text it holds, embedded NULs included.
std::wstring_view TextOf(const VARIANT& text) { return {text.bstrVal, ::SysStringLen(text.bstrVal)}; }

std::wstring FullPath(const std::wstring& path) {
  wchar_t buffer[MAX_PATH * 2] = {};
  DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH * 2, buffer, nullptr);
  if (length == 0 || length >= MAX_PATH * 2) return path;
  return std::wstring(buffer, length);
}

}  // namespace

HRESULT Control::SaveCaptureFile(const VARIANT* args, VARIANT*) {
  if (const std::optional<MessageId> fault = FileNameFault(TextOf(args[0]))) return Fail(*fault);
  // The file is still being written while a capture runs.
  if (capture_.capturing) return Fail(MessageId::kCaptureRunning);
  const std::wstring source = settings_.capture_file;
  const std::wstring target(TextOf(args[0]));
  DWORD attributes = ::GetFileAttributesW(source.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return Fail(MessageId::kNothingCaptured);
  }
  // Copying a file onto itself would at best fail and at worst truncate it.
  if (::CompareStringOrdinal(FullPath(source).c_str(), -1, FullPath(target).c_str(), -1, TRUE) == CSTR_EQUAL) {
    return S_OK;
  }
  if (!::CopyFileW(source.c_str(), target.c_str(), FALSE)) {
    const DWORD error = ::GetLastError();
    return FailWith(HresultFromWin32(error), std::wstring(Message(MessageId::kSaveFailed).text) + L" (" + target + L")");
  }
  return S_OK;
}

HRESULT Control::SaveBitmap(const VARIANT* args, VARIANT*) {
  if (const std::optional<MessageId> fault = FileNameFault(TextOf(args[0]))) return Fail(*fault);
  const std::wstring target(TextOf(args[0]));
  FrameFormat format;
  const std::uint8_t* bits = nullptr;
  if (!CurrentFrame(format, bits)) return Fail(MessageId::kNoDevice);
  WriteBmp(target, format, bits);  // a CaptureError reaches the caller through Invoke
  return S_OK;
}

HRESULT Control::CopyToClipboard(const VARIANT*, VARIANT*) {
  FrameFormat format;
  const std::uint8_t* bits = nullptr;
  if (!CurrentFrame(format, bits)) return Fail(MessageId::kNoDevice);
  const std::vector<std::uint8_t> dib = MakePackedDib(format, bits);
  UniqueHglobal memory(::GlobalAlloc(GMEM_MOVEABLE, dib.size()));
  if (!memory) return Fail(MessageId::kOutOfMemory);
  {
    GlobalLockScope target(memory.get());
    if (!target.data()) return Fail(MessageId::kOutOfMemory);
    std::memcpy(target.data(), dib.data(), dib.size());
  }

  // Data put there without an owner window is refused by Windows.
  const HWND owner = ClipboardOwner();
  if (!owner) return Fail(MessageId::kClipboardFailed);
  ClipboardScope clipboard(owner);
  if (!clipboard.is_open() || !::EmptyClipboard()) return Fail(MessageId::kClipboardFailed);
  if (!::SetClipboardData(CF_DIB, memory.get())) return Fail(MessageId::kClipboardFailed);
  memory.release();  // the clipboard owns it now
  return S_OK;
}

HWND Control::ClipboardOwner() {
  if (!clipboard_owner_) {
    clipboard_owner_.reset(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                             ModuleInstance(), nullptr));
  }
  return clipboard_owner_.get();
}

HRESULT Control::CopyFrameToDC(const VARIANT* args, VARIANT* result) {
  result->vt = VT_BOOL;
  result->boolVal = VARIANT_FALSE;
  HDC dc = reinterpret_cast<HDC>(static_cast<LONG_PTR>(args[0].lVal));
  // A value that is no DC is answered with False, not an error: the caller
  // asked whether the copy worked.
  if (!dc || ::GetObjectType(dc) == 0) return S_OK;
  FrameFormat format;
  const std::uint8_t* bits = nullptr;
  if (!CurrentFrame(format, bits)) return S_OK;
  const auto header = MakeBitmapInfoHeader(format);
  BITMAPINFO info{};
  std::memcpy(&info.bmiHeader, header.data(), sizeof(info.bmiHeader));
  const int lines = ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(format.width),
                                        static_cast<DWORD>(format.height), 0, 0, 0,
                                        static_cast<UINT>(format.height), bits, &info, DIB_RGB_COLORS);
  if (lines > 0) result->boolVal = VARIANT_TRUE;
  return S_OK;
}

HRESULT Control::DeviceName(const VARIANT* args, VARIANT* result) {
  const int index = args[0].iVal;
  if (index < 0 || index >= static_cast<int>(devices_.size())) return Fail(MessageId::kDeviceIndexOutOfRange);
  result->bstrVal = ::SysAllocString(devices_[static_cast<size_t>(index)]->Name());
  if (!result->bstrVal) return Fail(MessageId::kOutOfMemory);
  result->vt = VT_BSTR;
  return S_OK;
}

HRESULT Control::AboutBox(const VARIANT*, VARIANT*) {
  HWND owner = window_ ? ::GetAncestor(window_, GA_ROOT) : ::GetActiveWindow();
  ::MessageBoxW(owner, UiText(TextId::kAbout), UiText(TextId::kBoxCaption), MB_OK | MB_ICONINFORMATION);
  return S_OK;
}

}  // namespace morvane
