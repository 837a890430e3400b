#include "about_dialog.h"

#include "resource.h"

namespace halvern {

// OK, Esc and the close box all arrive as IDOK or IDCANCEL, which the
// standard routing ends the dialog with.
AboutDialog::AboutDialog() : ModalDialog(IDD_ABOUTBOX) {}

}  // namespace halvern
