// The element scan and the two element runs.
#include "bnf/element_extraction.h"

#include "base/text.h"

namespace ormile::bnf {

using data::Handle;
using store::ErrorCode;
namespace fld = data::fld;
namespace key = data::key;

std::vector<std::string> findElements(std::string_view bodyText) {
  std::vector<std::string> elements;
  const std::string_view body = base::rtrim(bodyText);
  // Positions count from 0 here; p = e + 2 is the rule, not an off-by-one.
  size_t p = 0;
  while (p < body.size()) {
    size_t s = body.find('<', p);
    if (s == std::string_view::npos) break;
    size_t e = body.find('>', s + 1);
    if (e == std::string_view::npos) break;
    elements.emplace_back(body.substr(s, std::min(e - s + 1, kElementWidth)));
    p = e + 2;
  }
  return elements;
}

ScanOutcome ScanProductionText(data::Session& session, int32_t xId, std::string_view bodyText) {
  ScanOutcome outcome;
  data::TableHandle& el = session[Handle::BNFElement];
  int32_t sequence = 0;
  for (const std::string& element : findElements(bodyText)) {
    ++outcome.found;
    ++sequence;
    // Priming numbers and reserves what the buffer holds: a cleared row.
    el.clear();
    // A failed priming reserved nothing and has shown its message; the scan goes on.
    if (el.primeAutoNumber() != base::Level::Benign) continue;
    el.setLong(fld::BNFElement::XId, xId);
    el.setString(fld::BNFElement::BNFElement, element);
    el.setLong(fld::BNFElement::BNFElementSequence, sequence);
    if (ok(insertPrimed(el, session.messages()))) ++outcome.inserted;
  }
  return outcome;
}

namespace {

void refreshWindow(const Refresh& refresh) {
  if (refresh) refresh(0);
}

// Opens, before the transaction starts, every handle the element runs use.
bool openForElements(data::Session& session, ElementRunOutcome& outcome) {
  for (Handle h : {Handle::Clause, Handle::X, Handle::BNFElement}) {
    if (!session[h].ensureOpen()) {
      outcome.error = session[h].error();
      outcome.errorText = session[h].errorText();
      return false;
    }
  }
  return true;
}

// Keeps the scan's counts and stops the walk on a store failure.
bool walkGoesOn(data::TableHandle& h, ErrorCode e, ElementRunOutcome& outcome) {
  if (ok(e)) return true;
  if (e != ErrorCode::RecordNotAvailable) {
    outcome.error = e;
    outcome.errorText = h.errorText();
  }
  return false;
}

}  // namespace

ElementRunOutcome MakeBNFElementsForPart(data::Session& session, base::MessageService& messages,
                                         int32_t sqlPartId, const Refresh& refresh) {
  ElementRunOutcome outcome;
  // Asked before anything is written: Abort ends the program with nothing to keep.
  if (messages.stop("at 0") == base::Answer::Abort) {
    outcome.aborted = true;
    return outcome;
  }
  if (!openForElements(session, outcome)) return outcome;
  data::TableHandle& clause = session[Handle::Clause];
  data::TableHandle& x = session[Handle::X];
  RunTransaction tx(session, {&session[Handle::BNFElement]});
  if (!ok(tx.started())) {
    outcome.error = tx.started();
    outcome.errorText = tx.startErrorText();
    return outcome;
  }
  refreshWindow(refresh);
  clause.clear();
  clause.setLong(fld::Clause::SQLPartId, sqlPartId);
  ErrorCode e = clause.setFrom(key::Clause::SQLPartFkey);
  while (walkGoesOn(clause, ok(e) ? clause.next() : e, outcome)) {
    if (clause.getLong(fld::Clause::SQLPartId) != sqlPartId) break;
    const int32_t clauseId = clause.getLong(fld::Clause::ClauseId);
    x.clear();
    x.setLong(fld::X::ClauseId, clauseId);
    ErrorCode xe = x.setFrom(key::X::ClauseFkey);
    while (walkGoesOn(x, ok(xe) ? x.next() : xe, outcome)) {
      if (x.getLong(fld::X::ClauseId) != clauseId) break;
      ++outcome.productions;
      // The insert's parent check borrows the X buffer; the scan works on a copy.
      const std::string body = x.getMemo(fld::X::BNF_Text);
      ScanOutcome s = ScanProductionText(session, x.getLong(fld::X::XId), body);
      outcome.found += s.found;
      outcome.inserted += s.inserted;
      refreshWindow(refresh);
    }
    if (!ok(outcome.error)) break;
  }
  ErrorCode c = tx.commit();
  if (!ok(c) && ok(outcome.error)) {
    outcome.error = c;
    outcome.errorText = store::errorText(c);
  }
  return outcome;
}

ElementRunOutcome MakeBNFElementsForProduction(data::Session& session) {
  ElementRunOutcome outcome;
  if (!openForElements(session, outcome)) return outcome;
  data::TableHandle& x = session[Handle::X];
  const int32_t xId = x.getLong(fld::X::XId);
  const std::string body = x.getMemo(fld::X::BNF_Text);
  RunTransaction tx(session, {&session[Handle::BNFElement]});
  if (!ok(tx.started())) {
    outcome.error = tx.started();
    outcome.errorText = tx.startErrorText();
    return outcome;
  }
  outcome.productions = 1;
  ScanOutcome s = ScanProductionText(session, xId, body);
  outcome.found = s.found;
  outcome.inserted = s.inserted;
  ErrorCode c = tx.commit();
  if (!ok(c)) {
    outcome.error = c;
    outcome.errorText = store::errorText(c);
  }
  return outcome;
}

}  // namespace ormile::bnf
