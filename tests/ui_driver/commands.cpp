// The driver's commands: one handler each, found through one table.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "msgbox.h"
#include "session.h"
#include "text.h"
#include "window_text.h"

namespace uidriver {

namespace {

using Handler = bool (*)(Session&, const Args&, std::string&);

struct Command {
  const char* name;
  size_t minArgs;
  size_t maxArgs;
  Handler handler;
  const char* usage;
};

// ---- helpers ---------------------------------------------------------------

// Unix paths from the Linux side of a test reach Wine's programs through drive Z:.
std::wstring WindowsPath(const std::string& path) {
  std::wstring wide = Widen(path);
  if (!wide.empty() && wide[0] == L'/') {
    for (wchar_t& c : wide) {
      if (c == L'/') c = L'\\';
    }
    wide = L"Z:" + wide;
  }
  return wide;
}

// Retries `probe` until it succeeds or the session's timeout passes.
template <typename Probe>
bool WaitFor(const Session& session, DWORD timeoutMs, Probe probe) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (probe()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
  }
  (void)session;
}

DWORD TimeoutArg(const Session& session, const Args& args, size_t index) {
  long value = 0;
  if (args.size() > index && ParseNumber(args[index], value) && value >= 0) return static_cast<DWORD>(value);
  return session.timeoutMs;
}

// Lets the target program handle what was posted to it before the next step.
void Settle(const Session& session) {
  if (session.process) WaitForInputIdle(session.process, 500);
}

struct FindTopData {
  std::wstring wanted;
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindTopProc(HWND hwnd, LPARAM lparam) {
  auto* data = reinterpret_cast<FindTopData*>(lparam);
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (data->processId) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != data->processId) return TRUE;
  }
  // GetWindowTextW reads another process's caption without sending it a
  // message, so a window that is busy or closing cannot stall the search.
  wchar_t title[256] = {};
  GetWindowTextW(hwnd, title, 256);
  if (data->wanted == title || ClassOf(hwnd) == data->wanted) {
    data->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// A visible top-level window by title or class, in the started program when there is one.
HWND FindTopWindow(const Session& session, const std::string& titleOrClass) {
  FindTopData data = {Widen(titleOrClass), session.processId, nullptr};
  EnumWindows(FindTopProc, reinterpret_cast<LPARAM>(&data));
  return data.found;
}

bool NeedWindow(const Session& session, std::string& error) {
  if (session.window && IsWindow(session.window)) return true;
  error = "no current window (use wait-window first)";
  return false;
}

bool Control(const Session& session, const std::string& idText, HWND& control, std::string& error) {
  if (!NeedWindow(session, error)) return false;
  long id = 0;
  if (!ParseNumber(idText, id)) {
    error = "not a control id: " + idText;
    return false;
  }
  control = GetDlgItem(session.window, static_cast<int>(id));
  if (!control) {
    error = "no control with id " + idText + " in the current window";
    return false;
  }
  return true;
}

// Keyboard input to a combo box goes to the edit field inside it.
HWND KeyTarget(HWND control) {
  const std::wstring cls = ClassOf(control);
  if (cls == L"ComboBox" || cls == L"ComboBoxEx32") {
    HWND inner = FindWindowExW(control, nullptr, L"ComboBox", nullptr);
    HWND edit = FindWindowExW(inner ? inner : control, nullptr, L"Edit", nullptr);
    if (edit) return edit;
  }
  return control;
}

bool MoveFocus(HWND control, std::string& error) {
  const DWORD target = GetWindowThreadProcessId(control, nullptr);
  const DWORD self = GetCurrentThreadId();
  if (!AttachThreadInput(self, target, TRUE)) {
    error = "AttachThreadInput failed, error " + std::to_string(GetLastError());
    return false;
  }
  SetForegroundWindow(GetAncestor(control, GA_ROOT));
  SetFocus(control);
  AttachThreadInput(self, target, FALSE);
  return true;
}

HWND FocusOf(HWND control) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(control, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

struct KeyName {
  const char* name;
  WORD vk;
};

const KeyName kKeys[] = {
    {"enter", VK_RETURN}, {"esc", VK_ESCAPE}, {"tab", VK_TAB},   {"space", VK_SPACE},
    {"f1", VK_F1},        {"up", VK_UP},      {"down", VK_DOWN}, {"back", VK_BACK},
};

bool ReadFile(const std::string& path, std::string& contents, std::string& error) {
  std::ifstream in(WindowsPath(path).c_str(), std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

std::string Quote(const std::wstring& text) { return "\"" + Narrow(text) + "\""; }

// ---- commands --------------------------------------------------------------

bool DoStart(Session& session, const Args& args, std::string& error) {
  if (session.process) {
    error = "a program was already started";
    return false;
  }
  const std::wstring exe = WindowsPath(args[1]);
  std::wstring commandLine = L"\"" + exe + L"\"";
  for (size_t i = 2; i < args.size(); ++i) commandLine += L" \"" + Widen(args[i]) + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    error = "cannot start " + args[1] + ", error " + std::to_string(GetLastError());
    return false;
  }
  CloseHandle(info.hThread);
  session.process = info.hProcess;
  session.processId = info.dwProcessId;
  WaitForInputIdle(session.process, session.timeoutMs);
  return true;
}

bool DoWaitWindow(Session& session, const Args& args, std::string& error) {
  HWND found = nullptr;
  if (!WaitFor(session, TimeoutArg(session, args, 2), [&] { return (found = FindTopWindow(session, args[1])) != nullptr; })) {
    error = "no window \"" + args[1] + "\" appeared";
    return false;
  }
  // A window can be found while its program is still setting it up (a dialog
  // whose template is visible shows before its initialisation has filled the
  // fields). A message sent to it returns only once that thread is back in its
  // message loop, so what the script does next meets a finished window.
  DWORD_PTR result = 0;
  SendMessageTimeoutW(found, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, session.timeoutMs, &result);
  session.window = found;
  return true;
}

bool DoWaitGone(Session& session, const Args& args, std::string& error) {
  if (!WaitFor(session, TimeoutArg(session, args, 2), [&] { return FindTopWindow(session, args[1]) == nullptr; })) {
    error = "window \"" + args[1] + "\" is still there";
    return false;
  }
  return true;
}

bool DoSetText(Session& session, const Args& args, std::string& error) {
  HWND control = nullptr;
  if (!Control(session, args[1], control, error)) return false;
  const std::wstring text = Widen(args[2]);
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                           session.timeoutMs, &result)) {
    error = "WM_SETTEXT did not return";
    return false;
  }
  return true;
}

bool DoType(Session& session, const Args& args, std::string& error) {
  HWND control = nullptr;
  if (!Control(session, args[1], control, error)) return false;
  HWND target = KeyTarget(control);
  if (!MoveFocus(target, error)) return false;
  for (wchar_t c : Widen(args[2])) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(target, WM_CHAR, c, 1, SMTO_ABORTIFHUNG, session.timeoutMs, &result);
  }
  return true;
}

bool DoKey(Session& session, const Args& args, std::string& error) {
  HWND control = nullptr;
  if (!Control(session, args[1], control, error)) return false;
  WORD vk = 0;
  for (const KeyName& key : kKeys) {
    if (args[2] == key.name) vk = key.vk;
  }
  long number = 0;
  if (!vk && ParseNumber(args[2], number)) vk = static_cast<WORD>(number);
  if (!vk) {
    error = "unknown key " + args[2];
    return false;
  }
  HWND target = KeyTarget(control);
  const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  PostMessageW(target, WM_KEYDOWN, vk, 1 | (static_cast<LPARAM>(scan) << 16));
  PostMessageW(target, WM_KEYUP, vk, 1 | (static_cast<LPARAM>(scan) << 16) | (3u << 30));
  Settle(session);
  return true;
}

bool DoClick(Session& session, const Args& args, std::string& error) {
  HWND control = nullptr;
  if (!Control(session, args[1], control, error)) return false;
  PostMessageW(control, BM_CLICK, 0, 0);
  Settle(session);
  return true;
}

bool DoFocus(Session& session, const Args& args, std::string& error) {
  HWND control = nullptr;
  if (!Control(session, args[1], control, error)) return false;
  return MoveFocus(KeyTarget(control), error);
}

bool DoExpectFocus(Session& session, const Args& args, std::string& error) {
  HWND control = nullptr;
  if (!Control(session, args[1], control, error)) return false;
  HWND target = KeyTarget(control);
  if (!WaitFor(session, session.timeoutMs, [&] { return FocusOf(target) == target; })) {
    error = "control " + args[1] + " does not have the focus";
    return false;
  }
  return true;
}

bool DoExpectText(Session& session, const Args& args, std::string& error) {
  HWND control = nullptr;
  if (!Control(session, args[1], control, error)) return false;
  const std::wstring wanted = Widen(args[2]);
  std::wstring seen;
  if (!WaitFor(session, session.timeoutMs, [&] { return (seen = TextOf(control)) == wanted; })) {
    error = "control " + args[1] + " shows " + Quote(seen) + ", expected " + Quote(wanted);
    return false;
  }
  return true;
}

bool DoGetText(Session& session, const Args& args, std::string& error) {
  HWND control = nullptr;
  if (!Control(session, args[1], control, error)) return false;
  std::printf("text %s %s\n", args[1].c_str(), Quote(TextOf(control)).c_str());
  return true;
}

bool DoExpectTitle(Session& session, const Args& args, std::string& error) {
  if (!NeedWindow(session, error)) return false;
  const std::wstring seen = TextOf(session.window);
  if (seen != Widen(args[1])) {
    error = "window title is " + Quote(seen);
    return false;
  }
  return true;
}

bool DoCheckState(Session& session, const Args& args, std::string& error) {
  HWND control = nullptr;
  if (!Control(session, args[1], control, error)) return false;
  long wanted = 0;
  if (!ParseNumber(args[2], wanted)) {
    error = "not a number: " + args[2];
    return false;
  }
  DWORD_PTR state = 0;
  if (!WaitFor(session, session.timeoutMs, [&] {
        return SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state) &&
               static_cast<long>(state) == wanted;
      })) {
    error = "control " + args[1] + " has check state " + std::to_string(state);
    return false;
  }
  return true;
}

bool DoExpectEnabled(Session& session, const Args& args, std::string& error) {
  HWND control = nullptr;
  if (!Control(session, args[1], control, error)) return false;
  const bool wanted = args[2] != "0";
  if (!WaitFor(session, session.timeoutMs, [&] { return (IsWindowEnabled(control) != FALSE) == wanted; })) {
    error = "control " + args[1] + (wanted ? " is disabled" : " is enabled");
    return false;
  }
  return true;
}

bool DoExpectMsgbox(Session& session, const Args& args, std::string& error) {
  BoxIcon wantedIcon = BoxIcon::Unknown;
  if (!ParseBoxIcon(args[3], wantedIcon)) {
    error = "unknown icon " + args[3] + " (none, stop, info, question, exclamation)";
    return false;
  }
  HWND box = nullptr;
  if (!WaitFor(session, session.timeoutMs,
               [&] { return (box = FindOwnedBox(session.window, session.processId)) != nullptr; })) {
    error = "no message box appeared";
    return false;
  }
  session.box = box;
  // The box fills in its text while it initialises; give it a moment.
  BoxContents seen;
  const std::wstring text = Widen(args[1]), title = Widen(args[2]);
  WaitFor(session, 1000, [&] {
    seen = ReadBox(box);
    return seen.text == text && seen.title == title && seen.icon == wantedIcon;
  });
  if (seen.text != text) error += "text " + Quote(seen.text) + " (expected " + Quote(text) + ") ";
  if (seen.title != title) error += "title " + Quote(seen.title) + " (expected " + Quote(title) + ") ";
  if (seen.icon != wantedIcon) error += std::string("icon ") + BoxIconName(seen.icon) + " (expected " + args[3] + ") ";
  if (session.window && IsWindowEnabled(session.window)) error += "owner window is not disabled (box not modal) ";
  return error.empty();
}

bool DoAnswer(Session& session, const Args& args, std::string& error) {
  if (!session.box || !IsWindow(session.box)) {
    error = "no message box to answer (use expect-msgbox first)";
    return false;
  }
  int id = 0;
  long number = 0;
  if (!ButtonIdByName(args[1], id)) {
    if (!ParseNumber(args[1], number)) {
      error = "unknown button " + args[1];
      return false;
    }
    id = static_cast<int>(number);
  }
  HWND button = GetDlgItem(session.box, id);
  if (!button) {
    error = "the message box has no button " + args[1];
    return false;
  }
  PostMessageW(button, BM_CLICK, 0, 0);
  HWND box = session.box;
  session.box = nullptr;
  if (!WaitFor(session, session.timeoutMs, [&] { return !IsWindow(box) || !IsWindowVisible(box); })) {
    error = "the message box did not close";
    return false;
  }
  return true;
}

bool DoExpectNoMsgbox(Session& session, const Args& args, std::string& error) {
  const DWORD wait = TimeoutArg(session, args, 1);
  const ULONGLONG deadline = GetTickCount64() + wait;
  do {
    if (HWND box = FindOwnedBox(session.window, session.processId)) {
      error = "unexpected message box " + Quote(ReadBox(box).text);
      return false;
    }
    Sleep(20);
  } while (GetTickCount64() < deadline);
  return true;
}

bool DoCloseWindow(Session& session, const Args& args, std::string& error) {
  HWND target = session.window;
  if (args.size() > 1) target = FindTopWindow(session, args[1]);
  if (!target || !IsWindow(target)) {
    error = "no window to close";
    return false;
  }
  PostMessageW(target, WM_CLOSE, 0, 0);
  Settle(session);
  return true;
}

// Posts message with the command id given as the first argument to the
// current window, as a menu or an accelerator would.
bool PostCommandId(Session& session, const Args& args, std::string& error, UINT message) {
  if (!NeedWindow(session, error)) return false;
  long id = 0;
  if (!ParseNumber(args[1], id)) {
    error = "not a command id: " + args[1];
    return false;
  }
  PostMessageW(session.window, message, static_cast<WPARAM>(id), 0);
  Settle(session);
  return true;
}

bool DoSysCommand(Session& session, const Args& args, std::string& error) {
  return PostCommandId(session, args, error, WM_SYSCOMMAND);
}

bool DoPostCommand(Session& session, const Args& args, std::string& error) {
  return PostCommandId(session, args, error, WM_COMMAND);
}

bool ClientRect(const Session& session, HWND control, RECT& rect) {
  if (!GetWindowRect(control, &rect)) return false;
  MapWindowPoints(nullptr, session.window, reinterpret_cast<POINT*>(&rect), 2);
  return true;
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
         std::to_string(r.bottom);
}

bool DoRect(Session& session, const Args& args, std::string& error) {
  HWND control = nullptr;
  if (!Control(session, args[1], control, error)) return false;
  RECT rect = {};
  ClientRect(session, control, rect);
  std::printf("rect %s %s\n", args[1].c_str(), RectText(rect).c_str());
  return true;
}

bool DoExpectRect(Session& session, const Args& args, std::string& error) {
  HWND control = nullptr;
  if (!Control(session, args[1], control, error)) return false;
  long v[4] = {};
  for (int i = 0; i < 4; ++i) {
    if (!ParseNumber(args[2 + i], v[i])) {
      error = "not a number: " + args[2 + i];
      return false;
    }
  }
  RECT rect = {};
  ClientRect(session, control, rect);
  if (rect.left != v[0] || rect.top != v[1] || rect.right != v[2] || rect.bottom != v[3]) {
    error = "control " + args[1] + " is at " + RectText(rect);
    return false;
  }
  return true;
}

bool DoWindowRect(Session& session, const Args& args, std::string& error) {
  HWND target = session.window;
  if (args.size() > 1) target = FindTopWindow(session, args[1]);
  if (!target) {
    error = "no such window";
    return false;
  }
  RECT window = {}, client = {};
  GetWindowRect(target, &window);
  GetClientRect(target, &client);
  std::printf("window-rect %s client %ld %ld\n", RectText(window).c_str(), client.right, client.bottom);
  return true;
}

bool DoExpectExit(Session& session, const Args& args, std::string& error) {
  if (!session.process) {
    error = "no program was started";
    return false;
  }
  if (WaitForSingleObject(session.process, TimeoutArg(session, args, 1)) != WAIT_OBJECT_0) {
    error = "the program did not end";
    return false;
  }
  DWORD code = 0;
  GetExitCodeProcess(session.process, &code);
  long wanted = 0;
  if (args.size() > 2 && ParseNumber(args[2], wanted) && static_cast<DWORD>(wanted) != code) {
    error = "the program ended with code " + std::to_string(code);
    return false;
  }
  CloseHandle(session.process);
  session.process = nullptr;
  session.processId = 0;
  session.window = nullptr;
  return true;
}

bool DoSleep(Session&, const Args& args, std::string& error) {
  long ms = 0;
  if (!ParseNumber(args[1], ms) || ms < 0) {
    error = "not a duration: " + args[1];
    return false;
  }
  Sleep(static_cast<DWORD>(ms));
  return true;
}

bool DoTimeout(Session& session, const Args& args, std::string& error) {
  long ms = 0;
  if (!ParseNumber(args[1], ms) || ms < 0) {
    error = "not a duration: " + args[1];
    return false;
  }
  session.timeoutMs = static_cast<DWORD>(ms);
  return true;
}

bool DoFileContains(Session& session, const Args& args, std::string& error) {
  std::string contents;
  const bool found = WaitFor(session, session.timeoutMs, [&] {
    std::string ignored;
    return ReadFile(args[1], contents, ignored) && contents.find(args[2]) != std::string::npos;
  });
  if (!found) error = args[1] + " does not contain \"" + args[2] + "\"";
  return found;
}

bool DoFileLacks(Session&, const Args& args, std::string& error) {
  std::string contents;
  if (!ReadFile(args[1], contents, error)) {
    error.clear();  // a missing file lacks everything
    return true;
  }
  if (contents.find(args[2]) != std::string::npos) {
    error = args[1] + " contains \"" + args[2] + "\"";
    return false;
  }
  return true;
}

bool DoDeleteFile(Session&, const Args& args, std::string& error) {
  if (!DeleteFileW(WindowsPath(args[1]).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
    error = "cannot delete " + args[1] + ", error " + std::to_string(GetLastError());
    return false;
  }
  return true;
}

bool DoExpectNoWindow(Session& session, const Args& args, std::string& error) {
  const ULONGLONG deadline = GetTickCount64() + TimeoutArg(session, args, 2);
  do {
    if (FindTopWindow(session, args[1])) {
      error = "window \"" + args[1] + "\" is there";
      return false;
    }
    Sleep(20);
  } while (GetTickCount64() < deadline);
  return true;
}

bool DoPrint(Session&, const Args& args, std::string&) {
  for (size_t i = 1; i < args.size(); ++i) std::printf("%s%s", i > 1 ? " " : "", args[i].c_str());
  std::printf("\n");
  return true;
}

const Command kCommands[] = {
    {"start", 1, 64, DoStart, "start <exe> [args...]: start a program (Unix paths map to Z:)"},
    {"wait-window", 1, 2, DoWaitWindow, "wait-window <title-or-class> [ms]: wait for it, make it current"},
    {"wait-gone", 1, 2, DoWaitGone, "wait-gone <title-or-class> [ms]: wait until no such window shows"},
    {"set-text", 2, 2, DoSetText, "set-text <id> <text>: WM_SETTEXT"},
    {"type", 2, 2, DoType, "type <id> <text>: focus the control, then one WM_CHAR per character"},
    {"key", 2, 2, DoKey, "key <id> <enter|esc|tab|space|f1|up|down|back|vk>: post key down and up"},
    {"click", 1, 1, DoClick, "click <id>: post BM_CLICK"},
    {"focus", 1, 1, DoFocus, "focus <id>: move the keyboard focus there for real"},
    {"expect-focus", 1, 1, DoExpectFocus, "expect-focus <id>: the control has the keyboard focus"},
    {"expect-text", 2, 2, DoExpectText, "expect-text <id> <text>: the control shows exactly this text"},
    {"get-text", 1, 1, DoGetText, "get-text <id>: print the control's text"},
    {"expect-title", 1, 1, DoExpectTitle, "expect-title <text>: the current window's title"},
    {"check-state", 2, 2, DoCheckState, "check-state <id> <n>: BM_GETCHECK answers n"},
    {"expect-enabled", 2, 2, DoExpectEnabled, "expect-enabled <id> <0|1>"},
    {"expect-msgbox", 3, 3, DoExpectMsgbox,
     "expect-msgbox <text> <title> <none|stop|info|question|exclamation>: a modal box owned by the current window"},
    {"answer", 1, 1, DoAnswer, "answer <ok|cancel|yes|no|abort|retry|ignore|id>: click it, wait until the box closes"},
    {"expect-no-msgbox", 0, 1, DoExpectNoMsgbox, "expect-no-msgbox [ms]: no box appears within ms (default timeout)"},
    {"close-window", 0, 1, DoCloseWindow, "close-window [title]: post WM_CLOSE"},
    {"sys-command", 1, 1, DoSysCommand, "sys-command <id>: post WM_SYSCOMMAND to the current window"},
    {"command", 1, 1, DoPostCommand, "command <id>: post WM_COMMAND to the current window"},
    {"rect", 1, 1, DoRect, "rect <id>: print the control's rectangle in client coordinates"},
    {"expect-rect", 5, 5, DoExpectRect, "expect-rect <id> <left> <top> <right> <bottom>"},
    {"window-rect", 0, 1, DoWindowRect, "window-rect [title]: print screen rectangle and client size"},
    {"expect-exit", 0, 2, DoExpectExit, "expect-exit [ms] [code]: the started program ends"},
    {"sleep", 1, 1, DoSleep, "sleep <ms>"},
    {"timeout", 1, 1, DoTimeout, "timeout <ms>: default wait for later commands (5000)"},
    {"file-contains", 2, 2, DoFileContains, "file-contains <path> <text>: waits until the file holds the text"},
    {"file-lacks", 2, 2, DoFileLacks, "file-lacks <path> <text>: the file does not hold the text now"},
    {"delete-file", 1, 1, DoDeleteFile, "delete-file <path>: remove a file if it exists"},
    {"expect-no-window", 1, 2, DoExpectNoWindow, "expect-no-window <title-or-class> [ms]: none shows up within ms"},
    {"print", 0, 64, DoPrint, "print <words...>: echo to standard output"},
};

}  // namespace

Session::~Session() { Abandon(); }

void Session::Abandon() {
  if (process) {
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 255);
    CloseHandle(process);
    process = nullptr;
  }
}

bool RunCommand(Session& session, const Args& words, std::string& error) {
  for (const Command& command : kCommands) {
    if (words[0] != command.name) continue;
    const size_t argc = words.size() - 1;
    if (argc < command.minArgs || argc > command.maxArgs) {
      error = std::string("usage: ") + command.usage;
      return false;
    }
    return command.handler(session, words, error);
  }
  error = "unknown command " + words[0];
  return false;
}

void PrintUsage() {
  std::printf("usage: uidriver [script-file]   (reads the script from standard input without one)\n");
  for (const Command& command : kCommands) std::printf("  %s\n", command.usage);
}

}  // namespace uidriver
