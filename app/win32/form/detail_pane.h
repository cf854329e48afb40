// The detail pane of the Windows program. DetailedForm fills a form state for
// each node the document makes current; this window holds the tall form of
// nine stacked panels, a dialog built from the form table, pushes the state
// into its controls changing only what differs, and keeps the panel on
// display 5 pixels below its own top edge. A pane narrower than the form
// scrolls it sideways, and one shorter than the panel scrolls within that
// panel; the pane alone chooses which panel is on display.
#pragma once

// The platform's headers, with the version the rest of the program asks for.
#include "platform/win_types.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/detailed_form.h"
#include "ui/pushed_form.h"

class Win32FormList;
class Win32PieChart;

class Win32DetailPane : public DocumentListener {
 public:
  // Creates the pane as a child window of `parent`; `progress` may be null.
  Win32DetailPane(HWND parent, CQuelbrinDoc& document, ProgressSink* progress);
  ~Win32DetailPane() override;
  Win32DetailPane(const Win32DetailPane&) = delete;
  Win32DetailPane& operator=(const Win32DetailPane&) = delete;

  HWND Window() const { return pane; }  // the frame moves and sizes it with MoveWindow
  void OnInitialUpdate();                // shows the document's current node
  void OnUpdate(UpdateHint hint, StorageNode* node) override;
  const FormState& Form() const { return form.Form(); }
  HWND Control(ControlId id) const;      // the form's control with that id, or null
  // The help page (from the form table's panels) for the control or panel under
  // `screenPoint`, or of the panel on display; for Shift+F1 / F1.
  const char* HelpPageAt(POINT screenPoint) const;

  // A double click on a row of a list (-1: beside the rows).
  void OnListDoubleClick(ControlId listId, int row) { form.OnListDoubleClick(listId, row); }
  // The dialog that holds all nine panels and moves as a whole.
  HWND FormWindow() const { return formWindow; }
  // The part of the pane that shows the form, beside its scroll bars.
  HWND Viewport() const { return viewport; }
  const Win32FormList* List(ControlId id) const;
  Win32PieChart* Chart(ControlId id) const;
  // How far the form is scrolled: right, and down within the panel.
  POINT ScrollPosition() const { return {scrollX, scrollY}; }

 private:
  static LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK FormProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnPaneMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnFormNotify(const NMHDR& header, LRESULT& result);
  void CreateForm();
  // Brings every control in line with the form state, changing only what changed.
  void PushForm();
  // Moves the form so that the group box stands 5 pixels below the top edge.
  void ScrollToPanel(ControlId groupBoxId);
  // Fits the viewport and the scroll bars to the pane and the panel on display.
  void LayoutPane();
  // Scrolls to `x` pixels from the form's left edge and `y` below the top of
  // the panel's place, as far as there is something to scroll.
  void ScrollFormTo(int x, int y);
  void OnScrollBar(int bar, int request);
  void OnWheel(int pixels, bool sideways);
  // The control that took the focus comes into view, as far as the panel goes.
  void BringIntoView(HWND control);
  // Height of the panel on display with 5 pixels above and below; 0 for none.
  int PanelPlaceHeight() const;
  // A control's place in the form's client pixels.
  RECT PlaceOf(HWND control) const;
  // The double click reaches the document once the list has finished with
  // its own message, and only while the list still shows the rows clicked.
  void PostDoubleClick(ControlId listId, int row);

  CQuelbrinDoc& doc;
  ShowThenClose progressHook;
  DetailedForm form;
  HWND pane = nullptr;
  HWND viewport = nullptr;
  HWND formWindow = nullptr;
  std::vector<WORD> formTemplate;
  // The form's top when the panel's frame stands 5 pixels below the viewport's.
  int panelOrigin = 0;
  int scrollX = 0;
  int scrollY = 0;
  bool layingOut = false;
  // A double click on a row both notifies the click and activates the row;
  // the activation that follows it is not a second request. Cleared when the
  // posted click is handled, should no activation follow.
  bool activationTold = false;
  // The revision of the list when its last double click was posted.
  std::uint64_t pendingRevision = 0;
  std::map<ControlId, HWND> controls;
  std::map<ControlId, std::unique_ptr<Win32FormList>> lists;
  // What the controls show now, as far as the form state says it.
  PushedForm pushed;
  Subscription subscription;
};
