// The Screen: everything a window procedure asks of the display, as whole, ordered updates.
// A procedure never touches a widget; it opens a window from its definition, changes control
// properties, pushes list pages and tree entries, asks message boxes and closes. User input
// comes back as events on the queue that the window was opened with.
//
// Two implementations: the Qt front end (platform/qt, the product) and the headless front end
// (platform/headless/headless_screen.h) in which tests press, type, select and answer.
//
// Thread contract: thread-safe. Every call may come from any procedure thread; only ask()
// blocks the caller (until the user answers), no other call waits for the display.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/messages.h"
#include "platform/events.h"
#include "platform/window_def.h"

namespace ormile::platform {

// The frame's menu: items carry a command number that the frame's queue receives as an
// Accepted event with control = command. Kind Window lists the open child windows after
// its items; Tile, Cascade and ArrangeIcons are the standard actions of the front end.
struct MenuEntry {
  enum class Kind { Item, Menu, Separator, Exit, Tile, Cascade, ArrangeIcons };
  Kind kind = Kind::Item;
  std::string text;       // "E&xit", "SQL Parts"
  std::string statusTip;  // shown in the first status-bar section under the mouse
  int command = 0;
  bool windowList = false;         // a menu that also lists the open child windows
  std::vector<MenuEntry> entries;  // a menu's items
};

struct ToolButton {
  int control = 0;       // 3001 ...
  std::string icon;      // name of an icon of the front end ("INSERT", "VCRFIRST", ...)
  std::string tip;       // empty: none
  bool enabled = false;  // at start
  bool visible = true;   // at start
  int gapBefore = 0;     // extra dialog units before the button
};

struct FrameDef {
  WindowDef window;  // caption, placement, font (controls unused)
  std::vector<MenuEntry> menu;
  std::vector<ToolButton> toolbar;
  std::vector<int> statusWidths;  // dialog units; -1: the rest of the bar
};

// One shown node of a tree list: its text, its depth (negative when collapsed and it has
// children), and an icon of the front end (may be empty).
struct TreeEntry {
  std::string text;
  int depth = 1;
  std::string icon;
};

class Screen {
 public:
  virtual ~Screen() = default;

  // The application frame, on the main thread's queue. Menu commands and tool bar presses
  // arrive there as Accepted events; CloseWindow when the user closes it.
  virtual WindowId openFrame(const FrameDef& frame, EventQueue& events) = 0;

  // Opens a child window of the frame. When `owner` is a window, it is disabled until this
  // one closes (a nested form on its caller's thread). Events of the window go to `events`
  // with Event::window set to the returned id.
  virtual WindowId open(const WindowDef& window, EventQueue& events, WindowId owner = 0) = 0;
  virtual void close(WindowId window) = 0;

  virtual void setCaption(WindowId window, const std::string& caption) = 0;
  virtual void setPlacement(WindowId window, const PlacementState& placement) = 0;
  // Control properties. Text is UTF-8: a button's or prompt's caption, an entry's contents
  // (already formatted by its picture), a display's value.
  virtual void setText(WindowId window, int control, const std::string& text) = 0;
  virtual void setEnabled(WindowId window, int control, bool enabled) = 0;
  virtual void setVisible(WindowId window, int control, bool visible) = 0;
  virtual void setFocus(WindowId window, int control) = 0;
  virtual void selectTab(WindowId window, int sheet, int tab) = 0;
  // A list shows exactly `rows` (one page, cells already formatted), `selected` highlighted
  // (-1: none). The list scrolls by asking (Scroll events); the procedure answers with pages.
  virtual void showList(WindowId window, int control,
                        const std::vector<std::vector<std::string>>& rows, int selected) = 0;
  // A tree list shows `entries` in display order, `selected` highlighted.
  virtual void showTree(WindowId window, int control, const std::vector<TreeEntry>& entries,
                        int selected) = 0;
  // Highlights entry `selected` of the tree list last shown, without sending its entries
  // again. Front ends that keep no list of their own may ignore it.
  virtual void selectTreeEntry(WindowId window, int control, int selected) {
    (void)window, (void)control, (void)selected;
  }
  // The window's timer: a Timer event every `hundredths` hundredths of a second; 0 stops it.
  virtual void setTimer(WindowId window, int hundredths) = 0;
  virtual void setWaitCursor(WindowId window, bool wait) = 0;
  // A section of the frame's status bar (0 is the first).
  virtual void setStatus(int section, const std::string& text) = 0;
  // Tool bar state while `window` is the active window (0: the frame's own state).
  virtual void setToolEnabled(WindowId window, int control, bool enabled) = 0;
  virtual void setToolVisible(WindowId window, int control, bool visible) = 0;
  virtual void setToolTip(WindowId window, int control, const std::string& tip) = 0;
  // Enables or disables the pop-up menu item `name` of a control (all start enabled).
  virtual void setPopupEnabled(WindowId window, int control, const std::string& name,
                               bool enabled) {
    (void)window, (void)control, (void)name, (void)enabled;
  }

  // The active child window and its queue, or {0, nullptr} when the frame itself is active.
  // Read by the frame to pass a tool bar press on.
  virtual std::pair<WindowId, EventQueue*> activeChild() = 0;

  // A modal message box, window-modal to `window` (0: the frame). Blocks the calling thread
  // only, until the user answers.
  virtual base::Answer ask(WindowId window, const base::ShownMessage& message) = 0;

  // Optional hooks; a front end that has no use for them keeps the empty defaults.
  // The procedure thread of `window` has handled every event it took and now waits for the
  // next one (tests wait for this instead of sleeping).
  virtual void idle(WindowId /*window*/) {}
  // The control of `window` that has the keyboard focus, 0 when the front end does not say
  // (the window then goes by the control it last focused or heard from).
  virtual int focusedControl(WindowId /*window*/) { return 0; }

  // Posts `event` to the active child window's queue with Event::window set to that window;
  // false when the frame itself is active. A front end that can close a window while this
  // runs overrides it to post under the lock that close() takes, so that the queue of a
  // window closing on another thread is never reached. The default goes through
  // activeChild().
  virtual bool postToActiveChild(Event event) {
    auto [window, queue] = activeChild();
    if (!queue) return false;
    event.window = window;
    queue->post(std::move(event));
    return true;
  }
  // Posts CloseWindow to every open child window of the frame (the program is ending); each
  // closes when its procedure closes it. The default does nothing.
  virtual void closeChildren() {}
};

}  // namespace ormile::platform
