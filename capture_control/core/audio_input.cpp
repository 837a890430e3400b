#include "audio_input.h"

namespace morvane {

AudioInputChoice ResolveAudioInput(const std::wstring& stored_name, bool camera,
                                   const std::vector<std::wstring>& inputs) {
  if (stored_name.empty()) {
    if (!camera) return {AudioInputKind::kTone, 0};
    return {inputs.empty() ? AudioInputKind::kMissing : AudioInputKind::kDefaultInput, 0};
  }
  for (unsigned i = 0; i < inputs.size(); ++i) {
    if (inputs[i] == stored_name) return {AudioInputKind::kInput, i};
  }
  return {AudioInputKind::kMissing, 0};
}

}  // namespace morvane
