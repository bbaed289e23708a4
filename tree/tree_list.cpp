#include "tree/tree_list.h"

#include <algorithm>
#include <set>

#include "base/text.h"

namespace ormile::tree {

RowRef RowPool::intern(data::Table table, int64_t recordId, const store::Record& record) {
  uint64_t key = (uint64_t(table) << 56) | uint64_t(recordId);
  auto [it, fresh] = index_.try_emplace(key, RowRef(rows_.size()));
  if (fresh)
    rows_.push_back(record);
  else
    rows_[it->second] = record;  // read again: every node that shows the row sees it as now
  return it->second;
}

void RowPool::clear() {
  rows_.clear();
  index_.clear();
}

TreeList::TreeList(data::Session& session, std::vector<LevelDef> levels)
    : session_(session), levels_(std::move(levels)) {}

std::string_view TreeList::text(int entry) const {
  const Node& n = node(entry);
  const LevelDef& l = level(n.level);
  RowRef ref = l.textFromJoin ? n.joined : n.primary;
  if (ref == kNoRow) return {};
  return pool_.row(ref).getTrimmed(l.textField);
}

bool TreeList::hasChildren(int entry) const {
  const Entry& e = entries_[size_t(entry)];
  if (e.depth < 0) return true;
  return size_t(entry) + 1 < entries_.size() &&
         std::abs(entries_[size_t(entry) + 1].depth) > e.depth;
}

bool TreeList::isExpanded(int entry) const {
  return entries_[size_t(entry)].depth > 0 && hasChildren(entry);
}

const Reading* TreeList::readingFor(int childLevel, int parentLevel) const {
  if (childLevel < 0) return nullptr;
  for (const Reading& r : level(childLevel).readings)
    if (r.parentLevel == parentLevel) return &r;
  return nullptr;
}

int32_t TreeList::production(const Node& n) const {
  return pool_.row(n.primary).getLong(level(n.level).productionField);
}

TreeList::MemoKey TreeList::memoKey(const Node* parent, int childLevel) const {
  const Reading* r = readingFor(childLevel, parent ? parent->level : -1);
  MemoKey key;
  key.levels =
      uint64_t(uint32_t(childLevel + 1)) << 32 | uint32_t((parent ? parent->level : -1) + 1);
  if (parent && r) {
    const store::Record& row = pool_.row(parent->primary);
    int shift = 0;
    for (const auto& link : r->range) {
      if (link.parentField < 0 || shift >= 64) continue;
      key.values |= uint64_t(uint32_t(row.getLong(link.parentField))) << shift;
      shift += 32;
    }
  }
  return key;
}

void TreeList::readRows(const Node* parent, int childLevel, const Reading& r,
                        std::vector<Node>& out, bool firstOnly) {
  const LevelDef& l = level(childLevel);
  data::TableHandle& h = session_[l.primary];
  std::vector<int32_t> values;
  for (const auto& link : r.range)
    values.push_back(link.parentField >= 0 && parent
                         ? pool_.row(parent->primary).getLong(link.parentField)
                         : (link.fixed ? link.fixed() : 0));
  h.clear();
  if (r.key >= 0) {
    h.record().setKeyExtreme(r.key, true);
    for (size_t i = 0; i < r.range.size(); ++i) h.setLong(r.range[i].childField, values[i]);
    h.setFrom(r.key);
  } else {
    h.setRecordOrder();
  }
  data::Table table = data::handleDef(l.primary).table;
  while (ok(h.next())) {
    bool inRange = true;
    for (size_t i = 0; i < r.range.size() && inRange; ++i)
      inRange = h.getLong(r.range[i].childField) == values[i];
    if (!inRange) break;
    bool keep = true;
    for (const Filter& f : r.filters)
      if (!(keep = f.keep(h.record()))) break;
    if (!keep) continue;
    Node n;
    n.level = uint16_t(childLevel);
    if (firstOnly) {
      out.push_back(n);
      return;
    }
    n.primary = pool_.intern(table, h.file().currentRecordId(), h.record());
    if (l.join) {
      data::TableHandle& j = session_[*l.join];
      j.clear();
      for (auto [from, to] : l.joinLink) j.setLong(to, h.getLong(from));
      if (ok(j.get(l.joinKey)))
        n.joined =
            pool_.intern(data::handleDef(*l.join).table, j.file().currentRecordId(), j.record());
    }
    out.push_back(n);
  }
}

std::vector<Node> TreeList::children(const Node* parent, int childLevel) {
  const Reading* r = readingFor(childLevel, parent ? parent->level : -1);
  if (!r) return {};
  MemoKey key;
  if (batch_ && parent) {
    key = memoKey(parent, childLevel);
    auto it = childMemo_.find(key);
    if (it != childMemo_.end()) return it->second;
  }
  std::vector<Node> v;
  readRows(parent, childLevel, *r, v, false);
  // Siblings in the order of their text as keys compare it; equal texts keep read order.
  const LevelDef& l = level(childLevel);
  auto sortText = [&](const Node& n) -> std::string_view {
    RowRef ref = l.textFromJoin ? n.joined : n.primary;
    return ref == kNoRow ? std::string_view() : pool_.row(ref).getTrimmed(l.textField);
  };
  std::stable_sort(v.begin(), v.end(), [&](const Node& a, const Node& b) {
    return base::compareKeyText(sortText(a), sortText(b)) < 0;
  });
  if (batch_ && parent) childMemo_[key] = v;
  return v;
}

bool TreeList::probe(const Node& n) {
  int childLevel = level(n.level).childLevel;
  const Reading* r = readingFor(childLevel, n.level);
  if (!r) return false;
  MemoKey key;
  if (batch_) {
    key = memoKey(&n, childLevel);
    if (auto it = childMemo_.find(key); it != childMemo_.end()) return !it->second.empty();
    if (auto it = probeMemo_.find(key); it != probeMemo_.end()) return it->second;
  }
  std::vector<Node> first;
  readRows(&n, childLevel, *r, first, true);
  if (batch_) probeMemo_[key] = !first.empty();
  return !first.empty();
}

uint32_t TreeList::addNode(const Node& n) {
  nodes_.push_back(n);
  return uint32_t(nodes_.size() - 1);
}

void TreeList::build(const Node& n, int depth, bool all, std::vector<int32_t>& path,
                     std::vector<Entry>& out) {
  uint32_t id = addNode(n);
  int32_t shows = production(n);
  // A production already shown above is a leaf here: every walk ends, whatever the rows.
  if (std::find(path.begin(), path.end(), shows) != path.end()) {
    out.push_back({id, depth});
    return;
  }
  if (!all) {
    out.push_back({id, probe(n) ? -depth : depth});
    return;
  }
  std::vector<Node> kids = children(&n, level(n.level).childLevel);
  out.push_back({id, depth});
  path.push_back(shows);
  for (const Node& kid : kids) build(kid, depth + 1, true, path, out);
  path.pop_back();
}

std::vector<int32_t> TreeList::ancestors(int entry) const {
  std::vector<int32_t> path;
  int depth = std::abs(entries_[size_t(entry)].depth);
  for (int i = entry - 1; i >= 0 && depth > 1; --i) {
    int d = std::abs(entries_[size_t(i)].depth);
    if (d < depth) {
      path.push_back(production(nodes_[entries_[size_t(i)].node]));
      depth = d;
    }
  }
  std::reverse(path.begin(), path.end());
  return path;
}

void TreeList::beginBatch() {
  batch_ = true;
  childMemo_.clear();
  probeMemo_.clear();
}

void TreeList::endBatch() {
  batch_ = false;
  childMemo_.clear();
  probeMemo_.clear();
}

void TreeList::afterChange() {
  ++generation_;
  if (entries_.empty()) {
    selected_ = -1;
  } else {
    selected_ = std::clamp(selected_, 0, int(entries_.size()) - 1);
  }
  if (selected_ >= 0) visit(selected_);
  if (hook_) hook_(selected_);
}

void TreeList::loadRoots() {
  data::ReadBurst burst(session_.tables());
  entries_.clear();
  nodes_.clear();
  pool_.clear();
  std::vector<Node> roots = children(nullptr, 0);
  std::vector<int32_t> path;
  for (const Node& root : roots) {
    if (level(0).leaveOutChildless && !probe(root)) continue;
    build(root, 1, false, path, entries_);
  }
  exploded_ = collapsed_ = false;
  afterChange();
}

void TreeList::select(int entry) {
  selected_ = entry;
  if (entry >= 0 && size_t(entry) < entries_.size()) visit(entry);
  if (hook_) hook_(selected_);
}

void TreeList::visit(int entry) {
  const Node& n = node(entry);
  const LevelDef& l = level(n.level);
  for (data::Handle h : l.clearOnRestore) session_[h].clear();
  session_[l.primary].record() = pool_.row(n.primary);
  if (l.join) {
    if (n.joined == kNoRow)
      session_[*l.join].clear();
    else
      session_[*l.join].record() = pool_.row(n.joined);
  }
}

void TreeList::expand(int entry) {
  if (entry < 0 || size_t(entry) >= entries_.size() || entries_[size_t(entry)].depth > 0) return;
  data::ReadBurst burst(session_.tables());
  int depth = -entries_[size_t(entry)].depth;
  Node n = node(entry);
  std::vector<int32_t> path = ancestors(entry);
  path.push_back(production(n));
  std::vector<Entry> shown;
  for (const Node& kid : children(&n, level(n.level).childLevel))
    build(kid, depth + 1, false, path, shown);
  entries_[size_t(entry)].depth = depth;
  entries_.insert(entries_.begin() + entry + 1, shown.begin(), shown.end());
  collapsed_ = false;
  selected_ = entry;
  afterChange();
}

void TreeList::collapse(int entry) {
  if (entry < 0 || size_t(entry) >= entries_.size()) return;
  int depth = std::abs(entries_[size_t(entry)].depth);
  size_t end = size_t(entry) + 1;
  while (end < entries_.size() && std::abs(entries_[end].depth) > depth) ++end;
  if (end > size_t(entry) + 1) {
    entries_.erase(entries_.begin() + entry + 1, entries_.begin() + long(end));
    entries_[size_t(entry)].depth = -depth;
  }
  exploded_ = false;
  selected_ = entry;
  afterChange();
}

void TreeList::explodeNode(int entry) {
  if (entry < 0 || size_t(entry) >= entries_.size()) return;
  data::ReadBurst burst(session_.tables());
  beginBatch();
  int depth = std::abs(entries_[size_t(entry)].depth);
  size_t end = size_t(entry) + 1;
  while (end < entries_.size() && std::abs(entries_[end].depth) > depth) ++end;
  Node n = node(entry);
  std::vector<int32_t> path = ancestors(entry);
  std::vector<Entry> subtree;
  build(n, depth, true, path, subtree);
  entries_.erase(entries_.begin() + entry, entries_.begin() + long(end));
  entries_.insert(entries_.begin() + entry, subtree.begin(), subtree.end());
  endBatch();
  collapsed_ = false;
  selected_ = entry;
  afterChange();
}

void TreeList::explodeAll() {
  data::ReadBurst burst(session_.tables());
  beginBatch();
  entries_.clear();
  nodes_.clear();
  pool_.clear();
  std::vector<int32_t> path;
  for (const Node& root : children(nullptr, 0)) {
    if (level(0).leaveOutChildless && !probe(root)) continue;
    build(root, 1, true, path, entries_);
  }
  endBatch();
  exploded_ = true;
  collapsed_ = false;
  selected_ = 0;
  afterChange();
}

void TreeList::collapseAll() {
  loadRoots();
  collapsed_ = true;
  selected_ = 0;
  afterChange();
}

void TreeList::refreshNode(int entry) {
  if (entry < 0 || size_t(entry) >= entries_.size()) return;
  bool wasExpanded = isExpanded(entry);
  bool keepExploded = exploded_, keepCollapsed = collapsed_;
  collapse(entry);
  {
    data::ReadBurst burst(session_.tables());
    int depth = std::abs(entries_[size_t(entry)].depth);
    entries_[size_t(entry)].depth = probe(node(entry)) ? -depth : depth;
  }
  if (wasExpanded) expand(entry);
  exploded_ = keepExploded;
  collapsed_ = keepCollapsed;
  selected_ = entry;
  afterChange();
}

void TreeList::refreshTree() {
  // Nodes are known again by the path of levels and productions from their root.
  auto keyOf = [&](const std::string& parent, int entry) {
    const Node& n = node(entry);
    return parent + "/" + std::to_string(n.level) + ":" + std::to_string(production(n));
  };
  std::set<std::string> expanded;
  std::vector<std::pair<int, std::string>> stack;
  for (size_t i = 0; i < entries_.size(); ++i) {
    int depth = std::abs(entries_[i].depth);
    while (!stack.empty() && stack.back().first >= depth) stack.pop_back();
    std::string key = keyOf(stack.empty() ? std::string() : stack.back().second, int(i));
    if (isExpanded(int(i))) expanded.insert(key);
    stack.emplace_back(depth, key);
  }
  int keepSelected = selected_;
  bool keepHook = bool(hook_);
  auto hook = std::move(hook_);
  hook_ = nullptr;
  loadRoots();
  stack.clear();
  for (size_t i = 0; i < entries_.size(); ++i) {
    int depth = std::abs(entries_[i].depth);
    while (!stack.empty() && stack.back().first >= depth) stack.pop_back();
    std::string key = keyOf(stack.empty() ? std::string() : stack.back().second, int(i));
    if (entries_[i].depth < 0 && expanded.count(key)) expand(int(i));
    stack.emplace_back(depth, key);
  }
  if (keepHook) hook_ = std::move(hook);
  exploded_ = collapsed_ = false;
  selected_ = keepSelected;
  afterChange();
}

int TreeList::moveUp(int entry) const {
  if (entry <= 0) return entry;
  int depth = std::abs(entries_[size_t(entry)].depth);
  for (int i = entry - 1; i >= 0; --i) {
    int d = std::abs(entries_[size_t(i)].depth);
    if (depth == 1 ? d == 1 : d < depth) return i;
  }
  return entry;
}

int TreeList::moveDown(int entry) const {
  int depth = std::abs(entries_[size_t(entry)].depth);
  for (size_t i = size_t(entry) + 1; i < entries_.size(); ++i) {
    int d = std::abs(entries_[i].depth);
    if (depth == 1 ? d == 1 : d < depth) return int(i);
  }
  return entry;
}

}  // namespace ormile::tree
