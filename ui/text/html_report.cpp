#include "ui/text/html_report.h"

#include <unordered_map>

#include "model/disk_partition_node.h"
#include "scan/quelbrin_doc.h"
#include "ui/form_state.h"
#include "ui/panels.h"
#include "ui/text/html_panel.h"
#include "ui/text/markup_text.h"
#include "ui/text/node_lookup.h"
#include "ui/text/report_style.h"
#include "ui/tree_walk.h"

namespace {

// Styles from the page itself and nothing else: no scripts, no fetches, no
// forms, no frames.
constexpr const char* kContentPolicy =
    "default-src 'none'; style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'";
// Further places of a node shown in the tree that its panel links back to;
// an adapter under every disk of a big machine stands at thousands.
constexpr std::size_t kMaxFurtherPlaces = 12;

struct TreeItem {
  StorageNode* node = nullptr;
  TreeItemId parent = kTreeTopLevel;
  std::vector<TreeItemId> children;
};

class CollectingSink : public TreeSink {
 public:
  CollectingSink() : items(1) {}  // item 0 stands for the top level
  TreeItemId InsertItem(StorageNode& node, TreeItemId parent) override {
    items.push_back({&node, parent, {}});
    const TreeItemId id = items.size() - 1;
    items[parent].children.push_back(id);
    return id;
  }
  std::vector<TreeItem> items;
};

struct Panel {
  StorageNode* node;
  // The path as `show` takes it, as markup: held for a hundred thousand
  // panels, four bytes a character would take most of the report's memory.
  std::string path;
  std::string id;
  std::vector<TreeItemId> places;
};

std::string TreeId(TreeItemId item) { return "tree-" + std::to_string(item); }

class ReportWriter {
 public:
  ReportWriter(CQuelbrinDoc& doc, const ReportHeading& heading, std::ostream& out)
      : doc_(doc), heading_(heading), out_(out) {}

  void Write() {
    Index();
    Head();
    out_ << "<div class=\"page\">\n<nav class=\"tree\" id=\"tree\" aria-label=\"Storage tree\">\n<h2>Tree</h2>\n";
    Tree(kTreeTopLevel);
    out_ << "</nav>\n<main class=\"panels\">\n<h2>Panels</h2>\n";
    FormState form;
    for (const Panel& panel : panels_) Section(panel, form);
    out_ << "</main>\n</div>\n</body>\n</html>\n";
  }

 private:
  void Index() {
    TreeItemMap itemOfNode;
    WalkStorageTree(doc_.Model(), sink_, itemOfNode);
    ForEachNameableNode(doc_, [this](const std::wstring& path, StorageNode* node) { Add(node, path); });
    for (TreeItemId i = 1; i < sink_.items.size(); ++i) {
      StorageNode* node = sink_.items[i].node;
      if (panelOf_.count(node) == 0) Add(node, node->GetName());
      panels_[panelOf_.at(node)].places.push_back(i);
    }
  }

  void Add(StorageNode* node, const std::wstring& path) {
    if (node == nullptr || panelOf_.count(node) != 0) return;
    std::string id = "node-" + std::to_string(panels_.size() + 1);
    const std::string fragment = IdFragment(node->GetName());
    if (!fragment.empty()) id += "-" + fragment;
    panelOf_[node] = panels_.size();
    panels_.push_back({node, MarkupText(path), std::move(id), {}});
  }

  const std::string* PanelId(const StorageNode* node) const {
    const auto it = panelOf_.find(node);
    return it != panelOf_.end() ? &panels_[it->second].id : nullptr;
  }

  void Head() {
    const std::string machine = MarkupText(heading_.machine);
    out_ << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         << "<meta http-equiv=\"Content-Security-Policy\" content=\"" << kContentPolicy << "\">\n"
         << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
         << "<meta name=\"referrer\" content=\"no-referrer\">\n"
         << "<title>Storage of " << machine << "</title>\n<style>" << kReportStyle << "</style>\n</head>\n<body>\n"
         << "<header class=\"report\">\n<h1>Storage of " << machine << "</h1>\n";
    if (!heading_.warnings.empty()) {
      out_ << "<ul class=\"warnings\" role=\"alert\">\n";
      for (const std::wstring& w : heading_.warnings) out_ << "<li>" << MarkupText(w) << "</li>\n";
      out_ << "</ul>\n";
    }
    if (!heading_.facts.empty()) {
      out_ << "<dl class=\"facts\">\n";
      for (const auto& [label, value] : heading_.facts)
        out_ << "<dt>" << MarkupText(label) << "</dt><dd>" << MarkupText(value) << "</dd>\n";
      out_ << "</dl>\n";
    }
    out_ << "<p class=\"counts\">" << sink_.items.size() - 1 << " entries in the tree, " << panels_.size()
         << " panels.</p>\n</header>\n";
  }

  void Tree(TreeItemId parent) {
    const std::vector<TreeItemId>& children = sink_.items[parent].children;
    if (children.empty()) return;
    out_ << "<ul>\n";
    for (TreeItemId item : children) {
      const TreeItem& entry = sink_.items[item];
      const std::string link = "<a id=\"" + TreeId(item) + "\" href=\"#" + *PanelId(entry.node) + "\">" +
                               MarkupText(entry.node->GetName()) + "</a>";
      if (entry.children.empty()) {
        out_ << "<li class=\"leaf\">" << link << "</li>\n";
      } else {
        out_ << "<li><details open><summary>" << link << "</summary>\n";
        Tree(item);
        out_ << "</details></li>\n";
      }
    }
    out_ << "</ul>\n";
  }

  // What tells a place from the node's others: the entry below a root that
  // it lies under, or the root for an entry right below one.
  const std::wstring& PlaceName(TreeItemId item) const {
    std::vector<TreeItemId> chain;  // the place and its ancestors, root last
    for (TreeItemId at = item; at != kTreeTopLevel; at = sink_.items[at].parent) chain.push_back(at);
    return sink_.items[chain.size() > 2 ? chain[chain.size() - 2] : chain.back()].node->GetName();
  }

  void BackLinks(const Panel& panel) {
    if (panel.places.empty()) {
      // A partition under no volume is in the tree only through its disk.
      const StorageNode* owner = nullptr;
      if (panel.node->kind == KindDiskPartition) owner = static_cast<const DiskPartitionNode*>(panel.node)->disk;
      if (const std::string* ownerId = owner != nullptr ? PanelId(owner) : nullptr)
        out_ << " <a class=\"back\" href=\"#" << *ownerId << "\">\u2191 " << MarkupText(owner->GetName()) << "</a>";
      return;
    }
    out_ << " <a class=\"back\" href=\"#" << TreeId(panel.places.front()) << "\">\u2191 in the tree</a>";
    if (panel.places.size() == 1) return;
    out_ << " <span class=\"also\">also under";
    const std::size_t shown = std::min(panel.places.size() - 1, kMaxFurtherPlaces);
    for (std::size_t k = 1; k <= shown; ++k) {
      const TreeItemId place = panel.places[k];
      out_ << (k > 1 ? ", " : " ") << "<a href=\"#" << TreeId(place) << "\">" << MarkupText(PlaceName(place))
           << "</a>";
    }
    if (panel.places.size() - 1 > shown) out_ << " and " << panel.places.size() - 1 - shown << " more places";
    out_ << "</span>";
  }

  void Section(const Panel& panel, FormState& form) {
    // Each panel as `show` prints it: from the template state, not from what
    // the panel shown before it left in untouched fields.
    form.Reset();
    ShowNodePanel(form, panel.node);
    out_ << "<section class=\"panel\" id=\"" << panel.id << "\">\n<h2><span class=\"name\">"
         << MarkupText(panel.node->GetName()) << "</span>";
    // The panel's title says what kind of node this is, unless the name says it already.
    if (form.PanelOnDisplay() != kNoControl && form.FrameTitle(form.PanelOnDisplay()) != panel.node->GetName())
      out_ << "<span class=\"kind\">" << MarkupText(form.FrameTitle(form.PanelOnDisplay())) << "</span>";
    out_ << "</h2>\n<p class=\"where\"><code>" << panel.path << "</code>";
    BackLinks(panel);
    out_ << "</p>\n";
    WritePanelHtml(form, [this](const StorageNode* node) { return PanelId(node); }, out_);
    out_ << "</section>\n";
  }

  CQuelbrinDoc& doc_;
  const ReportHeading& heading_;
  std::ostream& out_;
  CollectingSink sink_;
  std::vector<Panel> panels_;
  std::unordered_map<const StorageNode*, std::size_t> panelOf_;
};

}  // namespace

void WriteHtmlReport(CQuelbrinDoc& doc, const ReportHeading& heading, std::ostream& out) {
  ReportWriter(doc, heading, out).Write();
}
