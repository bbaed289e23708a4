// One window's client area built from its definition: the controls at their dialog-unit
// places for the window font, their events, the sheets' tab pages, the lists' pages, the
// window's timer and the focus highlight. The frame's child windows and the frame's own
// area are QtScreen's (qt_screen.cpp). GUI thread only.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QStandardItemModel>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

#include "platform/events.h"
#include "platform/qt/qt_support.h"
#include "platform/screen.h"

namespace ormile::platform::qt {

// Delivers an event of this window to its queue; the window id is filled in by the sink.
using PostEvent = std::function<void(Event)>;

class ChildWindow {
 public:
  ChildWindow(const WindowDef& def, PostEvent post);
  ~ChildWindow();
  ChildWindow(const ChildWindow&) = delete;
  ChildWindow& operator=(const ChildWindow&) = delete;

  // The client area; whoever shows the window takes ownership of it (deleting it deletes
  // every control).
  QWidget* canvas() const { return canvas_; }
  const WindowDef& def() const { return def_; }
  const DialogBase& base() const { return base_; }
  // The designed client size in pixels.
  QSize designedSize() const;

  QWidget* control(int id) const;
  void setText(int control, const std::string& text);
  void setEnabled(int control, bool enabled);
  void setVisible(int control, bool visible);
  void setFocus(int control);
  void selectTab(int sheet, int tab);
  void showList(int control, const std::vector<std::vector<std::string>>& rows, int selected);
  void showTree(int control, const std::vector<TreeEntry>& entries, int selected);
  void setPopupEnabled(int control, const std::string& name, bool enabled);
  void selectTreeEntry(int control, int selected);
  void setTimer(int hundredths);
  QTimer* timer() const { return timer_; }

  // Posts the pending edit of the focused entry (if any) before a press elsewhere, so that a
  // form's "OK" always comes after the text it saves.
  void flushEdit();
  // The application's focus moved; highlights `now` when it is one of this window's entries
  // or lists, and takes the highlight off `old`.
  void focusChanged(QWidget* old, QWidget* now);
  // The client area was resized: controls keep their share of the designed size.
  void relayout();

 private:
  struct Control {
    ControlDef def;
    QWidget* widget = nullptr;
    QStandardItemModel* model = nullptr;       // lists and trees
    bool shown = true;                         // as the procedure set it
    int sheet = 0;                             // for a Tab: its sheet's id
    int tabIndex = -1;                         // for a Tab: its page in the sheet
    std::map<std::string, bool> popupEnabled;  // pop-up items switched off or on by name
  };
  Control* find(int id);
  const Control* owning(const QWidget* w) const;
  void build(const ControlDef& c);
  void applyVisibility();
  bool onCurrentTab(const Control& c) const;
  QRect designedRect(const ControlDef& c, QWidget* w) const;
  void post(Event e) const { post_(std::move(e)); }
  void popupMenu(int control, QPoint at);
  void highlight(const Control* c);
  void placeHighlight();

  WindowDef def_;
  PostEvent post_;
  QFont font_;
  DialogBase base_;
  QPointer<QWidget> canvas_;
  QTimer* timer_ = nullptr;
  std::vector<Control> controls_;
  std::map<int, QRect> designed_;  // control id -> designed pixel rectangle
  bool quiet_ = false;             // set while the procedure, not the user, changes a control
  const Control* highlighted_ = nullptr;
  QPalette savedPalette_;
  QFont savedFont_;
  QWidget* box_ = nullptr;    // the yellow box behind the focused control
  QLabel* marker_ = nullptr;  // the marker to its left
};

}  // namespace ormile::platform::qt
