// The machine's sound inputs (wave-in devices) and the sound source a
// capture records from.
//
// Wave-in rather than the system's audio-capture filters: a capture needs
// nothing of a filter graph for sound (no format conversion, no preview),
// every sound driver serves wave-in, and Wine's PulseAudio driver serves it
// directly, so the same code is what a user runs and what the test bed
// records through.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <memory>
#include <string>
#include <vector>

#include "core/audio_input.h"
#include "core/audio_source.h"

namespace morvane {

// The inputs' names, in the system's order (an input's number is its
// position here).
std::vector<std::wstring> ListAudioInputs();

// A PCM format as wave-in takes it.
WAVEFORMATEX PcmWaveFormat(const AudioFormat& format);
// "22050 Hz, 16 ﾋﾞｯﾄ, ﾓﾉﾗﾙ", for messages.
std::wstring AudioFormatText(const AudioFormat& format);

// Whether the input (its number, or WAVE_MAPPER) would record in format.
bool InputAcceptsFormat(UINT device, const AudioFormat& format);

// The source for a resolved choice; throws CaptureError when the input
// cannot be opened in format. Never for AudioInputKind::kMissing.
std::unique_ptr<AudioSource> MakeAudioSource(const AudioInputChoice& choice, const AudioFormat& format);

}  // namespace morvane
