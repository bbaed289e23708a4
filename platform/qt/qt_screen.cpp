#include "platform/qt/qt_screen.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <atomic>
#include <future>
#include <map>
#include <mutex>
#include <optional>

#include "platform/qt/qt_support.h"
#include "platform/qt/qt_window.h"

namespace ormile::platform {
using qt::ChildWindow;
using qt::DialogBase;
using qt::qs;

namespace {

// A window whose close box asks the procedure (which closes the window when it is ready
// to), and whose moves, resizes and state changes are reported: the frame's child windows
// and the frame itself.
template <class Base>
class ReportingWindow : public Base {
 public:
  std::function<void()> onClose;
  std::function<void()> onPlacement;
  bool allowClose = false;

 protected:
  void closeEvent(QCloseEvent* e) override {
    if (allowClose) return Base::closeEvent(e);
    e->ignore();
    if (onClose) onClose();
  }
  void moveEvent(QMoveEvent* e) override {
    Base::moveEvent(e);
    if (onPlacement) onPlacement();
  }
  void resizeEvent(QResizeEvent* e) override {
    Base::resizeEvent(e);
    if (onPlacement) onPlacement();
  }
  void changeEvent(QEvent* e) override {
    Base::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && onPlacement) onPlacement();
  }
};
using SubWindow = ReportingWindow<QMdiSubWindow>;
using FrameWindow = ReportingWindow<QMainWindow>;

bool samePlacement(const PlacementState& a, const PlacementState& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height &&
         a.maximized == b.maximized && a.minimized == b.minimized;
}

}  // namespace

struct QtScreen::Impl {
  // Receives the calls queued from procedure threads; lives on the GUI thread.
  QObject gui;

  std::mutex mutex;
  std::map<WindowId, EventQueue*> queues;               // guarded by mutex
  std::pair<WindowId, EventQueue*> active{0, nullptr};  // guarded by mutex
  std::atomic<int> nextId{1};
  std::atomic<bool> quitRequested{false};

  // Message boxes that procedure threads wait for; answered with their default when the
  // screen goes away first, so no thread waits forever.
  struct PendingBox {
    std::promise<base::Answer> promise;
    base::Answer fallback = base::Answer::Ok;
    bool done = false;  // guarded by boxMutex
  };
  std::mutex boxMutex;
  std::vector<std::shared_ptr<PendingBox>> pending;  // guarded by boxMutex

  // Everything below: GUI thread only.
  QEventLoop* loop = nullptr;
  FrameWindow* frame = nullptr;
  WindowId frameId = 0;
  bool frameClosed = false;  // its procedure closed it; hidden once no child is left
  FrameDef frameDef;
  DialogBase frameBase;
  PlacementState frameLast;
  QMdiArea* mdi = nullptr;
  QToolBar* toolbar = nullptr;
  std::vector<QLabel*> status;
  QMenu* windowMenu = nullptr;
  std::vector<QAction*> windowListActions;
  std::map<int, QAction*> tools;
  struct ToolState {
    std::optional<bool> enabled, visible;
    std::optional<std::string> tip;
  };
  std::map<WindowId, std::map<int, ToolState>> toolStates;  // 0: the frame's own
  struct Win {
    std::unique_ptr<ChildWindow> child;
    SubWindow* sub = nullptr;
    WindowId owner = 0;
    int disabled = 0;  // nested windows and message boxes that hold it
    PlacementState last;
    bool placed = false;
  };
  std::map<WindowId, Win> wins;
  std::vector<WindowId> order;
  WindowId activeGui = 0;

  bool onGui() const { return QThread::currentThread() == gui.thread(); }
  void run(std::function<void()> f) {
    if (onGui())
      f();
    else
      QMetaObject::invokeMethod(&gui, std::move(f), Qt::QueuedConnection);
  }
  // Delivers an event to a window's queue unless the window has been closed.
  void post(WindowId id, Event e) {
    std::lock_guard lock(mutex);
    auto it = queues.find(id);
    if (it == queues.end()) return;
    e.window = id;
    it->second->post(std::move(e));
  }
  Win* win(WindowId id) {
    auto it = wins.find(id);
    return it == wins.end() ? nullptr : &it->second;
  }
  WindowId idOf(const QMdiSubWindow* sub) const {
    for (const auto& [id, w] : wins)
      if (w.sub == sub) return id;
    return 0;
  }

  void ensureFrame();
  void buildFrame(const FrameDef& def);
  void addMenuEntries(QMenu* menu, const std::vector<MenuEntry>& entries);
  QAction* makeAction(QWidget* parent, const MenuEntry& e);
  void refreshWindowList();
  void arrangeIcons();
  void framePlacement();
  void childPlacement(WindowId id);
  void activated(QMdiSubWindow* sub);
  void applyTools(WindowId id);
  void hold(WindowId id, int delta);
  void openChild(WindowId id, const WindowDef& def, WindowId owner);
  void closeChild(WindowId id);
  void placeChild(Win& w, const PlacementState& p);
  void showBox(WindowId window, const base::ShownMessage& m,
               std::function<void(base::Answer)> done);
  ChildWindow* child(WindowId id) {
    Win* w = win(id);
    return w ? w->child.get() : nullptr;
  }
};

void QtScreen::Impl::ensureFrame() {
  if (frame) return;
  FrameDef bare;
  bare.window.caption = "Ormile";
  bare.window.width = 523;
  bare.window.height = 345;
  buildFrame(bare);
}

void QtScreen::Impl::buildFrame(const FrameDef& def) {
  frameDef = def;
  frame = new FrameWindow;
  QFont font = qt::fontOf(def.window.font);
  frame->setFont(font);
  frameBase = qt::dialogBaseOf(font);
  frame->setWindowTitle(qs(def.window.caption));
  frame->setWindowIcon(qt::drawIcon("TREE"));
  mdi = new QMdiArea;
  mdi->setViewMode(QMdiArea::SubWindowView);  // no tab strip of child windows
  mdi->setActivationOrder(QMdiArea::ActivationHistoryOrder);
  frame->setCentralWidget(mdi);
  QObject::connect(mdi, &QMdiArea::subWindowActivated, frame,
                   [this](QMdiSubWindow* sub) { activated(sub); });

  for (const MenuEntry& e : def.menu) {
    if (e.kind == MenuEntry::Kind::Menu) {
      QMenu* m = frame->menuBar()->addMenu(qs(e.text));
      m->menuAction()->setStatusTip(qs(e.statusTip));
      addMenuEntries(m, e.entries);
      if (e.windowList) {
        windowMenu = m;
        QObject::connect(m, &QMenu::aboutToShow, m, [this] { refreshWindowList(); });
      }
    } else if (e.kind != MenuEntry::Kind::Separator) {
      frame->menuBar()->addAction(makeAction(frame->menuBar(), e));
    }
  }

  if (!def.toolbar.empty()) {
    toolbar = new QToolBar(QStringLiteral("Tools"));
    toolbar->setObjectName(QStringLiteral("toolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setIconSize(QSize(16, 16));
    toolbar->setFixedHeight(frameBase.py(16));
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    frame->addToolBar(Qt::TopToolBarArea, toolbar);
    for (const ToolButton& t : def.toolbar) {
      if (t.gapBefore > 0) {
        auto* gap = new QWidget;
        gap->setFixedWidth(frameBase.px(t.gapBefore));
        toolbar->addWidget(gap);
      }
      QAction* a = toolbar->addAction(qt::drawIcon(t.icon), QString());
      a->setData(t.control);
      a->setObjectName(QStringLiteral("tool%1").arg(t.control));
      a->setProperty("iconName", qs(t.icon));
      a->setToolTip(qs(t.tip));
      a->setEnabled(t.enabled);
      a->setVisible(t.visible);
      if (QWidget* b = toolbar->widgetForAction(a))
        b->setFixedSize(frameBase.px(16), frameBase.py(14));
      const int control = t.control;
      QObject::connect(a, &QAction::triggered, a, [this, control] {
        // The press belongs to the active window: its entry's edit comes first.
        if (ChildWindow* c = child(activeGui)) c->flushEdit();
        Event e;
        e.control = control;
        post(frameId, e);
      });
      tools[t.control] = a;
    }
  }

  for (int width : def.statusWidths) {
    auto* l = new QLabel;
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    status.push_back(l);
    if (width < 0) {
      frame->statusBar()->addWidget(l, 1);
    } else {
      l->setFixedWidth(frameBase.px(width));
      frame->statusBar()->addPermanentWidget(l);
    }
  }
  if (def.statusWidths.empty()) frame->statusBar();

  frame->onClose = [this] {
    Event e;
    e.kind = EventKind::CloseWindow;
    post(frameId, e);
  };
  frame->onPlacement = [this] { framePlacement(); };
  const WindowDef& w = def.window;
  frame->resize(frameBase.px(w.width > 0 ? w.width : 523),
                frameBase.py(w.height > 0 ? w.height : 345));
  if (w.x != kDefaultPosition && w.y != kDefaultPosition)
    frame->move(frameBase.px(w.x), frameBase.py(w.y));
  frame->show();
  frame->activateWindow();
}

QAction* QtScreen::Impl::makeAction(QWidget* parent, const MenuEntry& e) {
  auto* a = new QAction(qs(e.text), parent);
  a->setStatusTip(qs(e.statusTip));
  switch (e.kind) {
    case MenuEntry::Kind::Exit:
      QObject::connect(a, &QAction::triggered, a, [this] { frame->close(); });
      break;
    case MenuEntry::Kind::Tile:
      QObject::connect(a, &QAction::triggered, a, [this] { mdi->tileSubWindows(); });
      break;
    case MenuEntry::Kind::Cascade:
      QObject::connect(a, &QAction::triggered, a, [this] { mdi->cascadeSubWindows(); });
      break;
    case MenuEntry::Kind::ArrangeIcons:
      QObject::connect(a, &QAction::triggered, a, [this] { arrangeIcons(); });
      break;
    default: {
      // An item without a command has nothing to start yet: shown, but disabled.
      a->setEnabled(e.command != 0);
      const int command = e.command;
      QObject::connect(a, &QAction::triggered, a, [this, command] {
        Event ev;
        ev.control = command;
        post(frameId, ev);
      });
    }
  }
  return a;
}

void QtScreen::Impl::addMenuEntries(QMenu* menu, const std::vector<MenuEntry>& entries) {
  for (const MenuEntry& e : entries) {
    if (e.kind == MenuEntry::Kind::Separator) {
      menu->addSeparator();
    } else if (e.kind == MenuEntry::Kind::Menu) {
      QMenu* sub = menu->addMenu(qs(e.text));
      sub->menuAction()->setStatusTip(qs(e.statusTip));
      addMenuEntries(sub, e.entries);
    } else {
      menu->addAction(makeAction(menu, e));
    }
  }
}

void QtScreen::Impl::refreshWindowList() {
  for (QAction* a : windowListActions) {
    windowMenu->removeAction(a);
    a->deleteLater();
  }
  windowListActions.clear();
  int n = 0;
  for (WindowId id : order) {
    Win* w = win(id);
    if (!w || !w->sub->isVisible()) continue;
    if (n == 0) windowListActions.push_back(windowMenu->addSeparator());
    ++n;
    QString title = w->sub->windowTitle();
    if (title.isEmpty()) title = qs(w->child->def().procedure);
    QAction* a = windowMenu->addAction(n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(title)
                                              : QStringLiteral("%1 %2").arg(n).arg(title));
    a->setCheckable(true);
    a->setChecked(id == activeGui);
    QObject::connect(a, &QAction::triggered, a, [this, id] {
      if (Win* w = win(id)) {
        if (w->sub->isMinimized()) w->sub->showNormal();
        mdi->setActiveSubWindow(w->sub);
      }
    });
    windowListActions.push_back(a);
  }
}

void QtScreen::Impl::arrangeIcons() {
  // Minimised windows in a row along the bottom of the area, left to right.
  int x = 0;
  for (WindowId id : order) {
    Win* w = win(id);
    if (!w || !w->sub->isMinimized()) continue;
    QSize s = w->sub->size();
    if (x > 0 && x + s.width() > mdi->viewport()->width()) x = 0;
    w->sub->move(x, mdi->viewport()->height() - s.height());
    x += s.width();
  }
}

void QtScreen::Impl::framePlacement() {
  PlacementState p;
  p.maximized = frame->isMaximized();
  p.minimized = frame->isMinimized();
  if (!p.maximized && !p.minimized) {
    p.x = frameBase.toDuX(frame->x());
    p.y = frameBase.toDuY(frame->y());
    p.width = frameBase.toDuX(frame->width());
    p.height = frameBase.toDuY(frame->height());
  } else {
    QRect n = frame->normalGeometry();
    p.x = frameBase.toDuX(n.x());
    p.y = frameBase.toDuY(n.y());
    p.width = frameBase.toDuX(n.width());
    p.height = frameBase.toDuY(n.height());
  }
  if (samePlacement(p, frameLast)) return;
  frameLast = p;
  Event e;
  e.kind = EventKind::Placement;
  e.placement = p;
  post(frameId, e);
}

void QtScreen::Impl::childPlacement(WindowId id) {
  Win* w = win(id);
  if (!w || !w->placed) return;
  const DialogBase& b = w->child->base();
  PlacementState p = w->last;
  p.maximized = w->sub->isMaximized();
  p.minimized = w->sub->isMinimized();
  if (!p.maximized && !p.minimized) {
    p.x = b.toDuX(w->sub->x());
    p.y = b.toDuY(w->sub->y());
    p.width = b.toDuX(w->child->canvas()->width());
    p.height = b.toDuY(w->child->canvas()->height());
  }
  if (samePlacement(p, w->last)) return;
  w->last = p;
  Event e;
  e.kind = EventKind::Placement;
  e.placement = p;
  post(id, e);
}

void QtScreen::Impl::activated(QMdiSubWindow* sub) {
  WindowId now = sub ? idOf(sub) : 0;
  if (now == activeGui) return;
  WindowId old = activeGui;
  activeGui = now;
  {
    std::lock_guard lock(mutex);
    auto it = queues.find(now);
    active = it == queues.end() ? std::pair<WindowId, EventQueue*>{0, nullptr}
                                : std::pair<WindowId, EventQueue*>{now, it->second};
  }
  if (old) {
    Event e;
    e.kind = EventKind::LostFocus;
    post(old, e);
  }
  if (now) {
    Event e;
    e.kind = EventKind::GainedFocus;
    post(now, e);
  }
  applyTools(now);
}

void QtScreen::Impl::applyTools(WindowId id) {
  auto states = toolStates.find(id);
  for (const ToolButton& t : frameDef.toolbar) {
    auto a = tools.find(t.control);
    if (a == tools.end()) continue;
    bool enabled = t.enabled, visible = t.visible;
    std::string tip = t.tip;
    if (states != toolStates.end()) {
      auto s = states->second.find(t.control);
      if (s != states->second.end()) {
        enabled = s->second.enabled.value_or(enabled);
        visible = s->second.visible.value_or(visible);
        tip = s->second.tip.value_or(tip);
      }
    }
    a->second->setEnabled(enabled);
    a->second->setVisible(visible);
    a->second->setToolTip(qs(tip));
  }
}

void QtScreen::Impl::hold(WindowId id, int delta) {
  Win* w = win(id);
  if (!w) return;
  w->disabled += delta;
  if (w->disabled < 0) w->disabled = 0;
  w->child->canvas()->setEnabled(w->disabled == 0);
}

void QtScreen::Impl::openChild(WindowId id, const WindowDef& def, WindowId owner) {
  ensureFrame();
  Win w;
  w.child = std::make_unique<ChildWindow>(def, [this, id](Event e) { post(id, std::move(e)); });
  auto* sub = new SubWindow;
  w.sub = sub;
  w.owner = owner;
  sub->setWidget(w.child->canvas());
  sub->setAttribute(Qt::WA_DeleteOnClose, false);
  Qt::WindowFlags flags = Qt::SubWindow;
  if (def.frameless) {
    flags |= Qt::FramelessWindowHint;
  } else {
    flags |= Qt::WindowTitleHint;
    if (def.systemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (def.maximizeBox) flags |= Qt::WindowMinMaxButtonsHint;
  }
  sub->setWindowFlags(flags);
  sub->setWindowTitle(qs(def.caption));
  sub->setWindowIcon(qt::drawIcon("TREE"));
  sub->setObjectName(qs(def.procedure));
  sub->onClose = [this, id] {
    Event e;
    e.kind = EventKind::CloseWindow;
    post(id, e);
  };
  sub->onPlacement = [this, id] { childPlacement(id); };
  mdi->addSubWindow(sub, flags);
  sub->resize(sub->sizeHint());
  if (def.centered) {
    QSize area = mdi->viewport()->size();
    sub->move(std::max(0, (area.width() - sub->width()) / 2),
              std::max(0, (area.height() - sub->height()) / 2));
  } else if (def.x != kDefaultPosition && def.y != kDefaultPosition) {
    const DialogBase& b = w.child->base();
    sub->move(b.px(def.x), b.py(def.y));
  }
  wins[id] = std::move(w);
  order.push_back(id);
  if (owner) hold(owner, +1);
  sub->show();
  mdi->setActiveSubWindow(sub);
  Win* placed = win(id);
  placed->placed = true;
  childPlacement(id);
}

void QtScreen::Impl::placeChild(Win& w, const PlacementState& p) {
  if (p.maximized) {
    w.sub->showMaximized();
  } else if (p.minimized) {
    w.sub->showMinimized();
  } else {
    const DialogBase& b = w.child->base();
    if (w.sub->isMaximized() || w.sub->isMinimized()) w.sub->showNormal();
    if (p.x != kDefaultPosition && p.y != kDefaultPosition) w.sub->move(b.px(p.x), b.py(p.y));
    if (p.width > 0 && p.height > 0 && w.child->def().resizable) {
      QSize extra = w.sub->size() - w.child->canvas()->size();
      if (w.sub->widget() && !w.sub->widget()->isVisible())
        extra = w.sub->sizeHint() - w.child->canvas()->sizeHint();
      w.sub->resize(QSize(b.px(p.width), b.py(p.height)).expandedTo(w.child->designedSize()) +
                    extra);
    }
  }
}

void QtScreen::Impl::closeChild(WindowId id) {
  Win* w = win(id);
  if (!w) return;
  WindowId owner = w->owner;
  SubWindow* sub = w->sub;
  sub->allowClose = true;
  sub->onPlacement = nullptr;
  sub->onClose = nullptr;
  mdi->removeSubWindow(sub);
  delete sub;  // the controls go with it, before the window that feeds them
  wins.erase(id);
  order.erase(std::remove(order.begin(), order.end(), id), order.end());
  toolStates.erase(id);
  if (activeGui == id) activated(mdi->activeSubWindow());
  if (owner) {
    hold(owner, -1);
    if (Win* o = win(owner)) mdi->setActiveSubWindow(o->sub);
  }
  if (frameClosed && wins.empty()) frame->hide();
}

void QtScreen::Impl::showBox(WindowId window, const base::ShownMessage& m,
                             std::function<void(base::Answer)> done) {
  ensureFrame();
  auto* box = new QMessageBox(frame);
  box->setWindowTitle(qs(m.title));
  box->setTextFormat(Qt::PlainText);
  box->setText(qs(m.text));
  switch (m.level) {
    case base::Level::User:
      box->setIcon(QMessageBox::Question);
      break;
    case base::Level::Program:
    case base::Level::Fatal:
      box->setIcon(QMessageBox::Critical);
      break;
    case base::Level::Notify:
      box->setIcon(QMessageBox::Warning);
      break;
    default:
      box->setIcon(QMessageBox::Information);
  }
  if (m.number == static_cast<int>(base::Msg::Stop)) box->setIcon(QMessageBox::Critical);
  auto answers = std::make_shared<std::map<QAbstractButton*, base::Answer>>();
  auto add = [&](const char* text, QMessageBox::ButtonRole role, base::Answer a) {
    QPushButton* b = box->addButton(QString::fromUtf8(text), role);
    (*answers)[b] = a;
    if (a == m.defaultAnswer) box->setDefaultButton(b);
    return b;
  };
  QAbstractButton* escape = nullptr;
  switch (m.buttons) {
    case base::Buttons::Ok:
      escape = add("OK", QMessageBox::AcceptRole, base::Answer::Ok);
      break;
    case base::Buttons::YesNo:
      add("&Yes", QMessageBox::YesRole, base::Answer::Yes);
      escape = add("&No", QMessageBox::NoRole, base::Answer::No);
      break;
    case base::Buttons::YesNoCancel:
      add("&Yes", QMessageBox::YesRole, base::Answer::Yes);
      add("&No", QMessageBox::NoRole, base::Answer::No);
      escape = add("Cancel", QMessageBox::RejectRole, base::Answer::Cancel);
      break;
    case base::Buttons::AbortIgnore:
      add("&Abort", QMessageBox::DestructiveRole, base::Answer::Abort);
      escape = add("&Ignore", QMessageBox::AcceptRole, base::Answer::Ignore);
      break;
  }
  box->setEscapeButton(escape);
  // Window-modal to the asking window only: that window is held while the box is up, and
  // the other windows of the frame stay usable. Without a window, the frame is held.
  bool held = window != frameId && win(window) != nullptr;
  if (held) {
    hold(window, +1);
    box->setWindowModality(Qt::NonModal);
  } else {
    box->setWindowModality(Qt::WindowModal);
  }
  base::Answer fallback = m.defaultAnswer;
  QObject::connect(box, &QMessageBox::finished, box,
                   [this, box, answers, held, window, fallback, done] {
                     auto it = answers->find(box->clickedButton());
                     base::Answer a = it != answers->end() ? it->second : fallback;
                     if (held) hold(window, -1);
                     box->deleteLater();
                     done(a);
                   });
  box->show();
  box->raise();
  box->activateWindow();
}

QtScreen::QtScreen() : d_(std::make_unique<Impl>()) {
  qt::registerWindowFonts();
  QObject::connect(qApp, &QApplication::focusChanged, &d_->gui, [this](QWidget* old, QWidget* now) {
    for (auto& [id, w] : d_->wins) w.child->focusChanged(old, now);
  });
}

QtScreen::~QtScreen() {
  {
    std::lock_guard lock(d_->boxMutex);
    for (auto& p : d_->pending)
      if (!p->done) {
        p->done = true;
        p->promise.set_value(p->fallback);
      }
  }
  {
    std::lock_guard lock(d_->mutex);
    d_->queues.clear();
    d_->active = {0, nullptr};
  }
  for (auto& [id, w] : d_->wins) {
    w.sub->allowClose = true;
    w.sub->onPlacement = nullptr;
    delete w.sub;
  }
  d_->wins.clear();
  if (d_->frame) {
    d_->frame->onPlacement = nullptr;
    d_->frame->allowClose = true;
    delete d_->frame;
  }
}

WindowId QtScreen::openFrame(const FrameDef& frame, EventQueue& events) {
  WindowId id = d_->nextId++;
  {
    std::lock_guard lock(d_->mutex);
    d_->queues[id] = &events;
  }
  d_->run([this, id, frame] {
    if (d_->frame) {
      // A second frame replaces the bare one that a child window made before it.
      d_->frame->allowClose = true;
      d_->frame->onPlacement = nullptr;
      delete d_->frame;
      d_->frame = nullptr;
      d_->tools.clear();
      d_->status.clear();
      d_->windowMenu = nullptr;
      d_->windowListActions.clear();
    }
    d_->frameId = id;
    d_->frameClosed = false;
    d_->buildFrame(frame);
    d_->framePlacement();
  });
  return id;
}

WindowId QtScreen::open(const WindowDef& window, EventQueue& events, WindowId owner) {
  WindowId id = d_->nextId++;
  {
    std::lock_guard lock(d_->mutex);
    d_->queues[id] = &events;
  }
  d_->run([this, id, window, owner] { d_->openChild(id, window, owner); });
  return id;
}

void QtScreen::close(WindowId window) {
  {
    // From here on no event reaches the window's queue, which may go away with its thread.
    std::lock_guard lock(d_->mutex);
    d_->queues.erase(window);
    if (d_->active.first == window) d_->active = {0, nullptr};
  }
  d_->run([this, window] {
    if (window == d_->frameId && d_->frame) {
      // The frame's procedure has ended; the frame stays up while child windows close.
      d_->frameClosed = true;
      d_->frame->allowClose = true;
      if (d_->wins.empty()) d_->frame->hide();
      return;
    }
    d_->closeChild(window);
  });
}

void QtScreen::setCaption(WindowId window, const std::string& caption) {
  d_->run([this, window, caption] {
    if (window == d_->frameId && d_->frame) return d_->frame->setWindowTitle(qs(caption));
    if (Impl::Win* w = d_->win(window)) w->sub->setWindowTitle(qs(caption));
  });
}

void QtScreen::setPlacement(WindowId window, const PlacementState& p) {
  d_->run([this, window, p] {
    if (window == d_->frameId && d_->frame) {
      FrameWindow* f = d_->frame;
      const DialogBase& b = d_->frameBase;
      if (p.maximized) {
        // The normal place first, so that restoring the window brings it back there.
        f->showNormal();
        f->move(b.px(p.x), b.py(p.y));
        if (p.width > 0 && p.height > 0) f->resize(b.px(p.width), b.py(p.height));
        f->showMaximized();
      } else if (p.minimized) {
        f->showMinimized();
      } else {
        f->showNormal();
        f->move(b.px(p.x), b.py(p.y));
        if (p.width > 0 && p.height > 0) f->resize(b.px(p.width), b.py(p.height));
      }
      return;
    }
    if (Impl::Win* w = d_->win(window)) d_->placeChild(*w, p);
  });
}

void QtScreen::setText(WindowId window, int control, const std::string& text) {
  d_->run([this, window, control, text] {
    if (ChildWindow* c = d_->child(window)) c->setText(control, text);
  });
}

void QtScreen::setEnabled(WindowId window, int control, bool enabled) {
  d_->run([this, window, control, enabled] {
    if (ChildWindow* c = d_->child(window)) c->setEnabled(control, enabled);
  });
}

void QtScreen::selectTreeEntry(WindowId window, int control, int selected) {
  d_->run([this, window, control, selected] {
    if (ChildWindow* c = d_->child(window)) c->selectTreeEntry(control, selected);
  });
}

void QtScreen::setPopupEnabled(WindowId window, int control, const std::string& name,
                               bool enabled) {
  d_->run([this, window, control, name, enabled] {
    if (ChildWindow* c = d_->child(window)) c->setPopupEnabled(control, name, enabled);
  });
}

void QtScreen::setVisible(WindowId window, int control, bool visible) {
  d_->run([this, window, control, visible] {
    if (ChildWindow* c = d_->child(window)) c->setVisible(control, visible);
  });
}

void QtScreen::setFocus(WindowId window, int control) {
  d_->run([this, window, control] {
    if (ChildWindow* c = d_->child(window)) c->setFocus(control);
  });
}

void QtScreen::selectTab(WindowId window, int sheet, int tab) {
  d_->run([this, window, sheet, tab] {
    if (ChildWindow* c = d_->child(window)) c->selectTab(sheet, tab);
  });
}

void QtScreen::showList(WindowId window, int control,
                        const std::vector<std::vector<std::string>>& rows, int selected) {
  d_->run([this, window, control, rows, selected] {
    if (ChildWindow* c = d_->child(window)) c->showList(control, rows, selected);
  });
}

void QtScreen::showTree(WindowId window, int control, const std::vector<TreeEntry>& entries,
                        int selected) {
  d_->run([this, window, control, entries, selected] {
    if (ChildWindow* c = d_->child(window)) c->showTree(control, entries, selected);
  });
}

void QtScreen::setTimer(WindowId window, int hundredths) {
  d_->run([this, window, hundredths] {
    if (ChildWindow* c = d_->child(window)) c->setTimer(hundredths);
  });
}

void QtScreen::setWaitCursor(WindowId window, bool wait) {
  d_->run([this, window, wait] {
    QWidget* w = window == d_->frameId ? static_cast<QWidget*>(d_->frame)
                                       : (d_->win(window) ? d_->win(window)->sub : nullptr);
    if (!w) return;
    if (wait)
      w->setCursor(Qt::WaitCursor);
    else
      w->unsetCursor();
  });
}

void QtScreen::setStatus(int section, const std::string& text) {
  d_->run([this, section, text] {
    if (section >= 0 && size_t(section) < d_->status.size())
      d_->status[size_t(section)]->setText(qs(text));
  });
}

void QtScreen::setToolEnabled(WindowId window, int control, bool enabled) {
  d_->run([this, window, control, enabled] {
    WindowId id = window == d_->frameId ? 0 : window;
    if (id && !d_->win(id)) return;
    d_->toolStates[id][control].enabled = enabled;
    if (id == d_->activeGui) d_->applyTools(id);
  });
}

void QtScreen::setToolVisible(WindowId window, int control, bool visible) {
  d_->run([this, window, control, visible] {
    WindowId id = window == d_->frameId ? 0 : window;
    if (id && !d_->win(id)) return;
    d_->toolStates[id][control].visible = visible;
    if (id == d_->activeGui) d_->applyTools(id);
  });
}

void QtScreen::setToolTip(WindowId window, int control, const std::string& tip) {
  d_->run([this, window, control, tip] {
    WindowId id = window == d_->frameId ? 0 : window;
    if (id && !d_->win(id)) return;
    d_->toolStates[id][control].tip = tip;
    if (id == d_->activeGui) d_->applyTools(id);
  });
}

std::pair<WindowId, EventQueue*> QtScreen::activeChild() {
  std::lock_guard lock(d_->mutex);
  return d_->active;
}

bool QtScreen::postToActiveChild(Event event) {
  std::lock_guard lock(d_->mutex);
  if (!d_->active.second) return false;
  event.window = d_->active.first;
  d_->active.second->post(std::move(event));
  return true;
}

void QtScreen::closeChildren() {
  std::lock_guard lock(d_->mutex);
  for (auto& [id, queue] : d_->queues) {
    if (id == d_->frameId) continue;
    Event e;
    e.kind = EventKind::CloseWindow;
    e.window = id;
    queue->post(e);
  }
}

base::Answer QtScreen::ask(WindowId window, const base::ShownMessage& message) {
  if (d_->onGui()) {
    // On the GUI thread itself: the box runs here, in a loop of its own.
    QEventLoop loop;
    base::Answer answer = message.defaultAnswer;
    bool finished = false;
    d_->showBox(window, message, [&](base::Answer a) {
      answer = a;
      finished = true;
      loop.quit();
    });
    if (!finished) loop.exec();
    return answer;
  }
  auto pending = std::make_shared<Impl::PendingBox>();
  pending->fallback = message.defaultAnswer;
  std::future<base::Answer> answer = pending->promise.get_future();
  {
    std::lock_guard lock(d_->boxMutex);
    d_->pending.push_back(pending);
  }
  Impl* d = d_.get();
  d_->run([d, window, message, pending] {
    d->showBox(window, message, [d, pending](base::Answer a) {
      std::lock_guard lock(d->boxMutex);
      d->pending.erase(std::remove(d->pending.begin(), d->pending.end(), pending),
                       d->pending.end());
      if (pending->done) return;
      pending->done = true;
      pending->promise.set_value(a);
    });
  });
  return answer.get();
}

void QtScreen::exec() {
  QEventLoop loop;
  d_->loop = &loop;
  if (!d_->quitRequested.exchange(false)) {
    loop.exec();
    d_->quitRequested = false;
  }
  d_->loop = nullptr;
}

void QtScreen::quit() {
  d_->quitRequested = true;
  d_->run([this] {
    if (d_->loop) d_->loop->quit();
  });
}

bool QtScreen::serveUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

QMainWindow* QtScreen::frameWidget() const {
  return d_->frame;
}

QMdiSubWindow* QtScreen::subWindow(WindowId window) const {
  Impl::Win* w = d_->win(window);
  return w ? w->sub : nullptr;
}

QWidget* QtScreen::content(WindowId window) const {
  Impl::Win* w = d_->win(window);
  return w ? w->child->canvas() : nullptr;
}

QWidget* QtScreen::controlWidget(WindowId window, int control) const {
  Impl::Win* w = d_->win(window);
  return w ? w->child->control(control) : nullptr;
}

QTimer* QtScreen::timer(WindowId window) const {
  Impl::Win* w = d_->win(window);
  return w ? w->child->timer() : nullptr;
}

std::vector<WindowId> QtScreen::childWindows() const {
  return d_->order;
}

struct QtApplication::Impl {
  std::unique_ptr<QApplication> app;
};

QtApplication::QtApplication(int& argc, char** argv) : d_(std::make_unique<Impl>()) {
  d_->app = std::make_unique<QApplication>(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Ormile"));
  QApplication::setWindowIcon(qt::drawIcon("TREE"));
  qt::registerWindowFonts();
}

QtApplication::~QtApplication() = default;

}  // namespace ormile::platform
