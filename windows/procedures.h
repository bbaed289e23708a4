// The window procedures of the program. The frame's menu starts the top-level ones, each on
// a thread of its own with a Session created for it; forms and select lists run on their
// caller's thread and return its response. A procedure returns when its window has closed.
#pragma once

#include "windows/session.h"

namespace ormile::windows {

// "Browse the SQLParts File": the parts list with insert, change, delete and the two
// derivation buttons.
void BrowseSQLParts(Session& session);

// "Update the SQLParts File": the form for the thread's SQLParts record, for the pending
// request (insert, change, delete or view).
Response UpdateSQLParts(Session& session);

// "Browse SQL Parts": the parts by name; with the select request the chosen part is left in
// the thread's SQLParts record and completed is returned.
Response SelectSQLPart(Session& session);

// "Select a SQLParts Record": the parts by id or by name (one tab each), as SelectSQLPart.
Response SelectSQLParts(Session& session);

}  // namespace ormile::windows
