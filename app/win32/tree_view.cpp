#include "app/win32/tree_view.h"

#include "model/storage_node.h"

namespace {

HTREEITEM ToItem(TreeItemId id) { return reinterpret_cast<HTREEITEM>(id); }
TreeItemId ToId(HTREEITEM item) { return reinterpret_cast<TreeItemId>(item); }

}  // namespace

CDiskTreeView::CDiskTreeView(HWND parent, int id, CQuelbrinDoc& document, ProgressSink* progress)
    : tree(document, *this, progress) {
  // Lines, buttons and lines at the roots, and no other tree style.
  window = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT,
                             0, 0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             ::GetModuleHandleW(nullptr), nullptr);
  subscription = document.Subscribe(*this);
}

CDiskTreeView::~CDiskTreeView() {
  subscription.Reset();
  if (window != nullptr && ::IsWindow(window)) ::DestroyWindow(window);
}

StorageNode* CDiskTreeView::NodeOfItem(HWND treeWindow, HTREEITEM item) {
  if (item == nullptr) return nullptr;
  TVITEMW data{};
  data.mask = TVIF_PARAM | TVIF_HANDLE;
  data.hItem = item;
  if (!TreeView_GetItem(treeWindow, &data)) return nullptr;
  return reinterpret_cast<StorageNode*>(data.lParam);
}

bool CDiskTreeView::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != window) return false;
  if (header.code != TVN_SELCHANGINGW && header.code != TVN_SELCHANGINGA) return false;
  const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
  // The new item's data is read from the control: the notification's copy
  // is not asked to carry it in every version of the control.
  selectionChanging = true;
  result = tree.OnSelChanging(NodeOfItem(window, change.itemNew.hItem));
  selectionChanging = false;
  return true;
}

TreeItemId CDiskTreeView::InsertItem(StorageNode& node, TreeItemId parent) {
  // The control copies the text at insertion; it never asks for it again.
  const std::wstring name = node.GetName();
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent == kTreeTopLevel ? TVI_ROOT : ToItem(parent);
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM;
  insert.item.pszText = const_cast<wchar_t*>(name.c_str());
  insert.item.lParam = reinterpret_cast<LPARAM>(&node);
  return ToId(TreeView_InsertItem(window, &insert));
}

TreeItemId CDiskTreeView::ParentOf(TreeItemId item) { return ToId(TreeView_GetParent(window, ToItem(item))); }
void CDiskTreeView::Expand(TreeItemId item) { TreeView_Expand(window, ToItem(item), TVE_EXPAND); }
void CDiskTreeView::EnsureVisible(TreeItemId item) {
  if (!selectionChanging) TreeView_EnsureVisible(window, ToItem(item));
}
void CDiskTreeView::SelectItem(TreeItemId item) {
  if (!selectionChanging) TreeView_SelectItem(window, ToItem(item));
}
void CDiskTreeView::DeleteAllItems() { TreeView_DeleteAllItems(window); }
