// Both trees over the real SQL-99 grammar after import and both derivations.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "bnf/element_extraction.h"
#include "bnf/structure_rows.h"
#include "tests/tree/tree_fixture.h"
#include "tools/grammar_import.h"
#include "tree/print_tree.h"

namespace ormile::test {
namespace {

class RealGrammarTree : public DataTest {
 protected:
  void SetUp() override {
    std::ifstream in(ORMILE_SQL99_BNF);
    ASSERT_TRUE(in) << ORMILE_SQL99_BNF;
    std::stringstream text;
    text << in.rdbuf();
    s = newSession();
    auto report = tool::importGrammar(*s, messages_, tool::parseGrammar(text.str()), {});
    ASSERT_TRUE(report.ok) << report.error;
    bnf::MakeBNFElementsForPart(*s, messages_, report.partId);
    bnf::MakeStructureRows(*s, messages_, report.partId);
    answers_.clear();
    type = tree::containsType(*s);
    ASSERT_EQ(type, 1);
  }
  // Every entry is followed by its descendants: a depth grows by at most one.
  static void expectDescendantsFollow(const tree::TreeList& t) {
    const auto& e = t.entries();
    ASSERT_FALSE(e.empty());
    EXPECT_EQ(std::abs(e[0].depth), 1);
    for (size_t i = 1; i < e.size(); ++i) {
      ASSERT_LE(std::abs(e[i].depth), std::abs(e[i - 1].depth) + 1) << i;
      if (std::abs(e[i].depth) > std::abs(e[i - 1].depth)) {
        ASSERT_GT(e[i - 1].depth, 0) << "an entry followed by a child is expanded, at " << i;
      }
    }
  }
  std::unique_ptr<data::Session> s;
  int32_t type = 0;
};

TEST_F(RealGrammarTree, ExplodeAllAndTheListingCoverTheWholeStructure) {
  tree::TreeList t(*s, tree::explosionLevels([this] { return type; }));
  t.loadRoots();
  size_t roots = t.entries().size();
  ASSERT_GT(roots, 0u);
  t.explodeAll();
  ASSERT_GT(t.entries().size(), roots);
  expectDescendantsFollow(t);
  auto outcome = tree::CreatePrintTree(*s, messages_, t);
  EXPECT_EQ(size_t(outcome.rows), t.entries().size());
  EXPECT_EQ((*s)[data::Handle::TreeOut].records(), int64_t(t.entries().size()));
  EXPECT_TRUE(answers_.shown().empty());
}

TEST_F(RealGrammarTree, WhereUsedExplodeAllEndsAndNestsProperly) {
  tree::TreeList w(*s, tree::whereUsedLevels([this] { return type; }));
  w.explodeAll();
  const auto& e = w.entries();
  ASSERT_GT(e.size(), 1000u);
  expectDescendantsFollow(w);
}

TEST_F(RealGrammarTree, CycleEnteredByHandDoesNotHangExplodeAll) {
  // Close a loop from a leaf production back to a root, as another tool might.
  tree::TreeList t(*s, tree::explosionLevels([this] { return type; }));
  t.loadRoots();
  t.select(0);
  int32_t root = (*s)[data::Handle::XS].getLong(data::fld::XS::PassiveId);
  t.explodeNode(0);
  int last = int(t.entries().size()) - 1;
  t.select(last);
  int32_t leaf = (*s)[data::Handle::XS].getLong(data::fld::XS::PassiveId);
  addXS(*s, leaf, root, 999, 0);
  t.explodeAll();
  EXPECT_GT(t.entries().size(), 0u);
}

}  // namespace
}  // namespace ormile::test
