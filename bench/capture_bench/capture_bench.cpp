// Free-running capture at 640x480: how fast pattern generation plus AVI
// writing goes, against a bare loop that writes the same number of bytes in
// the same chunk sizes to a file of the same size. Also counts heap
// allocations per frame once the capture is under way.
//
//   capture_bench [frames] [folder]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "allocation_hooks.h"
#include "avi_writer.h"
#include "capture_error.h"
#include "file_sink.h"
#include "pattern.h"

namespace {

constexpr double kGoal = 1.5;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

struct CaptureRun {
  double seconds;
  std::uint64_t file_size;
  std::uint64_t steady_allocations;
  std::uint64_t steady_frames;
};

constexpr int kWarmUpFrames = 10;

CaptureRun Capture(const std::filesystem::path& path, const morvane::FrameFormat& frame, int frames) {
  std::vector<std::uint8_t> bits(frame.ImageSize());
  auto pattern = morvane::MakeColourBars();
  const auto start = Clock::now();
  std::uint64_t allocations_at_warm = 0;
  {
    morvane::AviWriter writer(path, {frame, 33333}, std::nullopt);
    for (int i = 0; i < frames; ++i) {
      if (i == kWarmUpFrames) allocations_at_warm = coretest::AllocationCount();
      pattern->Render(frame, bits.data(), i, i * 1000000LL / 30);
      writer.WriteVideoFrame(bits.data(), bits.size());
    }
    const std::uint64_t steady = coretest::AllocationCount() - allocations_at_warm;
    writer.Close();
    CaptureRun run{Seconds(start), std::filesystem::file_size(path), steady,
                   static_cast<std::uint64_t>(std::max(0, frames - kWarmUpFrames))};
    return run;
  }
}

// The same bytes, the same write sizes, no pattern and no index keeping.
double BareWrite(const std::filesystem::path& path, const morvane::FrameFormat& frame, int frames,
                 std::uint64_t file_size) {
  std::vector<std::uint8_t> bits(frame.ImageSize(), 0x40);
  const std::uint8_t header[8] = {'0', '0', 'd', 'b', 0, 0, 0, 0};
  const std::uint64_t chunk = 8 + bits.size();
  const std::uint64_t rest = file_size - std::min<std::uint64_t>(file_size, chunk * frames);
  std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(rest, 1u << 20)), 0);
  const auto start = Clock::now();
  auto sink = morvane::CreateFileSink(path);
  std::uint64_t left = rest;
  const std::size_t first = static_cast<std::size_t>(std::min<std::uint64_t>(left, 8192));
  sink->Write(head.data(), first);  // where the headers go
  left -= first;
  for (int i = 0; i < frames; ++i) {
    sink->Write(header, sizeof header);
    sink->Write(bits.data(), bits.size());
  }
  while (left > 0) {  // where the indexes go
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, head.size()));
    sink->Write(head.data(), n);
    left -= n;
  }
  sink->Seek(0);
  sink->Write(head.data(), std::min<std::size_t>(head.size(), 4096));  // the headers rewritten at the end
  sink->Close();
  return Seconds(start);
}

double RenderOnly(const morvane::FrameFormat& frame, int frames) {
  std::vector<std::uint8_t> bits(frame.ImageSize());
  auto pattern = morvane::MakeColourBars();
  const auto start = Clock::now();
  for (int i = 0; i < frames; ++i) pattern->Render(frame, bits.data(), i, i * 1000000LL / 30);
  return Seconds(start);
}

int Run(int frames, const std::filesystem::path& folder) {
  const morvane::FrameFormat frame{640, 480, 24};
  const auto avi = folder / "capture_bench.avi";
  const auto bare = folder / "capture_bench.bin";
  constexpr int kRounds = 3;
  double best_capture = 1e30, best_bare = 1e30;
  CaptureRun last{};
  // Alternate the two so that neither always meets a warmer cache; keep the best of each.
  for (int round = 0; round < kRounds; ++round) {
    last = Capture(avi, frame, frames);
    best_capture = std::min(best_capture, last.seconds);
    best_bare = std::min(best_bare, BareWrite(bare, frame, frames, last.file_size));
    std::error_code ignored;
    std::filesystem::remove(avi, ignored);
    std::filesystem::remove(bare, ignored);
  }
  const double render = RenderOnly(frame, frames);
  std::printf("frames                 %d at 640x480x24 (%.1f MB written per run)\n", frames, last.file_size / 1e6);
  std::printf("render only            %.0f fps (%.1f us a frame)\n", frames / render, render * 1e6 / frames);
  std::printf("capture (render+AVI)   %.0f fps (%.1f us a frame)\n", frames / best_capture, best_capture * 1e6 / frames);
  std::printf("bare write loop        %.0f fps (%.1f us a frame)\n", frames / best_bare, best_bare * 1e6 / frames);
  std::printf("capture / bare         %.2f x the time\n", best_capture / best_bare);
  std::printf("steady allocations     %llu over %llu frames (%.3f a frame)\n",
              static_cast<unsigned long long>(last.steady_allocations),
              static_cast<unsigned long long>(last.steady_frames),
              last.steady_frames ? static_cast<double>(last.steady_allocations) / last.steady_frames : 0.0);
  std::printf("goal (capture <= %.1f x bare, no steady allocations): %s\n", kGoal,
              best_capture <= kGoal * best_bare && last.steady_allocations == 0 ? "met" : "NOT met");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(kWarmUpFrames + 1, std::atoi(argv[1])) : 600;
  std::error_code ec;
  const std::filesystem::path folder = argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path(ec);
  try {
    return Run(frames, folder);
  } catch (const morvane::CaptureError& e) {
    std::fprintf(stderr, "capture_bench: %s (system code %u)\n", e.what(), static_cast<unsigned>(e.system_code()));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "capture_bench: %s\n", e.what());
  }
  return 1;
}
