#include <gtest/gtest.h>

#include "data/tables/dictionary.h"

namespace ormile::data {
namespace {

TEST(Dictionary, RecordLengthsAndFilesOfTheTables) {
  struct Case {
    Table table;
    const char* label;
    const char* prefix;
    const char* file;
    int length;
    int memos;
  } cases[] = {
      {Table::SQLParts, "SQLParts", "STD", "SQLParts.TPS", 383, 0},
      {Table::Clause, "Clause", "CLS", "CLAUSE.TPS", 403, 1},
      {Table::X, "X", "X", "X.tps", 128, 2},
      {Table::XS, "XS", "XS", "XS.tps", 24, 0},
      {Table::XST, "XST", "XST", "XST.TPS", 24, 0},
      {Table::XSNoRecur, "XSNoRecur", "XSNR", "XSNR.tps", 12, 0},
      {Table::BNFElement, "BNFElement", "BNFEL", "BNFElement.TPS", 132, 0},
      {Table::TreeOut, "TreeOut", "TREOUT", "TREEOUT.TPS", 612, 2},
  };
  for (const auto& c : cases) {
    const TableDef& t = tableDef(c.table);
    EXPECT_EQ(t.label, c.label);
    EXPECT_EQ(t.prefix, c.prefix);
    EXPECT_EQ(t.schema.fileNameWithExtension(), c.file);
    EXPECT_EQ(t.schema.recordLength, c.length) << c.label;
    EXPECT_EQ(t.schema.memoCount, c.memos) << c.label;
  }
}

TEST(Dictionary, AliasesShareTheirTableUnderTheirOwnNames) {
  struct Case {
    Handle alias;
    const char* label;
    const char* prefix;
    Table table;
  } cases[] = {
      {Handle::AA_XSNoRecur, "AA_XSNoRecur", "AA_XSNoRecur", Table::XSNoRecur},
      {Handle::A_XSNoRecur, "A_XSNoRecur", "A_XSNoRecur", Table::XSNoRecur},
      {Handle::A_BNFElement, "A_BNFElement", "A_BNFE", Table::BNFElement},
      {Handle::AXUR, "AXUR", "AXU", Table::X},
      {Handle::AXMas, "AXMas", "AXM", Table::X},
      {Handle::XRecur, "XRecur", "XRE", Table::X},
      {Handle::AXX, "AXX", "AXX", Table::X},
      {Handle::A_SQLParts, "A_SQLParts", "A_SQLP", Table::SQLParts},
      {Handle::AXPAS, "AXPAS", "AXP", Table::XS},
      {Handle::AXACT, "AXACT", "AXA", Table::XS},
      {Handle::AXS, "AXS", "AXS", Table::XS},
  };
  for (const auto& c : cases) {
    const HandleDef& h = handleDef(c.alias);
    EXPECT_EQ(h.label, c.label);
    EXPECT_EQ(h.prefix, c.prefix);
    EXPECT_EQ(h.table, c.table);
    EXPECT_TRUE(h.isAlias());
  }
}

TEST(Dictionary, KeyDescriptionsAsTheDuplicateMessageNamesThem) {
  EXPECT_EQ(handleDef(Handle::X).keyDescriptions[key::X::BNFHeaderKey], "X:BNFHeaderKey");
  EXPECT_EQ(handleDef(Handle::XS).keyDescriptions[key::XS::ActiveSubsetKey],
            "Used to explode a bill");
  EXPECT_EQ(handleDef(Handle::XS).keyDescriptions[key::XS::PassiveSubsetKey],
            "Inverse of parts explosion");
  EXPECT_EQ(handleDef(Handle::AXS).keyDescriptions[key::XS::PassiveSubsetKey],
            "Inverse of parts explosion");
  EXPECT_EQ(handleDef(Handle::AXACT).keyDescriptions[key::XS::PassiveIdFkey], "AXA:PassiveIdFkey");
  EXPECT_EQ(handleDef(Handle::A_BNFElement).keyDescriptions[key::BNFElement::BNFElementNameKey],
            "A_BNFE:BNFElementNameKey");
}

TEST(Dictionary, NamesAreFoundWhateverTheirCase) {
  auto f = fieldByName("axx:bnf_header");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->handle, Handle::AXX);
  EXPECT_EQ(f->field, fld::X::BNF_Header);
  auto k = keyByName("AA_XSNoRecur:NoRecursionActiveKey");
  ASSERT_TRUE(k);
  EXPECT_EQ(k->field, key::XSNoRecur::NoRecursionActiveKey);
  EXPECT_FALSE(fieldByName("X:Nothing"));
  EXPECT_FALSE(fieldByName("NOPE:XId"));
  EXPECT_EQ(fieldName(Handle::AXS, fld::XS::PassiveId), "AXS:PassiveId");
  EXPECT_EQ(tableDef(Table::X).memoNames, (std::vector<std::string>{"X:BNF_Text", "X:XText"}));
  EXPECT_EQ(tableDef(Table::TreeOut).memoNames,
            (std::vector<std::string>{"TREOUT:BNF_Body", "TREOUT:XText"}));
  EXPECT_EQ(tableDef(Table::Clause).memoNames, std::vector<std::string>{"CLS:ClauseDescription"});
}

}  // namespace
}  // namespace ormile::data
