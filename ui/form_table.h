// The detail form, described once: every control with its kind, its panel,
// its place in dialog units of the form's 8-point font, its text, where a
// reader meets it, and the style facts a dialog template needs; every panel
// with the node kind it shows and its help page. No toolkit code: each front
// end builds its controls from this table, the terminal printer reads it, and
// ui/form_layout.h derives the lists the rest of the program asks for.
#pragma once

#include <span>

#include "model/storage_node.h"
#include "ui/control_ids.h"

enum class ControlKind { Edit, CheckBox, ListView, ListBox, PieChart, GroupBox, Label };

struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  constexpr int Right() const { return x + width; }
  constexpr int Bottom() const { return y + height; }
  friend constexpr bool operator==(const DialogRect&, const DialogRect&) = default;
};

// Style facts beyond those every control of a kind shares (an edit is read-only
// with a border and scrolls its text; a list view shows a report; a list box
// notifies and always has a vertical scroll bar; a check box is not toggled by
// a click).
enum ControlStyle : unsigned {
  kTabStop = 1u << 0,
  kTextOnLeft = 1u << 1,        // a check box with its text left of the box
  kSorted = 1u << 2,            // a list box that keeps its lines sorted
  kSingleSelection = 1u << 3,   // a list view that allows one selected row
  kRowsOpenNodes = 1u << 4,     // a double click on a row makes the row's node current
  kHiddenInTemplate = 1u << 5,  // starts hidden
};

struct FormControl {
  ControlId id;
  ControlKind kind;
  ControlId panel;  // the group box of the panel it belongs to
  DialogRect rect;
  // A label's text, a check box's own text, a group box's title; empty for the rest.
  const wchar_t* text;
  // Where a reader of the panel meets it, from 1; 0 for labels and the
  // panel's own frame, which are read with what they name. An inner frame is
  // met where it begins and holds the controls that lie inside it.
  int readingOrder;
  ControlId label;  // the label that names an edit, list or list box, or kNoControl
  unsigned style;   // ControlStyle bits
};

struct FormPanel {
  NodeKind kind;  // the node kind the panel shows
  ControlId groupBox;
  const char* helpPage;
};

// All 206 controls, ascending by id.
std::span<const FormControl> FormControls();
// The nine panels in template order, top to bottom.
std::span<const FormPanel> FormPanels();

// The whole form, in dialog units, and the font its dialog template names
// (dialog units are measured in it).
constexpr int kFormWidthDialogUnits = 517;
constexpr int kFormHeightDialogUnits = 3351;
constexpr int kFormFontPoints = 8;
constexpr const wchar_t* kFormFontFace = L"MS Shell Dlg";
