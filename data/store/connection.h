// A session's connection to the table files of one working directory. The first file the
// session uses becomes the connection's main database, every other file is attached to it,
// so one transaction can span several files and commits atomically (rollback journal with
// a super-journal beside the main file). Each file holds one table, named by its label,
// with its keys as partial indexes (see FORMAT.md).
// Procedure thread only: one Connection per session.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/store/errors.h"
#include "data/store/schema.h"
#include "data/store/share_lock.h"
#include "data/store/sqlite.h"

namespace ormile::store {

// Prepared statements of one key (or of record order), made on first use.
struct KeyStatements {
  std::unique_ptr<sql::Statement> first, last, nextEq, nextGt, prevEq, prevLt, fromGe, fromLe, get,
      dup;
};

// One table file as the session sees it.
struct AttachedFile {
  std::string path;
  std::string schemaName;  // "main" or "fN"
  const TableSchema* schema = nullptr;
  bool readOnlyFile = false;  // the file carries no write permission
  bool keysValid = true;      // every key index is present as declared
  bool writeLocked = false;   // write lock taken in the current transaction
  std::string table;          // "schema"."Label", quoted
  std::string columnList;     // the select list: bookkeeping columns, then fields
  std::unique_ptr<sql::Statement> insert, update, updateWatched, erase, byRecordId, version, count;
  std::vector<KeyStatements> keys;  // by key index
  KeyStatements physical;           // record order
};

class Connection {
 public:
  explicit Connection(std::filesystem::path directory);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const std::filesystem::path& directory() const { return directory_; }

  // Attaches the file of `schema` (creating it empty when missing) and checks its layout.
  // On KeyMustBeRebuilt the file stays attached with keysValid false; `creating` tells that a
  // failure happened while making the new file.
  ErrorCode attach(const TableSchema& schema, AttachedFile*& file, bool& creating);
  ErrorCode rebuildKeys(AttachedFile& file);
  // Replaces the table of `schema` by an empty one (a file that is no database is
  // overwritten). AccessDenied while any session, this one included, has it open.
  ErrorCode recreate(const TableSchema& schema);

  ShareLock& shareLock(const TableSchema& schema);

  // One transaction over the given files: waits up to `seconds` for their write locks.
  // Nested calls are savepoints inside the outer transaction.
  ErrorCode logout(int seconds, const std::vector<AttachedFile*>& files);
  ErrorCode commit();
  ErrorCode rollback();
  int transactionDepth() const { return depth_; }

  // A read burst: the reads until endRead() share one read lock instead of taking one each,
  // which makes a scan several times faster. Other writers cannot commit meanwhile, so a
  // burst lasts as long as reading a page or a tree level, not as long as a window. Writes
  // inside a burst are allowed but may fail with AccessDenied when another session is
  // committing. Bursts nest; a transaction inside one is a savepoint of it.
  ErrorCode beginRead();
  void endRead();
  // Takes the write lock of one file inside the current transaction.
  ErrorCode lockForWrite(AttachedFile& file);

  // How long an ordinary operation waits for another writer (5 s).
  int defaultWait() const { return defaultWaitMs_; }

  sql::Database* db() { return db_.get(); }
  std::string lastMessage() const { return lastMessage_; }
  void noteMessage() { lastMessage_ = db_ ? db_->lastMessage() : std::string(); }

 private:
  std::string pathOf(const TableSchema& schema) const;
  ErrorCode openFile(const std::string& path, bool readOnly, std::string& schemaName);
  ErrorCode checkOrCreate(AttachedFile& file, bool& creating);
  ErrorCode createTable(AttachedFile& file, bool dropFirst);
  void detach(const std::string& path);

  std::filesystem::path directory_;
  std::unique_ptr<sql::Database> db_;
  std::map<std::string, std::unique_ptr<AttachedFile>> files_;  // by path
  std::map<std::string, std::unique_ptr<ShareLock>> shares_;    // by path
  int attachedCount_ = 0;
  enum class Outer { None, Read, Write };  // what began the engine's transaction
  void endOuter();
  Outer outer_ = Outer::None;
  int depth_ = 0;      // nested logouts
  int readDepth_ = 0;  // nested read bursts
  int defaultWaitMs_ = 5000;
  std::string lastMessage_;
};

// SQL text of the schema objects, shared by the connection and the handles.
std::string tableSql(const TableSchema& schema, const std::string& qualifiedName);
std::string indexBody(const TableSchema& schema, int key);     // `"name" ON "T"(...) WHERE ...`
std::string keyCondition(const TableSchema& schema, int key);  // the partial-index condition

}  // namespace ormile::store
