// A browse list: the rows of one table (or alias) bound to a list control, read page by
// page in the order of a key through the thread's table handle. Each sort order has its own
// key and step locator; an optional range limit keeps only the rows whose link field equals
// the parent's current value. The list calls an update form for insert, change and delete,
// rereads afterwards and stands on the form's record when it completed, and keeps the
// enabling of its buttons and tool bar buttons in step with its contents.
// Procedure thread only: it lives inside one window procedure.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "data/tables/table_handle.h"
#include "platform/events.h"
#include "windows/picture.h"
#include "windows/window_procedure.h"

namespace ormile::windows {

class BrowseList {
 public:
  struct Order {
    int key;           // key index of the handle's table
    int locatorField;  // the step locator's field, -1 for none
  };
  struct Column {
    int field;
    Picture picture;
  };
  struct Range {
    int field;  // the link field of the listed table (a LONG)
    data::Handle parent;
    int parentField;  // its value in the parent's buffer limits the list
  };
  struct Buttons {
    int insert = 0, change = 0, remove = 0, select = 0;  // control ids, 0 for none
  };
  using Form = std::function<Response(Session&)>;

  BrowseList(WindowProcedure& window, data::Handle handle, int listControl);

  void addOrder(Order order) { orders_.push_back(order); }
  void addColumn(int field, const std::string& picture);
  void setRange(Range range) { range_ = range; }
  void setButtons(Buttons buttons) { buttons_ = buttons; }
  void setForm(Form form) { form_ = std::move(form); }
  void setSelectMode(bool on) { selectMode_ = on; }

  int control() const { return control_; }
  bool empty() const { return rows_.empty(); }
  // The highlighted row's record, or null.
  const store::Record* current() const;
  // Reads the first page.
  void open();
  // Rereads in sort order `index` (a sheet tab's), staying on the highlighted record.
  void setOrder(size_t index);
  size_t order() const { return order_; }
  // Rereads, staying on the highlighted record where it still exists.
  void reread();

  // List input: NewSelection, Scroll, Locate; false for events that are not the list's.
  bool takeEvent(const platform::Event& e);
  // Moves as the tool bar's navigation buttons do; false for other numbers.
  bool navigate(int toolControl);

  // The update requests. Each returns the form's response (Cancelled when none ran).
  Response insert();
  Response change();
  Response remove();
  // Loads the highlighted record, exactly as stored, into the handle's buffer (for a
  // select or a form); false when the list is empty or the row has gone.
  bool loadSelected();

 private:
  struct Row {
    store::Position position;
    store::Record record;
    int64_t id = 0;
  };

  data::TableHandle& table();
  const Order& currentOrder() const { return orders_[order_]; }
  int key() const { return currentOrder().key; }
  int pageSize() const;
  bool inRange(const store::Record& r) const;
  int32_t rangeValue() const;
  std::optional<Row> step(bool forward);
  void startFirst();
  void startLast();
  void fillTop();
  void fillBottom();
  // Fills the page from the row at `p` (reading backwards too when the table ends first)
  // and highlights it.
  void fillFrom(const store::Position& p);
  // Stands on the record with these key values and id, else on the nearest one after.
  void standOn(const store::Record& keyValues, int64_t id);
  bool sameKey(const store::Record& a, const store::Record& b) const;
  void scrollBy(bool down);
  void pageBy(bool down);
  void locate(const std::string& utf8);
  void show();
  void updateButtons();
  Response callForm(Request request);

  WindowProcedure& window_;
  Session& session_;
  data::Handle handle_;
  int control_;
  std::vector<Order> orders_;
  std::vector<Column> columns_;
  std::optional<Range> range_;
  Buttons buttons_;
  Form form_;
  bool selectMode_ = false;
  size_t order_ = 0;
  std::vector<Row> rows_;
  int selected_ = -1;
};

}  // namespace ormile::windows
