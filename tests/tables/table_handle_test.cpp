// Table handles: field rules of the record buffer, auto-numbering, parent checks and the
// messages of a refused insert.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace ormile::test {
namespace {

using base::Level;
using data::Handle;
using store::ErrorCode;
namespace fX = data::fld::X;
namespace fXS = data::fld::XS;

class TableHandles : public DataTest {};

TEST_F(TableHandles, StringFieldsAreCutPaddedAndComparedWithoutTrailingBlanks) {
  auto s = newSession();
  auto& x = (*s)[Handle::X];
  x.clear();
  std::string header61 = "<" + std::string(59, 'h') + ">";
  ASSERT_EQ(header61.size(), 61u);
  x.setString(fX::BNF_Header, header61);
  EXPECT_EQ(x.record().getString(fX::BNF_Header), header61.substr(0, 60));
  x.setString(fX::XName, "ab");
  EXPECT_EQ(x.record().getString(fX::XName), "ab" + std::string(58, ' '));
  EXPECT_EQ(x.getString(fX::XName), "ab");
  x.setMemo(fX::BNF_Text, std::string(5000, 'm'));
  EXPECT_EQ(x.getMemo(fX::BNF_Text).size(), 4096u);
  // The cut value is what the file keeps.
  x.setLong(fX::XId, 1);
  ASSERT_EQ(x.add(), ErrorCode::None);
  x.clear();
  x.setLong(fX::XId, 1);
  ASSERT_EQ(x.get(data::key::X::XIdPkey), ErrorCode::None);
  EXPECT_EQ(x.getString(fX::BNF_Header), header61.substr(0, 60));
  EXPECT_EQ(x.getMemo(fX::BNF_Text), std::string(4096, 'm'));
  // Clear blanks texts, zeroes numbers, empties memos.
  x.clear();
  EXPECT_EQ(x.getLong(fX::XId), 0);
  EXPECT_EQ(x.record().getString(fX::BNF_Header), std::string(60, ' '));
  EXPECT_TRUE(x.getMemo(fX::BNF_Text).empty());
  // By full name, as filters and forms reach fields.
  EXPECT_TRUE(x.setField("x:bnf_header", "<by name>"));
  EXPECT_EQ(x.getField("X:BNF_Header"), "<by name>");
  EXPECT_FALSE(x.setField("AXX:BNF_Header", "other handle"));
}

TEST_F(TableHandles, AutoNumberTakesOneMoreThanTheHighest) {
  auto s = newSession();
  auto& x = (*s)[Handle::X];
  x.clear();
  ASSERT_EQ(x.primeAutoNumber(), Level::Benign);
  EXPECT_EQ(x.getLong(fX::XId), 1) << "first record of an empty table";
  addX(*s, 57, 1, "<fifty-seven>");
  x.clear();
  ASSERT_EQ(x.primeAutoNumber(), Level::Benign);
  EXPECT_EQ(x.getLong(fX::XId), 58) << "one more than the highest, lower numbers free or not";
  // An alias numbers the same key of the same file.
  auto& axx = (*s)[Handle::AXX];
  axx.clear();
  ASSERT_EQ(axx.primeAutoNumber(), Level::Benign);
  EXPECT_EQ(axx.getLong(fX::XId), 59);
  EXPECT_EQ(x.records(), 4) << "each number is reserved by adding the record at once";
  // The number is written back in place by a later change of the same record.
  axx.setString(fX::BNF_Header, "<filled in>");
  axx.setLong(fX::ClauseId, 0);
  EXPECT_EQ(axx.put(), ErrorCode::None);
  EXPECT_EQ(x.records(), 4);
}

TEST_F(TableHandles, PrimedRecordIsInsertedInPlaceOrGivenBack) {
  auto s = newSession();
  addPart(*s, 1);
  addClause(*s, 1, 1);
  auto& x = (*s)[Handle::X];
  x.clear();
  ASSERT_EQ(x.primeAutoNumber(), Level::Benign);
  x.setLong(fX::ClauseId, 1);
  x.setString(fX::BNF_Header, "<first>");
  EXPECT_EQ(x.insert(), Level::Benign) << "the reserved record is written, not added again";
  EXPECT_EQ(x.records(), 1);
  x.clear();
  ASSERT_EQ(x.primeAutoNumber(), Level::Benign);
  EXPECT_EQ(x.getLong(fX::XId), 2);
  EXPECT_EQ(x.records(), 2);
  EXPECT_EQ(x.abandonPrimed(), ErrorCode::None);
  EXPECT_EQ(x.records(), 1) << "an abandoned insert gives its number back";
  EXPECT_TRUE(answers_.shown().empty());
}

TEST_F(TableHandles, StructureSequenceCountsPerActiveProduction) {
  auto s = newSession();
  auto& xs = (*s)[Handle::XS];
  auto prime = [&](int type, int active) {
    xs.clear();
    xs.setLong(fXS::XSTId, type);
    xs.setLong(fXS::ActiveId, active);
    xs.setLong(fXS::PassiveId, 100 + int(xs.records()));
    EXPECT_EQ(xs.primeAutoNumber(), Level::Benign);
    return xs.getLong(fXS::Seq);
  };
  EXPECT_EQ(prime(1, 5), 1);
  EXPECT_EQ(prime(1, 5), 2);
  EXPECT_EQ(prime(1, 5), 3);
  EXPECT_EQ(prime(1, 6), 1);
  EXPECT_EQ(prime(1, 4), 1) << "a lower active production starts its own count";
  EXPECT_EQ(prime(1, 0), 1) << "root rows count among the roots of their type";
  EXPECT_EQ(prime(1, 0), 2);
  EXPECT_EQ(prime(2, 5), 1) << "another type counts on its own";
  EXPECT_EQ(prime(1, 5), 4);
}

TEST_F(TableHandles, DuplicateHeaderIsRefusedWithItsMessage) {
  auto s = newSession();
  addPart(*s, 1);
  addClause(*s, 1, 1);
  auto& x = (*s)[Handle::X];
  auto insert = [&](int id, const std::string& header) {
    x.clear();
    x.setLong(fX::XId, id);
    x.setLong(fX::ClauseId, 1);
    x.setString(fX::BNF_Header, header);
    return x.insert();
  };
  EXPECT_EQ(insert(1, ""), Level::Benign);
  EXPECT_EQ(insert(2, ""), Level::Benign) << "blank headers are left out of the unique key";
  EXPECT_EQ(insert(3, "<Query>"), Level::Benign);
  EXPECT_TRUE(answers_.shown().empty());
  EXPECT_EQ(insert(4, "<query>  "), Level::Notify);
  ASSERT_EQ(answers_.shown().size(), 1u);
  EXPECT_EQ(answers_.shown()[0].title, "Duplicate Key Error");
  EXPECT_EQ(answers_.shown()[0].text,
            "Adding this record creates a duplicate entry for the key: X:BNFHeaderKey");
  EXPECT_EQ(x.records(), 3);
}

TEST_F(TableHandles, StructureDuplicateNamesTheKeyByItsPurpose) {
  auto s = newSession();
  addXS(*s, 5, 7, 1);
  auto& xs = (*s)[Handle::XS];
  xs.clear();
  xs.setLong(fXS::XSTId, 1);
  xs.setLong(fXS::ActiveId, 5);
  xs.setLong(fXS::PassiveId, 8);
  xs.setLong(fXS::Seq, 1);  // clashes in the primary key only
  EXPECT_EQ(xs.insert(), Level::Notify);
  EXPECT_EQ(answers_.shown().at(0).text,
            "Adding this record creates a duplicate entry for the key: Used to explode a bill");
  answers_.clear();
  xs.setLong(fXS::Seq, 2);
  xs.setLong(fXS::PassiveId, 7);
  xs.setLong(fXS::TreeId, 3);  // clashes in the passive subset key only
  EXPECT_EQ(xs.insert(), Level::Notify);
  EXPECT_EQ(answers_.shown().at(0).text,
            "Adding this record creates a duplicate entry for the key: Inverse of parts explosion");
}

TEST_F(TableHandles, ParentChecksRefuseOrphansAndKeepTheParentBuffer) {
  struct Case {
    Handle handle;
    int field;
    const char* text;
  } cases[] = {
      {Handle::Clause, data::fld::Clause::SQLPartId,
       "The value of CLS:SQLPartId must be found in the SQLParts file."},
      {Handle::X, fX::ClauseId, "The value of X:ClauseId must be found in the Clause file."},
      {Handle::AXX, fX::ClauseId, "The value of X:ClauseId must be found in the Clause file."},
      {Handle::BNFElement, data::fld::BNFElement::XId,
       "The value of X Identifier must be found in the X file."},
  };
  auto s = newSession();
  addPart(*s, 1);
  addClause(*s, 1, 1);
  addX(*s, 1, 1, "<a>");
  int id = 10;
  for (const auto& c : cases) {
    answers_.clear();
    auto& h = (*s)[c.handle];
    h.clear();
    h.setLong(0, id++);  // the record's own identifier
    h.setLong(c.field, 99);
    int64_t before = h.records();
    EXPECT_EQ(h.insert(), Level::Notify) << h.label();
    ASSERT_EQ(answers_.shown().size(), 1u) << h.label();
    EXPECT_EQ(answers_.shown()[0].title, "Field contents error");
    EXPECT_EQ(answers_.shown()[0].text, c.text);
    EXPECT_EQ(h.records(), before) << "nothing written";
    // With the parent present the same record goes in.
    h.setLong(c.field, 1);
    EXPECT_EQ(h.insert(), Level::Benign) << h.label();
  }
  // The check read the parent through its handle and put its buffer back.
  auto& part = (*s)[Handle::SQLParts];
  part.clear();
  part.setLong(data::fld::SQLParts::SQLPartId, 42);
  auto& clause = (*s)[Handle::Clause];
  clause.clear();
  clause.setLong(data::fld::Clause::ClauseId, 11);
  clause.setLong(data::fld::Clause::SQLPartId, 1);
  EXPECT_EQ(clause.insert(), Level::Benign);
  EXPECT_EQ(part.getLong(data::fld::SQLParts::SQLPartId), 42);
}

TEST_F(TableHandles, NumberingThatKeepsClashingAsksToTryAgain) {
  auto s = newSession();
  addX(*s, 1, 1, "<taken>");
  auto& x = (*s)[Handle::X];
  x.clear();
  x.setString(fX::BNF_Header, "<TAKEN>");  // every attempt clashes in the header key
  answers_.answerNext("Auto Increment Error", base::Answer::Yes);
  answers_.answerNext("Auto Increment Error", base::Answer::No);
  EXPECT_EQ(x.primeAutoNumber(), Level::Notify);
  ASSERT_EQ(answers_.titles(),
            (std::vector<std::string>{"Auto Increment Error", "Auto Increment Error"}));
  EXPECT_EQ(answers_.shown()[0].text,
            "Attempts to automatically number this record have failed.\nFile: X\nKey: "
            "X:BNFHeaderKey\nError: Creates Duplicate Key.\nTry Again?");
  EXPECT_EQ(x.records(), 1);
}

TEST_F(TableHandles, TreeOutAcceptsEqualNumbers) {
  auto s = newSession();
  auto& t = (*s)[Handle::TreeOut];
  for (int i = 0; i < 2; ++i) {
    t.clear();
    t.setLong(data::fld::TreeOut::ItemOutId, 1);
    EXPECT_EQ(t.insert(), Level::Benign);
  }
  EXPECT_EQ(t.records(), 2);
}

}  // namespace
}  // namespace ormile::test
