// Structure rows: roots, links and cut links over small grammars; the emptying and release
// of the working table; repeated runs; Abort in a stop message; the window's counter.
#include "bnf/structure_rows.h"

#include "bnf/element_extraction.h"
#include "tests/bnf/bnf_fixture.h"

namespace ormile::test {
namespace {

using data::Handle;
using ::testing::IsEmpty;

class StructureRows : public BnfTest {
 protected:
  // Elements for part 1, then the structure run for it.
  bnf::StructureRunOutcome derive(int part = 1) {
    bnf::MakeBNFElementsForPart(*s, messages_, part);
    answers_.clear();
    return bnf::MakeStructureRows(*s, messages_, part);
  }
};

struct StructureCase {
  const char* what;
  std::vector<Production> productions;
  std::set<XsRow> xs;       // (active, passive, recurPassive, seq, tree)
  std::multiset<NrRow> nr;  // (active, passive, tree)
};

TEST_F(StructureRows, DerivesRootsLinksAndCutLinks) {
  const std::string header60 = "<" + std::string(59, 'h');  // as long as a header can be
  const std::vector<StructureCase> cases = {
      {"productions that nothing names are roots, numbered in the run",
       {{11, "<a>", "x"}, {12, "<b>", "y"}},
       {{0, 11, 0, 1, 1}, {0, 12, 0, 2, 2}},
       {{0, 11, 1}, {0, 12, 2}}},
      {"a self link is cut", {{11, "<a>", "<a> x"}}, {{11, 1, 11, 1, 0}}, {}},
      {"of two productions naming each other, the second link is cut",
       {{11, "<a>", "<b>"}, {12, "<b>", "<a>"}},
       {{11, 12, 0, 1, 0}, {12, 1, 11, 1, 0}},
       {{11, 12, 0}}},
      {"a child with a grandchild is cut even without a loop",
       {{11, "<c>", "<d>"}, {12, "<d>", "<e>"}, {13, "<e>", "e"}, {14, "<p>", "<c>"}},
       {{11, 12, 0, 1, 0}, {12, 13, 0, 1, 0}, {0, 14, 0, 1, 1}, {14, 1, 11, 1, 1}},
       {{11, 12, 0}, {12, 13, 0}, {0, 14, 1}}},
      {"an element twice in a body makes one link",
       {{11, "<a>", "<b> <b>"}, {12, "<b>", "b"}},
       {{0, 11, 0, 1, 1}, {11, 12, 0, 1, 1}},
       {{0, 11, 1}, {11, 12, 1}, {11, 12, 1}}},
      {"a production keeps one cut link", {{11, "<a>", "<a> <a>"}}, {{11, 1, 11, 1, 0}}, {}},
      {"an element that names no production makes no row",
       {{11, "<a>", "<nowhere> <b>"}, {12, "<b>", "b"}},
       {{0, 11, 0, 1, 1}, {11, 12, 0, 2, 1}},
       {{0, 11, 1}, {11, 12, 1}}},
      {"elements match headers without regard to case, cut to the header's width",
       {{11, "<a>", "<B> <" + std::string(70, 'h') + ">"}, {12, "<b>", "b"}, {13, header60, "h"}},
       // The root test compares the whole element with the header: <hhh...> is a root too.
       {{0, 11, 0, 1, 1}, {11, 12, 0, 1, 1}, {11, 13, 0, 2, 1}, {0, 13, 0, 2, 2}},
       {{0, 11, 1}, {11, 12, 1}, {11, 13, 1}, {0, 13, 2}}},
  };
  int n = 0;
  for (const StructureCase& c : cases) {
    SCOPED_TRACE(c.what);
    // A data set of its own per case: root keys repeat from run to run.
    const auto dir = dir_ / ("case" + std::to_string(++n));
    std::filesystem::create_directory(dir);
    s = std::make_unique<data::Session>(dir, messages_);
    addProductions(1, 1, c.productions);
    bnf::StructureRunOutcome r = derive();
    EXPECT_TRUE(ok(r.error)) << r.errorText;
    EXPECT_EQ(xsRows(), c.xs);
    EXPECT_EQ(nrRows(), c.nr);
    EXPECT_THAT(answers_.titles(), IsEmpty());
  }
}

TEST_F(StructureRows, RootTestSeesTheElementsOfEveryPart) {
  addProductions(1, 1, {{11, "<a>", "a"}});
  addProductions(2, 2, {{21, "<user>", "<A>"}});
  bnf::MakeBNFElementsForPart(*s, messages_, 2);
  bnf::StructureRunOutcome r = derive(1);
  EXPECT_EQ(r.roots, 0);
  EXPECT_THAT(xsRows(), IsEmpty());
}

TEST_F(StructureRows, SecondRunStopsOncePerRootAndAddsNothing) {
  addProductions(1, 1,
                 {{11, "<a>", "<b>"},
                  {12, "<b>", "<a> <c>"},
                  {13, "<c>", "c"},
                  {14, "<d>", "<c>"},
                  {15, "<e>", "e"}});
  derive();
  const std::set<XsRow> first = xsRows();
  const std::multiset<NrRow> working = nrRows();
  ASSERT_EQ(first.size(), 6u);  // 2 roots, 3 links, 1 cut link
  bnf::StructureRunOutcome again = bnf::MakeStructureRows(*s, messages_, 1);
  EXPECT_EQ(stopTexts(),
            (std::vector<std::string>{"Creates Duplicate Key", "Creates Duplicate Key"}));
  EXPECT_EQ(again.roots + again.links + again.cutLinks, 0);
  EXPECT_EQ(xsRows(), first);
  EXPECT_EQ(nrRows(), working);  // emptied first, then refilled alike
}

TEST_F(StructureRows, AbortInAStopMessageKeepsTheRowsWrittenBefore) {
  addProductions(1, 1, {{11, "<a>", "<b>"}, {12, "<b>", "b"}, {13, "<c>", "<b>"}});
  addXS(*s, 0, 99, 2);  // takes the key of the run's second root
  bnf::MakeBNFElementsForPart(*s, messages_, 1);
  answers_.clear();
  answers_.answerNext("Stop", base::Answer::Abort);
  bnf::StructureRunOutcome r = bnf::MakeStructureRows(*s, messages_, 1);
  EXPECT_TRUE(r.aborted);
  EXPECT_EQ(programEnds_, 1);
  EXPECT_EQ(stopTexts(), std::vector<std::string>{"Creates Duplicate Key"});
  s = newSession();  // what the files hold once the program has ended
  EXPECT_EQ(xsRows(), (std::set<XsRow>{{0, 99, 0, 2, 0}, {0, 11, 0, 1, 1}, {11, 12, 0, 1, 1}}));
}

TEST_F(StructureRows, WorkingTableIsEmptiedFirstAndReleasedAtTheEnd) {
  addProductions(1, 1, {{11, "<a>", "<b>"}, {12, "<b>", "b"}});
  auto& nr = (*s)[Handle::XSNoRecur];
  nr.setLong(data::fld::XSNoRecur::ActiveId, 12);  // a stale back link from an earlier run
  nr.setLong(data::fld::XSNoRecur::PassiveId, 11);
  nr.setLong(data::fld::XSNoRecur::TreeId, 5);
  ASSERT_EQ(nr.add(), store::ErrorCode::None);
  derive();
  EXPECT_EQ(xsRows(), (std::set<XsRow>{{0, 11, 0, 1, 1}, {11, 12, 0, 1, 1}}));
  EXPECT_EQ(nrRows(), (std::multiset<NrRow>{{0, 11, 1}, {11, 12, 1}}));
  auto other = newSession();
  EXPECT_EQ((*other)[Handle::XSNoRecur].open(store::OpenMode::DenyAll), base::Level::Benign);
  EXPECT_EQ((*other)[Handle::XSNoRecur].file().mode(), store::OpenMode::DenyAll);
}

TEST_F(StructureRows, WorkingTableInUseElsewhereEndsTheRunBeforeAnyRow) {
  addProductions(1, 1, {{11, "<a>", "<b>"}, {12, "<b>", "b"}});
  bnf::MakeBNFElementsForPart(*s, messages_, 1);
  answers_.clear();
  auto other = newSession();
  ASSERT_EQ((*other)[Handle::XSNoRecur].open(), base::Level::Benign);
  bnf::StructureRunOutcome r = bnf::MakeStructureRows(*s, messages_, 1);
  EXPECT_EQ(r.error, store::ErrorCode::AccessDenied);
  ASSERT_EQ(stopTexts().size(), 1u);
  EXPECT_NE(stopTexts()[0].find("No structure rows were made"), std::string::npos);
  EXPECT_THAT(xsRows(), IsEmpty());
}

TEST_F(StructureRows, CounterShowsTheLastSecondLevelReadsPlusTheRowsSince) {
  addProductions(1, 1, {{11, "<a>", "<b>"}, {12, "<b>", "<c>"}, {13, "<c>", "c"}});
  bnf::MakeBNFElementsForPart(*s, messages_, 1);
  std::vector<int32_t> shown;
  bnf::StructureRunOutcome r =
      bnf::MakeStructureRows(*s, messages_, 1, [&](int32_t n) { shown.push_back(n); });
  // Three rows were made; the last second-level check read one row, one row followed.
  EXPECT_EQ(r.roots + r.links, 3);
  EXPECT_EQ(r.xsRecordNbr, 2);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front(), 0);
  EXPECT_EQ(shown.back(), 2);
}

TEST_F(StructureRows, PartWithoutProductionsLeavesTheWorkingTableEmpty) {
  addProductions(2, 2, {{21, "<a>", "a"}});
  bnf::MakeBNFElementsForPart(*s, messages_, 2);
  bnf::MakeStructureRows(*s, messages_, 2);
  ASSERT_FALSE(nrRows().empty());
  addPart(*s, 1);
  bnf::StructureRunOutcome r = bnf::MakeStructureRows(*s, messages_, 1);
  EXPECT_TRUE(ok(r.error));
  EXPECT_THAT(nrRows(), IsEmpty());
  EXPECT_EQ(xsRows().size(), 1u);
}

}  // namespace
}  // namespace ormile::test
