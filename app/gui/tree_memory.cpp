#include "app/gui/tree_memory.h"

#include <algorithm>

#include "ui/widgets/disk_tree_view.h"

namespace {

TreeMemory::Path PathOf(const wxTreeCtrl& tree, wxTreeItemId item) {
  TreeMemory::Path path;
  const wxTreeItemId root = tree.GetRootItem();
  for (; item.IsOk() && item != root; item = tree.GetItemParent(item)) {
    const wxString text = tree.GetItemText(item);
    int same = 0;
    for (wxTreeItemId before = tree.GetPrevSibling(item); before.IsOk(); before = tree.GetPrevSibling(before))
      if (tree.GetItemText(before) == text) ++same;
    path.emplace_back(text, same);
  }
  std::reverse(path.begin(), path.end());
  return path;
}

// The deepest item along the path that exists, and how many steps it took.
// Items not yet opened get their children to be looked through, but stay closed.
std::pair<wxTreeItemId, std::size_t> Follow(CDiskTreeView& tree, const TreeMemory::Path& path) {
  wxTreeItemId at = tree.GetRootItem();
  std::size_t steps = 0;
  for (const auto& [text, same] : path) {
    tree.FillChildren(at);
    wxTreeItemIdValue cookie;
    int seen = 0;
    wxTreeItemId found;
    for (wxTreeItemId child = tree.GetFirstChild(at, cookie); child.IsOk(); child = tree.GetNextChild(at, cookie)) {
      if (tree.GetItemText(child) != text) continue;
      if (seen++ == same) {
        found = child;
        break;
      }
    }
    if (!found.IsOk()) break;
    at = found;
    ++steps;
  }
  return {at, steps};
}

void CollectExpanded(const wxTreeCtrl& tree, wxTreeItemId item, std::vector<TreeMemory::Path>& out) {
  wxTreeItemIdValue cookie;
  for (wxTreeItemId child = tree.GetFirstChild(item, cookie); child.IsOk(); child = tree.GetNextChild(item, cookie)) {
    if (!tree.ItemHasChildren(child) || !tree.IsExpanded(child)) continue;
    out.push_back(PathOf(tree, child));
    CollectExpanded(tree, child, out);
  }
}

}  // namespace

TreeMemory TreeMemory::Of(const wxTreeCtrl& tree) {
  TreeMemory memory;
  const wxTreeItemId root = tree.GetRootItem();
  if (!root.IsOk()) return memory;
  CollectExpanded(tree, root, memory.expanded);
  const wxTreeItemId selection = tree.GetSelection();
  if (selection.IsOk()) memory.selected = PathOf(tree, selection);
  return memory;
}

void TreeMemory::RestoreTo(CDiskTreeView& tree) const {
  if (!tree.GetRootItem().IsOk() || selected.empty()) return;
  // Parents come before their children in `expanded`, so each is expanded
  // before its children are looked for.
  for (const Path& path : expanded) {
    const auto [item, steps] = Follow(tree, path);
    if (steps == path.size()) tree.Expand(item);
  }
  const auto [item, steps] = Follow(tree, selected);
  if (steps == 0) return;
  tree.EnsureVisible(item);
  tree.SelectItem(item);
}
