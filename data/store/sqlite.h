// The one place that includes sqlite3.h: RAII holders for a connection and its prepared
// statements, and the translation of SQLite's result codes into the store's error codes.
// Procedure thread only: a Database and its Statements belong to one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "data/store/errors.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ormile::store::sql {

enum class Step { Row, Done, Error };

class Statement {
 public:
  Statement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  void bindInt(int index, int64_t value);
  void bindText(int index, std::string_view utf8);
  Step step();
  // Resets the statement and clears its bindings; a statement is always reset after use so
  // that no read lock outlives a call.
  void reset();
  int64_t columnInt(int column) const;
  std::string_view columnText(int column) const;
  // The store error of the last failed step.
  ErrorCode error() const { return error_; }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_;
  ErrorCode error_ = ErrorCode::None;
};

// Resets a statement when the scope ends.
class StatementUse {
 public:
  explicit StatementUse(Statement& s) : s_(s) {}
  ~StatementUse() { s_.reset(); }
  StatementUse(const StatementUse&) = delete;
  StatementUse& operator=(const StatementUse&) = delete;

 private:
  Statement& s_;
};

class Database {
 public:
  // Opens (creating when missing, unless read-only) the main file of a connection and
  // registers the key collation. Returns null with `error` and `message` set on failure.
  static std::unique_ptr<Database> open(const std::string& path, bool readOnly, ErrorCode& error,
                                        std::string& message);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Runs SQL without results. Returns the store error; lastMessage() tells the engine's text.
  ErrorCode exec(const std::string& sql);
  std::unique_ptr<Statement> prepare(const std::string& sql, ErrorCode& error);

  int64_t lastInsertRowid() const;
  int changes() const;
  bool inTransaction() const;
  bool isReadOnly(const std::string& schema) const;
  void setBusyTimeout(int milliseconds);
  std::string lastMessage() const;
  // True when the last failure was a unique-key clash (as opposed to another constraint).
  bool lastWasUniqueClash() const;

  // Name of the key collation that text key columns declare.
  static constexpr const char* kKeyCollation = "ORMILE_KEY";

 private:
  explicit Database(sqlite3* db) : db_(db) {}
  sqlite3* db_;
};

// SQLite result code (extended) to store error code.
ErrorCode translate(int extendedCode);

// Quotes an identifier for SQL text.
std::string quote(std::string_view identifier);

}  // namespace ormile::store::sql
