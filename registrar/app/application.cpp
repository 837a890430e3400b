#include "application.h"

namespace halvern {

const Application::CommandEntry Application::kCommands[] = {
    {kCommandHelp, &Application::OnHelp},
    {kCommandAppExit, &Application::OnAppExit},
};

Application& Application::Instance() {
  static Application application;
  return application;
}

std::wstring ApplicationNameFromPath(const std::wstring& module_path) {
  const size_t slash = module_path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? module_path : module_path.substr(slash + 1);
  const size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) name.erase(dot);
  return name;
}

void Application::Initialise(HINSTANCE instance) {
  instance_ = instance;
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    const std::wstring name = ApplicationNameFromPath(path);
    if (!name.empty()) name_ = name;
  }
}

int Application::ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title, UINT style) const {
  return MessageBoxW(owner, text.c_str(), title.empty() ? name_.c_str() : title.c_str(), style);
}

bool Application::OnCommand(UINT id) {
  for (const CommandEntry& entry : kCommands) {
    if (entry.id == id) {
      (this->*entry.handler)();
      return true;
    }
  }
  return false;
}

void Application::RequestExit() { OnAppExit(); }

// No help file belongs to the tool: the default handler only signals that
// there is nothing to show.
void Application::OnHelp() { MessageBeep(MB_OK); }

void Application::OnAppExit() {
  exit_requested_ = true;
  if (main_window_) PostMessageW(main_window_, WM_CLOSE, 0, 0);
}

}  // namespace halvern
