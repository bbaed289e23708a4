// Table handles: one per table or alias and per thread. A handle holds its record buffer,
// opens its file on first use (with the store's failure handling and its messages), numbers
// auto-numbered keys, checks parents before every insert and change, and carries the store
// operations, each leaving an error code.
// Procedure thread only: a handle belongs to the Tables of one thread.
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "base/messages.h"
#include "data/store/connection.h"
#include "data/store/file_handle.h"
#include "data/tables/dictionary.h"

namespace ormile::data {

using store::ErrorCode;
using store::OpenMode;

class Tables;

class TableHandle {
 public:
  TableHandle(Tables& tables, Handle id);

  Handle id() const { return id_; }
  const HandleDef& def() const { return handleDef(id_); }
  const TableDef& table() const { return tableOf(id_); }
  const std::string& label() const { return def().label; }
  const std::string& keyDescription(int key) const { return def().keyDescriptions[size_t(key)]; }
  const std::vector<std::string>& memoNames() const { return table().memoNames; }

  // The record buffer.
  store::Record& record() { return file_.record(); }
  int32_t getLong(int field) const { return file_.record().getLong(field); }
  void setLong(int field, int32_t v) { file_.record().setLong(field, v); }
  std::string_view getString(int field) const { return file_.record().getTrimmed(field); }
  void setString(int field, std::string_view bytes) { file_.record().setString(field, bytes); }
  const std::string& getMemo(int field) const { return file_.record().getMemo(field); }
  void setMemo(int field, std::string_view bytes) { file_.record().setMemo(field, bytes); }
  // By full name ("X:BNF_Header", or a memo name); false when the handle has no such field.
  bool setField(std::string_view fullName, std::string_view bytes);
  std::optional<std::string> getField(std::string_view fullName) const;

  // Opens the file (a use; close() ends it): retries a refused open once, falls back to
  // read-only, rebuilds invalid keys, and ends the program after a fatal failure, each with
  // its message. Returns Benign, or Fatal when the file could not be opened.
  base::Level open(OpenMode mode = OpenMode::Normal);
  // Ends a use; the file is released when the last use ends (at once when it was opened
  // only by first use).
  void close();
  bool isOpen() const { return file_.isOpen(); }
  // Opens for the first use when not open; false when that failed.
  bool ensureOpen();

  // Store operations on the buffer (the file opened on first use).
  ErrorCode error() const { return error_; }
  std::string errorText() const { return file_.errorText(); }
  ErrorCode create();
  ErrorCode empty();
  void clear() { file_.clear(); }
  ErrorCode set(int key);
  ErrorCode setFrom(int key);
  ErrorCode setRecordOrder();
  ErrorCode next();
  ErrorCode previous();
  ErrorCode get(int key);
  ErrorCode add();
  void watch() { file_.watch(); }
  ErrorCode put();
  ErrorCode erase();
  bool duplicate(int key);
  store::Position position() const { return file_.position(); }
  ErrorCode reset(const store::Position& p);
  ErrorCode reget(const store::Position& p);
  int64_t records();

  // Fills the auto-numbered key and adds the record at once, so the number is reserved.
  // The rest of the buffer is kept as it is (a structure row keeps the type and active
  // production its sequence counts within): clear() first for a new record. A later
  // insert() writes the reserved record in place; abandonPrimed() gives the number back.
  // Benign, or Notify/Cancel after its messages.
  base::Level primeAutoNumber();
  // Deletes the record reserved by the last primeAutoNumber() when it was not inserted.
  ErrorCode abandonPrimed();
  // The parent checks; Benign, or Notify after "Field contents error".
  base::Level validateRecord();
  // Validates, then adds (or writes the record reserved by primeAutoNumber in place);
  // Benign, or Notify after its message.
  base::Level insert();
  // Validates, then rewrites the record last read; Benign, or Notify (the duplicate-key
  // message is shown here, other failures are left in error() for the caller).
  base::Level change();

  store::FileHandle& file() { return file_; }

 private:
  ErrorCode keep(ErrorCode e) { return error_ = e; }
  base::Level numberOnce(ErrorCode& e);
  bool nextNumber(int32_t& value, ErrorCode& e);

  Tables& tables_;
  Handle id_;
  store::FileHandle file_;
  int uses_ = 0;
  int64_t primed_ = 0;  // record id reserved by primeAutoNumber, until inserted or abandoned
  ErrorCode error_ = ErrorCode::None;
};

// Every table and alias handle of one thread over one connection.
// Procedure thread only: created when the thread starts, destroyed when it ends.
class Tables {
 public:
  Tables(std::filesystem::path directory, base::MessageService& messages);
  ~Tables();
  Tables(const Tables&) = delete;
  Tables& operator=(const Tables&) = delete;

  TableHandle& operator[](Handle h) { return *handles_[size_t(h)]; }
  TableHandle& operator[](Table t) { return *handles_[size_t(t)]; }
  store::Connection& connection() { return connection_; }
  base::MessageService& messages() { return messages_; }

  // One transaction that waits up to `seconds` for the write locks of the given handles'
  // files. Every table file is added to the connection first (a transaction cannot add one
  // later). Nested calls nest.
  ErrorCode logout(int seconds, std::initializer_list<TableHandle*> writers);
  ErrorCode logout(int seconds, const std::vector<TableHandle*>& writers);
  ErrorCode commit() { return connection_.commit(); }
  ErrorCode rollback() { return connection_.rollback(); }

  // A read burst over every table file (see Connection::beginRead).
  ErrorCode beginRead();
  void endRead() { connection_.endRead(); }

 private:
  void attachAll();

  store::Connection connection_;
  base::MessageService& messages_;
  std::array<std::unique_ptr<TableHandle>, kHandleCount> handles_;
};

// Reads in one burst for as long as it lives. Procedure thread only.
class ReadBurst {
 public:
  explicit ReadBurst(Tables& tables) : tables_(tables) { tables_.beginRead(); }
  ~ReadBurst() { tables_.endRead(); }
  ReadBurst(const ReadBurst&) = delete;
  ReadBurst& operator=(const ReadBurst&) = delete;

 private:
  Tables& tables_;
};

}  // namespace ormile::data
