// A browse window: a window procedure around one browse list, with the list's update
// buttons, an optional select button, "Close" and "Help", a sheet whose tabs choose the sort
// order, and the frame's tool bar buttons acting on the list. With the select request the
// select button is the default and returns the highlighted row with completed (so does a
// double-click), and "Close" answers cancelled; otherwise the select button is hidden,
// a double-click changes the row and "Close" answers completed.
// Procedure thread only.
#pragma once

#include <memory>

#include "windows/browse_list.h"
#include "windows/window_procedure.h"

namespace ormile::windows {

class BrowseWindow : public WindowProcedure {
 public:
  BrowseWindow(Session& session, platform::WindowDef def, data::Handle handle,
               const std::string& listLabel);

  BrowseList& list() { return list_; }

 protected:
  // Controls by label; missing ones are left out.
  void bindButtons(const std::string& insert, const std::string& change, const std::string& remove,
                   const std::string& select);
  void bindClose(const std::string& close) { close_ = control(close); }
  void bindHelp(const std::string& help) { help_ = control(help); }
  // The sheet whose tab i selects the list's sort order i.
  void bindOrderSheet(const std::string& sheet) { sheet_ = control(sheet); }
  bool selectMode() const { return request() == Request::Select; }

  void init() override;
  void takeEvent(const platform::Event& e) override;
  void accepted(const platform::Event& e) override;
  void closeRequested() override;
  std::string statusText() const override { return "Browsing Records"; }
  // A button of the window that is none of the standard ones.
  virtual void button(int control) { (void)control; }

  void select();

 private:
  BrowseList list_;
  int select_ = 0;
  int close_ = 0;
  int help_ = 0;
  int sheet_ = 0;
  BrowseList::Buttons buttons_;
};

}  // namespace ormile::windows
