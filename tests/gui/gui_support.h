// What the GUI tests share: the real frame on a machine file, event pumping,
// reading controls back, and screenshots under the build folder.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/gui/main_frame.h"
#include "platform/recorded/recorded_platform.h"
#include "ui/widgets/detailed_view.h"
#include "ui/widgets/disk_tree_view.h"
#include "../support/panel_expectations.h"
#include "../support/recording_prompt.h"

#include <wx/menuitem.h>
#include <wx/window.h>

namespace gui {

std::string SamplePath(const std::string& name);

// Handles every waiting event, idle time included, until none is left and at
// least `ms` milliseconds have passed.
void Pump(int ms = 0);

// The real main frame on a sample machine, shown after its first scan.
class FrameOnSample {
 public:
  // `statusNote`: what reading the machine left unknown, as the program passes it on.
  explicit FrameOnSample(const std::string& sample, bool showAll = false, const std::string& statusNote = "");
  ~FrameOnSample();
  CMainFrame& Frame() { return *frame; }
  CQuelbrinDoc& Doc() { return frame->Document(); }
  CDiskTreeView& Tree() { return *frame->TreeView(); }
  CDetailedView& Detail() { return *frame->DetailedView(); }
  RecordingPrompt& Prompt() { return prompt; }

 private:
  std::unique_ptr<Platform> platform;
  RecordingPrompt prompt;
  CMainFrame* frame = nullptr;
};

// Saves the window as it stands on the screen as a PNG under
// <build>/screenshots/; returns the file's path, empty on failure.
std::string SaveScreenshot(wxWindow* window, const std::string& name);

// The colour on the screen at a point of a window's client area, read at once
// without handling any event first.
wxColour ScreenPixel(wxWindow* window, const wxPoint& client);

// The colours on the screen of a window's whole client area, row by row.
std::vector<unsigned char> ScreenPixels(wxWindow* window);

// Top of a window relative to the top of another, in screen pixels.
int TopRelativeTo(wxWindow* window, wxWindow* reference);

// What a screen reader calls the widget that has the focus in this top-level
// window, and what it calls a window itself.
std::string AccessibleNameOfFocus(wxWindow* topLevel);
std::string AccessibleNameOf(wxWindow* window);

// How much narrower than the window its scrolled contents are: the width of a
// vertical scroll bar drawn beside them (and the frame), or only the frame
// where the bar is an overlay shown while the pointer is on it.
int WidthBesideScrolledContents(wxWindow* window);

// Whether GTK gives a menu item a keyboard accelerator of its own making or
// from its label: the key combination a user sees beside it, "" for none.
std::string MenuItemAccelerator(wxMenuItem* item);

// Where a native widget stands on the screen (a top-level window, or a part
// of a window the toolkit has no window object for, such as a menu's title
// in the menu bar); empty while it is not shown.
wxRect NativeScreenRect(void* widget);

// Answers a native dialog as a click on one of its buttons would; GTK's
// response ids (OK is -5).
void RespondToNativeDialog(wxWindow* dialog, int response);

// The window of a generic list control that shows the rows below its header,
// in whose font the list draws and cuts its cells.
wxWindow* RowsWindowOf(wxWindow* list);

}  // namespace gui

class FormState;
class CDetailedView;
class CDiskTreeView;

namespace gui {

// Every control of the detail form shows what the form state says: visibility,
// edit texts, check marks, frame titles, list headings, widths and cells,
// list box lines, chart titles and slices. Reports each difference.
void ExpectControlsShowForm(CDetailedView& view);

// Every visible label, check box and edit of the form shows its whole text.
void ExpectNothingClipped(CDetailedView& view);

// The panel frame on display stands 5 pixels below the top of the pane.
void ExpectPanelAtTop(CDetailedView& view);

// The tree's items, depth first, each branch filled without opening it: two
// spaces of indent per level, then the text.
std::vector<std::string> TreeLines(CDiskTreeView& tree);
// The item reached by following item texts from the top, filling the branches
// on the way; invalid if none.
wxTreeItemId ItemAt(CDiskTreeView& tree, const std::vector<std::string>& path);
// The texts from the top down to the selected item; empty when none is selected.
std::vector<std::string> SelectedPath(CDiskTreeView& tree);
// The same walk done without a widget, over the document's model.
std::vector<std::string> ModelTreeLines(CQuelbrinDoc& doc);

// Whether the panels know how to show a node of this kind.
bool KindHasPanel(StorageNode* node);

// Double-clicks row `row` of a list the way the control reports it; -1 clicks
// below the rows.
void DoubleClickRow(CDetailedView& view, ControlId listId, int row);

// Sends a menu or toolbar command to the frame, then lets it settle.
void Command(CMainFrame& frame, int id);

}  // namespace gui
