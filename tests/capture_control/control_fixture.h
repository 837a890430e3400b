// Every test of the control runs with OLE initialised and with a current
// user of its own, cleared first, so that each starts from the control's
// default settings (and the user's real settings are never touched).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "test_support.h"

namespace morvane_test {

constexpr wchar_t kTestUserRoot[] = L"Software\\Morvane\\TestUser";
// Where the control keeps its settings, below the current user.
constexpr wchar_t kTestSettingsKey[] = L"Software\\Morvane\\Capture";

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    ASSERT_TRUE(RedirectCurrentUser(kTestUserRoot));
    host_ = std::make_unique<TestHost>(ShowHost(), Creator());
    ASSERT_TRUE(host_->ok()) << "control not created: hr=0x" << std::hex << host_->create_result();
  }
  void TearDown() override {
    host_.reset();
    RedirectCurrentUser(nullptr);
    ::OleUninitialize();
  }
  IDispatch* control() { return host_->control(); }
  virtual bool ShowHost() const { return false; }
  virtual TestHost::CreateControl Creator() const { return nullptr; }

  std::unique_ptr<TestHost> host_;
};

}  // namespace morvane_test
