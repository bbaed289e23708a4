// The Qt front end of the Screen: the application frame (menu bar, tool bar, status bar and a
// multiple-document area whose tab strip is hidden) and its child windows, built from window
// definitions in dialog units. Widgets live on the GUI thread; a call from a procedure thread
// is queued to the GUI thread in the order it was made and returns at once, except ask(),
// which blocks the calling thread until the user answers. User input goes back as events to
// the queue that each window was opened with.
//
// This header includes no Qt header, so that the program can hold a QtScreen without
// including Qt Widgets; the widget accessors are for tests.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "platform/screen.h"

class QMainWindow;
class QMdiSubWindow;
class QWidget;
class QTimer;

namespace ormile::platform {

// Thread-safe as a Screen; construct, destroy and run exec()/serveUntil() on the GUI thread,
// after the QApplication exists (see QtApplication).
class QtScreen final : public Screen {
 public:
  QtScreen();
  ~QtScreen() override;
  QtScreen(const QtScreen&) = delete;
  QtScreen& operator=(const QtScreen&) = delete;

  WindowId openFrame(const FrameDef& frame, EventQueue& events) override;
  WindowId open(const WindowDef& window, EventQueue& events, WindowId owner = 0) override;
  void close(WindowId window) override;
  void setCaption(WindowId window, const std::string& caption) override;
  void setPlacement(WindowId window, const PlacementState& placement) override;
  void setText(WindowId window, int control, const std::string& text) override;
  void setEnabled(WindowId window, int control, bool enabled) override;
  void setPopupEnabled(WindowId window, int control, const std::string& name,
                       bool enabled) override;
  void selectTreeEntry(WindowId window, int control, int selected) override;
  void setVisible(WindowId window, int control, bool visible) override;
  void setFocus(WindowId window, int control) override;
  void selectTab(WindowId window, int sheet, int tab) override;
  void showList(WindowId window, int control, const std::vector<std::vector<std::string>>& rows,
                int selected) override;
  void showTree(WindowId window, int control, const std::vector<TreeEntry>& entries,
                int selected) override;
  void setTimer(WindowId window, int hundredths) override;
  void setWaitCursor(WindowId window, bool wait) override;
  void setStatus(int section, const std::string& text) override;
  void setToolEnabled(WindowId window, int control, bool enabled) override;
  void setToolVisible(WindowId window, int control, bool visible) override;
  void setToolTip(WindowId window, int control, const std::string& tip) override;
  std::pair<WindowId, EventQueue*> activeChild() override;
  base::Answer ask(WindowId window, const base::ShownMessage& message) override;
  bool postToActiveChild(Event event) override;
  void closeChildren() override;

  // The GUI loop. exec() runs it on the GUI thread until quit(), which any thread may call
  // (a quit() before exec() makes exec() return at once).
  void exec();
  void quit();
  // Runs the GUI loop until `done()` holds or `timeout` passed; true when done() held.
  // GUI thread only.
  bool serveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

  // Widgets, for tests. GUI thread only; null when the window or control is not there (yet:
  // a window opened from another thread is built when the GUI thread comes to it).
  QMainWindow* frameWidget() const;
  QMdiSubWindow* subWindow(WindowId window) const;
  QWidget* content(WindowId window) const;  // the client area that holds the controls
  QWidget* controlWidget(WindowId window, int control) const;
  QTimer* timer(WindowId window) const;
  std::vector<WindowId> childWindows() const;  // open child windows in opening order

  struct Impl;

 private:
  std::unique_ptr<Impl> d_;
};

// The QApplication of the program with the window fonts registered. GUI (main) thread only.
class QtApplication {
 public:
  QtApplication(int& argc, char** argv);
  ~QtApplication();

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace ormile::platform
