// What the tree pane does, without a toolkit: build the tree after a scan,
// reveal and select the node the document makes current, rebuild after a
// refresh, and hand the user's choice to the document. The widget supplies the
// control operations and forwards the control's selection-changing event.
#pragma once

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

  // kTreeTopLevel when the node has no item.
  TreeItemId ItemOfNode(const StorageNode* node) const;
  bool Clearing() const { return clearing; }

 private:
  void Clear();
  TreeItemId Build();
  void Reveal(TreeItemId item);

  CQuelbrinDoc& doc;
  TreeControl& tree;
  ProgressSink* progress;
  TreeItemMap itemOfNode;
  bool clearing = false;
};
