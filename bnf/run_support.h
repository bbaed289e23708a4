// What the derivation runs share: the window refresh hook, the one store transaction that a
// run writes in, and the insert of a row whose automatic number was reserved by priming.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "data/relations/session.h"

namespace ormile::bnf {

// Called whenever a run refreshes its window. `xsRecordNbr` is the counter shown beside
// "Making Structure Record: " (the element runs report 0). May be empty.
using Refresh = std::function<void(int32_t xsRecordNbr)>;

// One store transaction over the files a run writes, started on construction. Everything
// the run writes is kept by commit(): the runs keep rows written before a failure. If
// neither commit() nor rollback() ran, the destructor commits, so no exit path of a run
// loses its rows. Procedure thread only.
class RunTransaction {
 public:
  RunTransaction(data::Session& session, std::vector<data::TableHandle*> writers);
  ~RunTransaction();
  RunTransaction(const RunTransaction&) = delete;
  RunTransaction& operator=(const RunTransaction&) = delete;

  // None when the transaction started; else the run must write nothing.
  store::ErrorCode started() const { return started_; }
  std::string startErrorText() const { return startText_; }
  // Ends the transaction keeping its writes. An error means nothing of the run was kept.
  store::ErrorCode commit();
  // For MessageService::stop: the run's rows are kept before the program ends.
  std::function<void()> commitBeforeEnd() {
    return [this] { commit(); };
  }

 private:
  data::Session& session_;
  store::ErrorCode started_;
  std::string startText_;
  bool open_ = false;
};

// Writes a primed row (see TableHandle::primeAutoNumber) with the values now in the
// buffer: the parent checks run first, then the reserved row is rewritten in place (an add
// would clash with the reservation itself). On any failure the failure's message is shown,
// as the table handle's insert shows it, and the reserved row is removed again, so the
// number is given back. Returns None when written, RecordNotFound when a parent is
// missing, else the store's error for the refused write (DuplicateKey for a clash).
store::ErrorCode insertPrimed(data::TableHandle& handle, base::MessageService& messages);

}  // namespace ormile::bnf
