// What the program asks of the detail form, derived from its table
// (ui/form_table.h): the panels with their id ranges, the controls of each
// kind, and each panel's fields in reading order. Nothing here restates the
// table.
#pragma once

#include <span>

#include "ui/form_table.h"

struct PanelInfo {
  NodeKind kind;          // the node kind the panel shows
  ControlId groupBoxId;   // the panel's frame, scrolled to the top when it is shown
  ControlId firstId;      // the panel's controls are those of this closed range
  ControlId lastId;
  const wchar_t* title;   // the frame's title in the template
  int topDialogUnits;
  const char* helpPage;
};

// The nine panels in template order (top to bottom).
std::span<const PanelInfo> Panels();
const PanelInfo* PanelOfKind(NodeKind kind);
const PanelInfo* PanelOfControl(ControlId id);

// The control with that id, or null.
const FormControl* FindControl(ControlId id);
bool HasStyle(ControlId id, ControlStyle style);

// What a screen reader calls a control: a check box, label or frame by its
// own text, a field or list by the label beside it, a list alone in its panel
// by the panel's title. Null for a chart, which is named by the title it shows.
const wchar_t* AccessibleName(ControlId id);

// Every control id of the template, ascending (206 of them).
std::span<const ControlId> AllControlIds();
// The controls of one kind, ascending.
std::span<const ControlId> ControlsOfKind(ControlKind kind);

// Dialog units to pixels for the form's 8-point font at 96 dots per inch.
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// One line of a panel as a reader sees it, in the panel's reading order.
struct FormField {
  enum class Type { Edit, CheckBox, ListView, ListBox, PieChart, FrameBegin, FrameEnd };
  Type type;
  ControlId id;          // the control (for frames: the group box)
  const wchar_t* label;  // the label beside it, or the check box's own text; frames: null
};
std::span<const FormField> PanelFields(ControlId groupBoxId);
