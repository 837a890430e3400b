// The main dialog: the path field, Browse, Register, Remove and Exit, plus the
// window features around it (icons, the About item, the minimised painting).
#pragma once

#include <string>

#include "app/modal_dialog.h"
#include "core/ole_session.h"
#include "core/registration.h"
#include "core/system_command.h"

namespace halvern {

class RegistrationDialog : public ModalDialog {
 public:
  // Loads the icon and initialises OLE; a failure is reported and the
  // application is asked to exit.
  RegistrationDialog();

  const std::string& path() const { return path_; }
  bool ole_ready() const { return ole_.initialised(); }
  HICON icon() const { return icon_; }

 protected:
  bool Route(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result) override;
  void DoDataExchange(DataExchange& exchange) override;
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id) override;

 private:
  bool OnSysCommand(WPARAM command);
  bool OnPaint();
  INT_PTR OnQueryDragIcon() const;
  void OnDestroy();

  void OnBrowse();
  void OnRunCommand(Command command);
  void ShowReport(const MessageRow& row, const std::string& text932);
  void ShowStop(MessageId id);

  std::string path_;  // Shift-JIS, exactly as typed or picked
  bool path_spellable_ = true;  // false: the field held what code page 932 cannot spell
  HICON icon_;        // shared resource icon: never destroyed
  OleSession ole_;
};

}  // namespace halvern
