// The window procedure: the steps every window of the program goes through. run() pushes the
// procedure name, takes the pending request and clears request and response, opens the
// tables, opens the window from its definition at the placement stored under the procedure's
// name, runs the event loop until the window is done, then saves the placement, closes the
// window and the tables and pops the name. A window overrides the steps it needs.
// Resizing (each control keeping its share, the designed size the minimum) is the front
// end's, from the definition.
// Procedure thread only: a procedure runs on the thread of its session.
#pragma once

#include <string>

#include "base/messages.h"
#include "platform/window_def.h"
#include "windows/session.h"

namespace ormile::windows {

// The tool bar's control numbers, shared by the frame and every window that acts on them.
namespace tool {
enum : int {
  Insert = 3001,
  Change = 3002,
  Delete = 3003,
  Select = 3004,
  Bottom = 3005,
  Top = 3006,
  PageDown = 3007,
  PageUp = 3008,
  Down = 3009,
  Up = 3010,
  Locate = 3011,
  History = 3012,
  Help = 3013,
};
}

class WindowProcedure {
 public:
  WindowProcedure(Session& session, platform::WindowDef def);
  virtual ~WindowProcedure() = default;
  WindowProcedure(const WindowProcedure&) = delete;
  WindowProcedure& operator=(const WindowProcedure&) = delete;

  // Runs the window to its end and returns the response it leaves in the session.
  Response run();

  Session& session() { return session_; }
  platform::Screen& screen() { return session_.screen(); }
  platform::WindowId id() const { return id_; }
  const platform::WindowDef& def() const { return def_; }
  int control(const std::string& label) const { return def_.controlId(label); }
  // The request taken on opening.
  Request request() const { return request_; }

 protected:
  // Opens the window's tables. Benign, or a failure level that ends the window unopened
  // (the open's own message has been shown).
  virtual base::Level openTables() { return base::Level::Benign; }
  virtual void closeTables() {}
  // Whether the window is shown at all (a delete request's form is not). When not, run()
  // calls runHidden() instead of the loop.
  virtual bool showsWindow() { return true; }
  virtual void runHidden() {}
  // After the window opened: fill its controls.
  virtual void init() {}
  // One event of this window. Accepted events go to accepted().
  virtual void takeEvent(const platform::Event& e);
  virtual void accepted(const platform::Event& e) { (void)e; }
  // The user closes the window (system menu, close box). Default: done.
  virtual void closeRequested() { finish(); }
  // The status bar's first section while the window is active.
  virtual std::string statusText() const { return {}; }
  // Before the window closes.
  virtual void beforeClose() {}

  // Ends the loop after the current event with this response.
  void finish(Response response) {
    response_ = response;
    done_ = true;
  }
  void finish() { done_ = true; }
  bool done() const { return done_; }
  void setResponse(Response r) { response_ = r; }
  void showStatus() { screen().setStatus(0, statusText()); }
  // The standard help action. No help file comes with the program, so it says so.
  void showHelp();
  // A message of the window itself (not of the catalogue), with an OK button.
  void tell(const std::string& title, const std::string& text);
  void setFocus(int control);
  int focus() const { return focus_; }
  // The control with the keyboard focus as the front end knows it, else the last one set.
  int focusedControl();

 private:
  Session& session_;
  platform::WindowDef def_;
  platform::WindowId id_ = 0;
  Request request_ = Request::None;
  Response response_ = Response::None;
  bool done_ = false;
  int focus_ = 0;
  platform::PlacementState placement_;
};

}  // namespace ormile::windows
