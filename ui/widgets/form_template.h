// Where every control of the detail form stands, in dialog units of the
// form's 8-point font, and what each label says. The frames, lists and charts
// keep their template places; the labels, edits and check boxes are set out on
// a grid of their own inside their panel. No toolkit code: the widget reads
// this table to create its controls, and the tests check it.
#pragma once

#include <span>
#include <string>

#include "ui/form_layout.h"

struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
};

struct ControlPlace {
  ControlId id;
  ControlKind kind;
  DialogRect rect;
  // A label's text, a check box's own text, or a frame's template title;
  // empty for the rest.
  std::wstring text;
  // Check boxes of the device and partition panels carry their text on the left.
  bool textOnLeft = false;
};

// All 206 controls, ascending by id.
std::span<const ControlPlace> FormTemplate();
const ControlPlace* PlaceOfControl(ControlId id);

// The whole form, in dialog units.
constexpr int kFormWidthDialogUnits = 517;
constexpr int kFormHeightDialogUnits = 3351;
