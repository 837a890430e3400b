// The main window's layout: every widget with its kind, id, container,
// place and size in twips, tab index, caption and colours. One table; the
// window is built by walking it.
#pragma once

#include <string>

#include "forms/widget.h"
#include "options/widget_names.h"

namespace sample {

enum class WidgetKind { Panel, Label, TextField, CheckBox, Button, ComboBox, Control };

enum LayoutFlags : unsigned {
  kNoFlags = 0,
  kHasBackColor = 1u << 0,
  kHasTextColor = 1u << 1,
  kTransparent = 1u << 2,
  kCentred = 1u << 3,
  kTitleFont = 1u << 4,
  kReadOnly = 1u << 5,
};

struct LayoutRow {
  const wchar_t* name;
  WidgetKind kind;
  int id;
  int container;  // kWindowId or a panel's id
  int x, y, width, height;  // twips in the container's client area
  int tab_index;
  const wchar_t* caption;
  unsigned flags;
  forms::OleColor back_color;  // a panel's theme colour for panels
  forms::OleColor text_color;
};

extern const LayoutRow kLayout[];
extern const int kLayoutCount;

const LayoutRow* FindLayoutRow(int id);

// The labels that name a text field for assistive tools: the one beside or
// above it, and where the form has one, a second label after it (the unit
// after the preview rate, the "X" between a width and its height).
struct FieldLabels {
  int field;
  int label;
  int second_label;  // 0 for none
};

extern const FieldLabels kFieldLabels[];
extern const int kFieldLabelCount;

// What the labels of a row call their field: their captions, one blank
// between them.
std::wstring AccessibleFieldName(const FieldLabels& row);

struct WindowLayout {
  const wchar_t* caption;
  int client_x, client_y;  // twips from the screen's top-left corner
  int client_width, client_height;
  forms::OleColor back_color;
};

extern const WindowLayout kMainWindowLayout;

}  // namespace sample
