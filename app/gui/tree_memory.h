// What the user had open in the tree, kept across a rebuild: the selected
// item and the expanded ones, each by its path of item texts from the top.
// The nodes behind the items are new after a rescan; their names are what
// stays.
#pragma once

#include <utility>
#include <vector>

#include <wx/string.h>
#include <wx/treectrl.h>

class CDiskTreeView;

class TreeMemory {
 public:
  static TreeMemory Of(const wxTreeCtrl& tree);
  // Expands what was expanded and still exists, then selects the item that
  // was selected, or its nearest ancestor that still exists. Does nothing
  // to an empty tree, or when nothing was selected.
  void RestoreTo(CDiskTreeView& tree) const;

  // Each step: an item's text and which of its siblings of the same text it is.
  using Path = std::vector<std::pair<wxString, int>>;
  const Path& Selected() const { return selected; }
  const std::vector<Path>& Expanded() const { return expanded; }

 private:
  Path selected;
  std::vector<Path> expanded;
};
