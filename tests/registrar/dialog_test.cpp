// The main dialog and the About box built from the real templates, inspected
// from inside while they run modally.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/application.h"
#include "dialogs/about_dialog.h"
#include "dialogs/registration_dialog.h"
#include "msgbox.h"
#include "resource.h"
#include "test_support.h"

namespace halvern {
namespace {

// Runs `inspect` on the dialog once its modal loop is running, then closes it.
class ModalProbe {
 public:
  explicit ModalProbe(std::function<void(HWND)> inspect) : inspect_(std::move(inspect)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 30, OnTimer);
  }
  ~ModalProbe() {
    if (timer_) KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  ModalProbe(const ModalProbe&) = delete;
  ModalProbe& operator=(const ModalProbe&) = delete;
  bool ran() const { return ran_; }

 private:
  static VOID CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    ModalProbe* self = current_;
    if (!self || self->ran_) return;
    HWND dialog = GetActiveWindow();
    if (!dialog || !IsWindowVisible(dialog)) return;
    self->ran_ = true;
    KillTimer(nullptr, self->timer_);
    self->timer_ = 0;
    self->inspect_(dialog);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }

  static ModalProbe* current_;
  std::function<void(HWND)> inspect_;
  UINT_PTR timer_ = 0;
  bool ran_ = false;
};

ModalProbe* ModalProbe::current_ = nullptr;

std::wstring Text(HWND hwnd) {
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  return text;
}

std::wstring ClassName(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

struct ControlRow {
  int id;
  const wchar_t* cls;
  const wchar_t* text;  // null: not compared
  RECT units;           // x, y, width, height in dialog units
  DWORD style_on;
  DWORD style_off;
};

const ControlRow kMainControls[] = {
    // The edit control turns its WS_BORDER into a sunken client edge itself.
    {1000, L"Edit", L"", {15, 20, 185, 14}, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0},
    {3, L"Button", L"参照...", {205, 20, 25, 14}, WS_VISIBLE | WS_TABSTOP, BS_DEFPUSHBUTTON},
    {4, L"Button", L"登録", {50, 40, 50, 14}, WS_VISIBLE | WS_TABSTOP, BS_DEFPUSHBUTTON},
    {5, L"Button", L"削除", {115, 40, 50, 14}, WS_VISIBLE | WS_TABSTOP, BS_DEFPUSHBUTTON},
    {1, L"Button", L"終了", {185, 85, 50, 14}, WS_VISIBLE | WS_TABSTOP, BS_DEFPUSHBUTTON},
    {0xFFFF, L"Button", L"登録・削除するOCX (ﾌﾙﾊﾟｽで指定)", {7, 7, 229, 54}, WS_VISIBLE | BS_GROUPBOX, WS_TABSTOP},
};

const ControlRow kAboutControls[] = {
    {0xFFFF, L"Static", nullptr, {11, 17, 0, 0}, WS_VISIBLE | SS_ICON, 0},
    {0xFFFF, L"Static", L"OCX登録・削除ツール Version 1.0", {40, 10, 119, 8}, WS_VISIBLE | SS_NOPREFIX | WS_GROUP, 0},
    {0xFFFF, L"Static", nullptr, {40, 25, 119, 8}, WS_VISIBLE | WS_GROUP, 0},
    {1, L"Button", L"OK", {178, 7, 32, 14}, WS_VISIBLE | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0},
};

// The frame a template makes: its caption, the styles it must have and its
// client size in dialog units. Callers name the dialog with SCOPED_TRACE.
void ExpectFrame(HWND dialog, const wchar_t* caption, DWORD style_on, SIZE units) {
  EXPECT_EQ(Text(dialog), caption);
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
  EXPECT_EQ(style & style_on, style_on) << std::hex << style;
  RECT client = {}, extent = {0, 0, units.cx, units.cy};
  GetClientRect(dialog, &client);
  MapDialogRect(dialog, &extent);
  EXPECT_EQ(client.right, extent.right);
  EXPECT_EQ(client.bottom, extent.bottom);
}

// Children in template order, each where its dialog units put it. Callers
// name the dialog with SCOPED_TRACE.
template <size_t N>
void ExpectControls(HWND dialog, const ControlRow (&rows)[N]) {
  HWND child = GetWindow(dialog, GW_CHILD);
  for (size_t i = 0; i < N; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
    const ControlRow& row = rows[i];
    SCOPED_TRACE("control #" + std::to_string(i));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetDlgCtrlID(child) & 0xFFFF, row.id);
    EXPECT_EQ(ClassName(child), row.cls);
    if (row.text) {
      EXPECT_EQ(Text(child), row.text);
    }
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
    EXPECT_EQ(style & row.style_on, row.style_on) << std::hex << style;
    if (row.style_off == BS_DEFPUSHBUTTON) {
      EXPECT_NE(style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON)) << std::hex << style;
    } else {
      EXPECT_EQ(style & row.style_off, 0u) << std::hex << style;
    }
    // The dialog manager converts position and size separately, each rounded.
    RECT origin = {row.units.left, row.units.top, 0, 0};
    RECT size = {0, 0, row.units.right, row.units.bottom};
    MapDialogRect(dialog, &origin);
    MapDialogRect(dialog, &size);
    const RECT expected = {origin.left, origin.top, origin.left + size.right, origin.top + size.bottom};
    RECT actual = {};
    GetWindowRect(child, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    if (row.units.right) {  // an icon static takes the icon's size
      EXPECT_EQ(actual.right, expected.right);
      EXPECT_EQ(actual.bottom, expected.bottom);
    }
  }
  EXPECT_EQ(child, nullptr) << "more controls than the template has";
}

struct MenuItem {
  UINT id;
  UINT type;
  std::wstring text;
};

std::vector<MenuItem> SystemMenuItems(HWND dialog) {
  std::vector<MenuItem> items;
  HMENU menu = GetSystemMenu(dialog, FALSE);
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 128;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    items.push_back({info.wID, info.fType, text});
  }
  return items;
}

class DialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application::Instance().Initialise(GetModuleHandleW(nullptr)); }
};

TEST_F(DialogTest, MainDialogTemplateIconsAndSystemMenu) {
  RegistrationDialog dialog;
  ASSERT_TRUE(dialog.ole_ready());
  ASSERT_NE(dialog.icon(), nullptr);
  ModalProbe probe([&](HWND hwnd) {
    SCOPED_TRACE("main dialog");
    ExpectFrame(hwnd, L"Morvane OCX登録・削除ツール", WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                {243, 115});
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u) << std::hex << style;
    EXPECT_NE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    ExpectControls(hwnd, kMainControls);

    HWND path = GetDlgItem(hwnd, IDC_PATH);
    EXPECT_TRUE((GetWindowLongPtrW(path, GWL_STYLE) & WS_BORDER) ||
                (GetWindowLongPtrW(path, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
    EXPECT_EQ(GetFocus(), path);
    EXPECT_EQ(Application::Instance().main_window(), hwnd);
    EXPECT_EQ(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(dialog.icon()));
    EXPECT_EQ(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(dialog.icon()));
    EXPECT_EQ(SendMessageW(hwnd, WM_QUERYDRAGICON, 0, 0), reinterpret_cast<LRESULT>(dialog.icon()));

    // The About item once, after a separator, at the end of the menu.
    const std::vector<MenuItem> items = SystemMenuItems(hwnd);
    ASSERT_GE(items.size(), 2u);
    int abouts = 0;
    for (const MenuItem& item : items) abouts += item.id == kSysCommandAbout;
    EXPECT_EQ(abouts, 1);
    EXPECT_EQ(items.back().id, kSysCommandAbout);
    EXPECT_EQ(items.back().text, L"ﾊﾞｰｼﾞｮﾝ情報 (&A)...");
    EXPECT_NE(items[items.size() - 2].type & MFT_SEPARATOR, 0u);
  });
  EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
  EXPECT_TRUE(probe.ran());
  EXPECT_EQ(Application::Instance().main_window(), nullptr);
}

// WM_ICONERASEBKGND with a paint DC: the minimised painting ran.
HWND g_watched = nullptr;
int g_icon_erases = 0;

LRESULT CALLBACK WatchSent(int code, WPARAM wparam, LPARAM lparam) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
  if (code == HC_ACTION && sent->hwnd == g_watched && sent->message == WM_ICONERASEBKGND && sent->wParam != 0) {
    ++g_icon_erases;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(DialogTest, MinimisedDialogErasesAndDrawsItsIcon) {
  RegistrationDialog dialog;
  bool iconic = false;
  ModalProbe probe([&](HWND hwnd) {
    SetWindowTextW(GetDlgItem(hwnd, IDC_PATH), L"C:\\kept.ocx");
    g_watched = hwnd;
    g_icon_erases = 0;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchSent, nullptr, GetCurrentThreadId());
    ShowWindow(hwnd, SW_MINIMIZE);
    iconic = IsIconic(hwnd) != FALSE;
    // A minimised window has no client area to invalidate on current
    // systems, so the paint request is sent directly.
    SendMessageW(hwnd, WM_PAINT, 0, 0);
    UnhookWindowsHookEx(hook);
    ShowWindow(hwnd, SW_RESTORE);
    EXPECT_FALSE(IsIconic(hwnd));
    wchar_t text[64] = {};
    GetWindowTextW(GetDlgItem(hwnd, IDC_PATH), text, 64);
    EXPECT_STREQ(text, L"C:\\kept.ocx");
  });
  dialog.DoModal(nullptr);
  ASSERT_TRUE(probe.ran());
  ASSERT_TRUE(iconic);
  EXPECT_GE(g_icon_erases, 1) << "the minimised paint did not erase the icon background with its paint DC";
}

TEST_F(DialogTest, AboutBoxTemplate) {
  AboutDialog about;
  ModalProbe probe([](HWND hwnd) {
    SCOPED_TRACE("About box");
    ExpectFrame(hwnd, L"ﾊﾞｰｼﾞｮﾝ情報", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, {217, 55});
    ExpectControls(hwnd, kAboutControls);
    EXPECT_NE(SendMessageW(GetWindow(hwnd, GW_CHILD), STM_GETICON, 0, 0), 0);
  });
  EXPECT_EQ(about.DoModal(nullptr), IDCANCEL);
  EXPECT_TRUE(probe.ran());
}

TEST_F(DialogTest, DialogObjectBracketsOle) {
  {
    RegistrationDialog dialog;
    EXPECT_TRUE(dialog.ole_ready());
    const halvern_test::Apartment apartment = halvern_test::CurrentApartment();
    EXPECT_EQ(apartment.status, S_OK);
    EXPECT_EQ(apartment.type, APTTYPE_MAINSTA);
    EXPECT_TRUE(dialog.path().empty());
  }
  EXPECT_EQ(halvern_test::CurrentApartment().status, CO_E_NOTINITIALIZED);
}

// Reads and closes every message box owned by `owner` while it lives.
class BoxCatcher {
 public:
  explicit BoxCatcher(HWND owner) : owner_(owner) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 30, OnTimer);
  }
  ~BoxCatcher() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  BoxCatcher(const BoxCatcher&) = delete;
  BoxCatcher& operator=(const BoxCatcher&) = delete;
  const std::vector<uidriver::BoxContents>& seen() const { return seen_; }

 private:
  static VOID CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    BoxCatcher* self = current_;
    if (!self) return;
    HWND box = uidriver::FindOwnedBox(self->owner_, GetCurrentProcessId());
    if (!box || box == self->last_) return;
    self->last_ = box;
    self->seen_.push_back(uidriver::ReadBox(box));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }

  static BoxCatcher* current_;
  HWND owner_;
  HWND last_ = nullptr;
  UINT_PTR timer_ = 0;
  std::vector<uidriver::BoxContents> seen_;
};

BoxCatcher* BoxCatcher::current_ = nullptr;

constexpr WORD kThrowCommand = 0x7001;

// The About template with a handler that throws what the test asks for.
class ThrowingDialog : public ModalDialog {
 public:
  explicit ThrowingDialog(std::function<void()> raise) : ModalDialog(IDD_ABOUTBOX), raise_(std::move(raise)) {}

 protected:
  bool Route(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) override {
    if (message == WM_COMMAND && LOWORD(wparam) == kThrowCommand) raise_();
    return ModalDialog::Route(message, wparam, lparam, result);
  }

 private:
  std::function<void()> raise_;
};

struct EscapeCase {
  const char* what;
  std::function<void()> raise;
  const wchar_t* text;
};

TEST_F(DialogTest, AnEscapingExceptionIsReportedAndTheDialogLives) {
  const EscapeCase cases[] = {
      // テスト in Shift-JIS, the tool's own texts' encoding.
      {"runtime_error", [] { throw std::runtime_error("\x83\x65\x83\x58\x83\x67"); },
       L"予期しないｴﾗｰが発生しました。\nテスト"},
      {"bad_alloc", [] { throw std::bad_alloc(); }, L"予期しないｴﾗｰが発生しました。\nstd::bad_alloc"},
      {"not a standard exception", [] { throw 42; }, L"予期しないｴﾗｰが発生しました。"},
  };
  for (const EscapeCase& c : cases) {
    SCOPED_TRACE(c.what);
    ThrowingDialog dialog(c.raise);
    bool alive = false;
    std::vector<uidriver::BoxContents> seen;
    ModalProbe probe([&](HWND hwnd) {
      BoxCatcher catcher(hwnd);
      SendMessageW(hwnd, WM_COMMAND, kThrowCommand, 0);
      SendMessageW(hwnd, WM_COMMAND, kThrowCommand, 0);
      alive = IsWindow(hwnd) && IsWindowVisible(hwnd);
      seen = catcher.seen();
    });
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    ASSERT_TRUE(probe.ran());
    EXPECT_TRUE(alive);
    ASSERT_EQ(seen.size(), 2u) << "one box per failure";
    for (const uidriver::BoxContents& box : seen) {
      EXPECT_EQ(box.text, c.text);
      EXPECT_EQ(box.title, Application::Instance().name());
      EXPECT_EQ(box.icon, uidriver::BoxIcon::Stop);
    }
  }
}

// Kept last: the exit request it provokes stays with the application object.
TEST_F(DialogTest, OleFailureIsReportedWithoutOwnerAndRequestsTheExit) {
  // A thread already in the multithreaded apartment cannot take OLE's.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  uidriver::BoxContents seen;
  HWND owner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));
  ModalProbe probe([&](HWND box) {
    seen = uidriver::ReadBox(box);
    owner = GetWindow(box, GW_OWNER);
  });
  {
    RegistrationDialog dialog;  // shows the box; the probe closes it
    EXPECT_FALSE(dialog.ole_ready());
  }
  EXPECT_TRUE(probe.ran());
  EXPECT_EQ(seen.text, L"OLE ｼｽﾃﾑの初期化ができません。");
  EXPECT_EQ(seen.title, Application::Instance().name());
  EXPECT_EQ(seen.icon, uidriver::BoxIcon::Stop);
  EXPECT_EQ(owner, nullptr);
  EXPECT_TRUE(Application::Instance().exit_requested());
  // The failed session left the apartment it did not create alone.
  const halvern_test::Apartment apartment = halvern_test::CurrentApartment();
  EXPECT_EQ(apartment.status, S_OK);
  EXPECT_EQ(apartment.type, APTTYPE_MTA);
  CoUninitialize();
}

}  // namespace
}  // namespace halvern
