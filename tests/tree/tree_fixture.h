// Small bills of materials for the tree tests: productions with headers, structure rows
// between them, and the tree read back as "depth header" lines.
#pragma once

#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tree/bom_levels.h"
#include "tree/tree_list.h"

namespace ormile::test {

class TreeTest : public DataTest {
 protected:
  TreeTest() : s(newSession()) {
    addPart(*s, 1, "Foundation");
    addClause(*s, 1, 1, "4.1");
    auto& t = (*s)[data::Handle::XST];
    t.clear();
    t.setLong(data::fld::XST::XSTId, 1);
    t.setString(data::fld::XST::XSTName, "Contains");
    EXPECT_EQ(t.add(), store::ErrorCode::None);
  }
  void productions(const std::vector<std::pair<int, std::string>>& xs) {
    for (const auto& [id, header] : xs) addX(*s, id, 1, header);
  }
  // Every shown entry as "depth header", depth negative while collapsed.
  static std::vector<std::string> shown(const tree::TreeList& t) {
    std::vector<std::string> out;
    for (int i = 0; i < int(t.entries().size()); ++i)
      out.push_back(std::to_string(t.entries()[size_t(i)].depth) + " " + std::string(t.text(i)));
    return out;
  }
  tree::TreeList explosion() {
    return tree::TreeList(*s, tree::explosionLevels([this] { return type; }));
  }
  tree::TreeList whereUsed() {
    return tree::TreeList(*s, tree::whereUsedLevels([this] { return type; }));
  }

  std::unique_ptr<data::Session> s;
  int32_t type = 1;
};

}  // namespace ormile::test
