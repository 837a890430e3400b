#include "double_script.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace morvane_double {
namespace {

constexpr Member kMembers[] = {
    {1, "CaptureFileName", MemberKind::kProperty},
    {2, "Preview", MemberKind::kProperty},
    {3, "AudioRecording", MemberKind::kProperty},
    {4, "CaptureRate", MemberKind::kProperty},
    {5, "StatusWindow", MemberKind::kWriteOnly},
    {6, "ConfirmBeforeCapture", MemberKind::kProperty},
    {7, "TimeLimitEnabled", MemberKind::kProperty},
    {8, "TimeLimit", MemberKind::kProperty},
    {9, "Overlay", MemberKind::kProperty},
    {10, "PreviewRate", MemberKind::kProperty},
    {11, "DeviceIndex", MemberKind::kProperty},
    {12, "StopOnLeftClick", MemberKind::kProperty},
    {13, "StopOnRightClick", MemberKind::kProperty},
    {17, "CallbackEnabled", MemberKind::kProperty},
    {18, "HasFormatDialog", MemberKind::kReadOnly},
    {19, "HasSourceDialog", MemberKind::kReadOnly},
    {21, "HasOverlay", MemberKind::kReadOnly},
    {22, "CaptureWidth", MemberKind::kProperty},
    {23, "CaptureHeight", MemberKind::kProperty},
    {24, "DeviceCount", MemberKind::kReadOnly},
    {25, "SaveCaptureFile", MemberKind::kMethod},
    {26, "StartCapture", MemberKind::kMethod},
    {27, "ShowFormatDialog", MemberKind::kMethod},
    {28, "ShowSourceDialog", MemberKind::kMethod},
    {29, "ShowAudioDialog", MemberKind::kMethod},
    {31, "SaveBitmap", MemberKind::kMethod},
    {32, "CopyToClipboard", MemberKind::kMethod},
    {33, "CopyFrameToDC", MemberKind::kMethod},
    {34, "ShowCompressionDialog", MemberKind::kMethod},
    {35, "StartStreamCapture", MemberKind::kMethod},
    {36, "DeviceName", MemberKind::kMethod},
};

struct DefaultValue {
  const char* member;
  Value::Type type;
  double number;
  const char* text;
};

// What a freshly created control reports before a scenario says otherwise.
constexpr DefaultValue kDefaults[] = {
    {"CaptureFileName", Value::Type::kBstr, 0, "C:\\TEMP\\CAPTURE.AVI"},
    {"Preview", Value::Type::kBool, 0, ""},
    {"AudioRecording", Value::Type::kBool, 0, ""},
    {"CaptureRate", Value::Type::kR8, 15, ""},
    {"ConfirmBeforeCapture", Value::Type::kBool, 0, ""},
    {"TimeLimitEnabled", Value::Type::kBool, 0, ""},
    {"TimeLimit", Value::Type::kR8, 0, ""},
    {"Overlay", Value::Type::kBool, 0, ""},
    {"PreviewRate", Value::Type::kR8, 15, ""},
    {"DeviceIndex", Value::Type::kI2, 0, ""},
    {"StopOnLeftClick", Value::Type::kBool, 0, ""},
    {"StopOnRightClick", Value::Type::kBool, 0, ""},
    {"CallbackEnabled", Value::Type::kBool, 0, ""},
    {"HasFormatDialog", Value::Type::kBool, -1, ""},
    {"HasSourceDialog", Value::Type::kBool, -1, ""},
    {"HasOverlay", Value::Type::kBool, 0, ""},
    {"CaptureWidth", Value::Type::kR8, 320, ""},
    {"CaptureHeight", Value::Type::kR8, 240, ""},
    {"DeviceCount", Value::Type::kI2, 1, ""},
};

struct TypeName {
  const char* name;
  Value::Type type;
};
constexpr TypeName kTypeNames[] = {
    {"bool", Value::Type::kBool}, {"i2", Value::Type::kI2},     {"i4", Value::Type::kI4},
    {"r8", Value::Type::kR8},     {"bstr", Value::Type::kBstr},
};

// Splits a line into words; "..." keeps blanks, \" and \\ inside quotes.
bool SplitWords(std::string_view line, std::vector<std::string>* words, std::string* error) {
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size()) break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) c = line[i++];
        word += c;
      }
      if (!closed) {
        *error = "unclosed quote";
        return false;
      }
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') word += line[i++];
    }
    words->push_back(word);
  }
  return true;
}

bool ParseNumber(const std::string& text, double* out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (errno == ERANGE || end != text.c_str() + text.size()) return false;
  *out = v;
  return true;
}

bool ParseLong(const std::string& text, long* out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  // Base 0: HRESULTs are written in hexadecimal.
  long long v = std::strtoll(text.c_str(), &end, 0);
  if (errno == ERANGE || end != text.c_str() + text.size()) return false;
  if (v < -2147483648LL || v > 4294967295LL) return false;
  // 0x80004005 and -2147467259 name the same HRESULT.
  *out = static_cast<long>(v > 2147483647LL ? v - 4294967296LL : v);
  return true;
}

std::string Join(const std::vector<std::string>& words, size_t from) {
  std::string out;
  for (size_t i = from; i < words.size(); ++i) {
    if (i > from) out += ' ';
    out += words[i];
  }
  return out;
}

class Parser {
 public:
  explicit Parser(Script* script) : script_(script) {}

  // Returns an empty string when the line is good, else what is wrong with it.
  std::string Line(const std::vector<std::string>& w) {
    const std::string& verb = w[0];
    if (verb == "get") return Get(w);
    if (verb == "device") return Device(w);
    if (verb == "fail") return Fail(w);
    if (verb == "capture") return Capture(w);
    if (verb == "copyframe") return CopyFrame(w);
    return "unknown directive '" + verb + "'";
  }

 private:
  std::string Get(const std::vector<std::string>& w) {
    if (w.size() != 4) return "get needs: get <member> <bool|i2|i4|r8|bstr> <value>";
    const Member* m = FindMember(w[1]);
    if (!m || m->kind == MemberKind::kMethod || m->kind == MemberKind::kWriteOnly) {
      return "'" + w[1] + "' is not a readable property";
    }
    Value value;
    bool known_type = false;
    for (const TypeName& t : kTypeNames) {
      if (w[2] == t.name) {
        value.type = t.type;
        known_type = true;
      }
    }
    if (!known_type) return "unknown type '" + w[2] + "'";
    if (value.type == Value::Type::kBstr) {
      value.text = w[3];
    } else if (value.type == Value::Type::kBool && (w[3] == "true" || w[3] == "false")) {
      value.number = w[3] == "true" ? -1 : 0;
    } else if (!ParseNumber(w[3], &value.number)) {
      return "'" + w[3] + "' is not a number";
    }
    script_->values[m->name] = value;
    return {};
  }

  std::string Device(const std::vector<std::string>& w) {
    long index = 0;
    if (w.size() != 3 || !ParseLong(w[1], &index) || index < 0 || index > 255) {
      return "device needs: device <index 0..255> <name>";
    }
    auto& names = script_->device_names;
    if (names.size() <= static_cast<size_t>(index)) names.resize(static_cast<size_t>(index) + 1);
    names[static_cast<size_t>(index)] = w[2];
    return {};
  }

  std::string Fail(const std::vector<std::string>& w) {
    Failure f;
    if (w.size() < 3 || !ParseLong(w[2], &f.hresult)) return "fail needs: fail <member> <hresult> [description]";
    if (!FindMember(w[1])) return "unknown member '" + w[1] + "'";
    if (f.hresult >= 0) return "a failure needs a negative HRESULT";
    f.description = Join(w, 3);
    script_->failures[w[1]] = f;
    return {};
  }

  std::string Capture(const std::vector<std::string>& w) {
    if (w.size() < 2 || (w[1] != "StartCapture" && w[1] != "StartStreamCapture")) {
      return "capture needs: capture <StartCapture|StartStreamCapture> key=value...";
    }
    CapturePlan plan;
    for (size_t i = 2; i < w.size(); ++i) {
      const size_t eq = w[i].find('=');
      if (eq == std::string::npos) return "'" + w[i] + "' is not key=value";
      const std::string key = w[i].substr(0, eq);
      const std::string value = w[i].substr(eq + 1);
      if (key == "frames") {
        if (!ParseLong(value, &plan.frames) || plan.frames < 0) return "frames must be 0 or more";
      } else if (key == "delay") {
        if (!ParseLong(value, &plan.delay_ms) || plan.delay_ms < 0 || plan.delay_ms > 60000) {
          return "delay must be 0..60000 ms";
        }
      } else if (key == "size") {
        const size_t x = value.find('x');
        if (x == std::string::npos || !ParseLong(value.substr(0, x), &plan.width) ||
            !ParseLong(value.substr(x + 1), &plan.height) || plan.width < 1 || plan.height < 1 ||
            plan.width > 4096 || plan.height > 4096) {
          return "size must be <width>x<height>, 1..4096 each";
        }
      } else if (key == "complete") {
        if (value == "raised") {
          plan.complete = CapturePlan::Complete::kRaised;
        } else if (value == "none") {
          plan.complete = CapturePlan::Complete::kNone;
        } else {
          const size_t comma = value.find(',');
          if (comma == std::string::npos || !ParseLong(value.substr(0, comma), &plan.captured) ||
              !ParseLong(value.substr(comma + 1), &plan.dropped)) {
            return "complete must be raised, none or <captured>,<dropped>";
          }
          plan.complete = CapturePlan::Complete::kGiven;
        }
      } else {
        return "unknown capture key '" + key + "'";
      }
    }
    script_->captures[w[1]] = plan;
    return {};
  }

  std::string CopyFrame(const std::vector<std::string>& w) {
    if (w.size() != 2 || (w[1] != "true" && w[1] != "false")) return "copyframe needs: copyframe <true|false>";
    script_->copy_frame_answer = w[1] == "true";
    return {};
  }

  Script* script_;
};

}  // namespace

const EventId kCaptureCompleteEvent = {9, 10, "CaptureComplete"};
const EventId kStreamFrameEvent = {10, 11, "StreamFrame"};

const Member* FindMember(long dispid) {
  for (const Member& m : kMembers) {
    if (m.dispid == dispid) return &m;
  }
  return nullptr;
}

const Member* FindMember(std::string_view name) {
  for (const Member& m : kMembers) {
    if (name == m.name) return &m;
  }
  return nullptr;
}

ParseResult ParseScript(std::string_view text) {
  ParseResult result;
  for (const DefaultValue& d : kDefaults) {
    Value v;
    v.type = d.type;
    v.number = d.number;
    v.text = d.text;
    result.script.values[d.member] = v;
  }
  result.script.device_names.push_back("Double Camera 0");
  bool devices_given = false;
  bool count_given = false;

  Parser parser(&result.script);
  int line_number = 0;
  size_t start = 0;
  // A byte-order mark at the start is allowed.
  if (text.size() >= 3 && std::memcmp(text.data(), "\xEF\xBB\xBF", 3) == 0) start = 3;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++line_number;
    std::vector<std::string> words;
    std::string error;
    if (!SplitWords(line, &words, &error)) {
      result.ok = false;
    } else if (words.empty() || words[0][0] == '#') {
      continue;
    } else {
      if (words[0] == "device" && !devices_given) {
        result.script.device_names.clear();
        devices_given = true;
      }
      if (words[0] == "get" && words.size() > 1 && words[1] == "DeviceCount") count_given = true;
      error = parser.Line(words);
      result.ok = error.empty();
    }
    if (!result.ok) {
      result.error_line = line_number;
      result.error = error;
      return result;
    }
  }
  // Named devices make the count unless the scenario gives one of its own.
  if (devices_given && !count_given) {
    result.script.values["DeviceCount"].number = static_cast<double>(result.script.device_names.size());
  }
  return result;
}

}  // namespace morvane_double
