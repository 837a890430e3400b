#include "stream_form.h"

namespace sample {
StreamForm& StreamForm::Instance() {
  static StreamForm form;
  return form;
}
}  // namespace sample
