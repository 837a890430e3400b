#include "forms/window_class.h"

#include <string>

#include "forms/last_error.h"

namespace forms {

void RegisterWindowClass(const wchar_t* class_name, UINT class_style, WNDPROC proc, HICON icon) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  if (GetClassInfoExW(instance, class_name, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.style = class_style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = class_name;
  if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw LastError(std::wstring(class_name) + L" のウィンドウ クラスを登録できません。");
  }
}

}  // namespace forms
