// The control's pieces that need no container: pacing arithmetic, registry
// rows, low addresses, status texts, dialog templates and setting ranges.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <new>
#include <string>

#include "choice_dialog.h"
#include "core/pattern.h"
#include "frame_clock.h"
#include "guard.h"
#include "low_memory.h"
#include "messages.h"
#include "registration.h"
#include "settings.h"

namespace morvane {
namespace {

TEST(FrameClockTest, SlotsAndWaits) {
  struct Row {
    std::int64_t frequency;
    double rate;
    std::int64_t tick;  // after the start
    std::int64_t slot;
    std::int64_t next_slot_start;  // after the start
    std::uint32_t wait_ms;
  };
  const Row rows[] = {
      {10000000, 30, 0, 0, 333334, 34},
      {10000000, 30, 333333, 0, 333334, 1},
      {10000000, 30, 333334, 1, 666667, 34},
      {1000, 15, 999, 14, 1000, 1},
      {1000, 15, 1000, 15, 1067, 67},
      {3579545, 29.97, 3579545, 29, 3702, 1},
  };
  for (const Row& row : rows) {
    const std::int64_t start = 123456789;
    FrameClock clock(row.frequency, start, row.rate);
    EXPECT_EQ(row.slot, clock.SlotAt(start + row.tick)) << row.tick;
    if (row.frequency != 3579545) {
      EXPECT_EQ(start + row.next_slot_start, clock.SlotStart(row.slot + 1)) << row.tick;
      EXPECT_EQ(row.wait_ms, clock.MillisecondsUntil(row.slot + 1, start + row.tick)) << row.tick;
    }
    EXPECT_EQ(0u, clock.MillisecondsUntil(row.slot, start + row.tick)) << "a slot that began needs no wait";
  }
  FrameClock clock(1000, 0, 10);
  EXPECT_EQ(-1, clock.SlotAt(-1)) << "before the start";
}

TEST(FrameClockTest, TimeLimitsAndAudioSplit) {
  struct Row {
    double seconds;
    double rate;
    std::int64_t frames;
  };
  const Row rows[] = {{10, 30, 300}, {1, 10, 10}, {1.0 / 3.0, 30, 10}, {0.01, 15, 1}, {2.5, 15, 38}, {86400, 100, 8640000}};
  for (const Row& row : rows) EXPECT_EQ(row.frames, FramesForTimeLimit(row.seconds, row.rate)) << row.seconds;

  // Per-frame audio shares add up to exactly a second's worth.
  const std::uint32_t rates[] = {11025, 22050, 44100};
  const double fps[] = {15, 29.97, 30, 7};
  for (std::uint32_t samples : rates) {
    for (double frames : fps) {
      std::int64_t total = 0;
      const std::int64_t slots = static_cast<std::int64_t>(std::llround(frames * 10));
      for (std::int64_t slot = 0; slot < slots; ++slot) {
        const std::int64_t share = AudioSamplesBefore(slot + 1, samples, frames) - AudioSamplesBefore(slot, samples, frames);
        EXPECT_GE(share, 0);
        total += share;
      }
      EXPECT_NEAR(static_cast<double>(samples) * slots / frames, static_cast<double>(total), 1.0) << samples << " " << frames;
    }
  }
}

// Frame times and slot boundaries that sit on rounding edges: integer
// arithmetic gives the same answer in every build, where a double product
// such as 29 / 100.0 * 100 lands just below the whole number.
TEST(FrameClockTest, EdgesAreExactInEveryBuild) {
  struct Row {
    std::int64_t slot;
    double rate;
    const char* stamp;
  };
  const Row rows[] = {
      {41, 30, "00:00:01.36 #00000041"},    {29, 100, "00:00:00.29 #00000029"},
      {57, 100, "00:00:00.57 #00000057"},   {1, 29.97, "00:00:00.03 #00000001"},
      {30, 29.97, "00:00:01.00 #00000030"}, {300, 30, "00:00:10.00 #00000300"},
      {7, 0.1, "00:01:10.00 #00000007"},    {3, 3, "00:00:01.00 #00000003"},
      {1, 3, "00:00:00.33 #00000001"},      {2592000, 30, "24:00:00.00 #02592000"},
  };
  for (const Row& row : rows) {
    char text[kStampLength];
    FormatStamp(row.slot, SlotMicroseconds(row.slot, row.rate), text);
    EXPECT_EQ(std::string(row.stamp), std::string(text, sizeof text)) << row.slot << " at " << row.rate;
  }

  // Every slot begins exactly at its first tick, at the counter rates seen
  // on Windows and Wine and at rates that are not whole numbers.
  const std::int64_t frequencies[] = {1000, 3579545, 10000000, 2995000000};
  const double rates[] = {0.1, 1, 7, 15, 29.97, 30, 59.94, 100};
  for (std::int64_t frequency : frequencies) {
    for (double rate : rates) {
      const FrameClock clock(frequency, -5, rate);
      for (std::int64_t slot : {0LL, 1LL, 2LL, 29LL, 30LL, 1000LL, 2592000LL}) {
        const std::int64_t first = clock.SlotStart(slot);
        EXPECT_EQ(slot, clock.SlotAt(first)) << frequency << " " << rate << " " << slot;
        EXPECT_EQ(slot - 1, clock.SlotAt(first - 1)) << frequency << " " << rate << " " << slot;
      }
    }
  }
}

TEST(RegistrationTest, PlaceholdersAreExpandedEverywhere) {
  struct Row {
    const wchar_t* text;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {L"CLSID\\{clsid}\\InprocServer32", L"CLSID\\{C}\\InprocServer32"},
      {L"{path}, 1", L"C:\\dir {clsid}\\m.ocx, 1"},
      {L"{libid}{libid}", L"{L}{L}"},
      {L"plain", L"plain"},
      {nullptr, L""},
  };
  for (const Row& row : rows) {
    // A path that itself holds a placeholder's text is not expanded again.
    EXPECT_EQ(row.expected, ExpandRegistryText(row.text, L"{C}", L"{L}", L"C:\\dir {clsid}\\m.ocx"));
  }
}

TEST(LowMemoryTest, AddressesSurviveTheTripThroughALong) {
  const size_t sizes[] = {64 + 160 * 120 * 3, 64 + 640 * 480 * 3, 64 + 1920 * 1080 * 3};
  std::vector<LowMemoryBuffer> buffers;
  for (size_t size : sizes) {
    LowMemoryBuffer buffer(size);
    ASSERT_NE(nullptr, buffer.data());
    EXPECT_EQ(buffer.data(), LongToAddress(AddressToLong(buffer.data())));
    if (sizeof(void*) == 8) {
      // A host reads the Long signed: the whole block must be below 2 GiB.
      EXPECT_GT(AddressToLong(buffer.data()), 0);
      EXPECT_LE(reinterpret_cast<UINT_PTR>(buffer.data()) + size, static_cast<UINT_PTR>(0x80000000u));
    }
    buffer.data()[size - 1] = 0x5A;  // all of it is usable
    buffers.push_back(std::move(buffer));
  }
  EXPECT_NE(buffers[0].data(), buffers[1].data());
}

#ifdef _WIN64
// With every free range below 2 GiB taken, a buffer is refused rather than
// placed where a host reading the address as a signed Long would get a
// negative number.
TEST(LowMemoryTest, NoBlockAboveTwoGigabytesWhenTheLowRangeIsFull) {
  constexpr UINT_PTR kGranularity = 0x10000;
  std::vector<void*> reserved;
  auto reserve = [&](UINT_PTR start, UINT_PTR size) {
    void* block = ::VirtualAlloc(reinterpret_cast<void*>(start), size, MEM_RESERVE, PAGE_NOACCESS);
    if (block) reserved.push_back(block);
    return block != nullptr;
  };
  for (UINT_PTR address = kGranularity; address < 0x80000000u;) {
    MEMORY_BASIC_INFORMATION info{};
    if (::VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof(info)) == 0) break;
    const UINT_PTR end = reinterpret_cast<UINT_PTR>(info.BaseAddress) + info.RegionSize;
    // Reservations start on the allocation granularity; the last free range
    // may reach far beyond 2 GiB and is taken only up to there.
    const UINT_PTR start = (reinterpret_cast<UINT_PTR>(info.BaseAddress) + kGranularity - 1) & ~(kGranularity - 1);
    const UINT_PTR stop = std::min<UINT_PTR>(end, 0x80000000u);
    if (info.State == MEM_FREE && start < stop && !reserve(start, stop - start)) {
      // Wine reports ranges as free that it will only hand out piece by piece.
      for (UINT_PTR piece = start; piece + kGranularity <= stop; piece += kGranularity) reserve(piece, kGranularity);
    }
    address = std::max(end, address + kGranularity);
  }
  bool refused = false;
  UINT_PTR placed = 0;
  try {
    LowMemoryBuffer buffer(4 * 1024 * 1024);
    placed = reinterpret_cast<UINT_PTR>(buffer.data());
  } catch (const std::bad_alloc&) {
    refused = true;
  }
  for (void* block : reserved) ::VirtualFree(block, 0, MEM_RELEASE);
  EXPECT_TRUE(refused) << "placed at 0x" << std::hex << placed;
}
#endif

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

TEST(ChoiceDialogTest, TemplateHoldsALabelAndListPerFieldAndTwoButtons) {
  std::vector<ChoiceField> fields{{L"ｻｲｽﾞ:", {L"a", L"b"}, 1}, {L"色数:", {L"c"}, 0}};
  std::vector<WORD> words = BuildChoiceTemplate(L"ﾀｲﾄﾙ", fields);
  ASSERT_GE(words.size(), 9u);
  const auto* header = reinterpret_cast<const DLGTEMPLATE*>(words.data());
  EXPECT_EQ(6, header->cdit);
  EXPECT_TRUE(header->style & DS_SETFONT);
  // The title follows the menu and class words.
  EXPECT_EQ(std::wstring(L"ﾀｲﾄﾙ"), std::wstring(reinterpret_cast<const wchar_t*>(&words[11])));
}

TEST(SettingsTest, Ranges) {
  struct Row {
    const char* name;
    IntegerRange range;
    double value;
    bool valid;
  };
  const Row rows[] = {
      {"rate 0.1 rounds to none", kCaptureRateRange, 0.1, false},
      {"rate 100", kCaptureRateRange, 100, true},
      {"rate 0", kCaptureRateRange, 0, false},
      {"rate NaN", kCaptureRateRange, std::nan(""), false},
      {"rate inf", kCaptureRateRange, INFINITY, false},
      {"preview 1", kPreviewRateRange, 1, true},
      {"preview 0.5", kPreviewRateRange, 0.5, false},
      {"limit 0", kTimeLimitRange, 0, true},
      {"limit -0.1", kTimeLimitRange, -0.1, true},
      {"limit -0.6", kTimeLimitRange, -0.6, false},
      {"limit a day", kTimeLimitRange, 86400, false},
  };
  for (const Row& row : rows) EXPECT_EQ(row.valid, RoundToRange(row.value, row.range).has_value()) << row.name;
  EXPECT_TRUE(IsValidAudioSetting(44100, 16, 2));
  EXPECT_FALSE(IsValidAudioSetting(48000, 16, 2));
  EXPECT_FALSE(IsValidAudioSetting(22050, 12, 1));
  EXPECT_FALSE(IsValidAudioSetting(22050, 8, 3));
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
