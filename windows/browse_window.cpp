// Buttons, double-click, tabs and tool bar of a browse window.
#include "windows/browse_window.h"

namespace ormile::windows {

BrowseWindow::BrowseWindow(Session& session, platform::WindowDef def, data::Handle handle,
                           const std::string& listLabel)
    : WindowProcedure(session, std::move(def)), list_(*this, handle, control(listLabel)) {}

void BrowseWindow::bindButtons(const std::string& insert, const std::string& change,
                               const std::string& remove, const std::string& select) {
  buttons_.insert = insert.empty() ? 0 : control(insert);
  buttons_.change = change.empty() ? 0 : control(change);
  buttons_.remove = remove.empty() ? 0 : control(remove);
  buttons_.select = select.empty() ? 0 : control(select);
  select_ = buttons_.select;
  list_.setButtons(buttons_);
}

void BrowseWindow::init() {
  list_.setSelectMode(selectMode());
  if (select_) screen().setVisible(id(), select_, selectMode());
  list_.open();
  setFocus(list_.control());
}

void BrowseWindow::takeEvent(const platform::Event& e) {
  if (list_.takeEvent(e)) return;
  if (e.kind == platform::EventKind::DoubleClick && e.control == list_.control()) {
    platform::Event pick = e;
    pick.kind = platform::EventKind::NewSelection;
    list_.takeEvent(pick);
    if (selectMode())
      select();
    else
      list_.change();
    return;
  }
  if (e.kind == platform::EventKind::TabChanged && sheet_ && e.control == sheet_) {
    list_.setOrder(size_t(e.row));
    return;
  }
  WindowProcedure::takeEvent(e);
}

void BrowseWindow::accepted(const platform::Event& e) {
  const int c = e.control;
  if (c == tool::Insert || (c == buttons_.insert && c)) {
    list_.insert();
  } else if (c == tool::Change || (c == buttons_.change && c)) {
    list_.change();
  } else if (c == tool::Delete || (c == buttons_.remove && c)) {
    list_.remove();
  } else if ((c == tool::Select || (c == select_ && c)) && selectMode()) {
    select();
  } else if (c == close_ && c) {
    closeRequested();
  } else if (c == tool::Help || (c == help_ && c)) {
    showHelp();
  } else if (!list_.navigate(c)) {
    button(c);
  }
}

void BrowseWindow::closeRequested() {
  finish(selectMode() ? Response::Cancelled : Response::Completed);
}

void BrowseWindow::select() {
  if (list_.loadSelected()) finish(Response::Completed);
}

}  // namespace ormile::windows
