#include "ui/text/node_lookup.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <string_view>
#include <unordered_map>

#include "platform/wide_text.h"
#include "scan/quelbrin_doc.h"
#include "ui/tree_walk.h"

namespace {

constexpr std::size_t kMaxCloseMatches = 8;

// Every place a node appears: the tree's items, plus each disk's partitions.
// A large machine has a hundred thousand of them, with paths of a hundred
// characters: a place keeps only the place above it, and its path is spelt
// out when asked for.
struct Place {
  std::size_t above;  // the place above, plus one; 0 at the top level
  StorageNode* node;
  std::uint64_t hash;     // of the whole path
  std::size_t shared = 0;  // k of the "#k" added to the path, when several nodes share it
};

// FNV-1a, which goes on from the path above to the name below.
std::uint64_t HashOn(std::uint64_t hash, std::wstring_view text) {
  for (wchar_t c : text) {
    hash ^= static_cast<std::uint32_t>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}
constexpr std::uint64_t kHashOfNothing = 0xcbf29ce484222325ULL;

class Places {
 public:
  void Add(std::size_t above, StorageNode* node) {
    const std::uint64_t hash = above == 0 ? kHashOfNothing : HashOn(list_[above - 1].hash, L"/");
    list_.push_back({above, node, HashOn(hash, node->GetName())});
  }

  std::size_t size() const { return list_.size(); }
  Place& operator[](std::size_t i) { return list_[i]; }
  const Place& operator[](std::size_t i) const { return list_[i]; }

  std::wstring Path(std::size_t i) const {
    const Place& p = list_[i];
    return p.above == 0 ? p.node->GetName() : Path(p.above - 1) + L"/" + p.node->GetName();
  }
  // The path that names this place alone.
  std::wstring Unique(std::size_t i) const {
    std::wstring path = Path(i);
    return list_[i].shared == 0 ? path : path + L"#" + std::to_wstring(list_[i].shared);
  }
  // Compared from the end, name by name, without spelling the path out.
  bool PathIs(std::size_t i, std::wstring_view text) const {
    const Place& p = list_[i];
    const std::wstring& name = p.node->GetName();
    if (text.size() < name.size() || text.substr(text.size() - name.size()) != name) return false;
    text.remove_suffix(name.size());
    if (p.above == 0) return text.empty();
    if (text.empty() || text.back() != L'/') return false;
    text.remove_suffix(1);
    return PathIs(p.above - 1, text);
  }
  bool UniqueIs(std::size_t i, std::wstring_view text) const {
    if (list_[i].shared == 0) return PathIs(i, text);
    const std::wstring suffix = L"#" + std::to_wstring(list_[i].shared);
    if (text.size() < suffix.size() || text.substr(text.size() - suffix.size()) != suffix) return false;
    return PathIs(i, text.substr(0, text.size() - suffix.size()));
  }
  bool SamePath(std::size_t a, std::size_t b) const {
    return a == b || (list_[a].hash == list_[b].hash && Path(a) == Path(b));
  }

 private:
  std::vector<Place> list_;
};

// Item k of the tree is place k - 1; item 0 stands for the top level.
class PlaceSink : public TreeSink {
 public:
  TreeItemId InsertItem(StorageNode& node, TreeItemId parent) override {
    places.Add(parent, &node);
    return places.size();
  }

  Places places;
};

struct Index {
  Places places;
  std::unordered_map<const StorageNode*, std::size_t> canonical;  // the place of each node's unique path
  std::vector<StorageNode*> order;                                // distinct nodes, tree order
  std::wstring CanonicalPath(const StorageNode* node) const { return places.Unique(canonical.at(node)); }
};

// Several distinct nodes on one path get "#1", "#2", … in the order they first
// appear. Places that share a path share its hash, and only those are spelt out.
void MarkSharedPaths(Places& places) {
  std::vector<std::size_t> byHash(places.size());
  for (std::size_t i = 0; i < byHash.size(); ++i) byHash[i] = i;
  std::sort(byHash.begin(), byHash.end(), [&places](std::size_t a, std::size_t b) {
    return places[a].hash != places[b].hash ? places[a].hash < places[b].hash : a < b;
  });
  for (std::size_t from = 0; from < byHash.size();) {
    std::size_t to = from + 1;
    while (to < byHash.size() && places[byHash[to]].hash == places[byHash[from]].hash) ++to;
    if (to - from > 1) {
      // Equal hashes, in place order; a path the same as an earlier one joins its group.
      std::unordered_map<std::wstring, std::unordered_map<const StorageNode*, std::size_t>> nodesByPath;
      std::vector<std::pair<std::size_t, std::unordered_map<const StorageNode*, std::size_t>*>> placed;
      for (std::size_t k = from; k < to; ++k) {
        auto& nodes = nodesByPath[places.Path(byHash[k])];
        nodes.emplace(places[byHash[k]].node, nodes.size() + 1);
        placed.emplace_back(byHash[k], &nodes);
      }
      for (const auto& [i, nodes] : placed)
        if (nodes->size() > 1) places[i].shared = nodes->at(places[i].node);
    }
    from = to;
  }
}

Index BuildIndex(CQuelbrinDoc& doc) {
  PlaceSink sink;
  TreeItemMap items;
  WalkStorageTree(doc.Model(), sink, items);
  Index index;
  index.places = std::move(sink.places);
  Places& places = index.places;
  if (const PhysicalDiskList* disks = doc.Model().PhysicalDisks()) {
    for (const auto& disk : disks->children) {
      const TreeItemId diskItem = items.at(disk.get());
      for (DiskPartitionNode* partition : disk->partitions)
        if (partition != nullptr) places.Add(diskItem, partition);
    }
  }
  MarkSharedPaths(places);
  // A node's own path is the one the tree registers it under (its last item).
  for (std::size_t i = 0; i < places.size(); ++i) {
    StorageNode* node = places[i].node;
    const bool known = index.canonical.count(node) != 0;
    if (!known) index.order.push_back(node);
    const auto registered = items.find(node);
    const bool isRegistered = registered != items.end() && places.SamePath(registered->second - 1, i);
    if (!known || isRegistered) index.canonical[node] = i;
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

void ForEachNameableNode(CQuelbrinDoc& doc, const std::function<void(const std::wstring&, StorageNode*)>& visit) {
  const Index index = BuildIndex(doc);
  for (StorageNode* node : index.order) visit(index.CanonicalPath(node), node);
}

std::vector<NamedNode> NameableNodes(CQuelbrinDoc& doc) {
  std::vector<NamedNode> named;
  ForEachNameableNode(doc, [&named](const std::wstring& path, StorageNode* node) { named.push_back({path, node}); });
  return named;
}

NodeLookup FindNode(CQuelbrinDoc& doc, const std::string& name) {
  const Index index = BuildIndex(doc);
  std::wstring query = WideFromUtf8(name);
  while (query.size() > 1 && query.back() == L'/') query.pop_back();

  // 1. A unique path, or a path that names one node.
  const Places& places = index.places;
  for (std::size_t i = 0; i < places.size(); ++i)
    if (places.UniqueIs(i, query)) return {places[i].node, {}};
  // The path as the terminal printed it, its control characters made visible.
  for (std::size_t i = 0; i < places.size(); ++i)
    if (VisibleText(places.Unique(i)) == query) return {places[i].node, {}};
  std::vector<StorageNode*> found;
  for (std::size_t i = 0; i < places.size(); ++i)
    if (places.PathIs(i, query)) AddOnce(found, places[i].node);
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
