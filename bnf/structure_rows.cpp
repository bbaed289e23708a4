// The structure run and its steps: root rows, child rows and the recursion checks.
#include "bnf/structure_rows.h"

#include <vector>

namespace ormile::bnf {

using data::Handle;
using store::ErrorCode;
namespace fld = data::fld;
namespace key = data::key;

namespace {
constexpr int32_t kContains = 1;  // XS:XSTId of the rows the run makes
constexpr int32_t kCutPassive = 1;
}  // namespace

StructureRowMaker::StructureRowMaker(data::Session& session, base::MessageService& messages,
                                     Refresh refresh)
    : session_(session), messages_(messages), refresh_(std::move(refresh)) {}

void StructureRowMaker::show() const {
  if (refresh_) refresh_(XSRecordNbr);
}

bool StructureRowMaker::walkGoesOn(data::TableHandle& h, ErrorCode e) {
  if (ok(e)) return true;
  if (e != ErrorCode::RecordNotAvailable && ok(outcome_.error)) {
    outcome_.error = e;
    outcome_.errorText = h.errorText();
  }
  return false;
}

// The recursion checks rely on XSNoRecur holding this run's rows only, so a table that
// cannot be taken exclusively and emptied ends the run before anything is written.
bool StructureRowMaker::takeWorkingTable() {
  data::TableHandle& nr = session_[Handle::XSNoRecur];
  nr.close();
  base::Level l = nr.open(store::OpenMode::DenyAll);
  if (l == base::Level::Benign && nr.file().mode() == store::OpenMode::DenyAll) return true;
  outcome_.error = ok(nr.error()) ? ErrorCode::AccessDenied : nr.error();
  outcome_.errorText = store::errorText(outcome_.error);
  if (l == base::Level::Benign) nr.close();  // the read-only fallback is of no use here
  return false;
}

StructureRunOutcome StructureRowMaker::MakeStructureRows(int32_t sqlPartId) {
  outcome_ = {};
  XSRecordNbr = 0;
  data::TableHandle& nr = session_[Handle::XSNoRecur];
  if (!takeWorkingTable()) {
    // The user learns why nothing happened; either answer ends the run.
    std::string text = "XSNoRecur could not be taken for exclusive use (" + outcome_.errorText +
                       "). No structure rows were made.";
    outcome_.aborted = messages_.stop(text) == base::Answer::Abort;
    return outcome_;
  }
  // Every file the run touches joins the connection before the transaction starts. The
  // handles the run opened are closed when it ends: an alias left open on XSNoRecur would
  // keep other sessions from taking it exclusively.
  std::vector<data::TableHandle*> openedHere;
  struct CloseOnEnd {
    std::vector<data::TableHandle*>& handles;
    ~CloseOnEnd() {
      for (data::TableHandle* h : handles) h->close();
    }
  } closeOnEnd{openedHere};
  for (Handle h : {Handle::Clause, Handle::X, Handle::AXX, Handle::BNFElement, Handle::A_BNFElement,
                   Handle::XS, Handle::A_XSNoRecur, Handle::AA_XSNoRecur}) {
    if (!session_[h].isOpen()) openedHere.push_back(&session_[h]);
    if (!session_[h].ensureOpen()) {
      outcome_.error = session_[h].error();
      outcome_.errorText = session_[h].errorText();
      nr.close();
      return outcome_;
    }
  }
  RunTransaction tx(session_, {&session_[Handle::XS], &nr});
  if (!ok(tx.started())) {
    outcome_.error = tx.started();
    outcome_.errorText = tx.startErrorText();
    nr.close();
    return outcome_;
  }
  tx_ = &tx;
  ErrorCode emptied = nr.empty();
  if (!ok(emptied)) {
    tx.commit();
    tx_ = nullptr;
    nr.close();
    outcome_.error = emptied;
    outcome_.errorText = nr.errorText();
    outcome_.aborted = messages_.stop("XSNoRecur could not be emptied (" + outcome_.errorText +
                                      "). No structure rows were made.") == base::Answer::Abort;
    return outcome_;
  }
  show();
  RootSequence = 0;
  TreeNumber = 0;

  data::TableHandle& clause = session_[Handle::Clause];
  data::TableHandle& x = session_[Handle::X];
  data::TableHandle& el = session_[Handle::BNFElement];
  data::TableHandle& named = session_[Handle::A_BNFElement];
  clause.clear();
  clause.setLong(fld::Clause::SQLPartId, sqlPartId);
  ErrorCode ce = clause.setFrom(key::Clause::SQLPartFkey);
  while (!outcome_.aborted && walkGoesOn(clause, ok(ce) ? clause.next() : ce)) {
    if (clause.getLong(fld::Clause::SQLPartId) != sqlPartId) break;
    const int32_t clauseId = clause.getLong(fld::Clause::ClauseId);
    x.clear();
    x.setLong(fld::X::ClauseId, clauseId);
    ErrorCode xe = x.setFrom(key::X::ClauseFkey);
    while (!outcome_.aborted && walkGoesOn(x, ok(xe) ? x.next() : xe)) {
      if (x.getLong(fld::X::ClauseId) != clauseId) break;
      ++outcome_.productions;
      show();
      const int32_t xId = x.getLong(fld::X::XId);
      // Root test: does any element of any part name this header (padded to the element
      // width by the buffer)? Only "not found" makes a root.
      named.clear();
      named.setString(fld::BNFElement::BNFElement, x.getString(fld::X::BNF_Header));
      if (named.get(key::BNFElement::BNFElementNameKey) == ErrorCode::RecordNotFound)
        MakeRootRow(xId);
      el.clear();
      el.setLong(fld::BNFElement::XId, xId);
      ErrorCode ee = el.setFrom(key::BNFElement::XFkey);
      while (!outcome_.aborted && walkGoesOn(el, ok(ee) ? el.next() : ee)) {
        if (el.getLong(fld::BNFElement::XId) != xId) break;
        MakeChildRow(xId, el.getString(fld::BNFElement::BNFElement),
                     el.getLong(fld::BNFElement::BNFElementSequence));
      }
    }
    if (!ok(outcome_.error)) break;
  }
  ErrorCode c = tx.commit();
  tx_ = nullptr;
  if (!ok(c) && ok(outcome_.error)) {
    outcome_.error = c;
    outcome_.errorText = store::errorText(c);
  }
  nr.close();
  outcome_.xsRecordNbr = XSRecordNbr;
  show();
  return outcome_;
}

void StructureRowMaker::MakeRootRow(int32_t xId) {
  ++RootSequence;
  ++TreeNumber;
  data::TableHandle& xs = session_[Handle::XS];
  xs.clear();
  xs.setLong(fld::XS::ActiveId, 0);
  xs.setLong(fld::XS::PassiveId, xId);
  xs.setLong(fld::XS::Seq, RootSequence);
  xs.setLong(fld::XS::XSTId, kContains);
  xs.setLong(fld::XS::TreeId, TreeNumber);
  ++XSRecordNbr;
  show();
  if (ok(xs.add())) {
    ++outcome_.roots;
  } else {
    ++outcome_.refused;
    if (messages_.stop(xs.errorText(), tx_->commitBeforeEnd()) == base::Answer::Abort) {
      outcome_.aborted = true;
      return;
    }
  }
  show();
  data::TableHandle& nr = session_[Handle::XSNoRecur];
  nr.setLong(fld::XSNoRecur::ActiveId, 0);
  nr.setLong(fld::XSNoRecur::PassiveId, xId);
  nr.setLong(fld::XSNoRecur::TreeId, TreeNumber);
  nr.add();
}

void StructureRowMaker::MakeChildRow(int32_t parentId, std::string_view element, int32_t sequence) {
  // The header key is 60 wide: the buffer cuts the element to it.
  data::TableHandle& child = session_[Handle::AXX];
  child.clear();
  child.setString(fld::X::BNF_Header, element);
  if (!ok(child.get(key::X::BNFHeaderKey))) {
    // No production has this header: a link to it would point at nothing.
    ++outcome_.unnamed;
    return;
  }
  const int32_t childId = child.getLong(fld::X::XId);
  data::TableHandle& xs = session_[Handle::XS];
  xs.clear();
  xs.setLong(fld::XS::ActiveId, parentId);
  xs.setLong(fld::XS::PassiveId, childId);
  xs.setLong(fld::XS::RecurPassiveId, childId);
  xs.setLong(fld::XS::Seq, sequence);
  xs.setLong(fld::XS::XSTId, kContains);
  xs.setLong(fld::XS::TreeId, TreeNumber);
  data::TableHandle& nr = session_[Handle::XSNoRecur];
  nr.setLong(fld::XSNoRecur::ActiveId, parentId);
  nr.setLong(fld::XSNoRecur::PassiveId, childId);
  nr.setLong(fld::XSNoRecur::TreeId, TreeNumber);
  CheckRecursion(parentId, childId);
  const bool cut = bothFlags();
  if (cut) {
    xs.setLong(fld::XS::PassiveId, kCutPassive);
  } else {
    xs.setLong(fld::XS::RecurPassiveId, 0);
    nr.add();
  }
  ++XSRecordNbr;
  show();
  if (ok(xs.add()))
    ++(cut ? outcome_.cutLinks : outcome_.links);
  else
    ++outcome_.refused;  // a link that exists already, or a second cut link: no message
  show();
}

void StructureRowMaker::CheckRecursion(int32_t parentId, int32_t childId) {
  RecurFlag1 = RecurFlag2 = false;
  CheckSelfLink(parentId, childId);
  if (bothFlags()) return;
  RecurFlag1 = RecurFlag2 = false;
  CheckBackLink(parentId, childId);
  if (bothFlags()) return;
  RecurFlag1 = RecurFlag2 = false;
  CheckSecondLevel(childId);
}

void StructureRowMaker::CheckSelfLink(int32_t parentId, int32_t childId) {
  if (childId == parentId) RecurFlag1 = RecurFlag2 = true;
}

void StructureRowMaker::CheckBackLink(int32_t parentId, int32_t childId) {
  data::TableHandle& from = session_[Handle::A_XSNoRecur];
  from.clear();
  from.setLong(fld::XSNoRecur::ActiveId, childId);
  ErrorCode e = from.setFrom(key::XSNoRecur::NoRecursionActiveKey);
  while (ok(e) && ok(from.next())) {
    if (from.getLong(fld::XSNoRecur::ActiveId) != childId) break;
    RecurFlag1 = true;
    if (from.getLong(fld::XSNoRecur::PassiveId) == parentId) RecurFlag2 = true;
  }
}

void StructureRowMaker::CheckSecondLevel(int32_t childId) {
  // The window's counter counts this check's reads, the one that ends the scan included.
  XSRecordNbr = 0;
  data::TableHandle& from = session_[Handle::A_XSNoRecur];
  data::TableHandle& below = session_[Handle::AA_XSNoRecur];
  from.clear();
  from.setLong(fld::XSNoRecur::ActiveId, childId);
  ErrorCode e = from.setFrom(key::XSNoRecur::NoRecursionActiveKey);
  while (ok(e)) {
    e = from.next();
    ++XSRecordNbr;
    if (!ok(e) || from.getLong(fld::XSNoRecur::ActiveId) != childId) break;
    RecurFlag1 = true;
    below.clear();
    below.setLong(fld::XSNoRecur::ActiveId, from.getLong(fld::XSNoRecur::PassiveId));
    // A lookup that fails for another reason counts as a find: cutting is the safe side.
    if (below.get(key::XSNoRecur::NoRecursionActiveKey) != ErrorCode::RecordNotFound)
      RecurFlag2 = true;
  }
}

StructureRunOutcome MakeStructureRows(data::Session& session, base::MessageService& messages,
                                      int32_t sqlPartId, const Refresh& refresh) {
  StructureRowMaker maker(session, messages, refresh);
  return maker.MakeStructureRows(sqlPartId);
}

}  // namespace ormile::bnf
