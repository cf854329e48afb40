// The panel on display laid out on printed pages, line by line: its title,
// every field with its label, the lists as tables whose column headings come
// again on each page they run onto, and the charts as drawing lists, each kept
// whole on one page. A header names the machine and the date, a footer
// numbers the pages. Sizes are in character cells of one fixed-width font, so
// that the pages are decided without a printer; the drawing is the toolkit's.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ui/text/form_printer.h"

class FormState;

struct PrintCell {
  std::size_t column = 0;  // in characters from the left margin
  std::wstring text;
};

struct PrintLine {
  enum class Style { Plain, Title, Heading, ColumnHeadings };
  Style style = Style::Plain;
  std::vector<PrintCell> cells;
  // Index into PrintedPanel::charts of a chart drawn from this line down over
  // `lines` lines; -1 for a line of text.
  int chart = -1;
  std::size_t lines = 1;
};

struct PrintPage {
  std::wstring machine;  // header, left
  std::wstring date;     // header, right
  std::wstring footer;   // "Page 1 of 3"
  std::vector<PrintLine> lines;
};

struct PrintPageSize {
  std::size_t columns = 80;  // characters on a line
  std::size_t lines = 60;    // lines between header and footer
  int chartPixelsPerLine = 16;  // how many of a chart's pixels one line is high
};

struct PrintedPanel {
  std::vector<PanelChart> charts;
  std::vector<PrintPage> pages;  // at least one
};

PrintedPanel LayOutPrintedPanel(const FormState& form, const std::wstring& machine, const std::wstring& date,
                                PrintPageSize size);
