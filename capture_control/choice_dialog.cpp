#include "choice_dialog.h"

#include "guard.h"
#include "messages.h"

namespace morvane {
namespace {

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kComboBoxClass = 0x0085;
constexpr short kRowHeight = 20;
constexpr short kWidth = 220;
constexpr short kActionWidth = 78;

// What the dialog procedure works on.
struct DialogState {
  std::vector<ChoiceField>& fields;
  const std::vector<ChoiceAction>& actions;
};

class TemplateWriter {
 public:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(const std::wstring& text) {
    for (wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  void AlignToDword() {
    if (words_.size() % 2) Word(0);
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD class_atom, const std::wstring& text) {
    AlignToDword();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Word(static_cast<WORD>(x));
    Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(id);
    Word(0xFFFF);
    Word(class_atom);
    Text(text);
    Word(0);  // no creation data
  }
  std::vector<WORD> Take() { return std::move(words_); }

 private:
  std::vector<WORD> words_;
};

std::vector<int> CurrentChoices(HWND dialog, const std::vector<ChoiceField>& fields) {
  std::vector<int> selected;
  for (size_t i = 0; i < fields.size(); ++i) {
    const LRESULT at = ::SendDlgItemMessageW(dialog, kFirstChoiceId + static_cast<int>(i), CB_GETCURSEL, 0, 0);
    selected.push_back(at >= 0 && at < static_cast<LRESULT>(fields[i].choices.size()) ? static_cast<int>(at)
                                                                                      : fields[i].selected);
  }
  return selected;
}

void EnableActions(HWND dialog, const DialogState& state) {
  const std::vector<int> selected = CurrentChoices(dialog, state.fields);
  for (size_t i = 0; i < state.actions.size(); ++i) {
    const bool available = !state.actions[i].available || state.actions[i].available(selected);
    ::EnableWindow(::GetDlgItem(dialog, kFirstActionId + static_cast<int>(i)), available);
  }
}

void OnInitDialog(HWND dialog, const DialogState& state) {
  for (size_t i = 0; i < state.fields.size(); ++i) {
    HWND combo = ::GetDlgItem(dialog, kFirstChoiceId + static_cast<int>(i));
    for (const std::wstring& choice : state.fields[i].choices) {
      ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.c_str()));
    }
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(state.fields[i].selected), 0);
  }
  EnableActions(dialog, state);
}

void OnAction(HWND dialog, const DialogState& state, size_t action) {
  Guard<bool>(
      false,
      [&] {
        state.actions[action].run(dialog, CurrentChoices(dialog, state.fields));
        return true;
      },
      [dialog](const Failure& failure) {
        // The dialog stays: the user may choose something else.
        LogFailure(L"dialog action", failure);
        ::MessageBoxW(dialog, failure.text.c_str(), nullptr, MB_OK | MB_ICONWARNING);
        return false;
      });
}

void OnOk(HWND dialog, std::vector<ChoiceField>& fields) {
  for (size_t i = 0; i < fields.size(); ++i) {
    LRESULT selected = ::SendDlgItemMessageW(dialog, kFirstChoiceId + static_cast<int>(i), CB_GETCURSEL, 0, 0);
    if (selected >= 0 && selected < static_cast<LRESULT>(fields[i].choices.size())) {
      fields[i].selected = static_cast<int>(selected);
    }
  }
  ::EndDialog(dialog, IDOK);
}

INT_PTR Route(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    OnInitDialog(dialog, *reinterpret_cast<DialogState*>(lparam));
    return TRUE;
  }
  auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  if (!state) return FALSE;
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (HIWORD(wparam) == CBN_SELCHANGE) {
        EnableActions(dialog, *state);
        return TRUE;
      }
      if (id >= kFirstActionId && id < kFirstActionId + static_cast<int>(state->actions.size())) {
        OnAction(dialog, *state, static_cast<size_t>(id - kFirstActionId));
        return TRUE;
      }
      switch (id) {
        case IDOK:
          OnOk(dialog, state->fields);
          return TRUE;
        case IDCANCEL:
          ::EndDialog(dialog, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    }
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return Guard<INT_PTR>(
      FALSE, [&] { return Route(dialog, message, wparam, lparam); },
      [dialog](const Failure& failure) {
        // A dialog that cannot go on is closed as if cancelled: nothing is applied.
        LogFailure(L"dialog", failure);
        ::EndDialog(dialog, IDCANCEL);
        return INT_PTR{TRUE};
      });
}

}  // namespace

std::vector<WORD> BuildChoiceTemplate(const std::wstring& title, const std::vector<ChoiceField>& fields,
                                      const std::vector<ChoiceAction>& actions) {
  const short actions_y = static_cast<short>(10 + kRowHeight * static_cast<short>(fields.size()));
  const short buttons_y = static_cast<short>(actions_y + (actions.empty() ? 0 : kRowHeight));
  const short height = static_cast<short>(buttons_y + 22);
  TemplateWriter writer;
  writer.Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  writer.Dword(0);
  writer.Word(static_cast<WORD>(fields.size() * 2 + actions.size() + 2));
  writer.Word(0);
  writer.Word(0);
  writer.Word(static_cast<WORD>(kWidth));
  writer.Word(static_cast<WORD>(height));
  writer.Word(0);  // no menu
  writer.Word(0);  // the standard dialog class
  writer.Text(title);
  writer.Word(9);
  writer.Text(L"MS Shell Dlg");
  for (size_t i = 0; i < fields.size(); ++i) {
    const short y = static_cast<short>(8 + kRowHeight * static_cast<short>(i));
    writer.Item(SS_LEFT, 7, static_cast<short>(y + 2), 80, 10, 0xFFFF, kStaticClass, fields[i].label);
    writer.Item(CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 90, y, kWidth - 97, 120,
                static_cast<WORD>(kFirstChoiceId + i), kComboBoxClass, L"");
  }
  for (size_t i = 0; i < actions.size(); ++i) {
    writer.Item(BS_PUSHBUTTON | WS_TABSTOP, static_cast<short>(7 + (kActionWidth + 5) * static_cast<short>(i)),
                actions_y, kActionWidth, 14, static_cast<WORD>(kFirstActionId + i), kButtonClass, actions[i].label);
  }
  writer.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, kWidth - 120, buttons_y, 55, 14, IDOK, kButtonClass, L"OK");
  writer.Item(BS_PUSHBUTTON | WS_TABSTOP, kWidth - 62, buttons_y, 55, 14, IDCANCEL, kButtonClass, UiText(TextId::kCancel));
  return writer.Take();
}

bool RunChoiceDialog(HINSTANCE instance, HWND owner, const std::wstring& title, std::vector<ChoiceField>& fields,
                     const std::vector<ChoiceAction>& actions) {
  std::vector<WORD> dialog_template = BuildChoiceTemplate(title, fields, actions);
  std::vector<ChoiceField> working = fields;
  DialogState state{working, actions};
  INT_PTR result = ::DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(dialog_template.data()),
                                             owner, &DialogProcedure, reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return false;
  fields = std::move(working);
  return true;
}

}  // namespace morvane
