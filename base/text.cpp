// Windows-1252 <-> UTF-8 conversion and the key collation of the record store.
#include "base/text.h"

#include <array>
#include <cstdint>

namespace ormile::base {
namespace {

// Unicode code points of the bytes 0x80..0x9F; the rest map to themselves.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t toUnicode(unsigned char c) {
  return (c >= 0x80 && c < 0xA0) ? kHigh[c - 0x80] : char32_t(c);
}

// Returns -1 when the code point has no single-byte form.
int fromUnicode(char32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return int(u);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == u) return 0x80 + i;
  return -1;
}

void appendUtf8(std::string& out, char32_t u) {
  if (u < 0x80) {
    out.push_back(char(u));
  } else if (u < 0x800) {
    out.push_back(char(0xC0 | (u >> 6)));
    out.push_back(char(0x80 | (u & 0x3F)));
  } else {
    out.push_back(char(0xE0 | (u >> 12)));
    out.push_back(char(0x80 | ((u >> 6) & 0x3F)));
    out.push_back(char(0x80 | (u & 0x3F)));
  }
}

// Decodes one UTF-8 character at s[i], advancing i. Malformed input yields the byte itself.
char32_t decodeUtf8(std::string_view s, size_t& i) {
  auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int len = (b0 >= 0xF0) ? 4 : (b0 >= 0xE0) ? 3 : (b0 >= 0xC0) ? 2 : 0;
  if (len == 0 || i + len > s.size()) {
    ++i;
    return b0;
  }
  char32_t u = b0 & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return b0;
    }
    u = (u << 6) | (b & 0x3F);
  }
  i += len;
  return u;
}

// Key weight of a code point: the upper-cased single-byte value, or beyond 255 for
// characters that have none (so they sort after every single-byte character).
uint32_t keyWeight(char32_t u) {
  int b = fromUnicode(u);
  if (b < 0) return 0x100 + uint32_t(u);
  return upper1252(static_cast<unsigned char>(b));
}

}  // namespace

namespace {
bool isAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}
}  // namespace

std::string cp1252ToUtf8(std::string_view bytes) {
  if (isAscii(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) appendUtf8(out, toUnicode(static_cast<unsigned char>(ch)));
  return out;
}

std::string utf8ToCp1252(std::string_view utf8, bool* lossy) {
  if (isAscii(utf8)) return std::string(utf8);
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t u = decodeUtf8(utf8, i);
    int b = fromUnicode(u);
    if (b < 0) {
      if (lossy) *lossy = true;
      b = '?';
    }
    out.push_back(char(b));
  }
  return out;
}

bool fitsCp1252(std::string_view utf8) {
  bool lossy = false;
  utf8ToCp1252(utf8, &lossy);
  return !lossy;
}

unsigned char upper1252(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c < 0x80) return c;
  switch (c) {
    case 0x9A:
      return 0x8A;  // s caron
    case 0x9C:
      return 0x8C;  // oe
    case 0x9E:
      return 0x8E;  // z caron
    case 0xFF:
      return 0x9F;  // y diaeresis
    default:
      break;
  }
  if (c >= 0xE0 && c != 0xF7) return c - 32;
  return c;
}

int compareKeyText(std::string_view a, std::string_view b) {
  a = rtrim(a);
  b = rtrim(b);
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = upper1252(static_cast<unsigned char>(a[i]));
    unsigned char y = upper1252(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int compareKeyTextUtf8(std::string_view a, std::string_view b) {
  a = rtrim(a);
  b = rtrim(b);
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    auto ca = static_cast<unsigned char>(a[i]);
    auto cb = static_cast<unsigned char>(b[j]);
    uint32_t x, y;
    if (ca < 0x80 && cb < 0x80) {  // the common case: plain ASCII
      x = upper1252(ca);
      y = upper1252(cb);
      ++i;
      ++j;
    } else {
      x = keyWeight(decodeUtf8(a, i));
      y = keyWeight(decodeUtf8(b, j));
    }
    if (x != y) return x < y ? -1 : 1;
  }
  if (i == a.size() && j == b.size()) return 0;
  return i == a.size() ? -1 : 1;
}

std::string_view rtrim(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return s.substr(0, n);
}

std::string barsToLines(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '|') c = '\n';
  return out;
}

}  // namespace ormile::base
