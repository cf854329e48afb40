#include "ui/text/node_lookup.h"

#include <algorithm>
#include <cwctype>
#include <string_view>
#include <unordered_map>

#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"
#include "ui/tree_walk.h"

namespace {

constexpr std::size_t kMaxCloseMatches = 8;

// Every place a node appears: the tree's items, plus each disk's partitions.
// A large machine has a hundred thousand of them, so each path is held once.
struct Place {
  std::wstring path;
  StorageNode* node;
  std::wstring shared = {};  // "#k" added to the path, when several nodes share it
  // The path that names this place alone.
  const std::wstring& Unique() const { return shared.empty() ? path : shared; }
};

// Item k of the tree is place k - 1; item 0 stands for the top level.
class PathSink : public TreeSink {
 public:
  TreeItemId InsertItem(StorageNode& node, TreeItemId parent) override {
    const std::wstring& above = PathOf(places, parent);
    std::wstring path = above.empty() ? node.GetName() : above + L"/" + node.GetName();
    places.push_back({std::move(path), &node});
    return places.size();
  }
  static const std::wstring& PathOf(const std::vector<Place>& places, TreeItemId item) {
    static const std::wstring kTop;
    return item == kTreeTopLevel ? kTop : places[item - 1].path;
  }

  std::vector<Place> places;
};

struct Index {
  std::vector<Place> places;
  std::unordered_map<const StorageNode*, std::size_t> canonical;  // the place of each node's unique path
  std::vector<StorageNode*> order;                                // distinct nodes, tree order
  const std::wstring& CanonicalPath(const StorageNode* node) const { return places[canonical.at(node)].Unique(); }
};

Index BuildIndex(CQuelbrinDoc& doc) {
  PathSink sink;
  TreeItemMap items;
  WalkStorageTree(doc.Model(), sink, items);
  Index index;
  index.places = std::move(sink.places);
  auto pathOf = [&index](TreeItemId item) -> const std::wstring& { return PathSink::PathOf(index.places, item); };
  if (const PhysicalDiskList* disks = doc.Model().PhysicalDisks()) {
    for (const auto& disk : disks->children) {
      const std::wstring diskPath = pathOf(items.at(disk.get()));
      for (DiskPartitionNode* partition : disk->partitions)
        if (partition != nullptr) index.places.push_back({diskPath + L"/" + partition->GetName(), partition});
    }
  }
  // Several distinct nodes on one path get "#1", "#2", … in order. The places
  // are all there now: views of their paths stay valid.
  std::unordered_map<std::wstring_view, std::vector<StorageNode*>> byPath;
  byPath.reserve(index.places.size());
  for (const Place& p : index.places) {
    auto& nodes = byPath[p.path];
    if (std::find(nodes.begin(), nodes.end(), p.node) == nodes.end()) nodes.push_back(p.node);
  }
  // A node's own path is the one the tree registers it under (its last item).
  for (std::size_t i = 0; i < index.places.size(); ++i) {
    Place& p = index.places[i];
    if (const auto& nodes = byPath.at(p.path); nodes.size() > 1) {
      const auto k = std::find(nodes.begin(), nodes.end(), p.node) - nodes.begin() + 1;
      p.shared = p.path + L"#" + std::to_wstring(k);
    }
    const bool known = index.canonical.count(p.node) != 0;
    if (!known) index.order.push_back(p.node);
    const auto registered = items.find(p.node);
    const bool isRegistered = registered != items.end() && pathOf(registered->second) == p.path;
    if (!known || isRegistered) index.canonical[p.node] = i;
  }
  return index;
}

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return s;
}

std::size_t EditDistance(const std::wstring& a, const std::wstring& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string Listing(const Index& index, const std::vector<StorageNode*>& nodes) {
  std::string text;
  for (std::size_t i = 0; i < nodes.size() && i < kMaxCloseMatches; ++i)
    text += "\n  " + VisibleUtf8(index.CanonicalPath(nodes[i]));
  if (nodes.size() > kMaxCloseMatches) text += "\n  ...";
  return text;
}

void AddOnce(std::vector<StorageNode*>& nodes, StorageNode* node) {
  if (std::find(nodes.begin(), nodes.end(), node) == nodes.end()) nodes.push_back(node);
}

}  // namespace

std::vector<NamedNode> NameableNodes(CQuelbrinDoc& doc) {
  const Index index = BuildIndex(doc);
  std::vector<NamedNode> named;
  for (StorageNode* node : index.order) named.push_back({index.CanonicalPath(node), node});
  return named;
}

NodeLookup FindNode(CQuelbrinDoc& doc, const std::string& name) {
  const Index index = BuildIndex(doc);
  std::wstring query = WideFromUtf8(name);
  while (query.size() > 1 && query.back() == L'/') query.pop_back();

  // 1. A unique path, or a path that names one node.
  for (const Place& p : index.places)
    if (p.Unique() == query) return {p.node, {}};
  // The path as the terminal printed it, its control characters made visible.
  for (const Place& p : index.places)
    if (VisibleText(p.Unique()) == query) return {p.node, {}};
  std::vector<StorageNode*> found;
  for (const Place& p : index.places)
    if (p.path == query) AddOnce(found, p.node);
  if (found.size() == 1) return {found[0], {}};
  if (found.size() > 1)
    return {nullptr, "'" + name + "' is the path of " + std::to_string(found.size()) +
                         " nodes; name one of them:" + Listing(index, found)};

  // 2. A display name that only one node has.
  for (StorageNode* node : index.order)
    if (node->GetName() == query) AddOnce(found, node);
  if (found.size() == 1) return {found[0], {}};
  if (found.size() > 1)
    return {nullptr, "'" + name + "' is the name of " + std::to_string(found.size()) +
                         " nodes; name one by its path:" + Listing(index, found)};

  // 3. The same, ignoring case, when that leaves one node.
  const std::wstring lower = Lower(query);
  for (StorageNode* node : index.order)
    if (Lower(node->GetName()) == lower || Lower(index.CanonicalPath(node)) == lower) AddOnce(found, node);
  if (found.size() == 1) return {found[0], {}};

  // Close matches: the same name in another case, a name containing the query,
  // or one a few keystrokes away.
  // A query with a slash is a path; without one, paths would match every node
  // below a matching one.
  const bool isPath = lower.find(L'/') != std::wstring::npos;
  for (StorageNode* node : index.order) {
    const std::wstring text = Lower(isPath ? index.CanonicalPath(node) : node->GetName());
    if (text.find(lower) != std::wstring::npos) AddOnce(found, node);
  }
  if (found.empty()) {
    // A few keystrokes away from the name, or from the path's last part; the nearest first.
    const std::wstring last = isPath ? lower.substr(lower.rfind(L'/') + 1) : lower;
    const std::size_t tolerance = std::max<std::size_t>(2, last.size() / 4);
    std::vector<std::pair<std::size_t, StorageNode*>> nearby;
    for (StorageNode* node : index.order) {
      const std::size_t distance = EditDistance(Lower(node->GetName()), last);
      if (distance <= tolerance) nearby.emplace_back(distance, node);
    }
    std::stable_sort(nearby.begin(), nearby.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : nearby) AddOnce(found, entry.second);
  }
  std::string error = "no node is named '" + name + "'";
  if (found.empty())
    error += "; 'quelbrin-cli tree' shows every name";
  else
    error += ". Close matches:" + Listing(index, found);
  return {nullptr, error};
}
