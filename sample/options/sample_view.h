// What the option handlers and the commands see of the main window: its
// widgets by name, the hosted control, StopFlag and its message boxes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "button.h"
#include "check_box.h"
#include "combo_box.h"
#include "morvane_control.h"
#include "text_box.h"

namespace sample {

constexpr std::int16_t kTrue = -1;
constexpr std::int16_t kFalse = 0;

class SampleView {
 public:
  virtual forms::CheckBox& Check(int n) = 0;
  virtual forms::TextBox& Text(int n) = 0;
  virtual forms::Button& Command(int n) = 0;
  virtual forms::ComboBox& Combo1() = 0;
  virtual MorvaneControl& Morvane1() = 0;

  virtual std::int16_t StopFlag() const = 0;
  virtual void SetStopFlag(std::int16_t value) = 0;

  // A modal message box titled with the program's name; returns the button.
  virtual int ShowMessage(const std::wstring& text, UINT style) = 0;
  virtual HWND hwnd() const = 0;

 protected:
  ~SampleView() = default;
};

}  // namespace sample
