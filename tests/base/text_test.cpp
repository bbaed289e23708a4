#include <gtest/gtest.h>

#include "base/text.h"

namespace ormile::base {
namespace {

TEST(Text, Cp1252RoundTripsEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(char(b));
  bool lossy = false;
  EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all), &lossy), all);
  EXPECT_FALSE(lossy);
  EXPECT_EQ(cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(cp1252ToUtf8("\xE9"), "\xC3\xA9");      // e acute
}

TEST(Text, CharacterWithoutSingleByteFormIsMarkedNotDropped) {
  bool lossy = false;
  EXPECT_EQ(utf8ToCp1252("a\xE2\x88\x9E"
                         "b",
                         &lossy),
            "a?b");  // infinity sign
  EXPECT_TRUE(lossy);
  EXPECT_FALSE(fitsCp1252("\xE2\x88\x9E"));
  EXPECT_TRUE(fitsCp1252("caf\xC3\xA9"));
}

TEST(Text, KeyComparisonIgnoresCaseAndTrailingBlanks) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  } cases[] = {
      {"<query>", "<QUERY>", 0},
      {"<query>   ", "<query>", 0},
      {"abc", "abd", -1},
      {"ab", "abc", -1},
      {" a", "a", -1},                // leading blanks count
      {"\xE9t\xE9", "\xC9T\xC9", 0},  // accented letters of the code page fold too
      {"A_B", "AAB", 1},              // letters compare as upper case: '_' sorts after 'A'
  };
  for (const auto& c : cases) {
    int r = compareKeyText(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
    int u = compareKeyTextUtf8(cp1252ToUtf8(c.a), cp1252ToUtf8(c.b));
    EXPECT_EQ((u > 0) - (u < 0), c.sign) << "utf8: " << c.a << " vs " << c.b;
  }
}

}  // namespace
}  // namespace ormile::base
