// The tree window "Ormile": the explosion tree and the where-used tree on two tabs, and
// beside them the header, text, description, clause, part and recursion target of the
// production selected in either tree, with "Create PrintTree" writing the explosion list
// into TreeOut.
#pragma once

#include "windows/session.h"

namespace ormile::tree {

// The window procedure "Ormile"; returns when its window has closed. Procedure thread only.
void Ormile(windows::Session& session);

}  // namespace ormile::tree
