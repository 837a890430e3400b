// Every test of the control runs with OLE initialised and with a current
// user of its own, cleared first, so that each starts from the control's
// default settings (and the user's real settings are never touched).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <memory>

#include "test_support.h"

namespace morvane_test {

constexpr wchar_t kTestUserRoot[] = L"Software\\Morvane\\TestUser";
// Where the control keeps its settings, below the current user.
constexpr wchar_t kTestSettingsKey[] = L"Software\\Morvane\\Capture";

// Puts a value where the control keeps its settings, as another control (or
// an earlier run) would have left it; the caller asserts the result.
inline ::testing::AssertionResult StoreValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  const LONG created = ::RegCreateKeyExW(HKEY_CURRENT_USER, kTestSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                         &key, nullptr);
  if (created != ERROR_SUCCESS) return ::testing::AssertionFailure() << "settings key not created: " << created;
  ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
  ::RegCloseKey(key);
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult StoreText(const wchar_t* name, const wchar_t* text) {
  return StoreValue(name, REG_SZ, text, static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t)));
}

inline ::testing::AssertionResult StoreNumber(const wchar_t* name, DWORD number) {
  return StoreValue(name, REG_DWORD, &number, sizeof(number));
}

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
