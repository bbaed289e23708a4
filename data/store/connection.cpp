#include "data/store/connection.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace ormile::store {
namespace {

std::string uriOf(const std::string& path, bool readOnly) {
  std::string uri = "file:";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_' || c == '~') {
      uri += char(c);
    } else {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      uri += buf;
    }
  }
  return readOnly ? uri + "?mode=ro" : uri;
}

std::string literal(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

bool hasWritePermission(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return true;
  return (st.st_mode & 0222) != 0;
}

}  // namespace

std::string keyCondition(const TableSchema& schema, int key) {
  std::string cond = "(";
  const KeyDef& k = schema.keys[size_t(key)];
  for (size_t i = 0; i < k.columns.size(); ++i) {
    const ColumnDef& c = schema.columns[size_t(k.columns[i])];
    if (i) cond += " OR ";
    cond += sql::quote(c.name) + (c.type == ColumnType::Long ? " <> 0" : " <> ''");
  }
  return cond + ")";
}

std::string indexBody(const TableSchema& schema, int key) {
  const KeyDef& k = schema.keys[size_t(key)];
  std::string s = sql::quote(k.name) + " ON " + sql::quote(schema.label) + "(";
  for (size_t i = 0; i < k.columns.size(); ++i) {
    if (i) s += ", ";
    s += sql::quote(schema.columns[size_t(k.columns[i])].name);
  }
  return s + ") WHERE " + keyCondition(schema, key);
}

std::string tableSql(const TableSchema& schema, const std::string& qualifiedName) {
  std::string s = "CREATE TABLE " + qualifiedName +
                  "(\"_RecordId\" INTEGER PRIMARY KEY, \"_Version\" INTEGER NOT NULL DEFAULT 0";
  for (const ColumnDef& c : schema.columns) {
    s += ", " + sql::quote(c.name);
    if (c.type == ColumnType::Long) {
      s += " INTEGER NOT NULL DEFAULT 0";
    } else {
      s += " TEXT NOT NULL DEFAULT ''";
      if (c.keyed) s += std::string(" COLLATE ") + sql::Database::kKeyCollation;
    }
  }
  return s + ")";
}

Connection::Connection(std::filesystem::path directory) : directory_(std::move(directory)) {}

Connection::~Connection() {
  // Statements go before the database they belong to.
  files_.clear();
  db_.reset();
}

std::string Connection::pathOf(const TableSchema& schema) const {
  return (directory_ / schema.fileNameWithExtension()).lexically_normal().string();
}

ShareLock& Connection::shareLock(const TableSchema& schema) {
  std::string path = pathOf(schema);
  auto& slot = shares_[path];
  if (!slot) slot = std::make_unique<ShareLock>(path);
  return *slot;
}

ErrorCode Connection::openFile(const std::string& path, bool readOnly, std::string& schemaName) {
  if (!db_) {
    ErrorCode e;
    db_ = sql::Database::open(uriOf(path, readOnly), readOnly, e, lastMessage_);
    if (!db_) return e;
    db_->setBusyTimeout(defaultWaitMs_);
    schemaName = "main";
    return ErrorCode::None;
  }
  if (db_->inTransaction()) {
    lastMessage_ = "a table file cannot be added to the session inside a transaction";
    return ErrorCode::AccessDenied;
  }
  schemaName = "f" + std::to_string(++attachedCount_);
  ErrorCode e =
      db_->exec("ATTACH " + literal(uriOf(path, readOnly)) + " AS " + sql::quote(schemaName));
  if (!ok(e)) noteMessage();
  return e;
}

void Connection::detach(const std::string& path) {
  auto it = files_.find(path);
  if (it == files_.end()) return;
  std::string schemaName = it->second->schemaName;
  files_.erase(it);
  if (schemaName == "main") {
    if (files_.empty()) db_.reset();  // the next file becomes the main database
    return;
  }
  db_->exec("DETACH " + sql::quote(schemaName));
}

ErrorCode Connection::attach(const TableSchema& schema, AttachedFile*& file, bool& creating) {
  creating = false;
  std::string path = pathOf(schema);
  auto it = files_.find(path);
  if (it != files_.end()) {
    file = it->second.get();
    return file->keysValid ? ErrorCode::None : ErrorCode::KeyMustBeRebuilt;
  }
  bool exists = std::filesystem::exists(path);
  bool readOnly = exists && !hasWritePermission(path);
  if (!exists && ::access(directory_.c_str(), W_OK) != 0) return ErrorCode::FileNotFound;

  auto f = std::make_unique<AttachedFile>();
  f->path = path;
  f->schema = &schema;
  f->readOnlyFile = readOnly;
  ErrorCode e = openFile(path, readOnly, f->schemaName);
  if (!ok(e)) return e;
  f->table = sql::quote(f->schemaName) + "." + sql::quote(schema.label);
  f->columnList = "\"_RecordId\", \"_Version\"";
  for (const ColumnDef& c : schema.columns) f->columnList += ", " + sql::quote(c.name);
  f->keys.resize(schema.keys.size());
  AttachedFile* raw = f.get();
  files_[path] = std::move(f);
  e = checkOrCreate(*raw, creating);
  if (!ok(e) && e != ErrorCode::KeyMustBeRebuilt) {
    detach(path);
    return e;
  }
  file = raw;
  return e;
}

ErrorCode Connection::checkOrCreate(AttachedFile& file, bool& creating) {
  const TableSchema& schema = *file.schema;
  ErrorCode e;
  for (int attempt = 0;; ++attempt) {
    auto objects = db_->prepare(
        "SELECT type, name, sql FROM " + sql::quote(file.schemaName) + ".sqlite_master", e);
    if (!objects) {
      noteMessage();
      return e;
    }
    bool haveTable = false;
    std::map<std::string, std::string> indexes;
    sql::Step st;
    while ((st = objects->step()) == sql::Step::Row) {
      std::string type(objects->columnText(0)), name(objects->columnText(1));
      if (type == "table" && name == schema.label) haveTable = true;
      if (type == "index") indexes[name] = std::string(objects->columnText(2));
    }
    if (st == sql::Step::Error) {
      e = objects->error();
      noteMessage();
      return e;
    }
    objects.reset();
    if (!haveTable) {
      if (attempt > 50) return ErrorCode::AccessDenied;
      creating = true;
      if (file.readOnlyFile) return ErrorCode::AccessDenied;
      e = createTable(file, false);
      if (e == ErrorCode::AccessDenied) {  // another session is creating it: look again
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        continue;
      }
      if (!ok(e)) return e;
      creating = false;
      continue;
    }
    // The record layout must be the declared one.
    auto info = db_->prepare(
        "PRAGMA " + sql::quote(file.schemaName) + ".table_info(" + sql::quote(schema.label) + ")",
        e);
    if (!info) return e;
    std::vector<std::string> names;
    while (info->step() == sql::Step::Row) names.emplace_back(info->columnText(1));
    std::vector<std::string> expected = {"_RecordId", "_Version"};
    for (const ColumnDef& c : schema.columns) expected.push_back(c.name);
    if (names != expected) {
      lastMessage_ = "the table " + schema.label + " has another record layout";
      return ErrorCode::InvalidDataFile;
    }
    file.keysValid = true;
    for (size_t k = 0; k < schema.keys.size(); ++k) {
      const KeyDef& key = schema.keys[k];
      std::string want = std::string("CREATE") + (key.refusesDuplicates() ? " UNIQUE" : "") +
                         " INDEX " + indexBody(schema, int(k));
      auto found = indexes.find(key.name);
      if (found == indexes.end() || found->second != want) file.keysValid = false;
    }
    return file.keysValid ? ErrorCode::None : ErrorCode::KeyMustBeRebuilt;
  }
}

ErrorCode Connection::createTable(AttachedFile& file, bool dropFirst) {
  const TableSchema& schema = *file.schema;
  bool outer = !db_->inTransaction();
  std::string sp = "ormile_create";
  ErrorCode e = db_->exec(outer ? "BEGIN" : "SAVEPOINT " + sp);
  if (!ok(e)) return e;
  // Two sessions may find the file new at once; the second one's statements do nothing.
  std::string ifNew = dropFirst ? "" : "IF NOT EXISTS ";
  std::string script;
  if (dropFirst) script += "DROP TABLE IF EXISTS " + file.table + ";";
  std::string table = tableSql(schema, file.table);
  script += table.replace(0, 13, "CREATE TABLE " + ifNew) + ";";
  for (size_t k = 0; k < schema.keys.size(); ++k)
    script += std::string("CREATE") + (schema.keys[k].refusesDuplicates() ? " UNIQUE" : "") +
              " INDEX " + ifNew + sql::quote(file.schemaName) + "." + indexBody(schema, int(k)) +
              ";";
  e = db_->exec(script);
  if (ok(e)) e = db_->exec(outer ? "COMMIT" : "RELEASE " + sp);
  if (!ok(e)) {
    noteMessage();
    db_->exec(outer ? "ROLLBACK" : "ROLLBACK TO " + sp + "; RELEASE " + sp);
    return e;
  }
  file.keysValid = true;
  return ErrorCode::None;
}

ErrorCode Connection::rebuildKeys(AttachedFile& file) {
  if (file.readOnlyFile) return ErrorCode::AccessDenied;
  const TableSchema& schema = *file.schema;
  bool outer = !db_->inTransaction();
  ErrorCode e = db_->exec(outer ? "BEGIN IMMEDIATE" : "SAVEPOINT ormile_rebuild");
  if (!ok(e)) return e;
  std::string script;
  for (size_t k = 0; k < schema.keys.size(); ++k) {
    script += "DROP INDEX IF EXISTS " + sql::quote(file.schemaName) + "." +
              sql::quote(schema.keys[k].name) + ";";
    script += std::string("CREATE") + (schema.keys[k].refusesDuplicates() ? " UNIQUE" : "") +
              " INDEX " + sql::quote(file.schemaName) + "." + indexBody(schema, int(k)) + ";";
  }
  e = db_->exec(script);
  if (ok(e)) e = db_->exec(outer ? "COMMIT" : "RELEASE ormile_rebuild");
  if (!ok(e)) {
    noteMessage();
    db_->exec(outer ? "ROLLBACK" : "ROLLBACK TO ormile_rebuild; RELEASE ormile_rebuild");
    return e;
  }
  file.keysValid = true;
  return ErrorCode::None;
}

ErrorCode Connection::recreate(const TableSchema& schema) {
  ShareLock& share = shareLock(schema);
  if (share.heldByThisSession()) return ErrorCode::AccessDenied;
  std::string path = pathOf(schema);
  if (std::filesystem::exists(path) && !hasWritePermission(path)) return ErrorCode::AccessDenied;
  ErrorCode e = share.acquire(true, Share::DenyAll);
  if (e == ErrorCode::FileNotFound) e = ErrorCode::None;  // nothing there yet: nobody holds it
  if (!ok(e)) return e;
  AttachedFile* file = nullptr;
  bool creating = false;
  e = attach(schema, file, creating);
  if (e == ErrorCode::InvalidDataFile && !db_->inTransaction()) {
    // Not a database of ours: the file is replaced as a whole. It is cut to nothing, not
    // removed, so that the share locks of this session stay on the same file.
    if (::truncate(path.c_str(), 0) == 0) e = attach(schema, file, creating);
  }
  if (ok(e) || e == ErrorCode::KeyMustBeRebuilt) e = createTable(*file, true);
  share.release(true, Share::DenyAll);
  return e;
}

ErrorCode Connection::lockForWrite(AttachedFile& file) {
  if (file.writeLocked) return ErrorCode::None;
  // A write statement that changes nothing still takes the file's write lock.
  ErrorCode e = db_->exec("DELETE FROM " + file.table + " WHERE 0");
  if (!ok(e)) {
    noteMessage();
    return e;
  }
  file.writeLocked = true;
  return ErrorCode::None;
}

ErrorCode Connection::logout(int seconds, const std::vector<AttachedFile*>& files) {
  if (!db_) return ErrorCode::FileNotOpen;
  bool outermost = outer_ == Outer::None;
  ErrorCode e;
  if (outermost) {
    db_->setBusyTimeout(seconds * 1000);
    e = db_->exec("BEGIN");
  } else {
    e = db_->exec("SAVEPOINT ormile_" + std::to_string(depth_));
  }
  if (!ok(e)) {
    noteMessage();
    if (outermost) db_->setBusyTimeout(defaultWaitMs_);
    return e;
  }
  if (outermost) outer_ = Outer::Write;
  ++depth_;
  for (AttachedFile* f : files) {
    e = lockForWrite(*f);
    if (!ok(e)) {
      std::string why = lastMessage_;
      rollback();
      lastMessage_ = why;
      return e;
    }
  }
  if (outermost) db_->setBusyTimeout(defaultWaitMs_);
  return ErrorCode::None;
}

void Connection::endOuter() {
  outer_ = Outer::None;
  for (auto& [path, f] : files_) f->writeLocked = false;
}

ErrorCode Connection::commit() {
  if (depth_ == 0) return ErrorCode::None;
  --depth_;
  if (depth_ > 0 || outer_ == Outer::Read)
    return db_->exec("RELEASE ormile_" + std::to_string(depth_));
  // Readers can keep a commit from finishing within one wait; a long run's rows are worth a
  // few more waits before everything is given up.
  ErrorCode e = db_->exec("COMMIT");
  for (int retry = 0; e == ErrorCode::AccessDenied && retry < 3; ++retry) e = db_->exec("COMMIT");
  if (!ok(e)) {
    noteMessage();
    db_->exec("ROLLBACK");  // nothing was written
  }
  endOuter();
  return e;
}

ErrorCode Connection::rollback() {
  if (depth_ == 0) return ErrorCode::None;
  --depth_;
  if (depth_ > 0 || outer_ == Outer::Read) {
    std::string sp = "ormile_" + std::to_string(depth_);
    return db_->exec("ROLLBACK TO " + sp + "; RELEASE " + sp);
  }
  ErrorCode e = db_->exec("ROLLBACK");
  endOuter();
  return e;
}

ErrorCode Connection::beginRead() {
  if (!db_) return ErrorCode::FileNotOpen;
  if (readDepth_++ > 0 || outer_ != Outer::None) return ErrorCode::None;
  ErrorCode e = db_->exec("BEGIN");
  if (!ok(e)) {
    --readDepth_;
    noteMessage();
    return e;
  }
  outer_ = Outer::Read;
  return ErrorCode::None;
}

void Connection::endRead() {
  if (readDepth_ == 0 || --readDepth_ > 0) return;
  if (outer_ == Outer::Read && depth_ == 0) {
    db_->exec("COMMIT");
    endOuter();
  }
}

}  // namespace ormile::store
