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
    const auto found = itemOfNode.find(node);
    if (found != itemOfNode.end()) {
      Reveal(found->second);
      return;
    }
  }
  if (itemOfNode.empty()) {
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
  const auto found = itemOfNode.find(node);
  if (found != itemOfNode.end()) Reveal(found->second);
}

int DiskTree::OnSelChanging(StorageNode* node) {
  if (clearing) return 0;
  if (node != nullptr) doc.SetCurrentNode(node);
  return 0;
}

TreeItemId DiskTree::ItemOfNode(const StorageNode* node) const {
  const auto found = itemOfNode.find(node);
  return found != itemOfNode.end() ? found->second : kTreeTopLevel;
}

void DiskTree::Clear() {
  clearing = true;
  tree.DeleteAllItems();
  itemOfNode.clear();
  clearing = false;
}

TreeItemId DiskTree::Build() {
  if (progress != nullptr) {
    progress->SetProgressText(L"Building Tree");
    progress->SetProgressRange(0, 100);
  }
  ControlSink sink(tree, progress);
  return WalkStorageTree(doc.Model(), sink, itemOfNode);
}

void DiskTree::Reveal(TreeItemId item) {
  const TreeItemId parent = tree.ParentOf(item);
  if (parent != kTreeTopLevel) tree.Expand(parent);
  tree.EnsureVisible(item);
  tree.SelectItem(item);
}
