// Reading a grammar text and loading it through the table handles.
#include "tools/grammar_import.h"

#include "tests/bnf/bnf_fixture.h"

namespace ormile::test {
namespace {

using data::Handle;
namespace fld = data::fld;
namespace key = data::key;

const char* const kText =
    "A Small Grammar\r\n"
    "===============\n"
    "<early> ::= before any heading\n"
    "\n"
    "--h2 5.1 <table definition> (p151)\n"
    "--/h2\n"
    "--p\n"
    "--i\n"
    "What a table is.\n"
    "--/i\n"
    "--/p\n"
    "\n"
    "<table definition> ::=\n"
    "\t\tCREATE TABLE <table name>   \n"
    "\t|\tCREATE VIEW\n"
    "\n"
    "\n"
    "<less than operator> ::= <\n"
    "--@@ <commented> ::= out\n"
    "just words after a comment\n"
    "--h3 Literals\n"
    "<literal> ::= <digit>...\n";

TEST(GrammarText, HeadingsBodiesAndNotesAreRead) {
  tool::Grammar g = tool::parseGrammar(kText);
  EXPECT_EQ(g.firstLine, "A Small Grammar");
  ASSERT_EQ(g.clauses.size(), 3u);
  EXPECT_EQ(g.clauses[0].number, "0");
  ASSERT_EQ(g.clauses[0].productions.size(), 1u);
  EXPECT_EQ(g.clauses[0].productions[0].body, "before any heading");
  EXPECT_EQ(g.clauses[1].number, "5.1");
  EXPECT_EQ(g.clauses[1].name, "<table definition>");
  ASSERT_EQ(g.clauses[1].productions.size(), 2u);
  const tool::GrammarProduction& table = g.clauses[1].productions[0];
  EXPECT_EQ(table.header, "<table definition>");
  EXPECT_EQ(table.line, 13);
  EXPECT_EQ(table.body, "\t\tCREATE TABLE <table name>   \n\t|\tCREATE VIEW");
  EXPECT_EQ(table.note, "What a table is.");
  const tool::GrammarProduction& less = g.clauses[1].productions[1];
  EXPECT_EQ(less.body, "<");
  EXPECT_EQ(less.note, "");             // the paragraph belonged to the production before
  EXPECT_EQ(g.clauses[2].number, "2");  // the second heading, without a number of its own
  EXPECT_EQ(g.clauses[2].name, "Literals");
  ASSERT_EQ(g.clauses[2].productions.size(), 1u);
  EXPECT_EQ(g.clauses[2].productions[0].header, "<literal>");
  EXPECT_EQ(g.productionCount(), 4);
}

class GrammarImport : public BnfTest {
 protected:
  tool::ImportReport import(const std::string& text, tool::ImportOptions options = {}) {
    return tool::importGrammar(*s, messages_, tool::parseGrammar(text), options);
  }
};

TEST_F(GrammarImport, RowsAreNumberedInFileOrderWithTheStructureType) {
  tool::ImportOptions options;
  options.ansiNumber = "ANSI X3.135";
  tool::ImportReport r = import(kText, options);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.partId, 1);
  EXPECT_EQ(r.clauses, 3);
  EXPECT_EQ(r.productions, 4);
  EXPECT_TRUE(r.addedStructureType);
  auto& part = (*s)[Handle::SQLParts];
  part.setLong(fld::SQLParts::SQLPartId, 1);
  ASSERT_EQ(part.get(key::SQLParts::SQLPartPkey), store::ErrorCode::None);
  EXPECT_EQ(part.getString(fld::SQLParts::PartName), "A Small Grammar");
  EXPECT_EQ(part.getString(fld::SQLParts::ANSINumber), "ANSI X3.135");
  std::vector<std::tuple<int, int, std::string>> xs;  // (XId, ClauseId, header)
  auto& x = (*s)[Handle::X];
  x.set(key::X::XIdPkey);
  while (x.next() == store::ErrorCode::None)
    xs.emplace_back(x.getLong(fld::X::XId), x.getLong(fld::X::ClauseId),
                    std::string(x.getString(fld::X::BNF_Header)));
  EXPECT_EQ(xs, (std::vector<std::tuple<int, int, std::string>>{{1, 1, "<early>"},
                                                                {2, 2, "<table definition>"},
                                                                {3, 2, "<less than operator>"},
                                                                {4, 3, "<literal>"}}));
  auto& xst = (*s)[Handle::XST];
  xst.setLong(fld::XST::XSTId, 1);
  ASSERT_EQ(xst.get(key::XST::XSTPkey), store::ErrorCode::None);
  EXPECT_EQ(xst.getString(fld::XST::XSTName), "Contains");
  EXPECT_TRUE(answers_.titles().empty());
}

TEST_F(GrammarImport, TakenHeadersAreReportedAndSkipped) {
  ASSERT_TRUE(import(kText).ok);
  // Taken by the earlier import (in another letter case) and twice within this text.
  tool::ImportReport r =
      import("Second\n--h2 More\n<LITERAL> ::= x\n<new> ::= y\n<new> ::= z\n<last> ::= w\n");
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.partId, 2);
  EXPECT_EQ(r.productions, 2);
  EXPECT_EQ(r.skipped.size(), 2u);
  EXPECT_FALSE(r.addedStructureType);
  EXPECT_EQ(answers_.titles(),
            (std::vector<std::string>{"Duplicate Key Error", "Duplicate Key Error"}));
  // The numbers reserved for the skipped rows were given back.
  EXPECT_EQ(countRows(*s, Handle::X), 6);
  auto& x = (*s)[Handle::X];
  x.set(key::X::XIdPkey);
  x.previous();
  EXPECT_EQ(x.getLong(fld::X::XId), 6);
  EXPECT_EQ(x.getString(fld::X::BNF_Header), "<last>");
}

TEST_F(GrammarImport, BadTextsAreRefusedOrReported) {
  tool::ImportReport none = import("Only words\n--h2 Heading\nno production here\n");
  EXPECT_FALSE(none.ok);
  EXPECT_NE(none.error.find("no production"), std::string::npos);
  EXPECT_EQ(countRows(*s, Handle::SQLParts), 0);
  EXPECT_EQ(countRows(*s, Handle::Clause), 0);

  const std::string body(5000, 'b');
  tool::ImportReport cut = import("Long\n<long> ::= " + body + "\n");
  ASSERT_TRUE(cut.ok) << cut.error;
  ASSERT_EQ(cut.problems.size(), 1u);
  EXPECT_NE(cut.problems[0].find("stored cut to 4096"), std::string::npos);
  auto& x = (*s)[Handle::X];
  x.setLong(fld::X::XId, 1);
  ASSERT_EQ(x.get(key::X::XIdPkey), store::ErrorCode::None);
  EXPECT_EQ(x.getMemo(fld::X::BNF_Text), body.substr(0, 4096));
}

}  // namespace
}  // namespace ormile::test
