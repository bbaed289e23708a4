#include "tree/print_tree.h"

#include <cstdlib>

namespace ormile::tree {

using data::Handle;
namespace fT = data::fld::TreeOut;

PrintOutcome CreatePrintTree(data::Session& s, base::MessageService& messages, TreeList& tree,
                             const std::function<void(bool)>& waitCursor) {
  PrintOutcome outcome;
  data::TableHandle& out = s[Handle::TreeOut];
  auto stop = [&](const std::string& what) {
    outcome.failed = true;
    outcome.error = out.error();
    messages.stop(what + out.errorText(), [&] { s.tables().commit(); });
  };
  // The file is replaced by an empty one; another window holding it open keeps it.
  if (!ok(out.create())) {
    stop("File CREATE Error: ");
    return outcome;
  }
  if (!ok(out.file().open(store::OpenMode::DenyWrite))) {
    stop("File OPEN Error: ");
    return outcome;
  }
  if (waitCursor) waitCursor(true);
  data::TableHandle& x = s[Handle::X];
  data::TableHandle& clause = s[Handle::Clause];
  data::TableHandle& part = s[Handle::SQLParts];
  bool inTransaction = ok(s.tables().logout(2, {&out}));
  const int n = int(tree.entries().size());
  bool addFailed = false;
  for (int i = 0; i < n; ++i) {
    tree.visit(i);  // the entry's copies back in the XS and X buffers
    out.clear();
    out.setLong(fT::XId, x.getLong(data::fld::X::XId));
    clause.setLong(data::fld::Clause::ClauseId, x.getLong(data::fld::X::ClauseId));
    clause.get(data::key::Clause::ClausePkey);  // a failed read leaves the buffer as it was
    part.setLong(data::fld::SQLParts::SQLPartId, clause.getLong(data::fld::Clause::SQLPartId));
    part.get(data::key::SQLParts::SQLPartPkey);
    out.setString(fT::PartNumber, part.getString(data::fld::SQLParts::ISONumber));
    out.setString(fT::PartName, part.getString(data::fld::SQLParts::PartName));
    out.setString(fT::ClauseNumber, clause.getString(data::fld::Clause::ClauseNumber));
    out.setString(fT::ClauseName, clause.getString(data::fld::Clause::ClauseName));
    out.setString(fT::BNF_Header, x.getString(data::fld::X::BNF_Header));
    out.setMemo(fT::BNF_Body, x.getMemo(data::fld::X::BNF_Text));
    out.setMemo(fT::XText, x.getMemo(data::fld::X::XText));
    out.setLong(fT::Level, std::abs(tree.entries()[size_t(i)].depth));
    out.setLong(fT::ItemOutId, i + 1);
    if (!ok(out.add())) {
      addFailed = true;
      break;
    }
    ++outcome.rows;
  }
  if (inTransaction && !ok(s.tables().commit())) {
    addFailed = true;
    outcome.rows = 0;  // the commit failed: nothing of the listing was kept
  }
  if (waitCursor) waitCursor(false);
  if (addFailed) stop("File ADD Error: ");
  out.file().close();
  if (tree.selected() >= 0 && size_t(tree.selected()) < tree.entries().size())
    tree.visit(tree.selected());
  return outcome;
}

}  // namespace ormile::tree
