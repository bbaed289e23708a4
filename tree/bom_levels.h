// The levels of the two bill-of-materials trees: the explosion tree over the structure rows
// joined to their contained production, and the where-used tree over every used production
// and, above it, the structure rows joined to their containing production.
#pragma once

#include <functional>
#include <vector>

#include "tree/tree_list.h"

namespace ormile::tree {

// `structureType` gives the current type (the XST row named "Contains"; 0 when missing).
std::vector<LevelDef> explosionLevels(std::function<int32_t()> structureType);
std::vector<LevelDef> whereUsedLevels(std::function<int32_t()> structureType);

// The structure type named "Contains", read through the session's XST handle; 0 when the
// row is missing (both trees are then empty).
int32_t containsType(data::Session& session);

}  // namespace ormile::tree
