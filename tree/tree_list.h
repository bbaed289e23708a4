// The tree-list component: the display list of a tree (one entry per shown node, with its
// depth, negative while the node has children that are not shown), the levels that read
// the nodes from the tables, and the operations on them (expand, collapse, explode, refresh).
// Each node keeps copies of its rows, shared by every node that shows the same row, and puts
// them back into the record buffers when it is selected or visited.
//
// Toolkit-independent: a front end shows entries() and reports the user's operations.
// Procedure thread only: a tree belongs to its window's thread and reads through its session.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/relations/session.h"

namespace ormile::tree {

using RowRef = uint32_t;
constexpr RowRef kNoRow = ~RowRef(0);

// Copies of rows, one per distinct row of a table, shared by all the nodes that show it.
class RowPool {
 public:
  RowRef intern(data::Table table, int64_t recordId, const store::Record& record);
  const store::Record& row(RowRef ref) const { return rows_[ref]; }
  size_t size() const { return rows_.size(); }
  void clear();

 private:
  std::deque<store::Record> rows_;
  std::unordered_map<uint64_t, RowRef> index_;  // (table, record id) -> copy
};

struct Node {
  uint16_t level = 0;
  RowRef primary = kNoRow;  // the copy of the level's own row
  RowRef joined = kNoRow;   // the copy of the joined row, or kNoRow when it is missing
};

// One shown node: the node and its depth (1 for a root; negative while collapsed with
// children).
struct Entry {
  uint32_t node = 0;
  int32_t depth = 1;
};

// A filter condition of a level, named as the level's definition names it.
struct Filter {
  std::string name;
  std::function<bool(const store::Record& row)> keep;
};

// How a level reads its rows below a parent of a given level (or the roots).
struct Reading {
  int parentLevel = -1;  // -1: the roots
  int key = -1;          // the order; -1: record order
  // Range: child field = parent's primary field (or a fixed value when parentField < 0).
  struct Link {
    int parentField;
    int childField;
    std::function<int32_t()> fixed;  // for parentField < 0
  };
  std::vector<Link> range;
  std::vector<Filter> filters;
};

// A level: a view over one table, optionally joined to one more.
struct LevelDef {
  std::string name;
  data::Handle primary;
  std::optional<data::Handle> join;
  int joinKey = -1;
  std::vector<std::pair<int, int>> joinLink;  // (primary field, join field)
  std::vector<Reading> readings;              // one per parent level that has this as child
  int childLevel = -1;                        // the level of this level's children; -1: none
  bool textFromJoin = false;                  // the node text is the sort field
  int textField = 0;
  bool productionFromJoin = false;  // the production a node shows, for the ancestor rule
  int productionField = 0;
  bool leaveOutChildless = false;  // the level keeps only rows that have children
  // Buffers that must hold no row while a node of this level is selected.
  std::vector<data::Handle> clearOnRestore;
};

class TreeList {
 public:
  TreeList(data::Session& session, std::vector<LevelDef> levels);

  // Called after every change of the selection, with the selected entry (-1: none).
  void setSelectionHook(std::function<void(int entry)> hook) { hook_ = std::move(hook); }

  const std::vector<Entry>& entries() const { return entries_; }
  const Node& node(int entry) const { return nodes_[entries_[size_t(entry)].node]; }
  // The node's text (Windows-1252, without trailing blanks).
  std::string_view text(int entry) const;
  bool hasChildren(int entry) const;  // shown or not
  bool isExpanded(int entry) const;
  int selected() const { return selected_; }
  bool exploded() const { return exploded_; }
  bool collapsed() const { return collapsed_; }
  const RowPool& pool() const { return pool_; }
  // Changes with every change of the display list (not of the selection alone).
  uint64_t generation() const { return generation_; }

  // Loads the roots, every node collapsed.
  void loadRoots();
  void select(int entry);
  // Puts the entry's copies back into the record buffers, without the hook.
  void visit(int entry);

  void expand(int entry);    // one level; nothing when already expanded or a leaf
  void collapse(int entry);  // removes the descendants
  void explodeNode(int entry);
  void explodeAll();
  void collapseAll();
  void refreshNode(int entry);
  void refreshTree();  // reloads; nodes that were expanded are expanded again

  // Ctrl+PgUp / Ctrl+PgDn: the previous root or the parent; the next root or the first
  // following node less deep.
  int moveUp(int entry) const;
  int moveDown(int entry) const;

 private:
  struct ChildRead {
    std::vector<Node> nodes;  // sorted siblings
  };
  const LevelDef& level(int i) const { return levels_[size_t(i)]; }
  const Reading* readingFor(int childLevel, int parentLevel) const;
  // Reads the children of `parent` (null: roots) at `childLevel`, sorted as siblings.
  std::vector<Node> children(const Node* parent, int childLevel);
  bool probe(const Node& node);
  int32_t production(const Node& node) const;
  std::vector<int32_t> ancestors(int entry) const;
  // Appends the subtree of `node` at `depth`, expanded to the leaves when `all`.
  void build(const Node& node, int depth, bool all, std::vector<int32_t>& path,
             std::vector<Entry>& out);
  uint32_t addNode(const Node& n);
  void readRows(const Node* parent, int childLevel, const Reading& r, std::vector<Node>& out,
                bool firstOnly);
  // The children of a node depend only on the levels and on the parent's range values
  // (at most two in every level here), which the key holds exactly.
  struct MemoKey {
    uint64_t levels = 0;
    uint64_t values = 0;
    bool operator==(const MemoKey&) const = default;
  };
  struct MemoHash {
    size_t operator()(const MemoKey& k) const {
      return k.levels * 0x9E3779B97F4A7C15ull ^ k.values;
    }
  };
  MemoKey memoKey(const Node* parent, int childLevel) const;
  void beginBatch();
  void endBatch();
  void afterChange();

  data::Session& session_;
  std::vector<LevelDef> levels_;
  RowPool pool_;
  std::vector<Node> nodes_;
  std::vector<Entry> entries_;
  int selected_ = -1;
  uint64_t generation_ = 0;
  bool exploded_ = false;
  bool collapsed_ = false;
  std::function<void(int)> hook_;
  // Within one operation that reads many levels, each range is read once.
  bool batch_ = false;
  std::unordered_map<MemoKey, std::vector<Node>, MemoHash> childMemo_;
  std::unordered_map<MemoKey, bool, MemoHash> probeMemo_;
};

}  // namespace ormile::tree
