// Paging, locating, rereading and the update requests of a browse list.
#include "windows/browse_list.h"

#include <algorithm>
#include <cctype>

#include "base/text.h"

namespace ormile::windows {

using store::ErrorCode;

BrowseList::BrowseList(WindowProcedure& window, data::Handle handle, int listControl)
    : window_(window), session_(window.session()), handle_(handle), control_(listControl) {}

void BrowseList::addColumn(int field, const std::string& picture) {
  auto p = Picture::parse(picture);
  columns_.push_back({field, p ? *p : *Picture::parse("@s255")});
}

data::TableHandle& BrowseList::table() {
  return session_[handle_];
}

const store::Record* BrowseList::current() const {
  if (selected_ < 0 || selected_ >= int(rows_.size())) return nullptr;
  return &rows_[size_t(selected_)].record;
}

int BrowseList::pageSize() const {
  const platform::ControlDef* c = nullptr;
  for (const auto& d : window_.def().controls)
    if (d.id == control_) c = &d;
  // A header line and rows of about nine dialog units, as the front ends draw them.
  int height = c && c->height > 0 ? c->height : 80;
  return std::max(1, (height - 12) / 9);
}

int32_t BrowseList::rangeValue() const {
  return session_[range_->parent].getLong(range_->parentField);
}

bool BrowseList::inRange(const store::Record& r) const {
  return !range_ || r.getLong(range_->field) == rangeValue();
}

std::optional<BrowseList::Row> BrowseList::step(bool forward) {
  data::TableHandle& h = table();
  ErrorCode e = forward ? h.next() : h.previous();
  if (!store::ok(e) || !inRange(h.record())) return std::nullopt;
  return Row{h.position(), h.record(), h.file().currentRecordId()};
}

void BrowseList::startFirst() {
  data::TableHandle& h = table();
  if (!range_) {
    h.set(key());
    return;
  }
  h.record().setKeyExtreme(key(), true);
  h.setLong(range_->field, rangeValue());
  h.setFrom(key());
}

void BrowseList::startLast() {
  data::TableHandle& h = table();
  if (!range_) {
    h.set(key());
    return;
  }
  h.record().setKeyExtreme(key(), false);
  h.setLong(range_->field, rangeValue());
  h.setFrom(key());
}

void BrowseList::fillTop() {
  rows_.clear();
  startFirst();
  for (int i = 0; i < pageSize(); ++i) {
    auto r = step(true);
    if (!r) break;
    rows_.push_back(std::move(*r));
  }
  selected_ = rows_.empty() ? -1 : 0;
}

void BrowseList::fillBottom() {
  rows_.clear();
  startLast();
  for (int i = 0; i < pageSize(); ++i) {
    auto r = step(false);
    if (!r) break;
    rows_.push_back(std::move(*r));
  }
  std::reverse(rows_.begin(), rows_.end());
  selected_ = int(rows_.size()) - 1;
}

void BrowseList::fillFrom(const store::Position& p) {
  data::TableHandle& h = table();
  rows_.clear();
  if (!store::ok(h.reset(p))) return fillTop();
  for (int i = 0; i < pageSize(); ++i) {
    auto r = step(true);
    if (!r) break;
    rows_.push_back(std::move(*r));
  }
  if (rows_.empty()) return fillBottom();
  int before = 0;
  if (int(rows_.size()) < pageSize()) {
    // The table ends within the page: show the rows before it too.
    h.reset(p);
    h.previous();  // the row at p itself
    std::vector<Row> earlier;
    while (int(rows_.size() + earlier.size()) < pageSize()) {
      auto r = step(false);
      if (!r) break;
      earlier.push_back(std::move(*r));
    }
    before = int(earlier.size());
    rows_.insert(rows_.begin(), std::make_move_iterator(earlier.rbegin()),
                 std::make_move_iterator(earlier.rend()));
  }
  selected_ = before;
}

bool BrowseList::sameKey(const store::Record& a, const store::Record& b) const {
  for (int c : data::tableOf(handle_).schema.keys[size_t(key())].columns)
    if (base::compareKeyText(a.getText(c), b.getText(c)) != 0) return false;
  return true;
}

void BrowseList::standOn(const store::Record& keyValues, int64_t id) {
  data::TableHandle& h = table();
  h.record() = keyValues;
  if (range_) h.setLong(range_->field, rangeValue());
  h.setFrom(key());
  std::optional<Row> first = step(true);
  std::optional<Row> at = first;
  // Equal key values keep the order of adding: walk them to the record itself.
  while (at && at->id != id && sameKey(at->record, keyValues)) at = step(true);
  if (!at || at->id != id) at = first;
  if (at)
    fillFrom(at->position);
  else
    fillBottom();
}

void BrowseList::open() {
  fillTop();
  show();
}

void BrowseList::setOrder(size_t index) {
  if (index >= orders_.size() || index == order_) return;
  std::optional<Row> keep;
  if (current()) keep = rows_[size_t(selected_)];
  order_ = index;
  if (keep)
    standOn(keep->record, keep->id);
  else
    fillTop();
  show();
}

void BrowseList::reread() {
  if (current()) {
    Row keep = rows_[size_t(selected_)];
    standOn(keep.record, keep.id);
  } else {
    fillTop();
  }
  show();
}

void BrowseList::scrollBy(bool down) {
  if (rows_.empty()) return;
  if (down && selected_ + 1 < int(rows_.size())) {
    ++selected_;
    return;
  }
  if (!down && selected_ > 0) {
    --selected_;
    return;
  }
  data::TableHandle& h = table();
  const Row& edge = down ? rows_.back() : rows_.front();
  if (!store::ok(h.reset(edge.position))) return;
  down ? h.next() : h.previous();  // the edge row itself
  auto r = step(down);
  if (!r) return;
  if (down) {
    rows_.erase(rows_.begin());
    rows_.push_back(std::move(*r));
  } else {
    rows_.pop_back();
    rows_.insert(rows_.begin(), std::move(*r));
  }
}

void BrowseList::pageBy(bool down) {
  if (rows_.empty()) return;
  data::TableHandle& h = table();
  const Row& edge = down ? rows_.back() : rows_.front();
  if (!store::ok(h.reset(edge.position))) return;
  down ? h.next() : h.previous();  // the edge row itself
  std::vector<Row> page;
  for (int i = 0; i < pageSize(); ++i) {
    auto r = step(down);
    if (!r) break;
    page.push_back(std::move(*r));
  }
  if (page.empty()) {
    selected_ = down ? int(rows_.size()) - 1 : 0;
    return;
  }
  if (int(page.size()) < pageSize()) return down ? fillBottom() : fillTop();
  if (!down) std::reverse(page.begin(), page.end());
  int keepIndex = selected_;
  rows_ = std::move(page);
  selected_ = std::min(keepIndex, int(rows_.size()) - 1);
}

void BrowseList::locate(const std::string& utf8) {
  const Order& o = currentOrder();
  if (o.locatorField < 0 || utf8.empty() || !base::fitsCp1252(utf8)) return;
  std::string bytes = base::utf8ToCp1252(utf8);
  data::TableHandle& h = table();
  store::Record probe = h.record();
  probe.setKeyExtreme(key(), true);
  if (range_) probe.setLong(range_->field, rangeValue());
  const auto& column = h.table().schema.columns[size_t(o.locatorField)];
  if (column.type == store::ColumnType::Long) {
    // A digit steps to the first number at or after it.
    if (!std::isdigit(static_cast<unsigned char>(bytes[0]))) return;
    probe.setLong(o.locatorField, bytes[0] - '0');
  } else {
    probe.setString(o.locatorField, bytes.substr(0, 1));
  }
  h.record() = probe;
  h.setFrom(key());
  auto r = step(true);
  // Keys ignore letter case, so the first row at or after the character is the first that
  // starts with it in either case; past the last row the list stands on the last.
  if (r)
    fillFrom(r->position);
  else
    fillBottom();
}

bool BrowseList::takeEvent(const platform::Event& e) {
  if (e.control != control_) return false;
  switch (e.kind) {
    case platform::EventKind::NewSelection:
      if (e.row >= 0 && e.row < int(rows_.size())) selected_ = e.row;
      break;
    case platform::EventKind::Scroll:
      switch (e.key) {
        case platform::ScrollUp:
          scrollBy(false);
          break;
        case platform::ScrollDown:
          scrollBy(true);
          break;
        case platform::PageUp:
          pageBy(false);
          break;
        case platform::PageDown:
          pageBy(true);
          break;
        case platform::ScrollTop:
          fillTop();
          break;
        case platform::ScrollBottom:
          fillBottom();
          break;
        default:
          break;
      }
      break;
    case platform::EventKind::Locate:
      locate(e.text);
      break;
    default:
      return false;
  }
  show();
  return true;
}

bool BrowseList::navigate(int toolControl) {
  platform::Event e;
  e.kind = platform::EventKind::Scroll;
  e.control = control_;
  switch (toolControl) {
    case tool::Top:
      e.key = platform::ScrollTop;
      break;
    case tool::Bottom:
      e.key = platform::ScrollBottom;
      break;
    case tool::PageUp:
      e.key = platform::PageUp;
      break;
    case tool::PageDown:
      e.key = platform::PageDown;
      break;
    case tool::Up:
      e.key = platform::ScrollUp;
      break;
    case tool::Down:
      e.key = platform::ScrollDown;
      break;
    default:
      return false;
  }
  return takeEvent(e);
}

void BrowseList::show() {
  std::vector<std::vector<std::string>> cells;
  cells.reserve(rows_.size());
  for (const Row& r : rows_) {
    std::vector<std::string> line;
    for (const Column& c : columns_) line.push_back(c.picture.format(r.record, c.field));
    cells.push_back(std::move(line));
  }
  window_.screen().showList(window_.id(), control_, cells, selected_);
  // The thread's record is the highlighted one, as the window's other steps expect.
  if (const store::Record* r = current()) table().record() = *r;
  updateButtons();
}

void BrowseList::updateButtons() {
  bool any = !rows_.empty();
  platform::Screen& s = window_.screen();
  platform::WindowId w = window_.id();
  if (buttons_.change) s.setEnabled(w, buttons_.change, any);
  if (buttons_.remove) s.setEnabled(w, buttons_.remove, any);
  if (buttons_.select) s.setEnabled(w, buttons_.select, any && selectMode_);
  s.setToolEnabled(w, tool::Insert, buttons_.insert != 0 && form_ != nullptr);
  s.setToolEnabled(w, tool::Change, any && buttons_.change != 0 && form_ != nullptr);
  s.setToolEnabled(w, tool::Delete, any && buttons_.remove != 0 && form_ != nullptr);
  s.setToolEnabled(w, tool::Select, any && selectMode_);
  for (int t : {tool::Top, tool::PageUp, tool::Up, tool::Down, tool::PageDown, tool::Bottom})
    s.setToolEnabled(w, t, any);
  s.setToolEnabled(w, tool::History, false);
}

bool BrowseList::loadSelected() {
  if (selected_ < 0 || selected_ >= int(rows_.size())) return false;
  data::TableHandle& h = table();
  if (store::ok(h.reget(rows_[size_t(selected_)].position))) return true;
  // Another window deleted it meanwhile: show the list as it is now.
  standOn(rows_[size_t(selected_)].record, rows_[size_t(selected_)].id);
  show();
  return false;
}

Response BrowseList::callForm(Request request) {
  session_.request = request;
  Response r = form_(session_);
  session_.request = Request::None;
  window_.screen().setStatus(0, "Browsing Records");
  return r;
}

Response BrowseList::insert() {
  if (!form_ || !buttons_.insert) return Response::Cancelled;
  data::TableHandle& h = table();
  h.clear();
  if (range_) h.setLong(range_->field, rangeValue());
  bool primed = h.table().autoNumberKey >= 0;
  if (h.primeAutoNumber() != base::Level::Benign) {
    reread();
    return Response::Cancelled;
  }
  store::Position reserved;
  reserved.recordId = primed ? h.file().currentRecordId() : 0;
  Response r = callForm(Request::Insert);
  if (r == Response::Completed) {
    standOn(h.record(), h.file().currentRecordId());
    show();
    return r;
  }
  if (primed) {
    // An abandoned insert gives its reserved row, and so its number, back.
    store::Record typed = h.record();
    if (store::ok(h.reget(reserved))) h.erase();
    h.record() = typed;
  }
  reread();
  return r;
}

Response BrowseList::change() {
  if (!form_ || !buttons_.change || !loadSelected()) return Response::Cancelled;
  Response r = callForm(Request::Change);
  data::TableHandle& h = table();
  if (r == Response::Completed) {
    standOn(h.record(), h.file().currentRecordId());
    show();
  } else {
    reread();
  }
  return r;
}

Response BrowseList::remove() {
  if (!form_ || !buttons_.remove || !loadSelected()) return Response::Cancelled;
  Row gone = rows_[size_t(selected_)];
  Response r = callForm(Request::Delete);
  // After a delete the list stands on the row that followed it.
  standOn(gone.record, gone.id);
  show();
  return r;
}

}  // namespace ormile::windows
