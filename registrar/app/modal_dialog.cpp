#include "modal_dialog.h"

#include "application.h"
#include "core/text_cp932.h"
#include "exception_report.h"

namespace halvern {

bool DataExchange::Text(int control_id, std::string& value) {
  HWND field = GetDlgItem(dialog_, control_id);
  if (!field) return true;
  if (!saving_) {
    SetWindowTextW(field, FromCp932(value).c_str());
    return true;
  }
  const int length = GetWindowTextLengthW(field);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(field, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  // The field is Unicode, the data Shift-JIS: a text the code page cannot
  // spell exactly leaves the data empty rather than approximated.
  return ToCp932(text, value);
}

INT_PTR ModalDialog::DoModal(HWND parent) {
  Application& app = Application::Instance();
  return DialogBoxParamW(app.instance(), MAKEINTRESOURCEW(template_id_), parent, DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  ModalDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<ModalDialog*>(lparam);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
  } else {
    self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;

  // The one boundary of every dialog: nothing unwinds through the dialog manager.
  try {
    INT_PTR result = FALSE;
    if (self->Route(message, wparam, lparam, result)) return result;
  } catch (...) {
    ReportEscapedException(hwnd);
  }
  if (message == WM_NCDESTROY) self->hwnd_ = nullptr;
  return FALSE;
}

bool ModalDialog::Route(UINT message, WPARAM wparam, LPARAM, INT_PTR& result) {
  switch (message) {
    case WM_INITDIALOG:
      result = OnInitDialog();
      return true;
    case WM_COMMAND:
      result = TRUE;
      return OnCommand(LOWORD(wparam));
    default:
      return false;
  }
}

bool ModalDialog::OnStandardCommand(WORD id) {
  switch (id) {
    case IDOK:
      OnOK();
      return true;
    case IDCANCEL:
      OnCancel();
      return true;
    default:
      return Application::Instance().OnCommand(id);
  }
}

BOOL ModalDialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void ModalDialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void ModalDialog::OnCancel() { EndDialog(IDCANCEL); }

bool ModalDialog::UpdateData(bool save) {
  DataExchange exchange(hwnd_, save);
  DoDataExchange(exchange);
  return true;
}

void ModalDialog::EndDialog(INT_PTR result) { ::EndDialog(hwnd_, result); }

}  // namespace halvern
