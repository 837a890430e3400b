// A modal dialog from a template, with data exchange between its fields and
// the dialog object's data.
#pragma once

#include <windows.h>

#include <string>

namespace halvern {

// One direction of the exchange: reading the fields into the data (saving) or
// writing the data into the fields.
class DataExchange {
 public:
  DataExchange(HWND dialog, bool saving) : dialog_(dialog), saving_(saving) {}
  bool saving() const { return saving_; }
  // A text field mirrored by a Shift-JIS string. Reading the field fails
  // (false, and the string is emptied) when it holds a character code page
  // 932 cannot spell.
  bool Text(int control_id, std::string& value);

 private:
  HWND dialog_;
  bool saving_;
};

class ModalDialog {
 public:
  explicit ModalDialog(UINT template_id) : template_id_(template_id) {}
  virtual ~ModalDialog() = default;
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  // Runs the dialog until it ends; -1 when it could not be created.
  INT_PTR DoModal(HWND parent);
  HWND hwnd() const { return hwnd_; }

 protected:
  // The dialog's message routing: return true when the message was handled,
  // with `result` as the dialog procedure's answer.
  virtual bool Route(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result);
  virtual void DoDataExchange(DataExchange&) {}

  // Standard handlers a dialog's routing falls back on. A dialog with
  // commands of its own handles them in OnCommand and passes the rest to
  // OnStandardCommand.
  virtual BOOL OnInitDialog();
  virtual bool OnCommand(WORD id) { return OnStandardCommand(id); }
  virtual void OnOK();
  virtual void OnCancel();
  bool OnStandardCommand(WORD id);

  bool UpdateData(bool save);
  void EndDialog(INT_PTR result);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  UINT template_id_;
  HWND hwnd_ = nullptr;
};

}  // namespace halvern
