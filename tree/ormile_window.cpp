// The tree window: its definition, the display fields filled on every change of selection,
// and the buttons, keys and tool bar acting on the tree of the shown tab.
#include "tree/ormile_window.h"

#include <algorithm>

#include "base/text.h"
#include "platform/keys.h"
#include "tree/bom_levels.h"
#include "tree/print_tree.h"
#include "tree/tree_list.h"
#include "windows/window_procedure.h"

namespace ormile::tree {
namespace {

using data::Handle;
using platform::ControlDef;
using platform::ControlKind;
using platform::Font;
namespace keys = platform::keys;

// Tool bar controls the trees act on, beside the browse ones of the framework.
enum : int {
  RefreshTree = 3119,
  ExplodeTree = 3120,
  CollapseTree = 3121,
  ExplodeNodeTool = 3122,
  CollapseNodeTool = 3123
};

// A control in the window's control font, Tahoma 8 (bold for labels, buttons and lists).
ControlDef control(const char* label, ControlKind kind, const char* text, int x, int y,
                   int w = platform::kNatural, int h = platform::kNatural, bool bold = false) {
  ControlDef c = platform::control(label, kind, text, x, y, w, h);
  c.font = Font{"Tahoma", 8, bold};
  return c;
}

// The pop-up menu of both tree lists, in its order; "\t" puts the key at the right edge.
const std::vector<platform::PopupItem>& treePopup() {
  static const std::vector<platform::PopupItem> items = {
      {"&Refresh Node", "RefreshNode"},
      {"Refresh &Tree", "RefreshTree"},
      {"", ""},
      {"&Insert", "Insert"},
      {"&Change", "Change"},
      {"&Delete", "Delete"},
      {"&View", "View"},
      {"", ""},
      {"&Select", "Select"},
      {"", ""},
      {"Explode &All\tShft Dn", "ExpandAll"},
      {"&Explode Node", "ExpandNode"},
      {"C&ollapse Node", "ContractNode"},
      {"Co&llapse All\tShft Up", "ContractAll"},
  };
  return items;
}

platform::WindowDef ormileDefinition() {
  platform::WindowDef w;
  w.procedure = "Ormile";
  w.caption = "Ormile";
  w.width = 434;
  w.height = 262;
  w.font = Font{"Tahoma", 10, false};
  w.resizable = true;
  w.systemMenu = true;
  auto add = [&](ControlDef c, int parent = 0) {
    c.parent = parent;
    return w.add(std::move(c));
  };
  auto textBox = [](const char* label, int x, int y, int wd, int ht) {
    ControlDef c = control(label, ControlKind::Display, "", x, y, wd, ht);
    c.multiline = true;
    c.vscroll = true;
    return c;
  };
  auto display = [](const char* label, const char* picture, int x, int y, int wd, int ht) {
    ControlDef c = control(label, ControlKind::Display, "", x, y, wd, ht);
    c.picture = picture;
    return c;
  };
  add(control("?STRING3", ControlKind::Prompt, "Description or Note about BNF Header", 274, 122,
              platform::kNatural, platform::kNatural, true));
  add(textBox("?X:XTEXT", 257, 136, 170, 74));
  add(control("?CLOSE", ControlKind::Button, "Close", 396, 248, platform::kNatural,
              platform::kNatural, true));
  add(control("?SHEET1", ControlKind::Sheet, "", 2, 9, 244, 202));
  int tab1 = add(control("?TAB1", ControlKind::Tab, "Explosion", 0, 0));
  ControlDef list1 = control("?TREELIST", ControlKind::Tree, "", 5, 24, 230, 150, true);
  list1.columns = {
      {"SQL BNF Header", 199, platform::Align::Left, 0, platform::Align::Left, "@s60"}};
  list1.vscroll = true;
  list1.popup = treePopup();
  add(list1, tab1);
  add(control("?EXPAND:2", ControlKind::Button, "Explode &All", 5, 178, 55, 12, true), tab1);
  add(control("?CONTRACT:2", ControlKind::Button, "Co&llapse All", 64, 178, 55, 12, true), tab1);
  add(control("?EXPANDNODE", ControlKind::Button, "Explode &Node", 122, 178, 55, 12, true), tab1);
  add(control("?CONTRACTNODE", ControlKind::Button, "C&ollapse Node", 180, 178, 55, 12, true),
      tab1);
  add(control("?BUTTON20", ControlKind::Button, "Create PrintTree", 5, 194, 75, 12, true), tab1);
  int tab2 = add(control("?TAB2", ControlKind::Tab, "Where Used", 0, 0));
  ControlDef list2 = control("?TREELIST:2", ControlKind::Tree, "", 7, 24, 231, 148, true);
  list2.columns = {{"SQL Component", 173, platform::Align::Left, 0, platform::Align::Left, "@s60"}};
  list2.vscroll = true;
  list2.popup = treePopup();
  add(list2, tab2);
  add(control("?CONTRACT", ControlKind::Button, "Co&llapse All", 125, 176, 55, 12, true), tab2);
  add(control("?EXPANDNODE:2", ControlKind::Button, "Explode &Node", 6, 176, 55, 12, true), tab2);
  add(control("?CONTRACTNODE:2", ControlKind::Button, "C&ollapse Node", 65, 176, 55, 12, true),
      tab2);
  add(control("?INSERT:2", ControlKind::Button, "&Insert", 6, 190, 40, 12, true), tab2);
  add(control("?CHANGE:2", ControlKind::Button, "&Change", 49, 190, 40, 12, true), tab2);
  add(control("?DELETE:2", ControlKind::Button, "&Delete", 92, 190, 40, 12, true), tab2);
  add(control("?STRING10", ControlKind::Prompt, "BNF Header & Text", 304, 2, platform::kNatural,
              platform::kNatural, true));
  add(display("?BNFHEADERPLUS", "@s60", 259, 12, 167, 9));
  add(textBox("?X:BNF_TEXT", 257, 22, 170, 91));
  add(control("?STRING9", ControlKind::Prompt, "Clause:", 8, 215, platform::kNatural,
              platform::kNatural, true));
  add(display("?CLAUSEANDNAME", "@s80", 40, 215, 204, platform::kNatural));
  add(control("?STRING8", ControlKind::Prompt, "Part:", 8, 226, platform::kNatural,
              platform::kNatural, true));
  add(display("?PARTANDNAME", "@s80", 40, 226, 204, platform::kNatural));
  add(control("?STRING7", ControlKind::Prompt, "Recursively contains SQL component:", 7, 241, 138,
              platform::kNatural, true));
  add(display("?XRECURNAME", "@s60", 13, 252, 233, 9));
  return w;
}

// Text of `width` characters at most, without trailing blanks.
std::string cut(std::string_view text, size_t width) {
  return std::string(base::rtrim(text.substr(0, std::min(text.size(), width))));
}

class OrmileWindow : public windows::WindowProcedure {
 public:
  explicit OrmileWindow(windows::Session& s)
      : WindowProcedure(s, ormileDefinition()),
        explosion_(s.data(), explosionLevels([this] { return type_; })),
        whereUsed_(s.data(), whereUsedLevels([this] { return type_; })) {}

 protected:
  base::Level openTables() override {
    // The trees read these; TreeOut is opened only while a listing is written and XSNoRecur
    // not at all, so that an open tree window keeps neither a listing of another window nor a
    // derivation from taking them.
    for (Handle h : {Handle::AXACT, Handle::AXMas, Handle::AXPAS, Handle::AXS, Handle::XRecur})
      if (session().relation(h).open() != base::Level::Benign) return base::Level::Fatal;
    for (Handle h : {Handle::XST, Handle::Clause, Handle::SQLParts, Handle::X, Handle::AXMas})
      if (session()[h].open() != base::Level::Benign) return base::Level::Fatal;
    return base::Level::Benign;
  }

  void closeTables() override {
    for (Handle h : {Handle::XST, Handle::Clause, Handle::SQLParts, Handle::X, Handle::AXMas})
      session()[h].close();
    for (Handle h : {Handle::AXACT, Handle::AXMas, Handle::AXPAS, Handle::AXS, Handle::XRecur})
      session().relation(h).close();
  }

  void init() override {
    type_ = containsType(session().data());
    explosion_.setSelectionHook([this](int entry) { showSelection(false, entry); });
    whereUsed_.setSelectionHook([this](int entry) { showSelection(true, entry); });
    for (auto [tool, tip] : std::initializer_list<std::pair<int, const char*>>{
             {windows::tool::Bottom, "Go to bottom of tree"},
             {windows::tool::Top, "Go to top of tree"},
             {windows::tool::PageDown, "Go to next page"},
             {windows::tool::PageUp, "Go to previous page"},
             {windows::tool::Down, "Go to next record"},
             {windows::tool::Up, "Go to previous record"},
             {windows::tool::Insert, "Insert a new record"},
             {windows::tool::Change, "Change an existing record"},
             {windows::tool::Delete, "Delete an existing record"},
             {RefreshTree, "Refresh Tree"},
             {ExplodeTree, "Explode Tree"},
             {ExplodeNodeTool, "Explode Node"},
             {CollapseTree, "Collapse Tree"},
             {CollapseNodeTool, "Collapse Node"}})
      screen().setToolTip(id(), tool, tip);
    for (int tool : std::initializer_list<int>{
             windows::tool::Bottom, windows::tool::Top, windows::tool::PageDown,
             windows::tool::PageUp, windows::tool::Down, windows::tool::Up, RefreshTree,
             ExplodeTree, ExplodeNodeTool, CollapseTree, CollapseNodeTool})
      screen().setToolEnabled(id(), tool, true);
    whereUsed_.loadRoots();
    show(true);
    explosion_.loadRoots();
    show(false);
  }

  void takeEvent(const platform::Event& e) override {
    bool where = e.control == control("?TREELIST:2");
    bool onTree = where || e.control == control("?TREELIST");
    switch (e.kind) {
      case platform::EventKind::NewSelection:
        if (onTree) tree(where).select(e.row);
        updateTools();
        return;
      case platform::EventKind::Expanded:
        if (onTree) act(where, [&](TreeList& t) { t.expand(e.row); });
        return;
      case platform::EventKind::Contracted:
        if (onTree) act(where, [&](TreeList& t) { t.collapse(e.row); });
        return;
      case platform::EventKind::TabChanged:
        whereUsedShown_ = e.row == 1;
        updateTools();
        return;
      case platform::EventKind::Key:
        if (onTree) key(where, e.key);
        return;
      case platform::EventKind::DoubleClick:
        return;  // a change request: no level of either tree permits it
      default:
        WindowProcedure::takeEvent(e);
    }
  }

  void accepted(const platform::Event& e) override {
    auto is = [&](const char* label) { return e.control == control(label); };
    if ((is("?TREELIST") || is("?TREELIST:2")) && !e.text.empty())
      return popup(is("?TREELIST:2"), e.text);
    if (is("?CLOSE")) return finish();
    if (is("?EXPAND:2")) return act(false, [](TreeList& t) { t.explodeAll(); });
    if (is("?CONTRACT:2")) return act(false, [](TreeList& t) { t.collapseAll(); });
    if (is("?EXPANDNODE")) return act(false, [](TreeList& t) { t.explodeNode(t.selected()); });
    if (is("?CONTRACTNODE")) return act(false, [](TreeList& t) { t.collapse(t.selected()); });
    if (is("?CONTRACT")) return act(true, [](TreeList& t) { t.collapseAll(); });
    if (is("?EXPANDNODE:2")) return act(true, [](TreeList& t) { t.explodeNode(t.selected()); });
    if (is("?CONTRACTNODE:2")) return act(true, [](TreeList& t) { t.collapse(t.selected()); });
    if (is("?INSERT:2") || is("?CHANGE:2") || is("?DELETE:2")) return;  // nothing permits them
    if (is("?BUTTON20")) return printTree();
    tool(e.control);
  }

  std::string statusText() const override { return {}; }

 private:
  TreeList& tree(bool where) { return where ? whereUsed_ : explosion_; }
  const char* listLabel(bool where) const { return where ? "?TREELIST:2" : "?TREELIST"; }

  void act(bool where, const std::function<void(TreeList&)>& op) {
    op(tree(where));
    show(where);
  }

  // An item of a tree's pop-up menu, by name.
  void popup(bool where, const std::string& item) {
    if (item == "RefreshNode") return act(where, [](TreeList& t) { t.refreshNode(t.selected()); });
    if (item == "RefreshTree") return act(where, [](TreeList& t) { t.refreshTree(); });
    if (item == "ExpandAll") return act(where, [](TreeList& t) { t.explodeAll(); });
    if (item == "ExpandNode") return act(where, [](TreeList& t) { t.explodeNode(t.selected()); });
    if (item == "ContractNode") return act(where, [](TreeList& t) { t.collapse(t.selected()); });
    if (item == "ContractAll") return act(where, [](TreeList& t) { t.collapseAll(); });
    // Insert, Change, Delete, View, Select: no level of either tree permits them.
  }

  void key(bool where, int code) {
    TreeList& t = tree(where);
    int sel = t.selected();
    switch (code) {
      case keys::Shift | keys::Down:
        return act(where, [](TreeList& x) { x.explodeAll(); });
      case keys::Shift | keys::Up:
        return act(where, [](TreeList& x) { x.collapseAll(); });
      case keys::Ctrl | keys::Down:
        return act(where, [&](TreeList& x) { x.explodeNode(sel); });
      case keys::Ctrl | keys::Up:
      case keys::Ctrl | keys::Left:
        return act(where, [&](TreeList& x) { x.collapse(sel); });
      case keys::Ctrl | keys::Right:
        return act(where, [&](TreeList& x) { x.expand(sel); });
      case keys::Ctrl | keys::PageUp:
        if (sel >= 0) t.select(t.moveUp(sel));
        return show(where);
      case keys::Ctrl | keys::PageDown:
        if (sel >= 0) t.select(t.moveDown(sel));
        return show(where);
      default:
        return;  // Insert, Ctrl+Enter, Delete: no level permits their requests
    }
  }

  void tool(int control) {
    bool where = whereUsedShown_;
    TreeList& t = tree(where);
    int n = int(t.entries().size());
    auto go = [&](int to) {
      if (n == 0) return;
      t.select(std::clamp(to, 0, n - 1));
      show(where);
    };
    constexpr int kPage = 10;
    switch (control) {
      case windows::tool::Bottom:
        return go(n - 1);
      case windows::tool::Top:
        return go(0);
      case windows::tool::PageDown:
        return go(t.selected() + kPage);
      case windows::tool::PageUp:
        return go(t.selected() - kPage);
      case windows::tool::Down:
        return go(t.selected() + 1);
      case windows::tool::Up:
        return go(t.selected() - 1);
      case RefreshTree:
        return act(where, [](TreeList& x) { x.refreshTree(); });
      case ExplodeTree:
        return act(where, [](TreeList& x) { x.explodeAll(); });
      case CollapseTree:
        return act(where, [](TreeList& x) { x.collapseAll(); });
      case ExplodeNodeTool:
        return act(where, [](TreeList& x) { x.explodeNode(x.selected()); });
      case CollapseNodeTool:
        return act(where, [](TreeList& x) { x.collapse(x.selected()); });
      default:
        return;  // insert, change, delete: nothing permits them
    }
  }

  // Pushes a tree's list and the states that follow from it.
  void show(bool where) {
    TreeList& t = tree(where);
    uint64_t& shown = shownGeneration_[where ? 1 : 0];
    if (shown == t.generation()) {
      // Only the selection moved: a list of hundreds of thousands of nodes is not sent again.
      screen().selectTreeEntry(id(), control(listLabel(where)), t.selected());
    } else {
      std::vector<platform::TreeEntry> entries;
      entries.reserve(t.entries().size());
      for (int i = 0; i < int(t.entries().size()); ++i)
        entries.push_back({base::cp1252ToUtf8(t.text(i)), t.entries()[size_t(i)].depth, {}});
      screen().showTree(id(), control(listLabel(where)), entries, t.selected());
      shown = t.generation();
    }
    if (where) {
      screen().setEnabled(id(), control("?CONTRACT"), !t.collapsed());
      // No level permits a request: after a selection the buttons are off; before one, and on
      // an empty list, Insert stays on and does nothing.
      bool none = t.selected() < 0;
      screen().setEnabled(id(), control("?INSERT:2"), none);
      screen().setEnabled(id(), control("?CHANGE:2"), false);
      screen().setEnabled(id(), control("?DELETE:2"), false);
    } else {
      screen().setEnabled(id(), control("?EXPAND:2"), !t.exploded());
      screen().setEnabled(id(), control("?CONTRACT:2"), !t.collapsed());
    }
    showSelection(where, t.selected());
    int list = control(listLabel(where));
    for (const char* request : {"Insert", "Change", "Delete", "View", "Select"})
      screen().setPopupEnabled(id(), list, request, false);
    screen().setPopupEnabled(id(), list, "ExpandAll", !t.exploded());
    screen().setPopupEnabled(id(), list, "ContractAll", !t.collapsed());
    updateTools();
  }

  void updateTools() {
    TreeList& t = tree(whereUsedShown_);
    screen().setToolVisible(id(), ExplodeTree, !t.exploded());
    screen().setToolVisible(id(), CollapseTree, t.exploded());
    int sel = t.selected();
    bool has = sel >= 0 && t.hasChildren(sel);
    bool expanded = has && t.isExpanded(sel);
    screen().setToolVisible(id(), ExplodeNodeTool, has && !expanded);
    screen().setToolVisible(id(), CollapseNodeTool, expanded);
    for (int tool : std::initializer_list<int>{windows::tool::Insert, windows::tool::Change,
                                               windows::tool::Delete})
      screen().setToolEnabled(id(), tool, false);
  }

  // The display fields of the production selected in a tree; blank without a selection.
  void showSelection(bool where, int entry) {
    auto& s = session();
    std::string headerPlus, clauseAndName, partAndName, recurName, text, note;
    if (entry >= 0) {
      auto& x = s[Handle::X];
      auto& structure = s[where ? Handle::AXS : Handle::XS];
      if (where) {
        bool top = structure.getLong(data::fld::XS::PassiveId) == 0;
        auto& shownRow = s[top ? Handle::AXUR : Handle::AXMas];
        shownRow.get(data::key::X::XIdPkey);
        x.setLong(data::fld::X::XId, shownRow.getLong(data::fld::X::XId));
      }
      x.get(data::key::X::XIdPkey);  // the memos; a failed read is not reported
      auto& clause = s[Handle::Clause];
      clause.setLong(data::fld::Clause::ClauseId, x.getLong(data::fld::X::ClauseId));
      clause.get(data::key::Clause::ClausePkey);
      auto& part = s[Handle::SQLParts];
      part.setLong(data::fld::SQLParts::SQLPartId, clause.getLong(data::fld::Clause::SQLPartId));
      part.get(data::key::SQLParts::SQLPartPkey);
      int32_t recur = structure.getLong(data::fld::XS::RecurPassiveId);
      if (recur != 0) {
        auto& xr = s[Handle::XRecur];
        xr.setLong(data::fld::X::XId, recur);
        xr.get(data::key::X::XIdPkey);
        recurName = cut(xr.getString(data::fld::X::BNF_Header), 60);
      }
      clauseAndName = cut(std::string(clause.getString(data::fld::Clause::ClauseNumber)) + " " +
                              std::string(clause.getString(data::fld::Clause::ClauseName)),
                          80);
      partAndName = cut(std::string(part.getString(data::fld::SQLParts::ANSINumber)) + " " +
                            std::string(part.getString(data::fld::SQLParts::PartName)),
                        80);
      headerPlus = cut(std::string(x.getString(data::fld::X::BNF_Header)) + " ::=", 60);
      text = x.getMemo(data::fld::X::BNF_Text);
      note = x.getMemo(data::fld::X::XText);
    }
    auto put = [&](const char* label, const std::string& value) {
      screen().setText(id(), control(label), base::cp1252ToUtf8(value));
    };
    put("?BNFHEADERPLUS", headerPlus);
    put("?X:BNF_TEXT", text);
    put("?X:XTEXT", note);
    put("?CLAUSEANDNAME", clauseAndName);
    put("?PARTANDNAME", partAndName);
    put("?XRECURNAME", recurName);
  }

  void printTree() {
    CreatePrintTree(session().data(), session().messages(), explosion_,
                    [this](bool on) { screen().setWaitCursor(id(), on); });
    show(false);
  }

  TreeList explosion_;
  TreeList whereUsed_;
  int32_t type_ = 0;
  bool whereUsedShown_ = false;  // the tool bar acts on the tree of the shown tab
  uint64_t shownGeneration_[2] = {~uint64_t(0), ~uint64_t(0)};  // the lists last sent
};

}  // namespace

void Ormile(windows::Session& session) {
  OrmileWindow window(session);
  window.run();
}

}  // namespace ormile::tree
