#include "clip_form.h"

namespace sample {
ClipForm& ClipForm::Instance() {
  static ClipForm form;
  return form;
}
}  // namespace sample
