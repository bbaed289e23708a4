// A tree list shown from its flat display list: one row per shown node, drawn with its
// indentation, tree lines and expand/collapse box from the node's signed depth. The list is
// held as it came (shared, never copied into items), so hundreds of thousands of nodes show
// at once. GUI thread only.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/screen.h"

namespace ormile::platform::qt {

using TreeEntries = std::shared_ptr<const std::vector<TreeEntry>>;

class FlatTreeModel : public QAbstractListModel {
 public:
  static constexpr int kDepthRole = Qt::UserRole + 10;  // int: the signed depth
  static constexpr int kLinesRole = Qt::UserRole + 11;  // qulonglong: levels with a line below

  void setEntries(TreeEntries entries);
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  const TreeEntries& entries() const { return entries_; }

 private:
  TreeEntries entries_;
  // Bit k of an entry: a later node at depth k+1 follows before any shallower one, so the
  // vertical line of that level goes on below this row.
  std::vector<uint64_t> lines_;
};

class FlatTreeView : public QListView {
 public:
  explicit FlatTreeView(QWidget* parent = nullptr);

  void setEntries(TreeEntries entries, int selected);
  void selectEntry(int selected);  // without a NewSelection of its own
  int indentation() const { return indent_; }

  // Callbacks to the owner, with the row (display index) concerned.
  std::function<void(int row)> onSelect, onExpand, onCollapse, onDoubleClick;
  std::function<void(int keyCode)> onKey;  // platform::keys codes the tree acts on

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  bool onBox(const QModelIndex& index, const QPoint& pos) const;
  FlatTreeModel model_;
  int indent_ = 16;
  bool quiet_ = false;  // while the owner sets the selection
};

}  // namespace ormile::platform::qt
