// The detail form as its template builds it: nine panels stacked one below the
// other, each a closed range of control ids, with the kind of every control and
// the labels the panels show. Everything here is fixed at build time.
#pragma once

#include <span>

#include "ui/control_ids.h"

enum class ControlKind { Edit, CheckBox, ListView, ListBox, PieChart, GroupBox, Label };

struct PanelInfo {
  int kind;        // the NodeKind the panel shows
  ControlId groupBoxId;  // the panel's frame, scrolled to the top when it is shown
  ControlId firstId;
  ControlId lastId;
  const wchar_t* title;
  int topDialogUnits;
};

// The nine panels in template order (top to bottom).
std::span<const PanelInfo> Panels();
const PanelInfo* PanelOfKind(int kind);
const PanelInfo* PanelOfControl(ControlId id);

// Every control id of the template, ascending (206 of them).
std::span<const ControlId> AllControlIds();
ControlKind KindOfControl(ControlId id);

std::span<const ControlId> EditIds();
std::span<const ControlId> CheckBoxIds();
std::span<const ControlId> ListViewIds();
std::span<const ControlId> ListBoxIds();
std::span<const ControlId> PieChartIds();
// The frames whose titles the panels change, and their titles in the template.
std::span<const ControlId> RetitledFrameIds();
const wchar_t* TemplateFrameTitle(ControlId id);
// The fixed text of any group box.
const wchar_t* GroupBoxTitle(ControlId id);

// Controls that start hidden in the template.
bool HiddenInTemplate(ControlId id);
// The list box that keeps its lines sorted.
constexpr ControlId kSortedListBoxId = ControlId::MountPointPathNamesListBox;

// The chart's size on the form, in dialog units.
struct DialogSize {
  int width;
  int height;
};
DialogSize PieChartDialogSize(ControlId id);
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
