// Formatting and reading of the pictures "@n-14", "@sN" and "@d4".
#include "windows/picture.h"

#include <array>
#include <cctype>
#include <charconv>
#include <limits>

#include "base/dates.h"
#include "base/text.h"

namespace ormile::windows {
namespace {

constexpr std::array<const char*, 12> kMonths = {"January",   "February", "March",    "April",
                                                 "May",       "June",     "July",     "August",
                                                 "September", "October",  "November", "December"};

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

int monthOf(std::string_view word) {
  for (size_t m = 0; m < kMonths.size(); ++m) {
    std::string_view name = kMonths[m];
    if (equalsIgnoringCase(word, name) ||
        (word.size() == 3 && equalsIgnoringCase(word, name.substr(0, 3))))
      return int(m) + 1;
  }
  return 0;
}

std::optional<int> number(std::string_view s) {
  int v = 0;
  if (s.empty()) return std::nullopt;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
  return v;
}

// The first UTF-8 character of `utf8` that has no single-byte form, for the message.
std::string firstUnstorable(std::string_view utf8) {
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    std::string_view ch = utf8.substr(i, len);
    if (!base::fitsCp1252(ch)) return std::string(ch);
    i += len;
  }
  return {};
}

// Day 0 and the days before January 1, 1801 (day 4) are no dates of the files: shown blank.
constexpr int32_t kFirstDay = 4;

}  // namespace

std::optional<Picture> Picture::parse(std::string_view picture) {
  if (picture.size() < 3 || picture[0] != '@') return std::nullopt;
  char kind = static_cast<char>(std::tolower(static_cast<unsigned char>(picture[1])));
  std::string_view rest = picture.substr(2);
  if (kind == 'n') {
    if (!rest.empty() && rest.front() == '-') rest.remove_prefix(1);
    auto w = number(rest);
    if (!w || *w <= 0) return std::nullopt;
    return Picture(Kind::Number, *w);
  }
  if (kind == 's') {
    auto w = number(rest);
    if (!w || *w <= 0) return std::nullopt;
    return Picture(Kind::String, *w);
  }
  if (kind == 'd' && rest == "4") return Picture(Kind::LongDate, 18);
  return std::nullopt;
}

std::string formatLongDate(int32_t dayNumber) {
  if (dayNumber < kFirstDay) return {};
  base::CivilDate d = base::civilDate(dayNumber);
  return std::string(kMonths[size_t(d.month - 1)]) + " " + std::to_string(d.day) + ", " +
         std::to_string(d.year);
}

std::optional<int32_t> parseLongDate(std::string_view utf8) {
  std::string_view s = trim(utf8);
  if (s.empty()) return 0;
  base::CivilDate d;
  if (std::isdigit(static_cast<unsigned char>(s.front()))) {
    size_t a = s.find('/'), b = a == s.npos ? s.npos : s.find('/', a + 1);
    if (b == s.npos) return std::nullopt;
    auto m = number(trim(s.substr(0, a)));
    auto day = number(trim(s.substr(a + 1, b - a - 1)));
    auto y = number(trim(s.substr(b + 1)));
    if (!m || !day || !y) return std::nullopt;
    d = {*y, *m, *day};
  } else {
    size_t space = s.find(' ');
    if (space == s.npos) return std::nullopt;
    int month = monthOf(s.substr(0, space));
    std::string_view rest = trim(s.substr(space + 1));
    size_t sep = rest.find_first_of(", ");
    if (month == 0 || sep == rest.npos) return std::nullopt;
    auto day = number(rest.substr(0, sep));
    rest = rest.substr(sep);
    while (!rest.empty() && (rest.front() == ',' || rest.front() == ' ')) rest.remove_prefix(1);
    auto y = number(rest);
    if (!day || !y) return std::nullopt;
    d = {*y, month, *day};
  }
  // Four-digit years only: a two-digit year would be a guess.
  if (d.year < 1801 || d.year > 9999 || !base::isValidDate(d)) return std::nullopt;
  return base::dayNumber(d);
}

std::string Picture::formatLong(int32_t value) const {
  if (kind_ == Kind::LongDate) return formatLongDate(value);
  return std::to_string(value);
}

std::string Picture::formatText(std::string_view cp1252) const {
  std::string_view t = base::rtrim(cp1252);
  if (kind_ == Kind::String && t.size() > size_t(width_)) t = t.substr(0, size_t(width_));
  return base::cp1252ToUtf8(t);
}

std::string Picture::format(const store::Record& record, int field) const {
  const auto& column = record.schema().columns[size_t(field)];
  if (column.type == store::ColumnType::Long) {
    int32_t v = record.getLong(field);
    if (kind_ == Kind::String) return std::to_string(v);
    return formatLong(v);
  }
  if (column.type == store::ColumnType::Memo) return formatText(record.getMemo(field));
  return formatText(record.getTrimmed(field));
}

std::optional<std::string> Picture::readNumber(std::string_view text, int32_t& out) const {
  std::string digits;
  std::string_view s = trim(text);
  for (char c : s)
    if (c != ',') digits += c;  // grouping typed by habit
  if (digits.empty()) {
    out = 0;
    return std::nullopt;
  }
  bool negative = digits.front() == '-';
  std::string_view body = std::string_view(digits).substr(negative ? 1 : 0);
  bool allDigits = !body.empty();
  for (char c : body) allDigits = allDigits && std::isdigit(static_cast<unsigned char>(c));
  if (!allDigits) return "\"" + std::string(s) + "\" is not a whole number.";
  int64_t v = 0;
  for (char c : body) {
    v = v * 10 + (c - '0');
    if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1) break;
  }
  if (negative) v = -v;
  if (digits.size() > size_t(width_) || v > std::numeric_limits<int32_t>::max() ||
      v < std::numeric_limits<int32_t>::min())
    return "\"" + std::string(s) + "\" is too large for this field.";
  out = static_cast<int32_t>(v);
  return std::nullopt;
}

std::optional<std::string> Picture::store(std::string_view utf8, store::Record& record,
                                          int field) const {
  const auto& column = record.schema().columns[size_t(field)];
  if (column.type == store::ColumnType::Long) {
    if (kind_ == Kind::LongDate) {
      auto day = parseLongDate(utf8);
      if (!day)
        return "\"" + std::string(trim(utf8)) +
               "\" is not a valid date. Enter a date such as October 17, 2009.";
      record.setLong(field, *day);
      return std::nullopt;
    }
    int32_t v = 0;
    if (auto error = readNumber(utf8, v)) return error;
    record.setLong(field, v);
    return std::nullopt;
  }
  if (!base::fitsCp1252(utf8))
    return "The character \"" + firstUnstorable(utf8) +
           "\" cannot be stored in this field. Only characters of the Western European "
           "(Windows-1252) character set can be stored.";
  std::string bytes = base::utf8ToCp1252(utf8);
  // The entry holds at most the picture's width, as the edit control does.
  if (kind_ == Kind::String && bytes.size() > size_t(width_)) bytes.resize(size_t(width_));
  if (column.type == store::ColumnType::Memo)
    record.setMemo(field, bytes);
  else
    record.setString(field, bytes);
  return std::nullopt;
}

}  // namespace ormile::windows
