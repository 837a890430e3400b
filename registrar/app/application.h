// The application object: the tool's name, its main window and its command table.
#pragma once

#include <windows.h>

#include <string>

namespace halvern {

// Standard command ids of the dialog framework this tool follows.
constexpr UINT kCommandAppExit = 0xE141;
constexpr UINT kCommandHelp = 0xE146;

class Application {
 public:
  static Application& Instance();

  // The name is the executable's file name without its extension; message
  // boxes shown without a title of their own carry it.
  void Initialise(HINSTANCE instance);
  HINSTANCE instance() const { return instance_; }
  const std::wstring& name() const { return name_; }

  void SetMainWindow(HWND window) { main_window_ = window; }
  HWND main_window() const { return main_window_; }

  // A modal box; an empty title means the application's name.
  int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title, UINT style) const;

  // Runs the command if the application's table has it.
  bool OnCommand(UINT id);

  // Asks the tool to end: closes the main window, or, before there is one,
  // keeps the request so that the main dialog never runs.
  void RequestExit();
  bool exit_requested() const { return exit_requested_; }

 private:
  Application() = default;
  void OnHelp();
  void OnAppExit();

  HINSTANCE instance_ = nullptr;
  std::wstring name_ = L"Halvern";
  HWND main_window_ = nullptr;
  bool exit_requested_ = false;

  struct CommandEntry {
    UINT id;
    void (Application::*handler)();
  };
  static const CommandEntry kCommands[];
};

// The file name of a module path without directory and extension.
std::wstring ApplicationNameFromPath(const std::wstring& module_path);

}  // namespace halvern
