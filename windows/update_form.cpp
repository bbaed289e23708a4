// The steps of an update form: loading, entry, checks, writing under the relation rules,
// the "Save Record" question and the history key.
#include "windows/update_form.h"

#include "base/text.h"

namespace ormile::windows {

using base::Level;

UpdateForm::UpdateForm(Session& session, platform::WindowDef def, data::Handle primary,
                       Captions captions)
    : WindowProcedure(session, std::move(def)), primary_(primary), captions_(std::move(captions)) {}

void UpdateForm::bindField(const std::string& label, int field) {
  const platform::ControlDef* c = def().control(label);
  if (!c) return;
  auto picture = Picture::parse(c->picture);
  std::string title = label;
  if (const platform::ControlDef* prompt = def().control(label + ":Prompt")) {
    title.clear();
    for (char ch : prompt->text)
      if (ch != '&') title += ch;
    while (!title.empty() && (title.back() == ':' || title.back() == ' ')) title.pop_back();
  }
  fields_.push_back({c->id, field, picture ? *picture : *Picture::parse("@s255"), title,
                     c->required, c->skip, std::nullopt});
}

Level UpdateForm::openTables() {
  return session().relation(primary_).open();
}

void UpdateForm::closeTables() {
  session().relation(primary_).close();
}

void UpdateForm::runHidden() {
  // The record to delete is the one the caller left in the buffer.
  Level l = session().relation(primary_).deleteRecord(true);
  finish(l == Level::Benign ? Response::Completed : Response::Cancelled);
}

UpdateForm::Field* UpdateForm::fieldOf(int control) {
  for (Field& f : fields_)
    if (f.control == control) return &f;
  return nullptr;
}

void UpdateForm::showField(const Field& f) {
  screen().setText(id(), f.control, f.picture.format(table().record(), f.field));
}

void UpdateForm::showAll() {
  for (const Field& f : fields_) showField(f);
}

int UpdateForm::firstField() const {
  for (const Field& f : fields_)
    if (!f.skip) return f.control;
  return fields_.empty() ? 0 : fields_.front().control;
}

void UpdateForm::init() {
  loaded_ = table().record();
  if (request() == Request::Change || request() == Request::Insert)
    session().relation(primary_).save();
  const std::string& caption = request() == Request::Insert   ? captions_.insert
                               : request() == Request::Change ? captions_.change
                                                              : captions_.view;
  if (!caption.empty()) screen().setCaption(id(), caption);
  if (request() == Request::View)
    for (const Field& f : fields_) screen().setEnabled(id(), f.control, false);
  for (int t = tool::Insert; t <= tool::Help; ++t) screen().setToolEnabled(id(), t, false);
  screen().setToolEnabled(
      id(), tool::History,
      request() != Request::View && session().savedRecords.count(def().procedure) > 0);
  screen().setToolEnabled(id(), tool::Help, true);
  showAll();
  setFocus(firstField());
}

void UpdateForm::entryLeft(Field& f, const std::string& text) {
  if (request() == Request::View) return showField(f);
  if (auto error = f.picture.store(text, table().record(), f.field)) {
    // The buffer keeps its value; the entry keeps what was typed, so it can be corrected.
    f.unreadable = text;
    tell("Invalid Entry", f.title + ": " + *error);
    setFocus(f.control);
    return;
  }
  f.unreadable.reset();
  showField(f);
}

void UpdateForm::takeEvent(const platform::Event& e) {
  if (e.kind == platform::EventKind::Key && e.key == kHistoryKey) return restoreHistory(e.control);
  WindowProcedure::takeEvent(e);
}

void UpdateForm::accepted(const platform::Event& e) {
  if (Field* f = fieldOf(e.control)) return entryLeft(*f, e.text);
  if (e.control == ok_ && ok_) {
    if (request() == Request::View)
      finish(Response::Completed);
    else
      save();
  } else if (e.control == cancel_ && cancel_) {
    leave();
  } else if ((e.control == help_ && help_) || e.control == tool::Help) {
    showHelp();
  } else if (e.control == tool::History) {
    restoreHistory(focusedControl());
  }
}

void UpdateForm::closeRequested() {
  leave();
}

bool UpdateForm::changed() {
  for (const Field& f : fields_)
    if (f.unreadable) return true;
  return loaded_ && !(*loaded_ == session()[primary_].record());
}

void UpdateForm::leave() {
  if (request() == Request::View || !changed()) return finish(Response::Cancelled);
  base::Answer a = session().messages().show(base::Msg::SaveRecord);
  if (a == base::Answer::Yes) {
    save();
  } else if (a == base::Answer::No) {
    table().record() = *loaded_;  // the thread's record as it was, the edits discarded
    finish(Response::Cancelled);
  } else {
    setFocus(firstField());
  }
}

bool UpdateForm::checkFields() {
  for (Field& f : fields_) {
    if (f.unreadable) {
      // Re-read what is in the entry: the user may have typed it again meanwhile.
      entryLeft(f, *f.unreadable);
      if (f.unreadable) return false;
    }
    if (!f.required) continue;
    const store::Record& r = table().record();
    bool empty = r.schema().columns[size_t(f.field)].type == store::ColumnType::Long
                     ? r.getLong(f.field) == 0
                     : base::rtrim(r.getText(f.field)).empty();
    if (empty) {
      screen().setStatus(0, f.title + " must not be empty.");
      setFocus(f.control);
      return false;
    }
  }
  return true;
}

bool UpdateForm::write() {
  data::TableHandle& h = table();
  if (h.validateRecord() != Level::Benign) {
    setFocus(firstField());
    return false;
  }
  // An insert writes the row the browse reserved (and numbered) for it; a table without
  // numbering adds it here.
  bool reserved = request() == Request::Insert && h.table().autoNumberKey >= 0;
  for (;;) {
    Level l = request() == Request::Insert && !reserved ? h.insert()
                                                        : session().relation(primary_).update();
    if (l == Level::Benign) return true;
    if (request() == Request::Insert && !reserved) return false;  // insert() told why
    if (h.error() == store::ErrorCode::DuplicateKey) {
      setFocus(firstField());
      return false;
    }
    if (session().messages().show(base::Msg::RetryUpdate) != base::Answer::Yes) {
      setFocus(firstField());
      return false;
    }
  }
}

bool UpdateForm::save() {
  if (!checkFields() || !write()) return false;
  session().savedRecords.insert_or_assign(def().procedure, table().record());
  screen().setStatus(0, {});
  finish(Response::Completed);
  return true;
}

void UpdateForm::restoreHistory(int control) {
  if (request() == Request::View) return;
  Field* f = fieldOf(control);
  auto it = session().savedRecords.find(def().procedure);
  if (!f || it == session().savedRecords.end()) return;
  table().record().setText(f->field, it->second.getText(f->field));
  f->unreadable.reset();
  showField(*f);
  setFocus(f->control);
}

}  // namespace ormile::windows
