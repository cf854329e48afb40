#include "gui_support.h"

#include <dlfcn.h>

#include <chrono>
#include <map>

#include "platform/machine/machine_file.h"

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/evtloop.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/utils.h>

namespace gui {

std::string SamplePath(const std::string& name) { return std::string(QUELBRIN_SOURCE_DIR) + "/samples/" + name; }

void Pump(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  for (int quiet = 0; quiet < 3;) {
    bool busy = false;
    while (loop->Pending()) {
      loop->Dispatch();
      busy = true;
    }
    wxTheApp->ProcessPendingEvents();
    if (wxTheApp->ProcessIdle()) busy = true;
    if (std::chrono::steady_clock::now() < until) {
      wxMilliSleep(5);
      continue;
    }
    quiet = busy ? 0 : quiet + 1;
    if (busy) wxMilliSleep(2);
  }
}

FrameOnSample::FrameOnSample(const std::string& sample, bool showAll, const std::string& statusNote)
    : platform(std::make_unique<RecordedPlatform>(LoadMachineFile(SamplePath(sample)))) {
  FrameOptions options;
  options.helpBook = std::string(QUELBRIN_BINARY_DIR) + "/help/quelbrin.hhp";
  options.showAllMountPoints = showAll;
  options.statusNote = statusNote;
  options.source.machineFile = SamplePath(sample);
  options.description = static_cast<RecordedPlatform&>(*platform).description().description;
  frame = new CMainFrame(*platform, &prompt, options);
  frame->SetPosition(wxPoint(0, 0));
  frame->InitialUpdate();
  Pump(50);
}

FrameOnSample::~FrameOnSample() {
  frame->Destroy();
  Pump();
}

namespace {
// The screen as the display server holds it, read through GDK (already loaded
// by the toolkit; its development headers are not needed for four calls).
template <typename F>
F Gdk(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}
}  // namespace

std::string SaveScreenshot(wxWindow* window, const std::string& name) {
  window->Raise();
  window->Update();
  // Long enough for the theme's short animations (a progress bar filling) to end.
  Pump(300);
  const wxRect area = window->GetScreenRect();
  const wxString dir = wxString(QUELBRIN_BINARY_DIR) + "/screenshots";
  wxFileName::Mkdir(dir, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
  const std::string path = (dir + "/" + wxString(name) + ".png").ToStdString();
  auto rootWindow = Gdk<void* (*)()>("gdk_get_default_root_window");
  auto fromWindow = Gdk<void* (*)(void*, int, int, int, int)>("gdk_pixbuf_get_from_window");
  auto save = Gdk<int (*)(void*, const char*, const char*, void**, ...)>("gdk_pixbuf_save");
  auto unref = Gdk<void (*)(void*)>("g_object_unref");
  if (rootWindow == nullptr || fromWindow == nullptr || save == nullptr || unref == nullptr) return {};
  void* pixbuf = fromWindow(rootWindow(), area.x, area.y, area.width, area.height);
  if (pixbuf == nullptr) return {};
  const int saved = save(pixbuf, path.c_str(), "png", nullptr, nullptr);
  unref(pixbuf);
  return saved != 0 ? path : std::string();
}

wxColour ScreenPixel(wxWindow* window, const wxPoint& client) {
  const wxPoint at = window->ClientToScreen(client);
  auto rootWindow = Gdk<void* (*)()>("gdk_get_default_root_window");
  auto fromWindow = Gdk<void* (*)(void*, int, int, int, int)>("gdk_pixbuf_get_from_window");
  auto pixels = Gdk<unsigned char* (*)(void*)>("gdk_pixbuf_get_pixels");
  auto unref = Gdk<void (*)(void*)>("g_object_unref");
  if (rootWindow == nullptr || fromWindow == nullptr || pixels == nullptr || unref == nullptr) return wxNullColour;
  void* pixbuf = fromWindow(rootWindow(), at.x, at.y, 1, 1);
  if (pixbuf == nullptr) return wxNullColour;
  const unsigned char* p = pixels(pixbuf);
  const wxColour colour(p[0], p[1], p[2]);
  unref(pixbuf);
  return colour;
}

std::vector<unsigned char> ScreenPixels(wxWindow* window) {
  const wxPoint at = window->ClientToScreen(wxPoint(0, 0));
  const wxSize size = window->GetClientSize();
  auto rootWindow = Gdk<void* (*)()>("gdk_get_default_root_window");
  auto fromWindow = Gdk<void* (*)(void*, int, int, int, int)>("gdk_pixbuf_get_from_window");
  auto pixels = Gdk<unsigned char* (*)(void*)>("gdk_pixbuf_get_pixels");
  auto stride = Gdk<int (*)(void*)>("gdk_pixbuf_get_rowstride");
  auto channels = Gdk<int (*)(void*)>("gdk_pixbuf_get_n_channels");
  auto unref = Gdk<void (*)(void*)>("g_object_unref");
  if (rootWindow == nullptr || fromWindow == nullptr || pixels == nullptr || stride == nullptr ||
      channels == nullptr || unref == nullptr || size.x <= 0 || size.y <= 0)
    return {};
  void* pixbuf = fromWindow(rootWindow(), at.x, at.y, size.x, size.y);
  if (pixbuf == nullptr) return {};
  std::vector<unsigned char> out;
  const std::size_t rowBytes = static_cast<std::size_t>(size.x) * static_cast<std::size_t>(channels(pixbuf));
  for (int y = 0; y < size.y; ++y) {
    const unsigned char* row = pixels(pixbuf) + static_cast<std::ptrdiff_t>(y) * stride(pixbuf);
    out.insert(out.end(), row, row + rowBytes);
  }
  unref(pixbuf);
  return out;
}

int TopRelativeTo(wxWindow* window, wxWindow* reference) {
  return window->GetScreenPosition().y - reference->GetScreenPosition().y;
}

namespace {
std::string AtkName(void* widget) {
  auto accessible = Gdk<void* (*)(void*)>("gtk_widget_get_accessible");
  auto name = Gdk<const char* (*)(void*)>("atk_object_get_name");
  if (widget == nullptr || accessible == nullptr || name == nullptr) return {};
  const char* text = name(accessible(widget));
  return text != nullptr ? text : "";
}
}  // namespace

std::string AccessibleNameOfFocus(wxWindow* topLevel) {
  auto focus = Gdk<void* (*)(void*)>("gtk_window_get_focus");
  return focus != nullptr ? AtkName(focus(topLevel->GetHandle())) : std::string();
}

std::string AccessibleNameOf(wxWindow* window) { return AtkName(window->GetHandle()); }

int WidthBesideScrolledContents(wxWindow* window) {
  auto child = Gdk<void* (*)(void*)>("gtk_bin_get_child");
  auto width = Gdk<int (*)(void*)>("gtk_widget_get_allocated_width");
  if (child == nullptr || width == nullptr) return -1;
  void* contents = child(window->GetHandle());
  return contents != nullptr ? width(window->GetHandle()) - width(contents) : -1;
}

std::string MenuItemAccelerator(wxMenuItem* item) {
  struct GList {
    void* data;
    GList* next;
    GList* prev;
  };
  struct AccelKey {
    unsigned key;
    int mods;
    unsigned flags;
  };
  using Find = int (*)(AccelKey*, void*, void*);
  auto closures = Gdk<GList* (*)(void*)>("gtk_widget_list_accel_closures");
  auto groupOf = Gdk<void* (*)(void*)>("gtk_accel_group_from_accel_closure");
  auto find = Gdk<AccelKey* (*)(void*, Find, void*)>("gtk_accel_group_find");
  auto label = Gdk<char* (*)(unsigned, int)>("gtk_accelerator_get_label");
  auto freeList = Gdk<void (*)(GList*)>("g_list_free");
  auto freeText = Gdk<void (*)(void*)>("g_free");
  if (!closures || !groupOf || !find || !label || !freeList || !freeText) return "?";
  std::string shown;
  GList* list = closures(item->GetMenuItem());
  for (GList* c = list; c != nullptr; c = c->next) {
    void* group = groupOf(c->data);
    const Find same = [](AccelKey*, void* closure, void* wanted) { return closure == wanted ? 1 : 0; };
    AccelKey* key = group != nullptr ? find(group, same, c->data) : nullptr;
    if (key == nullptr || key->key == 0) continue;
    char* text = label(key->key, key->mods);
    shown += text;
    freeText(text);
  }
  freeList(list);
  return shown;
}

wxRect NativeScreenRect(void* widget) {
  struct Allocation {
    int x, y, width, height;
  };
  auto mapped = Gdk<int (*)(void*)>("gtk_widget_get_mapped");
  auto allocation = Gdk<void (*)(void*, Allocation*)>("gtk_widget_get_allocation");
  auto window = Gdk<void* (*)(void*)>("gtk_widget_get_window");
  auto origin = Gdk<int (*)(void*, int*, int*)>("gdk_window_get_origin");
  if (!mapped || !allocation || !window || !origin || widget == nullptr || !mapped(widget)) return {};
  // The allocation counts from the window the widget draws on: its own for a
  // top-level window (at 0, 0), its bar's for a menu title.
  Allocation a{};
  allocation(widget, &a);
  int x = 0, y = 0;
  origin(window(widget), &x, &y);
  return {x + a.x, y + a.y, a.width, a.height};
}

void RespondToNativeDialog(wxWindow* dialog, int response) {
  auto respond = Gdk<void (*)(void*, int)>("gtk_dialog_response");
  if (respond != nullptr) respond(dialog->GetHandle(), response);
}

wxWindow* RowsWindowOf(wxWindow* list) {
  wxWindow* rows = list;
  for (wxWindow* child : list->GetChildren())
    if (rows == list || child->GetSize().y > rows->GetSize().y) rows = child;
  return rows;
}

}  // namespace gui

#include <gtest/gtest.h>

#include "platform/wide_text.h"
#include "ui/form_layout.h"
#include "ui/panels.h"
#include "ui/tree_walk.h"
#include "ui/widgets/pie_chart_ctrl.h"

#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

namespace gui {

namespace {
std::string U8(const wxString& s) { return s.ToStdString(wxConvUTF8); }
std::string U8(const std::wstring& s) { return Utf8FromWide(s); }
}  // namespace

void ExpectControlsShowForm(CDetailedView& view) {
  const FormState& form = view.Form();
  for (ControlId id : AllControlIds())
    EXPECT_EQ(view.Control(id)->IsShown(), form.Visible(id)) << "visibility of control " << id;
  for (const auto& [id, text] : form.Edits())
    EXPECT_EQ(U8(static_cast<wxTextCtrl*>(view.Control(id))->GetValue()), U8(text)) << "edit " << id;
  for (const auto& [id, checked] : form.Checks())
    EXPECT_EQ(static_cast<wxCheckBox*>(view.Control(id))->GetValue(), checked) << "check box " << id;
  for (ControlId id : ControlsOfKind(ControlKind::GroupBox))
    EXPECT_EQ(U8(view.Control(id)->GetLabel()), U8(form.FrameTitle(id))) << "frame " << id;
  for (ControlId id : ControlsOfKind(ControlKind::ListView)) {
    auto* list = static_cast<wxListCtrl*>(view.Control(id));
    const ListViewState& state = form.List(id);
    ASSERT_EQ(list->GetColumnCount(), static_cast<int>(state.columns.size())) << "columns of list " << id;
    ASSERT_EQ(list->GetItemCount(), static_cast<int>(state.rows.size())) << "rows of list " << id;
    for (int c = 0; c < list->GetColumnCount(); ++c) {
      wxListItem column;
      column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH);
      list->GetColumn(c, column);
      EXPECT_EQ(U8(column.GetText()), U8(state.columns[static_cast<std::size_t>(c)].heading)) << "list " << id;
      // Never narrower than asked, and wide enough for every cell whole: the
      // list cuts a text that comes within 8 pixels of the column's edge.
      EXPECT_GE(column.GetWidth(), state.columns[static_cast<std::size_t>(c)].widthChars * list->GetCharWidth())
          << "width of column " << c << " of list " << id;
      for (int r = 0; r < list->GetItemCount(); ++r) {
        const wxString cell = list->GetItemText(r, c);
        EXPECT_EQ(U8(cell), U8(state.rows[static_cast<std::size_t>(r)].cells[static_cast<std::size_t>(c)]))
            << "list " << id << " row " << r << " column " << c;
        EXPECT_LE(RowsWindowOf(list)->GetTextExtent(cell).x + 8, column.GetWidth())
            << "list " << id << " row " << r << " column " << c << " cuts '" << U8(cell) << "'";
      }
    }
  }
  for (ControlId id : ControlsOfKind(ControlKind::ListBox)) {
    auto* box = static_cast<wxListBox*>(view.Control(id));
    const ListBoxState& state = form.ListBox(id);
    ASSERT_EQ(box->GetCount(), state.lines.size()) << "list box " << id;
    for (unsigned i = 0; i < box->GetCount(); ++i) EXPECT_EQ(U8(box->GetString(i)), U8(state.lines[i]));
  }
  for (ControlId id : ControlsOfKind(ControlKind::PieChart)) {
    const PieChart& chart = view.Chart(id)->Chart();
    const PieChartContent& content = form.Chart(id);
    EXPECT_EQ(U8(chart.Title()), U8(content.title)) << "chart " << id;
    ASSERT_EQ(chart.Slices().size(), content.slices.size()) << "slices of chart " << id;
    for (std::size_t i = 0; i < content.slices.size(); ++i) {
      EXPECT_EQ(U8(chart.Slices()[i].label), U8(content.slices[i].label));
      EXPECT_EQ(chart.Slices()[i].fillColor, content.slices[i].fillColor);
      EXPECT_EQ(chart.Slices()[i].sweepDegrees, content.slices[i].value * 360 / 100);
    }
  }
}

void ExpectNothingClipped(CDetailedView& view) {
  for (const FormControl& p : FormControls()) {
    wxWindow* w = view.Control(p.id);
    if (!w->IsShown()) continue;
    const wxSize size = w->GetSize();
    switch (p.kind) {
      case ControlKind::Label:
        EXPECT_LE(w->GetTextExtent(w->GetLabel()).x, size.x) << "label " << p.id << " '" << U8(w->GetLabel()) << "'";
        break;
      case ControlKind::CheckBox:
        EXPECT_LE(w->GetBestSize().x, size.x) << "check box " << p.id;
        EXPECT_LE(w->GetBestSize().y, size.y + 2) << "check box " << p.id;
        break;
      case ControlKind::Edit: {
        // A unique id can be a device path of any length; its edit scrolls.
        if (p.id == ControlId::MountPointUniqueIdEdit) break;
        const wxString text = static_cast<wxTextCtrl*>(w)->GetValue();
        // Room for the frame and the inner margin of an entry.
        EXPECT_LE(w->GetTextExtent(text).x, size.x - 8) << "edit " << p.id << " '" << U8(text) << "'";
        EXPECT_GE(size.y, w->GetCharHeight()) << "edit " << p.id;
        break;
      }
      default:
        break;
    }
  }
}

void ExpectPanelAtTop(CDetailedView& view) {
  const ControlId box = view.Form().PanelOnDisplay();
  ASSERT_NE(box, kNoControl);
  // The toolkit places windows when it next lays them out.
  for (int i = 0; i < 50 && TopRelativeTo(view.Control(box), &view) != 5; ++i) Pump(10);
  EXPECT_EQ(TopRelativeTo(view.Control(box), &view), 5) << "frame " << box;
  EXPECT_TRUE(view.Control(box)->IsShownOnScreen());
}

namespace {
void CollectLines(CDiskTreeView& tree, const wxTreeItemId& item, int depth, std::vector<std::string>& out) {
  tree.FillChildren(item);
  wxTreeItemIdValue cookie;
  for (wxTreeItemId child = tree.GetFirstChild(item, cookie); child.IsOk(); child = tree.GetNextChild(item, cookie)) {
    out.push_back(std::string(static_cast<std::size_t>(depth) * 2, ' ') + U8(tree.GetItemText(child)));
    CollectLines(tree, child, depth + 1, out);
  }
}

class LineSink : public TreeSink {
 public:
  TreeItemId InsertItem(StorageNode& node, TreeItemId parent) override {
    const int depth = parent == kTreeTopLevel ? 0 : depthOf[parent] + 1;
    lines.push_back(std::string(static_cast<std::size_t>(depth) * 2, ' ') + U8(node.GetName()));
    depthOf[lines.size()] = depth;
    return lines.size();
  }
  std::map<TreeItemId, int> depthOf;
  std::vector<std::string> lines;
};
}  // namespace

std::vector<std::string> TreeLines(CDiskTreeView& tree) {
  std::vector<std::string> out;
  if (tree.GetRootItem().IsOk()) CollectLines(tree, tree.GetRootItem(), 0, out);
  return out;
}

wxTreeItemId ItemAt(CDiskTreeView& tree, const std::vector<std::string>& path) {
  wxTreeItemId at = tree.GetRootItem();
  for (const std::string& text : path) {
    tree.FillChildren(at);
    wxTreeItemIdValue cookie;
    wxTreeItemId child = tree.GetFirstChild(at, cookie);
    while (child.IsOk() && tree.GetItemText(child).ToStdString(wxConvUTF8) != text) child = tree.GetNextChild(at, cookie);
    if (!child.IsOk()) return child;
    at = child;
  }
  return at;
}

std::vector<std::string> SelectedPath(CDiskTreeView& tree) {
  std::vector<std::string> path;
  for (wxTreeItemId at = tree.GetSelection(); at.IsOk() && at != tree.GetRootItem(); at = tree.GetItemParent(at))
    path.insert(path.begin(), tree.GetItemText(at).ToStdString(wxConvUTF8));
  return path;
}

std::vector<std::string> ModelTreeLines(CQuelbrinDoc& doc) {
  LineSink sink;
  TreeItemMap items;
  WalkStorageTree(doc.Model(), sink, items);
  return sink.lines;
}

bool KindHasPanel(StorageNode* node) {
  FormState probe;
  return ShowNodePanel(probe, node);
}

void DoubleClickRow(CDetailedView& view, ControlId listId, int row) {
  auto* list = static_cast<wxListCtrl*>(view.Control(listId));
  if (row >= 0) {
    wxListEvent event(wxEVT_LIST_ITEM_ACTIVATED, static_cast<int>(listId));
    event.SetEventObject(list);
    event.m_itemIndex = row;
    list->GetEventHandler()->ProcessEvent(event);
  } else {
    // Below the last row, inside the window that shows the rows.
    wxWindow* rows = RowsWindowOf(list);
    wxMouseEvent event(wxEVT_LEFT_DCLICK);
    event.SetEventObject(rows);
    event.SetPosition(wxPoint(10, rows->GetClientSize().y - 3));
    rows->GetEventHandler()->ProcessEvent(event);
  }
  Pump(10);
}

void Command(CMainFrame& frame, int id) {
  wxCommandEvent event(wxEVT_MENU, id);
  event.SetEventObject(&frame);
  frame.GetEventHandler()->ProcessEvent(event);
  Pump(20);
}

}  // namespace gui
