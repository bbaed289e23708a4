// The integrity check: every row's parents looked up by primary key, and the element texts
// matched against the headers both ways.
#include "tools/data_check.h"

#include <functional>
#include <set>

#include "base/text.h"

namespace ormile::tool {

using data::Handle;
using store::ErrorCode;
namespace fld = data::fld;
namespace key = data::key;

namespace {

// Walks and lookups of one check, collecting its report. Procedure thread only.
class Checker {
 public:
  explicit Checker(data::Session& s) : s_(s) {}

  // Visits every row of `h` in the order of adding (a key would leave out rows whose key
  // fields are all zero); false after a store failure.
  bool eachRow(Handle h, const std::function<void(data::TableHandle&)>& visit) {
    data::TableHandle& t = s_[h];
    ErrorCode e = t.setRecordOrder();
    while (ok(e) && ok(e = t.next())) visit(t);
    if (e != ErrorCode::RecordNotAvailable) {
      report.error = t.label() + " could not be read: " + t.errorText();
      return false;
    }
    return true;
  }

  // Does a row of `parent` with this primary key value exist? Read through an alias or a
  // second table handle, so that the walks keep their buffers.
  bool exists(Handle parent, int field, int primaryKey, int32_t value) {
    data::TableHandle& t = s_[parent];
    t.clear();
    t.setLong(field, value);
    ErrorCode e = t.get(primaryKey);
    if (!ok(e) && e != ErrorCode::RecordNotFound && report.error.empty())
      report.error = t.label() + " could not be read: " + t.errorText();
    return ok(e);
  }

  void orphan(const std::string& row, const std::string& field, int32_t value,
              const std::string& parent) {
    report.orphans.push_back(row + ": " + field + " " + std::to_string(value) + " names no " +
                             parent + " row");
  }

  CheckReport report;

 private:
  data::Session& s_;
};

std::string rowName(const char* table, int32_t id) {
  return std::string(table) + " " + std::to_string(id);
}

}  // namespace

CheckReport checkDataSet(data::Session& session) {
  Checker c(session);
  // One read transaction: the reads see one state of the files, and do not take and drop
  // the files' locks once per read.
  for (Handle h :
       {Handle::SQLParts, Handle::Clause, Handle::X, Handle::BNFElement, Handle::XS, Handle::XST}) {
    if (!session[h].ensureOpen()) {
      c.report.error = session[h].label() + " could not be opened: " + session[h].errorText();
      return c.report;
    }
  }
  ErrorCode started = session.tables().logout(data::Session::kTransactionWaitSeconds, {});
  if (!ok(started)) {
    c.report.error = "the data files are in use elsewhere (" + store::errorText(started) + ")";
    return c.report;
  }
  // The walks read the tables; the lookups go through handles no walk uses.
  const Handle xLookup = Handle::AXX;
  const Handle partLookup = Handle::A_SQLParts;
  bool fine = c.eachRow(Handle::Clause, [&](data::TableHandle& t) {
    int32_t part = t.getLong(fld::Clause::SQLPartId);
    if (!c.exists(partLookup, fld::SQLParts::SQLPartId, key::SQLParts::SQLPartPkey, part))
      c.orphan(rowName("Clause", t.getLong(fld::Clause::ClauseId)), "CLS:SQLPartId", part,
               "SQLParts");
  }) && c.eachRow(Handle::X, [&](data::TableHandle& t) {
    int32_t clause = t.getLong(fld::X::ClauseId);
    if (!c.exists(Handle::Clause, fld::Clause::ClauseId, key::Clause::ClausePkey, clause))
      c.orphan(rowName("X", t.getLong(fld::X::XId)), "X:ClauseId", clause, "Clause");
    data::TableHandle& el = session[Handle::A_BNFElement];
    el.clear();
    el.setString(fld::BNFElement::BNFElement, t.getString(fld::X::BNF_Header));
    if (el.get(key::BNFElement::BNFElementNameKey) == ErrorCode::RecordNotFound)
      c.report.unreferenced.push_back(base::cp1252ToUtf8(t.getString(fld::X::BNF_Header)));
  });
  // Element texts compare as the keys do: without regard to case.
  auto keyLess = [](const std::string& a, const std::string& b) {
    return base::compareKeyText(a, b) < 0;
  };
  std::set<std::string, decltype(keyLess)> unnamed(keyLess);
  fine = fine && c.eachRow(Handle::BNFElement, [&](data::TableHandle& t) {
    int32_t x = t.getLong(fld::BNFElement::XId);
    if (!c.exists(xLookup, fld::X::XId, key::X::XIdPkey, x))
      c.orphan(rowName("BNFElement", t.getLong(fld::BNFElement::BNFElementId)), "BNFEL:XId", x,
               "X");
    data::TableHandle& h = session[xLookup];
    h.clear();
    h.setString(fld::X::BNF_Header, t.getString(fld::BNFElement::BNFElement));
    if (h.get(key::X::BNFHeaderKey) == ErrorCode::RecordNotFound)
      unnamed.insert(std::string(t.getString(fld::BNFElement::BNFElement)));
  });
  fine = fine && c.eachRow(Handle::XS, [&](data::TableHandle& t) {
    const int32_t type = t.getLong(fld::XS::XSTId), active = t.getLong(fld::XS::ActiveId),
                  passive = t.getLong(fld::XS::PassiveId),
                  recur = t.getLong(fld::XS::RecurPassiveId);
    const std::string row = "XS (" + std::to_string(type) + ", " + std::to_string(active) + ", " +
                            std::to_string(t.getLong(fld::XS::Seq)) + ")";
    if (!c.exists(Handle::XST, fld::XST::XSTId, key::XST::XSTPkey, type))
      c.orphan(row, "XS:XSTId", type, "XST");
    if (active != 0 && !c.exists(xLookup, fld::X::XId, key::X::XIdPkey, active))
      c.orphan(row, "XS:ActiveId", active, "X");
    // A cut link stands for its real child; the 1 in XS:PassiveId marks the cut.
    const bool cut = passive == 1 && recur != 0;
    if (!cut && !c.exists(xLookup, fld::X::XId, key::X::XIdPkey, passive))
      c.orphan(row, "XS:PassiveId", passive, "X");
    if (recur != 0 && !c.exists(xLookup, fld::X::XId, key::X::XIdPkey, recur))
      c.orphan(row, "XS:RecurPassiveId", recur, "X");
  });
  (void)fine;
  session.tables().commit();
  for (const auto& u : unnamed) c.report.unnamed.push_back(base::cp1252ToUtf8(u));
  return c.report;
}

}  // namespace ormile::tool
