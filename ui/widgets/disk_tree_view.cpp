#include "ui/widgets/disk_tree_view.h"

#include <algorithm>

#include "model/storage_node.h"
#include "ui/widgets/gtk_native.h"

#include <wx/dcclient.h>

namespace {

class NodeData : public wxTreeItemData {
 public:
  explicit NodeData(StorageNode* n) : node(n) {}
  StorageNode* node;
};

// A dotted line cut short starts its dots as the whole line would when it is
// cut a multiple of this many pixels from its start: the dot patterns of every
// pen width up to 8 repeat within it.
constexpr int kDotPatternRepeat = 840;

TreeItemId ToId(const wxTreeItemId& item) { return reinterpret_cast<TreeItemId>(item.GetID()); }
wxTreeItemId FromId(TreeItemId id) { return wxTreeItemId(reinterpret_cast<void*>(id)); }

}  // namespace

CDiskTreeView::CDiskTreeView(wxWindow* parent, CQuelbrinDoc& document, ProgressSink* progress)
    : wxTreeCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_HIDE_ROOT | wxTR_SINGLE | wxBORDER_NONE),
      doc(document),
      tree(document, *this, progress) {
  // A long tree shows its scroll bar, not only when the pointer passes over it.
  UseClassicScrollBars(this);
  Bind(wxEVT_TREE_SEL_CHANGING, &CDiskTreeView::OnSelChanging, this);
  Bind(wxEVT_TREE_ITEM_EXPANDING, &CDiskTreeView::OnExpanding, this);
  Bind(wxEVT_CHAR, &CDiskTreeView::OnChar, this);
  Bind(wxEVT_PAINT, &CDiskTreeView::OnPaint, this);
  subscription = doc.Subscribe(*this);
}

wxTreeItemId CDiskTreeView::HiddenRoot() {
  wxTreeItemId root = GetRootItem();
  if (!root.IsOk()) root = AddRoot(wxString());
  return root;
}

StorageNode* CDiskTreeView::NodeOfItem(const wxTreeItemId& item) const {
  if (!item.IsOk()) return nullptr;
  const auto* data = static_cast<const NodeData*>(GetItemData(item));
  return data != nullptr ? data->node : nullptr;
}

wxTreeItemId CDiskTreeView::ItemOfNode(const StorageNode* node) { return FromId(tree.MakeItemOfNode(node)); }

void CDiskTreeView::FillChildren(const wxTreeItemId& item) {
  if (item.IsOk()) tree.FillChildren(ToId(item));
}

TreeItemId CDiskTreeView::InsertItem(StorageNode& node, TreeItemId parent) {
  const wxTreeItemId under = parent == kTreeTopLevel ? HiddenRoot() : FromId(parent);
  return ToId(AppendItem(under, wxString(node.GetName()), -1, -1, new NodeData(&node)));
}

TreeItemId CDiskTreeView::ParentOf(TreeItemId item) {
  const wxTreeItemId parent = GetItemParent(FromId(item));
  if (!parent.IsOk() || parent == GetRootItem()) return kTreeTopLevel;
  return ToId(parent);
}

void CDiskTreeView::Expand(TreeItemId item) { wxTreeCtrl::Expand(FromId(item)); }
void CDiskTreeView::EnsureVisible(TreeItemId item) { wxTreeCtrl::EnsureVisible(FromId(item)); }
void CDiskTreeView::SelectItem(TreeItemId item) { wxTreeCtrl::SelectItem(FromId(item)); }
void CDiskTreeView::DeleteAllItems() { wxTreeCtrl::DeleteAllItems(); }
void CDiskTreeView::SetHasChildren(TreeItemId item) { SetItemHasChildren(FromId(item), true); }

void CDiskTreeView::OnPaint(wxPaintEvent& event) {
  // As the toolkit paints a tree whose root is hidden: each root with what is
  // open under it, then one line from the first root's middle to the last's.
  // The toolkit draws that line whole, and below a root opened on ten thousand
  // items it runs for hundreds of thousands of pixels, each dot of which costs
  // time to lay out although the rows in view hold a few.
  if (!HasFlag(wxTR_HIDE_ROOT)) {
    wxGenericTreeCtrl::OnPaint(event);
    return;
  }
  wxPaintDC dc(this);
  PrepareDC(dc);
  const wxTreeItemId hidden = GetRootItem();
  if (!hidden.IsOk()) return;
  dc.SetFont(m_normalFont);
  dc.SetPen(m_dottedPen);
  int y = 2;
  wxTreeItemIdValue cookie;
  wxTreeItemId first = GetFirstChild(hidden, cookie);
  if (!first.IsOk()) return;
  auto* const firstItem = static_cast<wxGenericTreeItem*>(first.GetID());
  wxGenericTreeItem* lastItem = firstItem;
  int lastTop = y;
  for (wxTreeItemId root = first; root.IsOk(); root = GetNextSibling(root)) {
    lastItem = static_cast<wxGenericTreeItem*>(root.GetID());
    lastTop = y;
    PaintLevel(lastItem, dc, 1, y);
  }
  if (HasFlag(wxTR_NO_LINES) || !HasFlag(wxTR_LINES_AT_ROOT)) return;
  int from = 2 + (GetLineHeight(firstItem) >> 1);
  int to = lastTop + (GetLineHeight(lastItem) >> 1);
  const int viewTop = CalcUnscrolledPosition(wxPoint(0, 0)).y;
  const int viewBottom = viewTop + GetClientSize().y;
  if (const int above = viewTop - kDotPatternRepeat - from; above > 0)
    from += above / kDotPatternRepeat * kDotPatternRepeat;
  to = std::min(to, viewBottom + kDotPatternRepeat);
  if (from < to) dc.DrawLine(3, from, 3, to);
}

void CDiskTreeView::OnChar(wxKeyEvent& event) {
  // Typing finds the next item whose text starts so, closed branches
  // included: they are filled before the control looks.
  if (!event.HasModifiers() && event.GetKeyCode() < WXK_START &&
      (wxIsalnum(event.GetKeyCode()) || event.GetKeyCode() == '_')) tree.FillAll();
  event.Skip();
}

void CDiskTreeView::OnExpanding(wxTreeEvent& event) {
  FillChildren(event.GetItem());
  event.Skip();
}

void CDiskTreeView::OnSelChanging(wxTreeEvent& event) {
  // Never refused; the document hears of the node unless the tree is clearing.
  tree.OnSelChanging(NodeOfItem(event.GetItem()));
}
