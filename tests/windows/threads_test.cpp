// Two BrowseSQLParts windows on two threads: each keeps its own position, and a derivation
// running in one leaves the other taking input.
#include <gtest/gtest.h>

#include "tests/windows/windows_fixture.h"

namespace ormile::test {
namespace {

using base::Answer;
using data::Handle;
using platform::WindowId;

const char* kList = "?Browse:1";

class BrowseThreadsTest : public WindowsTest {
 protected:
  void seedGrammar() {
    const char* names[] = {"Alpha",   "Beta", "Call",  "Data",  "Echo",
                           "Foxtrot", "Golf", "Hotel", "India", "Juliet"};
    int id = 1;
    for (const char* n : names) seedPart(id++, n);
    auto s = newSession();
    addClause(*s, 1, 1);
    auto& x = (*s)[Handle::X];
    struct Production {
      int id;
      const char* header;
      const char* body;
    } productions[] = {{1, "<query>", "<select list> <from clause>"},
                       {2, "<select list>", "<column> , <column>"},
                       {3, "<from clause>", "FROM <table>"},
                       {4, "<column>", "name"},
                       {5, "<table>", "name"}};
    for (const Production& p : productions) {
      x.clear();
      x.setLong(data::fld::X::XId, p.id);
      x.setLong(data::fld::X::ClauseId, 1);
      x.setString(data::fld::X::BNF_Header, p.header);
      ASSERT_TRUE(x.setField("X:BNF_Text", p.body));
      ASSERT_EQ(x.add(), store::ErrorCode::None) << x.errorText();
    }
  }
};

TEST_F(BrowseThreadsTest, TwoBrowsesKeepTheirOwnPositions) {
  seedGrammar();
  WindowId first = startBrowse(1);
  WindowId second = startBrowse(2);
  ASSERT_NE(first, second);
  ASSERT_TRUE(screen_.scroll(first, kList, platform::ScrollBottom));
  ASSERT_TRUE(screen_.locate(second, kList, "d"));
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_EQ(screen_.selectedCell(first, kList, 1), "Juliet");
  EXPECT_EQ(screen_.selectedCell(second, kList, 1), "Data");
  ASSERT_TRUE(screen_.scroll(second, kList, platform::ScrollDown));
  ASSERT_TRUE(screen_.scroll(first, kList, platform::ScrollUp));
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_EQ(screen_.selectedCell(first, kList, 1), "India");
  EXPECT_EQ(screen_.selectedCell(second, kList, 1), "Echo");
  ASSERT_TRUE(screen_.scroll(first, kList, platform::PageUp));
  ASSERT_TRUE(screen_.waitIdle());
  EXPECT_EQ(column(first, 1).front(), "Alpha");
  EXPECT_EQ(screen_.selectedCell(second, kList, 1), "Echo");
}

TEST_F(BrowseThreadsTest, ADerivationInOneWindowLeavesTheOtherTakingInput) {
  seedGrammar();
  WindowId busy = startBrowse(1);
  WindowId other = startBrowse(2);
  // The run stands in its stop message until the test answers it.
  screen_.holdAsks(true);
  ASSERT_TRUE(screen_.press(busy, "?Button6"));  // Make BNF Elements on "Alpha"
  ASSERT_TRUE(screen_.waitFor([&] { return screen_.count("Stop") == 1; }));
  ASSERT_TRUE(screen_.locate(other, kList, "h"));
  ASSERT_TRUE(screen_.waitFor([&] { return screen_.selectedCell(other, kList, 1) == "Hotel"; }));
  ASSERT_TRUE(screen_.press(other, "?Insert:2"));
  WindowId form = screen_.waitWindow("UpdateSQLParts");
  ASSERT_NE(form, 0);
  ASSERT_TRUE(screen_.type(form, "?STD:PartName", "Kilo"));
  ASSERT_TRUE(screen_.press(form, "?OK"));
  ASSERT_TRUE(screen_.waitFor([&] { return !screen_.isOpen(form); }));
  ASSERT_TRUE(screen_.answer(Answer::Ignore, "Stop"));
  screen_.holdAsks(false);
  ASSERT_TRUE(screen_.waitIdle());
  {
    auto s = newSession();
    EXPECT_EQ(countRows(*s, Handle::BNFElement), 5);
  }
  EXPECT_EQ(screen_.selectedCell(other, kList, 1), "Kilo");

  ASSERT_TRUE(screen_.press(busy, "?Button7"));   // Make Structure Rows on "Alpha"
  ASSERT_TRUE(screen_.press(other, "?Button7"));  // on "Kilo", which has no productions
  ASSERT_TRUE(screen_.waitIdle());
  auto s = newSession();
  EXPECT_GT(countRows(*s, Handle::XS), 0);
  EXPECT_NE(screen_.text(busy, "?XSRecordNbr"), "0");  // the run's counter, shown at its end
  EXPECT_EQ(screen_.text(other, "?XSRecordNbr"), "0");
  EXPECT_EQ(programEnds_, 0);
}

}  // namespace
}  // namespace ormile::test
