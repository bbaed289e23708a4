// Events from a front end to a procedure thread, and the per-thread queue that carries them.
// The front end posts user input as events; the procedure thread takes them in order.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

namespace ormile::platform {

using WindowId = int;  // 0: no window

enum class EventKind {
  Accepted,      // a button pressed, an entry left with new text (`text`), a menu item chosen,
                 // a tool bar button pressed (control = its number)
  NewSelection,  // a list's highlighted row changed (`row`, 0-based within the shown page)
  DoubleClick,   // on a list row (`row`)
  Scroll,        // a list asks to move: `key` is one of the Scroll* values below
  Locate,        // a character typed in a list (`text`, UTF-8)
  Key,           // an alert key in a control (`key`, e.g. 0x2DE for Ctrl+DEh)
  TabChanged,    // a sheet shows another tab (`row` = tab index)
  Expanded,      // a tree node's box opened (`row` = display index)
  Contracted,    // a tree node's box closed (`row` = display index)
  Placement,     // the window moved, was resized, maximised or minimised (`placement`)
  CloseWindow,   // the user closes the window (system menu, close box, frame closing)
  Timer,         // the window's timer fired
  LostFocus,     // the window lost the focus
  GainedFocus,   // the window became active
  MouseLeft,     // clicks on the window itself (the splash)
  MouseRight,
  MouseDouble,
};

// Scroll requests of a list.
enum ScrollKey : int { ScrollUp = 1, ScrollDown, PageUp, PageDown, ScrollTop, ScrollBottom };

struct PlacementState {
  int x = 0, y = 0, width = 0, height = 0;  // dialog units
  bool maximized = false;
  bool minimized = false;
};

struct Event {
  EventKind kind = EventKind::Accepted;
  WindowId window = 0;
  int control = 0;
  int row = -1;
  int key = 0;
  std::string text;
  PlacementState placement;
};

// Thread-safe: any thread posts, the owning procedure thread takes.
class EventQueue {
 public:
  void post(Event e);
  // Waits for the next event.
  Event take();
  // Waits at most `timeout`; nullopt when nothing came.
  std::optional<Event> take(std::chrono::milliseconds timeout);
  bool empty() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Event> events_;  // guarded by mutex_
};

}  // namespace ormile::platform
