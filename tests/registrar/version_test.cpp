// The version resource of the built Halvern.exe, read back as Windows reads it.
#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace {

struct VersionValue {
  const wchar_t* key;
  const wchar_t* value;  // null: any non-empty text
};

const VersionValue kValues[] = {
    {L"FileDescription", L"OCX登録・削除ツール"},
    {L"FileVersion", L"1, 0, 0, 1"},
    {L"InternalName", L"Halvern"},
    {L"OriginalFilename", L"Halvern.EXE"},
    {L"ProductName", L"OCX登録・削除ツール"},
    {L"ProductVersion", L"1, 0, 0, 1"},
    {L"CompanyName", nullptr},
    {L"LegalCopyright", nullptr},
};

class VersionResourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string exe = halvern_test::BinDir() + "Halvern.exe";
    path_.assign(exe.begin(), exe.end());
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path_.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource, error " << GetLastError();
    data_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, data_.data()));
  }

  template <typename T>
  const T* Query(const std::wstring& sub_block, UINT& length) {
    void* value = nullptr;
    length = 0;
    if (!VerQueryValueW(data_.data(), sub_block.c_str(), &value, &length)) return nullptr;
    return static_cast<const T*>(value);
  }

  std::wstring path_;
  std::vector<BYTE> data_;
};

TEST_F(VersionResourceTest, FixedPart) {
  UINT length = 0;
  const auto* fixed = Query<VS_FIXEDFILEINFO>(L"\\", length);
  ASSERT_NE(fixed, nullptr);
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed->dwFileFlags, 0u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(VersionResourceTest, TranslationIsJapaneseUnicode) {
  UINT length = 0;
  const auto* translation = Query<WORD>(L"\\VarFileInfo\\Translation", length);
  ASSERT_NE(translation, nullptr);
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0411);
  EXPECT_EQ(translation[1], 0x04b0);
}

TEST_F(VersionResourceTest, StringValues) {
  for (const VersionValue& v : kValues) {
    SCOPED_TRACE(std::wstring(v.key).size());
    UINT length = 0;
    const auto* text = Query<wchar_t>(std::wstring(L"\\StringFileInfo\\041104b0\\") + v.key, length);
    ASSERT_NE(text, nullptr) << "missing key of length " << std::wstring(v.key).size();
    if (v.value) {
      EXPECT_EQ(std::wstring(text), v.value);
    } else {
      EXPECT_GT(std::wstring(text).size(), 0u);
    }
  }
}

}  // namespace
