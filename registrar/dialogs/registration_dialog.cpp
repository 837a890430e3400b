#include "registration_dialog.h"

#include <commdlg.h>

#include <memory>

#include "about_dialog.h"
#include "app/application.h"
#include "basics/scopes.h"
#include "core/icon_centre.h"
#include "core/open_request.h"
#include "core/text_cp932.h"
#include "resource.h"

namespace halvern {

namespace {

void ReportOleFailure(HRESULT) {
  const MessageRow& row = Message(MessageId::kOleInitFailed);
  Application& app = Application::Instance();
  // There is no window yet: the box has no owner.
  app.ShowMessage(nullptr, FromCp932(row.text932), L"", row.icon);
  app.RequestExit();
}

}  // namespace

RegistrationDialog::RegistrationDialog()
    : ModalDialog(IDD_HALVERN_DIALOG),
      icon_(LoadIconW(Application::Instance().instance(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      ole_(ReportOleFailure) {}

// The main dialog's messages beyond the standard ones; WM_INITDIALOG and
// WM_COMMAND reach OnInitDialog and OnCommand through the standard routing.
bool RegistrationDialog::Route(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) {
  switch (message) {
    case WM_SYSCOMMAND:
      result = TRUE;
      return OnSysCommand(wparam);
    case WM_PAINT:
      result = TRUE;
      return OnPaint();
    case WM_QUERYDRAGICON:
      result = OnQueryDragIcon();
      return true;
    case WM_HELP:
      result = TRUE;
      return Application::Instance().OnCommand(kCommandHelp);
    case WM_DESTROY:
      OnDestroy();
      return false;
    default:
      return ModalDialog::Route(message, wparam, lparam, result);
  }
}

void RegistrationDialog::DoDataExchange(DataExchange& exchange) {
  path_spellable_ = exchange.Text(IDC_PATH, path_);
}

BOOL RegistrationDialog::OnInitDialog() {
  ModalDialog::OnInitDialog();
  Application::Instance().SetMainWindow(hwnd());

  wchar_t about[128] = {};
  if (LoadStringW(Application::Instance().instance(), IDS_ABOUTBOX, about, 128) > 0 && about[0]) {
    if (HMENU menu = GetSystemMenu(hwnd(), FALSE)) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      AppendMenuW(menu, MF_STRING, kSysCommandAbout, about);
    }
  }

  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  return TRUE;  // the focus goes to the first control, the path field
}

bool RegistrationDialog::OnCommand(WORD id) {
  switch (id) {
    case IDC_BROWSE:
      OnBrowse();
      return true;
    case IDC_REGISTER:
      OnRunCommand(Command::kRegister);
      return true;
    case IDC_REMOVE:
      OnRunCommand(Command::kRemove);
      return true;
    default:
      return OnStandardCommand(id);
  }
}

bool RegistrationDialog::OnSysCommand(WPARAM command) {
  if (!IsAboutCommand(command)) return false;
  AboutDialog about;
  about.DoModal(hwnd());
  return true;
}

bool RegistrationDialog::OnPaint() {
  if (!IsIconic(hwnd())) return false;
  basics::PaintScope paint(hwnd());
  SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.dc()), 0);
  const int icon_width = GetSystemMetrics(SM_CXICON);
  const int icon_height = GetSystemMetrics(SM_CYICON);
  RECT client = {};
  GetClientRect(hwnd(), &client);
  DrawIcon(paint.dc(), CentredIconOffset(client.right - client.left, icon_width),
           CentredIconOffset(client.bottom - client.top, icon_height), icon_);
  return true;
}

INT_PTR RegistrationDialog::OnQueryDragIcon() const { return reinterpret_cast<INT_PTR>(icon_); }

void RegistrationDialog::OnDestroy() {
  Application& app = Application::Instance();
  if (app.main_window() == hwnd()) app.SetMainWindow(nullptr);
}

void RegistrationDialog::OnBrowse() {
  UpdateData(true);
  OPENFILENAMEW request;
  auto buffers = std::make_unique<OpenRequestBuffers>();
  PrepareOpenRequest(request, *buffers, hwnd());
  const BOOL confirmed = GetOpenFileNameW(&request);
  std::string chosen;
  switch (ReadOpenOutcome(confirmed, confirmed ? 0 : CommDlgExtendedError(), *buffers, chosen)) {
    case OpenOutcome::kChosen:
      path_ = chosen;
      UpdateData(false);
      return;
    case OpenOutcome::kTooLong:
      ShowStop(MessageId::kPathTooLong);
      return;
    case OpenOutcome::kUnspellable:
      ShowStop(MessageId::kPathNotCp932);
      return;
    case OpenOutcome::kCancelled:
      // The field keeps whatever it held.
      return;
  }
}

void RegistrationDialog::OnRunCommand(Command command) {
  UpdateData(true);
  // Nothing is loaded for a path the loader would receive only approximated.
  if (!path_spellable_) {
    ShowStop(MessageId::kPathNotCp932);
    return;
  }
  RunRegistrationCommand(command, path_,
                         [this](const MessageRow& row, const std::string& text932) { ShowReport(row, text932); });
}

void RegistrationDialog::ShowStop(MessageId id) {
  const MessageRow& row = Message(id);
  ShowReport(row, row.text932);
}

void RegistrationDialog::ShowReport(const MessageRow& row, const std::string& text932) {
  const std::wstring title = row.title == TitleKind::kInformation ? FromCp932(kInformationTitle932) : std::wstring();
  Application::Instance().ShowMessage(hwnd(), FromCp932(text932), title, MB_OK | row.icon);
}

}  // namespace halvern
