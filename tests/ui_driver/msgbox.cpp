#include "msgbox.h"

#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>

#include "window_text.h"

namespace uidriver {

namespace {

struct IconName {
  BoxIcon icon;
  const char* name;
  LPCWSTR systemIcon;  // the stock icon drawn for comparison, null for none
};

const IconName kIcons[] = {
    {BoxIcon::None, "none", nullptr},
    {BoxIcon::Stop, "stop", IDI_HAND},
    {BoxIcon::Information, "info", IDI_ASTERISK},
    {BoxIcon::Question, "question", IDI_QUESTION},
    {BoxIcon::Exclamation, "exclamation", IDI_EXCLAMATION},
    {BoxIcon::Unknown, "unknown", nullptr},
};

struct ButtonName {
  const char* name;
  int id;
};

const ButtonName kButtons[] = {
    {"ok", IDOK},       {"cancel", IDCANCEL}, {"abort", IDABORT}, {"retry", IDRETRY},
    {"ignore", IDIGNORE}, {"yes", IDYES},     {"no", IDNO},
};

struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;
struct BitmapDeleter {
  void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

// A 32-bit top-down DIB section that a memory DC draws into.
struct Canvas {
  MemoryDc dc;
  Bitmap bitmap;
  HGDIOBJ previous = nullptr;
  DWORD* pixels = nullptr;
  int size = 0;

  explicit Canvas(int side) : dc(CreateCompatibleDC(nullptr)), size(side) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = -side;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap.reset(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    pixels = static_cast<DWORD*>(bits);
    if (bitmap) previous = SelectObject(dc.get(), bitmap.get());
  }
  ~Canvas() {
    if (previous) SelectObject(dc.get(), previous);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  bool ok() const { return dc && bitmap && pixels; }
};

long long Distance(const Canvas& a, const Canvas& b) {
  long long sum = 0;
  for (int i = 0; i < a.size * a.size; ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      sum += std::abs(static_cast<int>((a.pixels[i] >> shift) & 0xFF) - static_cast<int>((b.pixels[i] >> shift) & 0xFF));
    }
  }
  return sum;
}

// The icon static's picture, read from the screen, against each stock icon
// drawn on the same background; the closest one wins.
BoxIcon ClassifyIcon(HWND iconControl) {
  const int side = GetSystemMetrics(SM_CXICON);
  RECT rect = {};
  GetWindowRect(iconControl, &rect);
  Canvas shot(side);
  if (!shot.ok()) return BoxIcon::Unknown;
  HDC screen = GetDC(nullptr);
  BitBlt(shot.dc.get(), 0, 0, side, side, screen, rect.left, rect.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  GdiFlush();
  const DWORD background = shot.pixels[0] & 0xFFFFFF;

  BoxIcon best = BoxIcon::None;
  long long bestDistance = LLONG_MAX;
  for (const IconName& entry : kIcons) {
    if (entry.icon == BoxIcon::Unknown) continue;
    Canvas candidate(side);
    if (!candidate.ok()) return BoxIcon::Unknown;
    for (int i = 0; i < side * side; ++i) candidate.pixels[i] = background;
    if (entry.systemIcon) {
      DrawIconEx(candidate.dc.get(), 0, 0, LoadIconW(nullptr, entry.systemIcon), side, side, 0, nullptr, DI_NORMAL);
      GdiFlush();
    }
    const long long d = Distance(shot, candidate);
    if (d < bestDistance) {
      bestDistance = d;
      best = entry.icon;
    }
  }
  return best;
}

struct FindBoxData {
  HWND owner;
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindBoxProc(HWND hwnd, LPARAM lparam) {
  auto* data = reinterpret_cast<FindBoxData*>(lparam);
  if (!IsWindowVisible(hwnd) || ClassOf(hwnd) != L"#32770") return TRUE;
  if (data->owner && GetWindow(hwnd, GW_OWNER) != data->owner) return TRUE;
  if (data->processId) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != data->processId) return TRUE;
  }
  data->found = hwnd;
  return FALSE;
}

}  // namespace

bool ParseBoxIcon(const std::string& name, BoxIcon& icon) {
  for (const IconName& entry : kIcons) {
    if (name == entry.name && entry.icon != BoxIcon::Unknown) {
      icon = entry.icon;
      return true;
    }
  }
  return false;
}

const char* BoxIconName(BoxIcon icon) {
  for (const IconName& entry : kIcons) {
    if (entry.icon == icon) return entry.name;
  }
  return "unknown";
}

HWND FindOwnedBox(HWND owner, DWORD processId) {
  FindBoxData data = {owner, processId, nullptr};
  EnumWindows(FindBoxProc, reinterpret_cast<LPARAM>(&data));
  return data.found;
}

BoxContents ReadBox(HWND box) {
  BoxContents contents;
  contents.title = TextOf(box);
  contents.icon = BoxIcon::None;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) != L"Static") continue;
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) {
      if (style & WS_VISIBLE) contents.icon = ClassifyIcon(child);
      continue;
    }
    if (!(style & WS_VISIBLE)) continue;
    const std::wstring text = TextOf(child);
    if (text.empty()) continue;
    if (!contents.text.empty()) contents.text += L"\n";
    contents.text += text;
  }
  return contents;
}

bool ButtonIdByName(const std::string& name, int& id) {
  for (const ButtonName& entry : kButtons) {
    if (name == entry.name) {
      id = entry.id;
      return true;
    }
  }
  return false;
}

}  // namespace uidriver
