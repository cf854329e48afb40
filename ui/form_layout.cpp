#include "ui/form_layout.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

bool Inside(const DialogRect& inner, const DialogRect& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.Right() <= outer.Right() && inner.Bottom() <= outer.Bottom();
}

std::vector<PanelInfo> DerivePanels() {
  std::vector<PanelInfo> panels;
  for (const FormPanel& p : FormPanels()) {
    const FormControl& frame = *FindControl(p.groupBox);
    PanelInfo info{p.kind, p.groupBox, p.groupBox, p.groupBox, frame.text, frame.rect.y, p.helpPage};
    for (const FormControl& c : FormControls()) {
      if (c.panel != p.groupBox) continue;
      info.firstId = std::min(info.firstId, c.id);
      info.lastId = std::max(info.lastId, c.id);
    }
    panels.push_back(info);
  }
  return panels;
}

FormField::Type FieldType(ControlKind kind) {
  switch (kind) {
    case ControlKind::Edit:
      return FormField::Type::Edit;
    case ControlKind::CheckBox:
      return FormField::Type::CheckBox;
    case ControlKind::ListView:
      return FormField::Type::ListView;
    case ControlKind::ListBox:
      return FormField::Type::ListBox;
    case ControlKind::PieChart:
      return FormField::Type::PieChart;
    case ControlKind::GroupBox:
    case ControlKind::Label:
      break;
  }
  return FormField::Type::FrameBegin;
}

const wchar_t* FieldLabel(const FormControl& c) {
  if (c.kind == ControlKind::CheckBox) return c.text;
  return c.label != kNoControl ? FindControl(c.label)->text : nullptr;
}

// The panel's controls in reading order; an inner frame opens where it is met
// and closes before the first control that lies outside it.
std::vector<FormField> DeriveFields(ControlId panel) {
  std::vector<const FormControl*> read;
  for (const FormControl& c : FormControls())
    if (c.panel == panel && c.readingOrder > 0) read.push_back(&c);
  std::sort(read.begin(), read.end(),
            [](const FormControl* a, const FormControl* b) { return a->readingOrder < b->readingOrder; });
  std::vector<FormField> fields;
  const FormControl* open = nullptr;
  for (const FormControl* c : read) {
    if (open != nullptr && !Inside(c->rect, open->rect)) {
      fields.push_back({FormField::Type::FrameEnd, open->id, nullptr});
      open = nullptr;
    }
    if (c->kind == ControlKind::GroupBox) {
      fields.push_back({FormField::Type::FrameBegin, c->id, nullptr});
      open = c;
    } else {
      fields.push_back({FieldType(c->kind), c->id, FieldLabel(*c)});
    }
  }
  if (open != nullptr) fields.push_back({FormField::Type::FrameEnd, open->id, nullptr});
  return fields;
}

}  // namespace

std::span<const PanelInfo> Panels() {
  static const std::vector<PanelInfo> panels = DerivePanels();
  return panels;
}

const PanelInfo* PanelOfKind(NodeKind kind) {
  for (const PanelInfo& p : Panels())
    if (p.kind == kind) return &p;
  return nullptr;
}

const PanelInfo* PanelOfControl(ControlId id) {
  const FormControl* c = FindControl(id);
  if (c == nullptr) return nullptr;
  for (const PanelInfo& p : Panels())
    if (p.groupBoxId == c->panel) return &p;
  return nullptr;
}

const FormControl* FindControl(ControlId id) {
  const auto all = FormControls();
  const auto it =
      std::lower_bound(all.begin(), all.end(), id, [](const FormControl& c, ControlId v) { return c.id < v; });
  return it != all.end() && it->id == id ? &*it : nullptr;
}

bool HasStyle(ControlId id, ControlStyle style) {
  const FormControl* c = FindControl(id);
  return c != nullptr && (c->style & style) != 0;
}

const wchar_t* AccessibleName(ControlId id) {
  const FormControl* c = FindControl(id);
  if (c == nullptr) return nullptr;
  switch (c->kind) {
    case ControlKind::PieChart:
      return nullptr;
    case ControlKind::CheckBox:
    case ControlKind::Label:
    case ControlKind::GroupBox:
      return c->text;
    case ControlKind::Edit:
    case ControlKind::ListView:
    case ControlKind::ListBox:
      break;
  }
  return FindControl(c->label != kNoControl ? c->label : c->panel)->text;
}

std::span<const ControlId> AllControlIds() {
  static const std::vector<ControlId> ids = [] {
    std::vector<ControlId> all;
    for (const FormControl& c : FormControls()) all.push_back(c.id);
    return all;
  }();
  return ids;
}

std::span<const ControlId> ControlsOfKind(ControlKind kind) {
  static const std::map<ControlKind, std::vector<ControlId>> byKind = [] {
    std::map<ControlKind, std::vector<ControlId>> kinds;
    for (const FormControl& c : FormControls()) kinds[c.kind].push_back(c.id);
    return kinds;
  }();
  const auto it = byKind.find(kind);
  return it != byKind.end() ? std::span<const ControlId>(it->second) : std::span<const ControlId>();
}

// The form's font averages 6 by 13 pixels; a dialog unit is a quarter of the
// width and an eighth of the height.
int DialogUnitsToPixelsX(int units) { return units * 6 / 4; }
int DialogUnitsToPixelsY(int units) { return units * 13 / 8; }

std::span<const FormField> PanelFields(ControlId groupBoxId) {
  static const std::map<ControlId, std::vector<FormField>> byPanel = [] {
    std::map<ControlId, std::vector<FormField>> panels;
    for (const FormPanel& p : FormPanels()) panels[p.groupBox] = DeriveFields(p.groupBox);
    return panels;
  }();
  const auto it = byPanel.find(groupBoxId);
  return it != byPanel.end() ? std::span<const FormField>(it->second) : std::span<const FormField>();
}
