#include "data/store/file_handle.h"

#include <functional>

#include "base/text.h"

namespace ormile::store {

FileHandle::FileHandle(Connection& connection, const TableSchema& schema)
    : connection_(connection), schema_(schema), record_(schema) {}

FileHandle::~FileHandle() {
  close();
}

std::string FileHandle::errorText() const {
  std::string text = store::errorText(error_);
  if ((error_ == ErrorCode::StoreFailure || error_ == ErrorCode::InvalidDataFile) &&
      !message_.empty())
    text += " (" + message_ + ")";
  return text;
}

ErrorCode FileHandle::fail(ErrorCode e) {
  error_ = e;
  message_ = ok(e) ? std::string() : connection_.lastMessage();
  return e;
}

bool FileHandle::ready() {
  return open_ && file_ != nullptr;
}

bool FileHandle::writable() {
  return mode_ != OpenMode::ReadOnly && !file_->readOnlyFile;
}

static Share shareOf(OpenMode mode) {
  switch (mode) {
    case OpenMode::DenyWrite:
      return Share::DenyWrite;
    case OpenMode::DenyAll:
      return Share::DenyAll;
    default:
      return Share::DenyNone;
  }
}

ErrorCode FileHandle::open(OpenMode mode) {
  if (open_) {
    if (mode_ == mode) return fail(ErrorCode::None);
    close();
  }
  failedCreating_ = false;
  bool creating = false;
  file_ = nullptr;
  ErrorCode e = connection_.attach(schema_, file_, creating);
  if (!ok(e)) {
    failedCreating_ = creating;
    if (e != ErrorCode::KeyMustBeRebuilt) file_ = nullptr;
    return fail(e);
  }
  bool write = mode != OpenMode::ReadOnly;
  if (write && file_->readOnlyFile) return fail(ErrorCode::AccessDenied);
  e = connection_.shareLock(schema_).acquire(write, shareOf(mode));
  if (!ok(e)) return fail(e);
  open_ = true;
  mode_ = mode;
  at_ = At::Nothing;
  current_ = 0;
  watching_ = false;
  return fail(ErrorCode::None);
}

void FileHandle::close() {
  if (!open_) return;
  connection_.shareLock(schema_).release(mode_ != OpenMode::ReadOnly, shareOf(mode_));
  open_ = false;
  at_ = At::Nothing;
  current_ = 0;
}

ErrorCode FileHandle::rebuildKeys() {
  if (!file_) return fail(ErrorCode::FileNotOpen);
  return fail(connection_.rebuildKeys(*file_));
}

ErrorCode FileHandle::create() {
  if (open_) return fail(ErrorCode::AccessDenied);
  return fail(connection_.recreate(schema_));
}

ErrorCode FileHandle::empty() {
  if (!ready()) return fail(ErrorCode::FileNotOpen);
  if (mode_ != OpenMode::DenyAll || !writable()) return fail(ErrorCode::AccessDenied);
  ErrorCode e = connection_.db()->exec("DELETE FROM " + file_->table);
  if (!ok(e)) connection_.noteMessage();
  current_ = 0;
  at_ = At::Nothing;
  return fail(e);
}

sql::Statement* FileHandle::statement(std::unique_ptr<sql::Statement>& slot,
                                      const std::function<std::string()>& text) {
  if (!slot) {
    ErrorCode e;
    slot = connection_.db()->prepare(text(), e);
    if (!slot) {
      connection_.noteMessage();
      fail(e);
    }
  }
  return slot.get();
}

std::string FileHandle::orderBy(int key, bool descending) const {
  std::string s;
  const char* dir = descending ? " DESC" : "";
  if (key >= 0)
    for (int col : schema_.keys[size_t(key)].columns)
      s += sql::quote(schema_.columns[size_t(col)].name) + dir + ", ";
  return s + "\"_RecordId\"" + dir;
}

std::string FileHandle::equalsText(int key) const {
  std::string eq;
  const auto& cols = schema_.keys[size_t(key)].columns;
  for (size_t i = 0; i < cols.size(); ++i)
    eq += " AND " + sql::quote(schema_.columns[size_t(cols[i])].name) + " = ?" +
          std::to_string(i + 1);
  return eq;
}

std::string FileHandle::tuple(int key) const {
  std::string s = "(";
  const auto& cols = schema_.keys[size_t(key)].columns;
  for (size_t i = 0; i < cols.size(); ++i)
    s += (i ? ", " : "") + sql::quote(schema_.columns[size_t(cols[i])].name);
  return s + ")";
}

std::string FileHandle::placeholders(int key, int first) const {
  std::string s = "(";
  size_t n = schema_.keys[size_t(key)].columns.size();
  for (size_t i = 0; i < n; ++i) s += (i ? ", ?" : "?") + std::to_string(first + int(i));
  return s + ")";
}

void FileHandle::keyValues(int key, Position& out) const {
  out.key = key;
  out.texts.clear();
  out.numbers.clear();
  if (key < 0) return;
  for (int col : schema_.keys[size_t(key)].columns) {
    if (schema_.columns[size_t(col)].type == ColumnType::Long) {
      out.numbers.push_back(record_.getLong(col));
      out.texts.emplace_back();
    } else {
      out.numbers.push_back(0);
      out.texts.push_back(base::cp1252ToUtf8(record_.getTrimmed(col)));
    }
  }
}

int FileHandle::bindKey(sql::Statement& s, int key, bool fromBuffer, int first) {
  Position values;
  const Position* p = &cursor_;
  if (fromBuffer) {
    keyValues(key, values);
    p = &values;
  }
  const auto& cols = schema_.keys[size_t(key)].columns;
  for (size_t i = 0; i < cols.size(); ++i) {
    if (schema_.columns[size_t(cols[i])].type == ColumnType::Long)
      s.bindInt(first + int(i), p->numbers[i]);
    else
      s.bindText(first + int(i), p->texts[i]);
  }
  return first + int(cols.size());
}

void FileHandle::bindFields(sql::Statement& s) {
  int i = 1;
  for (size_t c = 0; c < schema_.columns.size(); ++c, ++i) {
    const ColumnDef& col = schema_.columns[c];
    switch (col.type) {
      case ColumnType::Long:
        s.bindInt(i, record_.getLong(int(c)));
        break;
      case ColumnType::String:
        s.bindText(i, base::cp1252ToUtf8(record_.getTrimmed(int(c))));
        break;
      case ColumnType::Memo:
        s.bindText(i, base::cp1252ToUtf8(record_.getMemo(int(c))));
        break;
    }
  }
}

void FileHandle::readRow(sql::Statement& s) {
  for (size_t c = 0; c < schema_.columns.size(); ++c) {
    int at = int(c) + 2;
    const ColumnType type = schema_.columns[c].type;
    if (type == ColumnType::Long) {
      record_.setLong(int(c), int32_t(s.columnInt(at)));
      continue;
    }
    std::string_view text = s.columnText(at);
    bool ascii = true;
    for (char ch : text) ascii &= static_cast<unsigned char>(ch) < 0x80;
    // Plain ASCII is the same in both encodings: no conversion, no copy.
    std::string converted;
    if (!ascii) text = converted = base::utf8ToCp1252(text);
    if (type == ColumnType::String)
      record_.setString(int(c), text);
    else
      record_.setMemo(int(c), text);
  }
}

ErrorCode FileHandle::fetch(sql::Statement& s, bool moveCursor) {
  sql::StatementUse use(s);
  sql::Step st = s.step();
  if (st == sql::Step::Error) {
    connection_.noteMessage();
    return fail(s.error());
  }
  if (st == sql::Step::Done) return fail(ErrorCode::RecordNotAvailable);
  readRow(s);
  current_ = s.columnInt(0);
  version_ = s.columnInt(1);
  if (moveCursor) {
    // The cursor keeps the values as the file holds them, so that a text that has no
    // single-byte form still finds its place again.
    cursor_.key = key_;
    cursor_.recordId = current_;
    cursor_.texts.clear();
    cursor_.numbers.clear();
    if (key_ >= 0) {
      for (int col : schema_.keys[size_t(key_)].columns) {
        cursor_.numbers.push_back(s.columnInt(col + 2));
        cursor_.texts.emplace_back(s.columnText(col + 2));
      }
    }
    at_ = At::Record;
    inclusive_ = false;
  }
  return fail(ErrorCode::None);
}

ErrorCode FileHandle::set(int key) {
  if (!ready()) return fail(ErrorCode::FileNotOpen);
  key_ = key;
  at_ = At::Start;
  return fail(ErrorCode::None);
}

ErrorCode FileHandle::setRecordOrder() {
  return set(-1);
}

ErrorCode FileHandle::setFrom(int key) {
  if (!ready()) return fail(ErrorCode::FileNotOpen);
  key_ = key;
  keyValues(key, cursor_);
  cursor_.recordId = 0;
  at_ = At::From;
  return fail(ErrorCode::None);
}

sql::Statement* FileHandle::cursorStatement(Seek seek) {
  KeyStatements& ks = statementsOf(key_);
  std::unique_ptr<sql::Statement>* slot = nullptr;
  switch (seek) {
    case Seek::First:
      slot = &ks.first;
      break;
    case Seek::Last:
      slot = &ks.last;
      break;
    case Seek::EqualAfter:
      slot = &ks.nextEq;
      break;
    case Seek::EqualBefore:
      slot = &ks.prevEq;
      break;
    case Seek::After:
      slot = &ks.nextGt;
      break;
    case Seek::Before:
      slot = &ks.prevLt;
      break;
    case Seek::AtOrAfter:
      slot = &ks.fromGe;
      break;
    case Seek::AtOrBefore:
      slot = &ks.fromLe;
      break;
  }
  return statement(*slot, [&] {
    bool physical = key_ < 0;
    bool descending = seek == Seek::Last || seek == Seek::EqualBefore || seek == Seek::Before ||
                      seek == Seek::AtOrBefore;
    std::string n = physical ? "1" : std::to_string(schema_.keys[size_t(key_)].columns.size() + 1);
    std::string cond;
    std::string order = orderBy(key_, descending);
    switch (seek) {
      case Seek::First:
      case Seek::Last:
        break;
      case Seek::EqualAfter:
      case Seek::EqualBefore:
        cond = equalsText(key_) + " AND \"_RecordId\" " + (descending ? "<" : ">") + " ?" + n;
        order = descending ? "\"_RecordId\" DESC" : "\"_RecordId\"";
        break;
      default: {
        const char* op = seek == Seek::After       ? ">"
                         : seek == Seek::Before    ? "<"
                         : seek == Seek::AtOrAfter ? ">="
                                                   : "<=";
        cond = physical ? std::string(" AND \"_RecordId\" ") + op + " ?1"
                        : " AND " + tuple(key_) + " " + op + " " + placeholders(key_, 1);
      }
    }
    std::string where = physical ? " WHERE 1" : " WHERE " + keyCondition(schema_, key_);
    return "SELECT " + file_->columnList + " FROM " + file_->table + where + cond + " ORDER BY " +
           order + " LIMIT 1";
  });
}

ErrorCode FileHandle::seekRecord(Seek seek, int64_t recordId) {
  sql::Statement* s = cursorStatement(seek);
  if (!s) return error_;
  bool bounded = seek != Seek::First && seek != Seek::Last;
  if (key_ < 0) {
    if (bounded) s->bindInt(1, recordId);
  } else if (bounded) {
    int next = bindKey(*s, key_, false, 1);
    if (seek == Seek::EqualAfter || seek == Seek::EqualBefore) s->bindInt(next, recordId);
  }
  return fetch(*s, true);
}

ErrorCode FileHandle::step(bool forward) {
  if (!ready()) return fail(ErrorCode::FileNotOpen);
  ErrorCode e = ErrorCode::RecordNotAvailable;
  switch (at_) {
    case At::Nothing:
      return fail(ErrorCode::RecordNotAvailable);
    case At::PastEnd:
    case At::PastStart:
    case At::Start:
      if ((at_ == At::PastEnd && forward) || (at_ == At::PastStart && !forward))
        return fail(ErrorCode::RecordNotAvailable);
      e = seekRecord(forward ? Seek::First : Seek::Last, 0);
      break;
    case At::From:
      e = seekRecord(forward ? Seek::AtOrAfter : Seek::AtOrBefore, 0);
      break;
    case At::Record: {
      int64_t id = cursor_.recordId + (inclusive_ ? (forward ? -1 : 1) : 0);
      if (key_ < 0) {
        e = seekRecord(forward ? Seek::After : Seek::Before, id);
        break;
      }
      if (schema_.keys[size_t(key_)].refusesDuplicates()) {
        // No two records share a value of a unique key: one seek past the value, or onto it
        // again after reset().
        e = seekRecord(inclusive_ ? (forward ? Seek::AtOrAfter : Seek::AtOrBefore)
                                  : (forward ? Seek::After : Seek::Before),
                       0);
        break;
      }
      // First the records with equal key values beyond this one, then the following values.
      e = seekRecord(forward ? Seek::EqualAfter : Seek::EqualBefore, id);
      if (e == ErrorCode::RecordNotAvailable)
        e = seekRecord(forward ? Seek::After : Seek::Before, 0);
      break;
    }
  }
  if (e == ErrorCode::RecordNotAvailable) at_ = forward ? At::PastEnd : At::PastStart;
  return e;
}

ErrorCode FileHandle::next() {
  return step(true);
}
ErrorCode FileHandle::previous() {
  return step(false);
}

ErrorCode FileHandle::get(int key) {
  if (!ready()) return fail(ErrorCode::FileNotOpen);
  KeyStatements& ks = statementsOf(key);
  auto* s = statement(ks.get, [&] {
    return std::string("SELECT " + file_->columnList + " FROM " + file_->table + " WHERE " +
                       keyCondition(schema_, key) + equalsText(key) +
                       " ORDER BY \"_RecordId\" LIMIT 1");
  });
  if (!s) return error_;
  bindKey(*s, key, true, 1);
  ErrorCode e = fetch(*s, false);
  return e == ErrorCode::RecordNotAvailable ? fail(ErrorCode::RecordNotFound) : e;
}

bool FileHandle::duplicate(int key) {
  if (!ready()) return false;
  const KeyDef& k = schema_.keys[size_t(key)];
  KeyStatements& ks = statementsOf(key);
  auto* s = statement(ks.dup, [&] {
    return std::string("SELECT 1 FROM " + file_->table + " WHERE " + keyCondition(schema_, key) +
                       equalsText(key) + " AND \"_RecordId\" <> ?" +
                       std::to_string(k.columns.size() + 1) + " LIMIT 1");
  });
  if (!s) return false;
  sql::StatementUse use(*s);
  s->bindInt(bindKey(*s, key, true, 1), current_);
  return s->step() == sql::Step::Row;
}

ErrorCode FileHandle::findDuplicateKey() {
  duplicateKey_ = -1;
  for (size_t k = 0; k < schema_.keys.size(); ++k) {
    if (schema_.keys[k].refusesDuplicates() && duplicate(int(k))) {
      duplicateKey_ = int(k);
      break;
    }
  }
  return fail(ErrorCode::DuplicateKey);
}

ErrorCode FileHandle::add() {
  if (!ready()) return fail(ErrorCode::FileNotOpen);
  if (!writable()) return fail(ErrorCode::AccessDenied);
  auto* s = statement(file_->insert, [&] {
    std::string names, marks;
    for (size_t c = 0; c < schema_.columns.size(); ++c) {
      names += (c ? ", " : "") + sql::quote(schema_.columns[c].name);
      marks += c ? ", ?" : "?";
    }
    return "INSERT INTO " + file_->table + "(" + names + ") VALUES(" + marks + ")";
  });
  if (!s) return error_;
  bindFields(*s);
  sql::Step st;
  {
    sql::StatementUse use(*s);
    st = s->step();
  }
  if (st == sql::Step::Error) {
    connection_.noteMessage();
    if (connection_.db()->lastWasUniqueClash()) {
      int64_t keep = current_;
      current_ = 0;  // a new record clashes with any record
      findDuplicateKey();
      current_ = keep;
      return error_;
    }
    return fail(s->error());
  }
  current_ = connection_.db()->lastInsertRowid();
  version_ = 0;
  return fail(ErrorCode::None);
}

void FileHandle::watch() {
  watching_ = true;
}

ErrorCode FileHandle::put() {
  if (!ready()) return fail(ErrorCode::FileNotOpen);
  if (!writable()) return fail(ErrorCode::AccessDenied);
  if (current_ == 0) return fail(ErrorCode::RecordNotAvailable);
  int n = int(schema_.columns.size());
  auto base = [&] {
    std::string sets;
    for (size_t c = 0; c < schema_.columns.size(); ++c)
      sets += sql::quote(schema_.columns[c].name) + " = ?" + std::to_string(c + 1) + ", ";
    return "UPDATE " + file_->table + " SET " + sets +
           "\"_Version\" = \"_Version\" + 1 WHERE \"_RecordId\" = ?" + std::to_string(n + 1);
  };
  bool watched = watching_;
  watching_ = false;
  auto* s = watched ? statement(file_->updateWatched,
                                [&] {
                                  return std::string(base() + " AND \"_Version\" = ?" +
                                                     std::to_string(n + 2));
                                })
                    : statement(file_->update, base);
  if (!s) return error_;
  bindFields(*s);
  s->bindInt(n + 1, current_);
  if (watched) s->bindInt(n + 2, version_);
  sql::Step st;
  {
    sql::StatementUse use(*s);
    st = s->step();
  }
  if (st == sql::Step::Error) {
    connection_.noteMessage();
    if (connection_.db()->lastWasUniqueClash()) return findDuplicateKey();
    return fail(s->error());
  }
  if (connection_.db()->changes() == 0)
    return fail(watched ? ErrorCode::RecordChanged : ErrorCode::RecordNotAvailable);
  ++version_;
  return fail(ErrorCode::None);
}

ErrorCode FileHandle::erase() {
  if (!ready()) return fail(ErrorCode::FileNotOpen);
  if (!writable()) return fail(ErrorCode::AccessDenied);
  if (current_ == 0) return fail(ErrorCode::RecordNotAvailable);
  auto* s = statement(file_->erase, [&] {
    return std::string("DELETE FROM " + file_->table + " WHERE \"_RecordId\" = ?1");
  });
  if (!s) return error_;
  s->bindInt(1, current_);
  sql::Step st;
  {
    sql::StatementUse use(*s);
    st = s->step();
  }
  if (st == sql::Step::Error) {
    connection_.noteMessage();
    return fail(s->error());
  }
  bool gone = connection_.db()->changes() > 0;
  current_ = 0;
  return fail(gone ? ErrorCode::None : ErrorCode::RecordNotAvailable);
}

Position FileHandle::position() const {
  Position p;
  if (current_ == 0) return p;
  int key = at_ == At::Record ? key_ : -1;
  keyValues(key, p);
  p.recordId = current_;
  return p;
}

ErrorCode FileHandle::reset(const Position& position) {
  if (!ready()) return fail(ErrorCode::FileNotOpen);
  if (!position.valid()) return fail(ErrorCode::RecordNotAvailable);
  key_ = position.key;
  cursor_ = position;
  at_ = At::Record;
  inclusive_ = true;
  return fail(ErrorCode::None);
}

ErrorCode FileHandle::reget(const Position& position) {
  if (!ready()) return fail(ErrorCode::FileNotOpen);
  auto* s = statement(file_->byRecordId, [&] {
    return std::string("SELECT " + file_->columnList + " FROM " + file_->table +
                       " WHERE \"_RecordId\" = ?1");
  });
  if (!s) return error_;
  s->bindInt(1, position.recordId);
  ErrorCode e = fetch(*s, false);
  return e == ErrorCode::RecordNotAvailable ? fail(ErrorCode::RecordNotFound) : e;
}

int64_t FileHandle::records() {
  if (!ready()) {
    fail(ErrorCode::FileNotOpen);
    return 0;
  }
  auto* s =
      statement(file_->count, [&] { return std::string("SELECT count(*) FROM " + file_->table); });
  if (!s) return 0;
  sql::StatementUse use(*s);
  if (s->step() != sql::Step::Row) return 0;
  fail(ErrorCode::None);
  return s->columnInt(0);
}

}  // namespace ormile::store
