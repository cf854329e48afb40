#include "ui/text/form_dump.h"

#include <cstdint>
#include <cstdio>

#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"
#include "ui/form_layout.h"
#include "ui/form_state.h"
#include "ui/text/node_lookup.h"

namespace {

// Quoted, with the characters that would break a line or hide an end shown
// as escapes.
std::string Quoted(const std::wstring& text) {
  std::wstring escaped;
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') {
      escaped += L'\\';
      escaped += c;
    } else if (static_cast<std::uint32_t>(c) < 0x20 || c == 0x7f) {  // unsigned: wchar_t may be signed
      wchar_t hex[8];
      std::swprintf(hex, 8, L"\\x%02x", static_cast<unsigned>(c));
      escaped += hex;
    } else {
      escaped += c;
    }
  }
  return "\"" + Utf8FromWide(escaped) + "\"";
}

std::string Joined(const std::vector<std::wstring>& cells) {
  std::string line;
  for (const std::wstring& cell : cells) line += " " + Quoted(cell);
  return line;
}

const char* KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Edit: return "edit";
    case ControlKind::CheckBox: return "check";
    case ControlKind::ListView: return "list";
    case ControlKind::ListBox: return "listbox";
    case ControlKind::PieChart: return "chart";
    case ControlKind::GroupBox: return "frame";
    case ControlKind::Label: return "label";
  }
  return "?";
}

class FormStateReading : public FormReading {
 public:
  explicit FormStateReading(const FormState& f) : form(f) {}
  ControlId PanelOnDisplay() const override { return form.PanelOnDisplay(); }
  bool Shown(ControlId id) const override { return form.Visible(id); }
  std::wstring Text(ControlId id) const override {
    const FormControl* c = FindControl(id);
    switch (c->kind) {
      case ControlKind::Edit: return form.Edit(id);
      case ControlKind::GroupBox: return form.FrameTitle(id);
      case ControlKind::PieChart: return form.Chart(id).title;
      default: return c->text != nullptr ? c->text : L"";
    }
  }
  bool Checked(ControlId id) const override { return form.Checked(id); }
  std::vector<std::wstring> ColumnHeadings(ControlId id) const override {
    std::vector<std::wstring> headings;
    for (const ListColumn& c : form.List(id).columns) headings.push_back(c.heading);
    return headings;
  }
  bool FullRowSelect(ControlId id) const override {
    return (form.List(id).extendedStyle & ListViewState::kFullRowSelect) != 0;
  }
  std::vector<std::vector<std::wstring>> Rows(ControlId id) const override {
    // A row shows one cell per column, whatever the row holds beyond them.
    const ListViewState& list = form.List(id);
    std::vector<std::vector<std::wstring>> rows;
    for (const ListRow& r : list.rows) {
      std::vector<std::wstring>& cells = rows.emplace_back(r.cells);
      cells.resize(list.columns.size());
    }
    return rows;
  }
  std::vector<std::wstring> ListBoxLines(ControlId id) const override { return form.ListBox(id).lines; }
  std::vector<Slice> Slices(ControlId id) const override {
    std::vector<Slice> slices;
    for (const ChartSlice& s : form.Chart(id).slices) slices.push_back({s.label, s.fillColor});
    return slices;
  }

 private:
  const FormState& form;
};

}  // namespace

std::string DumpForm(const FormReading& reading) {
  const PanelInfo* panel = PanelOfControl(reading.PanelOnDisplay());
  if (panel == nullptr) return "no panel on display\n";
  std::string out = "panel " + std::to_string(static_cast<int>(panel->groupBoxId)) + "\n";
  for (ControlId id : AllControlIds()) {
    if (id < panel->firstId || id > panel->lastId) continue;
    const FormControl* c = FindControl(id);
    out += std::to_string(static_cast<int>(id)) + " " + KindName(c->kind) + (reading.Shown(id) ? "" : " hidden");
    switch (c->kind) {
      case ControlKind::CheckBox:
        out += reading.Checked(id) ? " [x] " : " [ ] ";
        out += Quoted(reading.Text(id)) + "\n";
        break;
      case ControlKind::ListView: {
        const std::vector<std::vector<std::wstring>> rows = reading.Rows(id);
        out += reading.FullRowSelect(id) ? " full-row" : "";
        out += " columns" + Joined(reading.ColumnHeadings(id)) + "\n";
        for (const auto& row : rows) out += "  row" + Joined(row) + "\n";
        break;
      }
      case ControlKind::ListBox:
        out += "\n";
        for (const std::wstring& line : reading.ListBoxLines(id)) out += "  line " + Quoted(line) + "\n";
        break;
      case ControlKind::PieChart:
        out += " " + Quoted(reading.Text(id)) + "\n";
        for (const FormReading::Slice& s : reading.Slices(id)) {
          char fill[16];
          std::snprintf(fill, sizeof fill, "%06x", static_cast<unsigned>(s.fill));
          out += std::string("  slice ") + fill + " " + Quoted(s.label) + "\n";
        }
        break;
      default:
        out += " " + Quoted(reading.Text(id)) + "\n";
        break;
    }
  }
  return out;
}

std::string DumpFormState(const FormState& form) { return DumpForm(FormStateReading(form)); }

std::string DumpEveryNode(CQuelbrinDoc& doc, const std::function<std::string(const std::wstring& path)>& dump) {
  std::string out;
  ForEachNameableNode(doc, [&](const std::wstring& path, StorageNode* node) {
    doc.SetCurrentNode(node);
    out += "== " + Utf8FromWide(path) + "\n" + dump(path);
  });
  return out;
}
