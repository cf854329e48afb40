// CDiskTreeView: the tree pane. DiskTree decides what to insert, select and
// clear; this control carries it out and reports the user's choice back.
#pragma once

#include <memory>

#include "ui/disk_tree.h"

#include <wx/treectrl.h>

class CDiskTreeView : public wxTreeCtrl, public TreeControl, public DocumentListener {
 public:
  // Listens to the document as one of its views until destroyed; `progress`
  // may be null.
  CDiskTreeView(wxWindow* parent, CQuelbrinDoc& document, ProgressSink* progress);

  // Runs the first scan and builds the tree.
  void OnInitialUpdate() { tree.OnInitialUpdate(); }
  void OnUpdate(UpdateHint hint, StorageNode* node) override { tree.OnUpdate(hint, node); }

  const DiskTree& Tree() const { return tree; }
  // The node an item stands for; null for none.
  StorageNode* NodeOfItem(const wxTreeItemId& item) const;
  // The node's item, inserting the items on the way to it (the tree inserts
  // an item's children as it first opens).
  wxTreeItemId ItemOfNode(const StorageNode* node);
  // Inserts the item's children if they are not there yet, without opening it.
  void FillChildren(const wxTreeItemId& item);

  // TreeControl
  using wxTreeCtrl::EnsureVisible;
  using wxTreeCtrl::Expand;
  using wxTreeCtrl::SelectItem;
  TreeItemId InsertItem(StorageNode& node, TreeItemId parent) override;
  TreeItemId ParentOf(TreeItemId item) override;
  void Expand(TreeItemId item) override;
  void EnsureVisible(TreeItemId item) override;
  void SelectItem(TreeItemId item) override;
  void DeleteAllItems() override;
  bool FillsChildrenOnOpen() const override { return true; }
  void SetHasChildren(TreeItemId item) override;

 private:
  void OnSelChanging(wxTreeEvent& event);
  void OnExpanding(wxTreeEvent& event);
  void OnChar(wxKeyEvent& event);
  // The toolkit's own painting, with the line that joins the roots cut to the
  // rows in view.
  void OnPaint(wxPaintEvent& event);
  // The control shows several roots under one hidden root of its own.
  wxTreeItemId HiddenRoot();

  CQuelbrinDoc& doc;
  DiskTree tree;
  Subscription subscription;
};
