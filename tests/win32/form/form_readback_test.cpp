// The detail pane on a real display (under Wine, an X server): every node of
// every sample read back from the controls equals its form state; double
// clicks, the pie's drag and the pane's scrolling behave as on Linux; and a
// picture of each panel is saved for people to look at.
#include <gtest/gtest.h>

#include "app/win32/form/detail_pane.h"

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/win32/form/form_list_view.h"
#include "tests/win32/form/form_readback.h"
#include "app/win32/form/pie_chart_window.h"
#include "tests/win32/window_picture.h"
#include "platform/machine/machine_file.h"
#include "platform/recorded/recorded_platform.h"
#include "platform/wide_text.h"
#include "ui/form_layout.h"
#include "ui/text/form_dump.h"
#include "ui/text/node_lookup.h"

namespace {

namespace fs = std::filesystem;

class QuietPrompt : public Prompt {
 public:
  void ShowMessageBox(const std::wstring&) override {}
  void Diagnostic(const std::wstring&) override {}
};

// A sample of samples/ scanned as the program scans it.
struct Sample {
  explicit Sample(const std::string& name)
      : platform(LoadMachineFile(std::string(QUELBRIN_SOURCE_DIR) + "/samples/" + name)),
        doc(platform, prompt, nullptr) {
    scanned = doc.InitialScan();
  }
  StorageNode* Node(const std::wstring& path) {
    for (const NamedNode& n : NameableNodes(doc))
      if (n.path == path) return n.node;
    return nullptr;
  }
  RecordedPlatform platform;
  QuietPrompt prompt;
  CQuelbrinDoc doc;
  bool scanned = false;
};

std::vector<std::string> SampleNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(std::string(QUELBRIN_SOURCE_DIR) + "/samples"))
    if (entry.path().extension() == ".json") names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// A top-level window holding one pane over a sample's document.
class PaneOnScreen {
 public:
  PaneOnScreen(CQuelbrinDoc& doc, int width, int height) {
    static const bool registered = [] {
      WNDCLASSEXW cls{};
      cls.cbSize = sizeof cls;
      cls.lpfnWndProc = DefWindowProcW;
      cls.hInstance = GetModuleHandleW(nullptr);
      cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      cls.lpszClassName = L"QuelbrinFormTestHost";
      return RegisterClassExW(&cls) != 0;
    }();
    (void)registered;
    host = CreateWindowExW(0, L"QuelbrinFormTestHost", L"Quelbrin form", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (host == nullptr) return;
    pane = std::make_unique<Win32DetailPane>(host, doc, nullptr);
    Resize(width, height);
    pane->OnInitialUpdate();
    Pump();
  }
  ~PaneOnScreen() {
    pane.reset();
    if (host != nullptr) DestroyWindow(host);
  }
  void Resize(int width, int height) {
    MoveWindow(host, 0, 0, width, height, TRUE);
    MoveWindow(pane->Window(), 0, 0, width, height, TRUE);
    Pump();
  }
  // False where no window can be made at all; a pane that fails where its
  // host did not is a fault of the pane.
  bool Ready() const {
    if (host == nullptr) return false;
    EXPECT_NE(pane->FormWindow(), nullptr) << "the form's dialog was not created, error " << GetLastError();
    return pane->FormWindow() != nullptr;
  }

  HWND host = nullptr;
  std::unique_ptr<Win32DetailPane> pane;
};

constexpr const char* kNoDisplay =
    "no window could be made: there is no display (under Wine, run with an X server such as xvfb-run)";

// The first line where two dumps part, for a message that stays short.
std::string FirstDifference(const std::string& a, const std::string& b) {
  std::size_t line = 1, start = 0;
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    if (a[i] != b[i]) break;
    if (a[i] == '\n') {
      ++line;
      start = i + 1;
    }
  }
  auto lineAt = [start](const std::string& s) { return s.substr(start, s.find('\n', start) - start); };
  return "line " + std::to_string(line) + "\n  controls:   " + lineAt(a) + "\n  form state: " + lineAt(b);
}

fs::path OutputDir(const char* name) {
  fs::path dir = fs::path(QUELBRIN_FORM_OUTPUT) / name;
  fs::create_directories(dir);
  return dir;
}

TEST(Win32DetailPane, EveryNodeOfEverySampleReadsBackAsItsFormState) {
  const fs::path dumps = OutputDir("form-dumps");
  for (const std::string& name : SampleNames()) {
    SCOPED_TRACE(name);
    // A sample whose scan stops still shows what it found.
    Sample sample(name);
    PaneOnScreen screen(sample.doc, 900, 700);
    if (!screen.Ready()) GTEST_SKIP() << kNoDisplay;
    int nodes = 0, differing = 0;
    const std::string dump = DumpEveryNode(sample.doc, [&](const std::wstring& path) {
      Pump();
      const std::string shown = DumpControls(*screen.pane);
      const std::string state = DumpFormState(screen.pane->Form());
      ++nodes;
      if (shown != state && ++differing <= 5)
        ADD_FAILURE() << Utf8FromWide(path) << ": " << FirstDifference(shown, state);
      return shown;
    });
    std::ofstream(dumps / (fs::path(name).stem().string() + ".txt"), std::ios::binary) << dump;
    EXPECT_EQ(differing, 0) << "of " << nodes << " nodes";
    if (sample.scanned) {
      EXPECT_GT(nodes, 3);
    }
  }
}

// A list row's centre, scrolled into view first.
POINT RowCentre(HWND list, int row) {
  SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
  RECT r{};
  r.left = LVIR_LABEL;
  SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void DoubleClick(HWND window, POINT at) {
  SendMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

TEST(Win32DetailPane, DoubleClickOnARowMakesItsNodeCurrentWhileTheRowsStay) {
  Sample sample("workstation.json");
  ASSERT_TRUE(sample.scanned);
  PaneOnScreen screen(sample.doc, 900, 700);
  if (!screen.Ready()) GTEST_SKIP() << kNoDisplay;
  Win32DetailPane& pane = *screen.pane;
  // Every list whose rows open nodes, on every node that fills it: the last
  // row (scrolled to) opens its node.
  int opened = 0;
  for (const NamedNode& node : NameableNodes(sample.doc)) {
    sample.doc.SetCurrentNode(node.node);
    Pump();
    for (ControlId id : ControlsOfKind(ControlKind::ListView)) {
      const FormState& form = pane.Form();
      if (!HasStyle(id, kRowsOpenNodes) || !form.Visible(id) || form.List(id).rows.empty()) continue;
      const int last = static_cast<int>(form.List(id).rows.size()) - 1;
      StorageNode* target = form.NodeAtRow(id, last);
      if (target == nullptr) continue;
      SCOPED_TRACE(Utf8FromWide(node.path) + ", list " + std::to_string(static_cast<int>(id)));
      DoubleClick(pane.Control(id), RowCentre(pane.Control(id), last));
      Pump();
      EXPECT_EQ(sample.doc.GetCurrentNode(), target);
      ++opened;
      sample.doc.SetCurrentNode(node.node);
      Pump();
    }
  }
  EXPECT_GE(opened, 5);

  // Enter on the focused row opens it as a double click does.
  StorageNode* disks = sample.Node(L"Physical Disks");
  StorageNode* mountPoints = sample.Node(L"Mountpoints");
  ASSERT_NE(disks, nullptr);
  ASSERT_NE(mountPoints, nullptr);
  sample.doc.SetCurrentNode(disks);
  Pump();
  HWND diskList = pane.Control(ControlId::AllDisksList);
  ASSERT_GE(pane.Form().List(ControlId::AllDisksList).rows.size(), 2u);
  StorageNode* second = pane.Form().NodeAtRow(ControlId::AllDisksList, 1);
  LVITEMW focused{};
  focused.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  focused.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(diskList, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&focused));
  SendMessageW(diskList, WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_EQ(sample.doc.GetCurrentNode(), second);

  // A double click that reaches the pane after the form moved on to another
  // node refers to rows no longer shown: it opens nothing.
  sample.doc.SetCurrentNode(disks);
  Pump();
  ASSERT_FALSE(pane.Form().List(ControlId::AllDisksList).rows.empty());
  DoubleClick(pane.Control(ControlId::AllDisksList), RowCentre(pane.Control(ControlId::AllDisksList), 0));
  sample.doc.SetCurrentNode(mountPoints);
  Pump();
  EXPECT_EQ(sample.doc.GetCurrentNode(), mountPoints);
}

TEST(Win32DetailPane, DraggingTurnsThePieAndOnlyWhileTheButtonIsDown) {
  Sample sample("workstation.json");
  ASSERT_TRUE(sample.scanned);
  PaneOnScreen screen(sample.doc, 900, 700);
  if (!screen.Ready()) GTEST_SKIP() << kNoDisplay;
  sample.doc.SetCurrentNode(sample.Node(L"Physical Disks/PhysicalDrive0"));
  Pump();
  HWND window = screen.pane->Control(ControlId::DiskChart);
  const PieChart& chart = Win32PieChart::FromWindow(window)->Chart();
  ASSERT_FALSE(chart.Slices().empty());
  struct Step {
    UINT message;
    int x;
    int angle;  // the start angle after the step
    bool captured;
  };
  const Step steps[] = {
      {WM_MOUSEMOVE, 50, 0, false},    // no button: nothing turns
      {WM_LBUTTONDOWN, 40, 0, true},
      {WM_MOUSEMOVE, 70, 30, true},
      {WM_MOUSEMOVE, 20, -20, true},   // back past the start
      {WM_LBUTTONUP, 20, -20, false},
      {WM_MOUSEMOVE, 90, -20, false},  // released: nothing turns
  };
  for (const Step& s : steps) {
    SendMessageW(window, s.message, s.message == WM_MOUSEMOVE || s.message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                 MAKELPARAM(s.x, 10));
    EXPECT_EQ(chart.StartAngle(), s.angle) << "at x " << s.x;
    EXPECT_EQ(GetCapture() == window, s.captured) << "at x " << s.x;
  }
  EXPECT_EQ(GetWindowTextLengthW(window) > 0, !chart.Title().empty());
}

TEST(Win32DetailPane, ScrollBarsShowWhereThePaneIsTooSmallAndTheWheelStaysInThePanel) {
  Sample sample("workstation.json");
  ASSERT_TRUE(sample.scanned);
  PaneOnScreen screen(sample.doc, 1200, 1000);
  if (!screen.Ready()) GTEST_SKIP() << kNoDisplay;
  Win32DetailPane& pane = *screen.pane;
  sample.doc.SetCurrentNode(sample.Node(L"Mountpoints"));
  Pump();
  RECT formRect{}, frame{};
  GetWindowRect(pane.FormWindow(), &formRect);
  GetWindowRect(pane.Control(pane.Form().PanelOnDisplay()), &frame);
  const int formWidth = formRect.right - formRect.left;
  const int placeHeight = frame.bottom - frame.top + 10;
  struct Case {
    int width, height;
    bool across, down;
  };
  const Case cases[] = {
      {formWidth + 40, placeHeight + 40, false, false},
      {formWidth / 2, placeHeight + 60, true, false},
      {formWidth + 60, placeHeight / 2, false, true},
      {formWidth / 2, placeHeight / 2, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    screen.Resize(c.width, c.height);
    const LONG style = GetWindowLongW(pane.Window(), GWL_STYLE);
    EXPECT_EQ((style & WS_HSCROLL) != 0, c.across);
    EXPECT_EQ((style & WS_VSCROLL) != 0, c.down);
    // The wheel down twice as far as the panel goes ends at the panel's
    // bottom; up again, the frame is back 5 pixels below the top.
    const auto down = static_cast<WORD>(static_cast<short>(-WHEEL_DELTA * 200));
    SendMessageW(pane.Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, down), 0);
    RECT view{};
    GetClientRect(pane.Viewport(), &view);
    EXPECT_EQ(pane.ScrollPosition().y, c.down ? placeHeight - view.bottom : 0);
    SendMessageW(pane.Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA * 200), 0);
    EXPECT_EQ(pane.ScrollPosition().y, 0);
    RECT box{};
    GetWindowRect(pane.Control(pane.Form().PanelOnDisplay()), &box);
    POINT top{box.left, box.top};
    ScreenToClient(pane.Viewport(), &top);
    EXPECT_EQ(top.y, 5);
    // A control that takes the focus comes into view, as far as it fits:
    // here the list near the panel's top, with the form at the panel's bottom.
    SendMessageW(pane.Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, down), 0);
    HWND list = pane.Control(ControlId::AllMountPointsList);
    SetFocus(nullptr);
    SetFocus(list);
    Pump();
    RECT shown{}, place{};
    GetWindowRect(pane.Viewport(), &shown);
    GetWindowRect(list, &place);
    EXPECT_TRUE(place.top >= shown.top && place.top < shown.bottom) << "the list's top stands at " << place.top;
    SendMessageW(pane.Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA * 200), 0);
  }
}

TEST(Win32DetailPane, HelpIsThePageOfWhatIsUnderThePointerAndRowsStaySelectedWhenTheyReturn) {
  Sample sample("workstation.json");
  ASSERT_TRUE(sample.scanned);
  PaneOnScreen screen(sample.doc, 900, 700);
  if (!screen.Ready()) GTEST_SKIP() << kNoDisplay;
  Win32DetailPane& pane = *screen.pane;
  // A point on a control's centre, or on the view's corner above the frame
  // (which stands 5 pixels down) for none.
  auto pointAt = [&pane](ControlId id) {
    RECT r{};
    if (id == kNoControl) {
      POINT corner{1, 1};
      ClientToScreen(pane.Viewport(), &corner);
      return corner;
    }
    GetWindowRect(pane.Control(id), &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  };
  struct Case {
    const wchar_t* node;
    ControlId under;
    const char* page;
  };
  const Case cases[] = {
      {L"Physical Disks/PhysicalDrive0", ControlId::DiskSizeEdit, "disk.html"},
      {L"Physical Disks/PhysicalDrive0", kNoControl, "disk.html"},
      {L"Mountpoints", ControlId::AllMountPointsList, "mountpoints.html"},
      {L"Mountpoints", kNoControl, "mountpoints.html"},
  };
  for (const Case& c : cases) {
    sample.doc.SetCurrentNode(sample.Node(c.node));
    Pump();
    EXPECT_STREQ(pane.HelpPageAt(pointAt(c.under)), c.page) << Utf8FromWide(c.node);
  }

  // A row selected in a list stays selected when the list comes back with
  // the same rows; the list is not filled anew.
  HWND disks = pane.Control(ControlId::AllDisksList);
  sample.doc.SetCurrentNode(sample.Node(L"Physical Disks"));
  Pump();
  ASSERT_GE(pane.Form().List(ControlId::AllDisksList).rows.size(), 2u);
  LVITEMW selected{};
  selected.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  selected.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(disks, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&selected));
  sample.doc.SetCurrentNode(sample.Node(L"Mountpoints"));
  Pump();
  sample.doc.SetCurrentNode(sample.Node(L"Physical Disks"));
  Pump();
  EXPECT_EQ(SendMessageW(disks, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
}

TEST(Win32DetailPane, EveryPanelOfTheWorkstationIsPaintedAndSaved) {
  Sample sample("workstation.json");
  ASSERT_TRUE(sample.scanned);
  PaneOnScreen screen(sample.doc, 900, 700);
  if (!screen.Ready()) GTEST_SKIP() << kNoDisplay;
  const fs::path dir = OutputDir("screenshots/form");
  std::set<ControlId> saved;
  for (const NamedNode& node : NameableNodes(sample.doc)) {
    sample.doc.SetCurrentNode(node.node);
    Pump();
    const ControlId panel = screen.pane->Form().PanelOnDisplay();
    if (!saved.insert(panel).second) continue;
    // The whole panel and nothing beside it: the form's width, the panel's height.
    RECT formRect{}, frame{};
    GetWindowRect(screen.pane->FormWindow(), &formRect);
    GetWindowRect(screen.pane->Control(panel), &frame);
    screen.Resize(formRect.right - formRect.left, frame.bottom - frame.top + 10);
    const WindowPicture picture = CaptureWhenPainted(screen.host, GetSysColor(COLOR_BTNFACE));
    const std::string page = PanelOfControl(panel)->helpPage;
    EXPECT_TRUE(picture.Painted(GetSysColor(COLOR_BTNFACE))) << page;
    EXPECT_TRUE(WriteBmp(dir / (page.substr(0, page.find('.')) + ".bmp"), picture)) << page;
  }
  EXPECT_EQ(saved.size(), Panels().size());
}

}  // namespace
