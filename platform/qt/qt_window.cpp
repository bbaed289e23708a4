#include "platform/qt/qt_window.h"

#include <QMenu>
#include <QPlainTextEdit>

#include "platform/qt/flat_tree.h"

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTreeView>
#include <QWheelEvent>

namespace ormile::platform::qt {
namespace {

Qt::Alignment alignmentOf(Align a) {
  switch (a) {
    case Align::Right:
      return Qt::AlignRight | Qt::AlignVCenter;
    case Align::Center:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case Align::Left:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

// The client area: grey unless told otherwise; reports clicks on itself (the splash closes
// on them) and its resizes.
class Canvas : public QWidget {
 public:
  std::function<void(EventKind)> onMouse;
  std::function<void()> onResize;
  QSize hint;

  QSize sizeHint() const override { return hint.isValid() ? hint : QWidget::sizeHint(); }

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    if (onMouse && e->button() == Qt::LeftButton) onMouse(EventKind::MouseLeft);
    if (onMouse && e->button() == Qt::RightButton) onMouse(EventKind::MouseRight);
    QWidget::mousePressEvent(e);
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    if (onMouse && e->button() == Qt::LeftButton) onMouse(EventKind::MouseDouble);
    QWidget::mouseDoubleClickEvent(e);
  }
  void resizeEvent(QResizeEvent* e) override {
    QWidget::resizeEvent(e);
    if (onResize) onResize();
  }
};

// A list shows one page; moving beyond its edges, paging and typing ask the procedure.
class ListView : public QTreeView {
 public:
  std::function<void(Event)> post;
  int control = 0;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    int row = currentIndex().isValid() ? currentIndex().row() : -1;
    int rows = model() ? model()->rowCount() : 0;
    auto scroll = [&](int key) {
      Event ev;
      ev.kind = EventKind::Scroll;
      ev.control = control;
      ev.key = key;
      post(ev);
    };
    switch (e->key()) {
      case Qt::Key_Up:
        if (row <= 0) return scroll(ScrollUp);
        break;
      case Qt::Key_Down:
        if (row < 0 || row >= rows - 1) return scroll(ScrollDown);
        break;
      case Qt::Key_PageUp:
        return scroll(PageUp);
      case Qt::Key_PageDown:
        return scroll(PageDown);
      case Qt::Key_Home:
        return scroll(ScrollTop);
      case Qt::Key_End:
        return scroll(ScrollBottom);
      default:
        if (!e->text().isEmpty() && e->text()[0].isPrint() &&
            !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
          Event ev;
          ev.kind = EventKind::Locate;
          ev.control = control;
          ev.text = u8(e->text());
          post(ev);
          return;
        }
    }
    QTreeView::keyPressEvent(e);
  }
  void wheelEvent(QWheelEvent* e) override {
    // The list holds one page only, so the wheel asks for the rows beyond it.
    int steps = e->angleDelta().y() / 120;
    for (int i = 0; i < (steps < 0 ? -steps : steps); ++i) {
      Event ev;
      ev.kind = EventKind::Scroll;
      ev.control = control;
      ev.key = steps > 0 ? ScrollUp : ScrollDown;
      post(ev);
    }
    e->accept();
  }
};

// Column indents in dialog units, drawn as a margin on the aligned side of the cell.
class IndentDelegate : public QStyledItemDelegate {
 public:
  IndentDelegate(std::vector<int> indents, std::vector<Align> aligns, QObject* parent)
      : QStyledItemDelegate(parent), indents_(std::move(indents)), aligns_(std::move(aligns)) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem o(option);
    size_t c = size_t(index.column());
    if (c < indents_.size()) {
      if (aligns_[c] == Align::Right)
        o.rect.adjust(0, 0, -indents_[c], 0);
      else if (aligns_[c] == Align::Left)
        o.rect.adjust(indents_[c], 0, 0, 0);
    }
    QStyledItemDelegate::paint(p, o, index);
  }

 private:
  std::vector<int> indents_;
  std::vector<Align> aligns_;
};

// The focus box: yellow with a black outline, behind the focused control.
class HighlightBox : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), QColor(255, 255, 0));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
};

// An entry: posts its key 2DEh (Ctrl with the quote key, the history key) and presses the
// window's default button on Enter.
class Entry : public QLineEdit {
 public:
  std::function<void(int key)> onKey;
  std::function<void()> onEnter;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if ((e->modifiers() & Qt::ControlModifier) &&
        (e->key() == Qt::Key_Apostrophe || e->key() == Qt::Key_QuoteDbl)) {
      if (onKey) onKey(0x2DE);
      return;
    }
    bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    QLineEdit::keyPressEvent(e);
    if (enter && onEnter) onEnter();
  }
};

}  // namespace

ChildWindow::ChildWindow(const WindowDef& def, PostEvent poster)
    : def_(def), post_(std::move(poster)), font_(fontOf(def.font)), base_(dialogBaseOf(font_)) {
  auto* canvas = new Canvas;
  canvas_ = canvas;
  canvas->setFont(font_);
  canvas->setAutoFillBackground(true);
  if (def_.grey) {
    QPalette pal = canvas->palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    canvas->setPalette(pal);
  }
  canvas->hint = designedSize();
  canvas->onMouse = [this](EventKind k) {
    Event e;
    e.kind = k;
    post(e);
  };
  canvas->onResize = [this] { relayout(); };
  if (def_.resizable)
    canvas->setMinimumSize(designedSize());
  else
    canvas->setFixedSize(designedSize());

  box_ = new HighlightBox(canvas);
  box_->setObjectName(QStringLiteral("focusBox"));
  box_->hide();
  marker_ = new QLabel(QString(QChar(0x00BB)), canvas);
  QPalette mp = marker_->palette();
  mp.setColor(QPalette::WindowText, QColor(128, 128, 128));
  marker_->setPalette(mp);
  marker_->setObjectName(QStringLiteral("focusMarker"));
  marker_->hide();

  controls_.reserve(def_.controls.size());
  for (const ControlDef& c : def_.controls) build(c);
  // Sheets and panels are backgrounds: every other control shows above them, whatever the
  // order of the definition; among themselves the first defined is the lowest.
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
    if (it->widget && (it->def.kind == ControlKind::Sheet || it->def.kind == ControlKind::Panel))
      it->widget->lower();
  applyVisibility();

  timer_ = new QTimer(canvas);
  QObject::connect(timer_, &QTimer::timeout, canvas, [this] {
    Event e;
    e.kind = EventKind::Timer;
    post(e);
  });
}

ChildWindow::~ChildWindow() {
  // The canvas belongs to whoever shows it; our callbacks must not outlive us.
  if (canvas_) {
    auto* canvas = static_cast<Canvas*>(canvas_.data());
    canvas->onMouse = nullptr;
    canvas->onResize = nullptr;
  }
}

QSize ChildWindow::designedSize() const {
  return QSize(base_.px(def_.width > 0 ? def_.width : 200),
               base_.py(def_.height > 0 ? def_.height : 100));
}

ChildWindow::Control* ChildWindow::find(int id) {
  for (auto& c : controls_)
    if (c.def.id == id) return &c;
  return nullptr;
}

const ChildWindow::Control* ChildWindow::owning(const QWidget* w) const {
  for (; w && w != canvas_; w = w->parentWidget())
    for (const auto& c : controls_)
      if (c.widget == w) return &c;
  return nullptr;
}

QWidget* ChildWindow::control(int id) const {
  for (const auto& c : controls_)
    if (c.def.id == id) return c.widget;
  return nullptr;
}

QRect ChildWindow::designedRect(const ControlDef& c, QWidget* w) const {
  QSize natural = w->sizeHint();
  int width = c.width == kNatural ? natural.width() : base_.px(c.width);
  int height = c.height == kNatural ? natural.height() : base_.py(c.height);
  return QRect(base_.px(c.x), base_.py(c.y), width, height);
}

void ChildWindow::build(const ControlDef& c) {
  Control ctl;
  ctl.def = c;
  ctl.shown = !c.hidden;
  QWidget* w = nullptr;
  const int id = c.id;
  switch (c.kind) {
    case ControlKind::Button: {
      auto* b = new QPushButton(qs(c.text), canvas_);
      b->setDefault(c.defaultButton);
      b->setAutoDefault(false);
      QObject::connect(b, &QPushButton::clicked, b, [this, id] {
        flushEdit();
        Event e;
        e.control = id;
        post(e);
      });
      w = b;
      break;
    }
    case ControlKind::Display:
      if (c.multiline) {
        // A text box: several lines, read-only, scrolled rather than cut.
        auto* t = new QPlainTextEdit(canvas_);
        t->setReadOnly(true);
        t->setPlainText(qs(c.text));
        t->setVerticalScrollBarPolicy(c.vscroll ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
        t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        t->setFocusPolicy(Qt::NoFocus);
        w = t;
        break;
      }
      [[fallthrough]];
    case ControlKind::Prompt: {
      auto* l = new QLabel(c.kind == ControlKind::Prompt ? withoutMnemonic(qs(c.text)) : qs(c.text),
                           canvas_);
      l->setTextFormat(Qt::PlainText);
      l->setAlignment((alignmentOf(c.align) & ~Qt::AlignVCenter) | Qt::AlignTop);
      if (c.indent) l->setIndent(base_.px(c.indent));
      w = l;
      break;
    }
    case ControlKind::Entry: {
      auto* e = new Entry;
      e->setParent(canvas_);
      e->setText(qs(c.text));
      e->setAlignment(alignmentOf(c.align));
      QObject::connect(e, &QLineEdit::editingFinished, e, [this, e, id] {
        if (!e->isModified()) return;
        e->setModified(false);
        Event ev;
        ev.control = id;
        ev.text = u8(e->text());
        post(ev);
      });
      e->onKey = [this, id](int key) {
        Event ev;
        ev.kind = EventKind::Key;
        ev.control = id;
        ev.key = key;
        post(ev);
      };
      e->onEnter = [this] {
        for (const auto& other : controls_)
          if (other.def.kind == ControlKind::Button && other.def.defaultButton &&
              other.widget->isVisible() && other.widget->isEnabled()) {
            flushEdit();
            Event ev;
            ev.control = other.def.id;
            post(ev);
            return;
          }
      };
      w = e;
      break;
    }
    case ControlKind::Tree: {
      // The tree is drawn from the procedure's display list as it stands: no item per node.
      auto* v = new FlatTreeView(canvas_);
      auto send = [this, id](EventKind kind, int row, int key) {
        if (quiet_) return;
        Event e;
        e.kind = kind;
        e.control = id;
        e.row = row;
        e.key = key;
        post(e);
      };
      v->onSelect = [send](int row) { send(EventKind::NewSelection, row, 0); };
      v->onExpand = [send](int row) { send(EventKind::Expanded, row, 0); };
      v->onCollapse = [send](int row) { send(EventKind::Contracted, row, 0); };
      v->onDoubleClick = [send](int row) { send(EventKind::DoubleClick, row, 0); };
      v->onKey = [send](int key) { send(EventKind::Key, -1, key); };
      if (!c.popup.empty()) {
        v->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(v, &QWidget::customContextMenuRequested, v, [this, v, id](QPoint at) {
          popupMenu(id, v->viewport()->mapToGlobal(at));
        });
      }
      w = v;
      break;
    }
    case ControlKind::List: {
      auto* v = new ListView;
      v->setParent(canvas_);
      v->post = post_;
      v->control = id;
      auto* model = new QStandardItemModel(v);
      ctl.model = model;
      v->setModel(model);
      v->setSelectionMode(QAbstractItemView::SingleSelection);
      v->setSelectionBehavior(QAbstractItemView::SelectRows);
      v->setEditTriggers(QAbstractItemView::NoEditTriggers);
      v->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      v->setRootIsDecorated(false);
      v->setItemsExpandable(false);
      v->setUniformRowHeights(true);
      std::vector<int> indents;
      std::vector<Align> aligns;
      model->setColumnCount(int(c.columns.size()));
      for (size_t i = 0; i < c.columns.size(); ++i) {
        auto* head = new QStandardItem(qs(c.columns[i].title));
        head->setTextAlignment(alignmentOf(c.columns[i].titleAlign));
        model->setHorizontalHeaderItem(int(i), head);
        indents.push_back(base_.px(c.columns[i].indent));
        aligns.push_back(c.columns[i].align);
      }
      v->setItemDelegate(new IndentDelegate(indents, aligns, v));
      v->header()->setStretchLastSection(false);
      v->header()->setSectionsMovable(false);
      for (size_t i = 0; i < c.columns.size(); ++i)
        v->header()->resizeSection(int(i), base_.px(c.columns[i].width));
      if (c.columns.empty()) v->setHeaderHidden(true);
      QObject::connect(v->selectionModel(), &QItemSelectionModel::currentChanged, v,
                       [this, id](const QModelIndex& now, const QModelIndex&) {
                         if (quiet_ || !now.isValid()) return;
                         Event e;
                         e.kind = EventKind::NewSelection;
                         e.control = id;
                         e.row = now.row();
                         post(e);
                       });
      QObject::connect(v, &QTreeView::doubleClicked, v, [this, id](const QModelIndex& i) {
        Event e;
        e.kind = EventKind::DoubleClick;
        e.control = id;
        e.row = i.row();
        post(e);
      });
      w = v;
      break;
    }
    case ControlKind::Sheet: {
      auto* t = new QTabWidget(canvas_);
      QObject::connect(t, &QTabWidget::currentChanged, t, [this, id](int index) {
        applyVisibility();
        if (quiet_) return;
        Event e;
        e.kind = EventKind::TabChanged;
        e.control = id;
        e.row = index;
        post(e);
      });
      w = t;
      break;
    }
    case ControlKind::Tab: {
      // The page of the last sheet before it. The tab's controls are window-positioned, so
      // they stay children of the client area and are shown while their tab is current.
      for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if (it->def.kind == ControlKind::Sheet) {
          auto* sheet = static_cast<QTabWidget*>(it->widget);
          ctl.sheet = it->def.id;
          quiet_ = true;
          ctl.tabIndex = sheet->addTab(new QWidget, qs(c.text));
          quiet_ = false;
          break;
        }
      controls_.push_back(ctl);
      return;
    }
    case ControlKind::Panel: {
      auto* f = new QFrame(canvas_);
      QRect mine = base_.rect(c.x, c.y, c.width, c.height);
      bool inner = false;
      for (const auto& other : controls_)
        if (other.def.kind == ControlKind::Panel && designed_.count(other.def.id) &&
            designed_.at(other.def.id).contains(mine))
          inner = true;
      f->setFrameStyle(QFrame::Panel | (inner ? QFrame::Sunken : QFrame::Raised));
      f->setLineWidth(inner ? 1 : 2);
      w = f;
      break;
    }
  }
  if (c.font.family.size() || c.font.points || c.font.bold) w->setFont(fontOf(c.font, def_.font));
  w->setEnabled(!c.disabled);
  if (c.skip) w->setFocusPolicy(Qt::ClickFocus);
  if (c.kind == ControlKind::Panel || c.kind == ControlKind::Prompt ||
      c.kind == ControlKind::Display)
    w->setAttribute(Qt::WA_TransparentForMouseEvents);
  w->setObjectName(qs(c.label));
  QRect r = designedRect(c, w);
  designed_[c.id] = r;
  w->setGeometry(r);
  ctl.widget = w;
  controls_.push_back(ctl);
}

bool ChildWindow::onCurrentTab(const Control& c) const {
  if (c.def.parent == 0) return true;
  for (const auto& tab : controls_) {
    if (tab.def.id != c.def.parent || tab.def.kind != ControlKind::Tab) continue;
    for (const auto& sheet : controls_)
      if (sheet.def.id == tab.sheet) {
        auto* t = static_cast<QTabWidget*>(sheet.widget);
        return sheet.shown && t->currentIndex() == tab.tabIndex;
      }
  }
  return true;
}

void ChildWindow::applyVisibility() {
  for (auto& c : controls_) {
    if (!c.widget) continue;
    c.widget->setVisible(c.shown && onCurrentTab(c));
  }
  if (highlighted_ && !highlighted_->widget->isVisible()) highlight(nullptr);
}

void ChildWindow::setText(int control, const std::string& text) {
  Control* c = find(control);
  if (!c) return;
  QString t = qs(text);
  if (auto* e = qobject_cast<QLineEdit*>(c->widget)) {
    e->setText(t);
    e->setModified(false);
  } else if (auto* b = qobject_cast<QPushButton*>(c->widget)) {
    b->setText(t);
  } else if (auto* l = qobject_cast<QLabel*>(c->widget)) {
    l->setText(c->def.kind == ControlKind::Prompt ? withoutMnemonic(t) : t);
  } else if (auto* box = qobject_cast<QPlainTextEdit*>(c->widget)) {
    box->setPlainText(t);
  } else if (c->def.kind == ControlKind::Tab) {
    for (auto& s : controls_)
      if (s.def.id == c->sheet) static_cast<QTabWidget*>(s.widget)->setTabText(c->tabIndex, t);
  }
  if (c->widget && (c->def.width == kNatural || c->def.height == kNatural)) {
    designed_[control] = designedRect(c->def, c->widget);
    relayout();
  }
}

void ChildWindow::setEnabled(int control, bool enabled) {
  Control* c = find(control);
  if (!c) return;
  if (c->widget) c->widget->setEnabled(enabled);
  if (c->def.kind == ControlKind::Tab)
    for (auto& s : controls_)
      if (s.def.id == c->sheet)
        static_cast<QTabWidget*>(s.widget)->setTabEnabled(c->tabIndex, enabled);
}

void ChildWindow::setVisible(int control, bool visible) {
  Control* c = find(control);
  if (!c) return;
  c->shown = visible;
  if (c->def.kind == ControlKind::Tab)
    for (auto& s : controls_)
      if (s.def.id == c->sheet)
        static_cast<QTabWidget*>(s.widget)->setTabVisible(c->tabIndex, visible);
  applyVisibility();
}

void ChildWindow::setFocus(int control) {
  Control* c = find(control);
  if (c && c->widget) c->widget->setFocus(Qt::OtherFocusReason);
}

void ChildWindow::selectTab(int sheet, int tab) {
  Control* s = find(sheet);
  if (!s || s->def.kind != ControlKind::Sheet) return;
  quiet_ = true;
  static_cast<QTabWidget*>(s->widget)->setCurrentIndex(tab);
  quiet_ = false;
  applyVisibility();
}

void ChildWindow::showList(int control, const std::vector<std::vector<std::string>>& rows,
                           int selected) {
  Control* c = find(control);
  if (!c || !c->model) return;
  quiet_ = true;
  auto* view = static_cast<QTreeView*>(c->widget);
  QStandardItemModel* m = c->model;
  int columns = std::max<int>(1, int(c->def.columns.size()));
  m->setRowCount(int(rows.size()));
  if (m->columnCount() < columns) m->setColumnCount(columns);
  for (size_t r = 0; r < rows.size(); ++r)
    for (int col = 0; col < m->columnCount(); ++col) {
      auto* item =
          new QStandardItem(size_t(col) < rows[r].size() ? qs(rows[r][size_t(col)]) : QString());
      if (size_t(col) < c->def.columns.size())
        item->setTextAlignment(alignmentOf(c->def.columns[size_t(col)].align));
      m->setItem(int(r), col, item);
    }
  if (selected >= 0 && selected < int(rows.size()))
    view->setCurrentIndex(m->index(selected, 0));
  else
    view->selectionModel()->clearCurrentIndex(), view->clearSelection();
  quiet_ = false;
}

void ChildWindow::selectTreeEntry(int control, int selected) {
  Control* c = find(control);
  if (!c || c->def.kind != ControlKind::Tree) return;
  quiet_ = true;
  static_cast<FlatTreeView*>(c->widget)->selectEntry(selected);
  quiet_ = false;
}

void ChildWindow::setPopupEnabled(int control, const std::string& name, bool enabled) {
  if (Control* c = find(control)) c->popupEnabled[name] = enabled;
}

void ChildWindow::popupMenu(int control, QPoint at) {
  Control* c = find(control);
  if (!c) return;
  QMenu menu;
  for (const PopupItem& item : c->def.popup) {
    if (item.text.empty()) {
      menu.addSeparator();
      continue;
    }
    QAction* a = menu.addAction(qs(item.text));
    auto it = c->popupEnabled.find(item.name);
    a->setEnabled(it == c->popupEnabled.end() || it->second);
    a->setData(qs(item.name));
  }
  if (QAction* chosen = menu.exec(at)) {
    Event e;
    e.control = control;
    e.text = u8(chosen->data().toString());
    post(e);
  }
}

void ChildWindow::showTree(int control, const std::vector<TreeEntry>& entries, int selected) {
  Control* c = find(control);
  if (!c || c->def.kind != ControlKind::Tree) return;
  quiet_ = true;
  static_cast<FlatTreeView*>(c->widget)->setEntries(
      std::make_shared<const std::vector<TreeEntry>>(entries), selected);
  quiet_ = false;
}

void ChildWindow::setTimer(int hundredths) {
  if (hundredths <= 0) {
    timer_->stop();
    return;
  }
  timer_->start(hundredths * 10);
}

void ChildWindow::flushEdit() {
  QWidget* focus = QApplication::focusWidget();
  const Control* c = owning(focus);
  if (!c || c->def.kind != ControlKind::Entry) return;
  auto* e = static_cast<QLineEdit*>(c->widget);
  if (!e->isModified()) return;
  e->setModified(false);
  Event ev;
  ev.control = c->def.id;
  ev.text = u8(e->text());
  post(ev);
}

void ChildWindow::focusChanged(QWidget* old, QWidget* now) {
  (void)old;
  if (!def_.focusHighlight) return;
  const Control* c = owning(now);
  if (c && (c->def.kind == ControlKind::Entry || c->def.kind == ControlKind::List ||
            c->def.kind == ControlKind::Tree)) {
    highlight(c);
  } else if (now && canvas_ && (now == canvas_ || canvas_->isAncestorOf(now))) {
    highlight(nullptr);  // focus moved to a button, a sheet... of this window
  } else if (!now || !canvas_ || !canvas_->window()->isAncestorOf(now)) {
    // Focus left for another application or nowhere: keep the highlight for its return.
  } else {
    highlight(nullptr);  // another window of the frame took the focus
  }
}

void ChildWindow::highlight(const Control* c) {
  if (highlighted_ == c) return;
  if (highlighted_ && highlighted_->def.kind == ControlKind::Entry) {
    highlighted_->widget->setPalette(savedPalette_);
    highlighted_->widget->setFont(savedFont_);
  }
  highlighted_ = c;
  if (!c) {
    box_->hide();
    marker_->hide();
    return;
  }
  QWidget* w = c->widget;
  placeHighlight();
  if (c->def.kind == ControlKind::Entry) {
    savedPalette_ = w->palette();
    savedFont_ = w->font();
    QPalette p = savedPalette_;
    p.setColor(QPalette::Base, QColor(255, 255, 0));
    w->setPalette(p);
    QFont f = savedFont_;
    f.setBold(true);
    w->setFont(f);
  }
}

void ChildWindow::placeHighlight() {
  if (!highlighted_) return;
  QWidget* w = highlighted_->widget;
  QRect g = w->geometry();
  int mx = base_.px(2), my = base_.py(2);
  box_->setGeometry(g.adjusted(-mx, -my, mx, my));
  box_->stackUnder(w);
  box_->show();
  marker_->adjustSize();
  marker_->move(g.x() - base_.px(8), g.y() + (g.height() - marker_->height()) / 2);
  marker_->show();
  marker_->raise();
}

void ChildWindow::relayout() {
  if (!canvas_) return;
  QSize designed = designedSize();
  double fx = def_.resizable
                  ? double(std::max(canvas_->width(), designed.width())) / designed.width()
                  : 1.0;
  double fy = def_.resizable
                  ? double(std::max(canvas_->height(), designed.height())) / designed.height()
                  : 1.0;
  for (auto& c : controls_) {
    if (!c.widget || !designed_.count(c.def.id)) continue;
    QRect r = designed_.at(c.def.id);
    // Lists, sheets, trees and panels grow with the window; single-line controls move with it.
    bool grows = c.def.kind == ControlKind::List || c.def.kind == ControlKind::Tree ||
                 c.def.kind == ControlKind::Sheet || c.def.kind == ControlKind::Panel;
    int x = int(r.x() * fx + 0.5), y = int(r.y() * fy + 0.5);
    int w = grows ? int(r.width() * fx + 0.5) : r.width();
    int h = grows ? int(r.height() * fy + 0.5) : r.height();
    c.widget->setGeometry(x, y, w, h);
  }
  placeHighlight();
}

}  // namespace ormile::platform::qt
