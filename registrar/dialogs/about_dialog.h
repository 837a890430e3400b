// The About box: no data and no initialisation of its own.
#pragma once

#include "app/modal_dialog.h"

namespace halvern {

class AboutDialog : public ModalDialog {
 public:
  AboutDialog();
};

}  // namespace halvern
