// A small helper for the end-to-end scripts: where a program's window sits on
// the screen (so that the script can click into it with the real mouse and
// crop screenshots), and a posted double-click where no mouse can be used.
//   e2e_probe client-rect <title>         prints "left top width height"
//   e2e_probe post-dblclick <title> x y   posts WM_LBUTTONDBLCLK at client x,y
//   e2e_probe box-text <title>            prints the text of a message box (UTF-8, newlines as \n)
//   e2e_probe answer-box <title> <id>     presses a button of that message box (1 is OK)
//   e2e_probe window-state <title>        prints "visible" or "hidden" (exit 1: no such window)
//   e2e_probe close <title>               posts WM_CLOSE, as the close box does
//   e2e_probe ensure-check <title> <id> <0|1>  clicks the check box if it is not in that state
//   e2e_probe put-picture <r> <g> <b>     puts a 64x48 picture of one colour on the clipboard
// Controls anywhere inside a top-level window (also inside its panels), by id:
//   e2e_probe get-text <title> <id>       prints the control's text
//   e2e_probe set-text <title> <id> <t>   WM_SETTEXT, as the program's own writes do
//   e2e_probe click <title> <id>          posts BM_CLICK
//   e2e_probe check-state <title> <id>    prints BM_GETCHECK
//   e2e_probe enabled <title> <id>        prints 1 or 0
//   e2e_probe focus <title> <id>          moves the keyboard focus there for real
//   e2e_probe control-rect <title> <id>   prints the control's client area on the screen: "left top width height"
//   e2e_probe items <title> <id>          prints a combo box's entries, one a line
//   e2e_probe select-item <title> <id> <n>  selects entry n and notifies the owner, as a pick with the mouse does
// Exit code 0 on success, 1 when the window is not there, 2 on bad usage.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "dib_header.h"

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";

struct WindowSearch {
  const wchar_t* title;
  bool dialog_only;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<WindowSearch*>(param);
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (s->dialog_only && std::wcscmp(cls, kDialogClass) != 0) return TRUE;
  if (IsWindowVisible(hwnd) && std::wcscmp(text, s->title) == 0) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindVisibleWindow(const wchar_t* title, bool dialog_only = false) {
  WindowSearch search{title, dialog_only, nullptr};
  EnumWindows(&MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PrintClientRect(HWND hwnd) {
  RECT client{};
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
}

int ClientRect(const wchar_t* title) {
  HWND hwnd = FindVisibleWindow(title);
  if (!hwnd) return 1;
  PrintClientRect(hwnd);
  return 0;
}

int PostDoubleClick(const wchar_t* title, int x, int y) {
  HWND hwnd = FindVisibleWindow(title);
  if (!hwnd) return 1;
  const LPARAM at = MAKELPARAM(x, y);
  PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
  PostMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
  return 0;
}

// The box's message is its longest static text (the icon's static has none).
int BoxText(const wchar_t* title) {
  HWND box = FindVisibleWindow(title, true);
  if (!box) return 1;
  std::wstring longest;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (_wcsicmp(cls, L"Static") != 0) continue;
    wchar_t text[1024] = {};
    GetWindowTextW(child, text, 1024);
    if (std::wcslen(text) > longest.size()) longest = text;
  }
  std::wstring escaped;
  for (wchar_t c : longest) {
    if (c == L'\r') continue;
    if (c == L'\n') {
      escaped += L"\\n";
    } else {
      escaped += c;
    }
  }
  int n = WideCharToMultiByte(CP_UTF8, 0, escaped.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, escaped.c_str(), -1, out.data(), n, nullptr, nullptr);
  std::printf("%s\n", out.c_str());
  return 0;
}

int AnswerBox(const wchar_t* title, int id) {
  HWND box = FindVisibleWindow(title, true);
  if (!box) return 1;
  HWND button = GetDlgItem(box, id);
  if (!button) return 1;
  PostMessageW(button, BM_CLICK, 0, 0);
  return 0;
}

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchControl(HWND child, LPARAM param) {
  auto* s = reinterpret_cast<ControlSearch*>(param);
  if (GetDlgCtrlID(child) != s->id) return TRUE;
  s->found = child;
  return FALSE;
}

HWND FindControl(const wchar_t* title, int id) {
  HWND top = FindVisibleWindow(title);
  if (!top) return nullptr;
  ControlSearch search{id, nullptr};
  // EnumChildWindows walks the whole tree, panels included.
  EnumChildWindows(top, &MatchControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PrintUtf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  std::printf("%s\n", out.c_str());
}

void PrintItems(HWND combo) {
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t item[256] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) >= 256) continue;
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
    PrintUtf8(item);
  }
}

int ControlCommand(const wchar_t* verb, const wchar_t* title, int id, const wchar_t* text) {
  HWND control = FindControl(title, id);
  if (!control) {
    std::fprintf(stderr, "no control %d in the window\n", id);
    return 1;
  }
  if (std::wcscmp(verb, L"get-text") == 0) {
    wchar_t buffer[1024] = {};
    SendMessageW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
    PrintUtf8(buffer);
  } else if (std::wcscmp(verb, L"set-text") == 0) {
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : L""));
  } else if (std::wcscmp(verb, L"click") == 0) {
    PostMessageW(control, BM_CLICK, 0, 0);
  } else if (std::wcscmp(verb, L"check-state") == 0) {
    std::printf("%d\n", static_cast<int>(SendMessageW(control, BM_GETCHECK, 0, 0)));
  } else if (std::wcscmp(verb, L"enabled") == 0) {
    std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
  } else if (std::wcscmp(verb, L"focus") == 0) {
    // Joining the program's input queue lets SetFocus move its real focus, so
    // the field that had it gets its kill-focus notification.
    const DWORD target = GetWindowThreadProcessId(control, nullptr);
    AttachThreadInput(GetCurrentThreadId(), target, TRUE);
    SetFocus(control);
    AttachThreadInput(GetCurrentThreadId(), target, FALSE);
  } else if (std::wcscmp(verb, L"control-rect") == 0) {
    PrintClientRect(control);
  } else if (std::wcscmp(verb, L"items") == 0) {
    PrintItems(control);
  } else {
    return 2;
  }
  return 0;
}

// A pick with the mouse selects the entry, then the combo box tells its owner.
int SelectItem(const wchar_t* title, int id, int index) {
  HWND combo = FindControl(title, id);
  if (!combo) return 1;
  if (SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != index) return 1;
  PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  return 0;
}

int WindowState(const wchar_t* title) {
  HWND hwnd = FindWindowW(nullptr, title);
  if (!hwnd) return 1;
  std::printf("%s\n", IsWindowVisible(hwnd) ? "visible" : "hidden");
  return 0;
}

int EnsureCheck(const wchar_t* title, int id, int state) {
  HWND box = FindControl(title, id);
  if (!box) return 1;
  if (SendMessageW(box, BM_GETCHECK, 0, 0) != state) PostMessageW(box, BM_CLICK, 0, 0);
  for (int i = 0; i < 100 && SendMessageW(box, BM_GETCHECK, 0, 0) != state; ++i) Sleep(20);
  return SendMessageW(box, BM_GETCHECK, 0, 0) == state ? 0 : 1;
}

int PutPicture(int r, int g, int b) {
  constexpr int kWidth = 64;
  constexpr int kHeight = 48;
  const size_t size = sizeof(BITMAPINFOHEADER) + kWidth * kHeight * 4;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return 1;
  auto* bytes = static_cast<unsigned char*>(GlobalLock(memory));
  test_support::PutDibHeader(bytes, kWidth, kHeight, 32);
  auto* pixels = reinterpret_cast<DWORD*>(bytes + sizeof(BITMAPINFOHEADER));
  for (int i = 0; i < kWidth * kHeight; ++i) pixels[i] = static_cast<DWORD>((r << 16) | (g << 8) | b);
  GlobalUnlock(memory);
  bool put = false;
  for (int i = 0; i < 20 && !put; ++i) {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      put = SetClipboardData(CF_DIB, memory) != nullptr;
      CloseClipboard();
    } else {
      Sleep(50);
    }
  }
  if (!put) GlobalFree(memory);
  return put ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wcscmp(argv[1], L"client-rect") == 0) return ClientRect(argv[2]);
  if (argc == 5 && std::wcscmp(argv[1], L"post-dblclick") == 0) {
    return PostDoubleClick(argv[2], _wtoi(argv[3]), _wtoi(argv[4]));
  }
  if (argc == 3 && std::wcscmp(argv[1], L"box-text") == 0) return BoxText(argv[2]);
  if (argc == 3 && std::wcscmp(argv[1], L"window-state") == 0) return WindowState(argv[2]);
  if (argc == 3 && std::wcscmp(argv[1], L"close") == 0) {
    HWND hwnd = FindWindowW(nullptr, argv[2]);
    return hwnd && PostMessageW(hwnd, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  if (argc == 4 || (argc == 5 && std::wcscmp(argv[1], L"set-text") == 0)) {
    const int rc = ControlCommand(argv[1], argv[2], _wtoi(argv[3]), argc == 5 ? argv[4] : nullptr);
    if (rc != 2) return rc;
  }
  if (argc == 5 && std::wcscmp(argv[1], L"ensure-check") == 0) {
    return EnsureCheck(argv[2], _wtoi(argv[3]), _wtoi(argv[4]));
  }
  if (argc == 5 && std::wcscmp(argv[1], L"put-picture") == 0) {
    return PutPicture(_wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]));
  }
  if (argc == 5 && std::wcscmp(argv[1], L"select-item") == 0) {
    return SelectItem(argv[2], _wtoi(argv[3]), _wtoi(argv[4]));
  }
  if (argc == 4 && std::wcscmp(argv[1], L"answer-box") == 0) return AnswerBox(argv[2], _wtoi(argv[3]));
  std::fprintf(stderr,
               "usage: e2e_probe client-rect <title> | post-dblclick <title> <x> <y> | box-text <title> |"
               " answer-box <title> <id>\n");
  return 2;
}
