// Every test of the control runs with OLE initialised and with settings of
// its own under a test key, which is cleared first so each starts from the
// control's defaults (and the user's real settings are never touched).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "test_support.h"

namespace morvane_test {

constexpr wchar_t kTestSettingsKey[] = L"Software\\Morvane\\CaptureTest";

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    ::SetEnvironmentVariableW(L"MORVANE_SETTINGS_KEY", kTestSettingsKey);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestSettingsKey);
    host_ = std::make_unique<TestHost>(ShowHost(), Creator());
    ASSERT_TRUE(host_->ok()) << "control not created: hr=0x" << std::hex << host_->create_result();
  }
  void TearDown() override {
    host_.reset();
    ::OleUninitialize();
  }
  IDispatch* control() { return host_->control(); }
  virtual bool ShowHost() const { return false; }
  virtual TestHost::CreateControl Creator() const { return nullptr; }

  std::unique_ptr<TestHost> host_;
};

}  // namespace morvane_test
