#include "ui/widgets/panel_printout.h"

#include <algorithm>

#include <wx/dc.h>

#include "ui/widgets/pie_draw.h"

namespace {

constexpr int kTextPoints = 9;
// Lines taken by the header and by the footer, rule and gap included.
constexpr int kHeaderLines = 2;
constexpr int kFooterLines = 2;

}  // namespace

CPanelPrintout::CPanelPrintout(const FormState& f, std::wstring m, std::wstring d, const wxPageSetupDialogData& s)
    : wxPrintout("Quelbrin"),
      form(f),
      machine(std::move(m)),
      date(std::move(d)),
      setup(s),
      textFont(wxFontInfo(kTextPoints).Family(wxFONTFAMILY_TELETYPE)),
      boldFont(wxFontInfo(kTextPoints).Family(wxFONTFAMILY_TELETYPE).Bold()),
      chartTitleFont(wxFontInfo(9).Family(wxFONTFAMILY_SWISS)),
      chartLabelFont(wxFontInfo(8).Family(wxFONTFAMILY_SWISS)) {}

wxRect CPanelPrintout::PreparePage(wxDC& dc) {
  int pageWidth = 0, pageHeight = 0, dcWidth = 0, dcHeight = 0;
  GetPageSizePixels(&pageWidth, &pageHeight);
  dc.GetSize(&dcWidth, &dcHeight);
  // A context made for a file may not know its size: it is the page.
  if (dcWidth <= 0 || dcHeight <= 0) {
    dcWidth = pageWidth;
    dcHeight = pageHeight;
  }
  int screenX = 96, screenY = 96, printerX = 72, printerY = 72;
  GetPPIScreen(&screenX, &screenY);
  GetPPIPrinter(&printerX, &printerY);
  if (pageWidth <= 0 || pageHeight <= 0 || screenX <= 0 || screenY <= 0 || printerX <= 0 || printerY <= 0)
    return wxRect(0, 0, 1, 1);
  // One logical unit is one screen pixel, as on the form; a preview is the
  // page made smaller.
  dc.SetUserScale(double(printerX) / screenX * dcWidth / pageWidth, double(printerY) / screenY * dcHeight / pageHeight);
  dc.SetDeviceOrigin(0, 0);
  const auto logical = [](int millimetres, int ppi) { return static_cast<int>(millimetres * ppi / 25.4); };
  const int width = pageWidth * screenX / printerX;
  const int height = pageHeight * screenY / printerY;
  const wxPoint topLeft = setup.GetMarginTopLeft();
  const wxPoint bottomRight = setup.GetMarginBottomRight();
  const int left = logical(topLeft.x, screenX), top = logical(topLeft.y, screenY);
  dc.SetFont(textFont);
  charWidth = std::max<wxCoord>(dc.GetCharWidth(), 1);
  lineHeight = std::max<wxCoord>(dc.GetCharHeight(), 1);
  return wxRect(left, top, std::max(width - left - logical(bottomRight.x, screenX), 1),
                std::max(height - top - logical(bottomRight.y, screenY), 1));
}

void CPanelPrintout::OnPreparePrinting() {
  wxDC* dc = GetDC();
  if (dc == nullptr) return;
  const wxRect area = PreparePage(*dc);
  PrintPageSize size;
  size.columns = static_cast<std::size_t>(std::max(area.width / charWidth, 20));
  size.lines = static_cast<std::size_t>(std::max(area.height / lineHeight - kHeaderLines - kFooterLines, 4));
  size.chartPixelsPerLine = lineHeight;
  printed = LayOutPrintedPanel(form, machine, date, size);
}

bool CPanelPrintout::HasPage(int page) { return page >= 1 && page <= static_cast<int>(printed.pages.size()); }

void CPanelPrintout::GetPageInfo(int* minPage, int* maxPage, int* selFrom, int* selTo) {
  *minPage = 1;
  *maxPage = static_cast<int>(printed.pages.size());
  *selFrom = 1;
  *selTo = *maxPage;
}

bool CPanelPrintout::OnPrintPage(int pageNumber) {
  wxDC* dc = GetDC();
  if (dc == nullptr || !HasPage(pageNumber)) return false;
  const wxRect area = PreparePage(*dc);
  const PrintPage& page = printed.pages[static_cast<std::size_t>(pageNumber - 1)];
  dc->SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  dc->SetTextForeground(*wxBLACK);

  dc->DrawText(wxString(page.machine), area.x, area.y);
  const wxSize dateSize = dc->GetTextExtent(wxString(page.date));
  dc->DrawText(wxString(page.date), area.GetRight() - dateSize.x, area.y);
  dc->SetPen(*wxBLACK_PEN);
  const wxCoord ruleY = area.y + lineHeight + lineHeight / 2;
  dc->DrawLine(area.x, ruleY, area.GetRight(), ruleY);

  wxCoord y = area.y + kHeaderLines * lineHeight;
  for (const PrintLine& line : page.lines) {
    if (line.chart >= 0) {
      const PanelChart& chart = printed.charts[static_cast<std::size_t>(line.chart)];
      const wxCoord x = area.x + static_cast<wxCoord>(line.cells.empty() ? 0 : line.cells.front().column) * charWidth;
      // The chart's own coordinates start at its top-left corner.
      const wxPoint origin = dc->GetLogicalOrigin();
      dc->SetLogicalOrigin(origin.x - x, origin.y - y);
      DrawPieOps(*dc, chart.ops, chartTitleFont, chartLabelFont);
      dc->SetLogicalOrigin(origin.x, origin.y);
      dc->SetFont(textFont);
      dc->SetTextForeground(*wxBLACK);
    } else {
      const bool bold = line.style != PrintLine::Style::Plain;
      dc->SetFont(bold ? boldFont : textFont);
      for (const PrintCell& cell : line.cells)
        dc->DrawText(wxString(cell.text), area.x + static_cast<wxCoord>(cell.column) * charWidth, y);
      if (line.style == PrintLine::Style::ColumnHeadings && !line.cells.empty()) {
        const wxCoord under = y + lineHeight - 1;
        dc->DrawLine(area.x + static_cast<wxCoord>(line.cells.front().column) * charWidth, under, area.GetRight(), under);
      }
    }
    y += static_cast<wxCoord>(line.lines) * lineHeight;
  }

  dc->SetFont(textFont);
  const wxSize footerSize = dc->GetTextExtent(wxString(page.footer));
  dc->DrawText(wxString(page.footer), area.x + (area.width - footerSize.x) / 2, area.GetBottom() - lineHeight);
  return true;
}
