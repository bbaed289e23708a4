// Pictures: what the lists and entries show, and what an entry reads back.
#include <gtest/gtest.h>

#include "base/dates.h"
#include "data/tables/dictionary.h"
#include "windows/picture.h"

namespace ormile::windows {
namespace {

namespace fs = data::fld::SQLParts;

store::Record partRecord() {
  return store::Record(data::tableDef(data::Table::SQLParts).schema);
}

TEST(Picture, LongDateShowsAndReadsTheMonthsName) {
  const int32_t day = base::dayNumber({2009, 10, 17});
  EXPECT_EQ(formatLongDate(day), "October 17, 2009");
  EXPECT_EQ(formatLongDate(0), "");
  struct Case {
    const char* text;
    std::optional<int32_t> day;
  } cases[] = {
      {"October 17, 2009", day},
      {"october 17 2009", day},
      {"Oct 17, 2009", day},
      {"10/17/2009", day},
      {"", 0},
      {"February 30, 2009", std::nullopt},
      {"Octobre 17, 2009", std::nullopt},
      {"October 17, 09", std::nullopt},
      {"17", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parseLongDate(c.text), c.day) << c.text;
  EXPECT_EQ(parseLongDate(formatLongDate(base::dayNumber({1801, 1, 1}))), 4);
}

TEST(Picture, EntryReadsOrRefusesWithoutChangingTheRecord) {
  struct Case {
    const char* picture;
    int field;
    const char* text;
    bool accepted;
    const char* shownAfter;  // the field's text once read (unchanged when refused)
  } cases[] = {
      {"@n-14", fs::SQLPartId, "42", true, "42"},
      {"@n-14", fs::SQLPartId, "-7", true, "-7"},
      {"@n-14", fs::SQLPartId, "", true, "0"},
      {"@n-14", fs::SQLPartId, "4x", false, "9"},
      {"@n-14", fs::SQLPartId, "99999999999", false, "9"},
      {"@s60", fs::PartName, "Caf\xc3\xa9", true, "Caf\xc3\xa9"},
      {"@s60", fs::PartName, "\xce\xa9mega", false, "old"},
      {"@d4", fs::RatificationDate, "Feb 30, 2001", false, ""},
      {"@d4", fs::RatificationDate, "March 1, 2001", true, "March 1, 2001"},
  };
  for (const Case& c : cases) {
    store::Record r = partRecord();
    r.setLong(fs::SQLPartId, 9);
    r.setString(fs::PartName, "old");
    auto p = Picture::parse(c.picture);
    ASSERT_TRUE(p) << c.picture;
    auto error = p->store(c.text, r, c.field);
    EXPECT_EQ(!error.has_value(), c.accepted) << c.text;
    if (error) {
      EXPECT_FALSE(error->empty());
    }
    EXPECT_EQ(p->format(r, c.field), c.shownAfter) << c.text;
  }
}

TEST(Picture, TextIsStoredAsSingleBytes) {
  store::Record r = partRecord();
  auto p = Picture::parse("@s60");
  ASSERT_FALSE(p->store("\xc3\xa9t\xc3\xa9", r, fs::PartName));
  EXPECT_EQ(r.getTrimmed(fs::PartName), "\xe9t\xe9");
}

}  // namespace
}  // namespace ormile::windows
