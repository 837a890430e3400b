#include "camera_faults.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <iterator>
#include <string>

namespace testcamera {
namespace {

struct FaultName {
  const wchar_t* prefix;
  Fault fault;
  bool counted;
};
const FaultName kFaultNames[] = {
    {L"fail_open", Fault::kFailOpen, false},   {L"fail_start", Fault::kFailStart, false},
    {L"stall:", Fault::kStall, true},          {L"vanish:", Fault::kVanish, true},
    {L"drop:", Fault::kDrop, true},            {L"half", Fault::kHalfRate, false},
    {L"no_times", Fault::kNoTimes, false},     {L"flip:", Fault::kFlip, true},
    {L"relayout:", Fault::kRelayout, true},    {L"shrink:", Fault::kShrink, true},
    {L"unpadded", Fault::kUnpadded, false},    {L"cut:", Fault::kCut, true},
};

struct LayoutName {
  const wchar_t* name;
  Layout layout;
};
const LayoutName kLayoutNames[] = {
    {L"mjpg", Layout::kMjpg},
    {L"yuy2", Layout::kYuy2},
    {L"rgb24", Layout::kRgb24},
};

bool FindLayout(const std::wstring& name, Layout& layout) {
  for (const LayoutName& row : kLayoutNames) {
    if (name != row.name) continue;
    layout = row.layout;
    return true;
  }
  return false;
}

bool ReadVariable(const wchar_t* name, wchar_t (&value)[256]) {
  const DWORD length = ::GetEnvironmentVariableW(name, value, static_cast<DWORD>(std::size(value)));
  return length > 0 && length < std::size(value);
}

// A WxH[/layout] list, separated by commas; false when malformed.
bool ParseSizes(const wchar_t* value, std::vector<Size>& sizes) {
  const wchar_t* rest = value;
  for (;;) {
    wchar_t* end = nullptr;
    const unsigned long width = std::wcstoul(rest, &end, 10);
    if (end == rest || *end != L'x') return false;
    rest = end + 1;
    const unsigned long height = std::wcstoul(rest, &end, 10);
    if (end == rest || width == 0 || height == 0 || width > 4096 || height > 4096) return false;
    sizes.push_back({static_cast<int>(width), static_cast<int>(height)});
    if (*end == L'/') {
      const std::wstring name(end + 1, std::wcscspn(end + 1, L","));
      end += 1 + name.size();
      sizes.back().one_layout = FindLayout(name, sizes.back().layout);
      if (!sizes.back().one_layout) return false;
    }
    if (*end == L'\0') return true;
    if (*end != L',') return false;
    rest = end + 1;
  }
}

}  // namespace

FaultPlan ReadFaultPlan() {
  FaultPlan plan;
  wchar_t value[256];
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

std::vector<Layout> ParseFormatChoice(const wchar_t* value) {
  const std::vector<Layout> fallback = {Layout::kYuy2, Layout::kRgb24};
  if (!value) return fallback;
  std::vector<Layout> layouts;
  std::wstring rest = value;
  for (;;) {
    const size_t comma = rest.find(L',');
    Layout layout;
    if (!FindLayout(rest.substr(0, comma), layout)) return fallback;
    layouts.push_back(layout);
    if (comma == std::wstring::npos) return layouts;
    rest.erase(0, comma + 1);
  }
}

std::vector<Layout> ReadFormatChoice() {
  wchar_t value[256];
  return ParseFormatChoice(ReadVariable(L"MORVANE_TEST_CAMERA_FORMATS", value) ? value : nullptr);
}

std::vector<Size> ParseSizeChoice(const wchar_t* value) {
  std::vector<Size> sizes;
  if (value && ParseSizes(value, sizes)) return sizes;
  return {{640, 480}, {320, 240}};
}

std::vector<Size> ReadSizeChoice() {
  wchar_t value[256];
  return ParseSizeChoice(ReadVariable(L"MORVANE_TEST_CAMERA_SIZES", value) ? value : nullptr);
}

std::vector<Size> ReadPreviewSizes() {
  wchar_t value[256];
  std::vector<Size> sizes;
  if (!ReadVariable(L"MORVANE_TEST_CAMERA_PREVIEW", value) || !ParseSizes(value, sizes)) sizes.clear();
  return sizes;
}

bool ReadPagesOffered() {
  wchar_t value[256];
  return !ReadVariable(L"MORVANE_TEST_CAMERA_PAGES", value) || std::wcscmp(value, L"none") != 0;
}

}  // namespace testcamera
