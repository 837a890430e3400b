// The disk file under the writers: offsets past 4 GiB (the reason it does
// not use 32-bit stdio), truncation, and refusal after close.
#include <gtest/gtest.h>

#include "capture_error.h"
#include "file_sink.h"
#include "test_support.h"

namespace {

TEST(FileSink, WritesAtOffsetsBeyondFourGiB) {
  coretest::TempDir dir("sink-large");
  const auto path = dir.path() / "sparse.bin";
  struct Row {
    std::uint64_t offset;
    std::uint32_t value;
  };
  // Each write lands exactly where asked: below, at and past the 32-bit boundaries.
  const Row rows[] = {{0, 0x11111111u}, {(1ull << 31) + 2, 0x22222222u}, {(1ull << 32) - 2, 0x33333333u},
                      {(5ull << 30) + 6, 0x44444444u}};
  {
    auto sink = morvane::CreateFileSink(path);
    for (const Row& r : rows) {
      sink->Seek(r.offset);
      sink->Write(&r.value, 4);
      EXPECT_EQ(sink->Position(), r.offset + 4);
    }
    sink->Close();
    sink->Close();  // twice is harmless
    EXPECT_THROW(sink->Write("x", 1), morvane::CaptureError);
  }
  EXPECT_EQ(std::filesystem::file_size(path), (5ull << 30) + 10);
  std::FILE* f = std::fopen(path.string().c_str(), "rb");
  ASSERT_NE(f, nullptr);
  for (const Row& r : rows) {
    std::uint32_t got = 0;
#ifdef _WIN32
    ASSERT_EQ(_fseeki64(f, static_cast<long long>(r.offset), SEEK_SET), 0);
#else
    ASSERT_EQ(fseeko(f, static_cast<off_t>(r.offset), SEEK_SET), 0);
#endif
    ASSERT_EQ(std::fread(&got, 4, 1, f), 1u);
    EXPECT_EQ(got, r.value) << r.offset;
  }
  std::fclose(f);
}

TEST(FileSink, TruncatesAndReplacesExistingFiles) {
  coretest::TempDir dir("sink-truncate");
  const auto path = dir.path() / "t.bin";
  {
    auto sink = morvane::CreateFileSink(path);
    sink->Write("0123456789", 10);
    sink->Truncate(4);
    sink->Close();
  }
  EXPECT_EQ(std::filesystem::file_size(path), 4u);
  {
    auto sink = morvane::CreateFileSink(path);  // an existing file starts empty
    sink->Write("ab", 2);
  }  // the destructor closes
  EXPECT_EQ(std::filesystem::file_size(path), 2u);
}

TEST(CaptureErrorText, MessagesNameTheFileAndConvertToUtf8) {
#ifdef _WIN32
  const std::filesystem::path name(L"C:/TEMP/キャプチャ.AVI");
#else
  const std::filesystem::path name("C:/TEMP/\xE3\x82\xAD\xE3\x83\xA3\xE3\x83\x97\xE3\x83\x81\xE3\x83\xA3.AVI");
  // A name that is not UTF-8 still gives a message.
  const auto odd = morvane::MakeFileError(morvane::CaptureErrorKind::kCannotCreate, std::filesystem::path("bad\xFF\xC3.avi"));
  EXPECT_EQ(odd.message().find(L"bad\uFFFD\uFFFD.avi") != std::wstring::npos, true);
#endif
  const auto e = morvane::MakeFileError(morvane::CaptureErrorKind::kDiskFull, name, 112);
  EXPECT_NE(e.message().find(L"キャプチャ.AVI"), std::wstring::npos);
  EXPECT_EQ(e.system_code(), 112u);
  EXPECT_NE(std::string(e.what()).find("\xE3\x82\xAD"), std::string::npos);  // キ in UTF-8
  struct Row {
    std::wstring in;
    std::string out;
  };
  const Row rows[] = {{L"abc", "abc"},
                      {L"\u00e9", "\xC3\xA9"},
                      {L"\uFF76", "\xEF\xBD\xB6"},  // half-width katakana
                      {std::wstring(1, static_cast<wchar_t>(0xD800)), "\xEF\xBF\xBD"}};
  for (const Row& r : rows) EXPECT_EQ(morvane::ToUtf8(r.in), r.out);
}

}  // namespace
