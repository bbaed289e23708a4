// The steps of a window procedure and its event loop.
#include "windows/window_procedure.h"

namespace ormile::windows {

WindowProcedure::WindowProcedure(Session& session, platform::WindowDef def)
    : session_(session), def_(std::move(def)) {}

void WindowProcedure::setFocus(int control) {
  focus_ = control;
  screen().setFocus(id_, control);
}

int WindowProcedure::focusedControl() {
  int c = screen().focusedControl(id_);
  return c ? c : focus_;
}

void WindowProcedure::showHelp() {
  tell("Help", "No help is available for " + def_.procedure + ".");
}

void WindowProcedure::tell(const std::string& title, const std::string& text) {
  base::ShownMessage m;
  m.level = base::Level::Notify;
  m.title = title;
  m.text = text;
  session_.messages().answerer().ask(m);
}

Response WindowProcedure::run() {
  session_.pushProcedure(def_.procedure);
  request_ = session_.request;
  session_.request = Request::None;
  session_.response = Response::None;
  if (openTables() != base::Level::Benign) {
    session_.popProcedure();
    session_.response = Response::Cancelled;
    return Response::Cancelled;
  }
  if (!showsWindow()) {
    runHidden();
  } else {
    platform::PlacementState designed{def_.x, def_.y, def_.width, def_.height};
    placement_ = session_.settings().restore(def_.procedure, designed, def_.resizable);
    id_ = screen().open(def_, session_.events(), session_.topWindow());
    session_.windows.push_back(id_);
    if (placement_.x != designed.x || placement_.y != designed.y ||
        placement_.width != designed.width || placement_.height != designed.height ||
        placement_.maximized || placement_.minimized)
      screen().setPlacement(id_, placement_);
    init();
    showStatus();
    while (!done_) {
      screen().idle(id_);
      platform::Event e = session_.events().take();
      // Events of a window that has closed, or of a caller while a nested window holds the
      // thread, are not this window's to act on.
      if (e.window != id_) continue;
      if (e.kind == platform::EventKind::Placement) {
        placement_ = e.placement;
        continue;
      }
      takeEvent(e);
    }
    beforeClose();
    // A window that the user never moved has no place of its own to remember.
    if (placement_.x != platform::kDefaultPosition || placement_.maximized || placement_.minimized)
      session_.settings().save(def_.procedure, placement_, def_.resizable);
    screen().close(id_);
    session_.windows.pop_back();
  }
  closeTables();
  session_.popProcedure();
  session_.response = response_;
  return response_;
}

void WindowProcedure::takeEvent(const platform::Event& e) {
  switch (e.kind) {
    case platform::EventKind::Accepted:
      accepted(e);
      break;
    case platform::EventKind::CloseWindow:
      closeRequested();
      break;
    case platform::EventKind::GainedFocus:
      showStatus();
      break;
    default:
      break;
  }
}

}  // namespace ormile::windows
