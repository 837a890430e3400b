// The state that a driver script builds up: the program it started and the
// windows it is looking at.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace uidriver {

struct Session {
  HANDLE process = nullptr;  // the program started by `start`, owned
  DWORD processId = 0;
  HWND window = nullptr;     // the current window: target of control commands
  HWND box = nullptr;        // the message box found by expect-msgbox
  DWORD timeoutMs = 5000;    // how long waits and expectations keep trying

  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();

  // Ends the started program if it is still running (after a failure).
  void Abandon();
};

using Args = std::vector<std::string>;

// Runs one command; returns false and fills `error` when it failed.
bool RunCommand(Session& session, const Args& words, std::string& error);

// The command table, for the usage text.
void PrintUsage();

}  // namespace uidriver
