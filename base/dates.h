// The date convention of the data files: a date is a LONG day count of the Gregorian
// calendar in which January 1, 1801 is day 4 (day 0 is December 28, 1800).
// Thread-safe: pure functions.
#pragma once

#include <cstdint>

namespace ormile::base {

struct CivilDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  bool operator==(const CivilDate&) const = default;
};

int32_t dayNumber(CivilDate date);
CivilDate civilDate(int32_t dayNumber);
bool isValidDate(CivilDate date);

}  // namespace ormile::base
