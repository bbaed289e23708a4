// The relations between the tables: one-to-many relations with their update and delete
// rules, lookup relations that tie a child to its parents for opening, alias ties, and the
// recursive step descriptions that the bill-of-materials trees walk.
// Immutable; thread-safe to read.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "data/tables/dictionary.h"

namespace ormile::data {

enum class Rule { None = 0, Clear = 1, Restrict = 2, Cascade = 3 };

struct Relation {
  Handle related;
  bool lookup = false;                     // no key, no links, no rules
  int childKey = -1;                       // key of the child (one-to-many)
  std::vector<std::pair<int, int>> links;  // (parent field, child field)
  Rule update = Rule::None;
  Rule del = Rule::None;
};

// The relation list of a handle, in its order.
const std::vector<Relation>& relationsOf(Handle handle);
// The handle of the table an alias stands for (the handle itself for a table).
Handle aliasTie(Handle handle);

enum class TreeKind { Explosion, WhereUsed };

struct RecursiveStep {
  struct Link {
    int parentStepField;  // field of the parent-step handle
    int childField;       // child field matched to it
    int childField2;      // child field of the step's other end
  };
  Handle handle;
  TreeKind tree;
  Handle parentStep;
  int childKey;
  int parentStepKey;
  std::vector<Link> links;
  std::pair<int, int> recursionPair;  // fields of `handle`
};

// The recursive step of XS (explosion) and AXS (where-used); none for other handles.
const RecursiveStep* recursiveStepOf(Handle handle);

}  // namespace ormile::data
