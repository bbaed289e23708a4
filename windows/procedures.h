// The window procedures that the frame's menu starts, each on a thread of its own with a
// Session created for it. A procedure returns when its window has closed.
#pragma once

#include "windows/session.h"

namespace ormile::windows {

// "Browse the SQLParts File": the parts list with insert, change, delete and the two
// derivation buttons.
void BrowseSQLParts(Session& session);

}  // namespace ormile::windows
