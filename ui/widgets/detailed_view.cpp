#include "ui/widgets/detailed_view.h"

#include <algorithm>

#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/scrolbar.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ui/form_layout.h"
#include "ui/widgets/compact_style.h"
#include "ui/widgets/form_list.h"
#include "ui/widgets/gtk_native.h"
#include "ui/widgets/pie_chart_ctrl.h"

namespace {

wxPoint ToPixels(int x, int y) { return {DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y)}; }
wxSize ToPixelSize(int w, int h) { return {DialogUnitsToPixelsX(w), DialogUnitsToPixelsY(h)}; }

// The toolkit's window id of a control.
int WindowId(ControlId id) { return static_cast<int>(id); }

// Each notch of the wheel moves the form by this much, times the lines the
// system asks for.
constexpr int kWheelLinePixels = 16;

}  // namespace

CDetailedView::CDetailedView(wxWindow* parent, CQuelbrinDoc& document, ProgressSink* progress)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE | wxCLIP_CHILDREN),
      doc(document),
      progressHook([this] { PushForm(); }, progress),
      form(document, &progressHook) {
  viewport = new wxPanel(this, wxID_ANY, wxPoint(0, 0), wxDefaultSize, wxBORDER_NONE | wxTAB_TRAVERSAL);
  formWindow = new wxPanel(viewport, wxID_ANY, wxPoint(0, 0),
                           ToPixelSize(kFormWidthDialogUnits, kFormHeightDialogUnits), wxBORDER_NONE | wxTAB_TRAVERSAL);
  formWindow->SetFont(FormFont());
  CreateControls();
  hScroll = new wxScrollBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_HORIZONTAL);
  vScroll = new wxScrollBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_VERTICAL);
  hScroll->Hide();
  vScroll->Hide();
  for (wxScrollBar* bar : {hScroll, vScroll})
    for (const auto& type : {wxEVT_SCROLL_TOP, wxEVT_SCROLL_BOTTOM, wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN,
                             wxEVT_SCROLL_PAGEUP, wxEVT_SCROLL_PAGEDOWN, wxEVT_SCROLL_THUMBTRACK,
                             wxEVT_SCROLL_THUMBRELEASE, wxEVT_SCROLL_CHANGED})
      bar->Bind(type, &CDetailedView::OnScrollBar, this);
  // Scroll requests from outside do not move the form: the view alone decides
  // which panel is on display.
  for (const auto& type : {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP,
                           wxEVT_SCROLLWIN_LINEDOWN, wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN,
                           wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE})
    Bind(type, [](wxScrollWinEvent&) {});
  for (wxWindow* w : {static_cast<wxWindow*>(this), viewport, formWindow})
    w->Bind(wxEVT_MOUSEWHEEL, &CDetailedView::OnWheel, this);
  formWindow->Bind(wxEVT_CHILD_FOCUS, &CDetailedView::OnChildFocus, this);
  Bind(wxEVT_SIZE, [this](wxSizeEvent&) { LayoutPane(); });
  subscription = doc.Subscribe(*this);
}

void CDetailedView::CreateControls() {
  // Frames first, so that the fields inside them stand above them.
  for (const FormControl& p : FormControls()) {
    if (p.kind != ControlKind::GroupBox) continue;
    controls[p.id] = new wxStaticBox(formWindow, WindowId(p.id), wxString(p.text), ToPixels(p.rect.x, p.rect.y),
                                     ToPixelSize(p.rect.width, p.rect.height));
  }
  for (const FormControl& p : FormControls()) {
    const wxPoint pos = ToPixels(p.rect.x, p.rect.y);
    const wxSize size = ToPixelSize(p.rect.width, p.rect.height);
    wxWindow* w = nullptr;
    switch (p.kind) {
      case ControlKind::GroupBox:
        continue;
      case ControlKind::Label:
        w = new wxStaticText(formWindow, WindowId(p.id), wxString(p.text), pos, size,
                             wxST_NO_AUTORESIZE | wxALIGN_LEFT);
        break;
      case ControlKind::Edit:
        w = new CompactEdit(formWindow, WindowId(p.id), pos, size);
        break;
      case ControlKind::CheckBox:
        if ((p.style & kTextOnLeft) != 0) {
          // Boxes with their text on the left line up at the right edge of
          // their column: each takes its natural width, flush right.
          w = new CompactCheckBox(formWindow, WindowId(p.id), wxString(p.text), pos, wxDefaultSize, true);
          const int width = std::min(size.x, w->GetSize().x);
          w->SetSize(pos.x + size.x - width, pos.y, width, size.y);
        } else {
          w = new CompactCheckBox(formWindow, WindowId(p.id), wxString(p.text), pos, size, false);
        }
        w->Bind(wxEVT_CHECKBOX, &CDetailedView::OnCheckBox, this);
        break;
      case ControlKind::ListView: {
        const long selection = (p.style & kSingleSelection) != 0 ? wxLC_SINGLE_SEL : 0;
        auto* list = new CFormList(formWindow, WindowId(p.id), pos, size, wxBORDER_SUNKEN | selection);
        list->Bind(wxEVT_LIST_ITEM_ACTIVATED, &CDetailedView::OnListActivated, this);
        // A double click beside the rows names no row; the control itself
        // reports only clicks on rows.
        const ControlId id = p.id;
        list->RowsWindow()->Bind(wxEVT_LEFT_DCLICK, [this, list, id](wxMouseEvent& event) {
          int flags = 0;
          if (list->HitTest(event.GetPosition(), flags) == wxNOT_FOUND) {
            OnListDoubleClick(id, -1);
            return;
          }
          event.Skip();
        });
        // Rows beyond the list's height show as a scroll bar, not only when
        // the pointer passes over it.
        UseClassicScrollBars(list);
        w = list;
        break;
      }
      case ControlKind::ListBox:
        w = new wxListBox(formWindow, WindowId(p.id), pos, size, 0, nullptr, wxLB_SINGLE | wxLB_ALWAYS_SB);
        UseClassicScrollBars(w);
        break;
      case ControlKind::PieChart:
        w = new CPieChartCtrl(formWindow, WindowId(p.id), pos, size);
        break;
    }
    if (const wchar_t* name = AccessibleName(p.id); name != nullptr && p.kind != ControlKind::Label &&
                                                     p.kind != ControlKind::GroupBox)
      SetAccessibleName(w, wxString(name));
    controls[p.id] = w;
  }
  for (const auto& [id, w] : controls)
    if (HasStyle(id, kHiddenInTemplate)) w->Hide();
}

wxWindow* CDetailedView::Control(ControlId id) const {
  const auto it = controls.find(id);
  return it != controls.end() ? it->second : nullptr;
}

CPieChartCtrl* CDetailedView::Chart(ControlId id) const {
  const FormControl* c = FindControl(id);
  return c != nullptr && c->kind == ControlKind::PieChart ? static_cast<CPieChartCtrl*>(Control(id)) : nullptr;
}

void CDetailedView::OnUpdate(UpdateHint hint, StorageNode* node) {
  form.OnUpdate(hint, node);
  // A shown node reached the controls already, before its splash closed.
  PushForm();
}

void CDetailedView::PushForm() {
  const FormState& now = form.Form();
  // No freezing around the push: nothing is drawn before the next pass of the
  // event loop anyway, and thawing would have every control drawn again,
  // changed or not, where now only those that change are.
  for (ControlId id : AllControlIds())
    PushIfChanged(pushed.visible, id, now.Visible(id), [&](bool shown) { Control(id)->Show(shown); });
  for (const auto& [id, text] : now.Edits())
    PushIfChanged(pushed.edits, id, text,
                  [&](const std::wstring& t) { static_cast<wxTextCtrl*>(Control(id))->ChangeValue(wxString(t)); });
  for (const auto& [id, checked] : now.Checks())
    PushIfChanged(pushed.checks, id, checked, [&](bool c) { static_cast<wxCheckBox*>(Control(id))->SetValue(c); });
  for (ControlId id : ControlsOfKind(ControlKind::GroupBox))
    PushIfChanged(pushed.frameTitles, id, now.FrameTitle(id),
                  [&](const std::wstring& t) { Control(id)->SetLabel(wxString(t)); });
  // A list handed out for change since the last push may still hold the rows
  // it shows; those stay as they are, with their selection and scroll position.
  for (ControlId id : ControlsOfKind(ControlKind::ListView))
    PushIfChanged(pushed.listRevisions, id, now.ListRevision(id), [&](std::uint64_t) {
      auto* list = static_cast<CFormList*>(Control(id));
      if (!list->Shows(now.List(id))) list->ShowRows(now.List(id));
    });
  for (ControlId id : ControlsOfKind(ControlKind::ListBox))
    PushIfChanged(pushed.listBoxLines, id, now.ListBox(id).lines, [&](const std::vector<std::wstring>& lines) {
      auto* listBox = static_cast<wxListBox*>(Control(id));
      listBox->Clear();
      for (const std::wstring& line : lines) listBox->Append(wxString(line));
    });
  for (ControlId id : ControlsOfKind(ControlKind::PieChart))
    PushIfChanged(pushed.charts, id, now.Chart(id), [&](const PieChartContent& chart) { Chart(id)->Show(chart); });
  ScrollToPanel(now.PanelOnDisplay());
}

void CDetailedView::ScrollToPanel(ControlId groupBoxId) {
  // Before any node, or after the model is gone: the form as created.
  // Otherwise the frame 5 pixels below the top, wherever the last panel left
  // the form; the sideways scroll stays.
  panelOrigin = groupBoxId == kNoControl ? 0 : 5 - Control(groupBoxId)->GetPosition().y;
  scrollY = 0;
  LayoutPane();
}

int CDetailedView::PanelPlaceHeight() const {
  const ControlId box = form.Form().PanelOnDisplay();
  if (box == kNoControl) return 0;
  return Control(box)->GetSize().y + 10;
}

void CDetailedView::LayoutPane() {
  const wxSize client = GetClientSize();
  const int formWidth = formWindow->GetSize().x;
  const int panelHeight = PanelPlaceHeight();
  const int barHeight = hScroll->GetBestSize().y;
  const int barWidth = vScroll->GetBestSize().x;
  // One bar takes room from the other direction, so decide twice. A pane
  // without room for the bars' arrows and thumb (one dragged nearly shut)
  // has none: GTK cannot lay them out in less.
  const bool room = client.x >= barWidth + hScroll->GetBestSize().x && client.y >= barHeight + vScroll->GetBestSize().y;
  bool across = false, down = false;
  for (int i = 0; room && i < 2; ++i) {
    across = client.x - (down ? barWidth : 0) < formWidth;
    down = client.y - (across ? barHeight : 0) < panelHeight;
  }
  const int width = std::max(0, client.x - (down ? barWidth : 0));
  const int height = std::max(0, client.y - (across ? barHeight : 0));
  viewport->SetSize(0, 0, width, height);
  hScroll->Show(across);
  vScroll->Show(down);
  if (across) hScroll->SetSize(0, height, width, barHeight);
  if (down) vScroll->SetSize(width, 0, barWidth, height);
  ScrollFormTo(scrollX, scrollY);
}

void CDetailedView::ScrollFormTo(int x, int y) {
  const wxSize shown = viewport->GetSize();
  const int formWidth = formWindow->GetSize().x;
  const int panelHeight = PanelPlaceHeight();
  scrollX = std::clamp(x, 0, std::max(0, formWidth - shown.x));
  scrollY = std::clamp(y, 0, std::max(0, panelHeight - shown.y));
  if (hScroll->IsShown()) hScroll->SetScrollbar(scrollX, shown.x, formWidth, std::max(1, shown.x - kWheelLinePixels));
  if (vScroll->IsShown())
    vScroll->SetScrollbar(scrollY, shown.y, panelHeight, std::max(1, shown.y - kWheelLinePixels));
  const wxPoint at(-scrollX, panelOrigin - scrollY);
  if (formWindow->GetPosition() != at) formWindow->Move(at);
}

void CDetailedView::OnScrollBar(wxScrollEvent& event) {
  if (event.GetEventObject() == hScroll)
    ScrollFormTo(hScroll->GetThumbPosition(), scrollY);
  else
    ScrollFormTo(scrollX, vScroll->GetThumbPosition());
}

void CDetailedView::OnWheel(wxMouseEvent& event) {
  const int delta = std::max(1, event.GetWheelDelta());
  const int pixels = event.GetWheelRotation() * std::max(1, event.GetLinesPerAction()) * kWheelLinePixels / delta;
  // A tilt of the wheel, or the wheel with Shift, goes sideways; the plain
  // wheel moves only within the panel on display.
  if (event.GetWheelAxis() == wxMOUSE_WHEEL_HORIZONTAL)
    ScrollFormTo(scrollX + pixels, scrollY);
  else if (event.ShiftDown())
    ScrollFormTo(scrollX - pixels, scrollY);
  else
    ScrollFormTo(scrollX, scrollY - pixels);
}

void CDetailedView::OnChildFocus(wxChildFocusEvent& event) {
  event.Skip();
  // The control that took the focus comes into view, as far as the panel goes.
  wxWindow* child = event.GetWindow();
  while (child != nullptr && child->GetParent() != formWindow) child = child->GetParent();
  if (child == nullptr) return;
  const wxRect place(child->GetPosition(), child->GetSize());
  const wxSize shown = viewport->GetSize();
  int x = scrollX, y = scrollY;
  const int top = place.y + panelOrigin;
  if (place.GetRight() >= x + shown.x) x = place.GetRight() + 1 - shown.x;
  if (place.x < x) x = place.x;
  if (top + place.height > y + shown.y) y = top + place.height - shown.y;
  if (top < y) y = top;
  ScrollFormTo(x, y);
}

void CDetailedView::OnListActivated(wxListEvent& event) {
  OnListDoubleClick(ControlId{event.GetId()}, static_cast<int>(event.GetIndex()));
}

void CDetailedView::OnCheckBox(wxCommandEvent& event) {
  // The view alone sets these boxes: a click puts the state back.
  const ControlId id{event.GetId()};
  static_cast<wxCheckBox*>(Control(id))->SetValue(form.Form().Checked(id));
}
