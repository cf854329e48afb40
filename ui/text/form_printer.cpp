#include "ui/text/form_printer.h"

#include <algorithm>
#include <cctype>
#include <cwctype>
#include <span>

#include "platform/wide_text.h"
#include "ui/form_layout.h"
#include "ui/form_state.h"
#include "ui/text/pie_svg.h"

namespace {

constexpr std::size_t kMaxLabelColumn = 26;
constexpr std::size_t kColumnGap = 2;
// Below this many columns a value is not worth wrapping.
constexpr std::size_t kMinWrapWidth = 16;

std::wstring Trimmed(const std::wstring& s) {
  const auto first = s.find_first_not_of(L' ');
  if (first == std::wstring::npos) return {};
  return s.substr(first, s.find_last_not_of(L' ') - first + 1);
}

std::wstring Padded(const std::wstring& s, std::size_t width) {
  return s.size() >= width ? s : s + std::wstring(width - s.size(), L' ');
}

class PanelPrinter {
 public:
  PanelPrinter(const FormState& form, std::size_t width) : form_(form), width_(width) {}

  void Print(std::ostream& out) {
    const ControlId panel = form_.PanelOnDisplay();
    if (panel == kNoControl) {
      Line(L"(no panel on display)");
    } else {
      const std::wstring title = form_.FrameTitle(panel);
      Line(title);
      Line(std::wstring(title.size(), L'='));
      const auto fields = PanelFields(panel);
      labelColumn_ = LabelColumn(fields);
      for (const FormField& field : fields) Field(field);
    }
    for (const std::wstring& line : lines_) {
      std::wstring text = line;
      while (!text.empty() && text.back() == L' ') text.pop_back();
      out << Utf8FromWide(text) << '\n';
    }
  }

 private:
  std::size_t LabelColumn(std::span<const FormField> fields) const {
    std::size_t longest = 0;
    for (const FormField& f : fields) {
      if ((f.type == FormField::Type::Edit || f.type == FormField::Type::CheckBox) && form_.Visible(f.id))
        longest = std::max(longest, std::wstring(f.label).size());
    }
    return std::min(longest + kColumnGap, kMaxLabelColumn);
  }

  // Every text reaches a line through here, so no control character from a
  // machine reaches the terminal; widths are measured on what is printed.
  void Line(const std::wstring& text) { lines_.push_back(std::wstring(indent_, L' ') + VisibleText(text)); }
  void Blank() {
    if (!lines_.empty() && !lines_.back().empty()) lines_.emplace_back();
  }

  // A label and its value; a long value continues below itself.
  void LabelledValue(const std::wstring& label, const std::wstring& raw, std::size_t labelWidth) {
    const std::wstring value = VisibleText(raw);
    const std::wstring lead = Padded(label, labelWidth);
    const std::size_t used = indent_ + lead.size();
    const std::size_t room = width_ > used ? width_ - used : 0;
    if (room < kMinWrapWidth || value.size() <= room) {
      Line(lead + value);
      return;
    }
    for (std::size_t at = 0; at < value.size(); at += room)
      Line((at == 0 ? lead : std::wstring(lead.size(), L' ')) + value.substr(at, room));
  }

  void Field(const FormField& f) {
    using T = FormField::Type;
    if (f.type == T::FrameEnd) {
      indent_ -= 2;
      Blank();
      return;
    }
    const bool visible = form_.Visible(f.id);
    switch (f.type) {
      case T::FrameBegin:
        Blank();
        if (visible) Line(form_.FrameTitle(f.id));
        indent_ += 2;
        return;
      case T::Edit:
        if (visible) LabelledValue(f.label, form_.Edit(f.id), labelColumn_);
        return;
      case T::CheckBox:
        if (visible) Line(Padded(f.label, labelColumn_) + (form_.Checked(f.id) ? L"[x]" : L"[ ]"));
        return;
      case T::ListBox:
        if (visible) ListBox(f);
        return;
      case T::ListView:
        if (visible) ListView(f);
        return;
      case T::PieChart:
        if (visible) Chart(f.id);
        return;
      case T::FrameEnd:
        return;
    }
  }

  void ListBox(const FormField& f) {
    Blank();
    Line(f.label);
    const ListBoxState& box = form_.ListBox(f.id);
    indent_ += 2;
    if (box.lines.empty()) Line(L"(empty)");
    for (const std::wstring& line : box.lines) LabelledValue(L"", line, 0);
    indent_ -= 2;
  }

  void Chart(ControlId id) {
    const PieChartContent& chart = form_.Chart(id);
    Blank();
    Line(chart.title.empty() ? L"(chart without title)" : chart.title);
    indent_ += 2;
    if (chart.slices.empty()) Line(L"(no slices)");
    for (const ChartSlice& slice : chart.slices) {
      const std::wstring value = FormatWide(slice.valueIsPercent ? L"%d%%" : L"%d degrees", slice.value);
      Line((slice.label.empty() ? L"(no label)" : slice.label) + L" \u2014 " + value);
    }
    indent_ -= 2;
  }

  void ListView(const FormField& f) {
    const ListViewState& list = form_.List(f.id);
    Blank();
    if (f.label != nullptr) Line(f.label);
    indent_ += 2;
    if (list.columns.empty()) {
      Line(L"(no columns)");
    } else if (!Table(list)) {
      Records(list);
    }
    indent_ -= 2;
  }

  // An aligned table when it fits the width; false otherwise.
  bool Table(const ListViewState& list) {
    std::vector<std::wstring> headings;
    std::vector<std::size_t> widths;
    for (const ListColumn& c : list.columns) {
      headings.push_back(Trimmed(c.heading));
      widths.push_back(headings.back().size());
    }
    for (const ListRow& row : list.rows)
      for (std::size_t i = 0; i < widths.size() && i < row.cells.size(); ++i)
        widths[i] = std::max(widths[i], VisibleText(row.cells[i]).size());
    std::size_t total = indent_;
    for (std::size_t w : widths) total += w + kColumnGap;
    if (total - kColumnGap > width_) return false;

    auto joined = [&widths](const std::vector<std::wstring>& cells) {
      std::wstring line;
      for (std::size_t i = 0; i < widths.size(); ++i)
        line += Padded(i < cells.size() ? VisibleText(cells[i]) : L"", widths[i] + (i + 1 < widths.size() ? kColumnGap : 0));
      return line;
    };
    Line(joined(headings));
    std::vector<std::wstring> rules;
    for (std::size_t w : widths) rules.emplace_back(w, L'-');
    Line(joined(rules));
    if (list.rows.empty()) Line(L"(no rows)");
    for (const ListRow& row : list.rows) Line(joined(row.cells));
    return true;
  }

  // Each row as a block of "heading: value" lines, for lists too wide for a table.
  void Records(const ListViewState& list) {
    std::size_t headingWidth = 0;
    for (const ListColumn& c : list.columns) headingWidth = std::max(headingWidth, Trimmed(c.heading).size() + 1);
    headingWidth = std::min(headingWidth + kColumnGap, kMaxLabelColumn);
    if (list.rows.empty()) Line(L"(no rows)");
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
      const ListRow& row = list.rows[r];
      for (std::size_t i = 0; i < list.columns.size(); ++i) {
        const std::wstring cell = i < row.cells.size() ? row.cells[i] : L"";
        if (i == 0) {
          LabelledValue(FormatWide(L"%d.", static_cast<int>(r + 1)) + L" ", cell, 4);
          indent_ += 4;
        } else {
          LabelledValue(Trimmed(list.columns[i].heading) + L":", cell, headingWidth);
        }
      }
      indent_ -= 4;
    }
  }

  const FormState& form_;
  std::size_t width_;
  std::size_t indent_ = 0;
  std::size_t labelColumn_ = 0;
  std::vector<std::wstring> lines_;
};

std::string FileNameFor(const PieChartContent& chart, ControlId id) {
  std::string name;
  for (char c : Utf8FromWide(chart.title)) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u)) {
      name += static_cast<char>(std::tolower(u));
    } else if (!name.empty() && name.back() != '-') {
      name += '-';
    }
  }
  while (!name.empty() && name.back() == '-') name.pop_back();
  if (name.empty()) name = "chart-" + std::to_string(static_cast<int>(id));
  return name + ".svg";
}

}  // namespace

void PrintForm(const FormState& form, std::ostream& out, std::size_t width) { PanelPrinter(form, width).Print(out); }

std::vector<PanelChart> DrawPanelCharts(const FormState& form) {
  std::vector<PanelChart> charts;
  const ControlId panel = form.PanelOnDisplay();
  if (panel == kNoControl) return charts;
  for (const FormField& f : PanelFields(panel)) {
    if (f.type != FormField::Type::PieChart || !form.Visible(f.id)) continue;
    const DialogRect& place = FindControl(f.id)->rect;
    const PixelSize pixels{DialogUnitsToPixelsX(place.width), DialogUnitsToPixelsY(place.height)};
    PieChart chart;
    chart.OnSize(pixels.cx, pixels.cy);
    chart.Show(form.Chart(f.id));
    charts.push_back({f.id, form.Chart(f.id).title, pixels, chart.Paint()});
  }
  return charts;
}

std::vector<ChartFile> RenderPanelCharts(const FormState& form) {
  std::vector<ChartFile> files;
  for (const PanelChart& chart : DrawPanelCharts(form))
    files.push_back({FileNameFor(form.Chart(chart.id), chart.id), RenderPieSvg(chart.ops, chart.size)});
  return files;
}
