// Named marks of the program's start-up. The program records nothing of its
// own and reads nothing from its surroundings: the start-up benchmark builds
// the program with a recorder of its own installed before the entry point
// runs, and the marks go there. Without one a mark costs one test of a
// pointer.
#pragma once

namespace forms {

class StartupRecorder {
 public:
  // Names are string literals: they may be kept, not copied.
  virtual void Mark(const char* name) noexcept = 0;
  // The last mark has been made.
  virtual void Finish() noexcept = 0;

 protected:
  ~StartupRecorder() = default;
};

// Installed once, before the program's first mark.
void InstallStartupRecorder(StartupRecorder* recorder);

void MarkStartup(const char* name);
void FinishStartupTimeline();

}  // namespace forms
