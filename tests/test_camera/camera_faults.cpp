#include "camera_faults.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <iterator>

namespace testcamera {
namespace {

struct FaultName {
  const wchar_t* prefix;
  Fault fault;
  bool counted;
};
const FaultName kFaultNames[] = {
    {L"fail_start", Fault::kFailStart, false},
    {L"stall:", Fault::kStall, true},
    {L"vanish:", Fault::kVanish, true},
    {L"drop:", Fault::kDrop, true},
};

bool ReadVariable(const wchar_t* name, wchar_t (&value)[64]) {
  const DWORD length = ::GetEnvironmentVariableW(name, value, static_cast<DWORD>(std::size(value)));
  return length > 0 && length < std::size(value);
}

}  // namespace

FaultPlan ReadFaultPlan() {
  FaultPlan plan;
  wchar_t value[64];
  if (!ReadVariable(L"MORVANE_TEST_CAMERA_FAULT", value)) return plan;
  for (const FaultName& name : kFaultNames) {
    const size_t length = std::wcslen(name.prefix);
    if (std::wcsncmp(value, name.prefix, length) != 0) continue;
    if (name.counted) {
      if (!std::iswdigit(value[length])) return plan;
      plan.after_frames = static_cast<std::int64_t>(std::wcstoul(value + length, nullptr, 10));
    }
    plan.fault = name.fault;
    return plan;
  }
  return plan;
}

FormatChoice ReadFormatChoice() {
  FormatChoice choice;
  wchar_t value[64];
  if (!ReadVariable(L"MORVANE_TEST_CAMERA_FORMATS", value)) return choice;
  choice.rgb24 = std::wcscmp(value, L"yuy2") != 0;
  choice.yuy2 = std::wcscmp(value, L"rgb24") != 0;
  return choice;
}

}  // namespace testcamera
