// An update form: edits the thread's record of its primary table for one request. Insert and
// change show the window; "OK" checks every field in turn (an entry the user left unreadable
// or an empty required entry takes the focus and stops the save), then writes the record
// under the relation rules (an insert writes the row the browse reserved for it). A delete
// request asks "Confirm Delete" and deletes without showing the window; a view request saves
// nothing. Closing with unsaved changes asks "Save Record". The history key (0x2DE) and the
// tool bar's history button restore the focused field from the record this thread saved
// last with this form.
// Procedure thread only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/tables/table_handle.h"
#include "windows/picture.h"
#include "windows/window_procedure.h"

namespace ormile::windows {

// The alert key of the history action: Ctrl with virtual key DEh.
constexpr int kHistoryKey = 0x2DE;

class UpdateForm : public WindowProcedure {
 public:
  struct Captions {
    std::string insert, change, view;  // the action messages shown as the caption
  };

  UpdateForm(Session& session, platform::WindowDef def, data::Handle primary, Captions captions);

 protected:
  // Binds the entry `label` to `field` of the primary record; its picture, required flag
  // and place in the Tab order come from the entry's definition.
  void bindField(const std::string& label, int field);
  void bindOk(const std::string& label) { ok_ = control(label); }
  void bindCancel(const std::string& label) { cancel_ = control(label); }
  void bindHelp(const std::string& label) { help_ = control(label); }

  base::Level openTables() override;
  void closeTables() override;
  bool showsWindow() override { return request() != Request::Delete; }
  void runHidden() override;
  void init() override;
  void takeEvent(const platform::Event& e) override;
  void accepted(const platform::Event& e) override;
  void closeRequested() override;

  data::TableHandle& table() { return session()[primary_]; }

 private:
  struct Field {
    int control;
    int field;
    Picture picture;
    std::string title;  // the prompt's text without "&" and ":", for messages
    bool required;
    bool skip;
    std::optional<std::string> unreadable;  // the text the user typed that could not be stored
  };

  Field* fieldOf(int control);
  void showField(const Field& f);
  void showAll();
  void entryLeft(Field& f, const std::string& text);
  bool changed();
  int firstField() const;
  // "OK": checks, writes, closes with completed. False when the form stays open.
  bool save();
  bool checkFields();
  bool write();
  void restoreHistory(int control);
  void leave();

  data::Handle primary_;
  Captions captions_;
  std::vector<Field> fields_;
  int ok_ = 0, cancel_ = 0, help_ = 0;
  std::optional<store::Record> loaded_;  // the record as the form got it
};

}  // namespace ormile::windows
