// The panel on display as plain text, one control a line, from whatever can
// read a form: a form state, or a front end's controls read back through its
// toolkit. Two readings of the same form give the same text, so a front end is
// checked by comparing its dump with the form state's, on any system.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/control_ids.h"
#include "ui/geometry.h"

class CQuelbrinDoc;
class FormState;

class FormReading {
 public:
  struct Slice {
    std::wstring label;
    ColorRef fill = 0;
  };

  virtual ~FormReading() = default;
  // The group box at the top of the view, or kNoControl.
  virtual ControlId PanelOnDisplay() const = 0;
  virtual bool Shown(ControlId id) const = 0;
  // A label's, check box's or frame's own text, an edit's text, a chart's title.
  virtual std::wstring Text(ControlId id) const = 0;
  virtual bool Checked(ControlId id) const = 0;
  virtual std::vector<std::wstring> ColumnHeadings(ControlId listId) const = 0;
  virtual bool FullRowSelect(ControlId listId) const = 0;
  virtual std::vector<std::vector<std::wstring>> Rows(ControlId listId) const = 0;
  virtual std::vector<std::wstring> ListBoxLines(ControlId listBoxId) const = 0;
  virtual std::vector<Slice> Slices(ControlId chartId) const = 0;
};

// Every control of the panel on display, in id order, as UTF-8 lines; one line
// for a form without a panel on display.
std::string DumpForm(const FormReading& reading);
std::string DumpFormState(const FormState& form);

// Makes every node that can be named current in turn, in tree order, and
// dumps the form after each, under a line with the node's path; `dump`
// reads the form as it is then. Fields a panel leaves alone keep what the
// node before put there, so two dumps compare only when made in this order.
std::string DumpEveryNode(CQuelbrinDoc& doc, const std::function<std::string(const std::wstring& path)>& dump);
