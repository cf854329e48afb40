#include "ui/text/tree_printer.h"

#include <string>
#include <vector>

#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"
#include "ui/text/visible_text.h"
#include "ui/tree_walk.h"

namespace {

// Keeps the items as a tree so that printing does not depend on the order in
// which the walk inserts them.
class PrintingSink : public TreeSink {
 public:
  PrintingSink() : items_(1) {}  // item 0 stands for the top level

  TreeItemId InsertItem(StorageNode& node, TreeItemId parent) override {
    items_.push_back({Utf8FromWide(VisibleText(node.GetName())), {}});
    const TreeItemId id = items_.size() - 1;
    items_[parent].children.push_back(id);
    return id;
  }

  void Print(std::ostream& out) const {
    // Lines gather in pieces of some kilobytes: one stream call per line
    // would cost more than the walk on a large machine.
    std::string text;
    PrintChildren(out, text, kTreeTopLevel, 0);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }

 private:
  struct Item {
    std::string text;
    std::vector<TreeItemId> children;
  };

  void PrintChildren(std::ostream& out, std::string& text, TreeItemId parent, std::size_t depth) const {
    for (TreeItemId child : items_[parent].children) {
      text.append(2 * depth, ' ').append(items_[child].text).append(1, '\n');
      if (text.size() >= kPiece) {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        text.clear();
      }
      PrintChildren(out, text, child, depth + 1);
    }
  }

  static constexpr std::size_t kPiece = 1 << 16;

  std::vector<Item> items_;
};

}  // namespace

void PrintStorageTree(CQuelbrinDoc& doc, std::ostream& out) {
  PrintingSink sink;
  TreeItemMap items;
  WalkStorageTree(doc.Model(), sink, items);
  sink.Print(out);
}
