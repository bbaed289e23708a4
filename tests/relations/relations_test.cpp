// Deletes and changes through the relation handles: restrict, cascade, moved identifiers,
// questions, transactions and their failures.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace ormile::test {
namespace {

using base::Answer;
using base::Level;
using data::Handle;
using store::ErrorCode;
namespace fX = data::fld::X;
namespace fXS = data::fld::XS;

class Relations : public DataTest {
 protected:
  void SetUp() override {
    s_ = newSession();
    addPart(*s_, 1);
    addClause(*s_, 12, 1);
  }
  // Loads production `id` into the X buffer, as a browse would before a delete.
  void loadX(int id) {
    auto& x = (*s_)[Handle::X];
    x.clear();
    x.setLong(fX::XId, id);
    ASSERT_EQ(x.get(data::key::X::XIdPkey), ErrorCode::None);
  }
  bool hasX(int id) {
    auto& x = (*s_)[Handle::AXX];
    x.clear();
    x.setLong(fX::XId, id);
    return ok(x.get(data::key::X::XIdPkey));
  }
  Level deleteX(int id) {
    loadX(id);
    return s_->relation(Handle::X).deleteRecord(false);
  }
  std::unique_ptr<data::Session> s_;
};

TEST_F(Relations, RestrictKeepsParentAndChildAndNamesTheChild) {
  struct Case {
    const char* name;
    std::function<void(data::Session&)> fill;
    Handle parent;
    const char* file;
  } cases[] = {
      {"part with a clause", [](data::Session&) {}, Handle::SQLParts, "Clause"},
      {"x heading structure rows",
       [](data::Session& s) {
         addX(s, 5, 12, "<five>");
         addXS(s, 5, 6, 1);
         addXS(s, 5, 7, 2);
       },
       Handle::X, "AXS"},
      {"structure type in use",
       [](data::Session& s) {
         auto& t = s[Handle::XST];
         t.clear();
         t.setLong(data::fld::XST::XSTId, 1);
         t.setString(data::fld::XST::XSTName, "Contains");
         ASSERT_EQ(t.add(), ErrorCode::None);
         addXS(s, 0, 9, 1);
       },
       Handle::XST, "AXS"},
  };
  for (const auto& c : cases) {
    answers_.clear();
    c.fill(*s_);
    auto& h = (*s_)[c.parent];
    h.clear();
    h.setLong(0, c.parent == Handle::X ? 5 : 1);
    ASSERT_EQ(h.get(0), ErrorCode::None) << c.name;
    int64_t before = h.records();
    EXPECT_EQ(s_->relation(c.parent).deleteRecord(false), Level::Notify) << c.name;
    ASSERT_EQ(answers_.shown().size(), 1u) << c.name;
    EXPECT_EQ(answers_.shown()[0].title, "Referential Integrity Delete Error");
    EXPECT_EQ(answers_.shown()[0].text,
              std::string("This record is referenced from the file ") + c.file +
                  ". This record cannot be deleted while these references exist.")
        << c.name;
    EXPECT_EQ(h.records(), before) << c.name;
  }
  EXPECT_EQ((*s_)[Handle::Clause].records(), 1);
  EXPECT_EQ((*s_)[Handle::XS].records(), 3);
}

TEST_F(Relations, DeletingAContainedProductionDeletesItsStructureRows) {
  addX(*s_, 5, 12, "<five>");
  addX(*s_, 8, 12, "<eight>");
  for (int active : {2, 3, 4}) addXS(*s_, active, 5, 1);
  addXS(*s_, 2, 8, 2);
  EXPECT_EQ(deleteX(5), Level::Benign);
  EXPECT_TRUE(answers_.shown().empty());
  EXPECT_FALSE(hasX(5));
  auto& xs = (*s_)[Handle::XS];
  EXPECT_EQ(xs.records(), 1);
  xs.set(data::key::XS::PassiveIdFkey);
  ASSERT_EQ(xs.next(), ErrorCode::None);
  EXPECT_EQ(xs.getLong(fXS::PassiveId), 8) << "rows of other productions stay";
}

TEST_F(Relations, ElementsRefuseTheDeleteBeforeAnyStructureRowIsTouched) {
  addX(*s_, 5, 12, "<five>");
  addElement(*s_, 1, 5, "<six>", 1);
  addXS(*s_, 2, 5, 1);
  addXS(*s_, 3, 5, 1);
  EXPECT_EQ(deleteX(5), Level::Notify);
  EXPECT_EQ(answers_.shown().at(0).text,
            "This record is referenced from the file BNFElement. This record cannot be deleted "
            "while these references exist.");
  EXPECT_TRUE(hasX(5));
  EXPECT_EQ((*s_)[Handle::XS].records(), 2);
}

TEST_F(Relations, DeletingProductionOneDeletesEveryCutLink) {
  addX(*s_, 1, 12, "<one>");
  addX(*s_, 2, 12, "<two>");
  addXS(*s_, 2, 1, 1, 0, 1, 2);  // cut links: passive 1, the real child kept beside
  addXS(*s_, 3, 1, 1, 0, 1, 3);
  addXS(*s_, 0, 2, 1);  // a root row
  EXPECT_EQ(deleteX(1), Level::Benign);
  auto& xs = (*s_)[Handle::XS];
  EXPECT_EQ(xs.records(), 1);
}

TEST_F(Relations, ConfirmDeleteNoChangesNothingAndYesDeletes) {
  addX(*s_, 5, 12, "<five>");
  loadX(5);
  answers_.answerNext("Confirm Delete", Answer::No);
  EXPECT_EQ(s_->relation(Handle::X).deleteRecord(true), Level::Cancel);
  EXPECT_TRUE(hasX(5));
  answers_.answerNext("Confirm Delete", Answer::Yes);
  EXPECT_EQ(s_->relation(Handle::X).deleteRecord(true), Level::Benign);
  EXPECT_FALSE(hasX(5));
  EXPECT_EQ(answers_.shown().at(0).text, "Are you sure you want to delete the highlighted record?");
}

TEST_F(Relations, FailedDeleteAsksToTryAgain) {
  addX(*s_, 5, 12, "<five>");
  loadX(5);
  {  // another window deletes the record meanwhile
    auto other = newSession();
    auto& x = (*other)[Handle::X];
    x.clear();
    x.setLong(fX::XId, 5);
    ASSERT_EQ(x.get(data::key::X::XIdPkey), ErrorCode::None);
    ASSERT_EQ(x.erase(), ErrorCode::None);
  }
  answers_.answerNext("Record Delete Error", Answer::Yes);
  answers_.answerNext("Record Delete Error", Answer::No);
  EXPECT_EQ(s_->relation(Handle::X).deleteRecord(false), Level::Notify);
  EXPECT_EQ(answers_.titles(),
            (std::vector<std::string>{"Record was not deleted", "Record Delete Error",
                                      "Record was not deleted", "Record Delete Error"}));
  EXPECT_EQ(answers_.shown()[0].text,
            "An error (Record Not Found) was experienced when deleting a record from the X file.");
}

TEST_F(Relations, DeleteWaitsAtMostTwoSecondsForItsTransaction) {
  addX(*s_, 5, 12, "<five>");
  addXS(*s_, 2, 5, 1);
  auto other = newSession();
  auto& xs = (*other)[Handle::XS];
  ASSERT_EQ(other->tables().logout(1, {&xs}), ErrorCode::None);  // holds XS for writing
  loadX(5);
  EXPECT_EQ(s_->relation(Handle::X).deleteRecord(false), Level::Notify);
  ASSERT_EQ(answers_.titles(), std::vector<std::string>{"Transaction cancelled"});
  EXPECT_EQ(answers_.shown()[0].text,
            "Error: (Access Denied) attempting to frame the transaction on X.");
  other->tables().rollback();
  EXPECT_TRUE(hasX(5));
  EXPECT_EQ((*s_)[Handle::XS].records(), 1);
}

TEST_F(Relations, ChangedIdentifiersMoveTheirChildren) {
  addClause(*s_, 13, 1);
  addX(*s_, 5, 12, "<five>");
  addX(*s_, 6, 12, "<six>");
  addX(*s_, 7, 13, "<seven>");
  addElement(*s_, 1, 5, "<six>", 1);
  addXS(*s_, 5, 6, 1);

  auto& clause = (*s_)[Handle::Clause];
  clause.clear();
  clause.setLong(data::fld::Clause::ClauseId, 12);
  ASSERT_EQ(clause.get(data::key::Clause::ClausePkey), ErrorCode::None);
  s_->relation(Handle::Clause).save();
  clause.setLong(data::fld::Clause::ClauseId, 40);
  ASSERT_EQ(s_->relation(Handle::Clause).update(), Level::Benign);
  std::map<int, int> clauseOf;
  auto& x = (*s_)[Handle::X];
  x.set(data::key::X::XIdPkey);
  while (ok(x.next())) clauseOf[x.getLong(fX::XId)] = x.getLong(fX::ClauseId);
  EXPECT_EQ(clauseOf, (std::map<int, int>{{5, 40}, {6, 40}, {7, 13}}));

  // Changing an X identifier moves its elements but leaves the structure rows.
  loadX(5);
  s_->relation(Handle::X).save();
  x.setLong(fX::XId, 50);
  ASSERT_EQ(s_->relation(Handle::X).update(), Level::Benign);
  auto& el = (*s_)[Handle::BNFElement];
  el.set(data::key::BNFElement::XFkey);
  ASSERT_EQ(el.next(), ErrorCode::None);
  EXPECT_EQ(el.getLong(data::fld::BNFElement::XId), 50);
  auto& xs = (*s_)[Handle::XS];
  xs.set(data::key::XS::ActiveIdFkey);
  ASSERT_EQ(xs.next(), ErrorCode::None);
  EXPECT_EQ(xs.getLong(fXS::ActiveId), 5);
  EXPECT_TRUE(answers_.shown().empty());
}

TEST_F(Relations, PartNumberChangeCarriesThroughClausesToTheirProductions) {
  addX(*s_, 5, 12, "<five>");
  auto& part = (*s_)[Handle::SQLParts];
  part.clear();
  part.setLong(data::fld::SQLParts::SQLPartId, 1);
  ASSERT_EQ(part.get(0), ErrorCode::None);
  s_->relation(Handle::SQLParts).save();
  part.setLong(data::fld::SQLParts::SQLPartId, 9);
  ASSERT_EQ(s_->relation(Handle::SQLParts).update(), Level::Benign);
  auto& clause = (*s_)[Handle::Clause];
  clause.clear();
  clause.setLong(data::fld::Clause::ClauseId, 12);
  ASSERT_EQ(clause.get(0), ErrorCode::None);
  EXPECT_EQ(clause.getLong(data::fld::Clause::SQLPartId), 9);
  loadX(5);
  EXPECT_EQ((*s_)[Handle::X].getLong(fX::ClauseId), 12) << "clause identifiers did not change";
}

TEST_F(Relations, RefusedChangeShowsTheDuplicateKey) {
  addClause(*s_, 13, 1);
  addX(*s_, 5, 12, "<five>");
  auto& clause = (*s_)[Handle::Clause];
  clause.clear();
  clause.setLong(data::fld::Clause::ClauseId, 12);
  ASSERT_EQ(clause.get(0), ErrorCode::None);
  s_->relation(Handle::Clause).save();
  clause.setLong(data::fld::Clause::ClauseId, 13);
  EXPECT_EQ(s_->relation(Handle::Clause).update(), Level::Notify);
  EXPECT_EQ(answers_.shown().at(0).text,
            "Adding this record creates a duplicate entry for the key: CLS:ClausePkey");
  loadX(5);
  EXPECT_EQ((*s_)[Handle::X].getLong(fX::ClauseId), 12);
}

TEST_F(Relations, ChildThatCannotBeChangedRollsBackTheParentToo) {
  addX(*s_, 5, 12, "<five>");
  (*s_)[Handle::X].close();
  auto other = newSession();  // another window holds X so that others can only read it
  ASSERT_EQ((*other)[Handle::X].open(store::OpenMode::DenyWrite), Level::Benign);
  ASSERT_EQ((*other)[Handle::X].file().mode(), store::OpenMode::DenyWrite);
  auto& clause = (*s_)[Handle::Clause];
  clause.clear();
  clause.setLong(data::fld::Clause::ClauseId, 12);
  ASSERT_EQ(clause.get(0), ErrorCode::None);
  s_->relation(Handle::Clause).save();
  clause.setLong(data::fld::Clause::ClauseId, 40);
  EXPECT_EQ(s_->relation(Handle::Clause).update(), Level::Notify);
  EXPECT_TRUE(answers_.sawTitle("File Access"));
  other.reset();
  auto fresh = newSession();
  auto& c = (*fresh)[Handle::Clause];
  c.clear();
  c.setLong(data::fld::Clause::ClauseId, 12);
  EXPECT_EQ(c.get(0), ErrorCode::None) << "the clause keeps its number";
  auto& x = (*fresh)[Handle::X];
  x.clear();
  x.setLong(fX::XId, 5);
  ASSERT_EQ(x.get(0), ErrorCode::None);
  EXPECT_EQ(x.getLong(fX::ClauseId), 12);
}

TEST_F(Relations, OpenOpensEveryReachableTableAndCloseReleasesThem) {
  auto& rel = s_->relation(Handle::Clause);
  for (int t = 0; t < data::kTableCount; ++t) (*s_)[data::Table(t)].close();
  ASSERT_EQ(rel.open(), Level::Benign);
  for (Handle h :
       {Handle::Clause, Handle::SQLParts, Handle::X, Handle::BNFElement, Handle::AXS, Handle::XS,
        Handle::AXMas, Handle::AXUR, Handle::AXPAS, Handle::XST, Handle::AXACT})
    EXPECT_TRUE((*s_)[h].isOpen()) << data::handleDef(h).label;
  EXPECT_FALSE((*s_)[Handle::TreeOut].isOpen());
  EXPECT_FALSE((*s_)[Handle::XSNoRecur].isOpen());
  rel.close();
  EXPECT_FALSE((*s_)[Handle::X].isOpen());
}

TEST(RelationData, RecursiveStepsDescribeBothTrees) {
  const auto* explosion = data::recursiveStepOf(Handle::XS);
  const auto* whereUsed = data::recursiveStepOf(Handle::AXS);
  ASSERT_TRUE(explosion && whereUsed);
  EXPECT_EQ(explosion->parentStep, Handle::AXACT);
  EXPECT_EQ(explosion->childKey, data::key::XS::ActiveSubsetKey);
  EXPECT_EQ(whereUsed->parentStep, Handle::AXPAS);
  EXPECT_EQ(whereUsed->childKey, data::key::XS::PassiveSubsetKey);
  EXPECT_EQ(whereUsed->recursionPair, std::make_pair(int(fXS::PassiveId), int(fXS::ActiveId)));
  EXPECT_EQ(data::recursiveStepOf(Handle::X), nullptr);
  EXPECT_EQ(data::aliasTie(Handle::AXS), Handle::XS);
  EXPECT_EQ(data::aliasTie(Handle::AXX), Handle::X);
  EXPECT_TRUE(data::relationsOf(Handle::XRecur).empty());
}

}  // namespace
}  // namespace ormile::test
