// The headless front end: a Screen that keeps every window, control and message in memory,
// so that tests drive window procedures as a user would — press buttons, type into entries,
// select, double-click and scroll list rows, type locator characters, change tabs, press
// tool bar buttons, close windows and answer message boxes — and read back what each
// procedure showed. Input posts exactly the events a real front end posts.
//
// Message boxes are answered from a script per title, else by their default answer; in
// held mode (holdAsks) an ask waits until the test answers it, so a test can see a thread
// stand in a box while others go on.
//
// Thread contract: thread-safe; every member may be called from any thread. Only ask()
// (in held mode) and the wait functions block.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/screen.h"

namespace ormile::platform {

class HeadlessScreen : public Screen {
 public:
  using Rows = std::vector<std::vector<std::string>>;
  static constexpr std::chrono::milliseconds kWait{20000};

  // --- Screen ---
  WindowId openFrame(const FrameDef& frame, EventQueue& events) override;
  WindowId open(const WindowDef& window, EventQueue& events, WindowId owner = 0) override;
  void close(WindowId window) override;
  void setCaption(WindowId window, const std::string& caption) override;
  void setPlacement(WindowId window, const PlacementState& placement) override;
  void setText(WindowId window, int control, const std::string& text) override;
  void setEnabled(WindowId window, int control, bool enabled) override;
  void setVisible(WindowId window, int control, bool visible) override;
  void setFocus(WindowId window, int control) override;
  void selectTab(WindowId window, int sheet, int tab) override;
  void showList(WindowId window, int control, const Rows& rows, int selected) override;
  void showTree(WindowId window, int control, const std::vector<TreeEntry>& entries,
                int selected) override;
  void setTimer(WindowId window, int hundredths) override;
  void setWaitCursor(WindowId window, bool wait) override;
  void setStatus(int section, const std::string& text) override;
  void setToolEnabled(WindowId window, int control, bool enabled) override;
  void setToolVisible(WindowId window, int control, bool visible) override;
  void setToolTip(WindowId window, int control, const std::string& tip) override;
  void setPopupEnabled(WindowId window, int control, const std::string& name,
                       bool enabled) override;
  void selectTreeEntry(WindowId window, int control, int selected) override;
  std::pair<WindowId, EventQueue*> activeChild() override;
  bool postToActiveChild(Event event) override;
  void closeChildren() override;
  base::Answer ask(WindowId window, const base::ShownMessage& message) override;
  void idle(WindowId window) override;
  int focusedControl(WindowId window) override;

  // --- Finding windows ---
  // The newest open window of this procedure, or 0.
  WindowId find(const std::string& procedure) const;
  // The open windows of this procedure, oldest first.
  std::vector<WindowId> windowsOf(const std::string& procedure) const;
  // Waits until `count` windows of the procedure are open; the newest, or 0 after the wait.
  WindowId waitWindow(const std::string& procedure, int count = 1,
                      std::chrono::milliseconds timeout = kWait);
  bool isOpen(WindowId window) const;
  // Makes `window` the active child (opening a child activates it; 0 activates the frame).
  void activate(WindowId window);

  // --- Input (false when the window or control is not open, shown and enabled) ---
  bool press(WindowId window, const std::string& label);
  // Types into an entry: its text becomes `text` and Accepted with the text is posted.
  bool type(WindowId window, const std::string& label, const std::string& text);
  bool selectRow(WindowId window, const std::string& label, int row);
  bool doubleClick(WindowId window, const std::string& label, int row);
  bool locate(WindowId window, const std::string& label, const std::string& character);
  bool scroll(WindowId window, const std::string& label, ScrollKey key);
  bool changeTab(WindowId window, const std::string& sheetLabel, int tab);
  bool key(WindowId window, const std::string& label, int keyCode);
  bool closeWindow(WindowId window);
  bool focus(WindowId window, const std::string& label);
  // A tool bar press as the frame receives it: Accepted with the button's number on the
  // frame's queue. False when no frame is open or the button is disabled for the active
  // window.
  bool pressTool(int control);
  // Any event, as a front end would post it to the window's queue (window set here).
  bool post(WindowId window, Event event);

  // --- Message boxes ---
  void answerNext(const std::string& title, base::Answer answer);
  // Forgets the scripted answers not used yet.
  void clearAnswers();
  // When held, an ask without a scripted answer waits for answer().
  void holdAsks(bool hold);
  // Answers the oldest waiting box with this title (any title when empty); false after the
  // wait when none came.
  bool answer(base::Answer answer, const std::string& title = {},
              std::chrono::milliseconds timeout = kWait);
  std::vector<base::ShownMessage> messages() const;
  std::vector<std::string> titles() const;
  int count(const std::string& title) const;
  void clearMessages();

  // --- Reading back ---
  std::string caption(WindowId window) const;
  std::string text(WindowId window, const std::string& label) const;
  bool enabled(WindowId window, const std::string& label) const;
  // A pop-up menu item of a control: whether it is there and enabled; choosing it posts what
  // a real menu posts (false when the item is missing or disabled).
  bool popupEnabled(WindowId window, const std::string& label, const std::string& name) const;
  bool choosePopup(WindowId window, const std::string& label, const std::string& name);
  bool visible(WindowId window, const std::string& label) const;
  std::string focusLabel(WindowId window) const;
  Rows rows(WindowId window, const std::string& label) const;
  int selected(WindowId window, const std::string& label) const;
  // Column `column` of the highlighted row, empty when none.
  std::string selectedCell(WindowId window, const std::string& label, int column) const;
  std::vector<TreeEntry> tree(WindowId window, const std::string& label) const;
  int tab(WindowId window, const std::string& sheetLabel) const;
  int timer(WindowId window) const;
  bool windowEnabled(WindowId window) const;
  PlacementState placement(WindowId window) const;
  std::string status(int section) const;
  bool toolEnabled(WindowId window, int control) const;
  bool toolVisible(WindowId window, int control) const;
  const WindowDef* definition(WindowId window) const;  // valid while the screen lives

  // --- Waiting (no sleeps in tests) ---
  // Waits until `done` holds; it is re-checked after every change of the screen. False
  // after the timeout.
  bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = kWait);
  // Waits until every open window's procedure thread has handled all posted events and
  // waits for more, or stands in a message box. False after the timeout.
  bool waitIdle(std::chrono::milliseconds timeout = kWait);

 private:
  struct Control {
    ControlDef def;
    std::string text;
    bool enabled = true;
    bool visible = true;
    Rows rows;
    int selected = -1;
    std::vector<TreeEntry> tree;
    int tab = 0;
    std::map<std::string, bool> popupEnabled;  // items switched off or on by name
  };
  struct Tool {
    bool enabled = false;
    bool visible = true;
    std::string tip;
  };
  struct Window {
    WindowDef def;
    EventQueue* events = nullptr;
    WindowId owner = 0;
    bool open = true;
    bool frame = false;
    int disabledBy = 0;  // nested windows open on it
    std::string caption;
    PlacementState placement;
    int focus = 0;
    int timer = 0;
    bool wait = false;
    std::map<int, Control> controls;
    std::map<int, Tool> tools;
  };
  struct QueueState {
    long posted = 0;
    long idleAt = -1;  // the posted count when the thread last waited with nothing left
    int asking = 0;    // boxes its thread stands in
  };
  struct PendingAsk {
    long id;
    WindowId window;
    EventQueue* queue;  // its thread's queue, counted as asking until answered
    base::ShownMessage message;
    std::optional<base::Answer> answer;
  };

  Window* window(WindowId id);  // open windows only; mutex_ held
  const Window* window(WindowId id) const;
  Control* control(WindowId id, const std::string& label);
  const Control* control(WindowId id, const std::string& label) const;
  // Posts to an open, enabled window; mutex_ held.
  bool postLocked(Window& w, Event e);
  bool inputControl(WindowId id, const std::string& label, ControlKind kind, Control*& c,
                    Window*& w);
  void changed() { changed_.notify_all(); }

  mutable std::mutex mutex_;
  std::condition_variable changed_;           // notified under mutex_ after every change
  std::map<WindowId, Window> windows_;        // guarded by mutex_
  std::map<EventQueue*, QueueState> queues_;  // guarded by mutex_
  WindowId next_ = 1;                         // guarded by mutex_
  WindowId frame_ = 0;                        // guarded by mutex_
  WindowId active_ = 0;                       // guarded by mutex_
  std::map<int, std::string> status_;         // guarded by mutex_
  std::map<int, Tool> frameTools_;            // guarded by mutex_
  std::map<std::string, std::deque<base::Answer>> script_;  // guarded by mutex_
  bool hold_ = false;                                       // guarded by mutex_
  std::deque<PendingAsk> pending_;                          // guarded by mutex_
  long nextAsk_ = 1;                                        // guarded by mutex_
  std::vector<base::ShownMessage> shown_;                   // guarded by mutex_
};

}  // namespace ormile::platform
