#include "tests/bnf/bnf_fixture.h"

namespace ormile::test {

using data::Handle;
namespace fld = data::fld;
namespace key = data::key;

void BnfTest::addProductions(int part, int clause, const std::vector<Production>& productions) {
  auto& p = (*s)[Handle::SQLParts];
  p.clear();
  p.setLong(fld::SQLParts::SQLPartId, part);
  if (p.get(key::SQLParts::SQLPartPkey) != store::ErrorCode::None) addPart(*s, part);
  auto& c = (*s)[Handle::Clause];
  c.clear();
  c.setLong(fld::Clause::ClauseId, clause);
  if (c.get(key::Clause::ClausePkey) != store::ErrorCode::None) addClause(*s, clause, part);
  auto& x = (*s)[Handle::X];
  for (const Production& pr : productions) {
    x.clear();
    x.setLong(fld::X::XId, pr.id);
    x.setLong(fld::X::ClauseId, clause);
    x.setString(fld::X::BNF_Header, pr.header);
    x.setMemo(fld::X::BNF_Text, pr.body);
    ASSERT_EQ(x.add(), store::ErrorCode::None) << x.errorText();
  }
}

std::vector<ElementRow> BnfTest::elementsOf(int xId) {
  std::vector<ElementRow> rows;
  auto& h = (*s)[Handle::A_BNFElement];
  h.clear();
  h.setLong(fld::BNFElement::XId, xId);
  h.setFrom(key::BNFElement::XFkey);
  while (h.next() == store::ErrorCode::None && h.getLong(fld::BNFElement::XId) == xId)
    rows.emplace_back(h.getLong(fld::BNFElement::BNFElementId),
                      std::string(h.getString(fld::BNFElement::BNFElement)),
                      h.getLong(fld::BNFElement::BNFElementSequence));
  return rows;
}

std::vector<std::tuple<int, std::string, int>> BnfTest::allElements() {
  std::vector<std::tuple<int, std::string, int>> rows;
  auto& h = (*s)[Handle::A_BNFElement];
  h.set(key::BNFElement::BNFElementPkey);
  while (h.next() == store::ErrorCode::None)
    rows.emplace_back(h.getLong(fld::BNFElement::XId),
                      std::string(h.getString(fld::BNFElement::BNFElement)),
                      h.getLong(fld::BNFElement::BNFElementSequence));
  return rows;
}

std::set<XsRow> BnfTest::xsRows() {
  std::set<XsRow> rows;
  auto& h = (*s)[Handle::AXS];
  h.setRecordOrder();
  while (h.next() == store::ErrorCode::None) {
    EXPECT_EQ(h.getLong(fld::XS::XSTId), 1);
    rows.emplace(h.getLong(fld::XS::ActiveId), h.getLong(fld::XS::PassiveId),
                 h.getLong(fld::XS::RecurPassiveId), h.getLong(fld::XS::Seq),
                 h.getLong(fld::XS::TreeId));
  }
  return rows;
}

std::multiset<NrRow> BnfTest::nrRows() {
  std::multiset<NrRow> rows;
  auto& h = (*s)[Handle::A_XSNoRecur];
  h.setRecordOrder();
  while (h.next() == store::ErrorCode::None)
    rows.emplace(h.getLong(fld::XSNoRecur::ActiveId), h.getLong(fld::XSNoRecur::PassiveId),
                 h.getLong(fld::XSNoRecur::TreeId));
  h.close();  // other sessions may want the table for their exclusive use
  return rows;
}

std::vector<std::string> BnfTest::stopTexts() {
  std::vector<std::string> texts;
  for (const auto& m : answers_.shown())
    if (m.title == "Stop") texts.push_back(m.text);
  return texts;
}

}  // namespace ormile::test
