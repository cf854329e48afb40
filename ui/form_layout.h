// The detail form as its template builds it: nine panels stacked one below the
// other, each a closed range of control ids, with the kind of every control and
// the labels the panels show. Everything here is fixed at build time.
#pragma once

#include <span>

enum class ControlKind { Edit, CheckBox, ListView, ListBox, PieChart, GroupBox, Label };

struct PanelInfo {
  int kind;        // the NodeKind the panel shows
  int groupBoxId;  // the panel's frame, scrolled to the top when it is shown
  int firstId;
  int lastId;
  const wchar_t* title;
  int topDialogUnits;
};

// The nine panels in template order (top to bottom).
std::span<const PanelInfo> Panels();
const PanelInfo* PanelOfKind(int kind);
const PanelInfo* PanelOfControl(int id);

// Every control id of the template, ascending (206 of them).
std::span<const int> AllControlIds();
ControlKind KindOfControl(int id);

std::span<const int> EditIds();
std::span<const int> CheckBoxIds();
std::span<const int> ListViewIds();
std::span<const int> ListBoxIds();
std::span<const int> PieChartIds();
// The frames whose titles the panels change, and their titles in the template.
std::span<const int> RetitledFrameIds();
const wchar_t* TemplateFrameTitle(int id);
// The fixed text of any group box.
const wchar_t* GroupBoxTitle(int id);

// Controls that start hidden in the template.
bool HiddenInTemplate(int id);
// The list box that keeps its lines sorted.
constexpr int kSortedListBoxId = 1039;

// The chart's size on the form, in dialog units.
struct DialogSize {
  int width;
  int height;
};
DialogSize PieChartDialogSize(int id);
// Dialog units to pixels for the form's 8-point font at 96 dots per inch.
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// One line of a panel as a reader sees it, in the panel's reading order.
struct FormField {
  enum class Type { Edit, CheckBox, ListView, ListBox, PieChart, FrameBegin, FrameEnd };
  Type type;
  int id;                // the control (for frames: the group box)
  const wchar_t* label;  // the label beside it, or the check box's own text; frames: null
};
std::span<const FormField> PanelFields(int groupBoxId);
