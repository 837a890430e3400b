// Which sound a capture records, from the stored choice (an input's name,
// or empty for automatic), the kind of video device and the machine's
// sound inputs as they are now.
//
// Automatic records the test tone with the synthetic devices and the
// system's default input with a camera. A named input is found by its name,
// not its number: numbers change as inputs come and go.
#pragma once

#include <string>
#include <vector>

namespace morvane {

enum class AudioInputKind {
  kTone,
  kDefaultInput,  // the system's choice among its inputs
  kInput,         // one input, by its position in the machine's list
  kMissing,       // none to record from: the capture must not start
};

struct AudioInputChoice {
  AudioInputKind kind = AudioInputKind::kTone;
  unsigned index = 0;  // kInput only
};

AudioInputChoice ResolveAudioInput(const std::wstring& stored_name, bool camera,
                                   const std::vector<std::wstring>& inputs);

}  // namespace morvane
