// Named marks of the program's start-up, for the start-up benchmark. When
// the environment variable SAMPLE_STARTUP_TIMELINE names a file, each mark
// records the microseconds since the process was created, and Finish writes
// them there, one "<microseconds> <name>" line each. Without the variable a
// mark costs one test of a flag.
#pragma once

namespace forms {

// Names must be string literals: they are kept, not copied.
void MarkStartup(const char* name);

// Writes the marks once; later calls and later marks do nothing.
void FinishStartupTimeline();

}  // namespace forms
