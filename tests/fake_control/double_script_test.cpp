// Scenario files are written by hand: every directive must mean what the
// README says, and a mistake must be refused with its line, not half-applied.
#include "double_script.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using morvane_double::CapturePlan;
using morvane_double::FindMember;
using morvane_double::ParseScript;
using morvane_double::Value;

TEST(DoubleScript, DefaultsDescribeAnOrdinaryOneDeviceControl) {
  auto parsed = ParseScript("");
  ASSERT_TRUE(parsed.ok);
  struct Expected {
    const char* member;
    Value::Type type;
    double number;
  };
  const Expected defaults[] = {
      {"Preview", Value::Type::kBool, 0},       {"CaptureRate", Value::Type::kR8, 15},
      {"TimeLimit", Value::Type::kR8, 0},       {"PreviewRate", Value::Type::kR8, 15},
      {"HasFormatDialog", Value::Type::kBool, -1}, {"HasOverlay", Value::Type::kBool, 0},
      {"CaptureWidth", Value::Type::kR8, 320},  {"CaptureHeight", Value::Type::kR8, 240},
      {"DeviceCount", Value::Type::kI2, 1},
  };
  for (const Expected& e : defaults) {
    const Value& v = parsed.script.values.at(e.member);
    EXPECT_EQ(v.type, e.type) << e.member;
    EXPECT_EQ(v.number, e.number) << e.member;
  }
  EXPECT_EQ(parsed.script.values.at("CaptureFileName").text, "C:\\TEMP\\CAPTURE.AVI");
  ASSERT_EQ(parsed.script.device_names.size(), 1u);
  EXPECT_TRUE(parsed.script.copy_frame_answer);
  EXPECT_TRUE(parsed.script.failures.empty());
  EXPECT_TRUE(parsed.script.captures.empty());
}

TEST(DoubleScript, DirectivesSetWhatTheySay) {
  auto parsed = ParseScript(
      "\xEF\xBB\xBF# a scenario\n"
      "get CaptureRate r8 14.5\r\n"
      "get Preview bool true\n"
      "get TimeLimit i4 30\n"
      "get CaptureFileName bstr \"C:\\TEMP\\with \\\"quotes\\\".AVI\"\n"
      "\n"
      "device 0 \"Cam A\"\n"
      "device 2 カメラ\n"
      "fail StartCapture 0x80004005 no camera here\n"
      "capture StartStreamCapture frames=5 size=640x480 delay=20 complete=120,3\n"
      "capture StartCapture frames=2 complete=none\n"
      "copyframe false\n");
  ASSERT_TRUE(parsed.ok) << parsed.error_line << ": " << parsed.error;
  const auto& s = parsed.script;
  EXPECT_EQ(s.values.at("CaptureRate").number, 14.5);
  EXPECT_EQ(s.values.at("Preview").number, -1);
  EXPECT_EQ(s.values.at("TimeLimit").type, Value::Type::kI4);
  EXPECT_EQ(s.values.at("CaptureFileName").text, "C:\\TEMP\\with \"quotes\".AVI");
  ASSERT_EQ(s.device_names.size(), 3u);
  EXPECT_EQ(s.device_names[0], "Cam A");
  EXPECT_EQ(s.device_names[2], "カメラ");
  EXPECT_EQ(s.values.at("DeviceCount").number, 3) << "named devices make the count";
  ASSERT_EQ(s.failures.count("StartCapture"), 1u);
  EXPECT_EQ(s.failures.at("StartCapture").hresult, static_cast<long>(static_cast<std::int32_t>(0x80004005)));
  EXPECT_EQ(s.failures.at("StartCapture").description, "no camera here");
  const CapturePlan& stream = s.captures.at("StartStreamCapture");
  EXPECT_EQ(stream.frames, 5);
  EXPECT_EQ(stream.width, 640);
  EXPECT_EQ(stream.height, 480);
  EXPECT_EQ(stream.delay_ms, 20);
  EXPECT_EQ(stream.complete, CapturePlan::Complete::kGiven);
  EXPECT_EQ(stream.captured, 120);
  EXPECT_EQ(stream.dropped, 3);
  EXPECT_EQ(s.captures.at("StartCapture").complete, CapturePlan::Complete::kNone);
  EXPECT_FALSE(s.copy_frame_answer);
}

TEST(DoubleScript, AnExplicitDeviceCountWinsOverTheNames) {
  auto parsed = ParseScript("device 0 A\ndevice 1 B\nget DeviceCount i2 0\n");
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.script.values.at("DeviceCount").number, 0);
  parsed = ParseScript("get DeviceCount i2 -1\ndevice 0 A\n");
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.script.values.at("DeviceCount").number, -1);
}

TEST(DoubleScript, MistakesAreRefusedWithTheirLine) {
  struct Case {
    const char* text;
    int line;
    const char* says;
  };
  const Case cases[] = {
      {"frobnicate\n", 1, "unknown directive"},
      {"# ok\nget NoSuchMember i2 1\n", 2, "not a readable property"},
      {"get StartCapture i2 1\n", 1, "not a readable property"},
      {"get StatusWindow i4 1\n", 1, "not a readable property"},
      {"get Preview i8 1\n", 1, "unknown type"},
      {"get Preview bool maybe\n", 1, "not a number"},
      {"get Preview bool\n", 1, "get needs"},
      {"get CaptureFileName bstr \"open\n", 1, "unclosed quote"},
      {"device -1 A\n", 1, "device needs"},
      {"device 999 A\n", 1, "device needs"},
      {"fail Nothing 0x80004005\n", 1, "unknown member"},
      {"fail Preview 5\n", 1, "negative HRESULT"},
      {"fail Preview\n", 1, "fail needs"},
      {"capture SaveBitmap frames=1\n", 1, "capture needs"},
      {"capture StartCapture frames=-1\n", 1, "frames must"},
      {"capture StartCapture size=0x10\n", 1, "size must"},
      {"capture StartCapture size=10\n", 1, "size must"},
      {"capture StartCapture delay=999999\n", 1, "delay must"},
      {"capture StartCapture complete=1\n", 1, "complete must"},
      {"capture StartCapture colour=red\n", 1, "unknown capture key"},
      {"capture StartCapture frames\n", 1, "not key=value"},
      {"copyframe yes\n", 1, "copyframe needs"},
  };
  for (const Case& c : cases) {
    auto parsed = ParseScript(c.text);
    EXPECT_FALSE(parsed.ok) << c.text;
    EXPECT_EQ(parsed.error_line, c.line) << c.text;
    EXPECT_NE(parsed.error.find(c.says), std::string::npos) << c.text << " said: " << parsed.error;
  }
}

TEST(DoubleScript, MemberTableMatchesTheContract) {
  struct Row {
    long dispid;
    const char* name;
  };
  const Row rows[] = {{1, "CaptureFileName"}, {5, "StatusWindow"}, {17, "CallbackEnabled"},
                      {24, "DeviceCount"},    {33, "CopyFrameToDC"}, {35, "StartStreamCapture"},
                      {36, "DeviceName"}};
  for (const Row& r : rows) {
    ASSERT_NE(FindMember(r.dispid), nullptr) << r.dispid;
    EXPECT_STREQ(FindMember(r.dispid)->name, r.name);
    EXPECT_EQ(FindMember(r.name)->dispid, r.dispid);
  }
  EXPECT_EQ(FindMember(14), nullptr);
  EXPECT_EQ(FindMember("Width"), nullptr) << "the container's extender is not the control's";
}

}  // namespace
