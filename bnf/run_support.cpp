// The run transaction and the insert of primed rows.
#include "bnf/run_support.h"

namespace ormile::bnf {

using store::ErrorCode;

RunTransaction::RunTransaction(data::Session& session, std::vector<data::TableHandle*> writers)
    : session_(session),
      started_(session.tables().logout(data::Session::kTransactionWaitSeconds, writers)) {
  open_ = ok(started_);
  if (!open_) startText_ = store::errorText(started_);
}

RunTransaction::~RunTransaction() {
  commit();
}

ErrorCode RunTransaction::commit() {
  if (!open_) return ErrorCode::None;
  open_ = false;
  return session_.tables().commit();
}

ErrorCode insertPrimed(data::TableHandle& handle, base::MessageService& messages) {
  ErrorCode why = ErrorCode::RecordNotFound;
  if (handle.validateRecord() == base::Level::Benign) {
    why = handle.put();
    if (ok(why)) return why;
    base::MessageArgs args;
    args.file = handle.label();
    args.errorText = handle.errorText();
    if (why == ErrorCode::DuplicateKey) {
      int key = handle.file().duplicateKey();
      args.message = handle.keyDescription(key < 0 ? 0 : key);
      messages.show(base::Msg::DuplicateKey, args);
    } else {
      messages.show(base::Msg::AddFailed, args);
    }
  }
  handle.erase();
  return why;
}

}  // namespace ormile::bnf
