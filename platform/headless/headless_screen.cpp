// The headless front end's state, input and waits.
#include "platform/headless/headless_screen.h"

#include "base/text.h"

namespace ormile::platform {
namespace {

bool sameLabel(const std::string& a, const std::string& b) {
  return a.size() == b.size() && base::compareKeyText(a, b) == 0;
}

}  // namespace

// --- Screen ---

WindowId HeadlessScreen::openFrame(const FrameDef& frame, EventQueue& events) {
  std::lock_guard lock(mutex_);
  WindowId id = next_++;
  Window& w = windows_[id];
  w.def = frame.window;
  w.events = &events;
  w.frame = true;
  w.caption = frame.window.caption;
  w.placement = {frame.window.x, frame.window.y, frame.window.width, frame.window.height};
  for (const ToolButton& b : frame.toolbar) frameTools_[b.control] = {b.enabled, b.visible, b.tip};
  frame_ = id;
  queues_[&events];
  changed();
  return id;
}

WindowId HeadlessScreen::open(const WindowDef& def, EventQueue& events, WindowId owner) {
  std::lock_guard lock(mutex_);
  WindowId id = next_++;
  Window& w = windows_[id];
  w.def = def;
  w.events = &events;
  w.owner = owner;
  w.caption = def.caption;
  w.placement = {def.x, def.y, def.width, def.height};
  for (const ControlDef& c : def.controls) {
    Control& s = w.controls[c.id];
    s.def = c;
    s.text = c.text;
    s.enabled = !c.disabled;
    s.visible = !c.hidden;
  }
  if (Window* o = window(owner)) ++o->disabledBy;
  active_ = id;
  queues_[&events];
  changed();
  return id;
}

void HeadlessScreen::close(WindowId id) {
  std::lock_guard lock(mutex_);
  Window* w = window(id);
  if (!w) return;
  w->open = false;
  if (Window* o = window(w->owner)) --o->disabledBy;
  if (id == frame_) frame_ = 0;
  if (active_ == id) {
    // The owner, else the newest open child, becomes active.
    active_ = 0;
    if (window(w->owner) && !windows_[w->owner].frame) active_ = w->owner;
    for (auto it = windows_.rbegin(); active_ == 0 && it != windows_.rend(); ++it)
      if (it->second.open && !it->second.frame) active_ = it->first;
  }
  // A queue with no open window may die with its thread: forget it.
  EventQueue* q = w->events;
  bool used = false;
  for (const auto& [other, s] : windows_) used = used || (s.open && s.events == q);
  if (!used) queues_.erase(q);
  changed();
}

void HeadlessScreen::setCaption(WindowId id, const std::string& caption) {
  std::lock_guard lock(mutex_);
  if (Window* w = window(id)) w->caption = caption;
  changed();
}

void HeadlessScreen::setPlacement(WindowId id, const PlacementState& placement) {
  std::lock_guard lock(mutex_);
  if (Window* w = window(id)) w->placement = placement;
  changed();
}

void HeadlessScreen::setText(WindowId id, int control, const std::string& text) {
  std::lock_guard lock(mutex_);
  if (Window* w = window(id); w && w->controls.count(control)) w->controls[control].text = text;
  changed();
}

void HeadlessScreen::setEnabled(WindowId id, int control, bool enabled) {
  std::lock_guard lock(mutex_);
  if (Window* w = window(id); w && w->controls.count(control))
    w->controls[control].enabled = enabled;
  changed();
}

void HeadlessScreen::setVisible(WindowId id, int control, bool visible) {
  std::lock_guard lock(mutex_);
  if (Window* w = window(id); w && w->controls.count(control))
    w->controls[control].visible = visible;
  changed();
}

void HeadlessScreen::setFocus(WindowId id, int control) {
  std::lock_guard lock(mutex_);
  if (Window* w = window(id)) w->focus = control;
  changed();
}

void HeadlessScreen::selectTab(WindowId id, int sheet, int tab) {
  std::lock_guard lock(mutex_);
  if (Window* w = window(id); w && w->controls.count(sheet)) w->controls[sheet].tab = tab;
  changed();
}

void HeadlessScreen::showList(WindowId id, int control, const Rows& rows, int selected) {
  std::lock_guard lock(mutex_);
  if (Window* w = window(id); w && w->controls.count(control)) {
    w->controls[control].rows = rows;
    w->controls[control].selected = selected;
  }
  changed();
}

void HeadlessScreen::showTree(WindowId id, int control, const std::vector<TreeEntry>& entries,
                              int selected) {
  std::lock_guard lock(mutex_);
  if (Window* w = window(id); w && w->controls.count(control)) {
    w->controls[control].tree = entries;
    w->controls[control].selected = selected;
  }
  changed();
}

void HeadlessScreen::setTimer(WindowId id, int hundredths) {
  // Tests fire a timer by posting its event; nothing runs by the clock here.
  std::lock_guard lock(mutex_);
  if (Window* w = window(id)) w->timer = hundredths;
  changed();
}

void HeadlessScreen::setWaitCursor(WindowId id, bool wait) {
  std::lock_guard lock(mutex_);
  if (Window* w = window(id)) w->wait = wait;
  changed();
}

void HeadlessScreen::setStatus(int section, const std::string& text) {
  std::lock_guard lock(mutex_);
  status_[section] = text;
  changed();
}

void HeadlessScreen::setToolEnabled(WindowId id, int control, bool enabled) {
  std::lock_guard lock(mutex_);
  if (id == 0)
    frameTools_[control].enabled = enabled;
  else if (Window* w = window(id))
    w->tools[control].enabled = enabled;
  changed();
}

void HeadlessScreen::setToolVisible(WindowId id, int control, bool visible) {
  std::lock_guard lock(mutex_);
  if (id == 0)
    frameTools_[control].visible = visible;
  else if (Window* w = window(id))
    w->tools[control].visible = visible;
  changed();
}

void HeadlessScreen::setToolTip(WindowId id, int control, const std::string& tip) {
  std::lock_guard lock(mutex_);
  if (id == 0)
    frameTools_[control].tip = tip;
  else if (Window* w = window(id))
    w->tools[control].tip = tip;
  changed();
}

std::pair<WindowId, EventQueue*> HeadlessScreen::activeChild() {
  std::lock_guard lock(mutex_);
  Window* w = window(active_);
  if (!w || w->frame) return {0, nullptr};
  return {active_, w->events};
}

bool HeadlessScreen::postToActiveChild(Event event) {
  std::lock_guard lock(mutex_);
  Window* w = window(active_);
  if (!w || w->frame) return false;
  event.window = active_;
  w->events->post(std::move(event));
  ++queues_[w->events].posted;
  changed();
  return true;
}

void HeadlessScreen::closeChildren() {
  std::lock_guard lock(mutex_);
  for (auto& [id, w] : windows_) {
    if (!w.open || w.frame) continue;
    Event e;
    e.kind = EventKind::CloseWindow;
    e.window = id;
    w.events->post(e);
    ++queues_[w.events].posted;
  }
  changed();
}

base::Answer HeadlessScreen::ask(WindowId id, const base::ShownMessage& message) {
  std::unique_lock lock(mutex_);
  shown_.push_back(message);
  auto it = script_.find(message.title);
  if (it != script_.end() && !it->second.empty()) {
    base::Answer a = it->second.front();
    it->second.pop_front();
    changed();
    return a;
  }
  if (!hold_) {
    changed();
    return message.defaultAnswer;
  }
  long askId = nextAsk_++;
  Window* w = window(id);
  EventQueue* q = w ? w->events : nullptr;
  pending_.push_back({askId, id, q, message, std::nullopt});
  if (q) ++queues_[q].asking;
  changed();
  std::optional<base::Answer> answer;
  changed_.wait(lock, [&] {
    for (const PendingAsk& p : pending_)
      if (p.id == askId) {
        answer = p.answer;
        return answer.has_value();
      }
    return false;
  });
  for (auto p = pending_.begin(); p != pending_.end(); ++p)
    if (p->id == askId) {
      pending_.erase(p);
      break;
    }
  changed();
  return *answer;
}

void HeadlessScreen::idle(WindowId id) {
  std::lock_guard lock(mutex_);
  Window* w = window(id);
  if (!w) return;
  auto it = queues_.find(w->events);
  if (it == queues_.end()) return;
  if (w->events->empty()) it->second.idleAt = it->second.posted;
  changed();
}

int HeadlessScreen::focusedControl(WindowId id) {
  std::lock_guard lock(mutex_);
  const Window* w = window(id);
  return w ? w->focus : 0;
}

// --- Finding windows ---

WindowId HeadlessScreen::find(const std::string& procedure) const {
  std::lock_guard lock(mutex_);
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
    if (it->second.open && sameLabel(it->second.def.procedure, procedure)) return it->first;
  return 0;
}

std::vector<WindowId> HeadlessScreen::windowsOf(const std::string& procedure) const {
  std::lock_guard lock(mutex_);
  std::vector<WindowId> out;
  for (const auto& [id, w] : windows_)
    if (w.open && sameLabel(w.def.procedure, procedure)) out.push_back(id);
  return out;
}

WindowId HeadlessScreen::waitWindow(const std::string& procedure, int count,
                                    std::chrono::milliseconds timeout) {
  if (!waitFor([&] { return int(windowsOf(procedure).size()) >= count; }, timeout)) return 0;
  return find(procedure);
}

bool HeadlessScreen::isOpen(WindowId id) const {
  std::lock_guard lock(mutex_);
  return window(id) != nullptr;
}

void HeadlessScreen::activate(WindowId id) {
  std::lock_guard lock(mutex_);
  if (id == 0 || window(id)) active_ = id;
  changed();
}

// --- Input ---

bool HeadlessScreen::postLocked(Window& w, Event e) {
  if (!w.open || w.disabledBy > 0) return false;
  w.events->post(std::move(e));
  ++queues_[w.events].posted;
  changed();
  return true;
}

bool HeadlessScreen::inputControl(WindowId id, const std::string& label, ControlKind kind,
                                  Control*& c, Window*& w) {
  w = window(id);
  c = control(id, label);
  return w && c && c->def.kind == kind && c->enabled && c->visible;
}

bool HeadlessScreen::press(WindowId id, const std::string& label) {
  std::lock_guard lock(mutex_);
  Control* c;
  Window* w;
  if (!inputControl(id, label, ControlKind::Button, c, w)) return false;
  Event e;
  e.kind = EventKind::Accepted;
  e.window = id;
  e.control = c->def.id;
  return postLocked(*w, e);
}

bool HeadlessScreen::type(WindowId id, const std::string& label, const std::string& text) {
  std::lock_guard lock(mutex_);
  Control* c;
  Window* w;
  if (!inputControl(id, label, ControlKind::Entry, c, w) || w->disabledBy > 0) return false;
  c->text = text;
  w->focus = c->def.id;
  Event e;
  e.kind = EventKind::Accepted;
  e.window = id;
  e.control = c->def.id;
  e.text = text;
  return postLocked(*w, e);
}

bool HeadlessScreen::selectRow(WindowId id, const std::string& label, int row) {
  std::lock_guard lock(mutex_);
  Control* c;
  Window* w;
  if (!inputControl(id, label, ControlKind::List, c, w) || row < 0 || row >= int(c->rows.size()) ||
      w->disabledBy > 0)
    return false;
  c->selected = row;
  w->focus = c->def.id;
  Event e;
  e.kind = EventKind::NewSelection;
  e.window = id;
  e.control = c->def.id;
  e.row = row;
  return postLocked(*w, e);
}

bool HeadlessScreen::doubleClick(WindowId id, const std::string& label, int row) {
  std::lock_guard lock(mutex_);
  Control* c;
  Window* w;
  if (!inputControl(id, label, ControlKind::List, c, w) || row < 0 || row >= int(c->rows.size()))
    return false;
  Event e;
  e.kind = EventKind::DoubleClick;
  e.window = id;
  e.control = c->def.id;
  e.row = row;
  return postLocked(*w, e);
}

bool HeadlessScreen::locate(WindowId id, const std::string& label, const std::string& character) {
  std::lock_guard lock(mutex_);
  Control* c;
  Window* w;
  if (!inputControl(id, label, ControlKind::List, c, w)) return false;
  Event e;
  e.kind = EventKind::Locate;
  e.window = id;
  e.control = c->def.id;
  e.text = character;
  return postLocked(*w, e);
}

bool HeadlessScreen::scroll(WindowId id, const std::string& label, ScrollKey key) {
  std::lock_guard lock(mutex_);
  Control* c;
  Window* w;
  if (!inputControl(id, label, ControlKind::List, c, w)) return false;
  Event e;
  e.kind = EventKind::Scroll;
  e.window = id;
  e.control = c->def.id;
  e.key = key;
  return postLocked(*w, e);
}

bool HeadlessScreen::changeTab(WindowId id, const std::string& sheetLabel, int tab) {
  std::lock_guard lock(mutex_);
  Control* c;
  Window* w;
  if (!inputControl(id, sheetLabel, ControlKind::Sheet, c, w) || w->disabledBy > 0) return false;
  // The sheet's tabs are the Tab controls after it, up to the next sheet.
  int tabs = 0;
  bool inSheet = false;
  for (const ControlDef& d : w->def.controls) {
    if (d.kind == ControlKind::Sheet) inSheet = d.id == c->def.id;
    if (inSheet && d.kind == ControlKind::Tab) ++tabs;
  }
  if (tab < 0 || (tabs > 0 && tab >= tabs)) return false;
  c->tab = tab;
  Event e;
  e.kind = EventKind::TabChanged;
  e.window = id;
  e.control = c->def.id;
  e.row = tab;
  return postLocked(*w, e);
}

bool HeadlessScreen::key(WindowId id, const std::string& label, int keyCode) {
  std::lock_guard lock(mutex_);
  Window* w = window(id);
  Control* c = control(id, label);
  if (!w || !c || !c->enabled || !c->visible) return false;
  w->focus = c->def.id;
  Event e;
  e.kind = EventKind::Key;
  e.window = id;
  e.control = c->def.id;
  e.key = keyCode;
  return postLocked(*w, e);
}

bool HeadlessScreen::closeWindow(WindowId id) {
  std::lock_guard lock(mutex_);
  Window* w = window(id);
  if (!w) return false;
  Event e;
  e.kind = EventKind::CloseWindow;
  e.window = id;
  return postLocked(*w, e);
}

bool HeadlessScreen::focus(WindowId id, const std::string& label) {
  std::lock_guard lock(mutex_);
  Window* w = window(id);
  Control* c = control(id, label);
  if (!w || !c || !c->enabled || !c->visible || w->disabledBy > 0) return false;
  w->focus = c->def.id;
  changed();
  return true;
}

bool HeadlessScreen::pressTool(int controlNumber) {
  std::lock_guard lock(mutex_);
  Window* f = window(frame_);
  if (!f) return false;
  const Tool* t = nullptr;
  if (Window* a = window(active_); a && !a->frame && a->tools.count(controlNumber))
    t = &a->tools.at(controlNumber);
  else if (frameTools_.count(controlNumber))
    t = &frameTools_.at(controlNumber);
  if (!t || !t->enabled || !t->visible) return false;
  Event e;
  e.kind = EventKind::Accepted;
  e.window = frame_;
  e.control = controlNumber;
  return postLocked(*f, e);
}

bool HeadlessScreen::post(WindowId id, Event event) {
  std::lock_guard lock(mutex_);
  Window* w = window(id);
  if (!w) return false;
  event.window = id;
  if (!w->open) return false;
  // A posted event bypasses the disabling of a window's owner: the frame forwards to the
  // window that was active, as a real front end would post it.
  w->events->post(std::move(event));
  ++queues_[w->events].posted;
  changed();
  return true;
}

// --- Message boxes ---

void HeadlessScreen::answerNext(const std::string& title, base::Answer answer) {
  std::lock_guard lock(mutex_);
  script_[title].push_back(answer);
}

void HeadlessScreen::clearAnswers() {
  std::lock_guard lock(mutex_);
  script_.clear();
}

void HeadlessScreen::holdAsks(bool hold) {
  std::lock_guard lock(mutex_);
  hold_ = hold;
}

bool HeadlessScreen::answer(base::Answer a, const std::string& title,
                            std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  PendingAsk* found = nullptr;
  bool came = changed_.wait_for(lock, timeout, [&] {
    for (PendingAsk& p : pending_)
      if (!p.answer && (title.empty() || p.message.title == title)) {
        found = &p;
        return true;
      }
    return false;
  });
  if (!came) return false;
  found->answer = a;
  // From now on the thread is busy again, not waiting for the user: waitIdle must wait
  // for it even before it wakes.
  if (auto q = queues_.find(found->queue); found->queue && q != queues_.end()) --q->second.asking;
  changed();
  return true;
}

std::vector<base::ShownMessage> HeadlessScreen::messages() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

std::vector<std::string> HeadlessScreen::titles() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const auto& m : shown_) out.push_back(m.title);
  return out;
}

int HeadlessScreen::count(const std::string& title) const {
  std::lock_guard lock(mutex_);
  int n = 0;
  for (const auto& m : shown_) n += m.title == title;
  return n;
}

void HeadlessScreen::clearMessages() {
  std::lock_guard lock(mutex_);
  shown_.clear();
}

// --- Reading back ---

HeadlessScreen::Window* HeadlessScreen::window(WindowId id) {
  auto it = windows_.find(id);
  return it == windows_.end() || !it->second.open ? nullptr : &it->second;
}

const HeadlessScreen::Window* HeadlessScreen::window(WindowId id) const {
  auto it = windows_.find(id);
  return it == windows_.end() || !it->second.open ? nullptr : &it->second;
}

HeadlessScreen::Control* HeadlessScreen::control(WindowId id, const std::string& label) {
  Window* w = window(id);
  if (!w) return nullptr;
  for (auto& [cid, c] : w->controls)
    if (sameLabel(c.def.label, label)) return &c;
  return nullptr;
}

const HeadlessScreen::Control* HeadlessScreen::control(WindowId id,
                                                       const std::string& label) const {
  return const_cast<HeadlessScreen*>(this)->control(id, label);
}

std::string HeadlessScreen::caption(WindowId id) const {
  std::lock_guard lock(mutex_);
  const Window* w = window(id);
  return w ? w->caption : std::string();
}

std::string HeadlessScreen::text(WindowId id, const std::string& label) const {
  std::lock_guard lock(mutex_);
  const Control* c = control(id, label);
  return c ? c->text : std::string();
}

void HeadlessScreen::selectTreeEntry(WindowId id, int control, int selected) {
  std::lock_guard lock(mutex_);
  if (Window* w = window(id); w && w->controls.count(control))
    w->controls[control].selected = selected;
  changed();
}

void HeadlessScreen::setPopupEnabled(WindowId id, int control, const std::string& name,
                                     bool enabled) {
  std::lock_guard lock(mutex_);
  if (Window* w = window(id); w && w->controls.count(control))
    w->controls[control].popupEnabled[name] = enabled;
  changed();
}

bool HeadlessScreen::popupEnabled(WindowId id, const std::string& label,
                                  const std::string& name) const {
  std::lock_guard lock(mutex_);
  const Control* c = control(id, label);
  if (!c) return false;
  bool there = false;
  for (const PopupItem& item : c->def.popup) there |= item.name == name && !item.text.empty();
  auto it = c->popupEnabled.find(name);
  return there && (it == c->popupEnabled.end() || it->second);
}

bool HeadlessScreen::choosePopup(WindowId id, const std::string& label, const std::string& name) {
  if (!popupEnabled(id, label, name)) return false;
  std::lock_guard lock(mutex_);
  Window* w = window(id);
  const Control* c = control(id, label);
  if (!w || !c || !c->enabled || !c->visible || w->disabledBy > 0) return false;
  Event e;
  e.kind = EventKind::Accepted;
  e.window = id;
  e.control = c->def.id;
  e.text = name;
  return postLocked(*w, e);
}

bool HeadlessScreen::enabled(WindowId id, const std::string& label) const {
  std::lock_guard lock(mutex_);
  const Control* c = control(id, label);
  return c && c->enabled;
}

bool HeadlessScreen::visible(WindowId id, const std::string& label) const {
  std::lock_guard lock(mutex_);
  const Control* c = control(id, label);
  return c && c->visible;
}

std::string HeadlessScreen::focusLabel(WindowId id) const {
  std::lock_guard lock(mutex_);
  const Window* w = window(id);
  if (!w || !w->controls.count(w->focus)) return {};
  return w->controls.at(w->focus).def.label;
}

HeadlessScreen::Rows HeadlessScreen::rows(WindowId id, const std::string& label) const {
  std::lock_guard lock(mutex_);
  const Control* c = control(id, label);
  return c ? c->rows : Rows();
}

int HeadlessScreen::selected(WindowId id, const std::string& label) const {
  std::lock_guard lock(mutex_);
  const Control* c = control(id, label);
  return c ? c->selected : -1;
}

std::string HeadlessScreen::selectedCell(WindowId id, const std::string& label, int column) const {
  std::lock_guard lock(mutex_);
  const Control* c = control(id, label);
  if (!c || c->selected < 0 || c->selected >= int(c->rows.size())) return {};
  const auto& row = c->rows[size_t(c->selected)];
  return column >= 0 && column < int(row.size()) ? row[size_t(column)] : std::string();
}

std::vector<TreeEntry> HeadlessScreen::tree(WindowId id, const std::string& label) const {
  std::lock_guard lock(mutex_);
  const Control* c = control(id, label);
  return c ? c->tree : std::vector<TreeEntry>();
}

int HeadlessScreen::tab(WindowId id, const std::string& sheetLabel) const {
  std::lock_guard lock(mutex_);
  const Control* c = control(id, sheetLabel);
  return c ? c->tab : -1;
}

int HeadlessScreen::timer(WindowId id) const {
  std::lock_guard lock(mutex_);
  const Window* w = window(id);
  return w ? w->timer : 0;
}

bool HeadlessScreen::windowEnabled(WindowId id) const {
  std::lock_guard lock(mutex_);
  const Window* w = window(id);
  return w && w->disabledBy == 0;
}

PlacementState HeadlessScreen::placement(WindowId id) const {
  std::lock_guard lock(mutex_);
  const Window* w = window(id);
  return w ? w->placement : PlacementState{};
}

std::string HeadlessScreen::status(int section) const {
  std::lock_guard lock(mutex_);
  auto it = status_.find(section);
  return it == status_.end() ? std::string() : it->second;
}

bool HeadlessScreen::toolEnabled(WindowId id, int control) const {
  std::lock_guard lock(mutex_);
  const Window* w = window(id);
  if (w && w->tools.count(control)) return w->tools.at(control).enabled;
  return frameTools_.count(control) && frameTools_.at(control).enabled;
}

bool HeadlessScreen::toolVisible(WindowId id, int control) const {
  std::lock_guard lock(mutex_);
  const Window* w = window(id);
  if (w && w->tools.count(control)) return w->tools.at(control).visible;
  return !frameTools_.count(control) || frameTools_.at(control).visible;
}

const WindowDef* HeadlessScreen::definition(WindowId id) const {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(id);  // closed windows keep their entry
  return it == windows_.end() ? nullptr : &it->second.def;
}

// --- Waiting ---

bool HeadlessScreen::waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  auto until = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    std::unique_lock lock(mutex_);
    // The predicate reads through the public members, so it runs unlocked; a short wait
    // covers a change that lands between the check and the wait.
    auto step = std::min(until, std::chrono::steady_clock::now() + std::chrono::milliseconds(5));
    changed_.wait_until(lock, step);
    if (std::chrono::steady_clock::now() >= until) {
      lock.unlock();
      return done();
    }
  }
}

bool HeadlessScreen::waitIdle(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    for (const auto& [q, s] : queues_) {
      bool hasProcedure = false;
      for (const auto& [id, w] : windows_)
        hasProcedure = hasProcedure || (w.open && !w.frame && w.events == q);
      if (!hasProcedure) continue;  // the frame's queue is the test's or part of the frame
      if (s.asking > 0) continue;
      if (s.idleAt != s.posted) return false;
    }
    return true;
  });
}

}  // namespace ormile::platform
