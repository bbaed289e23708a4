// Element extraction: the scan rule over small bodies, the per-part run's walk, the
// numbering of the rows, and what a refused row or an Abort leaves behind.
#include "bnf/element_extraction.h"

#include "tests/bnf/bnf_fixture.h"

namespace ormile::test {
namespace {

using data::Handle;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct ScanCase {
  const char* what;
  std::string body;
  std::vector<std::string> elements;  // numbered 1, 2, ... in this order
};

class ElementExtraction : public BnfTest {};

TEST_F(ElementExtraction, ScanFollowsTheBracketRule) {
  const std::string longName = "<" + std::string(130, 'n') + ">";
  const std::vector<ScanCase> cases = {
      {"empty body", "", {}},
      {"no opening bracket", "a ) b > c", {}},
      {"two elements", "<a> <b>", {"<a>", "<b>"}},
      {"side by side: the second is skipped", "<a><b> <c>", {"<a>", "<c>"}},
      {"one character after > is enough", "<a>x<b>", {"<a>", "<b>"}},
      {"unmatched < at the end", "<a> <b> <c", {"<a>", "<b>"}},
      {"second < before the first >", "<a <b> <c>", {"<a <b>", "<c>"}},
      {"empty brackets", "<>", {"<>"}},
      {"stray > before an element", "x > <a>", {"<a>"}},
      {"line breaks and case kept", "<Left\n  Paren> |", {"<Left\n  Paren>"}},
      {"long element cut to 120", longName, {longName.substr(0, 120)}},
      {"trailing blanks are not text", "<a>      ", {"<a>"}},
  };
  int xId = 0;
  for (const ScanCase& c : cases) {
    SCOPED_TRACE(c.what);
    ++xId;
    addProductions(1, 1, {{xId, "<p" + std::to_string(xId) + ">", c.body}});
    bnf::ScanOutcome outcome = bnf::ScanProductionText(*s, xId, c.body);
    EXPECT_EQ(outcome.inserted, int(c.elements.size()));
    std::vector<std::pair<std::string, int>> got;
    for (const auto& [id, text, seq] : elementsOf(xId)) got.emplace_back(text, seq);
    std::vector<std::pair<std::string, int>> want;
    for (size_t i = 0; i < c.elements.size(); ++i) want.emplace_back(c.elements[i], int(i) + 1);
    EXPECT_EQ(got, want);
  }
  EXPECT_THAT(answers_.titles(), IsEmpty());
}

TEST_F(ElementExtraction, PerPartRunWalksTheClausesAndProductionsInKeyOrder) {
  // Clause 9 and production 7 come first in key order (equal keys keep the order of adding),
  // though their identifiers are higher; part 2 is not touched.
  addProductions(1, 9, {{7, "<seven>", "<a> <b"}, {3, "<three>", "<c> <d>"}});
  addProductions(1, 2, {{5, "<five>", "<e>"}});
  addProductions(2, 4, {{8, "<eight>", "<other part>"}});
  bnf::ElementRunOutcome r = bnf::MakeBNFElementsForPart(*s, messages_, 1);
  EXPECT_TRUE(ok(r.error));
  EXPECT_EQ(r.productions, 3);
  EXPECT_EQ(stopTexts(), std::vector<std::string>{"at 0"});
  // Numbers follow the visit; sequences start again for every production; the unmatched
  // "<" of production 7 ends its scan only.
  EXPECT_THAT(elementsOf(7), ElementsAre(ElementRow{1, "<a>", 1}));
  EXPECT_THAT(elementsOf(3), ElementsAre(ElementRow{2, "<c>", 1}, ElementRow{3, "<d>", 2}));
  EXPECT_THAT(elementsOf(5), ElementsAre(ElementRow{4, "<e>", 1}));
  EXPECT_THAT(elementsOf(8), IsEmpty());
  // The run committed: another session sees the rows.
  EXPECT_EQ(countRows(*newSession(), Handle::BNFElement), 4);
}

TEST_F(ElementExtraction, SecondRunAddsTheElementsAgainWithNewNumbers) {
  addProductions(1, 1, {{1, "<one>", "<a> <b>"}});
  bnf::MakeBNFElementsForPart(*s, messages_, 1);
  bnf::MakeBNFElementsForPart(*s, messages_, 1);
  EXPECT_THAT(elementsOf(1), ElementsAre(ElementRow{1, "<a>", 1}, ElementRow{2, "<b>", 2},
                                         ElementRow{3, "<a>", 1}, ElementRow{4, "<b>", 2}));
}

TEST_F(ElementExtraction, RefusedRowIsReportedAndGivesItsNumberBack) {
  addProductions(1, 1, {{1, "<one>", "<x>"}});
  // Production 99 does not exist: each element fails the parent check, the scan goes on.
  bnf::ScanOutcome refused = bnf::ScanProductionText(*s, 99, "<a> <b>");
  EXPECT_EQ(refused.found, 2);
  EXPECT_EQ(refused.inserted, 0);
  EXPECT_EQ(answers_.titles(),
            (std::vector<std::string>{"Field contents error", "Field contents error"}));
  EXPECT_EQ(countRows(*s, Handle::BNFElement), 0);
  bnf::ScanProductionText(*s, 1, "<x>");
  EXPECT_THAT(elementsOf(1), ElementsAre(ElementRow{1, "<x>", 1}));
}

TEST_F(ElementExtraction, AbortAtZeroEndsBeforeAnyRowIsWritten) {
  addProductions(1, 1, {{1, "<one>", "<a>"}});
  answers_.answerNext("Stop", base::Answer::Abort);
  bnf::ElementRunOutcome r = bnf::MakeBNFElementsForPart(*s, messages_, 1);
  EXPECT_TRUE(r.aborted);
  EXPECT_EQ(programEnds_, 1);
  EXPECT_EQ(countRows(*newSession(), Handle::BNFElement), 0);
}

TEST_F(ElementExtraction, PartWithoutProductionsWritesNothing) {
  addPart(*s, 1);
  addClause(*s, 1, 1);
  addPart(*s, 2);
  for (int part : {1, 2, 3}) {
    bnf::ElementRunOutcome r = bnf::MakeBNFElementsForPart(*s, messages_, part);
    EXPECT_TRUE(ok(r.error));
    EXPECT_EQ(r.productions, 0);
  }
  EXPECT_EQ(stopTexts().size(), 3u);
  EXPECT_EQ(countRows(*s, Handle::BNFElement), 0);
}

TEST_F(ElementExtraction, OneProductionRunScansTheBodyAsItIsInTheBuffer) {
  addProductions(1, 1, {{1, "<one>", "<saved>"}});
  auto& x = (*s)[Handle::X];
  x.clear();
  x.setLong(data::fld::X::XId, 1);
  ASSERT_EQ(x.get(data::key::X::XIdPkey), store::ErrorCode::None);
  x.setMemo(data::fld::X::BNF_Text, "<edited> <not saved>");
  bnf::ElementRunOutcome r = bnf::MakeBNFElementsForProduction(*s);
  EXPECT_EQ(r.inserted, 2);
  EXPECT_THAT(elementsOf(1),
              ElementsAre(ElementRow{1, "<edited>", 1}, ElementRow{2, "<not saved>", 2}));
  EXPECT_THAT(answers_.titles(), IsEmpty());
  // The buffer is the form's: the run leaves it as it was.
  EXPECT_EQ(x.getMemo(data::fld::X::BNF_Text), "<edited> <not saved>");
}

}  // namespace
}  // namespace ormile::test
