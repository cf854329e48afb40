#include "ui/print_layout.h"

#include <algorithm>

#include "platform/wide_text.h"
#include "ui/form_layout.h"
#include "ui/form_state.h"

namespace {

constexpr std::size_t kMaxLabelColumn = 26;
constexpr std::size_t kColumnGap = 2;
constexpr std::size_t kIndentStep = 2;
// Room for a record's number, "12." and a space.
constexpr std::size_t kRecordNumber = 5;

std::wstring Trimmed(const std::wstring& s) {
  const auto first = s.find_first_not_of(L' ');
  if (first == std::wstring::npos) return {};
  return s.substr(first, s.find_last_not_of(L' ') - first + 1);
}

// A line before pagination; a table's rows know their heading line, which
// comes again at the top of every page the table runs onto.
struct FlowLine {
  PrintLine line;
  int repeatedHeading = -1;
};

class Flow {
 public:
  Flow(const FormState& form, std::size_t columns, int chartPixelsPerLine)
      : form_(form), columns_(std::max<std::size_t>(columns, 20)), pixelsPerLine_(std::max(chartPixelsPerLine, 1)) {}

  void Build(std::vector<PanelChart>& charts) {
    const ControlId panel = form_.PanelOnDisplay();
    if (panel == kNoControl) {
      Text(PrintLine::Style::Plain, L"(no panel on display)");
      return;
    }
    for (PanelChart& chart : DrawPanelCharts(form_)) charts_.push_back(std::move(chart));
    Text(PrintLine::Style::Title, form_.FrameTitle(panel));
    Blank();
    const auto fields = PanelFields(panel);
    for (const FormField& f : fields)
      if ((f.type == FormField::Type::Edit || f.type == FormField::Type::CheckBox) && form_.Visible(f.id))
        labelColumn_ = std::max(labelColumn_, std::wstring(f.label).size() + kColumnGap);
    labelColumn_ = std::min(labelColumn_, kMaxLabelColumn);
    for (const FormField& f : fields) Field(f);
    charts = charts_;
  }

  std::vector<FlowLine> lines;

 private:
  void Add(PrintLine line, int repeatedHeading = -1) { lines.push_back({std::move(line), repeatedHeading}); }
  void Text(PrintLine::Style style, const std::wstring& text) { Add({style, {{indent_, text}}}); }
  void Blank() {
    if (!lines.empty() && !lines.back().line.cells.empty()) Add({});
  }

  // A label and its value; a long value goes on below itself.
  void Labelled(const std::wstring& label, const std::wstring& value, std::size_t labelWidth) {
    const std::size_t at = indent_ + labelWidth;
    const std::size_t room = columns_ > at + 8 ? columns_ - at : 8;
    std::size_t from = 0;
    do {
      PrintLine line;
      if (from == 0 && !label.empty()) line.cells.push_back({indent_, label});
      line.cells.push_back({at, value.substr(from, room)});
      Add(std::move(line));
      from += room;
    } while (from < value.size());
  }

  void Field(const FormField& f) {
    using T = FormField::Type;
    if (f.type == T::FrameEnd) {
      indent_ -= kIndentStep;
      Blank();
      return;
    }
    if (f.type == T::FrameBegin) {
      Blank();
      if (form_.Visible(f.id)) Text(PrintLine::Style::Heading, form_.FrameTitle(f.id));
      indent_ += kIndentStep;
      return;
    }
    if (!form_.Visible(f.id)) return;
    switch (f.type) {
      case T::Edit:
        Labelled(f.label, form_.Edit(f.id), labelColumn_);
        return;
      case T::CheckBox:
        Labelled(f.label, form_.Checked(f.id) ? L"[x]" : L"[ ]", labelColumn_);
        return;
      case T::ListBox: {
        Blank();
        Text(PrintLine::Style::Heading, f.label);
        const ListBoxState& box = form_.ListBox(f.id);
        if (box.lines.empty()) Labelled(L"", L"(empty)", kIndentStep);
        for (const std::wstring& line : box.lines) Labelled(L"", line, kIndentStep);
        return;
      }
      case T::ListView:
        List(f);
        return;
      case T::PieChart:
        Chart(f.id);
        return;
      case T::FrameBegin:
      case T::FrameEnd:
        return;
    }
  }

  void Chart(ControlId id) {
    for (std::size_t i = 0; i < charts_.size(); ++i) {
      if (charts_[i].id != id) continue;
      Blank();
      PrintLine line;
      line.chart = static_cast<int>(i);
      line.lines = static_cast<std::size_t>((charts_[i].size.cy + pixelsPerLine_ - 1) / pixelsPerLine_);
      line.cells.push_back({indent_, charts_[i].title});
      Add(std::move(line));
      Blank();
    }
  }

  void List(const FormField& f) {
    const ListViewState& list = form_.List(f.id);
    Blank();
    if (f.label != nullptr) Text(PrintLine::Style::Heading, f.label);
    const std::size_t indent = indent_ + kIndentStep;
    if (list.columns.empty()) {
      Add({PrintLine::Style::Plain, {{indent, L"(no columns)"}}});
      return;
    }
    std::vector<std::size_t> widths;
    for (const ListColumn& c : list.columns) widths.push_back(Trimmed(c.heading).size());
    for (const ListRow& row : list.rows)
      for (std::size_t i = 0; i < widths.size() && i < row.cells.size(); ++i)
        widths[i] = std::max(widths[i], row.cells[i].size());
    std::size_t total = indent;
    for (std::size_t w : widths) total += w + kColumnGap;
    if (total - kColumnGap > columns_) {
      Records(list, indent);
      return;
    }
    auto placed = [&](auto cellText) {
      std::vector<PrintCell> cells;
      std::size_t at = indent;
      for (std::size_t i = 0; i < widths.size(); ++i) {
        cells.push_back({at, cellText(i)});
        at += widths[i] + kColumnGap;
      }
      return cells;
    };
    const int heading = static_cast<int>(lines.size());
    Add({PrintLine::Style::ColumnHeadings, placed([&](std::size_t i) { return Trimmed(list.columns[i].heading); })});
    if (list.rows.empty()) Add({PrintLine::Style::Plain, {{indent, L"(no rows)"}}});
    for (const ListRow& row : list.rows)
      Add({PrintLine::Style::Plain,
           placed([&](std::size_t i) { return i < row.cells.size() ? row.cells[i] : std::wstring(); })},
          heading);
  }

  // Rows too wide for the page: each a block of "heading: value" lines.
  void Records(const ListViewState& list, std::size_t indent) {
    std::size_t headingWidth = 0;
    for (const ListColumn& c : list.columns) headingWidth = std::max(headingWidth, Trimmed(c.heading).size() + 1);
    headingWidth = std::min(headingWidth + kColumnGap, kMaxLabelColumn);
    const std::size_t outer = indent_;
    if (list.rows.empty()) Add({PrintLine::Style::Plain, {{indent, L"(no rows)"}}});
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
      const ListRow& row = list.rows[r];
      for (std::size_t i = 0; i < list.columns.size(); ++i) {
        const std::wstring cell = i < row.cells.size() ? row.cells[i] : L"";
        if (i == 0) {
          indent_ = indent;
          Labelled(FormatWide(L"%d.", static_cast<int>(r + 1)), cell, kRecordNumber);
        } else {
          indent_ = indent + kRecordNumber;
          Labelled(Trimmed(list.columns[i].heading) + L":", cell, headingWidth);
        }
      }
    }
    indent_ = outer;
  }

  const FormState& form_;
  std::size_t columns_;
  int pixelsPerLine_;
  std::size_t indent_ = 0;
  std::size_t labelColumn_ = 0;
  std::vector<PanelChart> charts_;
};

}  // namespace

PrintedPanel LayOutPrintedPanel(const FormState& form, const std::wstring& machine, const std::wstring& date,
                                PrintPageSize size) {
  PrintedPanel printed;
  Flow flow(form, size.columns, size.chartPixelsPerLine);
  flow.Build(printed.charts);
  const std::size_t perPage = std::max<std::size_t>(size.lines, 4);
  while (!flow.lines.empty() && flow.lines.back().line.cells.empty()) flow.lines.pop_back();

  printed.pages.emplace_back();
  std::size_t used = 0;
  for (FlowLine& flowLine : flow.lines) {
    PrintLine& line = flowLine.line;
    // A chart higher than a page is drawn smaller to fit one.
    line.lines = std::min(line.lines, perPage);
    if (used + line.lines > perPage) {
      printed.pages.emplace_back();
      used = 0;
      if (flowLine.repeatedHeading >= 0) {
        printed.pages.back().lines.push_back(flow.lines[static_cast<std::size_t>(flowLine.repeatedHeading)].line);
        ++used;
      }
    }
    // No page starts with an empty line.
    if (used == 0 && line.cells.empty()) continue;
    used += line.lines;
    printed.pages.back().lines.push_back(line);
  }
  const int count = static_cast<int>(printed.pages.size());
  for (int i = 0; i < count; ++i) {
    PrintPage& page = printed.pages[static_cast<std::size_t>(i)];
    page.machine = machine;
    page.date = date;
    page.footer = FormatWide(L"Page %d of %d", i + 1, count);
  }
  return printed;
}
