#include "data/store/sqlite.h"

#include <sqlite3.h>

#include "base/text.h"

namespace ormile::store::sql {
namespace {

int keyCollation(void*, int n1, const void* s1, int n2, const void* s2) {
  return base::compareKeyTextUtf8(std::string_view(static_cast<const char*>(s1), size_t(n1)),
                                  std::string_view(static_cast<const char*>(s2), size_t(n2)));
}

}  // namespace

ErrorCode translate(int code) {
  switch (code & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
      return ErrorCode::None;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return ErrorCode::AccessDenied;
    case SQLITE_CONSTRAINT:
      return ErrorCode::DuplicateKey;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
      return ErrorCode::InvalidDataFile;
    case SQLITE_CANTOPEN:
      return ErrorCode::FileNotFound;
    default:
      return ErrorCode::StoreFailure;
  }
}

std::string quote(std::string_view identifier) {
  std::string out = "\"";
  for (char c : identifier) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

Statement::~Statement() {
  sqlite3_finalize(stmt_);
}

void Statement::bindInt(int index, int64_t value) {
  sqlite3_bind_int64(stmt_, index, value);
}

void Statement::bindText(int index, std::string_view utf8) {
  sqlite3_bind_text(stmt_, index, utf8.data(), int(utf8.size()), SQLITE_TRANSIENT);
}

Step Statement::step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return Step::Row;
  if (rc == SQLITE_DONE) return Step::Done;
  error_ = translate(sqlite3_extended_errcode(db_));
  if (error_ == ErrorCode::None) error_ = ErrorCode::StoreFailure;
  return Step::Error;
}

void Statement::reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

int64_t Statement::columnInt(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

std::string_view Statement::columnText(int column) const {
  const unsigned char* p = sqlite3_column_text(stmt_, column);
  int n = sqlite3_column_bytes(stmt_, column);
  return p ? std::string_view(reinterpret_cast<const char*>(p), size_t(n)) : std::string_view();
}

std::unique_ptr<Database> Database::open(const std::string& path, bool readOnly, ErrorCode& error,
                                         std::string& message) {
  sqlite3* db = nullptr;
  int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI |
              (readOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
  int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    error = translate(rc);
    message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_create_collation(db, kKeyCollation, SQLITE_UTF8, nullptr, keyCollation);
  error = ErrorCode::None;
  return std::unique_ptr<Database>(new Database(db));
}

Database::~Database() {
  sqlite3_close(db_);
}

ErrorCode Database::exec(const std::string& sql) {
  int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
  return rc == SQLITE_OK ? ErrorCode::None : translate(sqlite3_extended_errcode(db_));
}

std::unique_ptr<Statement> Database::prepare(const std::string& sql, ErrorCode& error) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v3(db_, sql.c_str(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt,
                              nullptr);
  if (rc != SQLITE_OK) {
    error = translate(sqlite3_extended_errcode(db_));
    if (error == ErrorCode::None) error = ErrorCode::StoreFailure;
    return nullptr;
  }
  error = ErrorCode::None;
  return std::make_unique<Statement>(db_, stmt);
}

int64_t Database::lastInsertRowid() const {
  return sqlite3_last_insert_rowid(db_);
}
int Database::changes() const {
  return sqlite3_changes(db_);
}
bool Database::inTransaction() const {
  return sqlite3_get_autocommit(db_) == 0;
}
bool Database::isReadOnly(const std::string& schema) const {
  return sqlite3_db_readonly(db_, schema.c_str()) == 1;
}
void Database::setBusyTimeout(int milliseconds) {
  sqlite3_busy_timeout(db_, milliseconds);
}
std::string Database::lastMessage() const {
  return sqlite3_errmsg(db_);
}
bool Database::lastWasUniqueClash() const {
  int e = sqlite3_extended_errcode(db_);
  return e == SQLITE_CONSTRAINT_UNIQUE || e == SQLITE_CONSTRAINT_PRIMARYKEY;
}

}  // namespace ormile::store::sql
