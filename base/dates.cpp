// Day counts <-> calendar dates, after the well-known days-from-civil arithmetic.
#include "base/dates.h"

namespace ormile::base {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// Day number of 1970-01-01 in the file convention (1801-01-01 is day 4).
const int64_t kEpochOffset = 4 - daysFromCivil(1801, 1, 1);

}  // namespace

int32_t dayNumber(CivilDate date) {
  return static_cast<int32_t>(daysFromCivil(date.year, unsigned(date.month), unsigned(date.day)) +
                              kEpochOffset);
}

CivilDate civilDate(int32_t dayNumber) {
  int64_t z = int64_t(dayNumber) - kEpochOffset + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

bool isValidDate(CivilDate date) {
  if (date.month < 1 || date.month > 12 || date.day < 1) return false;
  return civilDate(dayNumber(date)) == date;
}

}  // namespace ormile::base
