// A thread's data session: its connection, every table handle and every relation handle.
// Relation handles open related tables together and carry out deletes and changes under
// the update and delete rules, each inside one transaction.
// Procedure thread only: created when the thread starts, destroyed when it ends.
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>

#include "data/relations/relations.h"
#include "data/tables/table_handle.h"

namespace ormile::data {

class Session;

class RelationHandle {
 public:
  RelationHandle(Session& session, Handle id);

  Handle id() const { return id_; }
  const std::vector<Relation>& relations() const { return relationsOf(id_); }

  // Opens the handle's table and, once each, every table reachable through its relations.
  // Benign, or Fatal when a file could not be opened.
  base::Level open();
  void close();
  // Remembers the parent fields of the record in the buffer, for update().
  void save();
  // Deletes the buffer's record with its dependants. Benign (done), Cancel (the user said
  // No), or Notify (refused or failed; everything rolled back).
  base::Level deleteRecord(bool ask);
  // Rewrites the buffer's record and carries a changed identifier into the children.
  // Benign, or Notify (everything rolled back; the table handle's error() tells why).
  base::Level update();

  // The handles whose files a delete or update of this handle writes (this one first).
  std::vector<Handle> cascadeHandles(bool forDelete) const;

 private:
  bool visitForDelete();
  bool cascadeUpdate();
  bool sameLinks(const Relation& r, bool useSaved) const;
  void positionChildren(const Relation& r, bool useSaved);
  int32_t parentValue(int field, bool useSaved) const;

  Session& session_;
  Handle id_;
  std::optional<store::Record> saved_;
  std::vector<Handle> opened_;
};

class Session {
 public:
  Session(std::filesystem::path directory, base::MessageService& messages);

  Tables& tables() { return tables_; }
  TableHandle& operator[](Handle h) { return tables_[h]; }
  TableHandle& operator[](Table t) { return tables_[t]; }
  RelationHandle& relation(Handle h) { return *relations_[size_t(h)]; }
  base::MessageService& messages() { return tables_.messages(); }

  // Waits this long for a delete's or update's transaction to start.
  static constexpr int kTransactionWaitSeconds = 2;

 private:
  Tables tables_;
  std::array<std::unique_ptr<RelationHandle>, kHandleCount> relations_;
};

}  // namespace ormile::data
