// CPanelPrintout: the panel on display on paper, through the toolkit's
// printing framework (print, preview). The pages are laid out by
// LayOutPrintedPanel once the printer's page size is known; this draws them.
#pragma once

#include <string>

#include <wx/cmndata.h>
#include <wx/prntbase.h>

#include "ui/form_state.h"
#include "ui/print_layout.h"

class CPanelPrintout : public wxPrintout {
 public:
  // Copies the form: a preview outlives the node it was opened on.
  CPanelPrintout(const FormState& form, std::wstring machine, std::wstring date, const wxPageSetupDialogData& setup);

  void OnPreparePrinting() override;
  bool HasPage(int page) override;
  void GetPageInfo(int* minPage, int* maxPage, int* selFrom, int* selTo) override;
  bool OnPrintPage(int page) override;

  const PrintedPanel& Layout() const { return printed; }

 private:
  // Maps the page so that one logical unit is one screen pixel and sets the
  // text font; the area inside the margins.
  wxRect PreparePage(wxDC& dc);

  FormState form;
  std::wstring machine;
  std::wstring date;
  wxPageSetupDialogData setup;
  PrintedPanel printed;
  wxFont textFont;
  wxFont boldFont;
  wxFont chartTitleFont;
  wxFont chartLabelFont;
  wxCoord charWidth = 1;
  wxCoord lineHeight = 1;
};
