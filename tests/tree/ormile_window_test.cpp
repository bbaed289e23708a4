// The tree window on the headless screen: both trees from their roots, the display fields
// of a selection, the buttons and their states, the tool bar, and the listing.
#include <gtest/gtest.h>

#include "tests/windows/windows_fixture.h"
#include "tree/ormile_window.h"

namespace ormile::test {
namespace {

using platform::Event;
using platform::EventKind;
using platform::WindowId;

class OrmileWindowTest : public WindowsTest {
 protected:
  void SetUp() override {
    auto s = newSession();
    auto& part = (*s)[data::Handle::SQLParts];
    part.clear();
    part.setLong(data::fld::SQLParts::SQLPartId, 1);
    part.setString(data::fld::SQLParts::PartName, "Foundation");
    part.setString(data::fld::SQLParts::ANSINumber, "A-2");
    part.setString(data::fld::SQLParts::ISONumber, "I-2");
    ASSERT_EQ(part.add(), store::ErrorCode::None);
    auto& clause = (*s)[data::Handle::Clause];
    clause.clear();
    clause.setLong(data::fld::Clause::ClauseId, 1);
    clause.setLong(data::fld::Clause::SQLPartId, 1);
    clause.setString(data::fld::Clause::ClauseNumber, "4.1");
    clause.setString(data::fld::Clause::ClauseName, "Data types");
    ASSERT_EQ(clause.add(), store::ErrorCode::None);
    auto& t = (*s)[data::Handle::XST];
    t.clear();
    t.setLong(data::fld::XST::XSTId, 1);
    t.setString(data::fld::XST::XSTName, "Contains");
    ASSERT_EQ(t.add(), store::ErrorCode::None);
    addX(*s, 1, 1, "<one>");
    addX(*s, 2, 1, "<two>");
    addX(*s, 3, 1, "<three>");
    auto& x = (*s)[data::Handle::X];
    x.setMemo(data::fld::X::BNF_Text, "<two> <three>");
    ASSERT_EQ(x.put(), store::ErrorCode::None);  // the note of <three>, the last added
    addXS(*s, 0, 1, 1, 1);
    addXS(*s, 1, 2, 1, 1);
    addXS(*s, 1, 3, 2, 1);
    addXS(*s, 3, 1, 1, 1, 1, 3);  // cut: 3 would recurse into itself
  }
  WindowId open() {
    start([](windows::Session& s) { tree::Ormile(s); });
    WindowId w = screen_.waitWindow("Ormile");
    EXPECT_TRUE(screen_.waitIdle());
    return w;
  }
  std::vector<std::string> shown(WindowId w, const char* list) {
    std::vector<std::string> out;
    for (const auto& e : screen_.tree(w, list))
      out.push_back(std::to_string(e.depth) + " " + e.text);
    return out;
  }
  void post(WindowId w, EventKind kind, const char* label, int row = -1, int key = 0) {
    Event e;
    e.kind = kind;
    e.control = controlOf(w, label);
    e.row = row;
    e.key = key;
    ASSERT_TRUE(screen_.post(w, e));
    ASSERT_TRUE(screen_.waitIdle());
  }
  int controlOf(WindowId, const char* label) {
    static const std::vector<std::string> labels = {
        "?STRING3",        "?X:XTEXT",    "?CLOSE",      "?SHEET1",        "?TAB1",
        "?TREELIST",       "?EXPAND:2",   "?CONTRACT:2", "?EXPANDNODE",    "?CONTRACTNODE",
        "?BUTTON20",       "?TAB2",       "?TREELIST:2", "?CONTRACT",      "?EXPANDNODE:2",
        "?CONTRACTNODE:2", "?INSERT:2",   "?CHANGE:2",   "?DELETE:2",      "?STRING10",
        "?BNFHEADERPLUS",  "?X:BNF_TEXT", "?STRING9",    "?CLAUSEANDNAME", "?STRING8",
        "?PARTANDNAME",    "?STRING7",    "?XRECURNAME"};
    for (size_t i = 0; i < labels.size(); ++i)
      if (labels[i] == label) return int(i) + 1;
    return 0;
  }
};

TEST_F(OrmileWindowTest, OpensWithTheRootsOfBothTrees) {
  WindowId w = open();
  EXPECT_EQ(screen_.caption(w), "Ormile");
  EXPECT_EQ(shown(w, "?TREELIST"), std::vector<std::string>{"-1 <one>"});
  EXPECT_EQ(shown(w, "?TREELIST:2"),
            (std::vector<std::string>{"-1 <one>", "-1 <three>", "-1 <two>"}));
  EXPECT_EQ(screen_.text(w, "?BNFHEADERPLUS"), "<one> ::=");
  EXPECT_EQ(screen_.text(w, "?CLAUSEANDNAME"), "4.1 Data types");
  EXPECT_EQ(screen_.text(w, "?PARTANDNAME"), "A-2 Foundation") << "the ANSI number, not the ISO";
  EXPECT_EQ(screen_.text(w, "?XRECURNAME"), "");
  closeAll();
}

TEST_F(OrmileWindowTest, ExplodeAllAndTheCutLinkShowItsRecursionTarget) {
  WindowId w = open();
  EXPECT_TRUE(screen_.enabled(w, "?EXPAND:2"));
  ASSERT_TRUE(screen_.press(w, "?EXPAND:2"));
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_EQ(shown(w, "?TREELIST"),
            (std::vector<std::string>{"1 <one>", "2 <three>", "3 <one>", "2 <two>"}));
  EXPECT_FALSE(screen_.enabled(w, "?EXPAND:2")) << "disabled while the tree is exploded";
  EXPECT_TRUE(screen_.toolVisible(w, 3121));
  EXPECT_FALSE(screen_.toolVisible(w, 3120));
  post(w, EventKind::NewSelection, "?TREELIST", 2);
  EXPECT_EQ(screen_.text(w, "?BNFHEADERPLUS"), "<one> ::=");
  EXPECT_EQ(screen_.text(w, "?XRECURNAME"), "<three>");
  post(w, EventKind::NewSelection, "?TREELIST", 1);
  EXPECT_EQ(screen_.text(w, "?XRECURNAME"), "");
  EXPECT_EQ(screen_.text(w, "?X:BNF_TEXT"), "<two> <three>");
  // The tool bar's "next record" moves the selection of the shown tree.
  Event down;
  down.kind = EventKind::Accepted;
  down.control = 3009;
  ASSERT_TRUE(screen_.post(w, down));
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_EQ(screen_.selected(w, "?TREELIST"), 2);
  EXPECT_EQ(screen_.text(w, "?XRECURNAME"), "<three>");
  // The pop-up menu: no request is permitted; explode all is off while exploded.
  for (const char* off : {"Insert", "Change", "Delete", "View", "Select", "ExpandAll"})
    EXPECT_FALSE(screen_.popupEnabled(w, "?TREELIST", off)) << off;
  EXPECT_TRUE(screen_.popupEnabled(w, "?TREELIST", "ContractAll"));
  ASSERT_TRUE(screen_.choosePopup(w, "?TREELIST", "ContractAll"));
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_EQ(shown(w, "?TREELIST"), std::vector<std::string>{"-1 <one>"});
  EXPECT_FALSE(screen_.popupEnabled(w, "?TREELIST", "ContractAll"));
  EXPECT_TRUE(screen_.popupEnabled(w, "?TREELIST", "ExpandAll"));
  ASSERT_TRUE(screen_.choosePopup(w, "?TREELIST", "ExpandAll"));
  ASSERT_TRUE(screen_.waitIdle());
  // Collapsing a node ends the exploded state.
  post(w, EventKind::Contracted, "?TREELIST", 0);
  EXPECT_TRUE(screen_.enabled(w, "?EXPAND:2"));
  closeAll();
}

TEST_F(OrmileWindowTest, WhereUsedButtonsAreOffOnceANodeIsSelected) {
  WindowId w = open();
  ASSERT_TRUE(screen_.changeTab(w, "?SHEET1", 1));
  ASSERT_TRUE(screen_.waitIdle());
  post(w, EventKind::NewSelection, "?TREELIST:2", 1);
  EXPECT_FALSE(screen_.enabled(w, "?INSERT:2"));
  EXPECT_FALSE(screen_.enabled(w, "?CHANGE:2"));
  EXPECT_FALSE(screen_.enabled(w, "?DELETE:2"));
  EXPECT_EQ(screen_.text(w, "?BNFHEADERPLUS"), "<three> ::=");
  post(w, EventKind::Expanded, "?TREELIST:2", 1);
  EXPECT_EQ(shown(w, "?TREELIST:2"),
            (std::vector<std::string>{"-1 <one>", "1 <three>", "-2 <one>", "-1 <two>"}));
  post(w, EventKind::NewSelection, "?TREELIST:2", 2);
  EXPECT_EQ(screen_.text(w, "?BNFHEADERPLUS"), "<one> ::=")
      << "a use shows the containing production";
  // Shift+Down explodes this tree although it has no explode-all button.
  post(w, EventKind::Key, "?TREELIST:2", -1, 0x100 | 0x28);
  EXPECT_GT(screen_.tree(w, "?TREELIST:2").size(), 4u);
  // The tool bar (a press the frame passes on) acts on the tree of the shown tab.
  Event collapseTree;
  collapseTree.kind = EventKind::Accepted;
  collapseTree.control = 3121;
  ASSERT_TRUE(screen_.post(w, collapseTree));
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_EQ(shown(w, "?TREELIST:2"),
            (std::vector<std::string>{"-1 <one>", "-1 <three>", "-1 <two>"}));
  EXPECT_EQ(shown(w, "?TREELIST"), std::vector<std::string>{"-1 <one>"});
  closeAll();
}

TEST_F(OrmileWindowTest, CreatePrintTreeWritesTheShownList) {
  WindowId w = open();
  ASSERT_TRUE(screen_.press(w, "?EXPAND:2"));
  ASSERT_TRUE(screen_.waitIdle());
  ASSERT_TRUE(screen_.press(w, "?BUTTON20"));
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_TRUE(screen_.messages().empty());
  closeAll();
  auto s = newSession();
  EXPECT_EQ((*s)[data::Handle::TreeOut].records(), 4);
}

}  // namespace
}  // namespace ormile::test
