// The explosion and where-used trees over small bills of materials.
#include <gtest/gtest.h>

#include "tests/tree/tree_fixture.h"

namespace ormile::test {
namespace {

using data::Handle;
using V = std::vector<std::string>;

TEST_F(TreeTest, SiblingsAreOrderedByHeaderNotBySequence) {
  productions({{10, "<top>"}, {11, "<c>"}, {12, "<A>"}, {13, "<b>"}});
  addXS(*s, 0, 10, 1, 1);
  addXS(*s, 10, 11, 1, 1);
  addXS(*s, 10, 12, 2, 1);
  addXS(*s, 10, 13, 3, 1);
  addXS(*s, 10, 98, 4, 1);  // two rows whose production is missing: equal (blank) texts,
  addXS(*s, 10, 97, 5, 1);  // which keep the order in which they were read
  auto t = explosion();
  t.loadRoots();
  EXPECT_EQ(shown(t), (V{"-1 <top>"}));
  t.expand(0);
  EXPECT_EQ(shown(t), (V{"1 <top>", "2 ", "2 ", "2 <A>", "2 <b>", "2 <c>"}));
  t.select(1);
  EXPECT_EQ((*s)[Handle::XS].getLong(data::fld::XS::PassiveId), 98);
  EXPECT_EQ((*s)[Handle::X].getLong(data::fld::X::XId), 0) << "a missing production is blank";
  t.select(2);
  EXPECT_EQ((*s)[Handle::XS].getLong(data::fld::XS::PassiveId), 97);
}

TEST_F(TreeTest, CutLinkShowsProductionOneAndKeepsItsRealChild) {
  productions({{1, "<one>"}, {2, "<two>"}, {3, "<three>"}});
  addXS(*s, 0, 1, 1, 1);
  addXS(*s, 1, 2, 1, 1);
  addXS(*s, 2, 1, 1, 1, 1, 2);  // cut: 2 names itself
  auto t = explosion();
  t.explodeAll();
  // Production 1 is shown again under the cut link and, being an ancestor, ends the walk.
  EXPECT_EQ(shown(t), (V{"1 <one>", "2 <two>", "3 <one>"}));
  t.select(2);
  EXPECT_EQ((*s)[Handle::XS].getLong(data::fld::XS::RecurPassiveId), 2);
  EXPECT_EQ((*s)[Handle::X].getString(data::fld::X::BNF_Header), "<one>");
}

TEST_F(TreeTest, ExplodeAllEndsOnACycleEnteredByHand) {
  productions({{5, "<a>"}, {6, "<b>"}, {7, "<c>"}});
  addXS(*s, 0, 5, 1, 1);
  addXS(*s, 5, 6, 1, 1);
  addXS(*s, 6, 7, 1, 1);
  addXS(*s, 7, 5, 1, 1);  // closes a loop without a cut
  auto t = explosion();
  t.explodeAll();
  EXPECT_EQ(shown(t), (V{"1 <a>", "2 <b>", "3 <c>", "4 <a>"}));
  t.collapseAll();
  t.explodeNode(0);
  EXPECT_EQ(shown(t), (V{"1 <a>", "2 <b>", "3 <c>", "4 <a>"}));
  auto w = whereUsed();
  w.explodeAll();
  EXPECT_EQ(shown(w).size(), 12u);  // three used productions, each up the loop and back
}

TEST_F(TreeTest, ExplodeAndCollapseStatesAndRereading) {
  productions({{10, "<top>"}, {11, "<x>"}, {12, "<y>"}});
  addXS(*s, 0, 10, 1, 1);
  addXS(*s, 10, 11, 1, 1);
  auto t = explosion();
  t.loadRoots();
  EXPECT_FALSE(t.exploded());
  EXPECT_FALSE(t.collapsed());
  t.explodeAll();
  EXPECT_TRUE(t.exploded());
  t.collapse(0);
  EXPECT_FALSE(t.exploded()) << "collapsing a node clears the exploded state";
  EXPECT_EQ(shown(t), (V{"-1 <top>"}));
  addXS(*s, 10, 12, 2, 1);  // added by another window meanwhile
  t.expand(0);
  EXPECT_EQ(shown(t), (V{"1 <top>", "2 <x>", "2 <y>"}));
  t.collapseAll();
  EXPECT_TRUE(t.collapsed());
  EXPECT_FALSE(t.exploded());
  t.expand(0);
  EXPECT_FALSE(t.collapsed());
}

TEST_F(TreeTest, RefreshTreeExpandsAgainWhatWasExpanded) {
  productions({{10, "<p>"}, {11, "<q>"}, {12, "<r>"}, {13, "<s>"}});
  addXS(*s, 0, 10, 1, 1);
  addXS(*s, 0, 13, 2, 2);
  addXS(*s, 10, 11, 1, 1);
  addXS(*s, 11, 12, 1, 1);
  addXS(*s, 13, 12, 1, 2);
  auto t = explosion();
  t.loadRoots();
  t.expand(0);
  EXPECT_EQ(shown(t), (V{"1 <p>", "-2 <q>", "-1 <s>"}));
  t.refreshTree();
  EXPECT_EQ(shown(t), (V{"1 <p>", "-2 <q>", "-1 <s>"}));
  EXPECT_EQ(t.moveDown(1), 2);
  EXPECT_EQ(t.moveUp(1), 0);
}

TEST_F(TreeTest, EmptyStructureOrNoTypeGivesEmptyTrees) {
  productions({{10, "<p>"}, {11, "<q>"}});
  auto t = explosion();
  t.loadRoots();
  EXPECT_TRUE(t.entries().empty());
  EXPECT_EQ(t.selected(), -1);
  addXS(*s, 0, 10, 1, 1);
  addXS(*s, 10, 11, 1, 1);
  type = 0;  // no row named "Contains"
  t.loadRoots();
  EXPECT_TRUE(t.entries().empty());
  auto w = whereUsed();
  w.loadRoots();
  EXPECT_TRUE(w.entries().empty());
}

TEST_F(TreeTest, WhereUsedListsExactlyTheProductionsUsedByUncutLinksOfTheType) {
  productions({{1, "<one>"},
               {10, "<top>"},
               {11, "<used twice>"},
               {12, "<user b>"},
               {13, "<user a>"},
               {14, "<cut only>"},
               {15, "<other type>"}});
  addXS(*s, 0, 10, 1, 1);
  addXS(*s, 10, 12, 1, 1);
  addXS(*s, 10, 13, 2, 1);
  addXS(*s, 12, 11, 1, 1);
  addXS(*s, 13, 11, 1, 1);
  addXS(*s, 13, 1, 2, 1, 1, 14);  // a cut link: its real child 14 is not a use of 14
  addXS(*s, 13, 15, 3, 1, 2);     // structure type 2
  auto w = whereUsed();
  w.loadRoots();
  EXPECT_EQ(shown(w), (V{"-1 <one>", "-1 <used twice>", "-1 <user a>", "-1 <user b>"}));
  w.expand(1);
  EXPECT_EQ(shown(w), (V{"-1 <one>", "1 <used twice>", "-2 <user a>", "-2 <user b>", "-1 <user a>",
                         "-1 <user b>"}));
  // A top node selects no structure row; a structure node shows the containing production.
  w.select(1);
  EXPECT_EQ((*s)[Handle::AXS].getLong(data::fld::XS::PassiveId), 0);
  EXPECT_EQ((*s)[Handle::AXUR].getLong(data::fld::X::XId), 11);
  w.select(2);
  EXPECT_EQ((*s)[Handle::AXMas].getLong(data::fld::X::XId), 13);
  w.explodeAll();
  EXPECT_EQ(shown(w),
            (V{"1 <one>", "2 <user a>", "3 <top>", "1 <used twice>", "2 <user a>", "3 <top>",
               "2 <user b>", "3 <top>", "1 <user a>", "2 <top>", "1 <user b>", "2 <top>"}));
}

TEST_F(TreeTest, SelectionHookSeesTheCopiesInTheBuffers) {
  productions({{10, "<p>"}, {11, "<q>"}});
  addXS(*s, 0, 10, 1, 1);
  addXS(*s, 10, 11, 1, 1);
  auto t = explosion();
  std::vector<std::string> seen;
  t.setSelectionHook([&](int entry) {
    if (entry >= 0) seen.emplace_back((*s)[Handle::X].getString(data::fld::X::BNF_Header));
  });
  t.explodeAll();
  t.select(1);
  (*s)[Handle::X].clear();
  t.select(0);
  EXPECT_EQ(seen, (V{"<p>", "<q>", "<p>"}));
}

}  // namespace
}  // namespace ormile::test
