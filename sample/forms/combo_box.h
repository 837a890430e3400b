// A drop-down list without typing. Selecting a different position from the
// program runs the click handler, as the user's choice does.
#pragma once

#include <cstdint>

#include "forms/widget.h"

namespace forms {

class ComboBox final : public ClickableWidget {
 public:
  ComboBox(EventRunner& runner, const WidgetPlacement& placement, int drop_height);

  void Clear();
  void Add(const std::wstring& entry);
  std::int16_t Count() const;
  std::wstring Entry(std::int16_t index) const;
  std::int16_t Selected() const;  // -1 when none
  // Throws convert::RuntimeError (invalid property value) for a position
  // that is not in the list.
  void SetSelected(std::int16_t index);

  // The font decides the closed box's height, so the layout's height is
  // put back after it.
  void SetFont(HFONT font) override;

  void OnCommand(WORD code) override;

 private:
  void KeepClosedHeight();

  int closed_height_;
};

}  // namespace forms
