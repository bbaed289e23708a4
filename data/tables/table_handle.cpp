#include "data/tables/table_handle.h"

#include <chrono>
#include <limits>
#include <thread>

namespace ormile::data {

using base::Level;
using base::MessageArgs;
using base::Msg;

TableHandle::TableHandle(Tables& tables, Handle id)
    : tables_(tables), id_(id), file_(tables.connection(), tableOf(id).schema) {}

bool TableHandle::setField(std::string_view fullName, std::string_view bytes) {
  auto f = fieldByName(fullName);
  if (!f || f->handle != id_) return false;
  record().setText(f->field, bytes);
  return true;
}

std::optional<std::string> TableHandle::getField(std::string_view fullName) const {
  auto f = fieldByName(fullName);
  if (!f || f->handle != id_) return std::nullopt;
  return file_.record().getText(f->field);
}

Level TableHandle::open(OpenMode mode) {
  base::MessageService& msgs = tables_.messages();
  MessageArgs args;
  args.file = label();
  ErrorCode e = file_.open(mode);
  if (e == ErrorCode::AccessDenied) {
    // The store's locks are the kernel's, dropped when their holder ends, so there are no
    // stale locks to recover; a short pause lets a brief open elsewhere finish.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    e = file_.open(mode);
    if (e == ErrorCode::AccessDenied && mode != OpenMode::ReadOnly) {
      msgs.show(Msg::ReadOnlyFallback, args);
      e = file_.open(OpenMode::ReadOnly);
    }
  }
  if (e == ErrorCode::KeyMustBeRebuilt) {
    msgs.show(Msg::RebuildKey, args);
    if (!ok(file_.rebuildKeys())) {
      args.errorText = file_.errorText();
      keep(file_.error());
      msgs.show(Msg::RebuildFailed, args);
      return Level::Fatal;
    }
    return open(mode);
  }
  keep(e);
  if (!ok(e)) {
    args.errorText = file_.errorText();
    msgs.show(file_.failedCreating() ? Msg::CreateFailed : Msg::OpenFailed, args);
    return Level::Fatal;
  }
  ++uses_;
  return Level::Benign;
}

void TableHandle::close() {
  if (uses_ > 0) --uses_;
  if (uses_ == 0) file_.close();
}

bool TableHandle::ensureOpen() {
  if (file_.isOpen()) return true;
  if (open() != Level::Benign) return false;
  uses_ = 0;  // opened by first use: the next close releases it
  return true;
}

#define ORMILE_NEEDS_OPEN() \
  if (!ensureOpen())        \
  return keep(file_.error() == ErrorCode::None ? ErrorCode::FileNotOpen : file_.error())

ErrorCode TableHandle::create() {
  if (file_.isOpen()) {
    uses_ = 0;
    file_.close();
  }
  return keep(file_.create());
}

ErrorCode TableHandle::empty() {
  ORMILE_NEEDS_OPEN();
  return keep(file_.empty());
}
ErrorCode TableHandle::set(int key) {
  ORMILE_NEEDS_OPEN();
  return keep(file_.set(key));
}
ErrorCode TableHandle::setFrom(int key) {
  ORMILE_NEEDS_OPEN();
  return keep(file_.setFrom(key));
}
ErrorCode TableHandle::setRecordOrder() {
  ORMILE_NEEDS_OPEN();
  return keep(file_.setRecordOrder());
}
ErrorCode TableHandle::next() {
  ORMILE_NEEDS_OPEN();
  return keep(file_.next());
}
ErrorCode TableHandle::previous() {
  ORMILE_NEEDS_OPEN();
  return keep(file_.previous());
}
ErrorCode TableHandle::get(int key) {
  ORMILE_NEEDS_OPEN();
  return keep(file_.get(key));
}
ErrorCode TableHandle::add() {
  ORMILE_NEEDS_OPEN();
  return keep(file_.add());
}
ErrorCode TableHandle::put() {
  ORMILE_NEEDS_OPEN();
  return keep(file_.put());
}
ErrorCode TableHandle::erase() {
  ORMILE_NEEDS_OPEN();
  return keep(file_.erase());
}
ErrorCode TableHandle::reset(const store::Position& p) {
  ORMILE_NEEDS_OPEN();
  return keep(file_.reset(p));
}
ErrorCode TableHandle::reget(const store::Position& p) {
  ORMILE_NEEDS_OPEN();
  return keep(file_.reget(p));
}

bool TableHandle::duplicate(int key) {
  return ensureOpen() && file_.duplicate(key);
}

int64_t TableHandle::records() {
  if (!ensureOpen()) return 0;
  return file_.records();
}

#undef ORMILE_NEEDS_OPEN

// The next value of the auto-numbered component, read inside the numbering transaction.
// The buffer is kept: the reads go through it and it is restored afterwards.
bool TableHandle::nextNumber(int32_t& value, ErrorCode& e) {
  const TableDef& t = table();
  const store::KeyDef& k = t.schema.keys[size_t(t.autoNumberKey)];
  int field = k.columns.back();
  store::Record saved = record();
  if (k.columns.size() == 1) {
    e = file_.set(t.autoNumberKey);
    if (ok(e)) e = file_.previous();
    value = ok(e) ? record().getLong(field) + 1 : 1;
  } else {
    // The last component counts within the values of the others.
    record().setLong(field, std::numeric_limits<int32_t>::max());
    e = file_.setFrom(t.autoNumberKey);
    if (ok(e)) e = file_.previous();
    bool same = ok(e);
    for (size_t i = 0; same && i + 1 < k.columns.size(); ++i)
      same = record().getLong(k.columns[i]) == saved.getLong(k.columns[i]);
    value = same ? record().getLong(field) + 1 : 1;
  }
  record() = saved;
  if (e == ErrorCode::RecordNotAvailable) e = ErrorCode::None;
  return ok(e);
}

Level TableHandle::numberOnce(ErrorCode& e) {
  e = tables_.logout(tables_.connection().defaultWait() / 1000, {this});
  if (!ok(e)) return Level::Notify;
  int32_t value = 0;
  if (!nextNumber(value, e)) {
    tables_.rollback();
    return Level::Program;
  }
  const store::KeyDef& k = table().schema.keys[size_t(table().autoNumberKey)];
  record().setLong(k.columns.back(), value);
  e = file_.add();
  if (!ok(e)) {
    tables_.rollback();
    return Level::Notify;
  }
  int64_t reserved = file_.currentRecordId();
  e = tables_.commit();
  if (!ok(e)) return Level::Notify;
  primed_ = reserved;
  return Level::Benign;
}

Level TableHandle::primeAutoNumber() {
  if (table().autoNumberKey < 0) return Level::Benign;
  if (!ensureOpen()) return Level::Fatal;
  base::MessageService& msgs = tables_.messages();
  for (;;) {
    ErrorCode e = ErrorCode::None;
    for (int attempt = 0; attempt < 3; ++attempt) {
      Level l = numberOnce(e);
      keep(e);
      if (l == Level::Benign) return Level::Benign;
      if (l == Level::Program) {
        MessageArgs args;
        args.file = label();
        args.errorText = store::errorText(e);
        msgs.show(Msg::RetrievalError, args);
        return Level::Notify;
      }
    }
    MessageArgs args;
    args.file = label();
    args.errorText = file_.errorText();
    if (e != ErrorCode::DuplicateKey) {
      msgs.show(Msg::AddFailed, args);
      return Level::Notify;
    }
    args.key =
        keyDescription(file_.duplicateKey() < 0 ? table().autoNumberKey : file_.duplicateKey());
    if (msgs.show(Msg::AutoIncError, args) != base::Answer::Yes) return Level::Notify;
  }
}

Level TableHandle::validateRecord() {
  for (const ParentCheck& check : table().parentChecks) {
    TableHandle& parent = tables_[check.parent];
    store::Record saved = parent.record();
    parent.setLong(check.parentField, getLong(check.field));
    ErrorCode e = parent.get(check.parentKey);
    parent.record() = saved;
    if (!ok(e)) {
      MessageArgs args;
      args.field = check.fieldText;
      args.message = check.messageText;
      tables_.messages().show(Msg::FieldNotInFile, args);
      return Level::Notify;
    }
  }
  return Level::Benign;
}

ErrorCode TableHandle::abandonPrimed() {
  if (primed_ == 0) return keep(ErrorCode::None);
  store::Position p;
  p.recordId = primed_;
  primed_ = 0;
  store::Record keepBuffer = record();
  ErrorCode e = file_.reget(p);
  if (ok(e)) e = file_.erase();
  record() = keepBuffer;
  return keep(e);
}

Level TableHandle::insert() {
  if (validateRecord() != Level::Benign) return Level::Notify;
  bool reserved = primed_ != 0 && primed_ == file_.currentRecordId();
  ErrorCode e = reserved ? put() : add();
  if (reserved && ok(e)) primed_ = 0;
  if (ok(e)) return Level::Benign;
  MessageArgs args;
  args.file = label();
  args.errorText = errorText();
  if (e == ErrorCode::DuplicateKey) {
    args.message = keyDescription(file_.duplicateKey() < 0 ? 0 : file_.duplicateKey());
    tables_.messages().show(Msg::DuplicateKey, args);
  } else {
    tables_.messages().show(Msg::AddFailed, args);
  }
  return Level::Notify;
}

Level TableHandle::change() {
  if (validateRecord() != Level::Benign) return Level::Notify;
  ErrorCode e = put();
  if (ok(e)) return Level::Benign;
  if (e == ErrorCode::DuplicateKey) {
    MessageArgs args;
    args.message = keyDescription(file_.duplicateKey() < 0 ? 0 : file_.duplicateKey());
    tables_.messages().show(Msg::DuplicateKey, args);
  }
  return Level::Notify;
}

Tables::Tables(std::filesystem::path directory, base::MessageService& messages)
    : connection_(std::move(directory)), messages_(messages) {
  for (int i = 0; i < kHandleCount; ++i)
    handles_[size_t(i)] = std::make_unique<TableHandle>(*this, Handle(i));
}

Tables::~Tables() {
  connection_.rollback();  // a transaction left open by a failed run writes nothing
  for (auto& h : handles_) h.reset();
}

ErrorCode Tables::logout(int seconds, std::initializer_list<TableHandle*> writers) {
  return logout(seconds, std::vector<TableHandle*>(writers));
}

void Tables::attachAll() {
  // Files can join the connection only outside a transaction: add every table file now,
  // without opening it for any handle, so that the transaction can read them all.
  if (connection_.db() && connection_.db()->inTransaction()) return;
  for (int t = 0; t < kTableCount; ++t) {
    store::AttachedFile* f = nullptr;
    bool creating = false;
    connection_.attach(tableDef(Table(t)).schema, f, creating);
  }
}

ErrorCode Tables::beginRead() {
  attachAll();
  return connection_.beginRead();
}

ErrorCode Tables::logout(int seconds, const std::vector<TableHandle*>& writers) {
  attachAll();
  std::vector<store::AttachedFile*> files;
  for (TableHandle* h : writers) {
    if (!h->ensureOpen()) return h->error();
    files.push_back(h->file().file());
  }
  return connection_.logout(seconds, files);
}

}  // namespace ormile::data
