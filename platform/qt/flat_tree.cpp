#include "platform/qt/flat_tree.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cstdlib>

#include "platform/keys.h"

namespace ormile::platform::qt {
namespace {

int absDepth(int d) {
  return d < 0 ? -d : d;
}

class FlatTreeDelegate : public QStyledItemDelegate {
 public:
  // Owned by its view.
  explicit FlatTreeDelegate(FlatTreeView* view) : QStyledItemDelegate(view), view_(view) {}

  void paint(QPainter* p, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    int depth = index.data(FlatTreeModel::kDepthRole).toInt();
    uint64_t lines = index.data(FlatTreeModel::kLinesRole).toULongLong();
    int level = absDepth(depth);
    int step = view_->indentation();
    QRect r = option.rect;
    int mid = r.top() + r.height() / 2;
    p->save();
    if (option.state & QStyle::State_Selected) p->fillRect(r, option.palette.highlight());
    QPen pen(QColor(128, 128, 128));
    pen.setStyle(Qt::DotLine);
    p->setPen(pen);
    // The lines of the levels above, then this node's own elbow.
    for (int k = 1; k < level && k <= 64; ++k)
      if (lines & (uint64_t(1) << (k - 1))) {
        int x = r.left() + (k - 1) * step + step / 2;
        p->drawLine(x, r.top(), x, r.bottom());
      }
    int x = r.left() + (level - 1) * step + step / 2;
    bool more = level <= 64 && (lines & (uint64_t(1) << (level - 1)));
    if (level > 1 || more) p->drawLine(x, r.top(), x, more ? r.bottom() : mid);
    p->drawLine(x, mid, x + step / 2, mid);
    // The box of a node with children: "+" while collapsed, "-" while expanded.
    bool collapsed = depth < 0;
    QModelIndex next = index.sibling(index.row() + 1, 0);
    bool expanded = !collapsed && next.isValid() &&
                    absDepth(next.data(FlatTreeModel::kDepthRole).toInt()) > level;
    if (collapsed || expanded) {
      QRect box(x - 4, mid - 4, 8, 8);
      p->setPen(QPen(QColor(128, 128, 128)));
      p->fillRect(box, Qt::white);
      p->drawRect(box);
      p->setPen(QPen(Qt::black));
      p->drawLine(box.left() + 2, mid, box.right() - 2, mid);
      if (collapsed) p->drawLine(x, box.top() + 2, x, box.bottom() - 2);
    }
    p->restore();
    QStyleOptionViewItem text = option;
    text.rect = r.adjusted(level * step + 2, 0, 0, 0);
    text.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(p, text, index);
  }

 private:
  const FlatTreeView* view_;
};

}  // namespace

void FlatTreeModel::setEntries(TreeEntries entries) {
  beginResetModel();
  entries_ = std::move(entries);
  lines_.assign(entries_ ? entries_->size() : 0, 0);
  // From the end: `seen` holds, per level, whether a node of that level follows below
  // before a shallower one; a shallower node starts a new stretch for the deeper levels.
  uint64_t seen = 0;
  for (size_t i = lines_.size(); i-- > 0;) {
    int d = absDepth((*entries_)[i].depth);
    if (d > 64) continue;
    uint64_t upTo = d >= 64 ? ~uint64_t(0) : ((uint64_t(1) << d) - 1);
    lines_[i] = seen & upTo;
    seen = (seen & (upTo >> 1)) | (uint64_t(1) << (d - 1));
  }
  endResetModel();
}

int FlatTreeModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !entries_ ? 0 : int(entries_->size());
}

QVariant FlatTreeModel::data(const QModelIndex& index, int role) const {
  if (!entries_ || !index.isValid() || size_t(index.row()) >= entries_->size()) return {};
  const TreeEntry& e = (*entries_)[size_t(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(e.text);
    case kDepthRole:
      return e.depth;
    case kLinesRole:
      return qulonglong(lines_[size_t(index.row())]);
    default:
      return {};
  }
}

FlatTreeView::FlatTreeView(QWidget* parent) : QListView(parent) {
  setModel(&model_);
  setItemDelegate(new FlatTreeDelegate(this));
  setUniformItemSizes(true);  // rows of one height: no layout pass over every row
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& now, const QModelIndex&) {
            if (!quiet_ && now.isValid() && onSelect) onSelect(now.row());
          });
}

void FlatTreeView::setEntries(TreeEntries entries, int selected) {
  quiet_ = true;
  int top = indexAt(QPoint(2, 2)).row();
  model_.setEntries(std::move(entries));
  if (selected >= 0 && selected < model_.rowCount()) {
    QModelIndex i = model_.index(selected);
    setCurrentIndex(i);
    if (top >= 0 && top < model_.rowCount()) scrollTo(model_.index(top), PositionAtTop);
    scrollTo(i);
  }
  quiet_ = false;
}

void FlatTreeView::selectEntry(int selected) {
  if (selected < 0 || selected >= model_.rowCount()) return;
  quiet_ = true;
  setCurrentIndex(model_.index(selected));
  scrollTo(model_.index(selected));
  quiet_ = false;
}

bool FlatTreeView::onBox(const QModelIndex& index, const QPoint& pos) const {
  int level = absDepth(index.data(FlatTreeModel::kDepthRole).toInt());
  int x = visualRect(index).left() + (level - 1) * indent_;
  return pos.x() >= x && pos.x() < x + indent_;
}

void FlatTreeView::mousePressEvent(QMouseEvent* e) {
  QModelIndex i = indexAt(e->pos());
  if (i.isValid() && onBox(i, e->pos())) {
    int depth = i.data(FlatTreeModel::kDepthRole).toInt();
    QModelIndex next = i.sibling(i.row() + 1, 0);
    bool expanded = depth > 0 && next.isValid() &&
                    absDepth(next.data(FlatTreeModel::kDepthRole).toInt()) > depth;
    if (depth < 0 && onExpand) return onExpand(i.row());
    if (expanded && onCollapse) return onCollapse(i.row());
  }
  QListView::mousePressEvent(e);
}

void FlatTreeView::mouseDoubleClickEvent(QMouseEvent* e) {
  QModelIndex i = indexAt(e->pos());
  if (i.isValid() && !onBox(i, e->pos()) && onDoubleClick) onDoubleClick(i.row());
  QListView::mouseDoubleClickEvent(e);
}

void FlatTreeView::keyPressEvent(QKeyEvent* e) {
  int vk = 0;
  switch (e->key()) {
    case Qt::Key_Up:
      vk = keys::Up;
      break;
    case Qt::Key_Down:
      vk = keys::Down;
      break;
    case Qt::Key_Left:
      vk = keys::Left;
      break;
    case Qt::Key_Right:
      vk = keys::Right;
      break;
    case Qt::Key_PageUp:
      vk = keys::PageUp;
      break;
    case Qt::Key_PageDown:
      vk = keys::PageDown;
      break;
    case Qt::Key_Insert:
      vk = keys::Insert;
      break;
    case Qt::Key_Delete:
      vk = keys::Delete;
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      vk = keys::Enter;
      break;
    default:
      break;
  }
  int mods = 0;
  if (e->modifiers() & Qt::ShiftModifier) mods |= keys::Shift;
  if (e->modifiers() & Qt::ControlModifier) mods |= keys::Ctrl;
  if (e->modifiers() & Qt::AltModifier) mods |= keys::Alt;
  // The tree's own keys go to its procedure; plain movement stays the list's.
  if (vk && (mods || vk == keys::Insert || vk == keys::Delete) && onKey) {
    onKey(mods | vk);
    return;
  }
  QListView::keyPressEvent(e);
}

}  // namespace ormile::platform::qt
