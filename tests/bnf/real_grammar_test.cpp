// The whole derivation on the real SQL-99 grammar, checked by what must hold on any
// grammar rather than by figures of this one.
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "bnf/element_extraction.h"
#include "bnf/structure_rows.h"
#include "tests/bnf/bnf_fixture.h"
#include "tools/data_check.h"
#include "tools/grammar_import.h"

namespace ormile::test {
namespace {

using data::Handle;
namespace fld = data::fld;
namespace key = data::key;

std::string readFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class RealGrammar : public BnfTest {};

TEST_F(RealGrammar, DerivationKeepsItsInvariants) {
  const std::string text = readFile(ORMILE_SQL99_BNF);
  ASSERT_FALSE(text.empty()) << "cannot read " << ORMILE_SQL99_BNF;
  tool::Grammar grammar = tool::parseGrammar(text);
  tool::ImportReport imported = tool::importGrammar(*s, messages_, grammar, {});
  ASSERT_TRUE(imported.ok) << imported.error;
  ASSERT_TRUE(imported.skipped.empty());
  const int productions = grammar.productionCount();
  ASSERT_GT(productions, 1000);

  bnf::ElementRunOutcome elements = bnf::MakeBNFElementsForPart(*s, messages_, imported.partId);
  ASSERT_TRUE(ok(elements.error)) << elements.errorText;
  EXPECT_EQ(elements.productions, productions);
  EXPECT_EQ(elements.inserted, elements.found);
  bnf::StructureRunOutcome structure = bnf::MakeStructureRows(*s, messages_, imported.partId);
  ASSERT_TRUE(ok(structure.error)) << structure.errorText;
  EXPECT_EQ(structure.productions, productions);
  EXPECT_EQ(stopTexts(), std::vector<std::string>{"at 0"});

  // Every production's elements are numbered 1..n, as many as its body holds.
  std::map<int, std::string> bodies;
  auto& x = (*s)[Handle::X];
  x.set(key::X::XIdPkey);
  while (x.next() == store::ErrorCode::None)
    bodies[x.getLong(fld::X::XId)] = x.getMemo(fld::X::BNF_Text);
  ASSERT_EQ(int(bodies.size()), productions);
  std::map<int, std::vector<int>> sequences;
  for (const auto& [xId, text, seq] : allElements()) sequences[xId].push_back(seq);
  for (const auto& [xId, body] : bodies) {
    std::vector<int> expected(bnf::findElements(body).size());
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = int(i) + 1;
    EXPECT_EQ(sequences[xId], expected) << "production " << xId;
  }

  // Every XS row is a root, an uncut link or a cut link; the uncut links form no cycle;
  // XSNoRecur holds exactly the roots and uncut links.
  std::set<NrRow> recorded;
  std::map<int, std::vector<int>> children;
  for (const auto& [active, passive, recur, seq, tree] : xsRows()) {
    if (active == 0) {
      EXPECT_TRUE(bodies.count(passive) && recur == 0 && seq == tree) << passive;
      recorded.emplace(0, passive, tree);
    } else if (recur == 0) {
      EXPECT_TRUE(bodies.count(active) && bodies.count(passive)) << active << "->" << passive;
      recorded.emplace(active, passive, tree);
      children[active].push_back(passive);
    } else {
      EXPECT_EQ(passive, 1) << active << "->" << recur;
      EXPECT_TRUE(bodies.count(active) && bodies.count(recur)) << active << "->" << recur;
    }
  }
  const std::multiset<NrRow> working = nrRows();
  EXPECT_EQ(std::set<NrRow>(working.begin(), working.end()), recorded);
  std::map<int, int> state;  // 1 on the path, 2 done
  std::function<bool(int)> cycleFrom = [&](int node) {
    state[node] = 1;
    for (int c : children[node])
      if (state[c] == 1 || (state[c] == 0 && cycleFrom(c))) return true;
    state[node] = 2;
    return false;
  };
  for (const auto& [node, unused] : children) {
    if (state[node] == 0) {
      ASSERT_FALSE(cycleFrom(node)) << "cycle through " << node;
    }
  }

  tool::CheckReport check = tool::checkDataSet(*s);
  EXPECT_TRUE(check.relationsHold())
      << check.error << (check.orphans.empty() ? "" : check.orphans[0]);
  EXPECT_EQ(int(check.unreferenced.size()), structure.roots);
}

}  // namespace
}  // namespace ormile::test
