// The record store as the tables use it: key orders, cursors, keys that leave rows out,
// duplicate refusal, change detection, share modes and transactions over several files.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace ormile::test {
namespace {

using data::Handle;
using store::ErrorCode;
using store::OpenMode;
namespace fX = data::fld::X;
namespace kX = data::key::X;

class Store : public DataTest {};

// Reads the whole key order with next(), or backwards with previous().
std::vector<std::string> headersInOrder(data::TableHandle& h, int key, bool backwards = false) {
  std::vector<std::string> out;
  h.set(key);
  while (ok(backwards ? h.previous() : h.next())) out.emplace_back(h.getString(fX::BNF_Header));
  return out;
}

TEST_F(Store, KeyOrderIgnoresCaseAndKeepsInsertionOrderAmongEquals) {
  auto s = newSession();
  addX(*s, 3, 7, "<b>");
  addX(*s, 1, 5, "<C>");
  addX(*s, 2, 7, "<a>");
  addX(*s, 4, 5, "<D>");
  auto& x = (*s)[Handle::X];
  EXPECT_EQ(headersInOrder(x, kX::BNFHeaderKey),
            (std::vector<std::string>{"<a>", "<b>", "<C>", "<D>"}));
  EXPECT_EQ(headersInOrder(x, kX::BNFHeaderKey, true),
            (std::vector<std::string>{"<D>", "<C>", "<b>", "<a>"}));
  // Equal clause numbers: in the order the rows were added, both ways.
  EXPECT_EQ(headersInOrder(x, kX::ClauseFkey),
            (std::vector<std::string>{"<C>", "<D>", "<b>", "<a>"}));
  EXPECT_EQ(headersInOrder(x, kX::ClauseFkey, true),
            (std::vector<std::string>{"<a>", "<b>", "<D>", "<C>"}));
}

TEST_F(Store, CursorAtTheEndsAndAfterSetFrom) {
  auto s = newSession();
  for (int i = 1; i <= 5; ++i) addX(*s, i * 10, i, "<h" + std::to_string(i) + ">");
  auto& x = (*s)[Handle::X];

  x.set(kX::XIdPkey);
  EXPECT_EQ(x.previous(), ErrorCode::None) << "previous right after set reads the last";
  EXPECT_EQ(x.getLong(fX::XId), 50);
  EXPECT_EQ(x.next(), ErrorCode::RecordNotAvailable);
  EXPECT_EQ(x.previous(), ErrorCode::None) << "past the end, previous reads the last again";
  EXPECT_EQ(x.getLong(fX::XId), 50);

  struct Case {
    int from;
    bool forward;
    int expect;  // 0: no record
  } cases[] = {{30, true, 30}, {31, true, 40}, {31, false, 30}, {30, false, 30},
               {51, true, 0},  {5, false, 0},  {5, true, 10}};
  for (const auto& c : cases) {
    x.clear();
    x.setLong(fX::XId, c.from);
    x.setFrom(kX::XIdPkey);
    ErrorCode e = c.forward ? x.next() : x.previous();
    if (c.expect == 0) {
      EXPECT_EQ(e, ErrorCode::RecordNotAvailable) << c.from;
    } else {
      ASSERT_EQ(e, ErrorCode::None) << c.from;
      EXPECT_EQ(x.getLong(fX::XId), c.expect) << c.from << (c.forward ? " next" : " previous");
    }
  }
}

TEST_F(Store, GetComparesTextByKeyRules) {
  auto s = newSession();
  addX(*s, 1, 1, "<Query Specification>");
  auto& x = (*s)[Handle::X];
  for (const char* probe : {"<query specification>", "<QUERY SPECIFICATION>   "}) {
    x.clear();
    x.setString(fX::BNF_Header, probe);
    EXPECT_EQ(x.get(kX::BNFHeaderKey), ErrorCode::None) << probe;
    EXPECT_EQ(x.getLong(fX::XId), 1);
  }
  x.clear();
  x.setString(fX::BNF_Header, "<query");
  EXPECT_EQ(x.get(kX::BNFHeaderKey), ErrorCode::RecordNotFound);
}

TEST_F(Store, KeysLeaveOutRowsWhoseFieldsAreAllZeroOrBlank) {
  auto s = newSession();
  addX(*s, 1, 1, "");
  addX(*s, 2, 0, "<b>");
  addX(*s, 3, 1, "");  // a second blank header is accepted
  auto& x = (*s)[Handle::X];
  EXPECT_EQ(headersInOrder(x, kX::BNFHeaderKey), std::vector<std::string>{"<b>"});
  std::vector<int> byClause;
  x.set(kX::ClauseFkey);
  while (ok(x.next())) byClause.push_back(x.getLong(fX::XId));
  EXPECT_EQ(byClause, (std::vector<int>{1, 3}));
  x.clear();
  EXPECT_EQ(x.get(kX::ClauseFkey), ErrorCode::RecordNotFound) << "a zero key value is in no key";
  EXPECT_EQ(x.records(), 3);
}

TEST_F(Store, DuplicateIsRefusedAndNamesTheFirstClashingKey) {
  auto s = newSession();
  addX(*s, 1, 1, "<a>");
  auto& x = (*s)[Handle::X];
  x.clear();
  x.setLong(fX::XId, 1);  // clashes in XIdPkey (first) and BNFHeaderKey
  x.setString(fX::BNF_Header, "<A>");
  EXPECT_EQ(x.add(), ErrorCode::DuplicateKey);
  EXPECT_EQ(x.file().duplicateKey(), kX::XIdPkey);
  x.setLong(fX::XId, 2);
  EXPECT_EQ(x.add(), ErrorCode::DuplicateKey);
  EXPECT_EQ(x.file().duplicateKey(), kX::BNFHeaderKey);
  EXPECT_EQ(x.errorText(), "Creates Duplicate Key");
  EXPECT_EQ(x.records(), 1) << "nothing written";
  auto& fresh = (*s)[Handle::AXX];  // no current record to leave aside
  fresh.record() = x.record();
  EXPECT_TRUE(fresh.duplicate(kX::BNFHeaderKey));
  EXPECT_FALSE(fresh.duplicate(kX::XNameKey));
}

TEST_F(Store, PutAfterWatchSeesAChangeByAnotherSession) {
  auto a = newSession();
  auto b = newSession();
  addX(*a, 1, 1, "<a>");
  auto& xa = (*a)[Handle::X];
  auto& xb = (*b)[Handle::X];
  for (auto* h : {&xa, &xb}) {
    h->clear();
    h->setLong(fX::XId, 1);
    h->watch();
    ASSERT_EQ(h->get(kX::XIdPkey), ErrorCode::None);
  }
  xb.setString(fX::BNF_Header, "<b>");
  EXPECT_EQ(xb.put(), ErrorCode::None);
  xa.setString(fX::BNF_Header, "<c>");
  EXPECT_EQ(xa.put(), ErrorCode::RecordChanged);
  // Without watch the last writer wins.
  xa.setLong(fX::XId, 1);
  ASSERT_EQ(xa.get(kX::XIdPkey), ErrorCode::None);
  xa.setString(fX::BNF_Header, "<c>");
  EXPECT_EQ(xa.put(), ErrorCode::None);
  xb.setLong(fX::XId, 1);
  ASSERT_EQ(xb.get(kX::XIdPkey), ErrorCode::None);
  EXPECT_EQ(xb.getString(fX::BNF_Header), "<c>");
}

TEST_F(Store, EraseRemovesTheRecordLastReadAndTheScanGoesOn) {
  auto s = newSession();
  for (int i = 1; i <= 4; ++i) addX(*s, i, 1, "<" + std::to_string(i) + ">");
  auto& x = (*s)[Handle::X];
  std::vector<int> kept;
  x.set(kX::XIdPkey);
  while (ok(x.next())) {
    if (x.getLong(fX::XId) % 2 == 0)
      EXPECT_EQ(x.erase(), ErrorCode::None);
    else
      kept.push_back(x.getLong(fX::XId));
  }
  EXPECT_EQ(kept, (std::vector<int>{1, 3}));
  EXPECT_EQ(x.erase(), ErrorCode::RecordNotAvailable) << "nothing read: nothing to delete";
  EXPECT_EQ(x.put(), ErrorCode::RecordNotAvailable);
  EXPECT_EQ(x.records(), 2);
}

TEST_F(Store, PositionResetAndReget) {
  auto s = newSession();
  for (int i = 1; i <= 4; ++i) addX(*s, i, 9, "<" + std::to_string(i) + ">");
  auto& x = (*s)[Handle::X];
  x.set(kX::ClauseFkey);
  x.next();
  x.next();
  store::Position at2 = x.position();
  x.next();
  ASSERT_EQ(x.reset(at2), ErrorCode::None);
  ASSERT_EQ(x.next(), ErrorCode::None);
  EXPECT_EQ(x.getLong(fX::XId), 2) << "reset then next reads the remembered record";
  x.next();
  ASSERT_EQ(x.reget(at2), ErrorCode::None);
  EXPECT_EQ(x.getLong(fX::XId), 2);
  // The same on a unique key, both ways.
  x.set(kX::XIdPkey);
  x.next();
  x.next();
  store::Position unique2 = x.position();
  x.next();
  ASSERT_EQ(x.reset(unique2), ErrorCode::None);
  ASSERT_EQ(x.next(), ErrorCode::None);
  EXPECT_EQ(x.getLong(fX::XId), 2);
  ASSERT_EQ(x.reset(unique2), ErrorCode::None);
  ASSERT_EQ(x.previous(), ErrorCode::None);
  EXPECT_EQ(x.getLong(fX::XId), 2);
  ASSERT_EQ(x.previous(), ErrorCode::None);
  EXPECT_EQ(x.getLong(fX::XId), 1);
}

TEST_F(Store, ReadBurstSeesTheSameRowsAndLetsWritersInAfterwards) {
  auto s = newSession();
  for (int i = 1; i <= 3; ++i) addX(*s, i, 1, "<" + std::to_string(i) + ">");
  auto other = newSession();
  {
    data::ReadBurst burst(s->tables());
    EXPECT_EQ(headersInOrder((*s)[Handle::X], kX::XIdPkey),
              (std::vector<std::string>{"<1>", "<2>", "<3>"}));
    // A transaction inside the burst is a part of it that can be undone alone.
    auto& x = (*s)[Handle::X];
    ASSERT_EQ(s->tables().logout(1, {&x}), ErrorCode::None);
    addX(*s, 4, 1, "<4>");
    s->tables().rollback();
    EXPECT_EQ(x.records(), 3);
  }
  addX(*other, 5, 1, "<5>");  // the burst has ended: another session writes at once
  EXPECT_EQ((*s)[Handle::X].records(), 4);
}

TEST_F(Store, ShareModesBetweenSessions) {
  auto a = newSession();
  auto b = newSession();
  auto& na = (*a)[Handle::XSNoRecur];
  auto& nb = (*b)[Handle::XSNoRecur];
  ASSERT_EQ(na.file().open(OpenMode::DenyAll), ErrorCode::None);
  // The session's own aliases stay usable beside its exclusive open.
  EXPECT_EQ((*a)[Handle::A_XSNoRecur].file().open(OpenMode::Normal), ErrorCode::None);
  EXPECT_EQ(nb.file().open(OpenMode::Normal), ErrorCode::AccessDenied);
  EXPECT_EQ(nb.file().open(OpenMode::ReadOnly), ErrorCode::AccessDenied);
  na.file().close();
  (*a)[Handle::A_XSNoRecur].file().close();
  EXPECT_EQ(nb.file().open(OpenMode::Normal), ErrorCode::None);
  nb.file().close();

  auto& ta = (*a)[Handle::TreeOut];
  auto& tb = (*b)[Handle::TreeOut];
  ASSERT_EQ(ta.file().open(OpenMode::DenyWrite), ErrorCode::None);
  EXPECT_EQ(tb.file().open(OpenMode::Normal), ErrorCode::AccessDenied);
  EXPECT_EQ(tb.file().open(OpenMode::ReadOnly), ErrorCode::None) << "others may still read";
  EXPECT_EQ(tb.file().create(), ErrorCode::AccessDenied) << "open handles keep the file";
  tb.file().close();
  EXPECT_EQ(tb.create(), ErrorCode::AccessDenied) << "while the other session holds it";
  ta.file().close();
  EXPECT_EQ(tb.create(), ErrorCode::None);
}

TEST_F(Store, EmptyNeedsTheExclusiveOpen) {
  auto s = newSession();
  auto& n = (*s)[Handle::XSNoRecur];
  n.clear();
  n.setLong(data::fld::XSNoRecur::PassiveId, 4);
  ASSERT_EQ(n.add(), ErrorCode::None);
  EXPECT_EQ(n.empty(), ErrorCode::AccessDenied);
  EXPECT_EQ(n.records(), 1);
  n.close();
  ASSERT_EQ(n.open(OpenMode::DenyAll), base::Level::Benign);
  EXPECT_EQ(n.empty(), ErrorCode::None);
  EXPECT_EQ(n.records(), 0);
}

TEST_F(Store, CreateReplacesTheTableByAnEmptyOne) {
  auto s = newSession();
  auto& t = (*s)[Handle::TreeOut];
  for (int i = 0; i < 3; ++i) {
    t.clear();
    t.setLong(data::fld::TreeOut::ItemOutId, 1);  // equal numbers are allowed
    ASSERT_EQ(t.add(), ErrorCode::None);
  }
  EXPECT_EQ(t.records(), 3);
  EXPECT_EQ(t.create(), ErrorCode::None);
  EXPECT_EQ(t.records(), 0);
}

TEST_F(Store, TransactionOverTwoFilesRollsBackAndCommitsAsOne) {
  auto s = newSession();
  auto& x = (*s)[Handle::X];
  auto& xs = (*s)[Handle::XS];
  ASSERT_EQ(s->tables().logout(1, {&x, &xs}), ErrorCode::None);
  addX(*s, 1, 1, "<a>");
  addXS(*s, 0, 1, 1);
  {  // a nested transaction undone on its own
    ASSERT_EQ(s->tables().logout(1, {&x}), ErrorCode::None);
    addX(*s, 2, 1, "<b>");
    s->tables().rollback();
  }
  EXPECT_EQ(x.records(), 1);
  s->tables().rollback();
  EXPECT_EQ(x.records(), 0);
  EXPECT_EQ(xs.records(), 0);

  ASSERT_EQ(s->tables().logout(1, {&x, &xs}), ErrorCode::None);
  addX(*s, 1, 1, "<a>");
  addXS(*s, 0, 1, 1);
  auto other = newSession();
  EXPECT_EQ((*other)[Handle::X].records(), 0) << "not visible before the commit";
  ASSERT_EQ(s->tables().commit(), ErrorCode::None);
  EXPECT_EQ((*other)[Handle::X].records(), 1);
  EXPECT_EQ((*other)[Handle::XS].records(), 1);
}

TEST_F(Store, TransactionWaitsOnlyAsLongAsAsked) {
  auto a = newSession();
  auto b = newSession();
  auto& xa = (*a)[Handle::X];
  auto& xb = (*b)[Handle::X];
  ASSERT_EQ(a->tables().logout(1, {&xa}), ErrorCode::None);
  EXPECT_EQ(b->tables().logout(1, {&xb}), ErrorCode::AccessDenied);
  EXPECT_EQ(b->tables().connection().transactionDepth(), 0)
      << "a failed start leaves no transaction";
  a->tables().commit();
  EXPECT_EQ(b->tables().logout(1, {&xb}), ErrorCode::None);
  b->tables().commit();
}

}  // namespace
}  // namespace ormile::test
