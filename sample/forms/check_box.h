// A check box with three states (0 unchecked, 1 checked, 2 grayed). A user's
// click toggles between 0 and 1; assigning a different state runs the click
// handler as a user's click would.
#pragma once

#include <cstdint>

#include "forms/widget.h"

namespace forms {

class CheckBox final : public ClickableWidget {
 public:
  CheckBox(EventRunner& runner, const std::wstring& caption, const WidgetPlacement& placement);

  std::int16_t State() const;
  // Throws convert::RuntimeError (invalid property value) outside 0..2.
  void SetState(std::int16_t state);

  void OnCommand(WORD code) override;
};

}  // namespace forms
