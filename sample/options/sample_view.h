// What the option handlers and the commands see of the main window: its
// widgets by name, the hosted control, StopFlag and its message boxes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "control/morvane_control.h"
#include "convert/runtime_error.h"
#include "options/widget_names.h"

namespace sample {

constexpr std::int16_t kTrue = -1;
constexpr std::int16_t kFalse = 0;

class SampleView {
 public:
  // The widget with this id; null when there is none.
  virtual forms::Widget* FindWidget(int id) const = 0;
  virtual MorvaneControl& Morvane1() = 0;

  virtual std::int16_t StopFlag() const = 0;
  virtual void SetStopFlag(std::int16_t value) = 0;

  // A modal message box titled with the program's name; returns the button.
  virtual int ShowMessage(const std::wstring& text, UINT style) = 0;
  virtual HWND hwnd() const = 0;

  // The named widget. Throws convert::RuntimeError when the window holds no
  // widget of that kind under the name's id.
  template <typename W>
  W& At(WidgetName<W> name) const {
    W* typed = dynamic_cast<W*>(FindWidget(name.id));
    if (typed == nullptr) throw convert::RuntimeError::InvalidProcedureCall();
    return *typed;
  }

 protected:
  ~SampleView() = default;
};

}  // namespace sample
