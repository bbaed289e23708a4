// "Create PrintTree": the explosion tree, exactly as its list shows it, written into TreeOut,
// one row per shown entry with its depth, its production's header, text and note, and the
// number and name of the production's clause and SQL part. TreeOut is rebuilt from empty.
#pragma once

#include <functional>

#include "base/messages.h"
#include "tree/tree_list.h"

namespace ormile::tree {

struct PrintOutcome {
  int rows = 0;         // rows written
  bool failed = false;  // a stop message was shown
  store::ErrorCode error = store::ErrorCode::None;
};

// Writes the listing of `explosion` (a tree over the explosion levels) and makes its selected
// entry current again. `waitCursor` is told when the wait cursor goes on and off.
// Procedure thread only.
PrintOutcome CreatePrintTree(data::Session& session, base::MessageService& messages,
                             TreeList& explosion, const std::function<void(bool)>& waitCursor = {});

}  // namespace ormile::tree
