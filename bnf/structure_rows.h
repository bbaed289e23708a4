// Derivation of the bill-of-materials rows of XS from the BNF elements of one SQL part: a
// root row for every production whose header no element names, and one link row per
// element to the production whose header the element names. XSNoRecur records the roots
// and uncut links of the run; a link is cut (XS:PassiveId 1, the real child kept in
// XS:RecurPassiveId) when its child is the parent itself, already has a recorded link back
// to the parent, or already has a recorded child with a recorded child of its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/messages.h"
#include "bnf/run_support.h"
#include "data/relations/session.h"

namespace ormile::bnf {

struct StructureRunOutcome {
  // A store failure: the exclusive use of XSNoRecur was refused (nothing written), or a
  // walk or the commit failed (see errorText).
  store::ErrorCode error = store::ErrorCode::None;
  std::string errorText;
  bool aborted = false;     // the user chose Abort in a stop message (the program ends)
  int productions = 0;      // productions visited
  int roots = 0;            // root rows added
  int links = 0;            // uncut link rows added
  int cutLinks = 0;         // cut link rows added
  int refused = 0;          // XS rows the table refused (a root's refusal shows the stop message)
  int unnamed = 0;          // elements that name no production's header: no row of either table
  int32_t xsRecordNbr = 0;  // the counter's last value, as the window shows it
};

// One run of "Make Structure Rows" for one SQL part, on the handles of one session.
// Procedure thread only: the run's steps share the run values below.
class StructureRowMaker {
 public:
  StructureRowMaker(data::Session& session, base::MessageService& messages, Refresh refresh);

  // The run for part `sqlPartId`: empties XSNoRecur under exclusive use, visits the part's
  // productions in clause-key then production-key order, and writes inside one transaction
  // committed at the end (before the program ends, when the user aborts). XSNoRecur is
  // closed when the run ends, so that another session can take it next.
  StructureRunOutcome MakeStructureRows(int32_t sqlPartId);

 private:
  bool takeWorkingTable();
  void MakeRootRow(int32_t xId);
  void MakeChildRow(int32_t parentId, std::string_view element, int32_t sequence);
  void CheckRecursion(int32_t parentId, int32_t childId);
  void CheckSelfLink(int32_t parentId, int32_t childId);
  void CheckBackLink(int32_t parentId, int32_t childId);
  void CheckSecondLevel(int32_t childId);
  bool bothFlags() const { return RecurFlag1 && RecurFlag2; }
  void show() const;
  bool walkGoesOn(data::TableHandle& h, store::ErrorCode e);

  data::Session& session_;
  base::MessageService& messages_;
  Refresh refresh_;
  RunTransaction* tx_ = nullptr;  // the run's transaction while it runs
  StructureRunOutcome outcome_;
  // Run values; they start at 0 in every run.
  int32_t RootSequence = 0;
  int32_t TreeNumber = 0;
  bool RecurFlag1 = false;
  bool RecurFlag2 = false;
  int32_t XSRecordNbr = 0;
};

// The run for one part with a fresh StructureRowMaker. Procedure thread only.
StructureRunOutcome MakeStructureRows(data::Session& session, base::MessageService& messages,
                                      int32_t sqlPartId, const Refresh& refresh = {});

}  // namespace ormile::bnf
