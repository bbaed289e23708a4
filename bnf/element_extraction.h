// Extraction of the BNF elements of productions: every stretch of a production's body text
// from a "<" to the next ">" becomes one BNFElement row, numbered 1, 2, ... within the
// production. The per-part run serves the SQL-part browse, the one-production run the
// production form; both scan by ScanProductionText. Neither removes existing element rows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/messages.h"
#include "bnf/run_support.h"
#include "data/relations/session.h"

namespace ormile::bnf {

// Element texts are stored cut to the width of BNFEL:BNFElement.
constexpr size_t kElementWidth = 120;

// The elements of a body in text order, each cut to kElementWidth. The scan resumes two
// characters after each ">", so an element whose "<" follows the previous ">" directly is
// not found; an unmatched "<" ends the scan. Pure function.
std::vector<std::string> findElements(std::string_view bodyText);

struct ScanOutcome {
  int found = 0;     // elements the scan found
  int inserted = 0;  // rows written
};

// Scans one production's body and inserts its elements for `xId`: each row is primed (its
// number reserved), filled and inserted with the parent check; a refused row is reported by
// the insert's message and its number given back, and the scan goes on.
// Procedure thread only; writes through `session` (the caller owns any transaction).
ScanOutcome ScanProductionText(data::Session& session, int32_t xId, std::string_view bodyText);

struct ElementRunOutcome {
  store::ErrorCode error = store::ErrorCode::None;  // a store failure that ended the walk
  std::string errorText;
  bool aborted = false;  // the user chose Abort (the program ends)
  int productions = 0;
  int found = 0;
  int inserted = 0;
};

// The per-part run for part `sqlPartId`: the stop message "at 0" first, then every
// production of every clause of the part, in clause-key then production-key order, inside
// one transaction committed at the end (also when the walk ends on a store failure).
// Shows nothing when it ends. Procedure thread only.
ElementRunOutcome MakeBNFElementsForPart(data::Session& session, base::MessageService& messages,
                                         int32_t sqlPartId, const Refresh& refresh = {});

// The one-production run: the production in the session's X buffer (its X:XId and the body
// as it is in the buffer, saved or not). No stop message, no refresh.
// Procedure thread only.
ElementRunOutcome MakeBNFElementsForProduction(data::Session& session);

}  // namespace ormile::bnf
