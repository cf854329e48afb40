// What the tree pane does, without a toolkit: build the tree after a scan,
// reveal and select the node the document makes current, rebuild after a
// refresh, and hand the user's choice to the document. The widget supplies the
// control operations and forwards the control's selection-changing event.
#pragma once

#include <unordered_map>
#include <vector>

#include "scan/document_listener.h"
#include "scan/progress_sink.h"
#include "scan/quelbrin_doc.h"
#include "ui/tree_walk.h"

class TreeControl {
 public:
  virtual ~TreeControl() = default;
  // Inserts an item with the node's display name and the node as its data, as
  // the last child of `parent` (kTreeTopLevel for a root).
  virtual TreeItemId InsertItem(StorageNode& node, TreeItemId parent) = 0;
  // kTreeTopLevel for a root.
  virtual TreeItemId ParentOf(TreeItemId item) = 0;
  virtual void Expand(TreeItemId item) = 0;
  // Expands every collapsed ancestor and scrolls the item into view.
  virtual void EnsureVisible(TreeItemId item) = 0;
  // Makes the item the selected one; the control announces the change through
  // DiskTree::OnSelChanging before it completes it.
  virtual void SelectItem(TreeItemId item) = 0;
  virtual void DeleteAllItems() = 0;

  // Whether the control can show an item as one that opens before its
  // children are inserted, and calls DiskTree::FillChildren as it opens it.
  // A control that cannot is given every item at once.
  virtual bool FillsChildrenOnOpen() const { return false; }
  // Shows the item as one that opens; its children come later.
  virtual void SetHasChildren(TreeItemId /*item*/) {}
};

class DiskTree : public DocumentListener {
 public:
  // `progress` may be null when there is no frame to show progress in.
  DiskTree(CQuelbrinDoc& document, TreeControl& control, ProgressSink* progress);

  // Runs the first scan and builds the tree from it.
  void OnInitialUpdate();
  void OnUpdate(UpdateHint hint, StorageNode* node) override;
  // Selects the node's item. When the tree is empty it is built first and its
  // first root selected; when the tree is filled but holds no item for the
  // node, it is cleared, rebuilt, and the node's item selected if it now has one.
  void ShowNode(StorageNode* node);
  // The control is about to select an item holding `node`. Always 0: a change
  // of selection is never refused.
  int OnSelChanging(StorageNode* node);

  // The control is about to open an item: its children are inserted, once.
  void FillChildren(TreeItemId item);
  // Inserts every item not inserted yet, leaving each closed: for what looks
  // through the whole tree, as typing to find an item does.
  void FillAll();

  // The item the whole tree would hold for the node, inserting the items on
  // the way to it that are not there yet; kTreeTopLevel when the node stands
  // nowhere in the tree or the tree is empty.
  TreeItemId MakeItemOfNode(const StorageNode* node);
  // The same, without inserting: kTreeTopLevel when the item is not there yet.
  TreeItemId ItemOfNode(const StorageNode* node) const;
  bool Clearing() const { return clearing; }

 private:
  // An item whose children are inserted as it opens.
  struct Branch {
    TreeBranch branch;
    bool filled = false;
    std::vector<TreeItemId> children;
  };

  void Clear();
  TreeItemId Build();
  TreeItemId InsertBranch(const TreeBranch& branch, TreeItemId parent);
  bool Built() const { return lazy ? !roots.empty() : !itemOfNode.empty(); }
  void Reveal(TreeItemId item);

  CQuelbrinDoc& doc;
  TreeControl& tree;
  ProgressSink* progress;
  // Every item's node when the control is given the whole tree; otherwise
  // each node whose item has been looked for, and found.
  TreeItemMap itemOfNode;
  bool lazy = false;
  std::vector<TreeItemId> roots;
  std::unordered_map<TreeItemId, Branch> branches;
  bool allFilled = false;
  bool clearing = false;
};
