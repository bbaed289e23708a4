#include "data/relations/session.h"

#include <deque>
#include <limits>

namespace ormile::data {

using base::Level;
using base::MessageArgs;
using base::Msg;

RelationHandle::RelationHandle(Session& session, Handle id) : session_(session), id_(id) {}

Level RelationHandle::open() {
  if (!opened_.empty()) {
    for (Handle h : opened_) session_[h].open();
    return Level::Benign;
  }
  std::set<Handle> seen{id_};
  std::deque<Handle> todo{id_};
  std::vector<Handle> order;
  while (!todo.empty()) {
    Handle h = todo.front();
    todo.pop_front();
    order.push_back(h);
    for (const Relation& r : relationsOf(h))
      if (seen.insert(r.related).second) todo.push_back(r.related);
  }
  for (Handle h : order) {
    if (session_[h].open() != Level::Benign) {
      for (Handle done : opened_) session_[done].close();
      opened_.clear();
      return Level::Fatal;
    }
    opened_.push_back(h);
  }
  return Level::Benign;
}

void RelationHandle::close() {
  for (auto it = opened_.rbegin(); it != opened_.rend(); ++it) session_[*it].close();
}

void RelationHandle::save() {
  saved_ = session_[id_].record();
}

int32_t RelationHandle::parentValue(int field, bool useSaved) const {
  if (useSaved && saved_) return saved_->getLong(field);
  return session_[id_].getLong(field);
}

std::vector<Handle> RelationHandle::cascadeHandles(bool forDelete) const {
  std::vector<Handle> out{id_};
  for (size_t i = 0; i < out.size(); ++i)
    for (const Relation& r : relationsOf(out[i]))
      if (!r.lookup && (forDelete ? r.del : r.update) == Rule::Cascade)
        if (std::find(out.begin(), out.end(), r.related) == out.end()) out.push_back(r.related);
  return out;
}

// Positions the child of `r` on the first record that carries the parent's values (the
// saved ones when useSaved), the other components of the child key at their lowest.
void RelationHandle::positionChildren(const Relation& r, bool useSaved) {
  TableHandle& child = session_[r.related];
  child.clear();
  child.record().setKeyExtreme(r.childKey, true);
  for (auto [parentField, childField] : r.links)
    child.setLong(childField, parentValue(parentField, useSaved));
  child.setFrom(r.childKey);
}

bool RelationHandle::sameLinks(const Relation& r, bool useSaved) const {
  TableHandle& child = session_[r.related];
  for (auto [parentField, childField] : r.links)
    if (child.getLong(childField) != parentValue(parentField, useSaved)) return false;
  return true;
}

bool RelationHandle::visitForDelete() {
  for (const Relation& r : relationsOf(id_)) {
    if (r.lookup || (r.del != Rule::Restrict && r.del != Rule::Cascade)) continue;
    TableHandle& child = session_[r.related];
    store::Record keep = child.record();
    positionChildren(r, false);
    bool failed = false;
    for (;;) {
      ErrorCode e = child.next();
      if (e == ErrorCode::RecordNotAvailable) break;
      if (!ok(e)) {
        failed = true;
        break;
      }
      if (!sameLinks(r, false)) break;
      if (r.del == Rule::Restrict) {
        MessageArgs args;
        args.file = child.label();
        session_.messages().show(Msg::RestrictDelete, args);
        failed = true;
        break;
      }
      if (!session_.relation(r.related).visitForDelete() || !ok(child.erase())) {
        failed = true;
        break;
      }
    }
    child.record() = keep;
    if (failed) return false;
  }
  return true;
}

Level RelationHandle::deleteRecord(bool ask) {
  base::MessageService& msgs = session_.messages();
  if (ask && msgs.show(Msg::ConfirmDelete) != base::Answer::Yes) return Level::Cancel;
  TableHandle& self = session_[id_];
  store::Position where = self.position();
  store::Record record = self.record();
  for (;;) {
    if (open() != Level::Benign) return Level::Fatal;
    std::vector<TableHandle*> writers;
    for (Handle h : cascadeHandles(true)) writers.push_back(&session_[h]);
    ErrorCode e = session_.tables().logout(Session::kTransactionWaitSeconds, writers);
    if (!ok(e)) {
      MessageArgs args;
      args.file = self.label();
      args.errorText = store::errorText(e);
      close();
      msgs.show(Msg::LogoutFailed, args);
      return Level::Notify;
    }
    // Re-read the record: the position of a buffer filled by hand names no record.
    e = where.valid() ? self.reget(where) : ErrorCode::RecordNotFound;
    if (!ok(e)) {
      self.record() = record;
      e = self.get(0);
    }
    if (ok(e) && !visitForDelete()) {
      session_.tables().rollback();
      close();
      return Level::Notify;
    }
    if (ok(e)) e = self.erase();
    if (ok(e)) e = session_.tables().commit();
    close();
    if (ok(e)) return Level::Benign;
    std::string why = store::errorText(e);
    session_.tables().rollback();
    MessageArgs args;
    args.file = self.label();
    args.errorText = why;
    msgs.show(Msg::DeleteFailed, args);
    if (msgs.show(Msg::RetryDelete) != base::Answer::Yes) return Level::Notify;
    self.record() = record;
  }
}

bool RelationHandle::cascadeUpdate() {
  for (const Relation& r : relationsOf(id_)) {
    if (r.lookup || r.update != Rule::Cascade || !saved_) continue;
    bool changed = false;
    for (auto [parentField, childField] : r.links)
      changed |= parentValue(parentField, true) != parentValue(parentField, false);
    if (!changed) continue;
    TableHandle& child = session_[r.related];
    RelationHandle& childRelation = session_.relation(r.related);
    store::Record keep = child.record();
    positionChildren(r, true);
    bool failed = false;
    for (;;) {
      ErrorCode e = child.next();
      if (e == ErrorCode::RecordNotAvailable) break;
      if (!ok(e)) {
        failed = true;
        break;
      }
      if (!sameLinks(r, true)) break;
      childRelation.save();
      for (auto [parentField, childField] : r.links)
        child.setLong(childField, parentValue(parentField, false));
      if (child.change() != Level::Benign || !childRelation.cascadeUpdate()) {
        failed = true;
        break;
      }
    }
    child.record() = keep;
    if (failed) return false;
  }
  return true;
}

Level RelationHandle::update() {
  TableHandle& self = session_[id_];
  if (open() != Level::Benign) return Level::Fatal;
  std::vector<TableHandle*> writers;
  for (Handle h : cascadeHandles(false)) writers.push_back(&session_[h]);
  ErrorCode e = session_.tables().logout(Session::kTransactionWaitSeconds, writers);
  if (!ok(e)) {
    MessageArgs args;
    args.file = self.label();
    args.errorText = store::errorText(e);
    close();
    session_.messages().show(Msg::LogoutFailed, args);
    return Level::Notify;
  }
  bool done = self.change() == Level::Benign && cascadeUpdate();
  if (done) done = ok(session_.tables().commit());
  if (!done)
    session_.tables().rollback();
  else
    save();
  close();
  return done ? Level::Benign : Level::Notify;
}

Session::Session(std::filesystem::path directory, base::MessageService& messages)
    : tables_(std::move(directory), messages) {
  for (int i = 0; i < kHandleCount; ++i)
    relations_[size_t(i)] = std::make_unique<RelationHandle>(*this, Handle(i));
}

}  // namespace ormile::data
