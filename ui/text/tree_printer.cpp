#include "ui/text/tree_printer.h"

#include <string>
#include <vector>

#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"
#include "ui/tree_walk.h"

namespace {

// The walk gives items depth first, which is the order they print in: each
// line is written as its item comes, and only the depth of each is kept.
class PrintingSink : public TreeSink {
 public:
  explicit PrintingSink(std::ostream& out) : out_(out), depths_(1) {}  // item 0 stands for the top level

  TreeItemId InsertItem(StorageNode& node, TreeItemId parent) override {
    const std::size_t depth = parent == kTreeTopLevel ? 0 : depths_[parent] + 1;
    depths_.push_back(depth);
    // Lines gather in pieces of some kilobytes: one stream call per line
    // would cost more than the walk on a large machine.
    text_.append(2 * depth, ' ');
    AppendVisibleUtf8(text_, node.GetName());
    text_ += '\n';
    if (text_.size() >= kPiece) Flush();
    return depths_.size() - 1;
  }

  void Flush() {
    out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
    text_.clear();
  }

 private:
  static constexpr std::size_t kPiece = 1 << 16;

  std::ostream& out_;
  std::vector<std::size_t> depths_;
  std::string text_;
};

}  // namespace

void PrintStorageTree(CQuelbrinDoc& doc, std::ostream& out) {
  PrintingSink sink(out);
  WalkStorageTree(doc.Model(), sink);
  sink.Flush();
}
