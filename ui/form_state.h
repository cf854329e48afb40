// Everything the detail form shows, keyed by control id: what the panel
// fillers write and what a widget layer pushes into the controls (or the
// terminal program prints). Fields a panel does not touch keep their values,
// exactly as the controls would.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "ui/pie_chart.h"

class StorageNode;

struct ListColumn {
  std::wstring heading;
  int widthChars = 0;  // times the list font's average character width
  friend bool operator==(const ListColumn&, const ListColumn&) = default;
};

struct ListRow {
  std::vector<std::wstring> cells;  // one per column
  StorageNode* node = nullptr;      // what a double click on the row selects
};

struct ListViewState {
  static constexpr std::uint32_t kFullRowSelect = 0x20;

  std::vector<ListColumn> columns;
  std::vector<ListRow> rows;
  std::uint32_t extendedStyle = 0;

  // No rows, no columns, and full-row selection as the only extended style.
  void Reset();
  void AddColumn(const std::wstring& heading, int widthChars);
  void AddColumns(std::initializer_list<ListColumn> headingsAndWidths);
  // Appends a row with one empty cell per column and returns it.
  ListRow& AddRow(StorageNode* node);
  // The same as Reset, AddColumns and `count` rows added for no node, but the
  // rows of an earlier fill keep the room their cells took: a list of
  // thousands of rows is written again without making its strings anew.
  void ResetToEmptyRows(std::initializer_list<ListColumn> headingsAndWidths, std::size_t count);
};

struct ListBoxState {
  std::vector<std::wstring> lines;
  bool sorted = false;

  void Clear() { lines.clear(); }
  // A sorted box places the line among the others without regard to case,
  // after those equal to it.
  void Add(const std::wstring& line);
  // The lines in the places Add would give them one by one, without moving
  // the list's tail for each: a filesystem bound at thousands of places
  // lists thousands of paths.
  void AddAll(const std::vector<std::wstring>& more);
};

class FormState {
 public:
  // The form as the template creates it: empty texts, unchecked boxes, empty
  // lists and charts, the template's group box titles, every control visible
  // except those hidden in the template, no panel on display.
  FormState();
  void Reset();

  // Every accessor throws std::out_of_range for an id that is not a control of
  // that kind.
  const std::wstring& Edit(ControlId id) const { return edits.at(id); }
  void SetEdit(ControlId id, std::wstring text) { edits.at(id) = std::move(text); }
  bool Checked(ControlId id) const { return checks.at(id); }
  void SetCheck(ControlId id, bool checked) { checks.at(id) = checked; }
  // Handing a list out for change gives it a new revision.
  ListViewState& List(ControlId id);
  const ListViewState& List(ControlId id) const { return lists.at(id); }
  // Differs from every revision the list had before it was last handed out
  // for change, in this or any other form state; equal revisions mean equal
  // lists. A view can tell by it, without comparing rows, that a list of
  // thousands of rows is the one it shows already.
  std::uint64_t ListRevision(ControlId id) const { return listRevisions.at(id); }
  ListBoxState& ListBox(ControlId id) { return listBoxes.at(id); }
  const ListBoxState& ListBox(ControlId id) const { return listBoxes.at(id); }
  PieChartContent& Chart(ControlId id) { return charts.at(id); }
  const PieChartContent& Chart(ControlId id) const { return charts.at(id); }
  const std::wstring& FrameTitle(ControlId id) const { return frameTitles.at(id); }
  void SetFrameTitle(ControlId id, std::wstring text) { frameTitles.at(id) = std::move(text); }
  bool Visible(ControlId id) const { return visible.at(id); }

  // Shows or hides every control of a closed id range; a reversed range does nothing.
  void ShowControlRange(ControlId firstId, ControlId lastId, bool show);
  // The panel protocol's common part: the panel with this group box becomes the
  // one on display, its controls shown and those of the eight others hidden.
  void ShowPanel(ControlId groupBoxId);
  // The group box of the panel scrolled to the top of the view; kNoControl
  // before the first node is shown.
  ControlId PanelOnDisplay() const { return panelOnDisplay; }

  // The node a row of a list stands for; null beside the rows or for rows
  // that stand for none.
  StorageNode* NodeAtRow(ControlId listId, int row) const;

  const std::map<ControlId, std::wstring>& Edits() const { return edits; }
  const std::map<ControlId, bool>& Checks() const { return checks; }

 private:
  std::map<ControlId, std::wstring> edits;
  std::map<ControlId, bool> checks;
  std::map<ControlId, ListViewState> lists;
  std::map<ControlId, std::uint64_t> listRevisions;
  std::map<ControlId, ListBoxState> listBoxes;
  std::map<ControlId, PieChartContent> charts;
  std::map<ControlId, std::wstring> frameTitles;
  std::map<ControlId, bool> visible;
  ControlId panelOnDisplay = kNoControl;
};
