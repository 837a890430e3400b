// What the control tells its user and its host: status texts, message rows
// and the HRESULTs failures become.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>

#include "guard.h"
#include "messages.h"

namespace morvane {
namespace {

TEST(MessagesTest, StatusTextsAndErrors) {
  struct Row {
    bool streaming;
    long captured;
    long dropped;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {false, 120, 0, L"ｷｬﾌﾟﾁｬ中: 120 ﾌﾚｰﾑ (ﾄﾞﾛｯﾌﾟ 0)"},
      {true, 5, 2, L"ｽﾄﾘｰﾑｷｬﾌﾟﾁｬ中: 5 ﾌﾚｰﾑ (ﾄﾞﾛｯﾌﾟ 2)"},
  };
  for (const Row& row : rows) {
    wchar_t text[96];
    FormatCaptureStatus(text, 96, row.streaming, row.captured, row.dropped);
    EXPECT_STREQ(row.expected, text);
  }
  wchar_t small[8];
  FormatCaptureStatus(small, 8, false, 123456, 0);
  EXPECT_EQ(L'\0', small[7]) << "a short buffer is not overrun";
  EXPECT_TRUE(FAILED(Message(MessageId::kCaptureRunning).scode));
  EXPECT_NE(nullptr, std::wcsstr(Message(MessageId::kDeviceIndexOutOfRange).text, L"ﾃﾞﾊﾞｲｽ"));
}

// A Win32 error code of 0 (a call that failed without saying why) must not
// turn a failure into S_OK.
TEST(GuardTest, LastErrorNeverBecomesSuccess) {
  EXPECT_EQ(E_FAIL, HresultFromWin32(ERROR_SUCCESS));
  EXPECT_EQ(E_OUTOFMEMORY, HresultFromWin32(ERROR_SUCCESS, E_OUTOFMEMORY));
  EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), HresultFromWin32(ERROR_ACCESS_DENIED));
}

}  // namespace
}  // namespace morvane
