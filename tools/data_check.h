// The integrity check of a whole data set: rows whose parent is missing (the relations of
// the tables), the elements that name no production, and the productions that no element
// names (the roots of the trees).
#pragma once

#include <string>
#include <vector>

#include "data/relations/session.h"

namespace ormile::tool {

struct CheckReport {
  std::string error;                      // a store failure stopped the check
  std::vector<std::string> orphans;       // rows whose parent is missing, one line each
  std::vector<std::string> unnamed;       // element texts that no header matches (distinct)
  std::vector<std::string> unreferenced;  // headers that no element names
  bool relationsHold() const { return error.empty() && orphans.empty(); }
};

// Reads every row of SQLParts, Clause, X, BNFElement, XS and XST through the handles of
// `session`; writes nothing. A cut link (XS:PassiveId 1 with a real child in
// XS:RecurPassiveId) is checked against that real child. Procedure thread only.
CheckReport checkDataSet(data::Session& session);

}  // namespace ormile::tool
