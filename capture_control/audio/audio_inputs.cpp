#include "audio_inputs.h"

#include "audio/wave_in_recorder.h"
#include "messages.h"

namespace morvane {

std::vector<std::wstring> ListAudioInputs() {
  std::vector<std::wstring> names;
  const UINT count = ::waveInGetNumDevs();
  for (UINT i = 0; i < count; ++i) {
    WAVEINCAPSW caps{};
    // A device that does not answer keeps its place, so numbers still match.
    if (::waveInGetDevCapsW(i, &caps, sizeof(caps)) != MMSYSERR_NOERROR) caps.szPname[0] = L'\0';
    caps.szPname[MAXPNAMELEN - 1] = L'\0';
    names.emplace_back(caps.szPname);
  }
  return names;
}

WAVEFORMATEX PcmWaveFormat(const AudioFormat& format) {
  WAVEFORMATEX wave{};
  wave.wFormatTag = WAVE_FORMAT_PCM;
  wave.nChannels = format.channels;
  wave.nSamplesPerSec = format.samples_per_second;
  wave.wBitsPerSample = format.bits_per_sample;
  wave.nBlockAlign = format.BlockAlign();
  wave.nAvgBytesPerSec = format.BytesPerSecond();
  return wave;
}

std::wstring AudioFormatText(const AudioFormat& format) {
  return std::to_wstring(format.samples_per_second) + L" Hz, " +
         UiText(format.bits_per_sample == 8 ? TextId::kBits8 : TextId::kBits16) + L", " +
         UiText(format.channels == 1 ? TextId::kMono : TextId::kStereo);
}

bool InputAcceptsFormat(UINT device, const AudioFormat& format) {
  const WAVEFORMATEX wave = PcmWaveFormat(format);
  return ::waveInOpen(nullptr, device, &wave, 0, 0, WAVE_FORMAT_QUERY) == MMSYSERR_NOERROR;
}

std::unique_ptr<AudioSource> MakeAudioSource(const AudioInputChoice& choice, const AudioFormat& format) {
  switch (choice.kind) {
    case AudioInputKind::kDefaultInput:
      return std::make_unique<WaveInRecorder>(WAVE_MAPPER, format);
    case AudioInputKind::kInput:
      return std::make_unique<WaveInRecorder>(choice.index, format);
    case AudioInputKind::kTone:
    case AudioInputKind::kMissing:
      break;
  }
  return std::make_unique<ToneSource>(format);
}

}  // namespace morvane
