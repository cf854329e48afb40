// CDiskTreeView: the tree pane as the system's tree control. DiskTree decides
// what to insert, select and clear; this control carries it out and hands the
// user's choice back through the selection-changing notification.
#pragma once

#include "platform/win_types.h"

#include <commctrl.h>

#include "ui/disk_tree.h"

class CDiskTreeView : public TreeControl, public DocumentListener {
 public:
  // A child window of `parent` with the given id; listens to the document as
  // one of its views until destroyed. `progress` may be null.
  CDiskTreeView(HWND parent, int id, CQuelbrinDoc& document, ProgressSink* progress);
  ~CDiskTreeView() override;
  CDiskTreeView(const CDiskTreeView&) = delete;
  CDiskTreeView& operator=(const CDiskTreeView&) = delete;

  HWND Window() const { return window; }
  // Runs the first scan and builds the tree.
  void OnInitialUpdate() { tree.OnInitialUpdate(); }
  void OnUpdate(UpdateHint hint, StorageNode* node) override { tree.OnUpdate(hint, node); }
  // The control's notifications, which reach its parent; true when handled,
  // with the result in `result`.
  bool OnNotify(const NMHDR& header, LRESULT& result);

  const DiskTree& Tree() const { return tree; }
  // The node an item stands for; null for none.
  static StorageNode* NodeOfItem(HWND treeWindow, HTREEITEM item);

  // TreeControl
  TreeItemId InsertItem(StorageNode& node, TreeItemId parent) override;
  TreeItemId ParentOf(TreeItemId item) override;
  void Expand(TreeItemId item) override;
  void EnsureVisible(TreeItemId item) override;
  void SelectItem(TreeItemId item) override;
  void DeleteAllItems() override;

 private:
  HWND window = nullptr;
  // Set while the control is changing its selection: a node the document
  // makes current meanwhile is the one being selected, and selecting its
  // registered item from inside the change would leave that item drawn as
  // selected beside the one the change ends on.
  bool selectionChanging = false;
  DiskTree tree;
  Subscription subscription;
};
