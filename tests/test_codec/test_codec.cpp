// MorvaneTestCodec.dll: a video compressor of our own (FOURCC 'MVTC') for
// the tests of the control's installed-compressor path, registered in the
// test prefix only (Drivers32, vidc.MVTC). It takes 24-bit DIB frames; a
// key frame is the frame as it is, any other the frame XORed with the one
// before, so a reader that knows this gets every frame back exactly.
// Its settings dialog (a message box: Yes masks, No does not) chooses a
// mask XORed into every byte it writes; the mask is its whole state and
// follows the header of its output format, so a file says how to read it.
#include <windows.h>
#include <vfw.h>

#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr DWORD kFourCc = mmioFOURCC('M', 'V', 'T', 'C');

constexpr BYTE kMask = 0x5A;
constexpr wchar_t kSettingsTitle[] = L"MVTC settings";
constexpr wchar_t kAboutTitle[] = L"About MVTC";

// What ICGetState hands out and ICSetState takes back.
struct State {
  DWORD mask = 0;
};

// One opened compressor: its state and the frame before, for delta frames.
struct Instance {
  State state;
  std::vector<BYTE> previous;
};

LRESULT GetState(const Instance& instance, void* data, LPARAM size) {
  if (!data) return sizeof(State);
  if (size < static_cast<LPARAM>(sizeof(State))) return ICERR_BADSIZE;
  std::memcpy(data, &instance.state, sizeof(State));
  return sizeof(State);
}

LRESULT SetState(Instance& instance, const void* data, LPARAM size) {
  if (!data) {
    instance.state = State{};
    return 0;
  }
  State state;
  if (size != static_cast<LPARAM>(sizeof(State))) return ICERR_BADSIZE;
  std::memcpy(&state, data, sizeof(State));
  if (state.mask != 0 && state.mask != kMask) return ICERR_BADPARAM;  // not one this codec wrote
  instance.state = state;
  return sizeof(State);
}

LRESULT Configure(Instance& instance, LPARAM owner) {
  if (owner == -1) return ICERR_OK;  // asked whether it has a dialog
  switch (::MessageBoxW(reinterpret_cast<HWND>(owner), L"Mask the frames?", kSettingsTitle, MB_YESNOCANCEL)) {
    case IDYES:
      instance.state.mask = kMask;
      return ICERR_OK;
    case IDNO:
      instance.state.mask = 0;
      return ICERR_OK;
    default:
      return ICERR_ABORT;
  }
}

LRESULT About(LPARAM owner) {
  if (owner == -1) return ICERR_OK;
  ::MessageBoxW(reinterpret_cast<HWND>(owner), L"Morvane test codec", kAboutTitle, MB_OK);
  return ICERR_OK;
}

bool TakesInput(const BITMAPINFOHEADER* in) {
  return in && in->biCompression == BI_RGB && in->biBitCount == 24 && in->biWidth > 0 && in->biHeight != 0 &&
         in->biPlanes == 1;
}

DWORD ImageSize(const BITMAPINFOHEADER& in) {
  const DWORD stride = ((static_cast<DWORD>(in.biWidth) * 24 + 31) & ~31u) / 8;
  return stride * static_cast<DWORD>(in.biHeight < 0 ? -in.biHeight : in.biHeight);
}

LRESULT GetInfo(ICINFO* info, LPARAM size) {
  if (!info || size < static_cast<LPARAM>(sizeof(ICINFO))) return 0;
  std::memset(info, 0, sizeof(ICINFO));
  info->dwSize = sizeof(ICINFO);
  info->fccType = ICTYPE_VIDEO;
  info->fccHandler = kFourCc;
  info->dwFlags = VIDCF_TEMPORAL;  // no VIDCF_QUALITY: quality does not apply
  info->dwVersion = 1;
  info->dwVersionICM = ICVERSION;
  lstrcpyW(info->szName, L"MVTC");
  lstrcpyW(info->szDescription, L"Morvane test codec");
  return sizeof(ICINFO);
}

LRESULT GetFormat(const Instance& instance, const BITMAPINFO* in, BITMAPINFO* out) {
  if (!TakesInput(in ? &in->bmiHeader : nullptr)) return ICERR_BADFORMAT;
  if (!out) return sizeof(BITMAPINFOHEADER) + sizeof(State);
  out->bmiHeader = in->bmiHeader;
  out->bmiHeader.biSize = sizeof(BITMAPINFOHEADER) + sizeof(State);
  out->bmiHeader.biCompression = kFourCc;
  out->bmiHeader.biSizeImage = ImageSize(in->bmiHeader);
  std::memcpy(reinterpret_cast<BYTE*>(out) + sizeof(BITMAPINFOHEADER), &instance.state, sizeof(State));
  return ICERR_OK;
}

LRESULT Compress(Instance& instance, ICCOMPRESS* c) {
  if (!c || !TakesInput(c->lpbiInput) || !c->lpInput || !c->lpOutput || !c->lpbiOutput) return ICERR_BADPARAM;
  const DWORD size = ImageSize(*c->lpbiInput);
  const auto* in = static_cast<const BYTE*>(c->lpInput);
  auto* out = static_cast<BYTE*>(c->lpOutput);
  const bool key = (c->dwFlags & ICCOMPRESS_KEYFRAME) != 0 || instance.previous.size() != size;
  const BYTE mask = static_cast<BYTE>(instance.state.mask);
  if (key) {
    for (DWORD i = 0; i < size; ++i) out[i] = static_cast<BYTE>(in[i] ^ mask);
  } else {
    for (DWORD i = 0; i < size; ++i) out[i] = static_cast<BYTE>(in[i] ^ instance.previous[i] ^ mask);
  }
  try {
    instance.previous.assign(in, in + size);
  } catch (...) {
    return ICERR_MEMORY;
  }
  c->lpbiOutput->biSizeImage = size;
  c->lpbiOutput->biCompression = kFourCc;
  if (c->lpdwFlags) *c->lpdwFlags = key ? AVIIF_KEYFRAME : 0;
  if (c->lpckid) *c->lpckid = 0;
  return ICERR_OK;
}

}  // namespace

extern "C" LRESULT WINAPI DriverProc(DWORD_PTR id, HDRVR, UINT message, LPARAM first, LPARAM second) {
  auto* instance = reinterpret_cast<Instance*>(id);
  switch (message) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE:
    case DRV_INSTALL:
    case DRV_REMOVE:
      return 1;
    case DRV_OPEN: {
      auto* open = reinterpret_cast<ICOPEN*>(second);
      // Opened without ICOPEN (as a driver, not a codec) or for video.
      if (open && open->fccType != ICTYPE_VIDEO) return 0;
      auto* made = new (std::nothrow) Instance;
      if (open) open->dwError = made ? ICERR_OK : ICERR_MEMORY;
      return reinterpret_cast<LRESULT>(made);
    }
    case DRV_CLOSE:
      delete instance;
      return 1;
    case DRV_QUERYCONFIGURE:
      return 0;
    case ICM_CONFIGURE:
      return instance ? Configure(*instance, first) : ICERR_BADHANDLE;
    case ICM_ABOUT:
      return About(first);
    case ICM_GETSTATE:
      return instance ? GetState(*instance, reinterpret_cast<void*>(first), second) : ICERR_BADHANDLE;
    case ICM_SETSTATE:
      return instance ? SetState(*instance, reinterpret_cast<const void*>(first), second) : ICERR_BADHANDLE;
    case ICM_GETINFO:
      return GetInfo(reinterpret_cast<ICINFO*>(first), second);
    case ICM_COMPRESS_QUERY:
      return TakesInput(first ? &reinterpret_cast<BITMAPINFO*>(first)->bmiHeader : nullptr) ? ICERR_OK
                                                                                             : ICERR_BADFORMAT;
    case ICM_COMPRESS_GET_FORMAT:
      return instance ? GetFormat(*instance, reinterpret_cast<BITMAPINFO*>(first), reinterpret_cast<BITMAPINFO*>(second))
                      : ICERR_BADHANDLE;
    case ICM_COMPRESS_GET_SIZE: {
      const auto* in = reinterpret_cast<BITMAPINFO*>(first);
      return TakesInput(in ? &in->bmiHeader : nullptr) ? static_cast<LRESULT>(ImageSize(in->bmiHeader)) : 0;
    }
    case ICM_COMPRESS_BEGIN:
      if (instance) instance->previous.clear();
      return ICERR_OK;
    case ICM_COMPRESS_END:
      return ICERR_OK;
    case ICM_COMPRESS:
      return instance ? Compress(*instance, reinterpret_cast<ICCOMPRESS*>(first)) : ICERR_BADHANDLE;
    default:
      return message >= DRV_USER ? ICERR_UNSUPPORTED : 0;
  }
}
