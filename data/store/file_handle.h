// One table handle's view of a table file: its record buffer, its open mode, its position
// in a key order and the record last read. Every operation leaves an error code (0 = none)
// read back with error(). Cursors are keyset seeks: no statement stays open between calls,
// so a reader never blocks another writer.
// Procedure thread only: belongs to the Connection of one session.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/store/connection.h"
#include "data/store/record.h"

namespace ormile::store {

enum class OpenMode {
  Normal,     // read/write, deny none
  DenyWrite,  // read/write, others may read only
  DenyAll,    // read/write, exclusive to this session
  ReadOnly,   // read only, deny none (the fallback when write access is refused)
};

// A saved place in a key order (or in record order, key -1).
struct Position {
  int key = -1;
  std::vector<std::string> texts;  // key values as bound: UTF-8 text or decimal
  std::vector<int64_t> numbers;
  int64_t recordId = 0;
  bool valid() const { return recordId != 0; }
};

class FileHandle {
 public:
  FileHandle(Connection& connection, const TableSchema& schema);
  ~FileHandle();
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  Record& record() { return record_; }
  const Record& record() const { return record_; }
  const TableSchema& schema() const { return schema_; }

  ErrorCode error() const { return error_; }
  // "%ErrorText": the store's text for the last error, with the engine's words for a
  // failure that has no code of its own.
  std::string errorText() const;
  // After DuplicateKey: the index of the first key, in key order, that reports the clash.
  int duplicateKey() const { return duplicateKey_; }
  // After a failed open: the failure happened while making the new file.
  bool failedCreating() const { return failedCreating_; }

  ErrorCode open(OpenMode mode);
  void close();
  bool isOpen() const { return open_; }
  OpenMode mode() const { return mode_; }
  ErrorCode rebuildKeys();

  ErrorCode create();  // the table replaced by an empty one; the handle must be closed
  ErrorCode empty();   // needs the DenyAll open
  void clear() { record_.clear(); }

  ErrorCode set(int key);      // before the first record of the key order
  ErrorCode setFrom(int key);  // at the first record at or after the buffer's key values
  ErrorCode setRecordOrder();  // before the first record in the order of adding
  ErrorCode next();
  ErrorCode previous();
  ErrorCode get(int key);  // the first record whose key equals the buffer's values
  ErrorCode add();
  void watch();
  ErrorCode put();
  ErrorCode erase();          // deletes the record last read
  bool duplicate(int key);    // would the buffer clash in `key` (the current record apart)?
  Position position() const;  // the current record's place in the current order
  ErrorCode reset(const Position& position);  // so that next() reads that record again
  ErrorCode reget(const Position& position);  // reads exactly that record
  int64_t currentRecordId() const { return current_; }
  int64_t records();  // number of records in the file

  // The session transaction's write lock on this file (see Connection::logout).
  AttachedFile* file() { return file_; }
  Connection& connection() { return connection_; }

 private:
  // Start: after set(), next() reads the first record and previous() the last.
  enum class At { Nothing, Start, PastEnd, PastStart, From, Record };

  bool ready();
  bool writable();
  ErrorCode fail(ErrorCode e);
  // The cached statement in `slot`, prepared from `text()` on first use.
  sql::Statement* statement(std::unique_ptr<sql::Statement>& slot,
                            const std::function<std::string()>& text);
  KeyStatements& statementsOf(int key) { return key < 0 ? file_->physical : file_->keys[key]; }
  // Binds the key values of the buffer (fromBuffer) or of the cursor, from index `first`.
  int bindKey(sql::Statement& s, int key, bool fromBuffer, int first);
  void keyValues(int key, Position& out) const;
  void bindFields(sql::Statement& s);
  void readRow(sql::Statement& s);
  ErrorCode fetch(sql::Statement& s, bool moveCursor);
  ErrorCode step(bool forward);
  enum class Seek { First, Last, EqualAfter, EqualBefore, After, Before, AtOrAfter, AtOrBefore };
  sql::Statement* cursorStatement(Seek seek);
  // Reads the record the seek finds from the cursor's values (and `recordId` where the seek
  // compares record identities) and moves the cursor onto it.
  ErrorCode seekRecord(Seek seek, int64_t recordId);
  std::string orderBy(int key, bool descending) const;
  std::string tuple(int key) const;
  std::string equalsText(int key) const;  // " AND f1 = ?1 AND f2 = ?2"
  std::string placeholders(int key, int first) const;
  ErrorCode findDuplicateKey();

  Connection& connection_;
  const TableSchema& schema_;
  Record record_;
  AttachedFile* file_ = nullptr;
  bool open_ = false;
  OpenMode mode_ = OpenMode::Normal;
  ErrorCode error_ = ErrorCode::None;
  std::string message_;
  int duplicateKey_ = -1;
  bool failedCreating_ = false;

  // Cursor: the order, where it stands and the key values and record id it stands on.
  int key_ = -1;
  At at_ = At::Nothing;
  Position cursor_;
  bool inclusive_ = false;  // after reset(): the record at the cursor is read again
  // The record last read or added, for put and erase.
  int64_t current_ = 0;
  int64_t version_ = 0;
  bool watching_ = false;
};

}  // namespace ormile::store
