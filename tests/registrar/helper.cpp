// A library that one test OCX depends on; it lies only beside that OCX.
#include <windows.h>

extern "C" __declspec(dllexport) int HalvernHelperValue() { return 42; }
