// The resources of the built Halvern.exe: every one in Japanese (0x0411), the
// icon group with its two 16-colour images, the About string.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "test_support.h"

namespace {

struct ModuleDeleter {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

struct ResourceCase {
  LPCWSTR type;
  WORD id;
  const char* what;
};

const ResourceCase kResources[] = {
    {RT_DIALOG, 100, "About box"},
    {RT_DIALOG, 102, "main dialog"},
    {RT_STRING, 101 / 16 + 1, "string block of 101"},
    {RT_GROUP_ICON, 128, "icon group"},
    {RT_VERSION, 1, "version"},
};

#pragma pack(push, 2)
struct IconDirEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bit_count;
  DWORD bytes;
  WORD id;
};
struct IconDir {
  WORD reserved, type, count;
  IconDirEntry entries[1];
};
#pragma pack(pop)

class ResourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string exe = halvern_test::BinDir() + "Halvern.exe";
    module_.reset(LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(module_) << "cannot map " << exe << ", error " << GetLastError();
  }

  const void* Find(LPCWSTR type, WORD id, DWORD& size) {
    HRSRC found = FindResourceExW(module_.get(), type, MAKEINTRESOURCEW(id), kJapanese);
    if (!found) return nullptr;
    size = SizeofResource(module_.get(), found);
    return LockResource(LoadResource(module_.get(), found));
  }

  Module module_;
};

TEST_F(ResourceTest, EveryResourceIsJapanese) {
  for (const ResourceCase& c : kResources) {
    DWORD size = 0;
    EXPECT_NE(Find(c.type, c.id, size), nullptr) << c.what;
    EXPECT_GT(size, 0u) << c.what;
  }
}

TEST_F(ResourceTest, IconGroupHoldsBigAndSmall16ColourImages) {
  DWORD size = 0;
  const auto* dir = static_cast<const IconDir*>(Find(RT_GROUP_ICON, 128, size));
  ASSERT_NE(dir, nullptr);
  ASSERT_EQ(dir->count, 2);
  ASSERT_GE(size, 6u + 2 * sizeof(IconDirEntry));
  const int sides[2] = {32, 16};
  for (int i = 0; i < 2; ++i) {
    const IconDirEntry& entry = dir->entries[i];
    EXPECT_EQ(entry.width, sides[i]);
    EXPECT_EQ(entry.height, sides[i]);
    EXPECT_EQ(entry.colours, 16);
    EXPECT_EQ(entry.bit_count, 4);
    DWORD image_size = 0;
    EXPECT_NE(Find(RT_ICON, entry.id, image_size), nullptr) << "image " << entry.id;
  }
}

TEST_F(ResourceTest, AboutMenuString) {
  wchar_t text[64] = {};
  ASSERT_GT(LoadStringW(module_.get(), 101, text, 64), 0);
  EXPECT_EQ(std::wstring(text), L"ﾊﾞｰｼﾞｮﾝ情報 (&A)...");
}

}  // namespace
