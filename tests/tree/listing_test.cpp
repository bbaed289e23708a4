// "Create PrintTree": the explosion list as shown, written into TreeOut.
#include <gtest/gtest.h>

#include "tests/tree/tree_fixture.h"
#include "tree/print_tree.h"

namespace ormile::test {
namespace {

using data::Handle;
namespace fT = data::fld::TreeOut;

class Listing : public TreeTest {
 protected:
  // (ItemOutId, XId, Level, header) of every TreeOut row, in file order.
  std::vector<std::tuple<int, int, int, std::string>> rows() {
    auto other = newSession();
    auto& t = (*other)[Handle::TreeOut];
    std::vector<std::tuple<int, int, int, std::string>> out;
    t.setRecordOrder();
    while (ok(t.next()))
      out.emplace_back(t.getLong(fT::ItemOutId), t.getLong(fT::XId), t.getLong(fT::Level),
                       std::string(t.getString(fT::BNF_Header)));
    return out;
  }
  // Root A expanded, its children B (collapsed) and C (expanded), C's child D, root E.
  void workedExample() {
    productions({{1, "<A>"}, {2, "<B>"}, {3, "<C>"}, {4, "<D>"}, {5, "<E>"}, {6, "<F>"}});
    addXS(*s, 0, 1, 1, 1);
    addXS(*s, 0, 5, 2, 2);
    addXS(*s, 1, 2, 1, 1);
    addXS(*s, 1, 3, 2, 1);
    addXS(*s, 2, 6, 1, 1);
    addXS(*s, 3, 4, 1, 1);
    addXS(*s, 5, 6, 1, 2);
  }
};

TEST_F(Listing, WritesTheListAsShownAndTheSecondPressGivesTheSameRows) {
  workedExample();
  auto& part = (*s)[Handle::SQLParts];
  part.clear();
  part.setLong(data::fld::SQLParts::SQLPartId, 1);
  ASSERT_EQ(part.get(0), store::ErrorCode::None);
  part.setString(data::fld::SQLParts::ISONumber, "ISO/IEC 9075-2");
  ASSERT_EQ(part.put(), store::ErrorCode::None);

  auto t = explosion();
  t.loadRoots();
  t.expand(0);  // A
  t.expand(2);  // C
  t.select(1);
  ASSERT_EQ(shown(t), (std::vector<std::string>{"1 <A>", "-2 <B>", "2 <C>", "3 <D>", "-1 <E>"}));
  std::vector<bool> cursor;
  auto outcome = tree::CreatePrintTree(*s, messages_, t, [&](bool on) { cursor.push_back(on); });
  EXPECT_EQ(outcome.rows, 5);
  EXPECT_FALSE(outcome.failed);
  using R = std::tuple<int, int, int, std::string>;
  const std::vector<R> expected = {
      {1, 1, 1, "<A>"}, {2, 2, 2, "<B>"}, {3, 3, 2, "<C>"}, {4, 4, 3, "<D>"}, {5, 5, 1, "<E>"}};
  EXPECT_EQ(rows(), expected);
  EXPECT_EQ(cursor, (std::vector<bool>{true, false}));
  // The part's ISO number and the clause number come with every row.
  auto other = newSession();
  auto& out = (*other)[Handle::TreeOut];
  out.setRecordOrder();
  ASSERT_EQ(out.next(), store::ErrorCode::None);
  EXPECT_EQ(out.getString(fT::PartNumber), "ISO/IEC 9075-2");
  EXPECT_EQ(out.getString(fT::ClauseNumber), "4.1");
  EXPECT_EQ(out.getString(fT::PartName), "Foundation");
  // The selected entry is current again.
  EXPECT_EQ((*s)[Handle::X].getString(data::fld::X::BNF_Header), "<B>");

  other.reset();  // a reader holding the table would keep it from being replaced
  tree::CreatePrintTree(*s, messages_, t);
  EXPECT_EQ(rows(), expected) << "a second press rebuilds, it does not append";
  EXPECT_TRUE(answers_.shown().empty());
}

TEST_F(Listing, EmptyListGivesAnEmptyTable) {
  auto t = explosion();
  t.loadRoots();
  auto outcome = tree::CreatePrintTree(*s, messages_, t);
  EXPECT_EQ(outcome.rows, 0);
  EXPECT_TRUE(rows().empty());
  EXPECT_TRUE(answers_.shown().empty());
}

TEST_F(Listing, SecondWindowHoldingTheTableGetsTheCreateError) {
  workedExample();
  auto t = explosion();
  t.loadRoots();
  auto other = newSession();  // the first window, in the middle of its own listing
  ASSERT_EQ((*other)[Handle::TreeOut].file().open(store::OpenMode::DenyWrite),
            store::ErrorCode::None);
  auto outcome = tree::CreatePrintTree(*s, messages_, t);
  EXPECT_TRUE(outcome.failed);
  ASSERT_EQ(answers_.titles(), std::vector<std::string>{"Stop"});
  EXPECT_EQ(answers_.shown()[0].text, "File CREATE Error: Access Denied");
  EXPECT_EQ(answers_.shown()[0].buttons, base::Buttons::AbortIgnore);
}

}  // namespace
}  // namespace ormile::test
