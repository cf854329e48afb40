// CDetailedView: the detail pane. DetailedForm fills a form state for each
// node the document makes current; this window holds the tall form of nine
// stacked panels, pushes the state into its controls in one go, and keeps the
// panel on display 5 pixels below its own top edge. A pane narrower than the
// form scrolls it sideways, and one shorter than the panel scrolls within that
// panel; the view alone chooses which panel is on display.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ui/detailed_form.h"
#include "ui/pushed_form.h"

#include <wx/panel.h>

class wxChildFocusEvent;
class wxListCtrl;
class wxListEvent;
class wxScrollBar;
class wxScrollEvent;
class CPieChartCtrl;

class CDetailedView : public wxPanel, public DocumentListener {
 public:
  // Listens to the document as one of its views until destroyed; `progress`
  // may be null.
  CDetailedView(wxWindow* parent, CQuelbrinDoc& document, ProgressSink* progress);

  // Shows the document's current node.
  void OnInitialUpdate() { form.OnInitialUpdate(); }
  void OnUpdate(UpdateHint hint, StorageNode* node) override;
  // A double click on a row of a list (-1: beside the rows).
  void OnListDoubleClick(ControlId listId, int row) { form.OnListDoubleClick(listId, row); }

  const FormState& Form() const { return form.Form(); }
  // The form's control with that id, or null.
  wxWindow* Control(ControlId id) const;
  CPieChartCtrl* Chart(ControlId id) const;
  // The window that holds all nine panels and moves as a whole.
  wxWindow* FormWindow() const { return formWindow; }
  // The part of the pane that shows the form, beside its scroll bars.
  wxWindow* Viewport() const { return viewport; }
  // The scroll bars under and beside the form; each is shown only when the
  // pane is too narrow for the form or too short for the panel.
  wxScrollBar* HorizontalScrollBar() const { return hScroll; }
  wxScrollBar* VerticalScrollBar() const { return vScroll; }

 private:
  void CreateControls();
  // Brings every control in line with the form state, changing only what changed.
  void PushForm();
  // Moves the form so that the group box stands 5 pixels below the top edge.
  void ScrollToPanel(ControlId groupBoxId);
  // Fits the viewport and the scroll bars to the pane and the panel on display.
  void LayoutPane();
  // Scrolls to `x` pixels from the form's left edge and `y` below the top of
  // the panel's place, as far as there is something to scroll.
  void ScrollFormTo(int x, int y);
  // Height of the panel on display with 5 pixels above and below; 0 for none.
  int PanelPlaceHeight() const;
  void OnScrollBar(wxScrollEvent& event);
  void OnWheel(wxMouseEvent& event);
  void OnChildFocus(wxChildFocusEvent& event);
  void OnListActivated(wxListEvent& event);
  void OnCheckBox(wxCommandEvent& event);

  CQuelbrinDoc& doc;
  ShowThenClose progressHook;
  DetailedForm form;
  wxWindow* viewport = nullptr;
  wxWindow* formWindow = nullptr;
  wxScrollBar* hScroll = nullptr;
  wxScrollBar* vScroll = nullptr;
  // The form's top when the panel's frame stands 5 pixels below the viewport's.
  int panelOrigin = 0;
  // How far the form is scrolled: right, and down within the panel.
  int scrollX = 0;
  int scrollY = 0;
  std::map<ControlId, wxWindow*> controls;
  // What the controls show now, as far as the form state says it.
  PushedForm pushed;
  Subscription subscription;
};
