// What a scenario tells the stand-in control: the values its properties
// return, the members that fail, the frames a capture raises and the answer
// of CopyFrameToDC. Platform-free, so the parser is also checked natively.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace morvane_double {

enum class MemberKind { kProperty, kReadOnly, kWriteOnly, kMethod };

struct Member {
  long dispid;
  const char* name;
  MemberKind kind;
};

// Every member a container may call, by DISPID.
const Member* FindMember(long dispid);
const Member* FindMember(std::string_view name);

// The events the stand-in raises: index among the eleven, and DISPID.
struct EventId {
  unsigned index;
  long dispid;
  const char* name;
};
extern const EventId kCaptureCompleteEvent;
extern const EventId kStreamFrameEvent;

struct Value {
  enum class Type { kBool, kI2, kI4, kR8, kBstr };
  Type type = Type::kI2;
  double number = 0;
  std::string text;  // UTF-8, for kBstr
};

struct Failure {
  long hresult = 0;
  std::string description;  // UTF-8
};

struct CapturePlan {
  long frames = 0;
  long width = 320;
  long height = 240;
  long delay_ms = 0;
  enum class Complete { kRaised, kGiven, kNone } complete = Complete::kRaised;
  long captured = 0;
  long dropped = 0;
};

struct Script {
  std::map<std::string, Value> values;      // by member name
  std::map<std::string, Failure> failures;  // by member name
  std::vector<std::string> device_names;
  std::map<std::string, CapturePlan> captures;  // by method name
  bool copy_frame_answer = true;
};

struct ParseResult {
  bool ok = true;
  Script script;
  int error_line = 0;
  std::string error;
};

// The defaults (one device, 320 x 240, 15 frames a second, nothing fails)
// with the scenario's lines applied on top.
ParseResult ParseScript(std::string_view text);

}  // namespace morvane_double
