#include "ui/disk_tree.h"

namespace {

// Inserts into the control and steps the frame's progress bar.
class ControlSink : public TreeSink {
 public:
  ControlSink(TreeControl& control, ProgressSink* progress) : control_(control), progress_(progress) {}
  TreeItemId InsertItem(StorageNode& node, TreeItemId parent) override { return control_.InsertItem(node, parent); }
  void StepProgress() override {
    if (progress_ != nullptr) progress_->StepProgress();
  }

 private:
  TreeControl& control_;
  ProgressSink* progress_;
};

}  // namespace

DiskTree::DiskTree(CQuelbrinDoc& document, TreeControl& control, ProgressSink* sink)
    : doc(document), tree(control), progress(sink) {}

void DiskTree::OnInitialUpdate() {
  doc.InitialScan();
  ShowNode(doc.GetCurrentNode());
}

void DiskTree::OnUpdate(UpdateHint hint, StorageNode* node) {
  if (hint == HintModelGone) {
    Clear();
    return;
  }
  if (node == nullptr) return;
  if (hint == HintRebuild) Clear();
  ShowNode(node);
}

void DiskTree::ShowNode(StorageNode* node) {
  if (node != nullptr) {
    const TreeItemId item = MakeItemOfNode(node);
    if (item != kTreeTopLevel) {
      Reveal(item);
      return;
    }
  }
  if (!Built()) {
    const TreeItemId first = Build();
    if (first != kTreeTopLevel) tree.SelectItem(first);
    return;
  }
  if (node == nullptr) return;
  // Building on a filled tree would add a second copy of every item. Selecting
  // the first root instead would make it current and move the detail pane away
  // from the node the user chose.
  Clear();
  Build();
  const TreeItemId item = MakeItemOfNode(node);
  if (item != kTreeTopLevel) Reveal(item);
}

int DiskTree::OnSelChanging(StorageNode* node) {
  if (clearing) return 0;
  if (node != nullptr) doc.SetCurrentNode(node);
  return 0;
}

void DiskTree::FillChildren(TreeItemId item) {
  const auto found = branches.find(item);
  if (found == branches.end() || found->second.filled) return;
  found->second.filled = true;
  const std::vector<TreeBranch> children = StorageTreeChildren(found->second.branch);
  std::vector<TreeItemId> items;
  items.reserve(children.size());
  for (const TreeBranch& child : children) items.push_back(InsertBranch(child, item));
  // Inserting may have grown the table; the entry itself stays where it is.
  found->second.children = std::move(items);
}

void DiskTree::FillAll() {
  if (allFilled) return;
  allFilled = true;
  std::vector<TreeItemId> pending(roots.rbegin(), roots.rend());
  while (!pending.empty()) {
    const TreeItemId item = pending.back();
    pending.pop_back();
    FillChildren(item);
    if (const auto found = branches.find(item); found != branches.end())
      pending.insert(pending.end(), found->second.children.rbegin(), found->second.children.rend());
  }
}

TreeItemId DiskTree::MakeItemOfNode(const StorageNode* node) {
  if (!lazy || node == nullptr || !Built()) return ItemOfNode(node);
  if (const auto known = itemOfNode.find(node); known != itemOfNode.end()) return known->second;
  const std::vector<std::size_t> path = StorageTreePathOf(doc.Model(), node);
  if (path.empty() || path[0] >= roots.size()) return kTreeTopLevel;
  TreeItemId item = roots[path[0]];
  for (std::size_t step = 1; step < path.size(); ++step) {
    FillChildren(item);
    const auto found = branches.find(item);
    if (found == branches.end() || path[step] >= found->second.children.size()) return kTreeTopLevel;
    item = found->second.children[path[step]];
  }
  itemOfNode[node] = item;
  return item;
}

TreeItemId DiskTree::ItemOfNode(const StorageNode* node) const {
  const auto known = itemOfNode.find(node);
  if (known != itemOfNode.end()) return known->second;
  if (!lazy || node == nullptr || !Built()) return kTreeTopLevel;
  const std::vector<std::size_t> path = StorageTreePathOf(doc.Model(), node);
  if (path.empty() || path[0] >= roots.size()) return kTreeTopLevel;
  TreeItemId item = roots[path[0]];
  for (std::size_t step = 1; step < path.size(); ++step) {
    const auto found = branches.find(item);
    if (found == branches.end() || !found->second.filled || path[step] >= found->second.children.size())
      return kTreeTopLevel;
    item = found->second.children[path[step]];
  }
  return item;
}

void DiskTree::Clear() {
  clearing = true;
  tree.DeleteAllItems();
  itemOfNode.clear();
  roots.clear();
  branches.clear();
  allFilled = false;
  clearing = false;
}

TreeItemId DiskTree::Build() {
  if (progress != nullptr) {
    progress->SetProgressText(L"Building Tree");
    progress->SetProgressRange(0, 100);
  }
  lazy = tree.FillsChildrenOnOpen();
  if (!lazy) {
    ControlSink sink(tree, progress);
    return WalkStorageTree(doc.Model(), sink, itemOfNode);
  }
  // Only the roots: the rest is inserted as the user, or a node chosen
  // elsewhere, opens the way to it.
  for (const TreeBranch& root : StorageTreeRoots(doc.Model())) roots.push_back(InsertBranch(root, kTreeTopLevel));
  return roots.empty() ? kTreeTopLevel : roots.front();
}

TreeItemId DiskTree::InsertBranch(const TreeBranch& branch, TreeItemId parent) {
  const TreeItemId item = tree.InsertItem(*branch.node, parent);
  if (HasStorageTreeChildren(branch)) {
    branches.emplace(item, Branch{branch, false, {}});
    tree.SetHasChildren(item);
  }
  return item;
}

void DiskTree::Reveal(TreeItemId item) {
  const TreeItemId parent = tree.ParentOf(item);
  if (parent != kTreeTopLevel) tree.Expand(parent);
  tree.EnsureVisible(item);
  tree.SelectItem(item);
}
