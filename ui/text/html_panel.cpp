#include "ui/text/html_panel.h"

#include <vector>

#include "ui/form_layout.h"
#include "ui/form_state.h"
#include "ui/text/form_printer.h"
#include "ui/text/markup_text.h"
#include "ui/text/pie_svg.h"

namespace {

std::wstring Trimmed(const std::wstring& s) {
  const auto first = s.find_first_not_of(L' ');
  if (first == std::wstring::npos) return {};
  return s.substr(first, s.find_last_not_of(L' ') - first + 1);
}

std::wstring Label(const wchar_t* label) { return label != nullptr ? label : L""; }

class PanelWriter {
 public:
  PanelWriter(const FormState& form, const PanelIdOf& panelIdOf, std::ostream& out)
      : form_(form), panelIdOf_(panelIdOf), out_(out) {}

  void Write() {
    const ControlId panel = form_.PanelOnDisplay();
    if (panel == kNoControl) {
      out_ << "<p class=\"none\">(no panel)</p>\n";
      return;
    }
    for (const PanelChart& chart : DrawPanelCharts(form_)) charts_.push_back(chart);
    // A frame hidden on the form hides its title here; its fields say for
    // themselves whether they show.
    std::vector<bool> frames;
    for (const FormField& f : PanelFields(panel)) {
      using T = FormField::Type;
      const bool visible = form_.Visible(f.id);
      if (f.type != T::Edit && f.type != T::CheckBox) EndFields();
      switch (f.type) {
        case T::FrameBegin:
          frames.push_back(visible);
          if (visible) out_ << "<section class=\"frame\">\n<h3>" << MarkupText(form_.FrameTitle(f.id)) << "</h3>\n";
          break;
        case T::FrameEnd:
          if (!frames.empty() && frames.back()) out_ << "</section>\n";
          if (!frames.empty()) frames.pop_back();
          break;
        case T::Edit:
          if (visible) Field(Label(f.label), MarkupText(form_.Edit(f.id)), "");
          break;
        case T::CheckBox:
          if (visible)
            Field(Label(f.label), form_.Checked(f.id) ? "\u2611 yes" : "\u2610 no",
                  form_.Checked(f.id) ? " class=\"check on\"" : " class=\"check\"");
          break;
        case T::ListBox:
          if (visible) ListBox(f);
          break;
        case T::ListView:
          if (visible) ListView(f);
          break;
        case T::PieChart:
          if (visible) Chart(f.id);
          break;
      }
    }
    EndFields();
    for (; !frames.empty(); frames.pop_back())
      if (frames.back()) out_ << "</section>\n";
  }

 private:
  void Field(const std::wstring& label, const std::string& valueHtml, const char* ddAttributes) {
    if (!inFields_) out_ << "<dl class=\"fields\">\n";
    inFields_ = true;
    out_ << "<dt>" << MarkupText(label) << "</dt><dd" << ddAttributes << ">" << valueHtml << "</dd>\n";
  }
  void EndFields() {
    if (inFields_) out_ << "</dl>\n";
    inFields_ = false;
  }

  void ListBox(const FormField& f) {
    const ListBoxState& box = form_.ListBox(f.id);
    out_ << "<div class=\"box\">\n<h4>" << MarkupText(Label(f.label)) << "</h4>\n";
    if (box.lines.empty()) {
      out_ << "<p class=\"none\">(empty)</p>\n";
    } else {
      out_ << "<ul class=\"lines\">\n";
      for (const std::wstring& line : box.lines) out_ << "<li>" << MarkupText(line) << "</li>\n";
      out_ << "</ul>\n";
    }
    out_ << "</div>\n";
  }

  void ListView(const FormField& f) {
    const ListViewState& list = form_.List(f.id);
    out_ << "<div class=\"list\">\n<table>\n";
    if (f.label != nullptr) out_ << "<caption>" << MarkupText(f.label) << "</caption>\n";
    if (list.columns.empty()) {
      out_ << "<tbody><tr><td class=\"none\">(no columns)</td></tr></tbody>\n</table>\n</div>\n";
      return;
    }
    out_ << "<thead><tr>";
    for (const ListColumn& c : list.columns) out_ << "<th scope=\"col\">" << MarkupText(Trimmed(c.heading)) << "</th>";
    out_ << "</tr></thead>\n<tbody>\n";
    if (list.rows.empty())
      out_ << "<tr><td class=\"none\" colspan=\"" << list.columns.size() << "\">(no rows)</td></tr>\n";
    for (const ListRow& row : list.rows) {
      const std::string* target = row.node != nullptr ? panelIdOf_(row.node) : nullptr;
      out_ << "<tr>";
      for (std::size_t i = 0; i < list.columns.size(); ++i) {
        const std::string cell = i < row.cells.size() ? MarkupText(row.cells[i]) : std::string();
        if (i == 0 && target != nullptr) {
          out_ << "<td><a href=\"#" << *target << "\">" << cell << "</a></td>";
        } else {
          out_ << "<td>" << cell << "</td>";
        }
      }
      out_ << "</tr>\n";
    }
    out_ << "</tbody>\n</table>\n</div>\n";
  }

  void Chart(ControlId id) {
    for (const PanelChart& chart : charts_) {
      if (chart.id != id) continue;
      out_ << "<figure class=\"chart\">\n" << PieSvgElement(chart.ops, chart.size, chart.title) << "</figure>\n";
    }
  }

  const FormState& form_;
  const PanelIdOf& panelIdOf_;
  std::ostream& out_;
  std::vector<PanelChart> charts_;
  bool inFields_ = false;
};

}  // namespace

void WritePanelHtml(const FormState& form, const PanelIdOf& panelIdOf, std::ostream& out) {
  PanelWriter(form, panelIdOf, out).Write();
}
