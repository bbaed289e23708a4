// Pictures: how a field's value is shown in a list cell, an entry or a display, and how a
// user's entry is read back into the record buffer. "@n-14" is a number of up to 14
// positions with a leading minus sign, "@sN" a text of N characters, "@d4" a long date
// ("October 17, 2009", a day count of base/dates.h; 0 shows blank).
// Record buffers hold Windows-1252 text, the screen UTF-8: a picture converts between them
// and refuses, with a message text, an entry it cannot store exactly.
// Thread-safe: immutable values and pure functions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/store/record.h"

namespace ormile::windows {

class Picture {
 public:
  enum class Kind { Number, String, LongDate };

  // Parses "@n-14", "@s60", "@d4" (case-insensitive); nullopt for a picture we do not know.
  static std::optional<Picture> parse(std::string_view picture);

  Kind kind() const { return kind_; }
  int width() const { return width_; }

  // The screen text (UTF-8) of a field of `record`.
  std::string format(const store::Record& record, int field) const;
  std::string formatLong(int32_t value) const;
  std::string formatText(std::string_view cp1252) const;

  // Reads an entry's UTF-8 text into the field. On success the field holds the value and the
  // result is empty; otherwise the record is unchanged and the result says why, in words for
  // the user.
  std::optional<std::string> store(std::string_view utf8, store::Record& record, int field) const;

 private:
  Picture(Kind kind, int width) : kind_(kind), width_(width) {}
  std::optional<std::string> readNumber(std::string_view text, int32_t& out) const;

  Kind kind_;
  int width_;
};

// The long date text of a day count ("October 17, 2009"); empty for 0 or a day before the
// calendar's start.
std::string formatLongDate(int32_t dayNumber);
// Reads "October 17, 2009" (month names in full or their first three letters, any letter
// case, the comma optional) or "10/17/2009"; empty text is day 0. nullopt when the text is
// no valid date.
std::optional<int32_t> parseLongDate(std::string_view utf8);

}  // namespace ormile::windows
