// The device dialogs of the control are all of one shape: a few labelled
// drop-down lists, perhaps a row of buttons that act on the choices, and
// OK / Cancel. This builds such a dialog from a table of fields in memory
// (no resource script) and runs it modally.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace morvane {

struct ChoiceField {
  std::wstring label;
  std::vector<std::wstring> choices;
  int selected = 0;
};

// A button under the fields that acts on the choices as they stand (say, a
// codec's own settings dialog). It is enabled only while `available` says
// so for the fields' current choices (one index a field). What `run`
// throws is shown over the dialog, which stays open.
struct ChoiceAction {
  std::wstring label;
  std::function<bool(const std::vector<int>& selected)> available;
  std::function<void(HWND dialog, const std::vector<int>& selected)> run;
};

// The ids of the drop-down list of field i and of the button of action i,
// for tests that drive the dialog.
constexpr int kFirstChoiceId = 100;
constexpr int kFirstActionId = 200;

// The in-memory DLGTEMPLATE for the fields and actions (exposed for tests).
std::vector<WORD> BuildChoiceTemplate(const std::wstring& title, const std::vector<ChoiceField>& fields,
                                      const std::vector<ChoiceAction>& actions = {});

// True when the user pressed OK; each field's selected then holds the
// user's choice. On Cancel the fields are left as they were.
bool RunChoiceDialog(HINSTANCE instance, HWND owner, const std::wstring& title, std::vector<ChoiceField>& fields,
                     const std::vector<ChoiceAction>& actions = {});

}  // namespace morvane
