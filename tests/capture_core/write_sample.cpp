// Writes a capture file and the still of its last frame, so that a script
// can read what the Windows build wrote with tools of the host:
//   capture_core_write_sample AVI BMP FRAMES RIFF_LIMIT
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio_tone.h"
#include "avi_writer.h"
#include "bmp_writer.h"
#include "capture_error.h"
#include "pattern.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: capture_core_write_sample AVI BMP FRAMES RIFF_LIMIT\n");
    return 2;
  }
  try {
    const morvane::FrameFormat frame{320, 240, 24};
    const morvane::AudioFormat audio{22050, 16, 2};
    const int frames = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
    const std::uint64_t limit = std::wcstoull(argv[4], nullptr, 10);
    std::vector<std::uint8_t> bits(frame.ImageSize());
    std::vector<std::uint8_t> pcm(735 * audio.BlockAlign());  // 1/30 s
    auto pattern = morvane::MakeColourBars();
    morvane::ToneGenerator tone(audio);
    morvane::AviWriter writer(argv[1], {frame, 33333}, audio, limit);
    for (int i = 0; i < frames; ++i) {
      pattern->Render(frame, bits.data(), i, i * 1000000LL / 30);
      writer.WriteVideoFrame(bits.data(), bits.size());
      tone.Generate(pcm.data(), 735);
      writer.WriteAudio(pcm.data(), pcm.size());
    }
    writer.Close();
    morvane::WriteBmp(argv[2], frame, bits.data());
    std::printf("%u frames in %u segments\n", writer.frames_written(), writer.segments());
    return 0;
  } catch (const morvane::CaptureError& e) {
    std::fprintf(stderr, "capture_core_write_sample: %s (%u)\n", e.what(), static_cast<unsigned>(e.system_code()));
    return 1;
  }
}
