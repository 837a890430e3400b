// The device dialogs of the control are all of one shape: a few labelled
// drop-down lists and OK / Cancel. This builds such a dialog from a table of
// fields in memory (no resource script) and runs it modally.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace morvane {

struct ChoiceField {
  std::wstring label;
  std::vector<std::wstring> choices;
  int selected = 0;
};

// The id of the drop-down list of field i, for tests that drive the dialog.
constexpr int kFirstChoiceId = 100;

// The in-memory DLGTEMPLATE for the fields (exposed for tests).
std::vector<WORD> BuildChoiceTemplate(const std::wstring& title, const std::vector<ChoiceField>& fields);

// True when the user pressed OK; each field's selected then holds the
// user's choice. On Cancel the fields are left as they were.
bool RunChoiceDialog(HINSTANCE instance, HWND owner, const std::wstring& title, std::vector<ChoiceField>& fields);

}  // namespace morvane
