#include "forms/startup_timeline.h"

namespace forms {
namespace {

// Constant-initialised, so a recorder installed by another file's static
// object before the entry point is not overwritten.
StartupRecorder* installed = nullptr;

}  // namespace

void InstallStartupRecorder(StartupRecorder* recorder) { installed = recorder; }

void MarkStartup(const char* name) {
  if (installed != nullptr) installed->Mark(name);
}

void FinishStartupTimeline() {
  if (installed != nullptr) installed->Finish();
}

}  // namespace forms
