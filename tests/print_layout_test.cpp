// The printed panel: every visible field with its label, long lists carried
// over pages with their column headings again, the chart kept whole on one
// page, and the header and footer on every page.
#include <gtest/gtest.h>

#include <string>

#include "ui/form_layout.h"
#include "ui/form_state.h"
#include "ui/print_layout.h"

using enum ControlId;

namespace {

std::wstring Joined(const PrintLine& line) {
  std::wstring text;
  for (const PrintCell& cell : line.cells) {
    if (text.size() < cell.column) text.resize(cell.column, L' ');
    text += cell.text;
  }
  return text;
}

std::wstring AllText(const PrintedPanel& printed) {
  std::wstring text;
  for (const PrintPage& page : printed.pages)
    for (const PrintLine& line : page.lines) text += Joined(line) + L"\n";
  return text;
}

FormState DiskForm(int partitions) {
  FormState form;
  form.ShowPanel(DiskPanel);
  for (const FormField& f : PanelFields(DiskPanel))
    if (f.type == FormField::Type::Edit && form.Visible(f.id)) form.SetEdit(f.id, L"value-" + std::to_wstring(static_cast<int>(f.id)));
  ListViewState& list = form.List(DiskPartitionList);
  list.AddColumns({{L"Partition", 12}, {L"Start", 10}, {L"Length", 10}});
  for (int i = 0; i < partitions; ++i) {
    ListRow& row = list.AddRow(nullptr);
    row.cells = {L"part" + std::to_wstring(i), std::to_wstring(i * 100), L"100"};
  }
  form.Chart(DiskChart) = {L"Partition Allocation", {{0x0000FFu, 0, 60, L"Used", true}, {0x00FF00u, 0, 40, L"Free", true}}};
  return form;
}

}  // namespace

TEST(PrintLayout, EveryFieldRowAndChartIsPrintedOnceWithHeaderAndFooter) {
  struct Case {
    int partitions;
    std::size_t linesPerPage;
    std::size_t pages;
  };
  for (const Case c : {Case{3, 200, 1}, Case{400, 60, 0}, Case{400, 25, 0}}) {
    SCOPED_TRACE(c.partitions * 1000 + static_cast<int>(c.linesPerPage));
    const FormState form = DiskForm(c.partitions);
    const PrintedPanel printed = LayOutPrintedPanel(form, L"workstation.json", L"2026-12-08", {80, c.linesPerPage, 16});
    if (c.pages != 0) {
      EXPECT_EQ(printed.pages.size(), c.pages);
    }
    // A long list runs over pages; none holds more than fits.
    if (c.partitions > 100) {
      EXPECT_GE(printed.pages.size(), static_cast<std::size_t>(c.partitions) / c.linesPerPage);
    }
    const std::wstring text = AllText(printed);
    EXPECT_EQ(text.rfind(form.FrameTitle(DiskPanel), 0), 0u);
    for (const FormField& f : PanelFields(DiskPanel)) {
      if (f.type != FormField::Type::Edit || !form.Visible(f.id)) continue;
      const std::wstring value = form.Edit(f.id);
      // The label and its value on one line.
      EXPECT_NE(text.find(std::wstring(f.label)), std::wstring::npos) << static_cast<int>(f.id);
      const auto at = text.find(value + L"\n");
      ASSERT_NE(at, std::wstring::npos) << static_cast<int>(f.id);
      EXPECT_NE(text.substr(text.rfind(L'\n', at) + 1, at - text.rfind(L'\n', at)).find(f.label), std::wstring::npos);
    }
    for (int i = 0; i < c.partitions; ++i) {
      const std::wstring row = L"part" + std::to_wstring(i) + L" ";
      const auto first = text.find(row);
      EXPECT_NE(first, std::wstring::npos) << i;
      EXPECT_EQ(text.find(row, first + 1), std::wstring::npos) << i;
    }
    int charts = 0;
    for (std::size_t p = 0; p < printed.pages.size(); ++p) {
      const PrintPage& page = printed.pages[p];
      EXPECT_EQ(page.machine, L"workstation.json");
      EXPECT_EQ(page.date, L"2026-12-08");
      EXPECT_EQ(page.footer, L"Page " + std::to_wstring(p + 1) + L" of " + std::to_wstring(printed.pages.size()));
      std::size_t used = 0;
      bool rows = false;
      for (const PrintLine& line : page.lines) {
        used += line.lines;
        if (line.chart >= 0) {
          ++charts;
          EXPECT_EQ(printed.charts.at(static_cast<std::size_t>(line.chart)).title, L"Partition Allocation");
        }
        if (Joined(line).find(L"part") != std::wstring::npos && !rows) {
          rows = true;
          // A page that goes on with the list starts it with its headings.
          if (&line == &page.lines.front()) ADD_FAILURE() << "rows without headings on page " << p + 1;
        }
      }
      EXPECT_LE(used, c.linesPerPage);
      EXPECT_FALSE(page.lines.empty());
      if (p > 0 && rows) {
        EXPECT_EQ(page.lines.front().style, PrintLine::Style::ColumnHeadings);
      }
    }
    EXPECT_EQ(charts, 1);
  }
}

TEST(PrintLayout, ListsWiderThanThePageBecomeRecordsAndLongValuesWrap) {
  FormState form = DiskForm(2);
  const std::wstring wide(150, L'w');
  form.List(DiskPartitionList).rows[1].cells[1] = wide;
  form.SetEdit(DiskSizeEdit, wide);
  const PrintedPanel printed = LayOutPrintedPanel(form, L"m", L"d", {80, 500, 16});
  std::wstring joinedWide;
  for (const PrintLine& line : printed.pages.at(0).lines) {
    EXPECT_LE(Joined(line).size(), 80u) << std::wstring(Joined(line));
    for (const PrintCell& cell : line.cells)
      if (cell.text.find_first_not_of(L'w') == std::wstring::npos) joinedWide += cell.text;
  }
  // Both the field and the cell come through whole, over several lines.
  EXPECT_EQ(joinedWide, wide + wide);
  EXPECT_NE(AllText(printed).find(L"Start: "), std::wstring::npos);
}
