#include <gtest/gtest.h>

#include "base/dates.h"

namespace ormile::base {
namespace {

TEST(Dates, DayNumbersFollowTheFileConvention) {
  struct Case {
    CivilDate date;
    int32_t day;
  } cases[] = {
      {{1800, 12, 28}, 0},    {{1801, 1, 1}, 4},
      {{1801, 3, 1}, 63},     {{1900, 3, 1}, 36222},  // 1900 is no leap year
      {{2000, 2, 29}, 72746}, {{2009, 10, 17}, 76264},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(dayNumber(c.date), c.day) << c.date.year << "-" << c.date.month;
    EXPECT_EQ(civilDate(c.day), c.date) << c.day;
  }
}

TEST(Dates, InvalidDatesAreRecognised) {
  EXPECT_TRUE(isValidDate({2000, 2, 29}));
  EXPECT_FALSE(isValidDate({1900, 2, 29}));
  EXPECT_FALSE(isValidDate({2009, 13, 1}));
  EXPECT_FALSE(isValidDate({2009, 4, 31}));
}

}  // namespace
}  // namespace ormile::base
